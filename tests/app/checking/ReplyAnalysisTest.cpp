#include "app/checking/ReplyAnalysis.h"

#include "tests/app/checking/QStringPrinter.h"

#include <QString>

#include <gtest/gtest.h>
#include <initializer_list>
#include <tuple>
#include <utility>

namespace
{
// A reply, the address probed and the target the analysis finds.
using AnalysisCase = std::tuple<const char16_t*, const char16_t*, const char16_t*>;

void ExpectTargets(std::initializer_list<AnalysisCase> cases)
{
    for (const auto& [reply, url, target] : cases) {
        EXPECT_EQ(AnalyzeReply(QString::fromUtf16(reply), QString::fromUtf16(url)), QString::fromUtf16(target))
            << QString::fromUtf16(reply).toStdString();
    }
}

const char16_t* const RefreshPage =
    u"\r\n\r\n<html><head><meta http-equiv=\"refresh\" content=\"0; url=http://host/Next\"></head></html>";
} // namespace

TEST(ReplyAnalysis, StatusFromCharacters10To12)
{
    const std::pair<const char16_t*, int16_t> cases[] = {
        {u"HTTP/1.1 200 OK", 200},
        {u"HTTP/1.0 404 Not Found", 404},
        {u"HTTP/1.1 301Moved", 301},
        {u"HTTP/1.1 2", 2},
        {u"HTTP/1.1  20 short", 20},
        {u"HTTP/1.1 +30", 30},
        {u"HTTP/1.1 -12", -12},
        {u"HTTP/1.1 1.5", 2},
        {u"HTTP/1.1 2e3", 2000},
        // Not a number, nothing there, or beyond 16 bits: 0.
        {u"HTTP/1.1 abc", 0},
        {u"HTTP/1.1 2 0 OK", 0},
        {u"HTTP/1.1 0x1", 0},
        {u"HTTP/1.1 9e9", 0},
        {u"HTTP/1.1 \r\n", 0},
        {u"HTTP/1.1 ", 0},
        {u"short", 0},
        {u"", 0},
    };
    for (const auto& [reply, status] : cases)
        EXPECT_EQ(ParseStatusCode(QString::fromUtf16(reply)), status) << QString::fromUtf16(reply).toStdString();
}

