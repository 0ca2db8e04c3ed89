#include "app/window/frmMain.h"

#include "platform/controls/StatusBar.h"
#include "platform/controls/TreeView.h"
#include "platform/desktop/Application.h"
#include "tests/support/TestFolder.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QToolBar>

#include <gtest/gtest.h>

namespace
{
class frmMainTest : public ::testing::Test
{
protected:
    frmMainTest() { desktop::App::SetPath(Program.Path()); }
    ~frmMainTest() override { desktop::App::SetPath(QString()); }

    TestFolder Program;
};
} // namespace

TEST_F(frmMainTest, LoadsTheFavoritesOfTheProfileAndShowsTheTotals)
{
    QDir(QDir::homePath() + QStringLiteral("/Favorites")).removeRecursively();
    frmMain window;
    window.Load();
    EXPECT_TRUE(QDir(QDir::homePath() + QStringLiteral("/Favorites")).exists());
    EXPECT_EQ(window.FavoritesPath, QDir::homePath() + QStringLiteral("/Favorites"));
    EXPECT_EQ(window.sbStatus->PanelText(1), QStringLiteral("Total: 0 Favorites in 1 Folders  "));
    EXPECT_EQ(window.sbStatus->PanelCount(), 2);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Strandmoor"));
    EXPECT_FALSE(window.windowIcon().isNull());
    EXPECT_EQ(window.findChild<TreeView*>(QStringLiteral("tvFolders")), window.tvFolders);
    EXPECT_EQ(window.findChild<QToolBar*>(QStringLiteral("tbToolbar")), window.tbToolbar);
    EXPECT_EQ(window.findChild<StatusBar*>(QStringLiteral("sbStatus")), window.sbStatus);

    QFile(QDir::homePath() + QStringLiteral("/Favorites/One.url")).open(QIODevice::WriteOnly);
    frmMain second;
    second.Load();
    EXPECT_EQ(second.sbStatus->PanelText(1), QStringLiteral("Total: 1 Favorites in 1 Folders  "));
}

TEST_F(frmMainTest, TheTreeFillsTheSpaceBetweenToolBarAndStatusBar)
{
    frmMain window;
    window.resize(400, 500);
    window.show();
    QApplication::processEvents();
    const QWidget* client = window.tvFolders->parentWidget();
    const int top = window.tbToolbar->height();
    EXPECT_EQ(window.tvFolders->geometry(),
              QRect(0, top, client->width(), client->height() - top - window.sbStatus->height()));
    EXPECT_EQ(window.sbStatus->geometry().bottom(), client->height() - 1);
    EXPECT_EQ(window.tbToolbar->width(), client->width());
}

TEST_F(frmMainTest, TheWindowCannotBeClosedWhileACheckRuns)
{
    frmMain window;
    window.show();
    window.CheckRunning = true;
    EXPECT_FALSE(window.close());
    EXPECT_TRUE(window.isVisible());
    window.CheckRunning = false;
    EXPECT_TRUE(window.close());
}
