#include "platform/files/FileOperations.h"

#include "platform/runtime/ErrorRecord.h"
#include "tests/support/Privileges.h"
#include "tests/support/TestFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace
{
int ErrorNumberOf(const std::function<void()>& call)
{
    try {
        call();
    } catch (const runtime::Error& error) {
        return error.Number();
    }
    return 0;
}

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

// A folder on another file system than the test folders, for moves that cannot rename.
class OtherFileSystem
{
public:
    OtherFileSystem() : dir_(QStringLiteral("/dev/shm/strandmoor-XXXXXX")) {}

    bool Usable(const QString& besides) const
    {
        struct stat a
        {
        }, b{};
        return dir_.isValid() && stat(QFile::encodeName(dir_.path()).constData(), &a) == 0 &&
               stat(QFile::encodeName(besides).constData(), &b) == 0 && a.st_dev != b.st_dev;
    }
    QString Sub(const QString& relative) const { return dir_.path() + QLatin1Char('/') + relative; }

private:
    QTemporaryDir dir_;
};
} // namespace

TEST(FileOperations, ExistsTellsFilesFromFoldersInAnyLetterCase)
{
    TestFolder dir;
    dir.WriteFile(QStringLiteral("News/Item.url"));
    ASSERT_TRUE(QFile::link(dir.Sub(QStringLiteral("News")), dir.Sub(QStringLiteral("Linked"))));
    ASSERT_TRUE(QFile::link(dir.Sub(QStringLiteral("nowhere")), dir.Sub(QStringLiteral("dangling.url"))));

    struct Case
    {
        const char* Path;
        bool Folder;
        bool File;
    };
    const Case cases[] = {
        {"News", true, false},          {"news", true, false},
        {"NEWS/item.URL", false, true}, {"News/Item.url", false, true},
        {"Linked", true, false},        {"dangling.url", false, true},
        {"Missing", false, false},      {"Missing/Item.url", false, false},
    };
    for (const Case& c : cases) {
        const QString path = dir.Sub(QString::fromLatin1(c.Path));
        EXPECT_EQ(files::FolderExists(path), c.Folder) << c.Path;
        EXPECT_EQ(files::FileExists(path), c.File) << c.Path;
    }
    EXPECT_FALSE(files::FolderExists(QString()));
    EXPECT_FALSE(files::FileExists(QString()));
}

TEST(FileOperations, LiesWithinFollowsLinksAndNeedsNoDestination)
{
    TestFolder dir;
    dir.MakeFolder(QStringLiteral("A/Sub"));
    dir.MakeFolder(QStringLiteral("AB"));
    ASSERT_TRUE(QFile::link(dir.Sub(QStringLiteral("A/Sub")), dir.Sub(QStringLiteral("ToSub"))));

    EXPECT_TRUE(files::LiesWithin(dir.Sub(QStringLiteral("A")), dir.Sub(QStringLiteral("A"))));
    EXPECT_TRUE(files::LiesWithin(dir.Sub(QStringLiteral("A/Sub/New/Deeper")), dir.Sub(QStringLiteral("A"))));
    EXPECT_TRUE(files::LiesWithin(dir.Sub(QStringLiteral("ToSub/New")), dir.Sub(QStringLiteral("A"))));
    EXPECT_FALSE(files::LiesWithin(dir.Sub(QStringLiteral("AB/New")), dir.Sub(QStringLiteral("A"))));
    EXPECT_FALSE(files::LiesWithin(dir.Sub(QStringLiteral("A")), dir.Sub(QStringLiteral("A/Sub"))));
    EXPECT_FALSE(files::LiesWithin(dir.Sub(QStringLiteral("A/x")), dir.Sub(QStringLiteral("Missing"))));
}

TEST(FileOperations, CopyFileReplacesTheDestinationAndKeepsTheSource)
{
    TestFolder dir;
    dir.WriteFile(QStringLiteral("a.url"), "new content");
    dir.WriteFile(QStringLiteral("To/a.url"), "old content that is longer");
    SetMode(dir.Sub(QStringLiteral("a.url")), 0444);

    files::CopyFile(dir.Sub(QStringLiteral("A.URL")), dir.Sub(QStringLiteral("to/a.url")));

    EXPECT_EQ(dir.ReadFile(QStringLiteral("To/a.url")), QByteArray("new content"));
    EXPECT_EQ(dir.ReadFile(QStringLiteral("a.url")), QByteArray("new content"));
    EXPECT_EQ(ModeOf(dir.Sub(QStringLiteral("To/a.url"))), 0444u);
    // No temporary file is left beside the copy.
    EXPECT_EQ(Tree(dir.Path()), (QStringList{"a.url", "To/", "To/a.url"}));
}

