// Check runs with many probes under way: what they show and write is what a run one link at
// a time shows and writes, and they stay within their limits per host and in all.
#include "app/checking/CheckRuns.h"
#include "app/favorites/ShortcutFile.h"
#include "app/forms/Pictures.h"
#include "tests/app/checking/LimitedHost.h"
#include "tests/app/checking/RunWindow.h"

#include <QThread>
#include <QTimer>

#include <algorithm>
#include <memory>

using namespace std::chrono_literals;

namespace
{

// The page `number` of the test web: each answers in its own way after a delay of its own.
void Serve(ServerConnection& c)
{
    const std::string path = LoopbackServer::RequestPath(c.ReadRequest());
    const int number = std::atoi(path.c_str() + 2);
    const std::string self = "http://127.0.0.1:" + std::to_string(c.Port());
    c.Pause(std::chrono::milliseconds(number * 37 % 90));
    if (path[1] == 'n') {
        c.Send(HttpReply("HTTP/1.1 200 OK", {}, "<title>New " + std::to_string(number) + "</title>"));
        c.Close();
        return;
    }
    switch (number % 9) {
    case 0:
        c.Send(HttpReply("HTTP/1.1 200 OK", {}, "<title>Page " + std::to_string(number) + "</title>"));
        break;
    case 1:
        c.Send(HttpReply("HTTP/1.1 404 Not Found"));
        break;
    case 2:
        c.Send(HttpReply("HTTP/1.1 410 Gone"));
        break;
    case 3:
        c.Send(HttpReply("HTTP/1.1 500 Internal Server Error", {}, "<title>Oops</title>"));
        break;
    case 4:
        c.Send(HttpReply("HTTP/1.1 301 Moved", "Location: " + self + "/n" + std::to_string(number) + "\r\n"));
        break;
    case 5:
        c.Send(HttpReply("HTTP/1.1 200 OK", {},
                         "<meta http-equiv=\"refresh\" content=\"0; url=" + self + "/n" + std::to_string(number) + "\">"));
        break;
    case 6:
        c.WaitForClientClose();
        return;
    case 7:
        break; // closes at once
    default:
        c.Send(HttpReply("HTTP/1.1 200 OK", {}, "<p>no title</p>"));
        break;
    }
    c.Close();
}

class ParallelRunsTest : public RunWindowTest
{
protected:
    ParallelRunsTest()
    {
        AppSettings.Timeout = 400;
        AppSettings.ChangeName = true;
    }
};
} // namespace

TEST_F(ParallelRunsTest, ARunWithManyProbesShowsAndWritesWhatARunOneAtATimeDoes)
{
    LoopbackServer site(Serve, {"127.0.0.1", true, {}});
    const auto write = [&site](const TestFolder& favorites) {
        for (int number = 1; number <= 36; ++number) {
            const QString folder = QStringLiteral("F%1/").arg(number % 4);
            favorites.WriteFile(folder + QStringLiteral("link %1.url").arg(number),
                                "[InternetShortcut]\r\nURL=" + site.Url(QStringLiteral("/p%1").arg(number)).toUtf8() +
                                    "\r\n" + (number % 5 ? "" : "[Orrindale]\r\nRename=0\r\n"));
        }
    };
    // The order in which the redirected links' new addresses are asked for is the order in
    // which their files were written.
    const auto secondProbes = [&site] {
        std::vector<std::string> paths = RequestedPaths(site);
        paths.erase(std::remove_if(paths.begin(), paths.end(), [](const std::string& path) { return path[1] != 'n'; }),
                    paths.end());
        return paths;
    };

    TestFolder one;
    write(one);
    Load(one.Path());
    LimitedHost oneAtATime(Main.RunHost(), {1, 1});
    CheckAllLinks(oneAtATime);
    const auto oneNodes = Nodes();
    const auto oneFiles = Files(one.Path());
    const auto oneOrder = secondProbes();

    TestFolder many;
    write(many);
    Load(many.Path());
    const size_t before = site.Requests().size();
    CheckAllLinks(Main.RunHost());

    EXPECT_EQ(Nodes(), oneNodes);
    EXPECT_EQ(Files(many.Path()), oneFiles);
    std::vector<std::string> manyOrder = secondProbes();
    manyOrder.erase(manyOrder.begin(), manyOrder.begin() + static_cast<std::ptrdiff_t>(oneOrder.size()));
    EXPECT_EQ(manyOrder, oneOrder);
    EXPECT_EQ(site.Requests().size() - before, before);
    ExpectEndedInOrder();
}

