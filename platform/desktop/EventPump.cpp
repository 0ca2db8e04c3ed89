#include "platform/desktop/EventPump.h"

#include <QCoreApplication>
#include <QEventLoop>

namespace desktop
{

void WaitForEvents()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

} // namespace desktop
