#include "platform/desktop/EndOfSession.h"

#include <QGuiApplication>
#include <QSessionManager>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace desktop
{

namespace
{
// The write end of the pipe the signal handler writes to; the event loop reads the other.
int SignalPipe[2] = {-1, -1};

void HandleSignal(int signal)
{
    const int saved = errno;
    const char byte = static_cast<char>(signal);
    [[maybe_unused]] const ssize_t written = ::write(SignalPipe[1], &byte, 1);
    errno = saved;
}
} // namespace

void OnEndOfSession(std::function<void()> save)
{
    if (SignalPipe[0] >= 0 || ::pipe2(SignalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    auto* notifier = new QSocketNotifier(SignalPipe[0], QSocketNotifier::Read, qApp);
    QObject::connect(notifier, &QSocketNotifier::activated, qApp, [save] {
        char byte = 0;
        while (::read(SignalPipe[0], &byte, 1) > 0) {
        }
        save();
        // Ending now: a check run or a dialog may hold nested event loops that an orderly
        // quit would wait for, and the session will not.
        std::_Exit(0);
    });
    struct sigaction action
    {
    };
    action.sa_handler = HandleSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);

    if (auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        QObject::connect(application, &QGuiApplication::commitDataRequest, application,
                         [save](QSessionManager&) { save(); });
    }
}

} // namespace desktop
