// favorites check: Check All Links without a window, with a report.
#include "app/checking/LinkCheck.h"
#include "app/favorites/FavoriteNames.h"
#include "app/favorites/ShortcutFile.h"
#include "app/settings/AppSettings.h"
#include "platform/desktop/SignalEvents.h"
#include "platform/runtime/ErrorRecord.h"
#include "tools/favorites/CheckProgress.h"
#include "tools/favorites/CheckReport.h"
#include "tools/favorites/CommandLine.h"
#include "tools/favorites/Commands.h"
#include "tools/favorites/FavoritesFolder.h"
#include "tools/favorites/FavoritesWalk.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTimer>

#include <csignal>
#include <functional>
#include <sys/stat.h>
#include <vector>

namespace
{
constexpr int SetUpFailed = 2;
const char* const Usage = "favorites check [FOLDER] [--report FILE] [--dry-run] [--timeout MS]";

int SetUpError(Console& console, const QString& message)
{
    console.Err << "favorites: " << message << "\n";
    return SetUpFailed;
}

int UsageError(Console& console, const QString& problem)
{
    console.Err << "favorites: " << problem << "\nusage: " << Usage << "\n";
    return SetUpFailed;
}

using Notes = std::function<void(const QString&)>;

// A favorite as a check from the command line sees it: its shortcut file. Renaming it renames
// the file, by the same rules as the window's rename.
class FileLink final : public CheckedLink
{
public:
    FileLink(QString folderPath, QString folder, QString name, const Notes& notes)
        : folderPath_(std::move(folderPath)), folder_(std::move(folder)), name_(std::move(name)), found_(name_),
          notes_(&notes)
    {
    }

    // Only a regular file is a favorite still there: a folder or pipe put in its place is not.
    bool IsStillThere() const override
    {
        struct stat info
        {
        };
        return ::stat(QFile::encodeName(ShortcutFilePath(folderPath_, name_)).constData(), &info) == 0 &&
               S_ISREG(info.st_mode);
    }
    QString FolderPath() const override { return folderPath_; }
    QString Name() const override { return name_; }
    // The run's outcome carries the status into the report; there is no picture to set.
    void ShowStatus(int16_t) override {}
    void RenameTo(const QString& title) override
    {
        try {
            name_ = RenameFavoriteFile(folderPath_, name_, title);
        } catch (const runtime::Error& error) {
            // A name already taken keeps the favorite as it is, without a word, as in the window.
            if (error.Number() != runtime::FileAlreadyExists)
                (*notes_)(
                    QStringLiteral("favorites: cannot rename %1/%2 after its page title: %3")
                        .arg(Printable(folderPath_), Printable(name_), QString::fromStdString(error.Description())));
        }
    }

    // Its folder below the one checked, and its name when the run found it.
    const QString& Folder() const { return folder_; }
    const QString& Found() const { return found_; }

private:
    QString folderPath_;
    QString folder_;
    QString name_;
    QString found_;
    const Notes* notes_;
};

// Every favorite below a folder, in the order the window's tree shows them.
class LinkCollector final : public FavoritesVisitor
{
public:
    LinkCollector(const QString& root, std::vector<FileLink>& links, const Notes& notes)
        : links_(links), notes_(notes), paths_{root}, folders_{QString()}
    {
    }

