#include "app/window/frmMain.h"

#include "platform/runtime/ErrorRecord.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Strandmoor"));
    runtime::SetDefaultErrorSource("Strandmoor");

    frmMain window;
    window.Load();
    window.show();
    return QApplication::exec();
}
