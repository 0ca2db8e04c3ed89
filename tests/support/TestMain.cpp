// The main of every test executable: an offscreen application, a private HOME, and message
// boxes answered by the tests instead of a person.
#include "platform/desktop/MessageBox.h"

#include <QApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    // Nothing a test does may reach the real user's files.
    QTemporaryDir home;
    if (!home.isValid())
        return 2;
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_DATA_HOME", (home.path() + QStringLiteral("/.local/share")).toUtf8());
    qputenv("XDG_STATE_HOME", (home.path() + QStringLiteral("/.local/state")).toUtf8());
    qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/.config")).toUtf8());
    qputenv("XDG_RUNTIME_DIR", home.path().toUtf8());

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Strandmoor"));
    desktop::InterceptMessageBoxes(true);

    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
