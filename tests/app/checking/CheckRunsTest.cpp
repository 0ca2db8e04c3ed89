#include "app/checking/CheckRuns.h"

#include "app/favorites/Clipboard.h"
#include "app/favorites/FavoritesTree.h"
#include "app/favorites/ShortcutFile.h"
#include "app/forms/Pictures.h"
#include "app/settings/AppSettings.h"
#include "app/window/frmMain.h"
#include "platform/controls/StatusBar.h"
#include "platform/controls/TreeView.h"
#include "platform/desktop/Application.h"
#include "platform/desktop/MessageBox.h"
#include "tests/app/MainWindowFixture.h"
#include "tests/app/checking/LimitedHost.h"
#include "tests/app/checking/LoopbackServer.h"
#include "tests/app/checking/QStringPrinter.h"
#include "tests/support/TestFolder.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

using namespace std::chrono_literals;

namespace
{
std::string Meta(const std::string& target)
{
    return HttpReply("HTTP/1.1 200 OK", {}, "<meta http-equiv=\"refresh\" content=\"0; url=" + target + "\">");
}

// The pages of the test site; every other path is missing.
std::string SiteReply(const std::string& path, uint16_t port)
{
    const std::string self = "http://127.0.0.1:" + std::to_string(port);
    const std::string ok = HttpReply("HTTP/1.1 200 OK", {}, "<html><title>Ok Page</title></html>");
    const std::map<std::string, std::string> pages = {
        {"/ok", ok},
        {"/slow", ok},
        // A chunked page in UTF-8, declared in a meta tag.
        {"/cyrillic", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"
                      "25\r\n<meta charset=\"utf-8\"><title>\xD0\x9F\xD1\x80\xD0\xB8\xD0\xBC\r\n"
                      "1d\r\n\xD0\xB5\xD1\x80 \xD1\x81\xD1\x82\xD1\x80\xD0\xB0\xD0\xBD\xD0\xB8\xD1\x86\xD1\x8B</title>\r\n"
                      "0\r\n\r\n"},
        {"/notitle", HttpReply("HTTP/1.1 200 OK", {}, "<html>no title</html>")},
        {"/gone", HttpReply("HTTP/1.1 410 Gone")},
        {"/error", HttpReply("HTTP/1.1 500 Internal Server Error", {}, "<title>Error Page</title>")},
        {"/moved", HttpReply("HTTP/1.1 301 Moved Permanently", "Location: " + self + "/new\r\n", "<title>Moved</title>")},
        {"/new", HttpReply("HTTP/1.1 200 OK", {}, "<TITLE>New Page</TITLE>")},
        {"/chain1", HttpReply("HTTP/1.1 301 Moved Permanently", "Location: " + self + "/chain2\r\n")},
        {"/chain2", HttpReply("HTTP/1.1 302 Found", "Location: " + self + "/chain3\r\n")},
        {"/meta-relative", Meta("next.html")},
        {"/meta-blank", Meta(self + "/a b")},
        {"/meta-noport", Meta("http://127.0.0.1:abc/")},
        {"/moved-nohost", HttpReply("HTTP/1.1 302 Found", "Location: http:///x\r\n")},
    };
    const auto page = pages.find(path);
    return page != pages.end() ? page->second : HttpReply("HTTP/1.1 404 Not Found", {}, "<title>Not Found</title>");
}

void Serve(ServerConnection& c)
{
    const std::string path = LoopbackServer::RequestPath(c.ReadRequest());
    if (path == "/silent") {
        c.WaitForClientClose();
        return;
    }
    if (path == "/slow")
        c.Pause(150ms);
    c.Send(SiteReply(path, c.Port()));
    c.Close();
}

// The page `number` of the test web: each answers in its own way after a delay of its own.
void ServeNumbered(ServerConnection& c)
{
    const std::string path = LoopbackServer::RequestPath(c.ReadRequest());
    const int number = std::atoi(path.c_str() + 2);
    const std::string self = "http://127.0.0.1:" + std::to_string(c.Port());
    c.Pause(std::chrono::milliseconds(number * 37 % 90));
    if (path[1] == 'n') {
        c.Send(HttpReply("HTTP/1.1 200 OK", {}, "<title>New " + std::to_string(number) + "</title>"));
        c.Close();
        return;
    }
    switch (number % 9) {
    case 0:
        c.Send(HttpReply("HTTP/1.1 200 OK", {}, "<title>Page " + std::to_string(number) + "</title>"));
        break;
    case 1:
        c.Send(HttpReply("HTTP/1.1 404 Not Found"));
        break;
    case 2:
        c.Send(HttpReply("HTTP/1.1 410 Gone"));
        break;
    case 3:
        c.Send(HttpReply("HTTP/1.1 500 Internal Server Error", {}, "<title>Oops</title>"));
        break;
    case 4:
        c.Send(HttpReply("HTTP/1.1 301 Moved", "Location: " + self + "/n" + std::to_string(number) + "\r\n"));
        break;
    case 5:
        c.Send(HttpReply("HTTP/1.1 200 OK", {},
                         "<meta http-equiv=\"refresh\" content=\"0; url=" + self + "/n" + std::to_string(number) + "\">"));
        break;
    case 6:
        c.WaitForClientClose();
        return;
    case 7:
        break; // closes at once
    default:
        c.Send(HttpReply("HTTP/1.1 200 OK", {}, "<p>no title</p>"));
        break;
    }
    c.Close();
}

// The main window with a test site for check runs, and the helpers that write links and read
// what a run left in the tree and on disk.
class CheckRunsTest : public MainWindowFixture
{
protected:
    CheckRunsTest() : Site(Serve)
    {
        AppSettings.Timeout = 300;
        AppSettings.ChangeName = false;
    }

