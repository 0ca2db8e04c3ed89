#include "app/favorites/Clipboard.h"

#include "app/favorites/Rename.h"
#include "app/forms/Pictures.h"
#include "app/window/Commands.h"
#include "tests/app/favorites/EditFixture.h"
#include "tests/support/Privileges.h"

namespace
{
const QByteArray LinkContent = "[InternetShortcut]\r\nURL=http://a.test/\r\n";

using ClipboardTest = EditFixture;
} // namespace

TEST_F(ClipboardTest, ACopiedLinkIsPastedWithItsPictureAndASecondPasteIsSilent)
{
    Favorites.WriteFile(QStringLiteral("a.URL"), LinkContent);
    Favorites.MakeFolder(QStringLiteral("Other"));
    Load();
    Node(QStringLiteral("a"))->SetImage(Pictures::LinkAnswered);
    Node(QStringLiteral("a"))->SetSelectedImage(Pictures::LinkAnswered);

    Select(QStringLiteral("a"));
    Main.mnuNodePopup.Item(6)->setEnabled(false);
    RunCommand(Main, Command::Copy);
    ASSERT_TRUE(Main.Clip.ClipNode.has_value());
    EXPECT_EQ(Main.Clip.ClipNode->Key, Favorites.Sub(QStringLiteral("a.URL")));
    EXPECT_EQ(Node(QStringLiteral("a"))->Key(), Main.Clip.ClipNode->Key);
    EXPECT_EQ(Main.Clip.ClipMode, ClipModes::Copy);
    EXPECT_TRUE(Main.mnuNodePopup.Item(6)->isEnabled());

    Select(QStringLiteral("Other"));
    PasteNode(*Main.tvFolders, Main.Clip, Main.Favorites);
    PasteNode(*Main.tvFolders, Main.Clip, Main.Favorites);

    EXPECT_EQ(Entries(QStringLiteral("Other")), QStringList{"a.URL"});
    EXPECT_EQ(Favorites.ReadFile(QStringLiteral("Other/a.URL")), LinkContent);
    EXPECT_EQ(Favorites.ReadFile(QStringLiteral("a.URL")), LinkContent);
    EXPECT_EQ(Children(QStringLiteral("Other")), QStringList{"a"});
    TreeNode* pasted = Node(QStringLiteral("Other"))->Child(0);
    EXPECT_EQ(pasted->Image(), Pictures::LinkAnswered);
    EXPECT_EQ(pasted->SelectedImage(), Pictures::LinkAnswered);
    EXPECT_TRUE(pasted->Key().isEmpty());
    EXPECT_TRUE(desktop::ShownMessages().isEmpty());
    EXPECT_FALSE(Logged());
}

TEST_F(ClipboardTest, ALinkCutAndPastedIntoItsOwnFolderComesBack)
{
    Favorites.WriteFile(QStringLiteral("a.url"), LinkContent);
    Favorites.WriteFile(QStringLiteral("b.url"));
    Load();
    Node(QStringLiteral("a"))->SetImage(Pictures::LinkBroken);
    Node(QStringLiteral("a"))->SetSelectedImage(Pictures::LinkBroken);

    Select(QStringLiteral("a"));
    Main.mnuNodePopup.Item(6)->setEnabled(false);
    RunCommand(Main, Command::Cut);
    EXPECT_EQ(Node(QStringLiteral("a")), nullptr);
    EXPECT_EQ(Main.Clip.ClipMode, ClipModes::Move);
    EXPECT_TRUE(Main.mnuNodePopup.Item(6)->isEnabled());
    EXPECT_EQ(Entries(), (QStringList{"a.url", "b.url"}));

    // Pasted there again and again: the node is back once, and stays once.
    for (int paste = 0; paste < 3; ++paste) {
        Select(QStringLiteral("b"));
        PasteNode(*Main.tvFolders, Main.Clip, Main.Favorites);
    }

    EXPECT_EQ(Entries(), (QStringList{"a.url", "b.url"}));
    EXPECT_EQ(Favorites.ReadFile(QStringLiteral("a.url")), LinkContent);
    ASSERT_NE(Node(QStringLiteral("a")), nullptr);
    EXPECT_EQ(Node(QStringLiteral("a"))->Parent(), Root());
    EXPECT_EQ(Node(QStringLiteral("a"))->Image(), Pictures::LinkBroken);
    EXPECT_EQ(Count(QStringLiteral("a")), 1);
    EXPECT_TRUE(desktop::ShownMessages().isEmpty());
}

