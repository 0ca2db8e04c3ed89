#include "platform/desktop/EndOfSession.h"

#include "platform/desktop/SignalEvents.h"

#include <QGuiApplication>
#include <QSessionManager>

#include <csignal>
#include <cstdlib>

namespace desktop
{

void OnEndOfSession(std::function<void()> save)
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    const auto end = [save](int) {
        save();
        // Ending now: a check run or a dialog may hold nested event loops that an orderly
        // quit would wait for, and the session will not.
        std::_Exit(0);
    };
    OnSignal(SIGTERM, end);
    OnSignal(SIGHUP, end);

    if (auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        QObject::connect(application, &QGuiApplication::commitDataRequest, application,
                         [save](QSessionManager&) { save(); });
    }
}

} // namespace desktop
