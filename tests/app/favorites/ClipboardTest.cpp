#include "app/favorites/Clipboard.h"

#include "app/favorites/Rename.h"
#include "app/forms/Pictures.h"
#include "app/window/Commands.h"
#include "tests/app/MainWindowFixture.h"
#include "tests/support/Privileges.h"

#include <QDir>
#include <QTemporaryDir>

namespace
{
const QByteArray LinkContent = "[InternetShortcut]\r\nURL=http://a.test/\r\n";

class ClipboardTest : public MainWindowFixture
{
protected:
    // Each selects the node with this text (or folder path; the root for an empty text) first.
    void Copy(const QString& text)
    {
        Select(text);
        CopyNode(*Main.tvFolders, Main.Clip);
    }
    void Cut(const QString& text)
    {
        Select(text);
        CutNode(*Main.tvFolders, Main.Clip);
    }
    void Paste(const QString& text)
    {
        Select(text);
        PasteNode(*Main.tvFolders, Main.Clip, Main.Favorites);
    }
    void Delete(const QString& text, int answer = desktop::vbYes)
    {
        Select(text);
        desktop::SetNextAnswer(answer);
        DeleteNode(*Main.tvFolders, Main.Clip, Main.Favorites);
    }
    void SetPicture(const QString& text, int picture)
    {
        Node(text)->SetImage(picture);
        Node(text)->SetSelectedImage(picture);
    }
};
} // namespace

// Pasted again where it already is, a link is left alone; a cut link pasted back into its own
// folder comes back once. Either way the node keeps its picture.
TEST_F(ClipboardTest, ALinkIsPastedOnceWithItsPicture)
{
    Favorites.WriteFile(QStringLiteral("a.URL"), LinkContent);
    Favorites.WriteFile(QStringLiteral("b.url"), LinkContent);
    Favorites.MakeFolder(QStringLiteral("Other"));
    Load();
    SetPicture(QStringLiteral("a"), Pictures::LinkAnswered);
    SetPicture(QStringLiteral("b"), Pictures::LinkBroken);

    Select(QStringLiteral("a"));
    Main.mnuNodePopup.Item(6)->setEnabled(false);
    RunCommand(Main, Command::Copy);
    ASSERT_TRUE(Main.Clip.ClipNode.has_value());
    EXPECT_EQ(Main.Clip.ClipNode->Key, Favorites.Sub(QStringLiteral("a.URL")));
    EXPECT_EQ(Node(QStringLiteral("a"))->Key(), Main.Clip.ClipNode->Key);
    EXPECT_EQ(Main.Clip.ClipMode, ClipModes::Copy);
    EXPECT_TRUE(Main.mnuNodePopup.Item(6)->isEnabled());
    Paste(QStringLiteral("Other"));
    Paste(QStringLiteral("Other"));

    EXPECT_EQ(Entries(QStringLiteral("Other")), QStringList{"a.URL"});
    EXPECT_EQ(Favorites.ReadFile(QStringLiteral("Other/a.URL")), LinkContent);
    EXPECT_EQ(Children(QStringLiteral("Other")), QStringList{"a"});
    TreeNode* pasted = Node(QStringLiteral("Other"))->Child(0);
    EXPECT_EQ(pasted->Image(), Pictures::LinkAnswered);
    EXPECT_EQ(pasted->SelectedImage(), Pictures::LinkAnswered);
    EXPECT_TRUE(pasted->Key().isEmpty());

    Select(QStringLiteral("b"));
    Main.mnuNodePopup.Item(6)->setEnabled(false);
    RunCommand(Main, Command::Cut);
    EXPECT_EQ(Node(QStringLiteral("b")), nullptr);
    EXPECT_EQ(Main.Clip.ClipMode, ClipModes::Move);
    EXPECT_TRUE(Main.mnuNodePopup.Item(6)->isEnabled());
    for (int paste = 0; paste < 3; ++paste)
        Paste(QStringLiteral("a"));

    EXPECT_EQ(Entries(), (QStringList{"a.URL", "b.url", "Other"}));
    EXPECT_EQ(Favorites.ReadFile(QStringLiteral("a.URL")), LinkContent);
    EXPECT_EQ(Favorites.ReadFile(QStringLiteral("b.url")), LinkContent);
    ASSERT_EQ(Children(QString()), (QStringList{"a", "Other", "b"}));
    EXPECT_EQ(Node(QStringLiteral("b"))->Image(), Pictures::LinkBroken);
    EXPECT_TRUE(desktop::ShownMessages().isEmpty());
    EXPECT_FALSE(Logged());
}

