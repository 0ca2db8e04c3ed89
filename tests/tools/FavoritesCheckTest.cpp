// favorites check: the same results as Check All Links in the window, reports that read back
// as the run's rows, and a run stopped by Ctrl+C.
#include "app/checking/CheckRuns.h"
#include "app/checking/HttpProbe.h"
#include "app/favorites/FavoritesTree.h"
#include "app/forms/Pictures.h"
#include "app/settings/AppSettings.h"
#include "app/window/frmMain.h"
#include "platform/desktop/Application.h"
#include "platform/win32/WinTypes.h"
#include "tests/app/checking/LoopbackServer.h"
#include "tests/app/checking/TlsServer.h"
#include "tests/support/PrivateRegistry.h"
#include "tests/support/TestFolder.h"
#include "tests/tools/ToolRun.h"
#include "tools/favorites/CheckProgress.h"
#include "tools/favorites/CheckReport.h"
#include "tools/favorites/Commands.h"

#include <QDirIterator>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSslCertificate>
#include <QThread>
#include <QXmlStreamReader>

#include <algorithm>
#include <csignal>
#include <gtest/gtest.h>
#include <map>
#include <sys/stat.h>

using namespace std::chrono_literals;

namespace
{
const std::string SettingsKey = "Software\\Orrindale\\Strandmoor";
const std::string ShellFolders = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

std::string Page(const std::string& title)
{
    return HttpReply("HTTP/1.1 200 OK", "Content-Type: text/html; charset=utf-8\r\n", "<title>" + title + "</title>");
}

// The test web: each path answers in its own way.
void Serve(ServerConnection& c)
{
    std::string path = LoopbackServer::RequestPath(c.ReadRequest());
    path = path.substr(0, path.find('?'));
    const std::string self = "http://127.0.0.1:" + std::to_string(c.Port());
    const std::map<std::string, std::string> replies = {
        {"/fish", Page("Fish, Chips & Co")},
        {"/formula", Page("=1+1")},
        {"/same", Page("Same")},
        {"/cyrillic", Page("Привет: мир")},
        {"/gone", HttpReply("HTTP/1.1 404 Not Found")},
        {"/410", HttpReply("HTTP/1.1 410 Gone")},
        {"/500", HttpReply("HTTP/1.1 500 Internal Server Error", {}, "<title>Oops</title>")},
        {"/moved", HttpReply("HTTP/1.1 301 Moved", "Location: " + self + "/here\r\n")},
        {"/here", Page("Moved here")},
        {"/refresh",
         HttpReply("HTTP/1.1 200 OK", {}, "<meta http-equiv=\"refresh\" content=\"0; url=" + self + "/cyrillic\">")},
        {"/close", ""},
    };
    if (path == "/silent")
        return c.WaitForClientClose();
    if (const auto found = replies.find(path); found != replies.end())
        c.Send(found->second);
    c.Close();
}

ToolRun Check(const QStringList& args, int columns = 0)
{
    return RunCommand(RunCheck, args, columns);
}

// Every shortcut below a folder with its bytes, by its path below the folder.
std::map<QString, QByteArray> Files(const QString& folder)
{
    std::map<QString, QByteArray> files;
    QDirIterator walk(folder, {QStringLiteral("*.url")}, QDir::Files, QDirIterator::Subdirectories);
    while (walk.hasNext()) {
        QFile file(walk.next());
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        files[file.fileName().mid(folder.size())] = file.readAll();
    }
    return files;
}

// A report's row: folder, name, address, status, verdict, redirect, new name.
using Row = std::vector<QString>;

std::vector<Row> JsonRows(const QJsonObject& report)
{
    std::vector<Row> rows;
    for (const QJsonValue& link : report[QStringLiteral("links")].toArray()) {
        Row row;
        for (const char* key : {"folder", "name", "address", "status", "verdict", "redirect", "newName"}) {
            const QJsonValue value = link[QLatin1StringView(key)];
            row.push_back(value.isDouble() ? QString::number(value.toInt()) : value.toString());
        }
        rows.push_back(row);
    }
    return rows;
}

QJsonObject ReadJson(const QString& path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    return document.object();
}

// The rows as Python's csv module reads them; a cell that would start a formula in a
// spreadsheet has an apostrophe in front, dropped here.
std::vector<Row> CsvRows(const QString& path)
{
    const ToolRun python = RunProgram(QStringLiteral("python3"),
                                      {QStringLiteral("-c"),
                                       QStringLiteral("import csv, json, sys; print(json.dumps(list(csv.reader("
                                                      "open(sys.argv[1], newline='', encoding='utf-8-sig')))))"),
                                       path});
    EXPECT_EQ(python.Exit, 0) << python.Err;
    std::vector<Row> rows;
    const QJsonArray table = QJsonDocument::fromJson(QByteArray::fromStdString(python.Out)).array();
    EXPECT_EQ(table.first().toArray().size(), 8);
    for (qsizetype i = 1; i < table.size(); ++i) {
        Row row;
        for (qsizetype cell = 0; cell < 7; ++cell) {
            const QString text = table[i].toArray()[cell].toString();
            row.push_back(text.size() > 1 && text[0] == u'\'' && QStringLiteral("=+-@").contains(text[1]) ? text.mid(1)
                                                                                                          : text);
        }
        rows.push_back(row);
    }
    return rows;
}

// What each favorite on the page shows: its verdict (the class of its item), status, name,
// address and where it moves, sorted, and the lengths of the chart's bars. The page must read
// as XML, run nothing, and link only to web addresses.
std::vector<Row> HtmlRows(const QString& path, QStringList& bars)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    QXmlStreamReader page(&file);
    std::vector<Row> rows;
    QString inside;
    while (!page.atEnd()) {
        if (page.readNext() != QXmlStreamReader::StartElement)
            continue;
        EXPECT_NE(page.name(), QStringLiteral("script"));
        const QString href = page.attributes().value(QStringLiteral("href")).toString();
        EXPECT_TRUE(href.isEmpty() || href.startsWith(QStringLiteral("http"))) << href.toStdString();
        const QString cssClass = page.attributes().value(QStringLiteral("class")).toString();
        if (page.name() == QStringLiteral("rect"))
            bars.append(page.attributes().value(QStringLiteral("width")).toString());
        if (page.name() == QStringLiteral("li"))
            rows.push_back({cssClass == QStringLiteral("silent") ? QStringLiteral("no reply") : cssClass});
        else if (cssClass == QStringLiteral("tag") || cssClass == QStringLiteral("name") ||
                 cssClass == QStringLiteral("url") || cssClass == QStringLiteral("moved"))
            rows.back().push_back(page.readElementText());
    }
    EXPECT_FALSE(page.hasError()) << page.errorString().toStdString() << " at line " << page.lineNumber();
    std::sort(rows.begin(), rows.end());
    return rows;
}

