#include "app/window/CommandState.h"

#include "app/favorites/FavoritesTree.h"
#include "app/window/frmMain.h"
#include "platform/controls/TreeView.h"
#include "tests/support/TestFolder.h"

#include <QAction>

#include <gtest/gtest.h>

namespace
{
// Which governed item is meant: a menu array and an index, or a tool bar button.
enum class Array
{
    File,
    Edit,
    Links,
    NodePopup,
    FolderPopup,
    Button,
};

// One row of the availability table: on, idle (only while no check runs), running (only
// while one runs) or off, for the root, a folder, a link and a started check.
struct Row
{
    Array In;
    int Index;
    const char* Root;
    const char* Folder;
    const char* Link;
    const char* Started;
};

const Row Table[] = {
    {Array::File, 1, "on", "on", "on", "on"},
    {Array::Edit, 1, "off", "idle", "idle", "off"},
    {Array::Edit, 2, "off", "idle", "idle", "off"},
    {Array::Edit, 3, "idle", "idle", "idle", "off"},
    {Array::Edit, 4, "off", "off", "off", "off"},
    {Array::Edit, 5, "idle", "idle", "idle", "off"},
    {Array::Edit, 6, "idle", "idle", "idle", "off"},
    {Array::Edit, 7, "off", "off", "off", "off"},
    {Array::Edit, 8, "off", "idle", "idle", "off"},
    {Array::Edit, 9, "off", "idle", "idle", "off"},
    {Array::Edit, 10, "off", "off", "off", "off"},
    {Array::Edit, 11, "on", "on", "on", "on"},
    {Array::Edit, 12, "off", "off", "off", "off"},
    {Array::Edit, 13, "on", "on", "on", "on"},
    {Array::Links, 1, "idle", "idle", "idle", "off"},
    {Array::Links, 2, "off", "off", "idle", "off"},
    {Array::Links, 3, "idle", "idle", "idle", "idle"},
    {Array::Links, 4, "running", "running", "running", "running"},
    {Array::Links, 5, "off", "off", "off", "off"},
    {Array::Links, 6, "off", "off", "on", "off"},
    {Array::Links, 7, "off", "off", "off", "off"},
    {Array::Links, 8, "idle", "idle", "idle", "off"},
    {Array::Links, 9, "off", "off", "off", "off"},
    {Array::Links, 10, "off", "off", "on", "off"},
    {Array::NodePopup, 1, "on", "on", "on", "on"},
    {Array::NodePopup, 2, "on", "on", "on", "on"},
    {Array::NodePopup, 3, "off", "off", "off", "off"},
    {Array::NodePopup, 4, "off", "off", "idle", "off"},
    {Array::NodePopup, 5, "off", "off", "idle", "off"},
    {Array::NodePopup, 6, "off", "off", "idle", "off"},
    {Array::NodePopup, 7, "off", "off", "off", "off"},
    {Array::NodePopup, 8, "off", "off", "idle", "off"},
    {Array::NodePopup, 9, "off", "off", "idle", "off"},
    {Array::NodePopup, 10, "off", "off", "off", "off"},
    {Array::NodePopup, 11, "off", "off", "idle", "off"},
    {Array::NodePopup, 12, "off", "off", "idle", "off"},
    {Array::NodePopup, 13, "off", "off", "off", "off"},
    {Array::NodePopup, 14, "on", "on", "on", "on"},
    {Array::FolderPopup, 1, "idle", "idle", "off", "off"},
    {Array::FolderPopup, 2, "off", "off", "off", "off"},
    {Array::FolderPopup, 3, "off", "idle", "off", "off"},
    {Array::FolderPopup, 4, "off", "idle", "off", "off"},
    {Array::FolderPopup, 5, "idle", "idle", "off", "off"},
    {Array::FolderPopup, 6, "off", "off", "off", "off"},
    {Array::FolderPopup, 7, "idle", "idle", "off", "off"},
    {Array::FolderPopup, 8, "idle", "idle", "off", "off"},
    {Array::FolderPopup, 9, "off", "off", "off", "off"},
    {Array::FolderPopup, 10, "off", "idle", "off", "off"},
    {Array::FolderPopup, 11, "off", "idle", "off", "off"},
    {Array::Button, 1, "off", "off", "off", "off"},
    {Array::Button, 2, "idle", "idle", "idle", "off"},
    {Array::Button, 3, "off", "off", "idle", "off"},
    {Array::Button, 4, "idle", "idle", "idle", "idle"},
    {Array::Button, 5, "running", "running", "running", "running"},
    {Array::Button, 6, "off", "off", "off", "off"},
    {Array::Button, 7, "off", "off", "on", "off"},
    {Array::Button, 8, "on", "on", "on", "on"},
    {Array::Button, 9, "off", "off", "off", "off"},
    {Array::Button, 10, "off", "idle", "idle", "off"},
    {Array::Button, 11, "off", "idle", "idle", "off"},
    {Array::Button, 12, "idle", "idle", "idle", "off"},
    {Array::Button, 13, "off", "idle", "idle", "off"},
    {Array::Button, 14, "off", "off", "off", "off"},
    {Array::Button, 15, "on", "on", "on", "on"},
};

bool Expected(const char* rule, bool running)
{
    const std::string r = rule;
    return r == "on" || (r == "idle" && !running) || (r == "running" && running);
}

const char* RuleFor(const Row& row, CommandContext context)
{
    switch (context) {
    case RootSelected:
        return row.Root;
    case FolderSelected:
        return row.Folder;
    case LinkSelected:
        return row.Link;
    default:
        return row.Started;
    }
}

class CommandStateTest : public ::testing::Test
{
protected:
    CommandStateTest()
    {
        Favorites.WriteFile(QStringLiteral("Link.url"));
        Favorites.MakeFolder(QStringLiteral("Folder"));
        Main.Favorites.FavoritesPath = Favorites.Path();
        LoadFavoritesTree(*Main.tvFolders, Main.Favorites);
    }

