#include "tools/favorites/Commands.h"

#include "platform/runtime/ErrorRecord.h"
#include "tools/favorites/BookmarkExport.h"
#include "tools/favorites/BookmarkImport.h"
#include "tools/favorites/BookmarkParser.h"
#include "tools/favorites/BookmarkWriter.h"
#include "tools/favorites/CommandLine.h"
#include "tools/favorites/FavoritesFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <ostream>
#include <string>

namespace
{
// No browser writes a bookmark file this large; reading one whole must stay within memory.
constexpr qint64 MaxBookmarkFileSize = qint64{512} << 20;

int Fail(Console& console, const QString& message)
{
    console.Err << "favorites: " << message << "\n";
    return 1;
}

int UsageError(Console& console, const QString& problem, const char* usage)
{
    console.Err << "favorites: " << problem << "\nusage: " << usage << "\n";
    return 1;
}

QString Counted(qsizetype count, const char* one, const char* many)
{
    return QString::number(count) + QLatin1Char(' ') + QString::fromUtf8(count == 1 ? one : many);
}

QString SkippedText(const BookmarkFile& file)
{
    static const char* const reasons[][2] = {{"separator", "separators"},
                                             {"entry without an address", "entries without an address"},
                                             {"javascript: address", "javascript: addresses"},
                                             {"place: query", "place: queries"}};
    int total = 0;
    QStringList parts;
    for (size_t i = 0; i < file.Skipped.size(); ++i) {
        total += file.Skipped[i];
        if (file.Skipped[i] > 0)
            parts.append(Counted(file.Skipped[i], reasons[i][0], reasons[i][1]));
    }
    return QString::number(total) + QStringLiteral(" skipped") +
           (parts.isEmpty() ? QString() : QStringLiteral(" (") + parts.join(QStringLiteral(", ")) + QLatin1Char(')'));
}
} // namespace

int RunImport(const QStringList& args, Console& console)
{
    const char* usage = "favorites import FILE [--into FOLDER]";
    QString source;
    QString into;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (OptionValue(args, i, {QStringLiteral("--into")}, into))
            continue;
        if (args[i].startsWith(QLatin1Char('-')) || !source.isEmpty())
            return UsageError(console, QStringLiteral("unexpected argument ") + args[i], usage);
        source = args[i];
    }
    if (source.isEmpty())
        return UsageError(console, QStringLiteral("which bookmark file?"), usage);

    QFile input(source);
    if (!input.open(QIODevice::ReadOnly))
        return Fail(console, QStringLiteral("cannot read %1: %2").arg(source, input.errorString()));
    const QByteArray bytes = input.read(MaxBookmarkFileSize + 1);
    if (bytes.size() > MaxBookmarkFileSize)
        return Fail(console, QStringLiteral("%1 is too large for a bookmark file").arg(source));
    BookmarkFile file;
    try {
        file = ParseBookmarkFile(bytes);
    } catch (const BookmarkFileError& error) {
        return Fail(console,
                    QStringLiteral("%1, line %2: %3").arg(source).arg(error.Line).arg(QString::fromUtf8(error.what())));
    }

    QString target;
    ImportReport report;
    try {
        if (into.isEmpty()) {
            QString problem;
            const QString favorites = ReadFavoritesFolder(problem);
            if (favorites.isEmpty())
                return Fail(console, problem);
            target = CreateImportFolder(favorites, file.Title);
        } else {
            if (QFileInfo(into).exists() && !QFileInfo(into).isDir())
                return Fail(console, QStringLiteral("%1 is not a folder").arg(into));
            if (!QDir().mkpath(into))
                return Fail(console, QStringLiteral("cannot create the folder %1").arg(into));
            target = into;
        }
        const DeferredSync sync(target);
        report = ImportBookmarks(file, target);
    } catch (const ImportError& error) {
        console.Err << "favorites: " << error.what() << "\n";
        if (!target.isEmpty())
            console.Err << "The favorites written into " << target << " before it stay there.\n";
        return 1;
    }
    console.Out << "Imported " << source << " into " << target << ":\n"
                << Counted(report.Folders, "folder", "folders") << ", "
                << Counted(report.Favorites, "favorite", "favorites") << " written, " << SkippedText(file) << ".\n";
    return 0;
}

int RunExport(const QStringList& args, Console& console)
{
    const char* usage = "favorites export [FOLDER] [-o FILE]";
    QString folder;
    QString output;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (OptionValue(args, i, {QStringLiteral("-o"), QStringLiteral("--output")}, output))
            continue;
        if (args[i].startsWith(QLatin1Char('-')) || !folder.isEmpty())
            return UsageError(console, QStringLiteral("unexpected argument ") + args[i], usage);
        folder = args[i];
    }
    QString title = QStringLiteral("Favorites");
    if (folder.isEmpty()) {
        QString problem;
        folder = ReadFavoritesFolder(problem);
        if (folder.isEmpty())
            return Fail(console, problem);
    } else if (const QString name = QFileInfo(QDir::cleanPath(QDir(folder).absolutePath())).fileName();
               !name.isEmpty()) {
        title = name;
    }
    if (!output.isEmpty() && QFileInfo(output).isDir())
        return Fail(console, QStringLiteral("%1 is a folder").arg(output));

    // A file is replaced only once it is whole; until then the old one stays.
    QSaveFile file(output);
    if (!output.isEmpty() && !file.open(QIODevice::WriteOnly))
        return Fail(console, QStringLiteral("cannot write %1: %2").arg(output, file.errorString()));
    BookmarkWriter writer([&](std::string_view piece) {
        if (!output.isEmpty())
            return file.write(piece.data(), static_cast<qint64>(piece.size())) == static_cast<qint64>(piece.size());
        console.Out.write(piece.data(), static_cast<std::streamsize>(piece.size()));
        return console.Out.good();
    });
    ExportReport report;
    try {
        report = ExportFavorites(folder, title, writer);
    } catch (const runtime::Error& error) {
        return Fail(console,
                    QStringLiteral("cannot read %1: %2").arg(folder, QString::fromStdString(error.Description())));
    }
    if (!writer.End() || (!output.isEmpty() && !file.commit()))
        return Fail(console,
                    QStringLiteral("cannot write %1").arg(output.isEmpty() ? QStringLiteral("the bookmarks") : output));

    for (const QString& skipped : report.Skipped)
        console.Err << "favorites: skipped " << skipped << "\n";
    std::ostream& summary = output.isEmpty() ? console.Err : console.Out;
    summary << "Exported " << Counted(report.Favorites, "favorite", "favorites") << " in "
            << Counted(report.Folders, "folder", "folders")
            << (output.isEmpty() ? QString() : QStringLiteral(" to ") + output) << ", " << report.Skipped.size()
            << " skipped.\n";
    return 0;
}