    // Writes a shortcut to url in folder, with more lines after the address; returns the
    // file's bytes.
    static std::string WriteShortcut(const TestFolder& folder, const QString& relative, const QString& url,
                                     const std::string& more = {})
    {
        const std::string content = "[InternetShortcut]\r\nURL=" + url.toStdString() + "\r\n" + more;
        folder.WriteFile(relative + QStringLiteral(".url"), QByteArray::fromStdString(content));
        return content;
    }
    // The same for a page of the test site, in the test's Favorites folder.
    std::string WriteLink(const QString& relative, const QString& path, const std::string& more = {})
    {
        return WriteShortcut(Favorites, relative, Site.Url(path), more);
    }
    std::string ReadLink(const QString& relative) const
    {
        return Favorites.ReadFile(relative + QStringLiteral(".url")).toStdString();
    }
    using MainWindowFixture::Load;
    // Loads another Favorites folder into the window, afresh.
    void Load(const QString& folder)
    {
        Main.Favorites = FavoritesFolder{folder, 0, 1};
        Load();
    }
    TreeNode* Node(const QString& text)
    {
        TreeNode* node = MainWindowFixture::Node(text);
        if (!node)
            ADD_FAILURE() << "no node " << text.toStdString();
        return node;
    }
    // A link's picture, which it shows selected or not.
    int Picture(const QString& text)
    {
        const TreeNode* node = Node(text);
        EXPECT_EQ(node->Image(), node->SelectedImage()) << text.toStdString();
        return node->Image();
    }
    // The text and picture of every node, in the tree's order.
    std::vector<std::pair<QString, int>> Shown() const
    {
        std::vector<std::pair<QString, int>> nodes;
        const TreeNodes& all = Main.tvFolders->Nodes();
        for (int i = 1; i <= all.Count(); ++i)
            nodes.emplace_back(all.Item(i)->Text(), all.Item(i)->Image());
        return nodes;
    }
    // Every shortcut below a folder with its bytes, by its path below the folder.
    static std::map<QString, QByteArray> Files(const QString& folder)
    {
        std::map<QString, QByteArray> files;
        QDirIterator walk(folder, {QStringLiteral("*.url")}, QDir::Files, QDirIterator::Subdirectories);
        while (walk.hasNext()) {
            QFile file(walk.next());
            file.open(QIODevice::ReadOnly);
            files[file.fileName().mid(folder.size())] = file.readAll();
        }
        return files;
    }
    // The paths a server was asked for, in the order the requests came.
    static std::vector<std::string> RequestedPaths(const LoopbackServer& server)
    {
        std::vector<std::string> paths;
        for (const std::string& request : server.Requests())
            paths.push_back(LoopbackServer::RequestPath(request));
        return paths;
    }
    QString StatusText() const { return Main.sbStatus->PanelText(2); }
    void ExpectEndedInOrder() const
    {
        EXPECT_FALSE(Main.CheckRunning);
        EXPECT_TRUE(StatusText().isEmpty());
        EXPECT_TRUE(desktop::ShownMessages().isEmpty());
    }