    QAction* Governed(const Row& row)
    {
        switch (row.In) {
        case Array::File:
            return Main.mnuFileMenu.Item(row.Index);
        case Array::Edit:
            return Main.mnuEditMenu.Item(row.Index);
        case Array::Links:
            return Main.mnuLinksMenu.Item(row.Index);
        case Array::NodePopup:
            return Main.mnuNodePopup.Item(row.Index);
        case Array::FolderPopup:
            return Main.mnuFolderPopup.Item(row.Index);
        default:
            return Main.tbButtons.Button(row.Index);
        }
    }

    // Checks every governed item against the table's column for `expectedColumn`.
    void ExpectColumn(CommandContext expectedColumn, const std::string& what)
    {
        for (const Row& row : Table) {
            QAction* item = Governed(row);
            ASSERT_NE(item, nullptr) << what;
            EXPECT_EQ(item->isEnabled(), Expected(RuleFor(row, expectedColumn), Main.CheckRunning))
                << what << ": array " << static_cast<int>(row.In) << " index " << row.Index
                << (Main.CheckRunning ? " while running" : " while idle");
        }
        for (int index = 1; index <= Main.mnuHelpMenu.Count(); ++index)
            EXPECT_TRUE(Main.mnuHelpMenu.Item(index)->isEnabled() || Main.mnuHelpMenu.Item(index)->isSeparator());
    }

    TreeNode* Node(const QString& text)
    {
        for (int i = 1; i <= Main.tvFolders->Nodes().Count(); ++i) {
            if (Main.tvFolders->Nodes().Item(i)->Text() == text)
                return Main.tvFolders->Nodes().Item(i);
        }
        return nullptr;
    }

    TestFolder Favorites;
    frmMain Main;
};
} // namespace

TEST_F(CommandStateTest, EveryGovernedItemFollowsTheTableInEveryContext)
{
    ASSERT_EQ(std::size(Table), 13u + 1u + 10u + 14u + 11u + 15u);
    for (bool running : {false, true}) {
        for (CommandContext context : {RootSelected, FolderSelected, LinkSelected, CheckStarted}) {
            Main.CheckRunning = running;
            // Whatever was enabled before must not leak into the result.
            UpdateCommandState(Main, context == RootSelected ? LinkSelected : RootSelected);
            UpdateCommandState(Main, context);
            ExpectColumn(context, "context " + std::to_string(context));
        }
    }
}

TEST_F(CommandStateTest, AFinishedCheckWorksOutTheContextFromTheSelectedNode)
{
    struct Case
    {
        const char* Selected;
        CommandContext Column;
    };
    const Case cases[] = {{"Favorites", RootSelected}, {"Folder", FolderSelected}, {"Link", LinkSelected}};
    for (const Case& c : cases) {
        Node(QString::fromLatin1(c.Selected))->SetSelected(true);
        Main.CheckRunning = false;
        UpdateCommandState(Main, CheckStarted);
        UpdateCommandState(Main, CheckFinished);
        ExpectColumn(c.Column, std::string("finished with ") + c.Selected);
    }
    // A collapsed folder still counts as a folder.
    Node(QStringLiteral("Folder"))->SetImage(16);
    Node(QStringLiteral("Folder"))->SetSelected(true);
    UpdateCommandState(Main, CheckFinished);
    ExpectColumn(FolderSelected, "finished with a collapsed folder");
}

TEST_F(CommandStateTest, AContextOutsideTheKnownOnesActsLikeAStartedCheck)
{
    for (bool running : {false, true}) {
        Main.CheckRunning = running;
        UpdateCommandState(Main, LinkSelected);
        UpdateCommandState(Main, static_cast<CommandContext>(9));
        ExpectColumn(CheckStarted, "context 9");
    }
}
