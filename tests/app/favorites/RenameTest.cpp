#include "app/favorites/Rename.h"

#include "app/favorites/FavoritesTree.h"
#include "app/favorites/ShortcutFile.h"
#include "app/window/frmMain.h"
#include "platform/controls/TreeView.h"
#include "platform/desktop/Application.h"
#include "platform/desktop/MessageBox.h"
#include "tests/support/TestFolder.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace
{
class RenameTest : public ::testing::Test
{
protected:
    RenameTest()
    {
        desktop::App::SetPath(Program.Path());
        desktop::ClearShownMessages();
        Main.Favorites.FavoritesPath = Favorites.Path();
        Main.Favorites.FolderCount = 1;
    }
    ~RenameTest() override { desktop::App::SetPath(QString()); }

    void Load()
    {
        Main.tvFolders->Nodes().Clear();
        LoadFavoritesTree(*Main.tvFolders, Main.Favorites);
    }
    TreeNode* Find(const QString& text)
    {
        for (int i = 1; i <= Main.tvFolders->Nodes().Count(); ++i) {
            if (Main.tvFolders->Nodes().Item(i)->Text() == text)
                return Main.tvFolders->Nodes().Item(i);
        }
        return nullptr;
    }
    QStringList Entries(const QString& folder = QString()) const
    {
        return QDir(folder.isEmpty() ? Favorites.Path() : Favorites.Sub(folder))
            .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
    }

    TestFolder Program;
    TestFolder Favorites;
    frmMain Main;
};
} // namespace

TEST(CleanName, InvalidCharactersBecomeDashesAndLineBreaksSpaces)
{
    struct Case
    {
        QString In;
        QString Out;
    };
    const Case cases[] = {
        {QStringLiteral("News/Today?"), QStringLiteral("News-Today-")},
        {QStringLiteral("a\\b/c:d*e?f<g>h|i\"j"), QStringLiteral("a-b-c-d-e-f-g-h-i-j")},
        {QStringLiteral("Line\r\nbreak\tand tab"), QStringLiteral("Line  break and tab")},
        {QStringLiteral("  spaces kept  "), QStringLiteral("  spaces kept  ")},
        {QStringLiteral(""), QStringLiteral("")},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CleanName(c.In), c.Out);
        EXPECT_EQ(CleanName(c.In).size(), c.In.size());
    }
}

TEST_F(RenameTest, ALinkIsRenamedOnDiskAndInTheTreeWithItsNameCleaned)
{
    Favorites.WriteFile(QStringLiteral("Old.URL"), "[InternetShortcut]\r\nURL=http://a.test/\r\n");
    Load();
    RenameNode(*Main.tvFolders, QStringLiteral("News/Today?"), Find(QStringLiteral("Old")));

    EXPECT_EQ(Entries(), (QStringList{"News-Today-.url"}));
    EXPECT_EQ(Favorites.ReadFile(QStringLiteral("News-Today-.url")), QByteArray("[InternetShortcut]\r\nURL=http://a.test/\r\n"));
    TreeNode* node = Find(QStringLiteral("News-Today-"));
    ASSERT_NE(node, nullptr);
    EXPECT_TRUE(node->Key().isEmpty());
    EXPECT_EQ(ReadShortcut(Favorites.Path(), node->Text()).Url, QStringLiteral("http://a.test/"));
    EXPECT_TRUE(desktop::ShownMessages().isEmpty());
}

TEST_F(RenameTest, APageTitleWithALineBreakAndATabIsStoredWithSpaces)
{
    Favorites.WriteFile(QStringLiteral("x.url"));
    Load();
    RenameNode(*Main.tvFolders, QStringLiteral("Home\r\nPage\tOne"), Find(QStringLiteral("x")));
    EXPECT_EQ(Entries(), (QStringList{"Home  Page One.url"}));
    EXPECT_NE(Find(QStringLiteral("Home  Page One")), nullptr);
}