    LoopbackServer Site;
};

// Check runs with many probes under way, on sites that serve many connections at once: what
// they show and write is what a run one link at a time shows and writes, and they stay within
// their limits per host and in all.
class ParallelRunsTest : public CheckRunsTest
{
protected:
    ParallelRunsTest()
    {
        AppSettings.Timeout = 400;
        AppSettings.ChangeName = true;
    }
};

using Paths = std::vector<std::string>;
} // namespace

TEST(IsUsableRedirect, AcceptsOnlyAbsoluteHttpAddressesTheProbeCanUse)
{
    for (const char* good : {"http://host/", "HTTPS://Host.Example:8443/a?b=c#d", "http://127.0.0.1:81", "https://h"})
        EXPECT_TRUE(IsUsableRedirect(QString::fromLatin1(good))) << good;
    for (const char* bad : {"", "next.html", "/x", "//host/x", "ftp://host/", "mailto:a@b", "http:///x", "http://",
                            "http://host:abc/", "http://host:0/", "http://host/a b", "http://host/a\tb",
                            "http://host/\r\nURL=x", "http://user@host/", "http://host?x=1", "javascript:alert(1)"})
        EXPECT_FALSE(IsUsableRedirect(QString::fromLatin1(bad))) << bad;
}

TEST_F(CheckRunsTest, CheckAllGivesEveryLinkThePictureOfItsResult)
{
    WriteLink(QStringLiteral("a bad timeout"), QStringLiteral("/ok"), "[Orrindale]\r\nTimeout=abc\r\n");
    WriteLink(QStringLiteral("b missing"), QStringLiteral("/missing"));
    WriteLink(QStringLiteral("c gone"), QStringLiteral("/gone"));
    WriteLink(QStringLiteral("d error"), QStringLiteral("/error"));
    WriteLink(QStringLiteral("e ok"), QStringLiteral("/ok"));
    WriteLink(QStringLiteral("z silent"), QStringLiteral("/silent"));
    WriteLink(QStringLiteral("g bad rename"), QStringLiteral("/ok"), "[Orrindale]\r\nRename=xy\r\n");
    WriteLink(QStringLiteral("h no file"), QStringLiteral("/ok"));
    WriteLink(QStringLiteral("i moved"), QStringLiteral("/moved"));
    Load();
    QFile::remove(Favorites.Sub(QStringLiteral("h no file.url")));
    Node(QStringLiteral("e ok"))->SetImage(Pictures::LinkBroken);

    CheckAllLinks(Main.RunHost());

    EXPECT_EQ(Picture(QStringLiteral("a bad timeout")), Pictures::LinkNoReply);
    EXPECT_EQ(Picture(QStringLiteral("b missing")), Pictures::LinkBroken);
    EXPECT_EQ(Picture(QStringLiteral("c gone")), Pictures::LinkBroken);
    EXPECT_EQ(Picture(QStringLiteral("d error")), Pictures::LinkAnswered);
    EXPECT_EQ(Picture(QStringLiteral("e ok")), Pictures::LinkAnswered);
    EXPECT_EQ(Picture(QStringLiteral("z silent")), Pictures::LinkNoReply);
    EXPECT_EQ(Picture(QStringLiteral("g bad rename")), Pictures::LinkNoReply);
    EXPECT_EQ(Picture(QStringLiteral("h no file")), Pictures::LinkNoReply);
    EXPECT_EQ(Picture(QStringLiteral("i moved")), Pictures::LinkAnswered); // a redirect not taken
    EXPECT_EQ(Node(QStringLiteral("Favorites"))->Image(), Pictures::OpenFolder);
    EXPECT_EQ(RequestedPaths(Site), (Paths{"/missing", "/gone", "/error", "/ok", "/moved", "/silent"}));
    ExpectEndedInOrder();
}

