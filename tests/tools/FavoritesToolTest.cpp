#include "app/favorites/ShortcutFile.h"
#include "platform/hive/CurrentHive.h"
#include "platform/win32/WinTypes.h"
#include "tests/support/PrivateRegistry.h"
#include "tests/support/TestFolder.h"
#include "tests/tools/ToolRun.h"
#include "tools/favorites/BookmarkImport.h"
#include "tools/favorites/BookmarkParser.h"
#include "tools/favorites/Commands.h"
#include "tools/favorites/FavoritesWalk.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <array>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
// The same tree as each browser writes it. Every style lists the same folders and bookmarks.
const char* const ExpectedTree = "Toolbar/\n"
                                 "Toolbar/News & Views -> http://news.example/?a=1&b=2\n"
                                 "Toolbar/Inner/\n"
                                 "Toolbar/Inner/Café's -> http://b.example/x\n"
                                 "Toolbar/Empty/\n"
                                 "Loose -> http://loose.example/\n";

const char* const FirefoxStyle = R"(<!DOCTYPE NETSCAPE-Bookmark-file-1>
<!-- This is an automatically generated file.
     It will be read and overwritten.
     DO NOT EDIT! -->
<META HTTP-EQUIV="Content-Type" CONTENT="text/html; charset=UTF-8">
<meta http-equiv="Content-Security-Policy" content="default-src 'self'; script-src 'none'"></meta>
<TITLE>Bookmarks</TITLE>
<H1>Bookmarks Menu</H1>

<DL><p>
    <DT><H3 ADD_DATE="1600000000" LAST_MODIFIED="1600000001" PERSONAL_TOOLBAR_FOLDER="true">Toolbar</H3>
    <DD>Add bookmarks to this folder to see them displayed on the Bookmarks Toolbar
    <DL><p>
        <DT><A HREF="http://news.example/?a=1&amp;b=2" ADD_DATE="1600000002" LAST_MODIFIED="1600000003" ICON_URI="http://news.example/favicon.ico" ICON="data:image/png;base64,iVBORw0KGgo=" TAGS="daily,news">News &amp; Views</A>
        <DD>read <b>every</b> morning
        <DT><A HREF="place:sort=8&amp;maxResults=10">Most Visited</A>
        <HR>
        <DT><A FEEDURL="http://feed.example/rss">Live feed</A>
        <DT><H3>Inner</H3>
        <DL><p>
            <DT><A HREF="http://b.example/x">Café&#39;s</A>
        </DL><p>
        <DT><H3>Empty</H3>
        <DL><p>
        </DL><p>
    </DL><p>
    <DT><A HREF="http://loose.example/" LAST_CHARSET="UTF-8">Loose</A>
</DL>
)";

// Lower case; no <p>, <dt>, <a> and one <h3> never closed; attributes bare or in single quotes;
// characters by name and number; a byte-order mark; lines end in CRLF.
const char* const BareStyle =
    "\xEF\xBB\xBF<!doctype netscape-bookmark-file-1>\r\n<meta charset='utf-8'>\r\n<title>Bookmarks</title>\r\n"
    "<dl>\r\n<dt><h3 folded>Toolbar</h3>\r\n<dl>\r\n"
    "<dt><a href=http://news.example/?a=1&amp;b=2 add_date=1600000002>News &amp; Views\r\n"
    "<dt><h3>Inner\r\n<dl>\r\n<dt><a href='http://b.example/x'>Caf&#233;&apos;s\r\n</dl>\r\n"
    "<dt><h3>Empty</h3>\r\n</dl>\r\n<dt><a href=http://loose.example/>Loose</a>\r\n</dl>\r\n";

std::string Lines(QStringList lines, bool sorted)
{
    if (sorted)
        std::sort(lines.begin(), lines.end());
    return lines.isEmpty() ? std::string() : lines.join(QLatin1Char('\n')).toStdString() + "\n";
}

// A parsed file's tree, one line an entry: folders as "path/", bookmarks as "path -> address".
std::string Tree(const BookmarkFile& file, bool sorted = false)
{
    QStringList lines;
    QStringList path;
    for (const BookmarkItem& item : file.Items) {
        if (item.Type == BookmarkItem::Folder) {
            path.append(item.Name);
            lines.append(path.join(QLatin1Char('/')) + QLatin1Char('/'));
        } else if (item.Type == BookmarkItem::EndOfFolder) {
            path.removeLast();
        } else {
            lines.append((path + QStringList{item.Name}).join(QLatin1Char('/')) + QStringLiteral(" -> ") + item.Url);
        }
    }
    return Lines(lines, sorted);
}

