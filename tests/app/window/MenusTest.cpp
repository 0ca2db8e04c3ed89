#include "app/window/Menus.h"

#include "app/settings/Common.h"
#include "app/window/CommandState.h"
#include "app/window/Commands.h"
#include "platform/controls/ImageList.h"
#include "tests/app/MainWindowFixture.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QToolBar>

#include <array>

namespace
{
using C = Command;

// A menu as the user meets it, written out here independently of the code's tables: the
// captions and the shortcut keys, each separated by "|", and what each item runs.
struct Menu
{
    const char* Name;
    const char* Captions;
    const char* Shortcuts;
    std::vector<Command> Runs;
};

const Menu FileMenu = {"File", "E&xit", "", {C::Exit}};
const Menu EditMenu = {"Edit",
                       "C&ut|&Copy|&Paste|-|New &Folder|&New Favorite|-|&Delete|&Rename|-|Find|-|&Options",
                       "Ctrl+X|Ctrl+C|Ctrl+V|||||Del|||Ctrl+F||",
                       {C::Cut, C::Copy, C::Paste, C::None, C::NewFolder, C::NewFavorite, C::None, C::Delete,
                        C::Rename, C::None, C::Find, C::None, C::Options}};
// Properties as a link's, since a link is selected.
const Menu LinksMenu = {"Links",
                        "Check &All Links|Check &This Link|Check Links in This &Directory|&Stop Checking|-|"
                        "&Launch Link|-|&Refresh|-|&Properties",
                        "|||||||F5||",
                        {C::CheckAllLinks, C::CheckThisLink, C::CheckDirectory, C::StopChecking, C::None,
                         C::LaunchLink, C::None, C::Refresh, C::None, C::Properties}};
const Menu HelpMenu = {"Help", "&Help Topics|-|&About Strandmoor|&Orrindale Software", "|||",
                       {C::HelpTopics, C::None, C::About, C::Vendor}};
const Menu NodePopup = {"Node",
                        "&Check Link|&Launch Link|-|Cu&t|&Copy|&Paste|-|New Folder|New Favorite|-|&Delete|&Rename|-|"
                        "&Properties",
                        "|||||||||||||",
                        {C::CheckThisLink, C::LaunchLink, C::None, C::Cut, C::Copy, C::Paste, C::None,
                         C::NewFolder, C::NewFavorite, C::None, C::Delete, C::Rename, C::None, C::Properties}};
const Menu FolderPopup = {"Folder",
                          "Check Links in This &Directory|-|Cu&t|&Copy|&Paste|-|New Folder|New Favorite|-|&Delete|"
                          "&Rename",
                          "||||||||||",
                          {C::CheckDirectory, C::None, C::Cut, C::Copy, C::Paste, C::None, C::NewFolder,
                           C::NewFavorite, C::None, C::Delete, C::Rename}};

// The tool bar's buttons: key (empty for a separator), tool tip, picture and what each runs.
const std::tuple<const char*, const char*, int, Command> Toolbar[] = {
    {"", "", 0, C::None},
    {"CheckAll", "Check All Links", 13, C::CheckAllLinks},
    {"CheckOne", "Check Highlighted Link", 14, C::CheckThisLink},
    {"CheckDir", "Check Links in this Directory", 18, C::CheckDirectory},
    {"StopChecking", "Stop Checking Links", 15, C::StopChecking},
    {"", "", 0, C::None},
    {"LaunchLink", "Launch Highlighted Link", 11, C::LaunchLink},
    {"Find", "Find Favorite", 17, C::Find},
    {"", "", 0, C::None},
    {"Cut", "Cut", 7, C::Cut},
    {"Copy", "Copy", 8, C::Copy},
    {"Paste", "Paste", 9, C::Paste},
    {"Delete", "Delete", 10, C::Delete},
    {"", "", 0, C::None},
    {"Help", "Strandmoor Help", 1, C::HelpTopics},
};

// The availability table, one row per menu array (or the tool bar) with one string per context
// (root, folder or link selected, check started), one character per index from 1: 'o' on, 'i'
// idle (enabled only while no check runs), 'r' running (enabled only while one runs), '-' off.
// Separators are off everywhere.
const std::pair<const char*, std::array<const char*, 4>> Table[] = {
    {"File", {"o", "o", "o", "o"}},
    {"Edit", {"--i-ii----o-o", "iii-ii-ii-o-o", "iii-ii-ii-o-o", "----------o-o"}},
    {"Links", {"i-ir---i--", "i-ir---i--", "iiir-o-i-o", "--ir------"}},
    {"Node", {"oo-----------o", "oo-----------o", "oo-iii-ii-ii-o", "oo-----------o"}},
    {"Folder", {"i---i-ii---", "i-iii-ii-ii", "-----------", "-----------"}},
    {"Buttons", {"-i-ir--o---i--o", "-i-ir--o-iiii-o", "-iiir-oo-iiii-o", "---ir--o------o"}},
};

size_t Column(CommandContext context)
{
    return context == RootSelected ? 0 : context == FolderSelected ? 1 : context == LinkSelected ? 2 : 3;
}

class MenusTest : public MainWindowFixture
{
protected:
    MenusTest()
    {
        Favorites.WriteFile(QStringLiteral("Link.url"));
        Favorites.MakeFolder(QStringLiteral("Folder"));
        Load();
        SetCommandRecorder([this](Command command) { Recorded.push_back(command); });
    }
    ~MenusTest() override { SetCommandRecorder(nullptr); }