TEST_F(CheckRunsTest, OneRedirectIsWrittenAndFollowedWhereTheLinkAllowsAndTheProbeCanUseIt)
{
    const std::string kept = WriteLink(QStringLiteral("Kept"), QStringLiteral("/moved"), "IconIndex=1\r\n");
    WriteLink(QStringLiteral("Sub/Followed"), QStringLiteral("/moved"), "IconIndex=1\r\n[Orrindale]\r\nRename=1\r\n");
    WriteLink(QStringLiteral("Chain"), QStringLiteral("/chain1"), "[Orrindale]\r\nRename=1\r\n");
    // Targets the probe cannot use leave the file as it was.
    const QString unusable[] = {QStringLiteral("/meta-relative"), QStringLiteral("/meta-blank"),
                                QStringLiteral("/meta-noport"), QStringLiteral("/moved-nohost")};
    std::vector<std::string> contents;
    for (int i = 0; i < 4; ++i)
        contents.push_back(WriteLink(QStringLiteral("link%1").arg(i), unusable[i], "[Orrindale]\r\nRename=1\r\n"));
    Load();

    CheckAllLinks(Main.RunHost());

    EXPECT_EQ(ReadLink(QStringLiteral("Kept")), kept);
    EXPECT_EQ(Picture(QStringLiteral("Kept")), Pictures::LinkAnswered);
    // The second probe's title renames the favorite, whose file now holds the target.
    EXPECT_FALSE(QFile::exists(Favorites.Sub(QStringLiteral("Sub/Followed.url"))));
    EXPECT_EQ(ReadLink(QStringLiteral("Sub/New Page")),
              "[InternetShortcut]\r\nURL=" + Site.Url(QStringLiteral("/new")).toStdString() +
                  "\r\nIconIndex=1\r\n[Orrindale]\r\nRename=1\r\n");
    EXPECT_EQ(Picture(QStringLiteral("New Page")), Pictures::LinkAnswered);
    // Only one redirect is taken per link.
    EXPECT_NE(
        ReadLink(QStringLiteral("Chain")).find("URL=" + Site.Url(QStringLiteral("/chain2")).toStdString() + "\r\n"),
        std::string::npos);
    EXPECT_EQ(Picture(QStringLiteral("Chain")), Pictures::LinkAnswered);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(ReadLink(QStringLiteral("link%1").arg(i)), contents[static_cast<size_t>(i)]) << i;
        EXPECT_EQ(Picture(QStringLiteral("link%1").arg(i)), Pictures::LinkAnswered) << i;
    }
    Paths requested = RequestedPaths(Site);
    std::sort(requested.begin(), requested.end());
    EXPECT_EQ(requested, (Paths{"/chain1", "/chain2", "/meta-blank", "/meta-noport", "/meta-relative", "/moved",
                                "/moved", "/moved-nohost", "/new"}));
    ExpectEndedInOrder();
}
TEST_F(CheckRunsTest, AFavoriteIsRenamedAfterATitleThatDiffersEvenOnlyInCase)
{
    AppSettings.ChangeName = true;
    const std::string same = WriteLink(QStringLiteral("A/Ok Page"), QStringLiteral("/ok"));
    WriteLink(QStringLiteral("B/OK PAGE"), QStringLiteral("/ok"));
    const std::string untitled = WriteLink(QStringLiteral("C/Untitled"), QStringLiteral("/notitle"));
    const std::string missing = WriteLink(QStringLiteral("D/Lost"), QStringLiteral("/missing"));
    const std::string example = WriteLink(QStringLiteral("E/example"), QStringLiteral("/cyrillic"));
    Load();

    CheckAllLinks(Main.RunHost());

    // The title in the page's own encoding becomes the name on disk, in the file system's.
    EXPECT_EQ(QDir(Favorites.Sub(QStringLiteral("E"))).entryList(QDir::Files),
              QStringList{QStringLiteral("\u041F\u0440\u0438\u043C\u0435\u0440 \u0441\u0442\u0440\u0430\u043D\u0438\u0446\u044B.url")});
    EXPECT_EQ(ReadLink(QStringLiteral("E/\u041F\u0440\u0438\u043C\u0435\u0440 \u0441\u0442\u0440\u0430\u043D\u0438\u0446\u044B")), example);

    EXPECT_EQ(ReadLink(QStringLiteral("A/Ok Page")), same);
    EXPECT_EQ(QDir(Favorites.Sub(QStringLiteral("B"))).entryList(QDir::Files),
              QStringList{QStringLiteral("Ok Page.url")});
    EXPECT_EQ(Node(QStringLiteral("B"))->Child(0)->Text(), QStringLiteral("Ok Page"));
    EXPECT_EQ(ReadLink(QStringLiteral("C/Untitled")), untitled);
    EXPECT_EQ(ReadLink(QStringLiteral("D/Lost")), missing); // a 404 page is never looked at for a title
    ExpectEndedInOrder();
}