TEST_F(RenameTest, ANameAlreadyTakenChangesNothingAndSaysNothing)
{
    Favorites.WriteFile(QStringLiteral("First.url"), "first");
    Favorites.WriteFile(QStringLiteral("second.url"), "second");
    Favorites.MakeFolder(QStringLiteral("Folder"));
    Favorites.MakeFolder(QStringLiteral("Other"));
    Load();

    RenameNode(*Main.tvFolders, QStringLiteral("second"), Find(QStringLiteral("First")));
    RenameNode(*Main.tvFolders, QStringLiteral("SECOND"), Find(QStringLiteral("First")));
    RenameNode(*Main.tvFolders, QStringLiteral("other"), Find(QStringLiteral("Folder")));

    EXPECT_EQ(Entries(), (QStringList{"First.url", "Folder", "Other", "second.url"}));
    EXPECT_EQ(Favorites.ReadFile(QStringLiteral("second.url")), QByteArray("second"));
    EXPECT_NE(Find(QStringLiteral("First")), nullptr);
    EXPECT_EQ(Find(QStringLiteral("Folder"))->Key(), Favorites.Sub(QStringLiteral("Folder")));
    EXPECT_TRUE(desktop::ShownMessages().isEmpty());
    EXPECT_FALSE(QFile::exists(Program.Sub(QStringLiteral("ERROR.LOG"))));
}

TEST_F(RenameTest, ARenamedFolderKeepsEveryNodeBelowItUsable)
{
    Favorites.WriteFile(QStringLiteral("Old/Sub/Deep/d.url"), "[InternetShortcut]\r\nURL=http://d.test/\r\n");
    Favorites.WriteFile(QStringLiteral("Old/o.url"));
    Favorites.WriteFile(QStringLiteral("Older/keep.url"));
    Load();

    RenameNode(*Main.tvFolders, QStringLiteral("New"), Find(QStringLiteral("Old")));

    EXPECT_EQ(Entries(), (QStringList{"New", "Older"}));
    TreeNode* folder = Find(QStringLiteral("New"));
    EXPECT_EQ(folder->Key(), Favorites.Sub(QStringLiteral("New")));
    EXPECT_EQ(Find(QStringLiteral("Sub"))->Key(), Favorites.Sub(QStringLiteral("New/Sub")));
    EXPECT_EQ(Find(QStringLiteral("Deep"))->Key(), Favorites.Sub(QStringLiteral("New/Sub/Deep")));
    // A folder whose name merely starts the same keeps its key.
    EXPECT_EQ(Find(QStringLiteral("Older"))->Key(), Favorites.Sub(QStringLiteral("Older")));
    EXPECT_EQ(Main.tvFolders->Nodes().Item(Favorites.Sub(QStringLiteral("New/Sub/Deep"))), Find(QStringLiteral("Deep")));

    TreeNode* deepLink = Find(QStringLiteral("d"));
    EXPECT_EQ(ReadShortcut(deepLink->Parent()->Key(), deepLink->Text()).Url, QStringLiteral("http://d.test/"));
    RenameNode(*Main.tvFolders, QStringLiteral("renamed"), deepLink);
    EXPECT_TRUE(QFile::exists(Favorites.Sub(QStringLiteral("New/Sub/Deep/renamed.url"))));
    RenameNode(*Main.tvFolders, QStringLiteral("Deeper"), Find(QStringLiteral("Deep")));
    EXPECT_TRUE(QFile::exists(Favorites.Sub(QStringLiteral("New/Sub/Deeper/renamed.url"))));
}

