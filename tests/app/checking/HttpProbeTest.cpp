#include "app/checking/HttpProbe.h"

#include "app/settings/AppSettings.h"
#include "tests/app/checking/LoopbackServer.h"
#include "tests/app/checking/QStringPrinter.h"
#include "tests/app/checking/TlsServer.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QSslCertificate>
#include <QSslSocket>
#include <QTimer>

#include <ctime>
#include <gtest/gtest.h>
#include <memory>
#include <tuple>

using namespace std::chrono_literals;

namespace
{
const std::string OkPage =
    HttpReply("HTTP/1.1 200 OK", "Content-Type: text/html\r\n", "<html><head><title>Front Page</title></head></html>");

// A server that reads the request, sends one fixed reply and closes.
LoopbackServer::Script Answer(std::string reply)
{
    return [reply](ServerConnection& c) {
        c.ReadRequest();
        c.Send(reply);
        c.Close();
    };
}

// A server that reads the request and then says nothing until the client goes.
void Silent(ServerConnection& c)
{
    c.ReadRequest();
    c.WaitForClientClose();
}

std::string Request(const std::string& path, const std::string& host = "127.0.0.1")
{
    return "GET " + path + " HTTP/1.1\r\nHost: " + host + "\r\nAccept: */*\r\nConnection: close\r\n\r\n";
}

// The processor time the test process has used so far.
double ProcessCpuMs()
{
    return 1000.0 * static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

class ProbeTest : public ::testing::Test
{
protected:
    ProbeTest() { AppSettings.Timeout = 1000; }
    ~ProbeTest() override { AppSettings = ApplicationSettings{}; }

    // Probes url and notes how long the probe took.
    ProbeResult Probe(const QString& url)
    {
        QElapsedTimer clock;
        clock.start();
        ProbeResult result = ProbeUrl(Prober, url, LinkTimeout);
        Elapsed = clock.elapsed();
        return result;
    }

    HttpProbe Prober;
    int16_t LinkTimeout = 2000;
    qint64 Elapsed = 0;
};
} // namespace

TEST(SplitProbeUrl, TakesHostPortAndPathAsTheProbeReadsThem)
{
    const std::tuple<const char16_t*, const char16_t*, const char16_t*, const char16_t*> cases[] = {
        {u"http://host", u"host", u"80", u"/"},
        {u"http://host:8080/a/b?x=1", u"host", u"8080", u"/a/b?x=1"},
        // The first colon is the port separator even inside the path.
        {u"http://host/a:b/c", u"host", u"b", u"/a/c"},
        // https is told by its scheme in any letter case: TLS, on 443 unless the URL names a port.
        {u"https://host/", u"host", u"443", u"/"},
        {u"HTTPS://host:8443/x", u"host", u"8443", u"/x"},
        {u"http://host/p#top", u"host", u"80", u"/p#top"},
        // A port without a path is completed with the root path.
        {u"http://host:8080", u"host", u"8080", u"/"},
        {u"http://host:/x", u"host", u"", u"/x"},
        {u"HTTP://Host.Example:81/X?Y#Z", u"Host.Example", u"81", u"/X?Y#Z"},
        {u"ftp://user@host/file", u"user@host", u"80", u"/file"},
        {u"x//y/z", u"y", u"80", u"/z"},
        {u"http://", u"", u"80", u"/"},
        // The port runs from the colon to the next "/" after it, never to one before it.
        {u"http://h/:1/x", u"h", u"1", u"//x"},
    };
    for (const auto& [url, host, port, path] : cases) {
        SCOPED_TRACE(QString::fromUtf16(url).toStdString());
        const std::optional<ProbeTarget> target = SplitProbeUrl(QString::fromUtf16(url));
        ASSERT_TRUE(target.has_value());
        EXPECT_EQ(target->Host, QString::fromUtf16(host));
        EXPECT_EQ(target->Port, QString::fromUtf16(port));
        EXPECT_EQ(target->Path, QString::fromUtf16(path));
    }
    // A path longer than 16 bits can count is kept whole.
    const QString longPath = QStringLiteral("/") + QString(40000, QLatin1Char('a'));
    const std::optional<ProbeTarget> far = SplitProbeUrl(QStringLiteral("http://h") + longPath);
    ASSERT_TRUE(far.has_value());
    EXPECT_EQ(far->Port, QStringLiteral("80"));
    EXPECT_EQ(far->Path, longPath);

    // No "//", or a kept position beyond 16 bits: nothing the probe can connect to.
    EXPECT_FALSE(SplitProbeUrl(QString()).has_value());
    EXPECT_FALSE(SplitProbeUrl(QStringLiteral("mailto:someone@host")).has_value());
    EXPECT_FALSE(SplitProbeUrl(QStringLiteral("http:/host/")).has_value());
    EXPECT_FALSE(SplitProbeUrl(QStringLiteral("http://") + QString(40000, QLatin1Char('a')) + QStringLiteral(":80/"))
                     .has_value());
}

TEST(ProbePort, AcceptsOnlyPortNumbers)
{
    EXPECT_EQ(ProbePort(QStringLiteral("80")), std::optional<uint16_t>(80));
    EXPECT_EQ(ProbePort(QStringLiteral("65535")), std::optional<uint16_t>(65535));
    EXPECT_EQ(ProbePort(QStringLiteral(" 8080 ")), std::optional<uint16_t>(8080));
    EXPECT_EQ(ProbePort(QStringLiteral("1")), std::optional<uint16_t>(1));
    for (const char* bad : {"", "b", "0", "65536", "99999999", "8o", "-1", "80 80", "+80"})
        EXPECT_FALSE(ProbePort(QString::fromLatin1(bad)).has_value()) << bad;
}

TEST(ProbeRequest, IsFiveLinesInTheAnsiCodePageWithTheHostWithoutPort)
{
    EXPECT_EQ(ProbeRequest(QStringLiteral("host"), QStringLiteral("/a b?x=%20#top")).toStdString(),
              Request("/a b?x=%20#top", "host"));
    // One byte per character; what the code page cannot hold is sent as "?".
    EXPECT_EQ(ProbeRequest(QStringLiteral("h"), QStringLiteral("/caf\u00E9\u20AC\u4E2D")).toStdString(),
              Request("/caf\xE9\x80?", "h"));
}

TEST(ProbeTimeout, FallsBackToTheGlobalSettingAndThenToOneSecond)
{
    // The link's own time-out, the global one, the time-out the probe waits.
    const std::tuple<int16_t, int16_t, int> cases[] = {{750, 2000, 750}, {0, 2000, 2000}, {-5, 300, 300}, {0, 0, 1000},
                                                       {-1, -1, 1000},   {1, 0, 1},       {0, 1, 1}};
    for (const auto& [link, global, expected] : cases) {
        AppSettings.Timeout = global;
        EXPECT_EQ(ProbeTimeout(link), expected) << link << " " << global;
    }
    AppSettings = ApplicationSettings{};
}

// Every server is reached through a port that stands in the path: the first colon is the port
// separator wherever it stands.
TEST_F(ProbeTest, SendsTheRequestAsSplitAndReadsStatusTitleAndRedirect)
{
    const std::tuple<std::string, int16_t, const char*, const char*> cases[] = {
        {OkPage, 200, "Front Page", ""},
        {HttpReply("HTTP/1.0 404 Not Found", {}, "<title>Missing</title>"), 404, "", ""},
        // A redirect gives its target and no title.
        {HttpReply("HTTP/1.1 302 Found", "Location: http://127.0.0.1:9/next\r\n", "<title>Moved</title>"), 302, "",
         "http://127.0.0.1:9/next"},
        {HttpReply("HTTP/1.1 500 Internal Server Error"), 500, "", ""},
        // The status is characters 10 to 12, as far as the reply has them.
        {"HTTP/1.1 20", 20, "", ""},
        {"HTTP/1.1 5", 5, "", ""},
        {"HTTP/1.1", -1, "", ""},
        {"HTTP/1.1 ", -1, "", ""},
        {"HTTP/1.1 abc OK\r\n\r\n", -1, "", ""},
        {"HTTP/1.1 9e9 Big\r\n\r\n", -1, "", ""},
        {"ICY 200 OK\r\n\r\n", -1, "", ""},
    };
    for (const auto& [reply, status, title, redirect] : cases) {
        SCOPED_TRACE(reply.substr(0, 20));
        LoopbackServer server(Answer(reply));
        const ProbeResult result = Probe(QStringLiteral("http://127.0.0.1/a:%1/b?x=1#top").arg(server.Port()));
        EXPECT_EQ(result.Status, status);
        EXPECT_EQ(result.Title, QString::fromUtf8(title));
        EXPECT_EQ(result.RedirectUrl, QString::fromLatin1(redirect));
        EXPECT_EQ(server.Requests(), std::vector<std::string>{Request("/a/b?x=1#top")});
        EXPECT_LT(Elapsed, 1000) << "the close ends the probe, not the time-out";
    }
    EXPECT_EQ(Prober.ProbeHost, QStringLiteral("127.0.0.1"));
    EXPECT_EQ(Prober.ProbePath, QStringLiteral("/a/b?x=1#top"));
    EXPECT_TRUE(Prober.ReplyDone);
    EXPECT_FALSE(Prober.ReplyTimedOut);
    EXPECT_FALSE(Prober.Waiting());
    EXPECT_FALSE(Prober.XMLTimer->isActive());
    EXPECT_EQ(Prober.wsHttp->state(), QAbstractSocket::UnconnectedState);
}

// How each kind of probe ends, in an order where every probe follows one that ended otherwise:
// the flags start afresh, and a socket reset or timed out is usable again.
TEST_F(ProbeTest, EndsAtTheCloseOrAtTheTimeOutAndSleepsMeanwhile)
{
    struct Case
    {
        const char* Name;
        LoopbackServer::Script Script; // none: a port nobody listens on
        int16_t Link;
        int16_t Global;
        int16_t Status;
        const char* Title;
        qint64 AtLeast;
        qint64 AtMost;
        bool TimedOut;
    };
    const Case cases[] = {
        {"a close without a byte",
         [](ServerConnection& c) {
             c.ReadRequest();
             c.Close();
         },
         5000, 1000, -1, "", 0, 1000, false},
        {"a refused connection", nullptr, 300, 1000, -1, "", 295, 400, true},
        {"a page", Answer(OkPage), 300, 1000, 200, "Front Page", 0, 300, false},
        {"a reset right after the connect", [](ServerConnection& c) { c.Reset(); }, 300, 1000, -1, "", 0, 400, false},
        // Bytes that keep coming do not put the time-out off.
        {"one byte every 100 ms",
         [](ServerConnection& c) {
             c.ReadRequest();
             for (char byte : std::string("HTTP/1.1 200 OK\r\n\r\n<title>Slow</title>")) {
                 if (!c.Send(std::string(1, byte)))
                     return;
                 c.Pause(100ms);
             }
         },
         300, 1000, -1, "", 295, 400, true},
        // The title comes after more than one read's worth of the page.
        {"a reply that never closes",
         [](ServerConnection& c) {
             c.ReadRequest();
             c.Send("HTTP/1.1 200 OK\r\n\r\n<HTML>" + std::string(10000, ' ') + "<TITLE>Still Open</TITLE>");
             c.WaitForClientClose();
         },
         300, 1000, 200, "Still Open", 295, 400, true},
        // The rest of this page comes while the next probe waits, and must not reach it.
        {"a title after the time-out",
         [](ServerConnection& c) {
             c.ReadRequest();
             c.Send("HTTP/1.1 200 OK\r\n\r\n");
             c.Pause(400ms);
             c.Send("<title>Late</title>");
             c.WaitForClientClose();
         },
         200, 1000, 200, "", 195, 300, true},
        {"no own time-out", Silent, 0, 300, -1, "", 295, 400, true},
        {"no time-out at all", Silent, -20, 0, -1, "", 995, 1100, true},
    };
    // Every server lives to the end, so that what one sends late can still come.
    std::vector<std::unique_ptr<LoopbackServer>> servers;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        QString url = QStringLiteral("http://127.0.0.1:%1/").arg(LoopbackServer::ClosedPort());
        if (c.Script) {
            servers.push_back(std::make_unique<LoopbackServer>(c.Script));
            url = servers.back()->Url();
        }
        LinkTimeout = c.Link;
        AppSettings.Timeout = c.Global;
        const double cpuBefore = ProcessCpuMs();
        const ProbeResult result = Probe(url);
        EXPECT_EQ(result.Status, c.Status);
        EXPECT_EQ(result.Title, QString::fromUtf8(c.Title));
        EXPECT_GE(Elapsed, c.AtLeast);
        EXPECT_LE(Elapsed, c.AtMost);
        EXPECT_EQ(Prober.ReplyTimedOut, c.TimedOut);
        EXPECT_EQ(Prober.ReplyDone, !c.TimedOut);
        // A wait that spun would use most of its time.
        EXPECT_LT(ProcessCpuMs() - cpuBefore, 100.0);
    }
}