    void ExpectMenu(const MenuItems& items, const Menu& menu, void (*click)(frmMain&, int))
    {
        const QStringList captions = QString::fromLatin1(menu.Captions).split(QLatin1Char('|'));
        const QStringList shortcuts = QString::fromLatin1(menu.Shortcuts).split(QLatin1Char('|'));
        ASSERT_EQ(items.Count(), captions.size()) << menu.Name;
        ASSERT_EQ(shortcuts.size(), captions.size()) << menu.Name;
        for (int index = 1; index <= items.Count(); ++index) {
            const qsizetype i = index - 1;
            QAction* item = items.Item(index);
            if (captions[i] == QStringLiteral("-")) {
                EXPECT_TRUE(item->isSeparator()) << menu.Name << " " << index;
            } else {
                EXPECT_EQ(item->text(), captions[i]) << menu.Name << " " << index;
                EXPECT_EQ(item->shortcut(), QKeySequence(shortcuts[i])) << menu.Name << " " << index;
            }
            Recorded.clear();
            click(Main, index);
            const Command runs = menu.Runs[static_cast<size_t>(i)];
            EXPECT_EQ(Recorded, runs == C::None ? std::vector<Command>{} : std::vector<Command>{runs})
                << menu.Name << " " << index;
        }
    }

    // Every governed item against the table's column for `context`; the Help menu is never touched.
    void ExpectColumn(CommandContext context, const std::string& what)
    {
        const MenuItems* menus[] = {&Main.mnuFileMenu, &Main.mnuEditMenu, &Main.mnuLinksMenu, &Main.mnuNodePopup,
                                    &Main.mnuFolderPopup};
        for (int array = 0; array < 6; ++array) {
            const auto& [name, columns] = Table[array];
            const std::string rules = columns[Column(context)];
            const int count = array < 5 ? menus[array]->Count() : Main.tbButtons.Count();
            ASSERT_EQ(count, static_cast<int>(rules.size())) << name;
            for (int index = 1; index <= count; ++index) {
                const char rule = rules[static_cast<size_t>(index - 1)];
                const bool running = Main.CheckRunning;
                const bool expected = rule == 'o' || (rule == 'i' && !running) || (rule == 'r' && running);
                const QAction* item = array < 5 ? menus[array]->Item(index) : Main.tbButtons.Button(index);
                EXPECT_EQ(item->isEnabled(), expected)
                    << what << (running ? " while running: " : " while idle: ") << name << " " << index;
            }
        }
        for (int index = 1; index <= Main.mnuHelpMenu.Count(); ++index)
            EXPECT_TRUE(Main.mnuHelpMenu.Item(index)->isEnabled() || Main.mnuHelpMenu.Item(index)->isSeparator());
    }

