#include "platform/files/FileOperations.h"

#include "platform/files/FileSystem.h"
#include "platform/runtime/ErrorRecord.h"
#include "tests/support/Privileges.h"
#include "tests/support/RaisedError.h"
#include "tests/support/TestFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <tuple>
#include <utility>

namespace
{
void SetMode(const QString& path, mode_t mode)
{
    ASSERT_EQ(chmod(QFile::encodeName(path).constData(), mode), 0);
}

mode_t ModeOf(const QString& path)
{
    struct stat info
    {
    };
    EXPECT_EQ(lstat(QFile::encodeName(path).constData(), &info), 0);
    return info.st_mode & 07777;
}

// Every item below a folder, as relative paths, with folders ending in "/" and links in "@".
QStringList Tree(const QString& folder)
{
    QStringList items;
    const QDir dir(folder);
    for (const QFileInfo& info : dir.entryInfoList(
             QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name | QDir::IgnoreCase)) {
        if (info.isSymLink()) {
            items << info.fileName() + QStringLiteral("@");
        } else if (info.isDir()) {
            items << info.fileName() + QStringLiteral("/");
            for (const QString& inner : Tree(info.filePath()))
                items << info.fileName() + QStringLiteral("/") + inner;
        } else {
            items << info.fileName();
        }
    }
    return items;
}

// Whether two folders lie on different file systems, so that a move between them cannot rename.
bool OnDifferentFileSystems(const QString& one, const QString& other)
{
    struct stat a
    {
    }, b{};
    return stat(QFile::encodeName(one).constData(), &a) == 0 && stat(QFile::encodeName(other).constData(), &b) == 0 &&
           a.st_dev != b.st_dev;
}

QStringList Names(const QList<files::FolderItem>& items)
{
    QStringList names;
    for (const auto& item : items)
        names << item.Name;
    return names;
}

class FileOperations : public ::testing::Test
{
protected:
    QString At(const char* relative) const { return dir.Sub(QString::fromUtf8(relative)); }
    TestFolder dir;
};
using FolderListing = FileOperations;
using ResolvePath = FileOperations;
} // namespace

TEST_F(FileOperations, ExistsTellsFilesFromFoldersInAnyLetterCase)
{
    dir.WriteFile(QStringLiteral("News/Item.url"));
    ASSERT_TRUE(QFile::link(At("News"), At("Linked")));
    ASSERT_TRUE(QFile::link(At("nowhere"), At("dangling.url")));

    // A path, whether it is a folder, whether it is a file.
    const std::tuple<const char*, bool, bool> cases[] = {
        {"News", true, false},          {"news", true, false},
        {"NEWS/item.URL", false, true}, {"News/Item.url", false, true},
        {"Linked", true, false},        {"dangling.url", false, true},
        {"Missing", false, false},      {"Missing/Item.url", false, false},
    };
    for (const auto& [path, folder, file] : cases) {
        EXPECT_EQ(files::FolderExists(At(path)), folder) << path;
        EXPECT_EQ(files::FileExists(At(path)), file) << path;
    }
    EXPECT_FALSE(files::FolderExists(QString()));
    EXPECT_FALSE(files::FileExists(QString()));
}

