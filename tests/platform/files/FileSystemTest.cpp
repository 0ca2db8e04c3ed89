#include "platform/files/FileSystem.h"

#include "platform/runtime/ErrorRecord.h"
#include "tests/support/Privileges.h"
#include "tests/support/TestFolder.h"

#include <QFile>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace
{
QStringList Names(const QList<files::FolderItem>& items)
{
    QStringList names;
    for (const auto& item : items)
        names << item.Name;
    return names;
}

int ErrorNumberOf(const std::function<void()>& call)
{
    try {
        call();
    } catch (const runtime::Error& error) {
        return error.Number();
    }
    return 0;
}
} // namespace

TEST(FolderListing, SortsFilesAndFoldersByNameIgnoringCase)
{
    TestFolder dir;
    for (const char* name : {"b.url", "A.url", "c.URL", "_x", ".hidden", "B2.txt"})
        dir.WriteFile(QString::fromLatin1(name));
    for (const char* name : {"zeta", "Alpha", "beta", ".cache"})
        dir.MakeFolder(QString::fromLatin1(name));

    const files::FolderListing listing = files::ListFolder(dir.Path());

    EXPECT_EQ(Names(listing.Files), (QStringList{".hidden", "_x", "A.url", "b.url", "B2.txt", "c.URL"}));
    EXPECT_EQ(Names(listing.SubFolders), (QStringList{".cache", "Alpha", "beta", "zeta"}));
    EXPECT_EQ(listing.Files[2].Path, dir.Sub(QStringLiteral("A.url")));
}

TEST(FolderListing, ListsLinksAsWhatTheyPointTo)
{
    TestFolder dir;
    dir.MakeFolder(QStringLiteral("real"));
    dir.WriteFile(QStringLiteral("file.url"));
    ASSERT_TRUE(QFile::link(dir.Sub(QStringLiteral("real")), dir.Sub(QStringLiteral("folderlink"))));
    ASSERT_TRUE(QFile::link(dir.Sub(QStringLiteral("file.url")), dir.Sub(QStringLiteral("filelink.url"))));
    ASSERT_TRUE(QFile::link(dir.Sub(QStringLiteral("nowhere")), dir.Sub(QStringLiteral("dangling"))));

    const files::FolderListing listing = files::ListFolder(dir.Path());

    EXPECT_EQ(Names(listing.SubFolders), (QStringList{"folderlink", "real"}));
    EXPECT_TRUE(listing.SubFolders[0].IsLink);
    EXPECT_FALSE(listing.SubFolders[1].IsLink);
    EXPECT_EQ(Names(listing.Files), (QStringList{"dangling", "file.url", "filelink.url"}));
}

TEST(FolderListing, FailuresCarryTheNumbersTheProgramHandles)
{
    TestFolder dir;
    dir.WriteFile(QStringLiteral("plain"));
    dir.MakeFolder(QStringLiteral("locked"));
    ASSERT_EQ(chmod(QFile::encodeName(dir.Sub(QStringLiteral("locked"))).constData(), 0), 0);

    EXPECT_EQ(ErrorNumberOf([&] { files::ListFolder(dir.Sub(QStringLiteral("missing"))); }), runtime::PathNotFound);
    EXPECT_EQ(ErrorNumberOf([&] { files::ListFiles(dir.Sub(QStringLiteral("plain"))); }), runtime::PathNotFound);
    {
        ScopedFilePermissions asUser;
        EXPECT_EQ(ErrorNumberOf([&] { files::ListSubFolders(dir.Sub(QStringLiteral("locked"))); }),
                  runtime::PermissionDenied);
    }
    chmod(QFile::encodeName(dir.Sub(QStringLiteral("locked"))).constData(), 0700);
}

TEST(ResolvePath, FindsEachComponentWithoutRegardToLetterCase)
{
    TestFolder dir;
    dir.WriteFile(QStringLiteral("News/Sport/Scores.url"));
    dir.WriteFile(QStringLiteral("exact.URL"));

    struct Case
    {
        QString Asked;
        QString Found;
    };
    const Case cases[] = {
        {dir.Sub(QStringLiteral("news/SPORT/scores.URL")), dir.Sub(QStringLiteral("News/Sport/Scores.url"))},
        {dir.Sub(QStringLiteral("exact.URL")), dir.Sub(QStringLiteral("exact.URL"))},
        {dir.Sub(QStringLiteral("EXACT.url")), dir.Sub(QStringLiteral("exact.URL"))},
        // What matches nothing is kept as written, so the caller's error names the real gap.
        {dir.Sub(QStringLiteral("news/missing/x.URL")), dir.Sub(QStringLiteral("News/missing/x.URL"))},
    };
    for (const Case& c : cases)
        EXPECT_EQ(files::ResolvePath(c.Asked), c.Found) << c.Asked.toStdString();
}

TEST(ResolvePath, PrefersTheExactNameWhenBothCasesExist)
{
    TestFolder dir;
    dir.WriteFile(QStringLiteral("Link.url"), "upper");
    dir.WriteFile(QStringLiteral("link.url"), "lower");
    EXPECT_EQ(files::ResolvePath(dir.Sub(QStringLiteral("link.url"))), dir.Sub(QStringLiteral("link.url")));
    EXPECT_EQ(files::ResolvePath(dir.Sub(QStringLiteral("Link.url"))), dir.Sub(QStringLiteral("Link.url")));
    // Neither spelled this way: the first in listing order wins, every time.
    EXPECT_EQ(files::ResolvePath(dir.Sub(QStringLiteral("LINK.URL"))), dir.Sub(QStringLiteral("Link.url")));
}