TEST_F(CheckRunsTest, CheckAllExpandsCollapsedFoldersBeforeChecking)
{
    WriteLink(QStringLiteral("Sub/Deep/x"), QStringLiteral("/ok"));
    Load();
    for (const QString& folder : {QStringLiteral("Sub"), QStringLiteral("Favorites")}) {
        Node(folder)->SetExpanded(false);
        Node(folder)->SetImage(Pictures::ClosedFolder);
    }
    // Open already, but showing the closed picture: the run shows it open, or takes it for a link.
    Node(QStringLiteral("Deep"))->SetImage(Pictures::ClosedFolder);

    CheckAllLinks(Main.RunHost());

    for (const QString& folder : {QStringLiteral("Favorites"), QStringLiteral("Sub"), QStringLiteral("Deep")}) {
        EXPECT_EQ(Node(folder)->Image(), Pictures::OpenFolder) << folder.toStdString();
        EXPECT_TRUE(Node(folder)->Expanded()) << folder.toStdString();
    }
    EXPECT_EQ(Picture(QStringLiteral("x")), Pictures::LinkAnswered);
    ExpectEndedInOrder();
}

TEST_F(CheckRunsTest, AFolderRunChecksOnlyTheFoldersOwnLinks)
{
    WriteLink(QStringLiteral("outside"), QStringLiteral("/ok"));
    WriteLink(QStringLiteral("D/a"), QStringLiteral("/ok"));
    WriteLink(QStringLiteral("D/b"), QStringLiteral("/missing"));
    for (const QString& sub : {QStringLiteral("S1"), QStringLiteral("S2"), QStringLiteral("S3")})
        WriteLink(QStringLiteral("D/") + sub + QStringLiteral("/in ") + sub, QStringLiteral("/error"));
    Favorites.MakeFolder(QStringLiteral("Empty/Inner"));
    Load();
    for (const QString& sub : {QStringLiteral("in S1"), QStringLiteral("in S2"), QStringLiteral("in S3")})
        SetNodeStatus(-1, Node(sub));
    Node(QStringLiteral("D"))->SetExpanded(false);
    Node(QStringLiteral("D"))->SetImage(Pictures::ClosedFolder);
    Node(QStringLiteral("D"))->SetSelected(true);
    QString textWhileRunning;
    bool checkAllWhileRunning = true;
    bool stopWhileRunning = false;
    QTimer::singleShot(0, &Main, [&] {
        textWhileRunning = StatusText();
        checkAllWhileRunning = Main.mnuLinksMenu.Item(1)->isEnabled();
        stopWhileRunning = Main.mnuLinksMenu.Item(4)->isEnabled();
    });

    CheckFolderLinks(Main.RunHost(), Node(QStringLiteral("D")));

    // The run opens its folder, and allows only what a run allows while it goes on.
    EXPECT_TRUE(Node(QStringLiteral("D"))->Expanded());
    EXPECT_EQ(Node(QStringLiteral("D"))->Image(), Pictures::OpenFolder);
    EXPECT_FALSE(checkAllWhileRunning);
    EXPECT_TRUE(stopWhileRunning);
    EXPECT_TRUE(Main.mnuLinksMenu.Item(1)->isEnabled());
    EXPECT_FALSE(Main.mnuLinksMenu.Item(4)->isEnabled());
    EXPECT_EQ(textWhileRunning, QStringLiteral(" Verifying Directory D "));
    EXPECT_EQ(Picture(QStringLiteral("a")), Pictures::LinkAnswered);
    EXPECT_EQ(Picture(QStringLiteral("b")), Pictures::LinkBroken);
    for (const QString& sub : {QStringLiteral("in S1"), QStringLiteral("in S2"), QStringLiteral("in S3")})
        EXPECT_EQ(Picture(sub), Pictures::LinkNoReply);
    EXPECT_EQ(Picture(QStringLiteral("outside")), Pictures::LinkNotChecked);
    EXPECT_EQ(RequestedPaths(Site), (Paths{"/ok", "/missing"}));
    ExpectEndedInOrder();

    // A folder without links of its own ends its run at once, and clears the text it showed.
    Main.sbStatus->SetPanelText(2, QStringLiteral("before"));
    CheckFolderLinks(Main.RunHost(), Node(QStringLiteral("Empty")));
    EXPECT_EQ(Site.Connections(), 2);
    ExpectEndedInOrder();
}

