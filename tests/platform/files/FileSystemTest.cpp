#include "platform/files/FileSystem.h"

#include "platform/runtime/ErrorRecord.h"
#include "tests/support/RaisedError.h"
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

class FolderListing : public ::testing::Test
{
protected:
    QString At(const char* relative) const { return dir.Sub(QString::fromUtf8(relative)); }
    TestFolder dir;
};
using ResolvePath = FolderListing;
} // namespace

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
    ASSERT_EQ(chmod(QFile::encodeName(At("locked")).constData(), 0), 0);

    EXPECT_EQ(ErrorNumberOf([&] { files::ListFolder(At("missing")); }), runtime::PathNotFound);
    EXPECT_EQ(ErrorNumberOf([&] { files::ListFiles(At("plain")); }), runtime::PathNotFound);
    {
        ScopedFilePermissions asUser;
        EXPECT_EQ(ErrorNumberOf([&] { files::ListSubFolders(At("locked")); }), runtime::PermissionDenied);
    }
    chmod(QFile::encodeName(At("locked")).constData(), 0700);
}

TEST_F(ResolvePath, FindsEachComponentWithoutRegardToLetterCase)
{
    dir.WriteFile(QStringLiteral("News/Sport/Scores.url"));
    dir.WriteFile(QStringLiteral("exact.URL"));
    dir.WriteFile(QStringLiteral("Link.url"));
    dir.WriteFile(QStringLiteral("link.url"));

    struct Case
    {
        QString Asked;
        QString Found;
    };
    const Case cases[] = {
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
    for (const Case& c : cases)
        EXPECT_EQ(files::ResolvePath(c.Asked), c.Found) << c.Asked.toStdString();
}