// A cut item stays on disk until it is pasted: once the clipboard takes another item, its node
// (a folder's with everything below it) is back where the disk has it, once, and only while
// the disk still has it.
TEST_F(ClipboardTest, AnItemCutAndNeverPastedComesBackWhenTheClipboardTakesAnother)
{
    for (const char* name : {"a.url", "b.url", "gone.url", "News/Sub/n.url", "Old/o.url"})
        Favorites.WriteFile(QString::fromLatin1(name), LinkContent);
    Load();
    Cut(QStringLiteral("a"));
    Cut(QStringLiteral("News"));
    EXPECT_EQ(Children(QString()), (QStringList{"b", "gone", "Old", "a"}));
    Copy(QStringLiteral("b"));
    EXPECT_EQ(Children(QString()), (QStringList{"b", "gone", "Old", "a", "News"}));
    EXPECT_EQ(Children(QStringLiteral("News/Sub")), QStringList{"n"});
    EXPECT_EQ(Node(QStringLiteral("News"))->Image(), Pictures::OpenFolder);
    EXPECT_EQ(Main.Favorites.LinkCount, 5);

    Cut(QStringLiteral("gone"));
    ASSERT_TRUE(QFile::remove(Favorites.Sub(QStringLiteral("gone.url"))));
    Copy(QStringLiteral("b"));
    EXPECT_EQ(Node(QStringLiteral("gone")), nullptr);

    // Shown again by a reload, under a folder renamed meanwhile in letter case only.
    Cut(QStringLiteral("o"));
    ASSERT_TRUE(QDir(Favorites.Path()).rename(QStringLiteral("Old"), QStringLiteral("OLD")));
    RefreshTree(*Main.tvFolders, Main.Favorites);
    Copy(QStringLiteral("b"));
    EXPECT_EQ(Children(QStringLiteral("OLD")), QStringList{"o"});

    // Cut, shown again by a reload and then pasted elsewhere: it leaves its old place.
    Cut(QStringLiteral("a"));
    RefreshTree(*Main.tvFolders, Main.Favorites);
    Paste(QStringLiteral("News"));
    EXPECT_EQ(Children(QString()), (QStringList{"b", "News", "OLD"}));
    EXPECT_EQ(Children(QStringLiteral("News")), (QStringList{"Sub", "a"}));
    EXPECT_EQ(Entries(), (QStringList{"b.url", "News", "OLD"}));
}

