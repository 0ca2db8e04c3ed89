#include "app/settings/Common.h"
#include "app/window/Menus.h"

#include "app/favorites/FavoritesTree.h"
#include "app/window/CommandState.h"
#include "app/window/Commands.h"
#include "app/window/frmMain.h"
#include "platform/controls/ImageList.h"
#include "platform/controls/TreeView.h"
#include "platform/desktop/Application.h"
#include "platform/win32/ShellExecute.h"
#include "tests/support/TestFolder.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QToolBar>

#include <gtest/gtest.h>

namespace
{
struct Item
{
    const char* Caption;
    const char* Shortcut;
    Command Runs;
};

// The menus as the user meets them, written out here independently of the code's tables.
const std::vector<Item> FileMenu = {{"E&xit", "", Command::Exit}};
const std::vector<Item> EditMenu = {
    {"C&ut", "Ctrl+X", Command::Cut},          {"&Copy", "Ctrl+C", Command::Copy},
    {"&Paste", "Ctrl+V", Command::Paste},      {"-", "", Command::None},
    {"New &Folder", "", Command::NewFolder},   {"&New Favorite", "", Command::NewFavorite},
    {"-", "", Command::None},                  {"&Delete", "Del", Command::Delete},
    {"&Rename", "", Command::Rename},          {"-", "", Command::None},
    {"Find", "Ctrl+F", Command::Find},         {"-", "", Command::None},
    {"&Options", "", Command::Options},
};
const std::vector<Item> LinksMenu = {
    {"Check &All Links", "", Command::CheckAllLinks},
    {"Check &This Link", "", Command::CheckThisLink},
    {"Check Links in This &Directory", "", Command::CheckDirectory},
    {"&Stop Checking", "", Command::StopChecking},
    {"-", "", Command::None},
    {"&Launch Link", "", Command::LaunchLink},
    {"-", "", Command::None},
    {"&Refresh", "F5", Command::Refresh},
    {"-", "", Command::None},
    {"&Properties", "", Command::Properties}, // with a link selected
};
const std::vector<Item> HelpMenu = {
    {"&Help Topics", "", Command::HelpTopics},
    {"-", "", Command::None},
    {"&About Strandmoor", "", Command::About},
    {"&Orrindale Software", "", Command::Vendor},
};
const std::vector<Item> NodePopup = {
    {"&Check Link", "", Command::CheckThisLink}, {"&Launch Link", "", Command::LaunchLink},
    {"-", "", Command::None},                    {"Cu&t", "", Command::Cut},
    {"&Copy", "", Command::Copy},                {"&Paste", "", Command::Paste},
    {"-", "", Command::None},                    {"New Folder", "", Command::NewFolder},
    {"New Favorite", "", Command::NewFavorite},  {"-", "", Command::None},
    {"&Delete", "", Command::Delete},            {"&Rename", "", Command::Rename},
    {"-", "", Command::None},                    {"&Properties", "", Command::Properties},
};
const std::vector<Item> FolderPopup = {
    {"Check Links in This &Directory", "", Command::CheckDirectory},
    {"-", "", Command::None},
    {"Cu&t", "", Command::Cut},
    {"&Copy", "", Command::Copy},
    {"&Paste", "", Command::Paste},
    {"-", "", Command::None},
    {"New Folder", "", Command::NewFolder},
    {"New Favorite", "", Command::NewFavorite},
    {"-", "", Command::None},
    {"&Delete", "", Command::Delete},
    {"&Rename", "", Command::Rename},
};

struct Button
{
    const char* Key;
    const char* ToolTip;
    int Picture;
    Command Runs;
};
const std::vector<Button> Toolbar = {
    {"", "", 0, Command::None},
    {"CheckAll", "Check All Links", 13, Command::CheckAllLinks},
    {"CheckOne", "Check Highlighted Link", 14, Command::CheckThisLink},
    {"CheckDir", "Check Links in this Directory", 18, Command::CheckDirectory},
    {"StopChecking", "Stop Checking Links", 15, Command::StopChecking},
    {"", "", 0, Command::None},
    {"LaunchLink", "Launch Highlighted Link", 11, Command::LaunchLink},
    {"Find", "Find Favorite", 17, Command::Find},
    {"", "", 0, Command::None},
    {"Cut", "Cut", 7, Command::Cut},
    {"Copy", "Copy", 8, Command::Copy},
    {"Paste", "Paste", 9, Command::Paste},
    {"Delete", "Delete", 10, Command::Delete},
    {"", "", 0, Command::None},
    {"Help", "Strandmoor Help", 1, Command::HelpTopics},
};

class MenusTest : public ::testing::Test
{
protected:
    MenusTest()
    {
        Favorites.WriteFile(QStringLiteral("Link.url"));
        Favorites.MakeFolder(QStringLiteral("Folder"));
        Main.Favorites.FavoritesPath = Favorites.Path();
        LoadFavoritesTree(*Main.tvFolders, Main.Favorites);
        SetCommandRecorder([this](Command command) { Recorded.push_back(command); });
    }
    ~MenusTest() override { SetCommandRecorder(nullptr); }