TEST_F(ProbeTest, AddressesTheSocketCannotUseEndAtOnceWithoutAConnection)
{
    LoopbackServer server(Answer(OkPage));
    const QString port = QString::number(server.Port());
    LinkTimeout = 5000;
    const QString urls[] = {
        QString(),
        QStringLiteral("mailto:someone@127.0.0.1"),
        QStringLiteral("127.0.0.1:") + port,
        QStringLiteral("http://127.0.0.1:abc/"),
        QStringLiteral("http://127.0.0.1:/"),
        QStringLiteral("http://127.0.0.1:70000/"),
        QStringLiteral("http://127.0.0.1/a:b/c"),
        QStringLiteral("http:///x"),
        QStringLiteral("http://127.0.0.1:") + port + QStringLiteral("/x\r\nX-Injected: 1"),
        QStringLiteral("http://127.0.0.1:") + port + QStringLiteral("/x\tY"),
    };
    for (const QString& url : urls) {
        SCOPED_TRACE(url.toStdString());
        const ProbeResult result = Probe(url);
        EXPECT_EQ(result.Status, -1);
        EXPECT_TRUE(result.Title.isEmpty());
        EXPECT_TRUE(result.RedirectUrl.isEmpty());
        EXPECT_LT(Elapsed, 1000);
        EXPECT_FALSE(Prober.XMLTimer->isActive());
    }
    EXPECT_EQ(server.Connections(), 0);
}