// A copy replaces the destination and keeps the source; a failed one changes nothing.
TEST_F(FileOperations, CopyFileReplacesTheDestinationOrChangesNothing)
{
    dir.WriteFile(QStringLiteral("a.url"), "content");
    dir.WriteFile(QStringLiteral("To/a.url"), "old content that is longer");
    dir.MakeFolder(QStringLiteral("Folder/a.url"));
    SetMode(At("a.url"), 0444);

    files::CopyFile(At("A.URL"), At("to/a.url"));
    EXPECT_EQ(dir.ReadFile(QString::fromLatin1("To/a.url")), QByteArray("content"));
    EXPECT_EQ(ModeOf(At("To/a.url")), 0444u);
    SetMode(At("a.url"), 0644);

    EXPECT_EQ(ErrorNumberOf([&] { files::CopyFile(At("missing.url"), At("b.url")); }), runtime::FileNotFound);
    EXPECT_EQ(ErrorNumberOf([&] { files::CopyFile(At("No/a.url"), At("b.url")); }), runtime::PathNotFound);
    EXPECT_EQ(ErrorNumberOf([&] { files::CopyFile(At("a.url"), At("No/a.url")); }), runtime::PathNotFound);
    EXPECT_EQ(ErrorNumberOf([&] { files::CopyFile(At("a.url"), At("Folder/a.url")); }), runtime::FileAlreadyExists);
    // A copy onto itself would empty the file.
    EXPECT_EQ(ErrorNumberOf([&] { files::CopyFile(At("a.url"), At("a.url")); }), runtime::PermissionDenied);
    EXPECT_EQ(dir.ReadFile(QString::fromLatin1("a.url")), QByteArray("content"));
    // No temporary file is left beside the copy.
    EXPECT_EQ(Tree(dir.Path()), (QStringList{"a.url", "Folder/", "Folder/a.url/", "To/", "To/a.url"}));
}

TEST_F(FileOperations, CopyFolderCopiesEverythingAndMergesIntoAnExistingFolder)
{
    dir.WriteFile(QStringLiteral("Src/top.url"), "top");
    dir.WriteFile(QStringLiteral("Src/Sub/deep.url"), "deep");
    dir.WriteFile(QStringLiteral("Src/Locked/inside.url"), "inside");
    dir.WriteFile(QStringLiteral("Outside/secret.txt"), "secret");
    ASSERT_TRUE(QFile::link(At("Outside"), At("Src/Sub/outside")));
    ASSERT_EQ(mkfifo(QFile::encodeName(At("Src/pipe")).constData(), 0600), 0);
    SetMode(At("Src/Locked"), 0555);
    dir.WriteFile(QStringLiteral("Dst/top.url"), "old");
    dir.WriteFile(QStringLiteral("Dst/kept.url"), "kept");

    files::CopyFolder(At("Src"), At("Dst"));

    // The named pipe is left out (reading it would hang); the link is copied as a link.
    EXPECT_EQ(Tree(At("Dst")), (QStringList{"kept.url", "Locked/", "Locked/inside.url", "Sub/", "Sub/deep.url",
                                            "Sub/outside@", "top.url"}));
    EXPECT_EQ(dir.ReadFile(QString::fromLatin1("Dst/top.url")), QByteArray("top"));
    EXPECT_EQ(dir.ReadFile(QString::fromLatin1("Dst/Locked/inside.url")), QByteArray("inside"));
    EXPECT_EQ(QFileInfo(At("Dst/Sub/outside")).symLinkTarget(), At("Outside"));
    EXPECT_TRUE(QFileInfo::exists(At("Src/Sub/deep.url")));
    SetMode(At("Src/Locked"), 0755);
}

// Within means below after following links, whether the destination exists yet or not.
TEST_F(FileOperations, AFolderIsNeverCopiedOrMovedIntoItself)
{
    dir.WriteFile(QStringLiteral("A/Sub/x.url"), "x");
    dir.MakeFolder(QStringLiteral("AB"));
    ASSERT_TRUE(QFile::link(At("A/Sub"), At("ToSub")));
    EXPECT_TRUE(files::LiesWithin(At("A"), At("A")));
    EXPECT_TRUE(files::LiesWithin(At("A/Sub/New/Deeper"), At("A")));
    EXPECT_TRUE(files::LiesWithin(At("ToSub/New"), At("A")));
    EXPECT_FALSE(files::LiesWithin(At("AB/New"), At("A")));
    EXPECT_FALSE(files::LiesWithin(At("A"), At("A/Sub")));
    EXPECT_FALSE(files::LiesWithin(At("A/x"), At("Missing")));
    const QStringList before = Tree(dir.Path());

    for (const char* destination : {"A/Copy", "A/Sub/Copy", "A", "ToSub/Copy"}) {
        const QString to = At(destination);
        EXPECT_EQ(ErrorNumberOf([&] { files::CopyFolder(At("A"), to); }), runtime::InvalidProcedureCall) << destination;
    }
    for (const char* destination : {"A/Moved", "A/Sub/Moved"}) {
        const QString to = At(destination);
        EXPECT_EQ(ErrorNumberOf([&] { files::MoveFolder(At("A"), to); }), runtime::InvalidProcedureCall) << destination;
    }
    EXPECT_EQ(Tree(dir.Path()), before);
}