TEST_F(ClipboardTest, AFolderCutAndPastedElsewhereIsMovedAndTheTreeReloaded)
{
    Favorites.WriteFile(QStringLiteral("News/n.url"), LinkContent);
    Favorites.MakeFolder(QStringLiteral("Other"));
    Load();
    Node(QStringLiteral("n"))->SetImage(Pictures::LinkAnswered);

    Select(QStringLiteral("News"));
    CutNode(*Main.tvFolders, Main.Clip);
    EXPECT_EQ(Node(QStringLiteral("News")), nullptr);
    EXPECT_EQ(Node(QStringLiteral("n")), nullptr);
    Select(QStringLiteral("Other"));
    PasteNode(*Main.tvFolders, Main.Clip, Main.Favorites);

    EXPECT_EQ(Entries(), QStringList{"Other"});
    EXPECT_EQ(Entries(QStringLiteral("Other/News")), QStringList{"n.url"});
    TreeNode* moved = Node(QStringLiteral("Other/News"));
    ASSERT_NE(moved, nullptr);
    EXPECT_EQ(moved->Image(), Pictures::OpenFolder);
    EXPECT_TRUE(moved->Selected());
    EXPECT_EQ(Node(QStringLiteral("n"))->Image(), Pictures::LinkNotChecked);
    EXPECT_TRUE(desktop::ShownMessages().isEmpty());

    // Pasted again elsewhere, the source is gone: that is reported and no node appears.
    Select(QString());
    PasteNode(*Main.tvFolders, Main.Clip, Main.Favorites);
    EXPECT_EQ(ReportedErrors(), QList<int>{76});
    EXPECT_TRUE(Logged());
    EXPECT_EQ(Count(QStringLiteral("News")), 1);
    EXPECT_EQ(Entries(), QStringList{"Other"});
}

TEST_F(ClipboardTest, AFolderCutAndPastedIntoItsOwnFolderComesBack)
{
    Favorites.WriteFile(QStringLiteral("News/n.url"), LinkContent);
    Load();
    Select(QStringLiteral("News"));
    CutNode(*Main.tvFolders, Main.Clip);
    Select(QString());
    PasteNode(*Main.tvFolders, Main.Clip, Main.Favorites);

    EXPECT_EQ(Entries(), QStringList{"News"});
    ASSERT_NE(Node(QStringLiteral("News")), nullptr);
    EXPECT_EQ(Children(QStringLiteral("News")), QStringList{"n"});
    EXPECT_TRUE(desktop::ShownMessages().isEmpty());
}

TEST_F(ClipboardTest, PastingWhereTheNameIsTakenOrBeforeAnyCopyDoesNothingSilently)
{
    Favorites.WriteFile(QStringLiteral("News/n.url"), LinkContent);
    Favorites.WriteFile(QStringLiteral("Other/News/other.url"));
    Favorites.WriteFile(QStringLiteral("Other/A.url"), "theirs");
    Favorites.WriteFile(QStringLiteral("a.url"), LinkContent);
    Load();
    const int nodes = Nodes().Count();

    Select(QStringLiteral("a"));
    PasteNode(*Main.tvFolders, Main.Clip, Main.Favorites);
    EXPECT_FALSE(Main.Clip.ClipNode.has_value());

    Select(QStringLiteral("News"));
    CopyNode(*Main.tvFolders, Main.Clip);
    Select(QStringLiteral("Other"));
    PasteNode(*Main.tvFolders, Main.Clip, Main.Favorites);

    Select(QStringLiteral("a"));
    CopyNode(*Main.tvFolders, Main.Clip);
    Select(QStringLiteral("Other"));
    PasteNode(*Main.tvFolders, Main.Clip, Main.Favorites);

    EXPECT_EQ(Entries(QStringLiteral("Other")), (QStringList{"A.url", "News"}));
    EXPECT_EQ(Entries(QStringLiteral("Other/News")), QStringList{"other.url"});
    EXPECT_EQ(Favorites.ReadFile(QStringLiteral("Other/A.url")), QByteArray("theirs"));
    EXPECT_EQ(Nodes().Count(), nodes);
    EXPECT_TRUE(desktop::ShownMessages().isEmpty());
    EXPECT_FALSE(Logged());
}