TEST_F(CheckRunsTest, AFavoriteAddedAfterLoadingIsCheckedInItsOwnFolder)
{
    WriteLink(QStringLiteral("A/a1"), QStringLiteral("/ok"));
    WriteLink(QStringLiteral("B/b1"), QStringLiteral("/ok"));
    Load();
    // Added as a new favorite is: its node comes last in the tree's order, after B's.
    WriteLink(QStringLiteral("A/Added"), QStringLiteral("/moved"), "[Orrindale]\r\nRename=1\r\n");
    TreeNode* added = Main.tvFolders->Nodes().Add(Node(QStringLiteral("A")), TreeRelationship::Child, QString(),
                                                  QStringLiteral("Added"));
    SetNodeStatus(-1, added);

    CheckAllLinks(Main.RunHost());

    EXPECT_EQ(RequestedPaths(Site), (Paths{"/ok", "/ok", "/moved", "/new"}));
    EXPECT_EQ(added->Text(), QStringLiteral("New Page"));
    EXPECT_EQ(Picture(QStringLiteral("New Page")), Pictures::LinkAnswered);
    EXPECT_NE(ReadLink(QStringLiteral("A/New Page")).find("/new\r\n"), std::string::npos);
    EXPECT_EQ(QDir(Favorites.Sub(QStringLiteral("A"))).entryList(QDir::Files),
              (QStringList{QStringLiteral("a1.url"), QStringLiteral("New Page.url")}));
    EXPECT_EQ(QDir(Favorites.Sub(QStringLiteral("B"))).entryList(QDir::Files), QStringList{QStringLiteral("b1.url")});
    ExpectEndedInOrder();

    // The folder run finds it too.
    CheckFolderLinks(Main.RunHost(), Node(QStringLiteral("A")));
    EXPECT_EQ(RequestedPaths(Site), (Paths{"/ok", "/ok", "/moved", "/new", "/ok", "/new"}));
}

TEST_F(CheckRunsTest, ACheckCommandWhileAProbeWaitsIsIgnored)
{
    WriteLink(QStringLiteral("a"), QStringLiteral("/slow"));
    WriteLink(QStringLiteral("b"), QStringLiteral("/missing"));
    Load();
    bool waiting = false;
    QTimer::singleShot(20, &Main, [&] {
        waiting = Main.CheckRunning;
        Node(QStringLiteral("b"))->SetSelected(true);
        CheckSelectedLink(Main.RunHost());
        CheckAllLinks(Main.RunHost());
        CheckFolderLinks(Main.RunHost(), Node(QStringLiteral("Favorites")));
    });

    CheckAllLinks(Main.RunHost());

    EXPECT_TRUE(waiting);
    EXPECT_EQ(Picture(QStringLiteral("a")), Pictures::LinkAnswered);
    EXPECT_EQ(Picture(QStringLiteral("b")), Pictures::LinkBroken);
    EXPECT_EQ(RequestedPaths(Site), (Paths{"/slow", "/missing"}));
    ExpectEndedInOrder();
}

