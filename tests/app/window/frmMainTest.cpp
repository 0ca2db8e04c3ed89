#include "app/window/frmMain.h"

#include "platform/controls/StatusBar.h"
#include "platform/win32/WinTypes.h"
#include "tests/app/MainWindowFixture.h"
#include "tests/support/PrivateRegistry.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QElapsedTimer>
#include <QProcess>
#include <QTest>
#include <QThread>
#include <QToolBar>

namespace
{
const std::string SettingsKey = "Software\\Orrindale\\Strandmoor";
const std::string ShellFolders = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// Each test starts its own main windows, which find the test's Favorites folder through a
// private hive.
class frmMainTest : public MainWindowFixture
{
protected:
    frmMainTest()
    {
        Registry.WriteValue(win32::HKEY_CURRENT_USER, ShellFolders, "Favorites", win32::REG_SZ,
                            Favorites.Path().toStdString() + '\0');
    }

    PrivateRegistry Registry;
};
} // namespace

TEST_F(frmMainTest, StartUpLoadsTheFavoritesFolderShowsTheTotalsAndSetsTheHelpFile)
{
    Favorites.WriteFile(QStringLiteral("One.url"));
    Favorites.WriteFile(QStringLiteral("Sub/Two.url"));
    AppSettings.Timeout = 0;
    frmMain window;
    ASSERT_TRUE(window.Load());

    EXPECT_EQ(window.Favorites.FavoritesPath, Favorites.Path());
    EXPECT_EQ(window.tvFolders->Nodes().Count(), 4);
    EXPECT_EQ(window.sbStatus->PanelText(1), QStringLiteral("Total: 2 Favorites in 2 Folders  "));
    EXPECT_EQ(window.sbStatus->PanelCount(), 2);
    EXPECT_EQ(AppSettings.Timeout, 1000);
    EXPECT_EQ(desktop::App::HelpFile(), Program.Sub(QStringLiteral("Strandmoor.chm")));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Strandmoor"));
    EXPECT_TRUE(desktop::ShownMessages().isEmpty());

    // F1 opens the help file beside the program.
    window.show();
    QApplication::setActiveWindow(&window);
    QTest::keyClick(&window, Qt::Key_F1);
    const auto requests = win32::ShellRequests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(QString::fromStdString(requests[0].File), Program.Sub(QStringLiteral("Strandmoor.chm")));
}

TEST_F(frmMainTest, AnEmptyFavoritesValueEndsTheProgramWithoutSavingAnything)
{
    Registry.WriteValue(win32::HKEY_CURRENT_USER, ShellFolders, "Favorites", win32::REG_SZ, std::string(1, '\0'));
    {
        frmMain window;
        EXPECT_FALSE(window.Load());
        EXPECT_EQ(window.tvFolders->Nodes().Count(), 0);
    }
    ASSERT_EQ(desktop::ShownMessages().size(), 1);
    EXPECT_EQ(desktop::ShownMessages()[0].Prompt, QStringLiteral("Cannot Find Favorites Folder"));
    EXPECT_EQ(desktop::ShownMessages()[0].Title, QStringLiteral("Favorites Not Found"));
    EXPECT_EQ(desktop::ShownMessages()[0].Style, desktop::vbOKOnly);
    EXPECT_FALSE(Registry.KeyExists(win32::HKEY_CURRENT_USER, SettingsKey));
}

TEST_F(frmMainTest, ClosingIsRefusedDuringACheckAndSavesTheSettingsAfterIt)
{
    frmMain window;
    ASSERT_TRUE(window.Load());
    window.show();
    window.CheckRunning = true;
    EXPECT_FALSE(window.close());
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(Registry.KeyExists(win32::HKEY_CURRENT_USER, SettingsKey));
    EXPECT_TRUE(desktop::ShownMessages().isEmpty());

    // Once the run is over it closes, with the dialogs beside it, and saves the settings.
    auto* beside = new QDialog(&window);
    beside->show();
    window.CheckRunning = false;
    AppSettings.Timeout = 1750;
    EXPECT_TRUE(window.close());
    EXPECT_FALSE(beside->isVisible());
    EXPECT_EQ(Registry.ValueNames(win32::HKEY_CURRENT_USER, SettingsKey).size(), 8u);
    EXPECT_EQ(Registry.ReadValue(win32::HKEY_CURRENT_USER, SettingsKey, "Timeout").second, std::string("\xD6\x06\0\0", 4));
}

