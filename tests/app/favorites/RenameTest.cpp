#include "app/favorites/Rename.h"

#include "app/favorites/ShortcutFile.h"
#include "tests/app/MainWindowFixture.h"

namespace
{
using RenameTest = MainWindowFixture;
} // namespace

// A link's file takes the cleaned name with ".url", whatever its extension was; its content
// goes with it. Only the letter case may change too.
TEST_F(RenameTest, ALinkOrFolderIsRenamedOnDiskAndInTheTreeWithItsNameCleaned)
{
    const QByteArray content = "[InternetShortcut]\r\nURL=http://a.test/\r\n";
    Favorites.WriteFile(QStringLiteral("Old.URL"), content);
    Favorites.WriteFile(QStringLiteral("x.url"));
    Favorites.WriteFile(QStringLiteral("Foo.URL"));
    Favorites.MakeFolder(QStringLiteral("Bar"));
    Load();
    RenameNode(*Main.tvFolders, QStringLiteral("News/Today?"), Node(QStringLiteral("Old")));
    RenameNode(*Main.tvFolders, QStringLiteral("Home\r\nPage\tOne"), Node(QStringLiteral("x")));
    RenameNode(*Main.tvFolders, QStringLiteral("foo"), Node(QStringLiteral("Foo")));
    RenameNode(*Main.tvFolders, QStringLiteral("BAR"), Node(QStringLiteral("Bar")));

    EXPECT_EQ(Entries(), (QStringList{"BAR", "foo.url", "Home  Page One.url", "News-Today-.url"}));
    EXPECT_EQ(Favorites.ReadFile(QStringLiteral("News-Today-.url")), content);
    EXPECT_EQ(Children(QString()), (QStringList{"foo", "News-Today-", "Home  Page One", "BAR"}));
    TreeNode* node = Node(QStringLiteral("News-Today-"));
    EXPECT_TRUE(node->Key().isEmpty());
    EXPECT_EQ(ReadShortcut(Favorites.Path(), node->Text()).Url, QStringLiteral("http://a.test/"));
    EXPECT_EQ(Node(QStringLiteral("BAR"))->Key(), Favorites.Sub(QStringLiteral("BAR")));
    EXPECT_TRUE(desktop::ShownMessages().isEmpty());
}

// A folder the tree still shows holds its name even when the disk has lost it meanwhile: the
// disk is not touched then, since the tree could not follow.
TEST_F(RenameTest, ANameAlreadyTakenChangesNothingAndSaysNothing)
{
    Favorites.WriteFile(QStringLiteral("First.url"), "first");
    Favorites.WriteFile(QStringLiteral("second.url"), "second");
    Favorites.MakeFolder(QStringLiteral("Folder"));
    Favorites.MakeFolder(QStringLiteral("Other"));
    Favorites.MakeFolder(QStringLiteral("Stale"));
    Load();
    ASSERT_TRUE(QDir(Favorites.Path()).rmdir(QStringLiteral("Stale")));

    RenameNode(*Main.tvFolders, QStringLiteral("second"), Node(QStringLiteral("First")));
    RenameNode(*Main.tvFolders, QStringLiteral("SECOND"), Node(QStringLiteral("First")));
    RenameNode(*Main.tvFolders, QStringLiteral("other"), Node(QStringLiteral("Folder")));
    RenameNode(*Main.tvFolders, QStringLiteral("Stale"), Node(QStringLiteral("Folder")));

    EXPECT_EQ(Entries(), (QStringList{"First.url", "Folder", "Other", "second.url"}));
    EXPECT_EQ(Favorites.ReadFile(QStringLiteral("second.url")), QByteArray("second"));
    EXPECT_NE(Node(QStringLiteral("First")), nullptr);
    EXPECT_EQ(Node(QStringLiteral("Folder"))->Key(), Favorites.Sub(QStringLiteral("Folder")));
    EXPECT_TRUE(desktop::ShownMessages().isEmpty());
    EXPECT_FALSE(Logged());
}