TEST(ReplyAnalysis, LocationOfRedirectReplies)
{
    ExpectTargets({
        // Each redirect status gives its Location header.
        {u"HTTP/1.1 301 Moved\r\nLocation: http://host/new\r\n\r\n", u"http://host/old", u"http://host/new"},
        {u"HTTP/1.1 300 Choices\r\nLocation: http://host/a\r\n\r\n", u"http://host/", u"http://host/a"},
        {u"HTTP/1.1 302 Found\r\nLocation: http://host/b\r\n\r\n", u"http://host/", u"http://host/b"},
        {u"HTTP/1.1 303 See Other\r\nLocation: http://host/c\r\n\r\n", u"http://host/", u"http://host/c"},
        {u"HTTP/1.1 307 Temporary\r\nLocation: http://host/d\r\n\r\n", u"http://host/", u"http://host/d"},
        {u"HTTP/1.1 308 Permanent Redirect\r\nLocation: http://host/e\r\n\r\n", u"http://host/", u"http://host/e"},
        // The header name in any letter case; the value in its own.
        {u"HTTP/1.1 302 Found\r\nLOCATION: http://Host/New\r\n\r\n", u"http://host/", u"http://Host/New"},
        // A target beginning with HTTP in any letter case is taken as it stands.
        {u"HTTP/1.1 302 Found\r\nLocation: https://secure/x\r\n\r\n", u"http://host/", u"https://secure/x"},
        {u"HTTP/1.1 302 Found\r\nLocation: HTTP://UP/x\r\n\r\n", u"http://host/", u"HTTP://UP/x"},
        {u"HTTP/1.1 302 Found\r\nLocation: hTtPs://m/../x\r\n\r\n", u"http://host/", u"hTtPs://m/../x"},
        // A redirect reply is not searched for a refresh tag.
        {u"HTTP/1.1 301 Moved\r\nLocation: http://host/new\r\n\r\n<meta http-equiv=\"refresh\" "
         u"content=\"0; url=http://host/meta\">",
         u"http://host/", u"http://host/new"},
        // A relative Location is resolved against the probed address.
        {u"HTTP/1.1 302 Found\r\nlocation: index.html\r\n\r\n", u"http://host/dir/", u"http://host/dir/index.html"},
        {u"HTTP/1.1 302 Found\r\nlocation: index.html\r\n\r\n", u"http://host/dir/page.html",
         u"http://host/dir/index.html"},
        {u"HTTP/1.1 302 Found\r\nLocation: /x\r\n\r\n", u"http://host/", u"http://host/x"},
        {u"HTTP/1.1 302 Found\r\nLocation: /x\r\n\r\n", u"http://host/deep/er/page", u"http://host/x"},
        {u"HTTP/1.1 302 Found\r\nLocation: ../up.html\r\n\r\n", u"http://host/a/b/c.html", u"http://host/a/up.html"},
        {u"HTTP/1.1 302 Found\r\nLocation: //other/x\r\n\r\n", u"http://host/dir/", u"http://other/x"},
        {u"HTTP/1.1 302 Found\r\nLocation: ?page=2\r\n\r\n", u"http://host/list?page=1", u"http://host/list?page=2"},
        {u"HTTP/1.1 302 Found\r\nLocation: next\r\n\r\n", u"http://host", u"http://host/next"},
        // No header, or an empty value: no target, never text from another line.
        {u"HTTP/1.1 302 Found\r\nServer: x\r\n\r\n", u"http://host/", u""},
        {u"HTTP/1.1 302 Found\r\n\r\n", u"http://host/", u""},
        {u"HTTP/1.1 302 Found\r\nLocation: \r\nX-Other: http://evil/\r\n\r\n", u"http://host/", u""},
        {u"HTTP/1.1 302 Found\r\nLocation:\r\nX-Other: http://evil/\r\n\r\n", u"http://host/", u""},
        {u"HTTP/1.1 302 Found\r\nLocation:   \t \r\n\r\n", u"http://host/", u""},
        // Spaces around the value are not part of it, however many there are.
        {u"HTTP/1.1 302 Found\r\nLocation:http://host/a\r\n\r\n", u"http://host/", u"http://host/a"},
        {u"HTTP/1.1 302 Found\r\nLocation:   http://host/a \t\r\n\r\n", u"http://host/", u"http://host/a"},
        // A line ended by LF alone still ends there.
        {u"HTTP/1.1 302 Found\nLocation: http://host/a\nServer: x\n\n", u"http://host/", u"http://host/a"},
        // A reply cut short inside the header line names no target.
        {u"HTTP/1.1 302 Found\r\nLocation: http://host/a", u"http://host/", u""},
        // Nothing that would break a line of the shortcut file.
        {u"HTTP/1.1 302 Found\r\nLocation: http://host/a\rURL=http://evil/\r\n\r\n", u"http://host/", u""},
        {u"HTTP/1.1 302 Found\r\nLocation: http://host/a\u0001b\r\n\r\n", u"http://host/", u""},
        {u"HTTP/1.1 302 Found\r\nLocation: page\r\n\r\n", u"http://host/\u0001dir/", u""},
        // Another kind of address is not followed.
        {u"HTTP/1.1 302 Found\r\nLocation: mailto:a@b\r\n\r\n", u"http://host/", u""},
        {u"HTTP/1.1 302 Found\r\nLocation: javascript:alert(1)\r\n\r\n", u"http://host/", u""},
        {u"HTTP/1.1 302 Found\r\nLocation: file:///etc/passwd\r\n\r\n", u"http://host/", u""},
    });
}