// The same for a folder on disk, in the order the walk meets it. A folder the walk cannot
// enter shows as a bookmark named after its path and the reason.
std::string TreeOnDisk(const QString& folder, bool sorted = false)
{
    struct Items final : FavoritesVisitor
    {
        bool EnterFolder(const QString&, const QString& name, int) override
        {
            file.Items.push_back({BookmarkItem::Folder, name, {}});
            return true;
        }
        void LeaveFolder() override { file.Items.push_back({BookmarkItem::EndOfFolder, {}, {}}); }
        void Shortcut(const QString& path, const QString& name) override
        {
            const QString url = ReadWholeProfileString(QStringLiteral("InternetShortcut"), QStringLiteral("URL"), path);
            file.Items.push_back({BookmarkItem::Bookmark, name, url});
        }
        void Unwalkable(const QString& path, const QString& reason) override
        {
            file.Items.push_back({BookmarkItem::Bookmark, path + QStringLiteral(" ! ") + reason, {}});
        }
        BookmarkFile file;
    } items;
    WalkFavorites(folder, items);
    return Tree(items.file, sorted);
}

// A nest of `depth` folders "Level 1" ... with one bookmark at the bottom, and its tree.
std::pair<std::string, std::string> Nest(int depth)
{
    std::string text = "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<DL><p>\n";
    std::string tree;
    std::string path;
    for (int level = 1; level <= depth; ++level) {
        text += "<DT><H3>Level " + std::to_string(level) + "</H3>\n<DL><p>\n";
        path += "Level " + std::to_string(level) + "/";
        tree += path + "\n";
    }
    text += "<DT><A HREF=\"http://deep.example/\">Bottom</A>\n";
    tree += path + "Bottom -> http://deep.example/\n";
    for (int level = 0; level <= depth; ++level)
        text += "</DL><p>\n";
    return {text, tree};
}

class FavoritesTool : public ::testing::Test
{
protected:
    TestFolder folder;
};
} // namespace

TEST_F(FavoritesTool, EachBrowserStyleRoundTripsThroughTheFavorites)
{
    const auto [deepText, deepTree] = Nest(50);
    // The file, its tree and what it skips: separators, without address, javascript:, place:.
    const std::tuple<const char*, std::string, std::string, std::array<int, 4>> cases[] = {
        {"Firefox", FirefoxStyle, ExpectedTree, {1, 1, 0, 1}},
        {"bare", BareStyle, ExpectedTree, {0, 0, 0, 0}},
        {"50 deep", deepText, deepTree, {0, 0, 0, 0}},
    };
    for (const auto& [style, text, tree, skipped] : cases) {
        SCOPED_TRACE(style);
        const BookmarkFile file = ParseBookmarkFile(QByteArray::fromStdString(text));
        EXPECT_EQ(Tree(file), tree);
        EXPECT_EQ((std::array<int, 4>{file.Skipped[0], file.Skipped[1], file.Skipped[2], file.Skipped[3]}), skipped);

        // Import, then export: the same tree; the favorites on disk in the tree's order.
        const QString imported = folder.MakeFolder(QString::fromLatin1(style) + QStringLiteral("/imported"));
        ASSERT_EQ(RunCommand(RunImport, {folder.WriteFile(QStringLiteral("in.html"), QByteArray::fromStdString(text)),
                                         QStringLiteral("--into"), imported})
                      .Exit,
                  0);
        EXPECT_EQ(TreeOnDisk(imported, true), Tree(file, true));
        const QString exported = folder.Sub(QString::fromLatin1(style) + QStringLiteral("/out.html"));
        const ToolRun exportRun = RunCommand(RunExport, {imported, QStringLiteral("-o"), exported});
        ASSERT_EQ(exportRun.Exit, 0) << exportRun.Err;
        QFile exportedFile(exported);
        ASSERT_TRUE(exportedFile.open(QIODevice::ReadOnly));
        EXPECT_EQ(Tree(ParseBookmarkFile(exportedFile.readAll())), TreeOnDisk(imported));

        // Export, then import into a folder not there yet: the same folders, names and addresses.
        const QString again = folder.Sub(QString::fromLatin1(style) + QStringLiteral("/not yet/again"));
        ASSERT_EQ(RunCommand(RunImport, {exported, QStringLiteral("--into"), again}).Exit, 0);
        EXPECT_EQ(TreeOnDisk(again), TreeOnDisk(imported));
    }
}