TEST_F(ParallelRunsTest, ARunKeepsTwoProbesToAHostAndSixteenInAll)
{
    ConnectionGauge all;
    std::vector<std::unique_ptr<ConnectionGauge>> perHost;
    std::vector<std::unique_ptr<LoopbackServer>> hosts;
    const auto slow = [](ServerConnection& c) {
        c.ReadRequest();
        c.Pause(60ms);
        c.Send(HttpReply("HTTP/1.1 200 OK"));
        c.Close();
    };
    TestFolder favorites;
    for (int host = 1; host <= 10; ++host) {
        perHost.push_back(std::make_unique<ConnectionGauge>());
        hosts.push_back(std::make_unique<LoopbackServer>(
            slow, LoopbackServer::Options{"127.0.0." + std::to_string(host), true, {perHost.back().get(), &all}}));
        for (int link = 0; link < 5; ++link)
            favorites.WriteFile(QStringLiteral("h%1 l%2.url").arg(host).arg(link),
                                "[InternetShortcut]\r\nURL=" + hosts.back()->Url(QStringLiteral("/")).toUtf8() + "\r\n");
    }
    Load(favorites.Path());

    CheckAllLinks(Main.RunHost());

    for (const auto& node : Nodes())
        EXPECT_NE(node.second, Pictures::LinkNoReply) << node.first.toStdString();
    int busiest = 0;
    for (const auto& gauge : perHost) {
        EXPECT_LE(gauge->Most, 2);
        busiest = std::max<int>(busiest, gauge->Most);
    }
    EXPECT_EQ(busiest, 2);
    EXPECT_EQ(all.Most, 16);
}

TEST_F(ParallelRunsTest, AStoppedRunEndsItsProbesAndWritesNothingMore)
{
    ConnectionGauge open;
    LoopbackServer site(Serve, {"127.0.0.1", true, {&open}});
    TestFolder favorites;
    for (int number = 1; number <= 40; ++number) {
        // Every link moves, so every applied link writes its file.
        favorites.WriteFile(QStringLiteral("link %1.url").arg(number, 2, 10, QLatin1Char('0')),
                            "[InternetShortcut]\r\nURL=" + site.Url(QStringLiteral("/p%1").arg(number * 9 + 4)).toUtf8() +
                                "\r\n");
    }
    const auto before = Files(favorites.Path());
    Load(favorites.Path());
    QTimer::singleShot(150, &Main, [this] { Main.CheckRunning = false; });

    CheckAllLinks(Main.RunHost());

    ASSERT_EQ(desktop::ShownMessages().size(), 1);
    EXPECT_EQ(desktop::ShownMessages()[0].Prompt, QStringLiteral("Link Checking Aborted"));
    EXPECT_EQ(desktop::ShownMessages()[0].Style, desktop::vbOKOnly);
    EXPECT_EQ(desktop::ShownMessages()[0].Title, QStringLiteral("Strandmoor"));
    EXPECT_EQ(Main.sbStatus->PanelText(2), QStringLiteral(" Verifying Links "));
    EXPECT_FALSE(Main.CheckRunning);
    // Applied links come first; every one after them keeps its picture and its file.
    const auto nodes = Nodes();
    size_t applied = 1;
    while (applied < nodes.size() && nodes[applied].second != Pictures::LinkNotChecked)
        ++applied;
    EXPECT_GT(applied, 1u);
    EXPECT_LT(applied, nodes.size());
    const auto after = Files(favorites.Path());
    for (size_t i = applied; i < nodes.size(); ++i) {
        const QString name = QStringLiteral("/") + nodes[i].first + QStringLiteral(".url");
        EXPECT_EQ(nodes[i].second, Pictures::LinkNotChecked) << name.toStdString();
        EXPECT_EQ(after.at(name), before.at(name)) << name.toStdString();
    }
    // The probes still under way were ended: the server sees every connection closed.
    for (int wait = 0; wait < 100 && open.Now > 0; ++wait)
        QThread::msleep(10);
    EXPECT_EQ(open.Now, 0);
}

TEST_F(ParallelRunsTest, ALinkEditedWhileItsResultWaitsIsProbedAgainAtItsTurn)
{
    LoopbackServer site(
        [](ServerConnection& c) {
            const std::string path = LoopbackServer::RequestPath(c.ReadRequest());
            if (path == "/slow")
                c.Pause(300ms);
            c.Send(path == "/gone" ? HttpReply("HTTP/1.1 404 Not Found") : HttpReply("HTTP/1.1 200 OK"));
            c.Close();
        },
        {"127.0.0.1", true, {}});
    TestFolder favorites;
    favorites.WriteFile(QStringLiteral("a.url"), "[InternetShortcut]\r\nURL=" + site.Url(QStringLiteral("/slow")).toUtf8() + "\r\n");
    const QString edited =
        favorites.WriteFile(QStringLiteral("b.url"), "[InternetShortcut]\r\nURL=" + site.Url(QStringLiteral("/ok")).toUtf8() + "\r\n");
    Load(favorites.Path());
    // While a's result is awaited, b's has come; then b's address is changed, as the link
    // properties dialog would change it.
    QTimer::singleShot(150, &Main, [&] {
        WriteProfileString(QStringLiteral("InternetShortcut"), QStringLiteral("URL"), site.Url(QStringLiteral("/gone")), edited);
    });

    CheckAllLinks(Main.RunHost());

    EXPECT_EQ(Nodes()[2], std::make_pair(QStringLiteral("b"), int(Pictures::LinkBroken)));
    std::vector<std::string> paths = RequestedPaths(site);
    std::sort(paths.begin(), paths.end());
    EXPECT_EQ(paths, (std::vector<std::string>{"/gone", "/ok", "/slow"}));
}