TEST(FileOperations, CopyFileFailuresChangeNothing)
{
    TestFolder dir;
    dir.WriteFile(QStringLiteral("a.url"), "content");
    dir.MakeFolder(QStringLiteral("Folder/a.url"));

    EXPECT_EQ(ErrorNumberOf(
                  [&] { files::CopyFile(dir.Sub(QStringLiteral("missing.url")), dir.Sub(QStringLiteral("b.url"))); }),
              runtime::FileNotFound);
    EXPECT_EQ(
        ErrorNumberOf([&] { files::CopyFile(dir.Sub(QStringLiteral("No/a.url")), dir.Sub(QStringLiteral("b.url"))); }),
        runtime::PathNotFound);
    EXPECT_EQ(
        ErrorNumberOf([&] { files::CopyFile(dir.Sub(QStringLiteral("a.url")), dir.Sub(QStringLiteral("No/a.url"))); }),
        runtime::PathNotFound);
    EXPECT_EQ(ErrorNumberOf(
                  [&] { files::CopyFile(dir.Sub(QStringLiteral("a.url")), dir.Sub(QStringLiteral("Folder/a.url"))); }),
              runtime::FileAlreadyExists);
    // A copy onto itself would empty the file.
    EXPECT_EQ(
        ErrorNumberOf([&] { files::CopyFile(dir.Sub(QStringLiteral("a.url")), dir.Sub(QStringLiteral("a.url"))); }),
        runtime::PermissionDenied);
    EXPECT_EQ(dir.ReadFile(QStringLiteral("a.url")), QByteArray("content"));
    EXPECT_EQ(Tree(dir.Path()), (QStringList{"a.url", "Folder/", "Folder/a.url/"}));
}

TEST(FileOperations, CopyFolderCopiesEverythingAndMergesIntoAnExistingFolder)
{
    TestFolder dir;
    dir.WriteFile(QStringLiteral("Src/top.url"), "top");
    dir.WriteFile(QStringLiteral("Src/Sub/deep.url"), "deep");
    dir.WriteFile(QStringLiteral("Src/Locked/inside.url"), "inside");
    dir.WriteFile(QStringLiteral("Outside/secret.txt"), "secret");
    ASSERT_TRUE(QFile::link(dir.Sub(QStringLiteral("Outside")), dir.Sub(QStringLiteral("Src/Sub/outside"))));
    ASSERT_EQ(mkfifo(QFile::encodeName(dir.Sub(QStringLiteral("Src/pipe"))).constData(), 0600), 0);
    SetMode(dir.Sub(QStringLiteral("Src/Locked")), 0555);
    dir.WriteFile(QStringLiteral("Dst/top.url"), "old");
    dir.WriteFile(QStringLiteral("Dst/kept.url"), "kept");

    files::CopyFolder(dir.Sub(QStringLiteral("Src")), dir.Sub(QStringLiteral("Dst")));

    // The named pipe is left out (reading it would hang); the link is copied as a link.
    EXPECT_EQ(Tree(dir.Sub(QStringLiteral("Dst"))), (QStringList{"kept.url", "Locked/", "Locked/inside.url", "Sub/",
                                                                 "Sub/deep.url", "Sub/outside@", "top.url"}));
    EXPECT_EQ(dir.ReadFile(QStringLiteral("Dst/top.url")), QByteArray("top"));
    EXPECT_EQ(dir.ReadFile(QStringLiteral("Dst/Locked/inside.url")), QByteArray("inside"));
    EXPECT_EQ(QFileInfo(dir.Sub(QStringLiteral("Dst/Sub/outside"))).symLinkTarget(),
              dir.Sub(QStringLiteral("Outside")));
    EXPECT_TRUE(QFileInfo::exists(dir.Sub(QStringLiteral("Src/Sub/deep.url"))));
    SetMode(dir.Sub(QStringLiteral("Src/Locked")), 0755);
}

TEST(FileOperations, AFolderIsNeverCopiedOrMovedIntoItself)
{
    TestFolder dir;
    dir.WriteFile(QStringLiteral("A/Sub/x.url"), "x");
    const QStringList before = Tree(dir.Path());

    for (const char* destination : {"A/Copy", "A/Sub/Copy", "A"}) {
        const QString to = dir.Sub(QString::fromLatin1(destination));
        EXPECT_EQ(ErrorNumberOf([&] { files::CopyFolder(dir.Sub(QStringLiteral("A")), to); }),
                  runtime::InvalidProcedureCall)
            << destination;
    }
    for (const char* destination : {"A/Moved", "A/Sub/Moved"}) {
        const QString to = dir.Sub(QString::fromLatin1(destination));
        EXPECT_EQ(ErrorNumberOf([&] { files::MoveFolder(dir.Sub(QStringLiteral("A")), to); }),
                  runtime::InvalidProcedureCall)
            << destination;
    }
    EXPECT_EQ(Tree(dir.Path()), before);
}