TEST_F(FavoritesTool, FilesThatCannotBeUsedAreRefusedWithTheirLine)
{
    const std::string doctype = "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n";
    // The file, the line the fault shows on and the start of the message.
    const std::tuple<std::string, int, const char*> cases[] = {
        {"", 1, "this is not a bookmark file"},
        {"{\"roots\": {}}", 1, "this is not a bookmark file"},
        {"\n\n<html><body>", 3, "this is not a bookmark file"},
        {doctype + "<DL><p>\n\n<DT><A HREF=\"http://x/>x</A>", 4, "a tag is not closed"},
        {doctype + "\r\n<!-- not closed\n<DL>", 3, "a comment is not closed"},
        {doctype + "<DL><p>\n<DT><A HREF=\"http://x/\">\xC3(</A>", 3, "the text is not valid UTF-8"},
        {doctype + "<META CHARSET=\"koi8-r\">", 2, "the character set \"koi8-r\" is not supported"},
        {Nest(101).first, 2 + 2 * 101, "folders are nested more than 100 deep"},
    };
    for (const auto& [text, line, message] : cases) {
        SCOPED_TRACE(text.substr(0, 60));
        try {
            ParseBookmarkFile(QByteArray::fromStdString(text));
            ADD_FAILURE() << "accepted";
        } catch (const BookmarkFileError& error) {
            EXPECT_EQ(error.Line, line);
            EXPECT_EQ(std::string(error.what()).find(message), 0u) << error.what();
        }
    }
    const ToolRun run = RunCommand(RunImport, {folder.WriteFile(QStringLiteral("bad.html"), "<html>"),
                                               QStringLiteral("--into"), folder.Sub(QStringLiteral("target"))});
    EXPECT_EQ(run.Exit, 1);
    EXPECT_NE(run.Err.find("bad.html, line 1: this is not a bookmark file"), std::string::npos) << run.Err;
    EXPECT_FALSE(QFileInfo::exists(folder.Sub(QStringLiteral("target"))));
}

TEST_F(FavoritesTool, ReadsNamesAndAddressesAsBrowsersDo)
{
    const BookmarkFile file = ParseBookmarkFile(
        "<!DOCTYPE NETSCAPE-Bookmark-file-1><META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; "
        "charset=windows-1252\">"
        "<DL><DT><A HREF=\" \thttp://x.example/a\nb&#x26;c \">&lt;b&gt; &amp; &#233;&#x1F600; &bogus; &#150;&#0; "
        "\xE9 <3</A>"
        "<DT><A HREF=\"JavaScript:void(0)\">J</A><DT><A HREF=\"ftp://f.example/\" ADD_DATE=\"1600000000123\">F</A>");
    ASSERT_EQ(file.Items.size(), 2u);
    EXPECT_EQ(file.Items[0].Name, QString::fromUtf8("<b> & é😀 &bogus; –\uFFFD é <3"));
    EXPECT_EQ(file.Items[0].Url, QStringLiteral("http://x.example/ab&c"));
    EXPECT_EQ(file.Items[1].AddDate, 1600000000);
    EXPECT_EQ(file.Skipped[static_cast<size_t>(SkipReason::Script)], 1);

    const QString utf16 = QStringLiteral("<!DOCTYPE NETSCAPE-Bookmark-file-1><DL><DT><A HREF=\"http://u/\">Ünï</A>");
    const QByteArray utf16Bytes =
        QByteArray("\xFF\xFE", 2) + QByteArray(reinterpret_cast<const char*>(utf16.utf16()), utf16.size() * 2);
    EXPECT_EQ(ParseBookmarkFile(utf16Bytes).Items.at(0).Name, QStringLiteral("Ünï"));

    // The address read and the one written into the shortcut.
    const std::pair<const char*, const char*> addresses[] = {
        {"http://example.com/a b?q=é€", "http://example.com/a b?q=é€"}, // the code page holds all of it
        {"http://日本.example/パス?q=1", "http://xn--wgv71a.example/%E3%83%91%E3%82%B9?q=1"},
        {"http://bücher.example/日", "http://xn--bcher-kva.example/%E6%97%A5"},
        {"http://example.com/a\x01"
         "b",
         "http://example.com/a%01b"},
        {"http://exa mple.example/日\x01", "http://exa mple.example/%E6%97%A5%01"}, // no address QUrl takes
        {"\"http://q.example/\"", "%22http://q.example/\""},                        // the reader drops a pair of quotes
    };
    for (const auto& [address, written] : addresses)
        EXPECT_EQ(ShortcutAddress(QString::fromUtf8(address)), QString::fromUtf8(written)) << address;
}

