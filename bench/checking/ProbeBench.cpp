// Checking links against loopback servers, each figure beside the one it is compared with:
// - Check All over 1,000 favorites answering at once, one probe at a time and many at once,
//   next to a plain loop of blocking connect/send/receive calls over the same addresses;
// - the same over https (TLS) next to plain http;
// - 200 favorites on 20 hosts, each reply 100 ms late and 40 of them on hosts that never
//   answer: one probe at a time and many at once, with the run's processor time, and the same
//   checked by `favorites check` in a process of its own, with its processor time and memory;
// - the processor time a run costs with the window shown;
// - the processor time of a probe waiting on a server that says nothing, plain and TLS.
// Processor times are those of the checking thread.
#include "app/checking/CheckRuns.h"
#include "app/checking/HttpProbe.h"
#include "app/favorites/FavoritesTree.h"
#include "app/forms/Pictures.h"
#include "app/settings/AppSettings.h"
#include "app/window/frmMain.h"
#include "platform/controls/TreeView.h"
#include "platform/desktop/MessageBox.h"
#include "tests/app/checking/LimitedHost.h"
#include "tests/app/checking/LoopbackServer.h"
#include "tests/app/checking/TlsServer.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSslCertificate>
#include <QTemporaryDir>

#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <ctime>
#include <fcntl.h>
#include <memory>
#include <netinet/in.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace std::chrono_literals;

namespace
{
constexpr int LinkCount = 1000;

const std::string SmallPage = HttpReply("HTTP/1.1 200 OK", "Content-Type: text/html\r\n",
                                        "<html><head><title>Fine</title></head><body>ok</body></html>");

LoopbackServer& AnsweringServer()
{
    static LoopbackServer server(
        [](ServerConnection& c) {
            c.ReadRequest();
            c.Send(SmallPage);
            c.Close();
        },
        {"127.0.0.1", true, {}});
    return server;
}

TlsServer& AnsweringTlsServer()
{
    static TlsServer server(TlsServer::CertificateFolder() + QStringLiteral("/server.pem"),
                            [](const std::string&) { return SmallPage; });
    return server;
}

// Processor time of the thread the program checks on; the loopback servers run on threads
// of their own, and their time is not the program's.
double ProcessCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1e6;
}

// A Favorites folder of the given addresses, linksPerFolder to a folder.
QString WriteFavorites(const QString& name, const std::vector<QString>& urls, int linksPerFolder)
{
    static QTemporaryDir dir;
    const QString root = dir.path() + QStringLiteral("/") + name;
    if (QDir(root).exists())
        return root;
    for (size_t i = 0; i < urls.size(); ++i) {
        const QString folder =
            root + QStringLiteral("/Folder %1").arg(static_cast<int>(i) / linksPerFolder, 3, 10, QLatin1Char('0'));
        QDir().mkpath(folder);
        QFile file(folder + QStringLiteral("/Link %1.url").arg(i, 4, 10, QLatin1Char('0')));
        file.open(QIODevice::WriteOnly);
        file.write("[InternetShortcut]\r\nURL=" + urls[i].toLatin1() + "\r\n");
    }
    return root;
}

std::vector<QString> AnsweringUrls(bool tls)
{
    std::vector<QString> urls;
    for (int i = 0; i < LinkCount; ++i) {
        const QString path = QStringLiteral("/link%1").arg(i);
        urls.push_back(tls ? AnsweringTlsServer().Url(path) : AnsweringServer().Url(path));
    }
    return urls;
}

CheckRunLimits Limits(int64_t parallel)
{
    return parallel ? CheckRunLimits{} : CheckRunLimits{1, 1};
}

int CountPictures(const frmMain& window, int picture)
{
    int count = 0;
    for (int i = 1; i <= window.tvFolders->Nodes().Count(); ++i)
        count += window.tvFolders->Nodes().Item(i)->Image() == picture ? 1 : 0;
    return count;
}