class FavoritesCheck : public ::testing::Test
{
protected:
    FavoritesCheck()
    {
        desktop::App::SetPath(Program.Path());
        Registry.WriteDword(win32::HKEY_CURRENT_USER, SettingsKey, "Timeout", 400);
        Registry.WriteDword(win32::HKEY_CURRENT_USER, SettingsKey, "ChangeName", 1);
    }
    ~FavoritesCheck() override
    {
        AppSettings = ApplicationSettings{};
        desktop::App::SetPath(QString());
    }

    // The same favorites in a new folder, under `name`.
    QString WriteFavorites(const QString& name, const LoopbackServer& site, const TlsServer& secure) const
    {
        const auto url = [&](const char* path) { return site.Url(QString::fromUtf8(path)).toUtf8(); };
        const std::pair<const char*, QByteArray> favorites[] = {
            {"News, \"Daily\" <b>&amp; Ünï 😀", url("/fish")},
            {"Formula", url("/formula")},
            {"Same", url("/same")},
            {"Sub/Gone", url("/gone")},
            {"Sub/Gone 410", url("/410")},
            {"Sub/Error", url("/500")},
            {"Sub/Deeper/Silent", url("/silent")},
            {"Sub/Deeper/Closed", url("/close")},
            {"Moved", url("/moved")},
            {"Kept", url("/moved") + "\r\n[Orrindale]\r\nRename=0"},
            {"Refresh", url("/refresh")},
            {"Script", "javascript:alert(1)"},
            {"Odd", url("/same?a=<&>\"'") + "\r\n[Orrindale]\r\nRename=0"},
            {"Bad options", url("/same") + "\r\n[Orrindale]\r\nTimeout=abc"},
            {"Secure", secure.Url(QStringLiteral("/page")).toUtf8()},
        };
        for (const auto& [file, content] : favorites)
            Folder.WriteFile(name + QLatin1Char('/') + QString::fromUtf8(file) + QStringLiteral(".url"),
                             "[InternetShortcut]\r\nURL=" + content + "\r\n");
        return Folder.Sub(name);
    }