    void Select(const char* text)
    {
        for (int i = 1; i <= Main.tvFolders->Nodes().Count(); ++i) {
            if (Main.tvFolders->Nodes().Item(i)->Text() == QString::fromLatin1(text))
                Main.tvFolders->Nodes().Item(i)->SetSelected(true);
        }
    }

    void ExpectMenu(const MenuItems& items, const std::vector<Item>& expected, void (*click)(frmMain&, int),
                    const char* name)
    {
        ASSERT_EQ(items.Count(), static_cast<int>(expected.size())) << name;
        for (int index = 1; index <= items.Count(); ++index) {
            const Item& want = expected[static_cast<size_t>(index - 1)];
            QAction* item = items.Item(index);
            if (std::string(want.Caption) == "-") {
                EXPECT_TRUE(item->isSeparator()) << name << " " << index;
            } else {
                EXPECT_EQ(item->text(), QString::fromLatin1(want.Caption)) << name << " " << index;
                EXPECT_EQ(item->shortcut(), QKeySequence(QString::fromLatin1(want.Shortcut))) << name << " " << index;
            }
            Recorded.clear();
            click(Main, index);
            if (want.Runs == Command::None)
                EXPECT_TRUE(Recorded.empty()) << name << " " << index;
            else
                EXPECT_EQ(Recorded, std::vector<Command>{want.Runs}) << name << " " << index;
        }
    }

    TestFolder Favorites;
    frmMain Main;
    std::vector<Command> Recorded;
};
} // namespace

TEST_F(MenusTest, EveryMenuItemHasItsCaptionShortcutIndexAndCommand)
{
    Select("Link");
    const QList<QAction*> bar = Main.menuBar()->actions();
    ASSERT_EQ(bar.size(), 4);
    EXPECT_EQ(bar[0]->text(), QStringLiteral("&File"));
    EXPECT_EQ(bar[1]->text(), QStringLiteral("&Edit"));
    EXPECT_EQ(bar[2]->text(), QStringLiteral("&Links"));
    EXPECT_EQ(bar[3]->text(), QStringLiteral("&Help"));
    EXPECT_EQ(Main.mnuNode->title(), QStringLiteral("Node"));
    EXPECT_EQ(Main.mnuFolder->title(), QStringLiteral("Folder"));

    ExpectMenu(Main.mnuFileMenu, FileMenu, mnuFileMenu_Click, "File");
    ExpectMenu(Main.mnuEditMenu, EditMenu, mnuEditMenu_Click, "Edit");
    ExpectMenu(Main.mnuLinksMenu, LinksMenu, mnuLinksMenu_Click, "Links");
    ExpectMenu(Main.mnuHelpMenu, HelpMenu, mnuHelpMenu_Click, "Help");
    ExpectMenu(Main.mnuNodePopup, NodePopup, mnuNodePopup_Click, "Node");
    ExpectMenu(Main.mnuFolderPopup, FolderPopup, mnuFolderPopup_Click, "Folder");
    EXPECT_EQ(Main.mnuNode->defaultAction(), Main.mnuNodePopup.Item(1));
    EXPECT_EQ(Main.mnuFolder->defaultAction(), Main.mnuFolderPopup.Item(1));
    // Indexes outside a menu run nothing.
    Recorded.clear();
    mnuEditMenu_Click(Main, 14);
    mnuLinksMenu_Click(Main, 0);
    EXPECT_TRUE(Recorded.empty());
}