TEST_F(CheckRunsTest, ALinkDeletedWhileItsProbeWaitsLeavesTheNodeThatTookItsPlaceAlone)
{
    // The page answers with a title and the link may be renamed: a check that lost track of
    // its node would rename whatever node stands where it stood.
    WriteLink(QStringLiteral("a"), QStringLiteral("/slow"), "[Orrindale]\r\nRename=1\r\n");
    const std::string copied = WriteLink(QStringLiteral("Sub/c"), QStringLiteral("/moved"), "[Orrindale]\r\nRename=1\r\n");
    Load();
    Node(QStringLiteral("c"))->SetSelected(true);
    CopyNode(*Main.tvFolders, Main.Clip);
    Node(QStringLiteral("a"))->SetSelected(true);
    Node(QStringLiteral("a"))->SetImage(Pictures::LinkBroken);
    int waitingPicture = -1;
    QTimer::singleShot(20, &Main, [&] {
        // The link shows it is being checked again, not its last result.
        waitingPicture = Node(QStringLiteral("a"))->Image();
        desktop::SetNextAnswer(desktop::vbYes);
        DeleteNode(*Main.tvFolders, Main.Clip, Main.Favorites);
        Main.tvFolders->Nodes().Item(1)->SetSelected(true);
        PasteNode(*Main.tvFolders, Main.Clip, Main.Favorites);
    });

    CheckSelectedLink(Main.RunHost());

    EXPECT_EQ(waitingPicture, Pictures::LinkNotChecked);
    EXPECT_FALSE(QFile::exists(Favorites.Sub(QStringLiteral("a.url"))));
    EXPECT_EQ(ReadLink(QStringLiteral("c")), copied);
    const TreeNode* root = Main.tvFolders->Nodes().Item(1);
    ASSERT_EQ(root->Children(), 2);
    EXPECT_EQ(root->Child(1)->Text(), QStringLiteral("c"));
    EXPECT_EQ(root->Child(1)->Image(), Pictures::LinkNotChecked);
    EXPECT_EQ(QDir(Favorites.Path()).entryList(QDir::Files), QStringList{QStringLiteral("c.url")});
}

TEST_F(ParallelRunsTest, ARunWithManyProbesShowsAndWritesWhatARunOneAtATimeDoes)
{
    LoopbackServer site(ServeNumbered, {"127.0.0.1", true, {}});
    const auto write = [&site](const TestFolder& favorites) {
        for (int number = 1; number <= 36; ++number) {
            WriteShortcut(favorites, QStringLiteral("F%1/link %2").arg(number % 4).arg(number),
                          site.Url(QStringLiteral("/p%1").arg(number)),
                          number % 5 ? "" : "[Orrindale]\r\nRename=0\r\n");
        }
    };
    // The order in which the redirected links' new addresses are asked for is the order in
    // which their files were written.
    const auto secondProbes = [&site] {
        Paths paths = RequestedPaths(site);
        paths.erase(std::remove_if(paths.begin(), paths.end(), [](const std::string& path) { return path[1] != 'n'; }),
                    paths.end());
        return paths;
    };

    write(Favorites);
    Load();
    LimitedHost oneAtATime(Main.RunHost(), {1, 1});
    CheckAllLinks(oneAtATime);
    const auto oneNodes = Shown();
    const auto oneFiles = Files(Favorites.Path());
    const auto oneOrder = secondProbes();

    TestFolder many;
    write(many);
    Load(many.Path());
    const size_t before = site.Requests().size();
    CheckAllLinks(Main.RunHost());

    EXPECT_EQ(Shown(), oneNodes);
    EXPECT_EQ(Files(many.Path()), oneFiles);
    Paths manyOrder = secondProbes();
    manyOrder.erase(manyOrder.begin(), manyOrder.begin() + static_cast<std::ptrdiff_t>(oneOrder.size()));
    EXPECT_EQ(manyOrder, oneOrder);
    EXPECT_EQ(site.Requests().size() - before, before);
    ExpectEndedInOrder();
}

TEST_F(ParallelRunsTest, ARunKeepsTwoProbesToAHostAndSixteenInAll)
{
    ConnectionGauge all;
    std::vector<std::unique_ptr<ConnectionGauge>> perHost;
    std::vector<std::unique_ptr<LoopbackServer>> hosts;
    const auto slow = [](ServerConnection& c) {
        c.ReadRequest();
        c.Pause(60ms);
        c.Send(HttpReply("HTTP/1.1 200 OK"));
        c.Close();
    };
    for (int host = 1; host <= 10; ++host) {
        perHost.push_back(std::make_unique<ConnectionGauge>());
        hosts.push_back(std::make_unique<LoopbackServer>(
            slow, LoopbackServer::Options{"127.0.0." + std::to_string(host), true, {perHost.back().get(), &all}}));
        for (int link = 0; link < 5; ++link)
            WriteShortcut(Favorites, QStringLiteral("h%1 l%2").arg(host).arg(link), hosts.back()->Url());
    }
    Load();

    CheckAllLinks(Main.RunHost());

    for (const auto& node : Shown())
        EXPECT_NE(node.second, Pictures::LinkNoReply) << node.first.toStdString();
    int busiest = 0;
    for (const auto& gauge : perHost) {
        EXPECT_LE(gauge->Most, 2);
        busiest = std::max<int>(busiest, gauge->Most);
    }
    EXPECT_EQ(busiest, 2);
    EXPECT_EQ(all.Most, 16);
}