    TestFolder Program;
    TestFolder Folder;
    PrivateRegistry Registry;
};
} // namespace

TEST_F(FavoritesCheck, ChecksAsTheWindowDoesAndReportsWhatItFound)
{
    LoopbackServer site(Serve, {"127.0.0.1", true, {}});
    TlsServer secure(TlsServer::CertificateFolder() + QStringLiteral("/server.pem"),
                     [](const std::string&) { return Page("Secure page"); });
    TrustProbeCertificates(QSslCertificate::fromPath(TlsServer::CertificateFolder() + QStringLiteral("/ca.pem")));

    // The window's Check All Links over one copy.
    const QString inWindow = WriteFavorites(QStringLiteral("window"), site, secure);
    frmMain window;
    AppSettings.Timeout = 400;
    AppSettings.ChangeName = true;
    window.Favorites = FavoritesFolder{inWindow, 0, 1};
    LoadFavoritesTree(*window.tvFolders, window.Favorites);
    CheckAllLinks(window.RunHost());
    std::vector<std::pair<QString, QString>> shown;
    const std::map<int, QString> verdicts = {{Pictures::LinkAnswered, QStringLiteral("answered")},
                                             {Pictures::LinkBroken, QStringLiteral("broken")},
                                             {Pictures::LinkNoReply, QStringLiteral("no reply")}};
    for (int i = 1; i <= window.tvFolders->Nodes().Count(); ++i) {
        const TreeNode* node = window.tvFolders->Nodes().Item(i);
        if (!IsFolderNode(node))
            shown.emplace_back(node->Text(), verdicts.at(node->Image()));
    }

    // The tool over another: the same files, names and verdicts.
    const QString byTool = WriteFavorites(QStringLiteral("tool"), site, secure);
    const ToolRun run = Check({byTool, QStringLiteral("--report"), Folder.Sub(QStringLiteral("real.json"))});
    EXPECT_EQ(run.Exit, 1) << run.Err;
    EXPECT_EQ(Files(byTool), Files(inWindow));
    const QJsonObject real = ReadJson(Folder.Sub(QStringLiteral("real.json")));
    const std::vector<Row> rows = JsonRows(real);
    std::vector<std::pair<QString, QString>> reported;
    for (const Row& row : rows)
        reported.emplace_back(row[6].isEmpty() ? row[1] : row[6], row[4]);
    EXPECT_EQ(reported, shown);
    ASSERT_EQ(rows.size(), 15u);
    EXPECT_EQ(rows[3],
              (Row{QString(), QStringLiteral("Moved"), site.Url(QStringLiteral("/moved")), QStringLiteral("200"),
                   QStringLiteral("answered"), site.Url(QStringLiteral("/here")), QStringLiteral("Moved here")}));
    EXPECT_EQ(rows[4][6], QStringLiteral("Fish, Chips & Co"));
    EXPECT_EQ(rows[14],
              (Row{QStringLiteral("Sub/Deeper"), QStringLiteral("Silent"), site.Url(QStringLiteral("/silent")),
                   QString(), QStringLiteral("no reply"), QString(), QString()}));
    EXPECT_EQ(QJsonDocument(real[QStringLiteral("totals")].toObject()).toJson(QJsonDocument::Compact),
              R"({"answered":9,"broken":2,"checked":15,"favorites":15,"moved":2,"noReply":4,"renamed":5})");
    EXPECT_NE(run.Out.find("Checked 15 of 15 favorites in " + byTool.toStdString() +
                           ": 9 answered, 2 broken, 4 no reply; 2 moved, 5 renamed.\nReport: "),
              std::string::npos)
        << run.Out;

    // Dry runs in every format leave every byte and report what the real run did. The page
    // shows a favorite's verdict, status, name, address and where it would move.
    const QString dry = WriteFavorites(QStringLiteral("dry"), site, secure);
    const auto before = Files(dry);
    std::vector<Row> expected = rows;
    std::vector<Row> shownRows;
    for (const Row& row : rows) {
        shownRows.push_back({row[4], row[3].isEmpty() ? row[4] : row[3] + QLatin1Char(' ') + row[4], row[1],
                             row[2].isEmpty() ? QStringLiteral("(no address)") : row[2]});
        if (!row[5].isEmpty())
            shownRows.back().push_back(row[5]);
    }
    std::sort(expected.begin(), expected.end());
    std::sort(shownRows.begin(), shownRows.end());
    QStringList bars;
    for (const char* format : {"csv", "json", "html"}) {
        SCOPED_TRACE(format);
        const QString report = Folder.Sub(QStringLiteral("dry.") + QLatin1StringView(format));
        EXPECT_EQ(Check({QStringLiteral("--dry-run"), dry, QStringLiteral("--report=") + report}).Exit, 1);
        EXPECT_EQ(Files(dry), before);
        std::vector<Row> read = format[0] == 'c'   ? CsvRows(report)
                                : format[0] == 'j' ? JsonRows(ReadJson(report))
                                                   : HtmlRows(report, bars);
        std::sort(read.begin(), read.end());
        EXPECT_EQ(read, format[0] == 'h' ? shownRows : expected);
    }
    EXPECT_TRUE(Folder.ReadFile(QStringLiteral("dry.html"))
                    .contains("15 of 15 favorites checked: 9 answered, 2 broken, 4 no reply. 2 would be moved to a "
                              "new address, 5 renamed after their page title."));
    // 9 answered, 2 broken and 4 silent of 15, the longest bar 200 long.
    EXPECT_EQ(bars, (QStringList{QStringLiteral("120.0"), QStringLiteral("26.7"), QStringLiteral("53.3")}));
}

