#include "app/checking/CheckRuns.h"

#include "app/favorites/Clipboard.h"
#include "app/forms/Pictures.h"
#include "tests/app/checking/QStringPrinter.h"
#include "tests/app/checking/RunWindow.h"

#include <QDir>
#include <QTimer>

#include <algorithm>
#include <gtest/gtest.h>
#include <map>

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

class CheckRunsTest : public RunWindowTest
{
protected:
    CheckRunsTest() : Site(Serve)
    {
        AppSettings.Timeout = 300;
        AppSettings.ChangeName = false;
    }

    // Writes a shortcut to a page of the site, with more lines after the address; returns
    // the file's bytes.
    std::string WriteLink(const QString& relative, const QString& path, const std::string& more = {})
    {
        const std::string content = "[InternetShortcut]\r\nURL=" + Site.Url(path).toStdString() + "\r\n" + more;
        Favorites.WriteFile(relative + QStringLiteral(".url"), QByteArray::fromStdString(content));
        return content;
    }
    std::string ReadLink(const QString& relative) const
    {
        return Favorites.ReadFile(relative + QStringLiteral(".url")).toStdString();
    }
    void Load() { RunWindowTest::Load(Favorites.Path()); }

    TestFolder Favorites;
    LoopbackServer Site;
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
}

TEST_F(CheckRunsTest, RunsWithoutLinksEndAtOnceAndClearTheText)
{
    Favorites.MakeFolder(QStringLiteral("Empty/Inner"));
    Load();
    Main.sbStatus->SetPanelText(2, QStringLiteral("before"));
    CheckFolderLinks(Main.RunHost(), Node(QStringLiteral("Empty")));
    ExpectEndedInOrder();

    Main.sbStatus->SetPanelText(2, QStringLiteral("before"));
    CheckAllLinks(Main.RunHost());
    ExpectEndedInOrder();
    EXPECT_EQ(Site.Connections(), 0);
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