// Names are made safe and never take an existing one; addresses are written in the code page,
// and the files keep the bookmarks' dates.
TEST_F(FavoritesTool, ImportWritesSafeNamesAddressesAndDates)
{
    const QString target = folder.MakeFolder(QStringLiteral("target"));
    const QString outside = folder.MakeFolder(QStringLiteral("outside"));
    folder.WriteFile(QStringLiteral("target/Docs.url"), "[InternetShortcut]\r\nURL=http://old/\r\n");
    folder.WriteFile(QStringLiteral("target/docs (2).url"), "kept");
    folder.MakeFolder(QStringLiteral("target/Work"));
    ASSERT_EQ(symlink(outside.toUtf8().constData(), (target + QStringLiteral("/Link")).toUtf8().constData()), 0);
    const QString longName = QString(300, QChar(u'é'));

    // The name in the file, whether it is a folder's, the name it gets on disk.
    const std::tuple<QString, bool, QString> cases[] = {
        {QStringLiteral(".."), true, QStringLiteral("New Folder/")},
        {QStringLiteral(".."), false, QStringLiteral("...url")},
        {QString(), false, QStringLiteral("http---e.example-.url")},
        {QStringLiteral("a/b\\c"), true, QStringLiteral("a-b-c/")},
        {QStringLiteral("tab\tx\x01y&#10;z"), false, QStringLiteral("tab x y z.url")},
        {QStringLiteral("&lt;Straße 日本&gt;"), false, QStringLiteral("-Straße 日本-.url")},
        {longName, false, QString(125, QChar(u'é')) + QStringLiteral(".url")},
        {longName, false, QString(123, QChar(u'é')) + QStringLiteral(" (2).url")},
        {QStringLiteral("DOCS"), false, QStringLiteral("DOCS (3).url")},
        {QStringLiteral("Docs"), false, QStringLiteral("Docs (4).url")},
        {QStringLiteral("work"), true, QStringLiteral("work (2)/")},
        {QStringLiteral("Link"), true, QStringLiteral("Link (2)/")},
    };
    std::string text = "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<DL><p>\n";
    QStringList expected = {QStringLiteral("Docs.url"), QStringLiteral("docs (2).url"), QStringLiteral("Link/"),
                            QStringLiteral("Work/")};
    for (const auto& [name, isFolder, onDisk] : cases) {
        text += isFolder ? "<DT><H3>" + name.toStdString() + "</H3><DL><p></DL><p>\n"
                         : "<DT><A HREF=\"http://e.example/\">" + name.toStdString() + "</A>\n";
        expected.append(onDisk);
    }
    text += "<DT><A HREF=\"http://caf\xC3\xA9.example/\xE2\x82\xAC\" ADD_DATE=\"1500000000\" "
            "LAST_MODIFIED=\"1600000000\">Caf\xC3\xA9</A>\n"
            "<DT><A HREF=\"http://\xE6\x97\xA5\xE6\x9C\xAC.example/\" ADD_DATE=\"1400000000\">Nihon</A>\n";
    expected.append({QStringLiteral("Café.url"), QStringLiteral("Nihon.url")});
    const ToolRun run =
        RunCommand(RunImport, {folder.WriteFile(QStringLiteral("names.html"), QByteArray::fromStdString(text)),
                               QStringLiteral("--into"), target});
    ASSERT_EQ(run.Exit, 0) << run.Err;
    EXPECT_EQ(run.Out, "Imported " + folder.Sub(QStringLiteral("names.html")).toStdString() + " into " +
                           target.toStdString() + ":\n4 folders, 10 favorites written, 0 skipped.\n");

    // Everything in the folder, hidden files too: no temporary file is left behind.
    QStringList onDisk;
    for (const QFileInfo& item : QDir(target).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot))
        onDisk.append(item.fileName() + (item.isDir() ? QStringLiteral("/") : QString()));
    EXPECT_EQ(Lines(onDisk, true), Lines(expected, true));
    EXPECT_EQ(folder.ReadFile(QStringLiteral("target/Docs.url")), "[InternetShortcut]\r\nURL=http://old/\r\n");
    EXPECT_EQ(folder.ReadFile(QStringLiteral("target/docs (2).url")), "kept");
    EXPECT_TRUE(QDir(outside).isEmpty());
    EXPECT_EQ(folder.ReadFile(QStringLiteral("target/DOCS (3).url")),
              "[InternetShortcut]\r\nURL=http://e.example/\r\n");
    EXPECT_EQ(folder.ReadFile(QStringLiteral("target/Café.url")),
              "[InternetShortcut]\r\nURL=http://caf\xE9.example/\x80\r\n");
    EXPECT_EQ(folder.ReadFile(QStringLiteral("target/Nihon.url")),
              "[InternetShortcut]\r\nURL=http://xn--wgv71a.example/\r\n");
    EXPECT_EQ(QFileInfo(target + QStringLiteral("/Café.url")).lastModified().toSecsSinceEpoch(), 1600000000);
    EXPECT_EQ(QFileInfo(target + QStringLiteral("/Nihon.url")).lastModified().toSecsSinceEpoch(), 1400000000);

    // Exported to the output, under the folder's name, the address back in Unicode.
    const ToolRun exported = RunCommand(RunExport, {target});
    ASSERT_EQ(exported.Exit, 0);
    EXPECT_NE(exported.Out.find("<H1>target</H1>"), std::string::npos) << exported.Out;
    EXPECT_NE(exported.Out.find("    <DT><A HREF=\"http://café.example/€\" ADD_DATE=\"1600000000\" "
                                "LAST_MODIFIED=\"1600000000\">Café</A>\n"),
              std::string::npos)
        << exported.Out;
    EXPECT_EQ(exported.Err, "favorites: skipped " + target.toStdString() + "/docs (2).url: it holds no address\n" +
                                "Exported 11 favorites in 6 folders, 1 skipped.\n");
}