    std::vector<Command> Recorded;
};
} // namespace

TEST_F(MenusTest, EveryMenuItemHasItsCaptionShortcutIndexAndCommand)
{
    Select(QStringLiteral("Link"));
    QStringList titles;
    for (const QAction* menu : Main.menuBar()->actions())
        titles << menu->text();
    EXPECT_EQ(titles, (QStringList{"&File", "&Edit", "&Links", "&Help"}));
    EXPECT_EQ((QStringList{Main.mnuNode->title(), Main.mnuFolder->title()}), (QStringList{"Node", "Folder"}));

    ExpectMenu(Main.mnuFileMenu, FileMenu, mnuFileMenu_Click);
    ExpectMenu(Main.mnuEditMenu, EditMenu, mnuEditMenu_Click);
    ExpectMenu(Main.mnuLinksMenu, LinksMenu, mnuLinksMenu_Click);
    ExpectMenu(Main.mnuHelpMenu, HelpMenu, mnuHelpMenu_Click);
    ExpectMenu(Main.mnuNodePopup, NodePopup, mnuNodePopup_Click);
    ExpectMenu(Main.mnuFolderPopup, FolderPopup, mnuFolderPopup_Click);
    EXPECT_EQ(Main.mnuNode->defaultAction(), Main.mnuNodePopup.Item(1));
    EXPECT_EQ(Main.mnuFolder->defaultAction(), Main.mnuFolderPopup.Item(1));
    // Indexes outside a menu run nothing; Properties from the Links menu does nothing for a
    // folder, from the node pop-up it opens all the same.
    Recorded.clear();
    mnuEditMenu_Click(Main, 14);
    mnuLinksMenu_Click(Main, 0);
    Select(QStringLiteral("Folder"));
    mnuLinksMenu_Click(Main, 10);
    mnuNodePopup_Click(Main, 14);
    EXPECT_EQ(Recorded, std::vector<Command>{C::Properties});
}

// Keys are compared with their letter case.
TEST_F(MenusTest, TheToolBarHasFifteenButtonsDispatchedByKey)
{
    ASSERT_EQ(Main.tbButtons.Count(), 15);
    ASSERT_EQ(Main.tbToolbar->actions().size(), 15);
    EXPECT_EQ(Main.tbToolbar->toolButtonStyle(), Qt::ToolButtonIconOnly);
    for (int index = 1; index <= 15; ++index) {
        const auto& [key, toolTip, picture, runs] = Toolbar[index - 1];
        QAction* button = Main.tbButtons.Button(index);
        EXPECT_EQ(Main.tbToolbar->actions()[index - 1], button);
        if (std::string(key).empty()) {
            EXPECT_TRUE(button->isSeparator()) << index;
            continue;
        }
        EXPECT_EQ(button->objectName(), QString::fromLatin1(key));
        EXPECT_EQ(button->toolTip(), QString::fromLatin1(toolTip));
        EXPECT_TRUE(button->text().isEmpty());
        EXPECT_EQ(button->icon().pixmap(16, 16).toImage(), Main.Images->Image(picture).pixmap(16, 16).toImage())
            << key;
        Recorded.clear();
        tbToolbar_ButtonClick(Main, button);
        EXPECT_EQ(Recorded, std::vector<Command>{runs}) << key;
    }
    QAction stranger;
    stranger.setObjectName(QStringLiteral("checkall"));
    Recorded.clear();
    tbToolbar_ButtonClick(Main, &stranger);
    EXPECT_TRUE(Recorded.empty());
}