TEST_F(FileOperations, MoveRenamesOnOneFileSystemAndNeverReplaces)
{
    dir.WriteFile(QStringLiteral("a.url"), "a");
    dir.WriteFile(QStringLiteral("Folder/inner.url"), "inner");
    dir.WriteFile(QStringLiteral("To/B.URL"), "b");
    dir.MakeFolder(QStringLiteral("To/OTHER"));

    files::MoveFile(At("A.URL"), At("To/a.url"));
    files::MoveFolder(At("folder"), At("To/Folder"));
    EXPECT_EQ(Tree(dir.Path()),
              (QStringList{"To/", "To/a.url", "To/B.URL", "To/Folder/", "To/Folder/inner.url", "To/OTHER/"}));

    // Something of that name in any letter case is already there.
    dir.WriteFile(QStringLiteral("b.url"), "other b");
    dir.MakeFolder(QStringLiteral("Other"));
    EXPECT_EQ(ErrorNumberOf([&] { files::MoveFile(At("b.url"), At("To/b.url")); }), runtime::FileAlreadyExists);
    EXPECT_EQ(ErrorNumberOf([&] { files::MoveFolder(At("Other"), At("To/Other")); }), runtime::FileAlreadyExists);
    EXPECT_EQ(dir.ReadFile(QString::fromLatin1("To/B.URL")), QByteArray("b"));
    EXPECT_EQ(dir.ReadFile(QString::fromLatin1("b.url")), QByteArray("other b"));

    EXPECT_EQ(ErrorNumberOf([&] { files::MoveFile(At("gone.url"), At("x.url")); }), runtime::FileNotFound);
    EXPECT_EQ(ErrorNumberOf([&] { files::MoveFolder(At("Gone"), At("X")); }), runtime::PathNotFound);
}

TEST_F(FileOperations, MoveCopiesAcrossFileSystemsAndRemovesTheOriginalOrLeavesNoHalfCopy)
{
    if (!QFileInfo(QStringLiteral("/dev/shm")).isDir())
        GTEST_SKIP() << "no /dev/shm";
    const TestFolder other(QStringLiteral("/dev/shm/strandmoor-XXXXXX"));
    if (!OnDifferentFileSystems(other.Path(), dir.Path()))
        GTEST_SKIP() << "/dev/shm is on the test folder's file system";
    dir.WriteFile(QStringLiteral("a.url"), "a");
    dir.WriteFile(QStringLiteral("Folder/Sub/inner.url"), "inner");
    SetMode(At("Folder/Sub"), 0555);

    files::MoveFile(At("a.url"), other.Sub(QStringLiteral("a.url")));
    files::MoveFolder(At("Folder"), other.Sub(QStringLiteral("Folder")));

    EXPECT_EQ(Tree(dir.Path()), QStringList());
    EXPECT_EQ(other.ReadFile(QStringLiteral("Folder/Sub/inner.url")), QByteArray("inner"));
    EXPECT_EQ(other.ReadFile(QStringLiteral("a.url")), QByteArray("a"));

    dir.WriteFile(QStringLiteral("Failing/a.url"), "a");
    dir.WriteFile(QStringLiteral("Failing/unreadable.url"), "secret");
    SetMode(At("Failing/unreadable.url"), 0);
    {
        ScopedFilePermissions asUser;
        EXPECT_EQ(ErrorNumberOf([&] { files::MoveFolder(At("Failing"), other.Sub(QStringLiteral("Failing"))); }),
                  runtime::PermissionDenied);
    }
    SetMode(At("Failing/unreadable.url"), 0644);
    EXPECT_FALSE(QFileInfo::exists(other.Sub(QStringLiteral("Failing"))));
    EXPECT_EQ(Tree(dir.Path()), (QStringList{"Failing/", "Failing/a.url", "Failing/unreadable.url"}));
}