TEST_F(FavoritesTool, ExportReportsWhatItCannotReadAndGoesOn)
{
    const QString favorites = folder.MakeFolder(QStringLiteral("Favorites"));
    folder.WriteFile(QStringLiteral("Favorites/b.URL"), "[InternetShortcut]\r\nURL=http://b/\r\n");
    folder.WriteFile(QStringLiteral("Favorites/Empty.url"), "[Other]\r\nURL=http://no/\r\n");
    folder.WriteFile(QStringLiteral("Favorites/A.url"), "[InternetShortcut]\r\nURL=http://a/?x=<&>\"'\r\n");
    folder.WriteFile(QStringLiteral("Favorites/notes.txt"), "not a favorite");
    folder.WriteFile(QStringLiteral("Favorites/sub/c.url"), "[InternetShortcut]\r\nURL=http://c/\r\n");
    ASSERT_EQ(mkfifo((favorites + QStringLiteral("/pipe.url")).toUtf8().constData(), 0644), 0);
    ASSERT_EQ(symlink("..", (favorites + QStringLiteral("/sub/loop")).toUtf8().constData()), 0);

    const ToolRun run =
        RunCommand(RunExport, {favorites, QStringLiteral("-o"), folder.Sub(QStringLiteral("out.html"))});
    ASSERT_EQ(run.Exit, 0);
    EXPECT_EQ(run.Out, "Exported 3 favorites in 1 folder to " + folder.Sub(QStringLiteral("out.html")).toStdString() +
                           ", 3 skipped.\n");
    EXPECT_EQ(run.Err, "favorites: skipped " + favorites.toStdString() + "/Empty.url: it holds no address\n" +
                           "favorites: skipped " + favorites.toStdString() + "/pipe.url: not a regular file\n" +
                           "favorites: skipped " + favorites.toStdString() +
                           "/sub/loop: it leads back to a folder that holds it\n");
    const QByteArray html = folder.ReadFile(QStringLiteral("out.html"));
    EXPECT_TRUE(html.contains("<DT><A HREF=\"http://a/?x=&lt;&amp;&gt;&quot;&#39;\""));
    EXPECT_EQ(Tree(ParseBookmarkFile(html)), "A -> http://a/?x=<&>\"'\nb -> http://b/\nsub/\nsub/c -> http://c/\n");

    const ToolRun missing = RunCommand(RunExport, {folder.Sub(QStringLiteral("gone"))});
    EXPECT_EQ(missing.Exit, 1);
    EXPECT_EQ(missing.Err,
              "favorites: cannot read " + folder.Sub(QStringLiteral("gone")).toStdString() + ": Path not found\n");
}

