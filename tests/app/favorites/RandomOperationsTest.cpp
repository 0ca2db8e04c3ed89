// Random sequences of the user's operations on the real main window, with Check Link probes
// answered late while further operations go on, and after every step the tree held against
// the disk. STRANDMOOR_SEEDS="1-20" runs other seeds than the fixed one.
#include "app/checking/CheckRuns.h"
#include "app/favorites/FavoritesTree.h"
#include "app/favorites/ShortcutFile.h"
#include "app/favorites/frmNewFavorite.h"
#include "app/favorites/frmNewFolder.h"
#include "app/settings/AppSettings.h"
#include "app/window/Commands.h"
#include "app/window/TreeEvents.h"
#include "app/window/frmMain.h"
#include "platform/desktop/Application.h"
#include "platform/desktop/MessageBox.h"
#include "tests/app/checking/LoopbackServer.h"
#include "tests/support/TestFolder.h"

#include <QDir>
#include <QDirIterator>
#include <QCoreApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTimer>

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>

using namespace std::chrono_literals;

namespace
{
// A favorite's address names its number; the site answers its page late, with the title
// "T<number>", and moves every third one first, to "/q<number>".
void Serve(ServerConnection& c)
{
    const std::string path = LoopbackServer::RequestPath(c.ReadRequest());
    const int number = path.size() > 2 ? std::atoi(path.c_str() + 2) : 0;
    c.Pause(std::chrono::milliseconds(number * 7 % 13));
    const std::string self = "http://127.0.0.1:" + std::to_string(c.Port());
    if (path.rfind("/p", 0) == 0 && number % 3 == 0)
        c.Send(HttpReply("HTTP/1.1 301 Moved", "Location: " + self + "/q" + std::to_string(number) + "\r\n"));
    else
        c.Send(HttpReply("HTTP/1.1 200 OK", {}, "<title>T" + std::to_string(number) + "</title>"));
    c.Close();
}

std::vector<unsigned> Seeds()
{
    const QString text = qEnvironmentVariable("STRANDMOOR_SEEDS");
    const QRegularExpressionMatch range = QRegularExpression(QStringLiteral("^(\\d+)-(\\d+)$")).match(text);
    if (!range.hasMatch())
        return {1};
    std::vector<unsigned> seeds;
    for (unsigned seed = range.captured(1).toUInt(); seed <= range.captured(2).toUInt(); ++seed)
        seeds.push_back(seed);
    return seeds;
}

class RandomOperations
{
public:
    explicit RandomOperations(unsigned seed) : Random(seed), Site(Serve)
    {
        AppSettings.Timeout = 500;
        Main.Favorites.FavoritesPath = Favorites.Path();
        Main.Favorites.FolderCount = 1;
        LoadFavoritesTree(*Main.tvFolders, Main.Favorites);
    }

    // One operation picked at random, on a node picked at random.
    void Step()
    {
        SelectSomething();
        const int pick = Pick(100);
        Log.push_back(std::to_string(pick) + " on " + Main.tvFolders->SelectedItem()->Text().toStdString());
        if (pick < 12)
            NewFolder();
        else if (pick < 30)
            NewFavorite();
        else if (pick < 42)
            Rename();
        else if (pick < 50)
            RunCommand(Main, Command::Cut);
        else if (pick < 60)
            RunCommand(Main, Command::Copy);
        else if (pick < 75)
            RunCommand(Main, Command::Paste);
        else if (pick < 82) {
            desktop::SetNextAnswer(Pick(4) == 0 ? desktop::vbNo : desktop::vbYes);
            RunCommand(Main, Command::Delete);
        } else if (pick < 86)
            RunCommand(Main, Command::Refresh);
        else
            CheckWhileOthersGoOn();
    }

    // The tree stands for the disk: every node for its file or folder, with its key and
    // text, and every file and folder for one node (but for an item cut and not yet pasted).
    void ExpectTreeMirrorsDisk(const std::string& step)
    {
        std::set<QString> onDisk;
        QDirIterator walk(Favorites.Path(), QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                          QDirIterator::Subdirectories);
        while (walk.hasNext()) {
            const QFileInfo item(walk.next());
            if (item.isDir() || item.fileName().endsWith(QStringLiteral(".url"), Qt::CaseInsensitive))
                onDisk.insert(item.filePath());
        }
        std::set<QString> inTree;
        const TreeNodes& nodes = Main.tvFolders->Nodes();
        ASSERT_GE(nodes.Count(), 1) << step;
        for (int i = 2; i <= nodes.Count(); ++i) {
            const TreeNode* node = nodes.Item(i);
            ASSERT_EQ(node->Index(), i) << step;
            const QString folder = node->Parent()->Key();
            const QString path = IsFolderNode(node) ? folder + QStringLiteral("/") + node->Text()
                                                    : folder + QStringLiteral("/") + node->Text() + QStringLiteral(".url");
            const QString real = IsFolderNode(node) ? path : LinkFilePath(node);
            if (IsFolderNode(node)) {
                EXPECT_EQ(node->Key(), path) << step;
            }
            EXPECT_TRUE(QFileInfo(real).exists()) << step << ": no file for " << real.toStdString();
            EXPECT_EQ(QFileInfo(real).fileName().compare(QFileInfo(path).fileName(), Qt::CaseInsensitive), 0) << step;
            EXPECT_TRUE(inTree.insert(real).second) << step << ": two nodes for " << real.toStdString();
        }
        QString excused;
        if (Main.Clip.ClipNode && Main.Clip.ClipMode == ClipModes::Move) {
            Main.Clip.ClipNode->Follow(*Main.tvFolders);
            if (!Main.Clip.ClipNode->Node)
                excused = Main.Clip.ClipNode->Key;
        }
        for (const QString& path : onDisk) {
            const bool cut = !excused.isEmpty() && (path == excused || path.startsWith(excused + QStringLiteral("/")));
            EXPECT_TRUE(cut || inTree.count(path) == 1) << step << ": no node for " << path.toStdString();
        }
    }