TEST(FileOperations, MoveRenamesOnOneFileSystemAndNeverReplaces)
{
    TestFolder dir;
    dir.WriteFile(QStringLiteral("a.url"), "a");
    dir.WriteFile(QStringLiteral("Folder/inner.url"), "inner");
    dir.WriteFile(QStringLiteral("To/B.URL"), "b");
    dir.MakeFolder(QStringLiteral("To/OTHER"));

    files::MoveFile(dir.Sub(QStringLiteral("A.URL")), dir.Sub(QStringLiteral("To/a.url")));
    files::MoveFolder(dir.Sub(QStringLiteral("folder")), dir.Sub(QStringLiteral("To/Folder")));
    EXPECT_EQ(Tree(dir.Path()),
              (QStringList{"To/", "To/a.url", "To/B.URL", "To/Folder/", "To/Folder/inner.url", "To/OTHER/"}));

    // Something of that name in any letter case is already there.
    dir.WriteFile(QStringLiteral("b.url"), "other b");
    dir.MakeFolder(QStringLiteral("Other"));
    EXPECT_EQ(
        ErrorNumberOf([&] { files::MoveFile(dir.Sub(QStringLiteral("b.url")), dir.Sub(QStringLiteral("To/b.url"))); }),
        runtime::FileAlreadyExists);
    EXPECT_EQ(ErrorNumberOf(
                  [&] { files::MoveFolder(dir.Sub(QStringLiteral("Other")), dir.Sub(QStringLiteral("To/Other"))); }),
              runtime::FileAlreadyExists);
    EXPECT_EQ(dir.ReadFile(QStringLiteral("To/B.URL")), QByteArray("b"));
    EXPECT_EQ(dir.ReadFile(QStringLiteral("b.url")), QByteArray("other b"));

    EXPECT_EQ(
        ErrorNumberOf([&] { files::MoveFile(dir.Sub(QStringLiteral("gone.url")), dir.Sub(QStringLiteral("x.url"))); }),
        runtime::FileNotFound);
    EXPECT_EQ(ErrorNumberOf([&] { files::MoveFolder(dir.Sub(QStringLiteral("Gone")), dir.Sub(QStringLiteral("X"))); }),
              runtime::PathNotFound);
}

