#include "app/window/CommandState.h"

#include "tests/app/favorites/EditFixture.h"

#include <QAction>

#include <array>

namespace
{
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

class CommandStateTest : public EditFixture
{
protected:
    CommandStateTest()
    {
        Favorites.WriteFile(QStringLiteral("Link.url"));
        Favorites.MakeFolder(QStringLiteral("Folder"));
        Load();
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
};
} // namespace

// A context outside the known ones acts like a started check.
TEST_F(CommandStateTest, EveryGovernedItemFollowsTheTableInEveryContext)
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

TEST_F(CommandStateTest, AFinishedCheckWorksOutTheContextFromTheSelectedNode)
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