TEST_F(RenameTest, ARenamedFolderKeepsEveryNodeBelowItUsable)
{
    Favorites.WriteFile(QStringLiteral("Old/Sub/Deep/d.url"), "[InternetShortcut]\r\nURL=http://d.test/\r\n");
    Favorites.WriteFile(QStringLiteral("Old/o.url"));
    Favorites.WriteFile(QStringLiteral("Older/keep.url"));
    Load();

    RenameNode(*Main.tvFolders, QStringLiteral("New"), Node(QStringLiteral("Old")));

    EXPECT_EQ(Entries(), (QStringList{"New", "Older"}));
    EXPECT_EQ(Nodes().Find(Favorites.Sub(QStringLiteral("New")))->Text(), QStringLiteral("New"));
    EXPECT_EQ(Nodes().Find(Favorites.Sub(QStringLiteral("New/Sub")))->Text(), QStringLiteral("Sub"));
    EXPECT_EQ(Nodes().Find(Favorites.Sub(QStringLiteral("New/Sub/Deep")))->Text(), QStringLiteral("Deep"));
    // A folder whose name merely starts the same keeps its key.
    EXPECT_EQ(Nodes().Find(Favorites.Sub(QStringLiteral("Older")))->Text(), QStringLiteral("Older"));

    TreeNode* deepLink = Node(QStringLiteral("d"));
    EXPECT_EQ(ReadShortcut(deepLink->Parent()->Key(), deepLink->Text()).Url, QStringLiteral("http://d.test/"));
    RenameNode(*Main.tvFolders, QStringLiteral("renamed"), deepLink);
    RenameNode(*Main.tvFolders, QStringLiteral("Deeper"), Node(QStringLiteral("New/Sub/Deep")));
    EXPECT_TRUE(QFile::exists(Favorites.Sub(QStringLiteral("New/Sub/Deeper/renamed.url"))));
    EXPECT_TRUE(ReportedErrors().isEmpty());
}

// Empty, "." and ".." as a folder would leave the folder; as a link name ".." is harmless and
// becomes the file "...url". A file gone meanwhile is reported and its node keeps its text.
TEST_F(RenameTest, NamesThatWouldLeaveTheFolderAndMissingFilesAreLogged)
{
    Favorites.WriteFile(QStringLiteral("Link.url"));
    Favorites.WriteFile(QStringLiteral("Gone.url"));
    Favorites.MakeFolder(QStringLiteral("Folder"));
    Load();
    QFile::remove(Favorites.Sub(QStringLiteral("Gone.url")));

    RenameNode(*Main.tvFolders, QString(), Node(QStringLiteral("Link")));
    RenameNode(*Main.tvFolders, QStringLiteral(".."), Node(QStringLiteral("Folder")));
    RenameNode(*Main.tvFolders, QStringLiteral("."), Node(QStringLiteral("Folder")));
    RenameNode(*Main.tvFolders, QStringLiteral("Back"), Node(QStringLiteral("Gone")));

    EXPECT_EQ(Entries(), (QStringList{"Folder", "Link.url"}));
    EXPECT_EQ(Children(QString()), (QStringList{"Gone", "Link", "Folder"}));
    EXPECT_EQ(Node(QStringLiteral("Folder"))->Key(), Favorites.Sub(QStringLiteral("Folder")));
    EXPECT_EQ(ReportedErrors(), (QList<int>{52, 52, 52, 53}));
    EXPECT_EQ(Program.ReadFile(QStringLiteral("ERROR.LOG")).count("\r\n"), 4);

    RenameNode(*Main.tvFolders, QStringLiteral(".."), Node(QStringLiteral("Link")));
    EXPECT_EQ(Entries(), (QStringList{"...url", "Folder"}));
}

// 300 two-byte characters are 600 bytes, far over the 255 a name may take; the root, the
// Favorites folder itself, is never renamed.
TEST_F(RenameTest, AnOverlongNameIsCutToFitAndTheRootIsNeverRenamed)
{
    Favorites.WriteFile(QStringLiteral("short.url"));
    Favorites.MakeFolder(QStringLiteral("dir"));
    Load();
    const QString title(300, QChar(0x00e9));
    RenameNode(*Main.tvFolders, title, Node(QStringLiteral("short")));
    RenameNode(*Main.tvFolders, title, Node(QStringLiteral("dir")));
    RenameNode(*Main.tvFolders, QStringLiteral("Elsewhere"), Root());

    const QString link = title.left(125);   // 250 bytes + ".url"
    const QString folder = title.left(127); // 254 bytes
    EXPECT_EQ(Entries(), (QStringList{link + QStringLiteral(".url"), folder}));
    EXPECT_EQ(Children(QString()), (QStringList{link, folder}));
    EXPECT_EQ(Nodes().Find(Favorites.Sub(folder))->Text(), folder);
    EXPECT_EQ(Root()->Text(), QStringLiteral("Favorites"));
    EXPECT_EQ(Root()->Key(), Favorites.Path());
}