TEST(FileOperations, MoveCopiesAcrossFileSystemsAndRemovesTheOriginal)
{
    TestFolder dir;
    OtherFileSystem other;
    if (!other.Usable(dir.Path()))
        GTEST_SKIP() << "no second file system at /dev/shm";
    dir.WriteFile(QStringLiteral("a.url"), "a");
    dir.WriteFile(QStringLiteral("Folder/Sub/inner.url"), "inner");
    SetMode(dir.Sub(QStringLiteral("Folder/Sub")), 0555);

    files::MoveFile(dir.Sub(QStringLiteral("a.url")), other.Sub(QStringLiteral("a.url")));
    files::MoveFolder(dir.Sub(QStringLiteral("Folder")), other.Sub(QStringLiteral("Folder")));

    EXPECT_EQ(Tree(dir.Path()), QStringList());
    QFile moved(other.Sub(QStringLiteral("Folder/Sub/inner.url")));
    ASSERT_TRUE(moved.open(QIODevice::ReadOnly));
    EXPECT_EQ(moved.readAll(), QByteArray("inner"));
    QFile file(other.Sub(QStringLiteral("a.url")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("a"));
}

TEST(FileOperations, AFailedMoveAcrossFileSystemsLeavesNoHalfCopy)
{
    TestFolder dir;
    OtherFileSystem other;
    if (!other.Usable(dir.Path()))
        GTEST_SKIP() << "no second file system at /dev/shm";
    dir.WriteFile(QStringLiteral("Folder/a.url"), "a");
    dir.WriteFile(QStringLiteral("Folder/unreadable.url"), "secret");
    SetMode(dir.Sub(QStringLiteral("Folder/unreadable.url")), 0);
    {
        ScopedFilePermissions asUser;
        EXPECT_EQ(ErrorNumberOf([&] {
                      files::MoveFolder(dir.Sub(QStringLiteral("Folder")), other.Sub(QStringLiteral("Folder")));
                  }),
                  runtime::PermissionDenied);
    }
    SetMode(dir.Sub(QStringLiteral("Folder/unreadable.url")), 0644);
    EXPECT_FALSE(QFileInfo::exists(other.Sub(QStringLiteral("Folder"))));
    EXPECT_EQ(Tree(dir.Path()), (QStringList{"Folder/", "Folder/a.url", "Folder/unreadable.url"}));
}

TEST(FileOperations, DeleteRemovesReadOnlyItemsButNothingALinkLeadsTo)
{
    TestFolder dir;
    dir.WriteFile(QStringLiteral("Outside/keep.url"), "keep");
    dir.WriteFile(QStringLiteral("Doomed/Locked/Deeper/x.url"), "x");
    dir.WriteFile(QStringLiteral("Doomed/readonly.url"), "r");
    ASSERT_TRUE(QFile::link(dir.Sub(QStringLiteral("Outside")), dir.Sub(QStringLiteral("Doomed/outside"))));
    SetMode(dir.Sub(QStringLiteral("Doomed/readonly.url")), 0444);
    SetMode(dir.Sub(QStringLiteral("Doomed/Locked/Deeper")), 0500);
    SetMode(dir.Sub(QStringLiteral("Doomed/Locked")), 0);
    dir.WriteFile(QStringLiteral("single.url"), "s");
    SetMode(dir.Sub(QStringLiteral("single.url")), 0444);
    ASSERT_TRUE(QFile::link(dir.Sub(QStringLiteral("Outside")), dir.Sub(QStringLiteral("FolderLink"))));
    ASSERT_TRUE(QFile::link(dir.Sub(QStringLiteral("Outside/keep.url")), dir.Sub(QStringLiteral("filelink.url"))));

    {
        // Read-only means read-only to the user too, not only to a process that may override it.
        ScopedFilePermissions asUser;
        files::DeleteFolder(dir.Sub(QStringLiteral("doomed")));
        files::DeleteFile(dir.Sub(QStringLiteral("SINGLE.url")));
        files::DeleteFolder(dir.Sub(QStringLiteral("FolderLink")));
        files::DeleteFile(dir.Sub(QStringLiteral("filelink.url")));
    }
    EXPECT_EQ(Tree(dir.Path()), (QStringList{"Outside/", "Outside/keep.url"}));
}

TEST(FileOperations, DeleteFailuresAreReported)
{
    TestFolder dir;
    dir.MakeFolder(QStringLiteral("Folder"));
    dir.WriteFile(QStringLiteral("Locked/a.url"), "a");
    dir.MakeFolder(QStringLiteral("Locked/Inner"));
    dir.WriteFile(QStringLiteral("Locked/Inner/b.url"), "b");
    SetMode(dir.Sub(QStringLiteral("Locked")), 0555);

    EXPECT_EQ(ErrorNumberOf([&] { files::DeleteFile(dir.Sub(QStringLiteral("missing.url"))); }), runtime::FileNotFound);
    EXPECT_EQ(ErrorNumberOf([&] { files::DeleteFile(dir.Sub(QStringLiteral("Folder"))); }), runtime::FileNotFound);
    EXPECT_EQ(ErrorNumberOf([&] { files::DeleteFolder(dir.Sub(QStringLiteral("Missing"))); }), runtime::PathNotFound);
    EXPECT_EQ(ErrorNumberOf([&] { files::DeleteFolder(dir.Sub(QStringLiteral("Locked/a.url"))); }),
              runtime::PathNotFound);
    {
        // The folder that holds the item is not part of it: its permissions are kept.
        ScopedFilePermissions asUser;
        EXPECT_EQ(ErrorNumberOf([&] { files::DeleteFile(dir.Sub(QStringLiteral("Locked/a.url"))); }),
                  runtime::PermissionDenied);
        EXPECT_EQ(ErrorNumberOf([&] { files::DeleteFolder(dir.Sub(QStringLiteral("Locked/Inner"))); }),
                  runtime::PermissionDenied);
    }
    SetMode(dir.Sub(QStringLiteral("Locked")), 0755);
    EXPECT_TRUE(QFileInfo::exists(dir.Sub(QStringLiteral("Locked/a.url"))));
    EXPECT_TRUE(QFileInfo::exists(dir.Sub(QStringLiteral("Locked/Inner"))));
}

TEST(FileOperations, CreateFolderMakesOneFolderAndRefusesTakenOrInvalidNames)
{
    TestFolder dir;
    dir.MakeFolder(QStringLiteral("News"));
    dir.WriteFile(QStringLiteral("file.url"));

    files::CreateFolder(dir.Sub(QStringLiteral("news/Today")));
    EXPECT_TRUE(QFileInfo(dir.Sub(QStringLiteral("News/Today"))).isDir());

    struct Case
    {
        const char* Path;
        int Number;
    };
    const Case cases[] = {
        {"NEWS", runtime::FileAlreadyExists},   {"File.URL", runtime::FileAlreadyExists},
        {"Missing/New", runtime::PathNotFound}, {".", runtime::BadFileName},
        {"..", runtime::BadFileName},           {"", runtime::BadFileName},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ErrorNumberOf([&] { files::CreateFolder(dir.Sub(QString::fromLatin1(c.Path))); }), c.Number)
            << c.Path;
    EXPECT_EQ(Tree(dir.Path()), (QStringList{"file.url", "News/", "News/Today/"}));
}