TEST_F(frmMainTest, AFailedSaveIsLoggedAndTheWindowClosesAllTheSame)
{
    frmMain window;
    ASSERT_TRUE(window.Load());
    window.show();
    ASSERT_TRUE(PrivateRegistry::CallEntryPoint("DllUnregisterServer"));
    EXPECT_TRUE(window.close());
    EXPECT_FALSE(window.isVisible());
    ASSERT_EQ(desktop::ShownMessages().size(), 1);
    EXPECT_TRUE(desktop::ShownMessages()[0].Title.startsWith(QStringLiteral("Error ")));
    EXPECT_EQ(Program.ReadFile(QStringLiteral("ERROR.LOG")).count("\r\n"), 1);
    EXPECT_FALSE(Registry.KeyExists(win32::HKEY_CURRENT_USER, SettingsKey));
}

TEST_F(frmMainTest, ASecondStartEndsAtOnceAndTheFirstSavesWhenTerminated)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("STRANDMOOR_HIVE"), Registry.HivePath());
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), Program.Path());

    QProcess first;
    first.setProcessEnvironment(environment);
    first.start(QStringLiteral(STRANDMOOR_PROGRAM), QStringList());
    ASSERT_TRUE(first.waitForStarted());
    // The first instance holds its lock once it has started up.
    QElapsedTimer waited;
    waited.start();
    while (!QFile::exists(Program.Sub(QStringLiteral("Strandmoor.lock"))) && waited.elapsed() < 10000)
        QThread::msleep(20);
    QThread::msleep(300);
    ASSERT_EQ(first.state(), QProcess::Running);

    QProcess second;
    second.setProcessEnvironment(environment);
    second.start(QStringLiteral(STRANDMOOR_PROGRAM), QStringList());
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(first.state(), QProcess::Running);
    EXPECT_FALSE(Registry.KeyExists(win32::HKEY_CURRENT_USER, SettingsKey));

    // Ended from outside, as a logout ends it: the settings are saved as a close saves them.
    first.terminate();
    ASSERT_TRUE(first.waitForFinished(10000));
    EXPECT_EQ(first.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(Registry.ValueNames(win32::HKEY_CURRENT_USER, SettingsKey).size(), 8u);
}

TEST_F(frmMainTest, ThePlacementSurvivesStartAndExitUnchangedWithAFrame)
{
    std::vector<std::string> saved;
    for (int start = 0; start < 3; ++start) {
        frmMain window;
        ASSERT_TRUE(window.Load());
        window.show();
        QApplication::processEvents();
        // The round trip is only worth testing where the frame adds to the inner size.
        EXPECT_GT(window.frameGeometry().height(), window.height());
        ASSERT_TRUE(window.close());
        std::string values;
        for (const char* name : {"Top", "Left", "Height", "Width"})
            values += Registry.ReadValue(win32::HKEY_CURRENT_USER, SettingsKey, name).second;
        saved.push_back(values);
    }
    EXPECT_EQ(saved[1], saved[0]);
    EXPECT_EQ(saved[2], saved[0]);
}

TEST_F(frmMainTest, TheToolBarShowsAllItsButtonsAndTheTreeFillsTheSpaceBelow)
{
    frmMain window;
    ASSERT_TRUE(window.Load());
    window.show();
    QApplication::processEvents();
    ASSERT_EQ(window.centralWidget()->width(), 289);
    // Nothing goes into the overflow menu: every button and separator stands on the bar.
    const QWidget* overflow = window.tbToolbar->findChild<QWidget*>(QStringLiteral("qt_toolbar_ext_button"));
    EXPECT_TRUE(!overflow || !overflow->isVisible());
    ASSERT_EQ(window.tbToolbar->actions().size(), 15);
    for (QAction* action : window.tbToolbar->actions()) {
        const QWidget* item = window.tbToolbar->widgetForAction(action);
        ASSERT_NE(item, nullptr);
        EXPECT_TRUE(item->isVisible()) << action->objectName().toStdString();
        EXPECT_LE(item->geometry().right(), window.tbToolbar->width()) << action->objectName().toStdString();
    }

    window.resize(400, 500);
    QApplication::processEvents();
    const QWidget* client = window.tvFolders->parentWidget();
    const int top = window.tbToolbar->height();
    EXPECT_EQ(window.tvFolders->geometry(),
              QRect(0, top, client->width(), client->height() - top - window.sbStatus->height()));
    EXPECT_EQ(window.sbStatus->geometry().bottom(), client->height() - 1);
    EXPECT_EQ(window.tbToolbar->width(), client->width());

    // Too small for both bars: the tree gets no height rather than a negative one.
    window.resize(400, 20);
    QApplication::processEvents();
    EXPECT_EQ(window.tvFolders->height(), 0);
    EXPECT_EQ(window.tvFolders->width(), client->width());
}