// Another file system, reached through a folder link: a move there copies, then removes the
// original, which its read-only folder keeps. A folder copy stops at a file it cannot read.
// Either way what has arrived is shown.
TEST_F(ClipboardTest, APasteThatFailsHalfWayShowsWhatArrived)
{
    QTemporaryDir elsewhere(QStringLiteral("/dev/shm/strandmoor-XXXXXX"));
    if (!elsewhere.isValid())
        GTEST_SKIP() << "no second file system at /dev/shm";
    ASSERT_TRUE(QFile::link(elsewhere.path(), Favorites.Sub(QStringLiteral("Shm"))));
    Favorites.WriteFile(QStringLiteral("Locked/a.url"), LinkContent);
    Favorites.WriteFile(QStringLiteral("News/n.url"), LinkContent);
    Favorites.WriteFile(QStringLiteral("News/z.url"), LinkContent);
    Favorites.MakeFolder(QStringLiteral("Other"));
    SetMode(Favorites.Sub(QStringLiteral("Locked")), 0555);
    SetMode(Favorites.Sub(QStringLiteral("News/z.url")), 0);
    Load();
    {
        ScopedFilePermissions asUser;
        Cut(QStringLiteral("a"));
        Paste(QStringLiteral("Shm"));
        EXPECT_EQ(Children(QStringLiteral("Shm")), QStringList{"a"});
        Copy(QStringLiteral("News"));
        Paste(QStringLiteral("Other"));
    }
    SetMode(Favorites.Sub(QStringLiteral("Locked")), 0755);
    SetMode(Favorites.Sub(QStringLiteral("News/z.url")), 0644);

    EXPECT_EQ(ReportedErrors(), (QList<int>{70, 70}));
    EXPECT_EQ(Entries(QStringLiteral("Locked")), QStringList{"a.url"});
    EXPECT_EQ(Entries(QStringLiteral("Shm")), QStringList{"a.url"});
    ASSERT_NE(Node(QStringLiteral("Other/News")), nullptr);
    QStringList arrived = Entries(QStringLiteral("Other/News")).replaceInStrings(QStringLiteral(".url"), QString());
    EXPECT_EQ(Children(QStringLiteral("Other/News")), arrived);
}

// Read-only items go for good; but nothing leaves a read-only folder. A folder's contents go
// then, the failure is reported and the tree shows what is left.
TEST_F(ClipboardTest, DeleteAsksFirstAndTheTreeShowsWhatIsLeft)
{
    Favorites.WriteFile(QStringLiteral("News/n.url"), LinkContent);
    Favorites.WriteFile(QStringLiteral("News/Locked/x.url"), LinkContent);
    Favorites.WriteFile(QStringLiteral("a.url"), LinkContent);
    Favorites.WriteFile(QStringLiteral("Kept/l.url"), LinkContent);
    Favorites.WriteFile(QStringLiteral("Kept/Sub/s.url"), LinkContent);
    SetMode(Favorites.Sub(QStringLiteral("News/Locked/x.url")), 0444);
    SetMode(Favorites.Sub(QStringLiteral("News/Locked")), 0555);
    SetMode(Favorites.Sub(QStringLiteral("a.url")), 0444);
    SetMode(Favorites.Sub(QStringLiteral("Kept")), 0555);
    Load();

    const std::tuple<QString, QString, QString> cases[] = {
        {QStringLiteral("News"),
         QStringLiteral(
             "Removing this folder will also remove all of its links. Are you sure you want to remove this folder?"),
         QStringLiteral("Remove Folder")},
        {QStringLiteral("a"), QStringLiteral("Are you sure you want to remove this Favorite?"),
         QStringLiteral("Remove Favorite")},
    };
    {
        ScopedFilePermissions asUser;
        for (const auto& [node, prompt, title] : cases) {
            desktop::ClearShownMessages();
            const QStringList before = Entries();
            Delete(node, desktop::vbNo);
            ASSERT_EQ(desktop::ShownMessages().size(), 1);
            EXPECT_EQ(desktop::ShownMessages()[0].Prompt, prompt);
            EXPECT_EQ(desktop::ShownMessages()[0].Title, title);
            EXPECT_EQ(desktop::ShownMessages()[0].Style, desktop::vbYesNo);
            EXPECT_EQ(Entries(), before);
            EXPECT_NE(Node(node), nullptr);

            Delete(node);
            EXPECT_EQ(Node(node), nullptr) << node.toStdString();
        }
        EXPECT_EQ(Entries(), QStringList{"Kept"});
        EXPECT_TRUE(ReportedErrors().isEmpty());
        Delete(QStringLiteral("l"));
        Delete(QStringLiteral("Kept/Sub"));
    }
    SetMode(Favorites.Sub(QStringLiteral("Kept")), 0755);

    EXPECT_EQ(ReportedErrors(), (QList<int>{70, 70}));
    EXPECT_EQ(Entries(QStringLiteral("Kept")), (QStringList{"l.url", "Sub"}));
    EXPECT_TRUE(Entries(QStringLiteral("Kept/Sub")).isEmpty());
    EXPECT_EQ(Children(QStringLiteral("Kept")), (QStringList{"l", "Sub"}));
    EXPECT_EQ(Node(QStringLiteral("s")), nullptr);
    EXPECT_EQ(Nodes().Count(), 4);
}

