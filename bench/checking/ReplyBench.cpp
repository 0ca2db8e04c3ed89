// Reply analysis and title extraction over whole replies of growing size: the cost per byte
// must stay flat as the reply grows.
#include "app/checking/PageTitle.h"
#include "app/checking/ReplyAnalysis.h"

#include <QString>

#include <benchmark/benchmark.h>

namespace
{
// An ordinary page of about `size` characters: headers, a head with a title, and a body of
// paragraphs, links and references.
QString HtmlReply(qsizetype size)
{
    QString reply = QStringLiteral("HTTP/1.1 200 OK\r\nServer: bench\r\nContent-Type: text/html\r\n\r\n"
                                   "<!DOCTYPE html>\r\n<html><head>\r\n<meta charset=\"windows-1252\">\r\n"
                                   "<title>Tom &amp; Jerry &#150; The &quot;Complete&quot; Guide&trade;</title>\r\n"
                                   "</head><body>\r\n");
    const QString paragraph = QStringLiteral(
        "<p>Cats &amp; mice have been at it since 1940 &#8211; see <a href=\"/chase.html\">the chase</a>, "
        "<em>the trap</em> &amp; <a href=\"http://example.test/more?x=1&amp;y=2\">more</a>.</p>\r\n");
    const QString end = QStringLiteral("</body></html>\r\n");
    while (reply.size() + paragraph.size() + end.size() <= size)
        reply += paragraph;
    reply += QString(size - reply.size() - end.size(), u' ');
    reply += end;
    return reply;
}

// The worst case for the title: the whole reply is one title made of references.
QString ReferenceTitleReply(qsizetype size)
{
    QString reply = QStringLiteral("HTTP/1.1 200 OK\r\n\r\n<title>");
    const QString piece = QStringLiteral("a&#65;&#8217;&amp;&#x41;\r\n");
    const QString end = QStringLiteral("</title>");
    while (reply.size() + piece.size() + end.size() <= size)
        reply += piece;
    reply += QString(size - reply.size() - end.size(), u'b');
    reply += end;
    return reply;
}

void RunOn(benchmark::State& state, const QString& reply)
{
    const QString url = QStringLiteral("http://example.test/dir/page.html");
    for (auto _ : state) {
        benchmark::DoNotOptimize(AnalyzeReply(reply, url));
        benchmark::DoNotOptimize(ExtractTitle(reply));
    }
    state.SetBytesProcessed(state.iterations() * reply.size());
    // Time per byte of reply; the library prints inverted rates with an "s" after them.
    state.counters["ns_per_byte"] =
        benchmark::Counter(static_cast<double>(reply.size()) * 1e-9,
                           benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void AnalyzeAndTitle(benchmark::State& state)
{
    RunOn(state, HtmlReply(state.range(0)));
}

void AnalyzeAndTitleOfReferences(benchmark::State& state)
{
    RunOn(state, ReferenceTitleReply(state.range(0)));
}
} // namespace

BENCHMARK(AnalyzeAndTitle)->Arg(64 << 10)->Arg(1 << 20)->Unit(benchmark::kMicrosecond);
BENCHMARK(AnalyzeAndTitleOfReferences)->Arg(64 << 10)->Arg(1 << 20)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