    // A favorite's file names its own number, and only a check of that favorite may change
    // it (to its page's new address) or name it after its page.
    void ExpectEveryFileIsItsOwn(const std::string& step)
    {
        static const QRegularExpression content(QStringLiteral(
            "^\\[InternetShortcut\\]\\r\\nURL=http://127\\.0\\.0\\.1:\\d+/[pq](\\d+)\\r\\n(\\[Orrindale\\]\\r\\n"
            "Timeout=\\d+\\r\\nRename=[01]\\r\\n)?$"));
        for (const QString& path : ShortcutFiles()) {
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << step;
            const QString text = QString::fromLatin1(file.readAll());
            const QRegularExpressionMatch match = content.match(text);
            ASSERT_TRUE(match.hasMatch()) << step << ": " << path.toStdString() << " holds " << text.toStdString();
            const QString name = QFileInfo(path).completeBaseName();
            if (name.startsWith(QLatin1Char('T'))) {
                EXPECT_EQ(name.mid(1), match.captured(1)) << step << ": renamed after another page";
            }
        }
    }

    // What the last steps did, to read when a step fails.
    std::string Recent() const
    {
        std::string text;
        for (size_t i = Log.size() > 16 ? Log.size() - 16 : 0; i < Log.size(); ++i)
            text += "\n  " + Log[i];
        return text;
    }

    frmMain Main;
    std::vector<std::string> Log;

private:
    int Pick(int count) { return std::uniform_int_distribution<int>(0, count - 1)(Random); }

    void SelectSomething()
    {
        const TreeNodes& nodes = Main.tvFolders->Nodes();
        nodes.Item(1 + Pick(nodes.Count()))->SetSelected(true);
    }

    // Names that clash with each other, differ in letter case only, or look like a favorite.
    QString AName()
    {
        static const char* names[] = {"a", "A", "b", "News", "news", "x.url", "Dir", "c d", "e?"};
        return QString::fromLatin1(names[Pick(static_cast<int>(std::size(names)))]);
    }

    void NewFolder()
    {
        frmNewFolder dialog(*Main.tvFolders, &Main);
        dialog.txtFolder()->setText(AName());
        dialog.btnButton_Click(0);
    }

    void NewFavorite()
    {
        const int number = ++LastNumber;
        const std::set<QString> before = ShortcutFiles();
        frmNewFavorite dialog(*Main.tvFolders, &Main);
        dialog.txtDesc()->setText(Pick(2) ? AName() : QStringLiteral("f%1").arg(number));
        dialog.txtURL()->setText(Site.Url(QStringLiteral("/p%1").arg(number)));
        dialog.btnButton_Click(0);
        // Some favorites may be changed by a check, some may not.
        for (const QString& file : ShortcutFiles()) {
            if (!before.count(file) && Pick(2)) {
                WriteProfileString(QStringLiteral("Orrindale"), QStringLiteral("Timeout"), QStringLiteral("500"), file);
                WriteProfileString(QStringLiteral("Orrindale"), QStringLiteral("Rename"),
                                   QString::number(Pick(4) ? 1 : 0), file);
            }
        }
    }

    std::set<QString> ShortcutFiles() const
    {
        std::set<QString> files;
        QDirIterator walk(Favorites.Path(), {QStringLiteral("*.url")}, QDir::Files | QDir::Hidden,
                          QDirIterator::Subdirectories);
        while (walk.hasNext())
            files.insert(walk.next());
        return files;
    }

    void Rename()
    {
        TreeNode* node = Main.tvFolders->SelectedItem();
        const QString name = Pick(3) == 0 ? node->Text().toUpper() : AName();
        tvFolders_AfterLabelEdit(Main, node, name);
    }

    // Check Link on the selected favorite; while its reply is on its way, more operations.
    // Those run inside the probe's wait and plan nothing of their own.
    void CheckWhileOthersGoOn()
    {
        if (Planning) {
            CheckSelectedLink(Main.RunHost());
            return;
        }
        Planning = true;
        const int more = Pick(4);
        for (int i = 0; i < more; ++i) {
            ++Planned;
            QTimer::singleShot(1 + Pick(15), &Main, [this] {
                --Planned;
                Step();
            });
        }
        CheckSelectedLink(Main.RunHost());
        // Operations planned for after the reply still run before the next step.
        while (Planned > 0)
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        Planning = false;
    }

    std::mt19937 Random;
    TestFolder Favorites;
    LoopbackServer Site;
    int LastNumber = 0;
    int Planned = 0;       // operations planned to run while a probe waits, not run yet
    bool Planning = false; // a check's planned operations are under way
};
} // namespace

TEST(RandomOperations, TheTreeMirrorsTheDiskAfterEveryStep)
{
    const TestFolder program;
    desktop::App::SetPath(program.Path());
    for (const unsigned seed : Seeds()) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        RandomOperations run(seed);
        for (int step = 1; step <= 2000 && !::testing::Test::HasFailure(); ++step) {
            run.Step();
            const std::string where = "step " + std::to_string(step) + ", after:" + run.Recent();
            run.ExpectTreeMirrorsDisk(where);
            run.ExpectEveryFileIsItsOwn(where);
        }
        desktop::ClearShownMessages();
    }
    AppSettings = ApplicationSettings{};
    desktop::App::SetPath(QString());
}