TEST_F(FileOperations, DeleteRemovesReadOnlyItemsButNothingALinkLeadsTo)
{
    dir.WriteFile(QStringLiteral("Outside/keep.url"), "keep");
    dir.WriteFile(QStringLiteral("Doomed/Locked/Deeper/x.url"), "x");
    dir.WriteFile(QStringLiteral("Doomed/readonly.url"), "r");
    ASSERT_TRUE(QFile::link(At("Outside"), At("Doomed/outside")));
    SetMode(At("Doomed/readonly.url"), 0444);
    SetMode(At("Doomed/Locked/Deeper"), 0500);
    SetMode(At("Doomed/Locked"), 0);
    dir.WriteFile(QStringLiteral("single.url"), "s");
    SetMode(At("single.url"), 0444);
    ASSERT_TRUE(QFile::link(At("Outside"), At("FolderLink")));
    ASSERT_TRUE(QFile::link(At("Outside/keep.url"), At("filelink.url")));

    {
        // Read-only means read-only to the user too, not only to a process that may override it.
        ScopedFilePermissions asUser;
        files::DeleteFolder(At("doomed"));
        files::DeleteFile(At("SINGLE.url"));
        files::DeleteFolder(At("FolderLink"));
        files::DeleteFile(At("filelink.url"));
    }
    EXPECT_EQ(Tree(dir.Path()), (QStringList{"Outside/", "Outside/keep.url"}));
}

TEST_F(FileOperations, DeleteFailuresAreReported)
{
    dir.MakeFolder(QStringLiteral("Folder"));
    dir.WriteFile(QStringLiteral("Locked/a.url"), "a");
    dir.MakeFolder(QStringLiteral("Locked/Inner"));
    dir.WriteFile(QStringLiteral("Locked/Inner/b.url"), "b");
    SetMode(At("Locked"), 0555);

    EXPECT_EQ(ErrorNumberOf([&] { files::DeleteFile(At("missing.url")); }), runtime::FileNotFound);
    EXPECT_EQ(ErrorNumberOf([&] { files::DeleteFile(At("Folder")); }), runtime::FileNotFound);
    EXPECT_EQ(ErrorNumberOf([&] { files::DeleteFolder(At("Missing")); }), runtime::PathNotFound);
    EXPECT_EQ(ErrorNumberOf([&] { files::DeleteFolder(At("Locked/a.url")); }), runtime::PathNotFound);
    {
        // The folder that holds the item is not part of it: its permissions are kept.
        ScopedFilePermissions asUser;
        EXPECT_EQ(ErrorNumberOf([&] { files::DeleteFile(At("Locked/a.url")); }), runtime::PermissionDenied);
        EXPECT_EQ(ErrorNumberOf([&] { files::DeleteFolder(At("Locked/Inner")); }), runtime::PermissionDenied);
    }
    SetMode(At("Locked"), 0755);
    EXPECT_TRUE(QFileInfo::exists(At("Locked/a.url")));
    EXPECT_TRUE(QFileInfo::exists(At("Locked/Inner")));
}