TEST_F(ProbeTest, KeepsAtMostOneMebibyteOfAnEndlessReply)
{
    std::atomic<int64_t> sent{0};
    LoopbackServer server([&sent](ServerConnection& c) {
        c.ReadRequest();
        const std::string block(64 * 1024, 'A');
        if (!c.Send("HTTP/1.1 200 OK\r\n\r\n<title>Flood</title>"))
            return;
        while (sent < 50 * 1024 * 1024 && c.Send(block))
            sent += static_cast<int64_t>(block.size());
        c.WaitForClientClose();
    });
    LinkTimeout = 300;
    const ProbeResult result = Probe(server.Url());
    EXPECT_EQ(result.Status, 200);
    EXPECT_EQ(result.Title, QStringLiteral("Flood"));
    EXPECT_LE(Elapsed, 400);
    EXPECT_EQ(Prober.ReplyText.size(), ReplyLimit);
    EXPECT_GT(sent.load(), 2 * ReplyLimit) << "the server must have sent more than was kept";
}

TEST_F(ProbeTest, ASecondProbeWhileOneWaitsIsRefusedAndLeavesTheFirstAlone)
{
    LoopbackServer slow([](ServerConnection& c) {
        c.ReadRequest();
        c.Pause(150ms);
        c.Send(HttpReply("HTTP/1.1 200 OK", {}, "<title>First</title>"));
        c.Close();
    });
    LoopbackServer other(Answer(HttpReply("HTTP/1.1 404 Not Found")));
    std::optional<ProbeResult> nested;
    bool waitingSeen = false;
    bool startedAgain = true;
    QTimer::singleShot(20, &Prober, [&] {
        waitingSeen = Prober.Waiting();
        startedAgain = Prober.Start(other.Url(), LinkTimeout);
        nested = ProbeUrl(Prober, other.Url(), LinkTimeout);
    });
    const ProbeResult result = Probe(slow.Url());
    EXPECT_TRUE(waitingSeen);
    EXPECT_FALSE(startedAgain);
    ASSERT_TRUE(nested.has_value());
    EXPECT_EQ(nested->Status, -1);
    EXPECT_EQ(result.Status, 200);
    EXPECT_EQ(result.Title, QStringLiteral("First"));
    EXPECT_EQ(other.Connections(), 0);

    // A probe started on the same object once the first has ended, but before its wait has
    // returned (a dialog's own event loop was running meanwhile), leaves the first its result.
    nested.reset();
    QTimer::singleShot(20, &Prober, [&] {
        QEventLoop dialog;
        QTimer::singleShot(300, &dialog, [&] {
            nested = ProbeUrl(Prober, other.Url(), LinkTimeout);
            dialog.quit();
        });
        dialog.exec();
    });
    const ProbeResult again = Probe(slow.Url());
    ASSERT_TRUE(nested.has_value());
    EXPECT_EQ(nested->Status, 404);
    EXPECT_EQ(again.Title, QStringLiteral("First"));
}