TEST_F(ClipboardTest, PastingALinkWhoseFileVanishedIsReportedAndAddsNoNode)
{
    Favorites.WriteFile(QStringLiteral("a.url"), LinkContent);
    Favorites.MakeFolder(QStringLiteral("Other"));
    Load();
    Select(QStringLiteral("a"));
    CopyNode(*Main.tvFolders, Main.Clip);
    ASSERT_TRUE(QFile::remove(Favorites.Sub(QStringLiteral("a.url"))));

    Select(QStringLiteral("Other"));
    PasteNode(*Main.tvFolders, Main.Clip, Main.Favorites);

    EXPECT_EQ(ReportedErrors(), QList<int>{53});
    EXPECT_TRUE(Children(QStringLiteral("Other")).isEmpty());
    EXPECT_TRUE(Entries(QStringLiteral("Other")).isEmpty());
}

TEST_F(ClipboardTest, AFolderIsNotPastedIntoItselfOrItsSubfolders)
{
    Favorites.WriteFile(QStringLiteral("News/Sub/x.url"), LinkContent);
    Load();

    Select(QStringLiteral("News"));
    CopyNode(*Main.tvFolders, Main.Clip);
    PasteNode(*Main.tvFolders, Main.Clip, Main.Favorites);
    Select(QStringLiteral("News/Sub"));
    PasteNode(*Main.tvFolders, Main.Clip, Main.Favorites);
    Select(QStringLiteral("x"));
    PasteNode(*Main.tvFolders, Main.Clip, Main.Favorites);

    Select(QStringLiteral("News"));
    CutNode(*Main.tvFolders, Main.Clip);
    RefreshTree(*Main.tvFolders, Main.Favorites);
    Select(QStringLiteral("News/Sub"));
    PasteNode(*Main.tvFolders, Main.Clip, Main.Favorites);

    EXPECT_EQ(ReportedErrors(), (QList<int>{5, 5, 5, 5}));
    EXPECT_EQ(Entries(), QStringList{"News"});
    EXPECT_EQ(Entries(QStringLiteral("News")), QStringList{"Sub"});
    EXPECT_EQ(Entries(QStringLiteral("News/Sub")), QStringList{"x.url"});
    EXPECT_EQ(Children(QStringLiteral("News/Sub")), QStringList{"x"});
}

TEST_F(ClipboardTest, AFolderNamedLikeAShortcutIsPastedAsAFolder)
{
    Favorites.WriteFile(QStringLiteral("Old.URL/inner.url"), LinkContent);
    Favorites.MakeFolder(QStringLiteral("Other"));
    Load();
    Select(QStringLiteral("Old.URL"));
    CopyNode(*Main.tvFolders, Main.Clip);
    Select(QStringLiteral("Other"));
    PasteNode(*Main.tvFolders, Main.Clip, Main.Favorites);

    EXPECT_EQ(Entries(QStringLiteral("Other/Old.URL")), QStringList{"inner.url"});
    EXPECT_EQ(Children(QStringLiteral("Other/Old.URL")), QStringList{"inner"});
    EXPECT_TRUE(desktop::ShownMessages().isEmpty());
}

TEST_F(ClipboardTest, ACopiedLinksKeyFollowsItsFileAndNeverBlocksAnother)
{
    Favorites.WriteFile(QStringLiteral("a.url"), LinkContent);
    Load();
    Select(QStringLiteral("a"));
    CopyNode(*Main.tvFolders, Main.Clip);
    RenameNode(*Main.tvFolders, QStringLiteral("m"), Node(QStringLiteral("a")));
    Favorites.WriteFile(QStringLiteral("a.url"), "new a");
    TreeNode* again = Nodes().Add(Root(), TreeRelationship::Child, QString(), QStringLiteral("a"));
    again->SetImage(Pictures::LinkNotChecked);
    again->SetSelectedImage(Pictures::LinkNotChecked);

    again->SetSelected(true);
    CopyNode(*Main.tvFolders, Main.Clip);

    EXPECT_EQ(Main.Clip.ClipNode->Key, Favorites.Sub(QStringLiteral("a.url")));
    EXPECT_EQ(again->Key(), Favorites.Sub(QStringLiteral("a.url")));
    EXPECT_EQ(Node(QStringLiteral("m"))->Key(), Favorites.Sub(QStringLiteral("m.url")));
}