    bool EnterFolder(const QString& path, const QString& name, int) override
    {
        paths_.append(path);
        folders_.append(folders_.size() == 1 ? name : folders_.last() + QLatin1Char('/') + name);
        return true;
    }
    void LeaveFolder() override
    {
        paths_.removeLast();
        folders_.removeLast();
    }
    // The folder's strings are shared by all its favorites, so many favorites cost little.
    void Shortcut(const QString& path, const QString& name) override
    {
        FileLink link(paths_.last(), folders_.last(), name, notes_);
        // A pipe or device named like a shortcut is no favorite: said once, and not counted.
        if (!link.IsStillThere()) {
            notes_(QStringLiteral("favorites: skipped %1: not a regular file").arg(Printable(path)));
            return;
        }
        links_.push_back(std::move(link));
    }
    void Unwalkable(const QString& path, const QString& reason) override
    {
        notes_(QStringLiteral("favorites: skipped %1: %2").arg(Printable(path), reason));
    }

private:
    std::vector<FileLink>& links_;
    const Notes& notes_;
    QStringList paths_;
    QStringList folders_;
};

// While alive, Ctrl+C and termination requests go to `stop` as events; afterwards, and once
// released, they end the program as usual.
class StopSignals
{
public:
    explicit StopSignals(const std::function<void(int)>& stop)
    {
        desktop::OnSignal(SIGINT, stop);
        desktop::OnSignal(SIGTERM, stop);
    }
    ~StopSignals() { Release(); }
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    static void Release()
    {
        desktop::DefaultSignal(SIGINT);
        desktop::DefaultSignal(SIGTERM);
    }
};

CheckedRow RowOf(const FileLink& link, const LinkOutcome& outcome)
{
    CheckedRow row{link.Folder(),       link.Found(),    outcome.Url,         outcome.Status,
                   outcome.RedirectUrl, outcome.NewName, outcome.Milliseconds};
    // A favorite whose own options cannot be read is not probed, but has an address to show.
    if (row.Url.isEmpty())
        row.Url = ReadWholeProfileString(QStringLiteral("InternetShortcut"), QStringLiteral("URL"),
                                         ShortcutFilePath(link.FolderPath(), link.Name()));
    return row;
}

// The favorites that did not answer, one a line, for a run without a report file.
void ListProblems(std::ostream& out, const CheckReport& report)
{
    for (const CheckedRow& row : report.Rows) {
        const Verdict verdict = VerdictOf(row.Status);
        if (verdict == Verdict::Answered)
            continue;
        const QString where = row.Folder.isEmpty() ? row.Name : row.Folder + QLatin1Char('/') + row.Name;
        out << (verdict == Verdict::Broken ? QStringLiteral("broken %1  ").arg(row.Status)
                                           : QStringLiteral("no reply  "))
            << Printable(where) << "  " << Printable(row.Url) << "\n";
    }
}

QString Summary(const CheckReport& report)
{
    const CheckTotals totals = report.Totals();
    const auto number = [](int n) { return QString::number(n); };
    // One pass over the text: a folder's name may hold "%1" itself.
    return QStringLiteral("%1 %2 of %3 favorites in %4: %5 answered, %6 broken, %7 no reply; %8 %9.\n")
        .arg(report.Stopped ? QStringLiteral("Stopped after checking") : QStringLiteral("Checked"),
             number(totals.Checked), number(totals.Favorites), Printable(report.Folder), number(totals.Answered),
             number(totals.Broken), number(totals.NoReply),
             number(totals.Moved) + (report.DryRun ? QStringLiteral(" would be moved,") : QStringLiteral(" moved,")),
             number(totals.Renamed) + (report.DryRun ? QStringLiteral(" renamed (a dry run: nothing was changed)")
                                                     : QStringLiteral(" renamed")));
}
} // namespace

