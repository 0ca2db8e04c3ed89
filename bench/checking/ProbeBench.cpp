// Checking links against a loopback server: Check All over 1,000 favorites next to a plain
// sequential loop of blocking connect/send/receive calls over the same addresses, and the
// processor time a probe costs while it waits for a server that says nothing.
#include "app/checking/CheckRuns.h"
#include "app/checking/HttpProbe.h"
#include "app/favorites/FavoritesTree.h"
#include "app/forms/Pictures.h"
#include "app/settings/AppSettings.h"
#include "app/window/frmMain.h"
#include "platform/controls/TreeView.h"
#include "platform/desktop/MessageBox.h"
#include "tests/app/checking/LoopbackServer.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <ctime>
#include <memory>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace
{
constexpr int LinkCount = 1000;

const std::string SmallPage = HttpReply("HTTP/1.1 200 OK", "Content-Type: text/html\r\n",
                                        "<html><head><title>Fine</title></head><body>ok</body></html>");

LoopbackServer& AnsweringServer()
{
    static LoopbackServer server([](ServerConnection& c) {
        c.ReadRequest();
        c.Send(SmallPage);
        c.Close();
    });
    return server;
}

QString LinkUrl(int i)
{
    return AnsweringServer().Url(QStringLiteral("/link%1").arg(i));
}

// 1,000 favorites, linksPerFolder to a folder: 100 folders of 10 as a Favorites folder
// usually is, or all of them in one.
QString Favorites(int linksPerFolder)
{
    static QTemporaryDir dir;
    const QString root = dir.path() + QStringLiteral("/Favorites%1").arg(linksPerFolder);
    if (QDir(root).exists())
        return root;
    for (int i = 0; i < LinkCount; ++i) {
        const QString folder = root + QStringLiteral("/Folder %1").arg(i / linksPerFolder, 3, 10, QLatin1Char('0'));
        QDir().mkpath(folder);
        QFile file(folder + QStringLiteral("/Link %1.url").arg(i, 4, 10, QLatin1Char('0')));
        file.open(QIODevice::WriteOnly);
        file.write("[InternetShortcut]\r\nURL=" + LinkUrl(i).toLatin1() + "\r\n");
    }
    return root;
}

double ProcessCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1e6;
}

void ReportPerLink(benchmark::State& state)
{
    state.SetItemsProcessed(state.iterations() * LinkCount);
    state.counters["time_per_link"] = benchmark::Counter(static_cast<double>(state.iterations() * LinkCount),
                                                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void CheckAllOverLoopback(benchmark::State& state)
{
    AppSettings.Timeout = 2000;
    AppSettings.ChangeName = false;
    frmMain window;
    window.FavoritesPath = Favorites(static_cast<int>(state.range(0)));
    LoadFavoritesTree(window);
    for (auto _ : state)
        CheckAllLinks(window);
    int answered = 0;
    for (int i = 1; i <= window.tvFolders->Nodes().Count(); ++i)
        answered += window.tvFolders->Nodes().Item(i)->Image() == Pictures::LinkAnswered ? 1 : 0;
    if (answered != LinkCount)
        state.SkipWithError("not every link was answered");
    ReportPerLink(state);
}

// The probes of Check All alone, without the shortcut files and the tree.
void ProbesOverLoopback(benchmark::State& state)
{
    AppSettings.Timeout = 2000;
    frmMain window;
    window.LinkTimeout = 2000;
    int answered = 0;
    for (auto _ : state) {
        answered = 0;
        for (int i = 0; i < LinkCount; ++i)
            answered += ProbeUrl(window, LinkUrl(i)).Status == 200 ? 1 : 0;
    }
    if (answered != LinkCount)
        state.SkipWithError("not every probe was answered");
    ReportPerLink(state);
}

// The same requests with blocking calls and nothing else: no files, no tree, no event loop.
void BlockingLoopOverLoopback(benchmark::State& state)
{
    std::vector<QByteArray> requests;
    std::vector<uint16_t> ports;
    for (int i = 0; i < LinkCount; ++i) {
        const ProbeTarget target = *SplitProbeUrl(LinkUrl(i));
        requests.push_back(ProbeRequest(target.Host, target.Path));
        ports.push_back(*ProbePort(target.Port));
    }
    char buffer[4096];
    int answered = 0;
    for (auto _ : state) {
        answered = 0;
        for (int i = 0; i < LinkCount; ++i) {
            const int s = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
            sockaddr_in address{};
            address.sin_family = AF_INET;
            address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            address.sin_port = htons(ports[static_cast<size_t>(i)]);
            if (connect(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
                send(s, requests[static_cast<size_t>(i)].constData(),
                     static_cast<size_t>(requests[static_cast<size_t>(i)].size()), MSG_NOSIGNAL) > 0) {
                std::string reply;
                ssize_t count = 0;
                while ((count = recv(s, buffer, sizeof buffer, 0)) > 0)
                    reply.append(buffer, static_cast<size_t>(count));
                answered += reply.compare(0, 12, "HTTP/1.1 200") == 0 ? 1 : 0;
            }
            close(s);
        }
    }
    if (answered != LinkCount)
        state.SkipWithError("not every request was answered");
    ReportPerLink(state);
}

// Processor time of the whole process while one probe waits out a one-second time-out.
void ProbeWaitingOnASilentServer(benchmark::State& state)
{
    LoopbackServer silent([](ServerConnection& c) {
        c.ReadRequest();
        c.WaitForClientClose();
    });
    frmMain window;
    window.LinkTimeout = 1000;
    double cpu = 0;
    for (auto _ : state) {
        const double before = ProcessCpuMs();
        const ProbeResult result = ProbeUrl(window, silent.Url());
        cpu += ProcessCpuMs() - before;
        benchmark::DoNotOptimize(result.Status);
    }
    state.counters["cpu_ms_per_probe"] = cpu / static_cast<double>(state.iterations());
}
} // namespace

BENCHMARK(BlockingLoopOverLoopback)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(ProbesOverLoopback)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(CheckAllOverLoopback)->Arg(10)->Arg(1000)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(ProbeWaitingOnASilentServer)->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    desktop::InterceptMessageBoxes(true);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