// Runs Check All over a folder and reports the time and processor time per link.
void CheckAll(benchmark::State& state, const QString& favorites, int links, CheckRunLimits limits, bool shown,
              int expectAnswered)
{
    AppSettings.Timeout = 1000;
    AppSettings.ChangeName = false;
    frmMain window;
    window.Favorites = FavoritesFolder{favorites, 0, 1};
    LoadFavoritesTree(*window.tvFolders, window.Favorites);
    if (shown)
        window.show();
    LimitedHost host(window.RunHost(), limits);
    double cpu = 0;
    for (auto _ : state) {
        const double before = ProcessCpuMs();
        CheckAllLinks(host);
        cpu += ProcessCpuMs() - before;
    }
    if (CountPictures(window, Pictures::LinkAnswered) != expectAnswered)
        state.SkipWithError("not every link gave the expected picture");
    const double runs = static_cast<double>(state.iterations());
    state.counters["time_per_link"] = benchmark::Counter(static_cast<double>(state.iterations() * links),
                                                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["cpu_ms_per_run"] = cpu / runs;
    state.counters["cpu_ms_per_1000_links"] = cpu / runs * 1000.0 / links;
}

// 1,000 favorites in 100 folders, answering at once (arguments: parallel, shown).
void CheckAllAnswering(benchmark::State& state)
{
    CheckAll(state, WriteFavorites(QStringLiteral("answering"), AnsweringUrls(false), 10), LinkCount,
             Limits(state.range(0)), state.range(1) != 0, LinkCount);
}

// The same over https (argument: parallel).
void CheckAllAnsweringTls(benchmark::State& state)
{
    CheckAll(state, WriteFavorites(QStringLiteral("answering-tls"), AnsweringUrls(true), 10), LinkCount,
             Limits(state.range(0)), false, LinkCount);
}

// 200 favorites on 20 hosts (127.0.0.1 to 127.0.0.20), each reply 100 ms late; the 40 on the
// last four hosts never answer.
QString SlowHostsFavorites()
{
    static std::vector<std::unique_ptr<LoopbackServer>> hosts;
    static std::vector<QString> urls;
    if (hosts.empty()) {
        for (int host = 1; host <= 20; ++host) {
            const bool silent = host > 16;
            hosts.push_back(std::make_unique<LoopbackServer>(
                [silent](ServerConnection& c) {
                    c.ReadRequest();
                    if (silent) {
                        c.WaitForClientClose();
                        return;
                    }
                    c.Pause(100ms);
                    c.Send(SmallPage);
                    c.Close();
                },
                LoopbackServer::Options{"127.0.0." + std::to_string(host), true, {}}));
        }
        for (int i = 0; i < 200; ++i)
            urls.push_back(hosts[static_cast<size_t>(i % 20)]->Url(QStringLiteral("/page%1").arg(i)));
    }
    return WriteFavorites(QStringLiteral("slow-hosts"), urls, 10);
}

// Check All in the window over the slow hosts (argument: parallel).
void CheckAllSlowHosts(benchmark::State& state)
{
    CheckAll(state, SlowHostsFavorites(), 200, Limits(state.range(0)), false, 160);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["process_max_rss_mb"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// The peak resident memory of a process so far, in kilobytes, or 0 once it has gone.
long PeakMemoryKb(pid_t pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return 0;
}

// Runs a program and waits for it; its exit status, its processor time and its peak memory.
// The peak is read from the process itself while it runs: the one the kernel reports at its
// end counts the memory of this process too, which the child had until it started the program.
int RunProgram(const std::vector<std::string>& args, rusage& usage, long& peakKb)
{
    std::vector<char*> argv;
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    // Its progress and summary would mix with the figures.
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&quiet, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &quiet, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&quiet);
    if (spawned != 0)
        return -1;
    peakKb = 0;
    int status = 0;
    for (;;) {
        peakKb = std::max(peakKb, PeakMemoryKb(pid));
        siginfo_t info{};
        if (waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) != 0)
            return -1;
        if (info.si_pid == pid)
            break;
        usleep(2000);
    }
    if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

// The same favorites checked by `favorites check` in a process of its own, as a user runs it
// from a terminal or a timer: start-up, settings, the walk, the run and an HTML report.
void FavoritesCheckSlowHosts(benchmark::State& state)
{
    const QString favorites = SlowHostsFavorites();
    static QTemporaryDir home;
    const std::string hive = (home.path() + QStringLiteral("/registry.hive")).toStdString();
    setenv("STRANDMOOR_HIVE", hive.c_str(), 1);
    rusage usage{};
    long peakKb = 0;
    if (RunProgram({REGSVR_TOOL_PATH, "/s", TARNHOLD_MODULE_PATH}, usage, peakKb) != 0)
        return state.SkipWithError("Tarnhold could not be registered");
    const std::string report = (home.path() + QStringLiteral("/report.html")).toStdString();
    double cpu = 0;
    double rss = 0;
    int exit = 0;
    for (auto _ : state) {
        usage = rusage{};
        exit = RunProgram({FAVORITES_TOOL_PATH, "check", favorites.toStdString(), "--report", report}, usage, peakKb);
        cpu += static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0 +
               static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0;
        rss = std::max(rss, static_cast<double>(peakKb) / 1024.0);
    }
    unsetenv("STRANDMOOR_HIVE");
    // The 40 silent favorites make it exit with 1.
    if (exit != 1)
        state.SkipWithError("favorites check did not find the silent favorites");
    const double runs = static_cast<double>(state.iterations());
    state.counters["time_per_link"] = benchmark::Counter(static_cast<double>(state.iterations() * 200),
                                                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["cpu_ms_per_run"] = cpu / runs;
    state.counters["cpu_ms_per_1000_links"] = cpu / runs * 1000.0 / 200;
    state.counters["max_rss_mb"] = rss;
}

// 32 favorites on 16 hosts that accept and never answer: the run's processor time while all
// its probes wait out a one-second time-out.
void CheckAllSilentHosts(benchmark::State& state)
{
    static std::vector<std::unique_ptr<LoopbackServer>> hosts;
    static std::vector<QString> urls;
    if (hosts.empty()) {
        for (int host = 1; host <= 16; ++host) {
            hosts.push_back(std::make_unique<LoopbackServer>(
                [](ServerConnection& c) {
                    c.ReadRequest();
                    c.WaitForClientClose();
                },
                LoopbackServer::Options{"127.0.1." + std::to_string(host), true, {}}));
        }
        for (int i = 0; i < 32; ++i)
            urls.push_back(hosts[static_cast<size_t>(i % 16)]->Url(QStringLiteral("/quiet%1").arg(i)));
    }
    CheckAll(state, WriteFavorites(QStringLiteral("silent-hosts"), urls, 32), 32, CheckRunLimits{}, false, 0);
}

// The probes alone, one after another on one probe object, without files and tree.
void ProbesOverLoopback(benchmark::State& state)
{
    HttpProbe probe;
    const std::vector<QString> urls = AnsweringUrls(false);
    int answered = 0;
    for (auto _ : state) {
        answered = 0;
        for (const QString& url : urls)
            answered += ProbeUrl(probe, url, 2000).Status == 200 ? 1 : 0;
    }
    if (answered != LinkCount)
        state.SkipWithError("not every probe was answered");
    state.counters["time_per_link"] = benchmark::Counter(static_cast<double>(state.iterations() * LinkCount),
                                                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// The same requests with blocking calls and nothing else: no files, no tree, no event loop.
void BlockingLoopOverLoopback(benchmark::State& state)
{
    std::vector<QByteArray> requests;
    std::vector<uint16_t> ports;
    for (const QString& url : AnsweringUrls(false)) {
        const ProbeTarget target = *SplitProbeUrl(url);
        requests.push_back(ProbeRequest(target.Host, target.Path));
        ports.push_back(*ProbePort(target.Port));
    }
    char buffer[4096];
    int answered = 0;
    for (auto _ : state) {
        answered = 0;
        for (size_t i = 0; i < requests.size(); ++i) {
            const int s = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
            sockaddr_in address{};
            address.sin_family = AF_INET;
            address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            address.sin_port = htons(ports[i]);
            if (connect(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
                send(s, requests[i].constData(), static_cast<size_t>(requests[i].size()), MSG_NOSIGNAL) > 0) {
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
    state.counters["time_per_link"] = benchmark::Counter(static_cast<double>(state.iterations() * LinkCount),
                                                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// Processor time of the whole process while one probe waits out a one-second time-out on a
// server that accepts and says nothing (argument: TLS, the handshake done first).
void ProbeWaitingOnASilentServer(benchmark::State& state)
{
    LoopbackServer silent([](ServerConnection& c) {
        c.ReadRequest();
        c.WaitForClientClose();
    });
    TlsServer silentTls(TlsServer::CertificateFolder() + QStringLiteral("/server.pem"), nullptr);
    const QString url = state.range(0) ? silentTls.Url() : silent.Url();
    HttpProbe probe;
    // The first https probe loads the system's certificate authorities once for the process.
    ProbeUrl(probe, url, 100);
    double cpu = 0;
    for (auto _ : state) {
        const double before = ProcessCpuMs();
        const ProbeResult result = ProbeUrl(probe, url, 1000);
        cpu += ProcessCpuMs() - before;
        benchmark::DoNotOptimize(result.Status);
    }
    state.counters["cpu_ms_per_second"] = cpu / static_cast<double>(state.iterations());
}
} // namespace

BENCHMARK(BlockingLoopOverLoopback)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(ProbesOverLoopback)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(CheckAllAnswering)
    ->ArgNames({"parallel", "shown"})
    ->Args({0, 0})
    ->Args({1, 0})
    ->Args({1, 1})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0)
    ->UseRealTime();
BENCHMARK(CheckAllAnsweringTls)
    ->ArgName("parallel")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0)
    ->UseRealTime();
BENCHMARK(CheckAllSlowHosts)
    ->ArgName("parallel")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();
BENCHMARK(FavoritesCheckSlowHosts)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(CheckAllSilentHosts)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();
BENCHMARK(ProbeWaitingOnASilentServer)->ArgName("tls")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    desktop::InterceptMessageBoxes(true);
    TrustProbeCertificates(QSslCertificate::fromPath(TlsServer::CertificateFolder() + QStringLiteral("/ca.pem")));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