TEST_F(MenusTest, ShortcutKeysWorkFromTheTreeOnlyWhileTheirItemIsEnabled)
{
    Main.show();
    QApplication::setActiveWindow(&Main);
    Main.tvFolders->setFocus();
    Select(QStringLiteral("Link"));
    UpdateCommandState(Main, LinkSelected);
    const std::pair<QKeySequence, Command> keys[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_X), C::Cut},   {QKeySequence(Qt::CTRL | Qt::Key_C), C::Copy},
        {QKeySequence(Qt::CTRL | Qt::Key_V), C::Paste}, {QKeySequence(Qt::Key_Delete), C::Delete},
        {QKeySequence(Qt::CTRL | Qt::Key_F), C::Find},  {QKeySequence(Qt::Key_F5), C::Refresh},
    };
    for (const auto& [sequence, runs] : keys) {
        Recorded.clear();
        QTest::keySequence(Main.tvFolders, sequence);
        EXPECT_EQ(Recorded, std::vector<Command>{runs}) << sequence.toString().toStdString();
    }
    // During a check only Find is left of them.
    Main.CheckRunning = true;
    UpdateCommandState(Main, CheckStarted);
    Recorded.clear();
    for (const auto& key : keys)
        QTest::keySequence(Main.tvFolders, key.first);
    EXPECT_EQ(Recorded, std::vector<Command>{C::Find});
    Main.CheckRunning = false;
}

// Stop only clears the flag; Help Topics opens the help file beside the program.
TEST_F(MenusTest, StopOnlyClearsTheFlagAndHelpOpensTheHelpFile)
{
    SetCommandRecorder(nullptr);
    Main.CheckRunning = true;
    RunCommand(Main, C::StopChecking);
    RunCommand(Main, C::StopChecking);
    EXPECT_FALSE(Main.CheckRunning);

    RunCommand(Main, C::HelpTopics);
    RunCommand(Main, C::Vendor);
    const auto requests = win32::ShellRequests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(QString::fromStdString(requests[0].File), Program.Sub(QStringLiteral("Strandmoor.chm")));
    EXPECT_EQ(QString::fromStdString(requests[1].File), VendorAddress());
    EXPECT_TRUE(requests[0].Operation.empty());
}

// A context outside the known ones acts like a started check.
TEST_F(MenusTest, EveryGovernedItemFollowsTheTableInEveryContext)
{
    for (bool running : {false, true}) {
        for (int context : {int{RootSelected}, int{FolderSelected}, int{LinkSelected}, int{CheckStarted}, 0, 9}) {
            Main.CheckRunning = running;
            // Whatever was enabled before must not leak into the result.
            UpdateCommandState(Main, context == LinkSelected ? FolderSelected : LinkSelected);
            UpdateCommandState(Main, static_cast<CommandContext>(context));
            ExpectColumn(static_cast<CommandContext>(context), "context " + std::to_string(context));
        }
    }
}

TEST_F(MenusTest, AFinishedCheckWorksOutTheContextFromTheSelectedNode)
{
    // A collapsed folder still counts as a folder; with nothing selected the root's commands come back.
    const std::pair<const char*, CommandContext> cases[] = {
        {"Favorites", RootSelected}, {"Folder", FolderSelected}, {"Link", LinkSelected},
        {"collapsed", FolderSelected}, {nullptr, RootSelected}};
    for (const auto& [selected, column] : cases) {
        if (!selected)
            Main.tvFolders->setCurrentItem(nullptr);
        else if (std::string(selected) == "collapsed") {
            Node(QStringLiteral("Folder"))->SetImage(16);
            Node(QStringLiteral("Folder"))->SetSelected(true);
        } else
            Select(QString::fromLatin1(selected));
        Main.CheckRunning = false;
        UpdateCommandState(Main, CheckStarted);
        UpdateCommandState(Main, CheckFinished);
        ExpectColumn(column, std::string("finished with ") + (selected ? selected : "nothing selected"));
    }
}