TEST_F(FavoritesCheck, SaysWhyItCannotRunAndExitsWithTwo)
{
    LoopbackServer site([](ServerConnection& c) {
        c.ReadRequest();
        c.Send(Page("Fine"));
        c.Close();
    });
    const QString favorites = Folder.MakeFolder(QStringLiteral("Favorites"));
    for (int i = 0; i < 205; ++i)
        Folder.WriteFile(QStringLiteral("Favorites/l%1.url").arg(i),
                         "[InternetShortcut]\r\nURL=" + site.Url(QStringLiteral("/")).toUtf8() +
                             "\r\n[Orrindale]\r\nRename=0\r\n");
    Folder.MakeFolder(QStringLiteral("report.html"));
    ASSERT_EQ(mkfifo(QFile::encodeName(favorites + QStringLiteral("/pipe.url")).constData(), 0600), 0);
    Registry.WriteValue(win32::HKEY_CURRENT_USER, ShellFolders, "Favorites", win32::REG_SZ, std::string(1, '\0'));
    // The arguments, the exit and what the error output says.
    const std::tuple<QStringList, int, const char*> cases[] = {
        {{favorites, QStringLiteral("--timeout"), QStringLiteral("0")},
         2,
         "--timeout takes milliseconds from 1 to 9999"},
        {{favorites, QStringLiteral("--report"), QStringLiteral("r.txt")}, 2, "must end in .csv, .json or .html"},
        {{favorites, QStringLiteral("--report"), Folder.Sub(QStringLiteral("report.html"))}, 2, "is a folder"},
        {{favorites, QStringLiteral("--report"), Folder.Sub(QStringLiteral("no/r.csv"))}, 2, "cannot write the report"},
        {{favorites, QStringLiteral("--now")}, 2, "unexpected argument --now"},
        {{Folder.Sub(QStringLiteral("missing"))}, 2, "there is no folder"},
        {{}, 2, "Cannot Find Favorites Folder"},
        {{favorites, QStringLiteral("--timeout=2000")}, 0, "favorites check: 200/205 checked, 0 broken, 0 no reply"},
    };
    for (const auto& [args, exit, shown] : cases) {
        const ToolRun run = Check(args);
        EXPECT_EQ(run.Exit, exit) << shown;
        EXPECT_NE(run.Err.find(shown), std::string::npos) << run.Err;
    }
    EXPECT_EQ(AppSettings.Timeout, 2000);
    EXPECT_NE(Check({favorites}).Err.find("skipped " + favorites.toStdString() + "/pipe.url: not a regular file"),
              std::string::npos);

    // On a terminal: one line drawn over in place, never wider than the terminal.
    const ToolRun shown = Check({favorites}, 80);
    EXPECT_EQ(shown.Exit, 0);
    EXPECT_NE(shown.Err.find("\r[#############################] 205/205 checked, 0 broken, 0 no reply, 0:0"),
              std::string::npos)
        << shown.Err;
    EXPECT_EQ(shown.Err.find("favorites check: "), std::string::npos);
    EXPECT_LT(std::count(shown.Err.begin(), shown.Err.end(), '\r'), 20); // not once a favorite
    std::ostringstream drawn;
    CheckProgress progress(drawn, 80, 4);
    progress.Checked(true, false);
    EXPECT_EQ(progress.Line(80), QStringLiteral("[#########----------------------------] 1/4 checked, 1 broken, 0 "
                                                "no reply, 0:00"));
    EXPECT_EQ(progress.Line(30), QStringLiteral("1/4 checked, 1 broken, 0 no r"));
    // A stopped run's page says so and draws the rest as not checked; a bar with any favorite
    // in it stays visible.
    CheckReport stopped;
    stopped.Favorites = 400;
    stopped.Stopped = true;
    stopped.Rows.push_back({{}, QStringLiteral("Gone"), QStringLiteral("http://h/"), 404, {}, {}, 5});
    QFile page(Folder.Sub(QStringLiteral("stopped.html")));
    ASSERT_TRUE(page.open(QIODevice::WriteOnly) && WriteReport(page, stopped, ReportFormat::Html));
    page.close();
    QStringList bars;
    EXPECT_EQ(HtmlRows(page.fileName(), bars).size(), 1u);
    EXPECT_EQ(bars, (QStringList{QStringLiteral("0.0"), QStringLiteral("2.0"), QStringLiteral("0.0"),
                                 QStringLiteral("199.5")}));
    EXPECT_TRUE(Folder.ReadFile(QStringLiteral("stopped.html"))
                    .contains("The check was stopped: 399 favorites were not checked."));
    EXPECT_EQ(Printable(QStringLiteral("a\x1b[2Jb\u009b")), QStringLiteral("a\\x1b[2Jb\\x9b"));
    for (const auto& [seconds, text] :
         {std::pair{0, "0:00"}, {61, "1:01"}, {3600, "1:00:00"}, {7199, "1:59:59"}, {36000 + 723, "10:12:03"}})
        EXPECT_EQ(DurationText(seconds), QLatin1StringView(text));
}