TEST_F(ClipboardTest, DeleteAsksFirstAndRemovesReadOnlyItemsForGood)
{
    Favorites.WriteFile(QStringLiteral("News/n.url"), LinkContent);
    Favorites.WriteFile(QStringLiteral("News/Locked/x.url"), LinkContent);
    Favorites.WriteFile(QStringLiteral("a.url"), LinkContent);
    Favorites.WriteFile(QStringLiteral("b.url"), LinkContent);
    SetMode(Favorites.Sub(QStringLiteral("News/Locked/x.url")), 0444);
    SetMode(Favorites.Sub(QStringLiteral("News/Locked")), 0555);
    SetMode(Favorites.Sub(QStringLiteral("a.url")), 0444);
    Load();

    struct Case
    {
        QString Node;
        QString Prompt;
        QString Title;
    };
    const Case cases[] = {
        {QStringLiteral("News"),
         QStringLiteral(
             "Removing this folder will also remove all of its links. Are you sure you want to remove this folder?"),
         QStringLiteral("Remove Folder")},
        {QStringLiteral("a"), QStringLiteral("Are you sure you want to remove this Favorite?"),
         QStringLiteral("Remove Favorite")},
    };
    ScopedFilePermissions asUser;
    for (const Case& c : cases) {
        desktop::ClearShownMessages();
        const QStringList before = Entries();
        Select(c.Node);
        desktop::SetNextAnswer(desktop::vbNo);
        DeleteNode(*Main.tvFolders, Main.Clip, Main.Favorites);
        ASSERT_EQ(desktop::ShownMessages().size(), 1);
        EXPECT_EQ(desktop::ShownMessages()[0].Prompt, c.Prompt);
        EXPECT_EQ(desktop::ShownMessages()[0].Title, c.Title);
        EXPECT_EQ(desktop::ShownMessages()[0].Style, desktop::vbYesNo);
        EXPECT_EQ(Entries(), before);
        EXPECT_NE(Node(c.Node), nullptr);

        desktop::SetNextAnswer(desktop::vbYes);
        DeleteNode(*Main.tvFolders, Main.Clip, Main.Favorites);
        EXPECT_EQ(Node(c.Node), nullptr) << c.Node.toStdString();
    }
    EXPECT_EQ(Entries(), QStringList{"b.url"});
    EXPECT_EQ(Nodes().Count(), 2);
    EXPECT_TRUE(ReportedErrors().isEmpty());
}

TEST_F(ClipboardTest, AFailedDeleteIsReportedAndTheTreeShowsWhatIsLeft)
{
    Favorites.WriteFile(QStringLiteral("Locked/l.url"), LinkContent);
    Favorites.WriteFile(QStringLiteral("Locked/Sub/s.url"), LinkContent);
    SetMode(Favorites.Sub(QStringLiteral("Locked")), 0555);
    Load();
    {
        ScopedFilePermissions asUser;
        Select(QStringLiteral("l"));
        desktop::SetNextAnswer(desktop::vbYes);
        DeleteNode(*Main.tvFolders, Main.Clip, Main.Favorites);
        // The folder's contents go, but the folder cannot leave its read-only parent.
        Select(QStringLiteral("Locked/Sub"));
        desktop::SetNextAnswer(desktop::vbYes);
        DeleteNode(*Main.tvFolders, Main.Clip, Main.Favorites);
    }
    SetMode(Favorites.Sub(QStringLiteral("Locked")), 0755);

    EXPECT_EQ(ReportedErrors(), (QList<int>{70, 70}));
    EXPECT_EQ(Entries(QStringLiteral("Locked")), (QStringList{"l.url", "Sub"}));
    EXPECT_TRUE(Entries(QStringLiteral("Locked/Sub")).isEmpty());
    EXPECT_EQ(Children(QStringLiteral("Locked")), (QStringList{"l", "Sub"}));
    EXPECT_EQ(Node(QStringLiteral("s")), nullptr);
}

TEST_F(ClipboardTest, APasteThatCannotWriteAddsNoNode)
{
    Favorites.WriteFile(QStringLiteral("a.url"), LinkContent);
    Favorites.WriteFile(QStringLiteral("News/n.url"), LinkContent);
    Favorites.MakeFolder(QStringLiteral("ReadOnly"));
    SetMode(Favorites.Sub(QStringLiteral("ReadOnly")), 0555);
    Load();
    {
        ScopedFilePermissions asUser;
        Select(QStringLiteral("a"));
        CopyNode(*Main.tvFolders, Main.Clip);
        Select(QStringLiteral("ReadOnly"));
        PasteNode(*Main.tvFolders, Main.Clip, Main.Favorites);
        Select(QStringLiteral("News"));
        CopyNode(*Main.tvFolders, Main.Clip);
        Select(QStringLiteral("ReadOnly"));
        PasteNode(*Main.tvFolders, Main.Clip, Main.Favorites);
    }
    SetMode(Favorites.Sub(QStringLiteral("ReadOnly")), 0755);

    EXPECT_EQ(ReportedErrors(), (QList<int>{70, 70}));
    EXPECT_TRUE(Entries(QStringLiteral("ReadOnly")).isEmpty());
    EXPECT_TRUE(Children(QStringLiteral("ReadOnly")).isEmpty());
}