TEST_F(ParallelRunsTest, AStoppedRunEndsItsProbesAndWritesNothingMore)
{
    ConnectionGauge open;
    LoopbackServer site(ServeNumbered, {"127.0.0.1", true, {&open}});
    // Every link moves, so every applied link writes its file.
    for (int number = 1; number <= 40; ++number) {
        WriteShortcut(Favorites, QStringLiteral("link %1").arg(number, 2, 10, QLatin1Char('0')),
                      site.Url(QStringLiteral("/p%1").arg(number * 9 + 4)));
    }
    const auto before = Files(Favorites.Path());
    Load();
    QTimer::singleShot(150, &Main, [this] { Main.CheckRunning = false; });

    CheckAllLinks(Main.RunHost());

    ASSERT_EQ(desktop::ShownMessages().size(), 1);
    EXPECT_EQ(desktop::ShownMessages()[0].Prompt, QStringLiteral("Link Checking Aborted"));
    EXPECT_EQ(desktop::ShownMessages()[0].Style, desktop::vbOKOnly);
    EXPECT_EQ(desktop::ShownMessages()[0].Title, QStringLiteral("Strandmoor"));
    EXPECT_EQ(StatusText(), QStringLiteral(" Verifying Links "));
    EXPECT_FALSE(Main.CheckRunning);
    // Applied links come first; every one after them keeps its picture and its file.
    const auto nodes = Shown();
    size_t applied = 1;
    while (applied < nodes.size() && nodes[applied].second != Pictures::LinkNotChecked)
        ++applied;
    EXPECT_GT(applied, 1u);
    EXPECT_LT(applied, nodes.size());
    const auto after = Files(Favorites.Path());
    for (size_t i = applied; i < nodes.size(); ++i) {
        const QString name = QStringLiteral("/") + nodes[i].first + QStringLiteral(".url");
        EXPECT_EQ(nodes[i].second, Pictures::LinkNotChecked) << name.toStdString();
        EXPECT_EQ(after.at(name), before.at(name)) << name.toStdString();
    }
    // The probes still under way were ended: the server sees every connection closed.
    for (int wait = 0; wait < 100 && open.Now > 0; ++wait)
        QThread::msleep(10);
    EXPECT_EQ(open.Now, 0);
}

TEST_F(ParallelRunsTest, ALinkEditedWhileItsResultWaitsIsProbedAgainAtItsTurn)
{
    LoopbackServer site(
        [](ServerConnection& c) {
            const std::string path = LoopbackServer::RequestPath(c.ReadRequest());
            if (path == "/slow")
                c.Pause(300ms);
            c.Send(path == "/gone" ? HttpReply("HTTP/1.1 404 Not Found") : HttpReply("HTTP/1.1 200 OK"));
            c.Close();
        },
        {"127.0.0.1", true, {}});
    WriteShortcut(Favorites, QStringLiteral("a"), site.Url(QStringLiteral("/slow")));
    WriteShortcut(Favorites, QStringLiteral("b"), site.Url(QStringLiteral("/ok")));
    Load();
    // While a's result is awaited, b's has come; then b's address is changed, as the link
    // properties dialog would change it.
    QTimer::singleShot(150, &Main, [&] {
        WriteProfileString(QStringLiteral("InternetShortcut"), QStringLiteral("URL"), site.Url(QStringLiteral("/gone")),
                           Favorites.Sub(QStringLiteral("b.url")));
    });

    CheckAllLinks(Main.RunHost());

    EXPECT_EQ(Shown()[2], std::make_pair(QStringLiteral("b"), int(Pictures::LinkBroken)));
    Paths paths = RequestedPaths(site);
    std::sort(paths.begin(), paths.end());
    EXPECT_EQ(paths, (Paths{"/gone", "/ok", "/slow"}));
}