TEST_F(RenameTest, ChangingOnlyTheLetterCaseWorks)
{
    Favorites.WriteFile(QStringLiteral("Foo.URL"));
    Favorites.MakeFolder(QStringLiteral("Bar"));
    Load();
    RenameNode(*Main.tvFolders, QStringLiteral("foo"), Find(QStringLiteral("Foo")));
    RenameNode(*Main.tvFolders, QStringLiteral("BAR"), Find(QStringLiteral("Bar")));
    EXPECT_EQ(Entries(), (QStringList{"BAR", "foo.url"}));
    EXPECT_EQ(Find(QStringLiteral("BAR"))->Key(), Favorites.Sub(QStringLiteral("BAR")));
    EXPECT_NE(Find(QStringLiteral("foo")), nullptr);
}

TEST_F(RenameTest, NamesThatWouldLeaveTheFolderAreRefusedAndLogged)
{
    Favorites.WriteFile(QStringLiteral("Link.url"));
    Favorites.MakeFolder(QStringLiteral("Folder"));
    Load();

    RenameNode(*Main.tvFolders, QString(), Find(QStringLiteral("Link")));
    RenameNode(*Main.tvFolders, QStringLiteral(".."), Find(QStringLiteral("Folder")));
    RenameNode(*Main.tvFolders, QStringLiteral("."), Find(QStringLiteral("Folder")));

    EXPECT_EQ(Entries(), (QStringList{"Folder", "Link.url"}));
    EXPECT_NE(Find(QStringLiteral("Link")), nullptr);
    EXPECT_EQ(Find(QStringLiteral("Folder"))->Key(), Favorites.Sub(QStringLiteral("Folder")));
    ASSERT_EQ(desktop::ShownMessages().size(), 3);
    EXPECT_EQ(desktop::ShownMessages()[0].Title, QStringLiteral("Error 52"));
    EXPECT_EQ(Program.ReadFile(QStringLiteral("ERROR.LOG")).count("\r\n"), 3);

    // As a link name ".." is harmless: it becomes the file "...url" in the same folder.
    RenameNode(*Main.tvFolders, QStringLiteral(".."), Find(QStringLiteral("Link")));
    EXPECT_EQ(Entries(), (QStringList{"...url", "Folder"}));
}

TEST_F(RenameTest, AMissingFileIsLoggedAndTheNodeKeepsItsText)
{
    Favorites.WriteFile(QStringLiteral("Gone.url"));
    Load();
    QFile::remove(Favorites.Sub(QStringLiteral("Gone.url")));
    RenameNode(*Main.tvFolders, QStringLiteral("Back"), Find(QStringLiteral("Gone")));
    EXPECT_NE(Find(QStringLiteral("Gone")), nullptr);
    ASSERT_EQ(desktop::ShownMessages().size(), 1);
    EXPECT_EQ(desktop::ShownMessages()[0].Title, QStringLiteral("Error 53"));
}

TEST_F(RenameTest, AnOverlongNameIsCutToFitTheFileSystem)
{
    Favorites.WriteFile(QStringLiteral("short.url"));
    Favorites.MakeFolder(QStringLiteral("dir"));
    Load();
    // 300 two-byte characters: 600 bytes, far over the 255 a name may take.
    const QString title(300, QChar(0x00e9));
    RenameNode(*Main.tvFolders, title, Find(QStringLiteral("short")));
    RenameNode(*Main.tvFolders, title, Find(QStringLiteral("dir")));

    const QString link = title.left(125);   // 250 bytes + ".url"
    const QString folder = title.left(127); // 254 bytes
    EXPECT_EQ(Entries(), (QStringList{link + QStringLiteral(".url"), folder}));
    EXPECT_NE(Find(link), nullptr);
    EXPECT_EQ(Find(folder)->Key(), Favorites.Sub(folder));
}

TEST_F(RenameTest, TheRootIsNeverRenamed)
{
    Load();
    RenameNode(*Main.tvFolders, QStringLiteral("Elsewhere"), Main.tvFolders->Nodes().Item(1));
    EXPECT_TRUE(QDir(Favorites.Path()).exists());
    EXPECT_EQ(Main.tvFolders->Nodes().Item(1)->Text(), QStringLiteral("Favorites"));
}