TEST_F(ProbeTest, HttpsIsProbedOverTlsAndEveryFailureOfItIsNoReply)
{
    const QString certificates = TlsServer::CertificateFolder();
    TrustProbeCertificates(QSslCertificate::fromPath(certificates + QStringLiteral("/ca.pem")));
    const auto site = [](const std::string& request) {
        const std::string path = LoopbackServer::RequestPath(request);
        if (path == "/gone")
            return HttpReply("HTTP/1.1 404 Not Found", {}, "<title>Gone</title>");
        if (path == "/moved")
            return HttpReply("HTTP/1.1 301 Moved Permanently", "Location: https://127.0.0.1/new\r\n");
        return OkPage;
    };
    TlsServer good(certificates + QStringLiteral("/server.pem"), site);
    TlsServer silent(certificates + QStringLiteral("/server.pem"), nullptr);
    TlsServer expired(certificates + QStringLiteral("/expired.pem"), site);
    TlsServer otherName(certificates + QStringLiteral("/wrong-name.pem"), site);
    TlsServer selfSigned(certificates + QStringLiteral("/self-signed.pem"), site);
    LoopbackServer plain(Answer(OkPage));
    LoopbackServer hangsUp([](ServerConnection& c) {
        c.ReadRequest(100ms);
        c.Close();
    });
    const QString port = QStringLiteral(":%1/");
    const std::tuple<QString, int16_t, QString, QString> cases[] = {
        {good.Url(QStringLiteral("/a?b#c")), 200, QStringLiteral("Front Page"), {}},
        {QStringLiteral("HTTPS://127.0.0.1") + port.arg(good.Port()), 200, QStringLiteral("Front Page"), {}},
        {good.Url(QStringLiteral("/gone")), 404, {}, {}},
        {good.Url(QStringLiteral("/moved")), 301, {}, QStringLiteral("https://127.0.0.1/new")},
        {silent.Url(), -1, {}, {}},
        {expired.Url(), -1, {}, {}},
        {otherName.Url(), -1, {}, {}},
        {selfSigned.Url(), -1, {}, {}},
        {QStringLiteral("https://127.0.0.1") + port.arg(plain.Port()), -1, {}, {}},
        {QStringLiteral("https://127.0.0.1") + port.arg(hangsUp.Port()), -1, {}, {}},
    };
    LinkTimeout = 700;
    for (const auto& [url, status, title, redirect] : cases) {
        SCOPED_TRACE(url.toStdString());
        const ProbeResult result = Probe(url);
        EXPECT_EQ(result.Status, status);
        EXPECT_EQ(result.Title, title);
        EXPECT_EQ(result.RedirectUrl, redirect);
        EXPECT_LT(Elapsed, LinkTimeout + 100);
    }
    // Inside TLS the request is the same five lines, the host without its port.
    ASSERT_EQ(good.Requests().size(), 4u);
    EXPECT_EQ(good.Requests()[0], Request("/a?b#c"));
    EXPECT_EQ(good.Requests()[1], Request("/"));
    EXPECT_TRUE(expired.Requests().empty());
    EXPECT_TRUE(otherName.Requests().empty());
    EXPECT_TRUE(selfSigned.Requests().empty());
}