TEST_F(ClipboardTest, TheRootIsNeitherCutNorDeleted)
{
    Favorites.WriteFile(QStringLiteral("a.url"), LinkContent);
    Load();
    Select(QString());
    CutNode(*Main.tvFolders, Main.Clip);
    DeleteNode(*Main.tvFolders, Main.Clip, Main.Favorites);

    EXPECT_FALSE(Main.Clip.ClipNode.has_value());
    EXPECT_EQ(Nodes().Count(), 2);
    EXPECT_EQ(Entries(), QStringList{"a.url"});
    EXPECT_TRUE(desktop::ShownMessages().isEmpty());
}

TEST_F(ClipboardTest, TheClipboardFollowsItsNodeThroughRenamesAndNewPictures)
{
    Favorites.WriteFile(QStringLiteral("P/F/f.url"), LinkContent);
    Favorites.WriteFile(QStringLiteral("P/l.url"), LinkContent);
    Favorites.MakeFolder(QStringLiteral("T"));
    Load();

    // A folder copied, then renamed with its parent: the paste copies it from where it is now.
    Select(QStringLiteral("F"));
    CopyNode(*Main.tvFolders, Main.Clip);
    RenameNode(*Main.tvFolders, QStringLiteral("G"), Node(QStringLiteral("F")));
    RenameNode(*Main.tvFolders, QStringLiteral("Q"), Node(QStringLiteral("P")));
    Select(QStringLiteral("T"));
    PasteNode(*Main.tvFolders, Main.Clip, Main.Favorites);
    EXPECT_EQ(Entries(QStringLiteral("T/G")), QStringList{"f.url"});

    // A link copied, renamed and checked afterwards: pasted under its new name, with its picture.
    Select(QStringLiteral("l"));
    CopyNode(*Main.tvFolders, Main.Clip);
    RenameNode(*Main.tvFolders, QStringLiteral("m"), Node(QStringLiteral("l")));
    Node(QStringLiteral("m"))->SetImage(Pictures::LinkBroken);
    Node(QStringLiteral("m"))->SetSelectedImage(Pictures::LinkBroken);
    Select(QStringLiteral("T"));
    PasteNode(*Main.tvFolders, Main.Clip, Main.Favorites);
    EXPECT_EQ(Entries(QStringLiteral("T")), (QStringList{"G", "m.url"}));
    EXPECT_EQ(Node(QStringLiteral("T"))->Child(1)->Image(), Pictures::LinkBroken);

    // A cut link whose folder is renamed before the paste is still found.
    Select(QStringLiteral("m"));
    CutNode(*Main.tvFolders, Main.Clip);
    RenameNode(*Main.tvFolders, QStringLiteral("R"), Node(QStringLiteral("Q")));
    Select(QString());
    PasteNode(*Main.tvFolders, Main.Clip, Main.Favorites);
    EXPECT_EQ(Entries(), (QStringList{"m.url", "R", "T"}));
    EXPECT_EQ(Entries(QStringLiteral("R")), QStringList{"G"});
    EXPECT_EQ(ReportedErrors(), QList<int>{});

    // A deleted item empties the clipboard: a paste then does nothing.
    Select(QStringLiteral("R/G"));
    CopyNode(*Main.tvFolders, Main.Clip);
    desktop::SetNextAnswer(desktop::vbYes);
    DeleteNode(*Main.tvFolders, Main.Clip, Main.Favorites);
    EXPECT_FALSE(Main.Clip.ClipNode.has_value());
}

TEST_F(ClipboardTest, AFolderRenamedToAPathACopiedLinkOnceHadIsRenamedInTheTreeToo)
{
    Favorites.WriteFile(QStringLiteral("foo.url"), LinkContent);
    Favorites.MakeFolder(QStringLiteral("Dir"));
    Load();
    Select(QStringLiteral("foo"));
    CopyNode(*Main.tvFolders, Main.Clip);
    RenameNode(*Main.tvFolders, QStringLiteral("bar"), Node(QStringLiteral("foo")));

    RenameNode(*Main.tvFolders, QStringLiteral("foo.url"), Node(QStringLiteral("Dir")));

    EXPECT_EQ(Entries(), (QStringList{"bar.url", "foo.url"}));
    TreeNode* folder = Node(QStringLiteral("foo.url"));
    ASSERT_NE(folder, nullptr);
    EXPECT_EQ(folder->Key(), Favorites.Sub(QStringLiteral("foo.url")));
    EXPECT_EQ(ReportedErrors(), QList<int>{});
}