TEST(ReplyAnalysis, RefreshTagOfOtherReplies)
{
    const QString refresh = QString::fromUtf16(RefreshPage);
    for (const char16_t* statusLine :
         {u"HTTP/1.1 200 OK", u"HTTP/1.1 404 Not Found", u"HTTP/1.1 304 Not Modified", u"HTTP/1.1 305 Use Proxy",
          u"HTTP/1.1 306 Unused", u"HTTP/1.1 ABC OK", u"garbage"}) {
        const QString reply =
            QString::fromUtf16(statusLine) + QStringLiteral("\r\nLocation: http://host/loc") + refresh;
        EXPECT_EQ(AnalyzeReply(reply, QStringLiteral("http://host/")), QStringLiteral("http://host/Next"))
            << reply.toStdString();
    }

    ExpectTargets({
        {u"HTTP/1.1 304 Not Modified\r\nLocation: http://host/loc\r\n\r\n", u"http://host/", u""},
        {u"HTTP/1.1 200 OK\r\n\r\n<META HTTP-EQUIV=\"REFRESH\" CONTENT=\"5;URL=Relative/Page.html\">", u"http://host/",
         u"Relative/Page.html"},
        {u"HTTP/1.1 200 OK\r\n\r\n<Meta Http-Equiv=\"Refresh\" Content=\"0; Url=/x\">", u"http://host/a/", u"/x"},
        // The marker must match exactly: attribute first, one space, value in double quotes.
        {u"HTTP/1.1 200 OK\r\n\r\n<meta content=\"0; url=http://x/\" http-equiv=\"refresh\">", u"http://host/", u""},
        {u"HTTP/1.1 200 OK\r\n\r\n<meta http-equiv=refresh content=\"0; url=http://x/\">", u"http://host/", u""},
        {u"HTTP/1.1 200 OK\r\n\r\n<meta  http-equiv=\"refresh\" content=\"0; url=http://x/\">", u"http://host/", u""},
        // No URL=, no closing quote after it, or no end of the tag: no target.
        {u"HTTP/1.1 200 OK\r\n\r\n<meta http-equiv=\"refresh\" content=\"30\">", u"http://host/", u""},
        {u"HTTP/1.1 200 OK\r\n\r\n<meta http-equiv=\"refresh\" content=0;url=http://x/>", u"http://host/", u""},
        {u"HTTP/1.1 200 OK\r\n\r\n<meta http-equiv=\"refresh\" content=\"0;url=http://x/", u"http://host/", u""},
        // Only the first tag counts, and only up to its ">".
        {u"HTTP/1.1 200 OK\r\n\r\n<meta http-equiv=\"refresh\" content=\"9\"><a href=\"x\">url=y\"</a>"
         u"<p>Text enough to hold a tag of twice the length.</p>",
         u"http://host/", u""},
        // A chunked body is read out of its chunks, wherever their boundaries fall.
        {u"HTTP/1.1 200 OK\nTransfer-Encoding: chunked\n\n1A\n<meta http-equiv=\"refresh\"\n"
         u"1F\n content=\"0; url=http://host/Ne\n4\nxt\">\n0\n\n",
         u"http://host/", u"http://host/Next"},
        // A target spread over lines would break the shortcut file.
        {u"HTTP/1.1 200 OK\r\n\r\n<meta http-equiv=\"refresh\" content=\"0; url=http://x/\r\nURL=y\">", u"http://host/",
         u""},
        {u"HTTP/1.1 200 OK\r\n\r\n<p>No tag here</p>", u"http://host/", u""},
    });
}

TEST(ReplyAnalysis, MarkersFarIntoALargeReply)
{
    const QString padding = QStringLiteral("X-Padding: ") + QString(40000, u'p') + QStringLiteral("\r\n");
    const QString redirect =
        QStringLiteral("HTTP/1.1 302 Found\r\n") + padding + QStringLiteral("Location: /far\r\n\r\n");
    EXPECT_EQ(AnalyzeReply(redirect, QStringLiteral("http://host/")), QStringLiteral("http://host/far"));

    const QString page = QStringLiteral("HTTP/1.1 200 OK\r\n\r\n") + QString(70000, u'b') +
                         QStringLiteral("<meta http-equiv=\"refresh\" content=\"0; url=http://host/late\">");
    EXPECT_EQ(AnalyzeReply(page, QStringLiteral("http://host/")), QStringLiteral("http://host/late"));
}