TEST_F(FavoritesCheck, CtrlCStopsBetweenFavoritesAndReportsThoseChecked)
{
    LoopbackServer site(
        [](ServerConnection& c) {
            const std::string path = LoopbackServer::RequestPath(c.ReadRequest());
            c.Pause(100ms);
            c.Send(path == "/new" ? HttpReply("HTTP/1.1 200 OK")
                                  : HttpReply("HTTP/1.1 301 Moved",
                                              "Location: http://127.0.0.1:" + std::to_string(c.Port()) + "/new\r\n"));
            c.Close();
        },
        {"127.0.0.1", true, {}});
    const QString favorites = Folder.MakeFolder(QStringLiteral("Favorites"));
    for (int i = 0; i < 60; ++i)
        Folder.WriteFile(QStringLiteral("Favorites/l%1.url").arg(i, 2, 10, QLatin1Char('0')),
                         "[InternetShortcut]\r\nURL=" + site.Url(QStringLiteral("/old")).toUtf8() + "\r\n");
    const auto before = Files(favorites);
    const QString reports = Folder.MakeFolder(QStringLiteral("reports"));

    QProcess tool;
    tool.start(QStringLiteral(FAVORITES_TOOL_PATH),
               {QStringLiteral("check"), favorites, QStringLiteral("--report"), reports + QStringLiteral("/r.json")});
    ASSERT_TRUE(tool.waitForStarted());
    // Stopped once the first favorite has moved.
    for (int wait = 0; wait < 2000 && Files(favorites) == before; ++wait)
        QThread::msleep(10);
    kill(static_cast<pid_t>(tool.processId()), SIGINT);
    ASSERT_TRUE(tool.waitForFinished(30000));
    EXPECT_EQ(tool.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(tool.exitCode(), 130);
    EXPECT_TRUE(tool.readAllStandardError().contains("Stopping after the favorites being checked"));

    const QJsonObject report = ReadJson(reports + QStringLiteral("/r.json"));
    EXPECT_TRUE(report[QStringLiteral("stopped")].toBool());
    const qsizetype checked = report[QStringLiteral("links")].toArray().size();
    EXPECT_GT(checked, 0);
    EXPECT_LT(checked, 60);
    EXPECT_EQ(report[QStringLiteral("totals")][QStringLiteral("checked")].toInt(), checked);
    // Every favorite checked moved, and none other was written.
    const auto after = Files(favorites);
    qsizetype changed = 0;
    for (const auto& [name, bytes] : after)
        changed += bytes != before.at(name) ? 1 : 0;
    EXPECT_EQ(changed, checked);
    EXPECT_EQ(QDir(reports).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("r.json")});
}