TEST_F(MenusTest, TheToolBarHasFifteenButtonsDispatchedByKey)
{
    ASSERT_EQ(Main.tbButtons.Count(), 15);
    ASSERT_EQ(Main.tbToolbar->actions().size(), 15);
    EXPECT_EQ(Main.tbToolbar->toolButtonStyle(), Qt::ToolButtonIconOnly);
    for (int index = 1; index <= 15; ++index) {
        const Button& want = Toolbar[static_cast<size_t>(index - 1)];
        QAction* button = Main.tbButtons.Button(index);
        EXPECT_EQ(Main.tbToolbar->actions()[index - 1], button);
        if (std::string(want.Key).empty()) {
            EXPECT_TRUE(button->isSeparator()) << index;
            continue;
        }
        EXPECT_EQ(button->objectName(), QString::fromLatin1(want.Key));
        EXPECT_EQ(button->toolTip(), QString::fromLatin1(want.ToolTip));
        EXPECT_TRUE(button->text().isEmpty());
        const QImage shown = button->icon().pixmap(16, 16).toImage();
        const QImage picture = Main.Images->Image(want.Picture).pixmap(16, 16).toImage();
        EXPECT_EQ(shown, picture) << want.Key;
        Recorded.clear();
        tbToolbar_ButtonClick(Main, button);
        EXPECT_EQ(Recorded, std::vector<Command>{want.Runs}) << want.Key;
    }
    // Keys are compared with their letter case.
    QAction stranger;
    stranger.setObjectName(QStringLiteral("checkall"));
    Recorded.clear();
    tbToolbar_ButtonClick(Main, &stranger);
    EXPECT_TRUE(Recorded.empty());
}

TEST_F(MenusTest, PropertiesFromTheLinksMenuDoNothingForAFolder)
{
    Select("Folder");
    mnuLinksMenu_Click(Main, 10);
    EXPECT_TRUE(Recorded.empty());
    mnuNodePopup_Click(Main, 14);
    EXPECT_EQ(Recorded, std::vector<Command>{Command::Properties});
}

TEST_F(MenusTest, ShortcutKeysWorkFromTheTreeOnlyWhileTheirItemIsEnabled)
{
    Main.show();
    QApplication::setActiveWindow(&Main);
    Main.tvFolders->setFocus();
    Select("Link");
    UpdateCommandState(Main, LinkSelected);
    struct Key
    {
        QKeySequence Sequence;
        Command Runs;
    };
    const Key keys[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_X), Command::Cut}, {QKeySequence(Qt::CTRL | Qt::Key_C), Command::Copy},
        {QKeySequence(Qt::CTRL | Qt::Key_V), Command::Paste}, {QKeySequence(Qt::Key_Delete), Command::Delete},
        {QKeySequence(Qt::CTRL | Qt::Key_F), Command::Find}, {QKeySequence(Qt::Key_F5), Command::Refresh},
    };
    for (const Key& key : keys) {
        Recorded.clear();
        QTest::keySequence(Main.tvFolders, key.Sequence);
        EXPECT_EQ(Recorded, std::vector<Command>{key.Runs}) << key.Sequence.toString().toStdString();
    }
    // During a check only Find is left of them.
    Main.CheckRunning = true;
    UpdateCommandState(Main, CheckStarted);
    for (const Key& key : keys) {
        Recorded.clear();
        QTest::keySequence(Main.tvFolders, key.Sequence);
        if (key.Runs == Command::Find)
            EXPECT_EQ(Recorded, std::vector<Command>{Command::Find});
        else
            EXPECT_TRUE(Recorded.empty()) << key.Sequence.toString().toStdString();
    }
    Main.CheckRunning = false;
}

TEST(MenuCommands, StopOnlyClearsTheFlagAndHelpOpensTheHelpFile)
{
    TestFolder program;
    desktop::App::SetPath(program.Path());
    frmMain window;
    window.CheckRunning = true;
    RunCommand(window, Command::StopChecking);
    EXPECT_FALSE(window.CheckRunning);
    RunCommand(window, Command::StopChecking);
    EXPECT_FALSE(window.CheckRunning);

    win32::RecordShellRequests(true);
    win32::ClearShellRequests();
    RunCommand(window, Command::HelpTopics);
    RunCommand(window, Command::Vendor);
    const auto requests = win32::ShellRequests();
    win32::RecordShellRequests(false);
    desktop::App::SetPath(QString());
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(QString::fromStdString(requests[0].File), program.Sub(QStringLiteral("Strandmoor.chm")));
    EXPECT_EQ(QString::fromStdString(requests[1].File), VendorAddress());
    EXPECT_TRUE(requests[0].Operation.empty());
}
