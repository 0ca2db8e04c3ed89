#include "platform/desktop/SignalEvents.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <map>
#include <unistd.h>

namespace desktop
{

namespace
{
// The handler writes the signal's number into the pipe; the event loop reads the other end.
int SignalPipe[2] = {-1, -1};

std::map<int, std::function<void(int)>>& Handlers()
{
    static std::map<int, std::function<void(int)>> handlers;
    return handlers;
}

void WakeEventLoop(int signal)
{
    const int saved = errno;
    const auto byte = static_cast<unsigned char>(signal);
    [[maybe_unused]] const ssize_t written = ::write(SignalPipe[1], &byte, 1);
    errno = saved;
}

bool OpenSignalPipe()
{
    if (SignalPipe[0] >= 0)
        return true;
    if (!QCoreApplication::instance() || ::pipe2(SignalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return false;
    auto* notifier = new QSocketNotifier(SignalPipe[0], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [] {
        unsigned char byte = 0;
        while (::read(SignalPipe[0], &byte, 1) > 0) {
            const auto found = Handlers().find(byte);
            if (found == Handlers().end())
                continue;
            // A handler may replace or drop itself.
            const std::function<void(int)> handler = found->second;
            handler(byte);
        }
    });
    return true;
}
} // namespace

bool OnSignal(int signal, std::function<void(int)> handler)
{
    if (!OpenSignalPipe())
        return false;
    Handlers()[signal] = std::move(handler);
    struct sigaction action
    {
    };
    action.sa_handler = WakeEventLoop;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    return sigaction(signal, &action, nullptr) == 0;
}

void DefaultSignal(int signal)
{
    ::signal(signal, SIG_DFL);
    Handlers().erase(signal);
}

} // namespace desktop