// Pasting before any copy, or where the name is taken, does nothing and says nothing. Neither a
// link nor a folder gets a node where nothing could be written. The root is neither cut nor
// deleted.
TEST_F(ClipboardTest, APasteThatNeedNotOrCannotWriteAddsNoNodeAndTheRootStays)
{
    Favorites.WriteFile(QStringLiteral("News/n.url"), LinkContent);
    Favorites.WriteFile(QStringLiteral("Other/News/other.url"));
    Favorites.WriteFile(QStringLiteral("Other/A.url"), "theirs");
    Favorites.WriteFile(QStringLiteral("a.url"), LinkContent);
    Favorites.MakeFolder(QStringLiteral("ReadOnly"));
    SetMode(Favorites.Sub(QStringLiteral("ReadOnly")), 0555);
    Load();
    const int nodes = Nodes().Count();

    Paste(QStringLiteral("a"));
    Cut(QString());
    DeleteNode(*Main.tvFolders, Main.Clip, Main.Favorites);
    EXPECT_FALSE(Main.Clip.ClipNode.has_value());
    Copy(QStringLiteral("News"));
    Paste(QStringLiteral("Other"));
    Copy(QStringLiteral("a"));
    Paste(QStringLiteral("Other"));
    EXPECT_EQ(Entries(QStringLiteral("Other")), (QStringList{"A.url", "News"}));
    EXPECT_EQ(Entries(QStringLiteral("Other/News")), QStringList{"other.url"});
    EXPECT_EQ(Favorites.ReadFile(QStringLiteral("Other/A.url")), QByteArray("theirs"));
    EXPECT_TRUE(desktop::ShownMessages().isEmpty());
    EXPECT_FALSE(Logged());
    {
        ScopedFilePermissions asUser;
        Paste(QStringLiteral("ReadOnly"));
        Copy(QStringLiteral("News"));
        Paste(QStringLiteral("ReadOnly"));
    }
    SetMode(Favorites.Sub(QStringLiteral("ReadOnly")), 0755);

    EXPECT_EQ(ReportedErrors(), (QList<int>{70, 70}));
    EXPECT_TRUE(Entries(QStringLiteral("ReadOnly")).isEmpty());
    EXPECT_EQ(Entries(), (QStringList{"a.url", "News", "Other", "ReadOnly"}));
    EXPECT_EQ(Nodes().Count(), nodes);
}

// A cut link whose folder is renamed before the paste is still found; a pasted folder is
// selected; an item deleted for good leaves the clipboard, so a paste then has nothing to copy.
TEST_F(ClipboardTest, TheClipboardFollowsARenamedFolderAndForgetsADeletedItem)
{
    Favorites.WriteFile(QStringLiteral("P/l.url"), LinkContent);
    Favorites.MakeFolder(QStringLiteral("P/F"));
    Load();

    Cut(QStringLiteral("l"));
    RenameNode(*Main.tvFolders, QStringLiteral("Q"), Node(QStringLiteral("P")));
    Paste(QString());
    EXPECT_EQ(Entries(), (QStringList{"l.url", "Q"}));
    EXPECT_EQ(Children(QString()), (QStringList{"Q", "l"}));
    EXPECT_TRUE(ReportedErrors().isEmpty());

    Copy(QStringLiteral("Q/F"));
    Paste(QString());
    EXPECT_TRUE(Node(QStringLiteral("F"))->Selected());
    Delete(QStringLiteral("Q/F"));
    EXPECT_FALSE(Main.Clip.ClipNode.has_value());
}