TEST_F(FavoritesTool, UsesTheFavoritesFolderNamedInTheHive)
{
    const QString file = folder.WriteFile(QStringLiteral("bookmarks.html"), FirefoxStyle);
    {
        // A hive in which Tarnhold is not registered cannot say where the Favorites are.
        setenv("STRANDMOOR_HIVE", folder.Sub(QStringLiteral("bare.hive")).toUtf8().constData(), 1);
        hive::ResetForTests();
        const ToolRun run = RunCommand(RunImport, {file});
        EXPECT_EQ(run.Exit, 1);
        EXPECT_NE(run.Err.find("Class not registered"), std::string::npos) << run.Err;
        EXPECT_NE(run.Err.find("regsvr "), std::string::npos) << run.Err;
        hive::ResetForTests();
    }
    PrivateRegistry registry;
    const std::string shellFolders = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
    registry.WriteValue(win32::HKEY_CURRENT_USER, shellFolders, "Favorites", win32::REG_SZ, std::string(1, '\0'));
    const ToolRun none = RunCommand(RunExport, {});
    EXPECT_EQ(none.Exit, 1);
    EXPECT_NE(none.Err.find("Cannot Find Favorites Folder"), std::string::npos) << none.Err;

    const QString favorites = folder.MakeFolder(QStringLiteral("My Favorites"));
    registry.WriteValue(win32::HKEY_CURRENT_USER, shellFolders, "Favorites", win32::REG_SZ,
                        favorites.toStdString() + '\0');
    for (const char* expected : {"Bookmarks Menu", "Bookmarks Menu (2)"}) {
        const ToolRun run = RunCommand(RunImport, {file});
        ASSERT_EQ(run.Exit, 0) << run.Err;
        const QString into = favorites + QLatin1Char('/') + QString::fromUtf8(expected);
        EXPECT_EQ(run.Out, "Imported " + file.toStdString() + " into " + into.toStdString() +
                               ":\n3 folders, 3 favorites written, 3 skipped (1 separator, 1 entry without an "
                               "address, 1 place: query).\n");
        EXPECT_EQ(TreeOnDisk(into, true), Tree(ParseBookmarkFile(FirefoxStyle), true));
    }
    const ToolRun exported = RunCommand(RunExport, {});
    ASSERT_EQ(exported.Exit, 0);
    EXPECT_TRUE(exported.Out.starts_with("<!DOCTYPE NETSCAPE-Bookmark-file-1>\n")) << exported.Out;
    EXPECT_NE(exported.Out.find("<H1>Favorites</H1>"), std::string::npos);
    EXPECT_EQ(Tree(ParseBookmarkFile(QByteArray::fromStdString(exported.Out))), TreeOnDisk(favorites));
}

TEST_F(FavoritesTool, TheToolDispatchesItsCommands)
{
    const QString favorites = folder.MakeFolder(QStringLiteral("F"));
    folder.WriteFile(QStringLiteral("F/x.url"), "[InternetShortcut]\r\nURL=http://x/\r\n");
    // The arguments, the exit and what the tool writes.
    const std::tuple<QStringList, int, const char*> cases[] = {
        {{}, 1, "usage: favorites COMMAND"},
        {{QStringLiteral("--help")}, 0, "  favorites export [FOLDER] [-o FILE]"},
        {{QStringLiteral("checks")}, 1, "favorites: no command checks"},
        {{QStringLiteral("check"), QStringLiteral("--now")}, 2, "usage: favorites check [FOLDER] [--report FILE]"},
        {{QStringLiteral("import")}, 1, "usage: favorites import FILE [--into FOLDER]"},
        {{QStringLiteral("export"), favorites, QStringLiteral("extra")}, 1, "unexpected argument extra"},
        {{QStringLiteral("export"), favorites}, 0, "<DT><A HREF=\"http://x/\""},
    };
    for (const auto& [args, exit, shown] : cases) {
        const ToolRun run = RunProgram(QStringLiteral(FAVORITES_TOOL_PATH), args);
        EXPECT_EQ(run.Exit, exit) << shown;
        EXPECT_NE((run.Out + run.Err).find(shown), std::string::npos) << run.Out << run.Err;
    }
}