TEST_F(FileOperations, CreateFolderMakesOneFolderAndRefusesTakenOrInvalidNames)
{
    dir.MakeFolder(QStringLiteral("News"));
    dir.WriteFile(QStringLiteral("file.url"));

    files::CreateFolder(At("news/Today"));
    EXPECT_TRUE(QFileInfo(At("News/Today")).isDir());

    const std::pair<const char*, int> cases[] = {
        {"NEWS", runtime::FileAlreadyExists},   {"File.URL", runtime::FileAlreadyExists},
        {"Missing/New", runtime::PathNotFound}, {".", runtime::BadFileName},
        {"..", runtime::BadFileName},           {"", runtime::BadFileName},
    };
    for (const auto& [path, number] : cases)
        EXPECT_EQ(ErrorNumberOf([&] { files::CreateFolder(At(path)); }), number) << path;
    EXPECT_EQ(Tree(dir.Path()), (QStringList{"file.url", "News/", "News/Today/"}));
}

// Links are listed as what they point to; a dangling one as a file.
TEST_F(FolderListing, SortsFilesAndFoldersByNameIgnoringCaseAndListsLinksAsWhatTheyPointTo)
{
    for (const char* name : {"b.url", "A.url", "c.URL", "_x", ".hidden", "B2.txt", "file.url"})
        dir.WriteFile(QString::fromLatin1(name));
    for (const char* name : {"zeta", "Alpha", "beta", ".cache", "real"})
        dir.MakeFolder(QString::fromLatin1(name));
    ASSERT_TRUE(QFile::link(At("real"), At("folderlink")));
    ASSERT_TRUE(QFile::link(At("file.url"), At("filelink.url")));
    ASSERT_TRUE(QFile::link(At("nowhere"), At("dangling")));

    const files::FolderListing listing = files::ListFolder(dir.Path());

    EXPECT_EQ(Names(listing.Files), (QStringList{".hidden", "_x", "A.url", "b.url", "B2.txt", "c.URL", "dangling",
                                                 "file.url", "filelink.url"}));
    ASSERT_EQ(Names(listing.SubFolders), (QStringList{".cache", "Alpha", "beta", "folderlink", "real", "zeta"}));
    EXPECT_EQ(listing.Files[2].Path, At("A.url"));
    EXPECT_TRUE(listing.SubFolders[3].IsLink);
    EXPECT_FALSE(listing.SubFolders[4].IsLink);
}

TEST_F(FolderListing, FailuresCarryTheNumbersTheProgramHandles)
{
    dir.WriteFile(QStringLiteral("plain"));
    dir.MakeFolder(QStringLiteral("locked"));
    SetMode(At("locked"), 0);

    EXPECT_EQ(ErrorNumberOf([&] { files::ListFolder(At("missing")); }), runtime::PathNotFound);
    EXPECT_EQ(ErrorNumberOf([&] { files::ListFiles(At("plain")); }), runtime::PathNotFound);
    {
        ScopedFilePermissions asUser;
        EXPECT_EQ(ErrorNumberOf([&] { files::ListSubFolders(At("locked")); }), runtime::PermissionDenied);
    }
    SetMode(At("locked"), 0700);
}

TEST_F(ResolvePath, FindsEachComponentWithoutRegardToLetterCase)
{
    dir.WriteFile(QStringLiteral("News/Sport/Scores.url"));
    dir.WriteFile(QStringLiteral("exact.URL"));
    dir.WriteFile(QStringLiteral("Link.url"));
    dir.WriteFile(QStringLiteral("link.url"));

    // The path asked for, and the one found.
    const std::pair<QString, QString> cases[] = {
        {At("news/SPORT/scores.URL"), At("News/Sport/Scores.url")},
        {At("exact.URL"), At("exact.URL")},
        {At("EXACT.url"), At("exact.URL")},
        // What matches nothing is kept as written, so the caller's error names the real gap.
        {At("news/missing/x.URL"), At("News/missing/x.URL")},
        // The exact name wins when both cases exist; spelled neither way, the first in listing
        // order wins, every time.
        {At("link.url"), At("link.url")},
        {At("Link.url"), At("Link.url")},
        {At("LINK.URL"), At("Link.url")},
    };
    for (const auto& [asked, found] : cases)
        EXPECT_EQ(files::ResolvePath(asked), found) << asked.toStdString();
}