int RunCheck(const QStringList& args, Console& console)
{
    QString folder;
    QString reportPath;
    QString timeoutText;
    bool dryRun = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (OptionValue(args, i, {QStringLiteral("--report")}, reportPath) ||
            OptionValue(args, i, {QStringLiteral("--timeout")}, timeoutText))
            continue;
        if (args[i] == QStringLiteral("--dry-run")) {
            dryRun = true;
            continue;
        }
        if (args[i] == QStringLiteral("--help") || args[i] == QStringLiteral("-h")) {
            console.Out << "usage: " << Usage << "\n";
            return 0;
        }
        if (args[i].startsWith(QLatin1Char('-')) || !folder.isEmpty())
            return UsageError(console, QStringLiteral("unexpected argument ") + args[i]);
        folder = args[i];
    }

    int timeout = 0;
    if (!timeoutText.isEmpty()) {
        bool number = false;
        timeout = timeoutText.toInt(&number);
        // A favorite without a time-out of its own reads the global one as at most four digits.
        if (!number || timeout < 1 || timeout > 9999)
            return UsageError(console,
                              QStringLiteral("--timeout takes milliseconds from 1 to 9999, not ") + timeoutText);
    }
    const ReportFormat format = reportPath.isEmpty() ? ReportFormat::Unknown : ReportFormatOf(reportPath);
    if (!reportPath.isEmpty()) {
        if (format == ReportFormat::Unknown)
            return UsageError(console,
                              QStringLiteral("the report's name must end in .csv, .json or .html: ") + reportPath);
        if (QFileInfo(reportPath).isDir())
            return SetUpError(console,
                              QStringLiteral("the report %1 is a folder; name a file").arg(Printable(reportPath)));
        // Found out now, not after a run of an hour.
        QSaveFile trial(reportPath);
        if (!trial.open(QIODevice::WriteOnly))
            return SetUpError(
                console,
                QStringLiteral("cannot write the report %1: %2").arg(Printable(reportPath), trial.errorString()));
        trial.cancelWriting();
    }

    QString problem;
    if (!ReadCheckSettings(folder, problem))
        return SetUpError(console, problem);
    if (timeout > 0)
        AppSettings.Timeout = static_cast<int16_t>(timeout);
    if (!QFileInfo(folder).isDir())
        return SetUpError(console, QStringLiteral("there is no folder %1 to check").arg(Printable(folder)));

    std::function<void(const QString&)> notes = [&console](const QString& text) { console.Err << text << "\n"; };
    std::vector<FileLink> links;
    try {
        LinkCollector collector(folder, links, notes);
        WalkFavorites(folder, collector);
    } catch (const runtime::Error& error) {
        return SetUpError(console, QStringLiteral("cannot read the folder %1: %2")
                                       .arg(Printable(folder), QString::fromStdString(error.Description())));
    }

    CheckReport report;
    report.Folder = QDir::cleanPath(QDir(folder).absolutePath());
    report.Favorites = static_cast<int>(links.size());
    report.DryRun = dryRun;
    CheckProgress progress(console.Err, console.ErrColumns, report.Favorites);
    notes = [&progress](const QString& text) { progress.Note(text); };
    progress.Note(
        QStringLiteral("Checking %1 favorites in %2%3")
            .arg(report.Favorites)
            .arg(Printable(report.Folder), dryRun ? QStringLiteral(" (a dry run: nothing is changed)") : QString()));

    // Ctrl+C or a termination request stops the run between two favorites, as Stop Checking
    // does; a second one ends the program at once.
    int stoppedBy = 0;
    const StopSignals stopSignals([&stoppedBy, &progress](int signal) {
        if (stoppedBy == 0)
            progress.Note(QStringLiteral("Stopping after the favorites being checked; Ctrl+C again ends at once."));
        stoppedBy = signal;
        StopSignals::Release();
    });
    QTimer ticks;
    QObject::connect(&ticks, &QTimer::timeout, [&progress] { progress.Tick(); });
    if (console.ErrColumns > 0)
        ticks.start(250);

    std::vector<CheckedLink*> order;
    order.reserve(links.size());
    for (FileLink& link : links)
        order.push_back(&link);
    report.Started = QDateTime::currentDateTime();
    CheckRun(CheckRunLimits{}, dryRun)
        .Run(
            order, [&stoppedBy] { return stoppedBy == 0; },
            [&](size_t index, const LinkOutcome& outcome) {
                // A favorite gone before its turn has no row, but its turn has passed.
                const Verdict verdict = outcome.Checked ? VerdictOf(outcome.Status) : Verdict::Answered;
                progress.Checked(verdict == Verdict::Broken, verdict == Verdict::NoReply);
                if (outcome.Checked)
                    report.Rows.push_back(RowOf(links[index], outcome));
            });
    report.Ended = QDateTime::currentDateTime();
    ticks.stop();
    report.Stopped = stoppedBy != 0;
    progress.Finish();

    if (!reportPath.isEmpty()) {
        // The report appears whole or not at all.
        QSaveFile file(reportPath);
        if (!file.open(QIODevice::WriteOnly) || !WriteReport(file, report, format) || !file.commit())
            return SetUpError(
                console,
                QStringLiteral("cannot write the report %1: %2").arg(Printable(reportPath), file.errorString()));
    } else {
        ListProblems(console.Out, report);
    }
    console.Out << Summary(report);
    if (!reportPath.isEmpty())
        console.Out << "Report: " << Printable(QFileInfo(reportPath).absoluteFilePath()) << "\n";
    console.Out.flush();

    if (report.Stopped)
        return 128 + stoppedBy;
    const CheckTotals totals = report.Totals();
    return totals.Broken + totals.NoReply > 0 ? 1 : 0;
}
