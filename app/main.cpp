#include "app/window/frmMain.h"

#include "platform/desktop/MessageBox.h"
#include "platform/runtime/ErrorRecord.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Strandmoor"));
    runtime::SetDefaultErrorSource("Strandmoor");

    frmMain window;
    try {
        if (!window.Load())
            return 0;
    } catch (const runtime::Error& error) {
        // Start-up has no way around a failure (the registry library missing, say): say what
        // went wrong and end without saving anything.
        desktop::MsgBox(QString::fromStdString(error.Description()) + QStringLiteral("\n\nError ") +
                            QString::number(error.Number()) + QStringLiteral(" in ") +
                            QString::fromStdString(error.Source()),
                        desktop::vbCritical, QStringLiteral("Strandmoor"));
        return 1;
    }
    window.show();
    return QApplication::exec();
}
