#include "tools/favorites/BookmarkImport.h"

#include "app/favorites/FavoriteNames.h"
#include "app/favorites/ShortcutFile.h"
#include "platform/files/FileSystem.h"
#include "platform/runtime/ErrorRecord.h"
#include "platform/win32/AnsiCodePage.h"
#include "platform/win32/ProfileStrings.h"
#include "tools/favorites/BookmarkParser.h"

#include <QFile>
#include <QHash>
#include <QSet>
#include <QUrl>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace
{
const QString UrlExtension = QStringLiteral(".url");

[[noreturn]] void Fail(const QString& path, const char* reason)
{
    throw ImportError("cannot create \"" + path.toStdString() + "\": " + reason);
}

[[noreturn]] void Fail(const QString& path, int error)
{
    Fail(path, std::strerror(error));
}

// The names in one folder being written, compared without regard to letter case, as the
// program compares them, and for each name that clashed the next number to try.
class FolderNames
{
public:
    void Take(const QString& fileName) { taken_.insert(fileName.toCaseFolded()); }

    // The first of `name`, "name (2)", "name (3)", ... that is free, with its extension.
    QString Free(const QString& name, const QString& extension)
    {
        const QString plain = name + extension;
        const QString key = plain.toCaseFolded();
        if (!taken_.contains(key))
            return plain;
        int& next = next_[key];
        for (next = std::max(next, 2);; ++next) {
            const QString suffix = QStringLiteral(" (%1)").arg(next) + extension;
            const QString numbered = files::FitName(name, suffix) + suffix;
            if (!taken_.contains(numbered.toCaseFolded()))
                return numbered;
        }
    }

private:
    QSet<QString> taken_;
    QHash<QString, int> next_;
};

// A folder being filled: its path and the names in it.
struct Level
{
    QString Path;
    FolderNames Names;
};

Level ExistingLevel(const QString& folder)
{
    Level level{folder, {}};
    try {
        const files::FolderListing listing = files::ListFolder(folder);
        for (const files::FolderItem& item : listing.Files)
            level.Names.Take(item.Name);
        for (const files::FolderItem& item : listing.SubFolders)
            level.Names.Take(item.Name);
    } catch (const runtime::Error& error) {
        throw ImportError("cannot read \"" + folder.toStdString() + "\": " + error.Description());
    }
    return level;
}

// Creates a new folder in `parent`; mkdir itself refuses a name taken since the listing.
QString CreateFolderIn(Level& parent, const QString& name)
{
    for (;;) {
        const QString free = parent.Names.Free(name, QString());
        parent.Names.Take(free);
        const QString path = parent.Path + QLatin1Char('/') + free;
        if (::mkdir(QFile::encodeName(path).constData(), 0777) == 0)
            return path;
        if (errno != EEXIST)
            Fail(path, errno);
    }
}

// Whether anything, a dangling link included, is at the path.
bool Occupied(const QString& path)
{
    struct stat info
    {
    };
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0;
}

void SetModified(const QString& path, int64_t seconds)
{
    timespec times[2] = {{0, UTIME_OMIT}, {static_cast<time_t>(seconds), 0}};
    ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0);
}

bool Holdable(char16_t c)
{
    if (c < 0x20 || (c >= 0x7F && c <= 0x9F))
        return false;
    return c == u'?' || win32::CharToAnsi(c) != '?';
}

bool AllHoldable(const QString& text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return Holdable(c.unicode()); });
}

QString PercentEncoded(const QString& url)
{
    if (AllHoldable(url))
        return url;
    const QUrl parsed(url);
    if (parsed.isValid()) {
        const QString encoded = QString::fromLatin1(parsed.toEncoded());
        if (!encoded.isEmpty() && AllHoldable(encoded))
            return encoded;
    }
    // An address QUrl refuses keeps its own form: only what the code page cannot hold is
    // percent-encoded, as UTF-8.
    QString out;
    for (qsizetype i = 0; i < url.size(); ++i) {
        const qsizetype width = url[i].isHighSurrogate() && i + 1 < url.size() ? 2 : 1;
        if (width == 1 && Holdable(url[i].unicode())) {
            out += url[i];
            continue;
        }
        for (const char byte : url.mid(i, width).toUtf8())
            out += QStringLiteral("%%1").arg(static_cast<unsigned char>(byte), 2, 16, QLatin1Char('0')).toUpper();
        i += width - 1;
    }
    return out;
}
} // namespace

QString ImportedName(const QString& name, bool folder, const QString& fallback)
{
    QString cleaned = name;
    for (QChar& c : cleaned) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F || (c.unicode() >= 0x80 && c.unicode() <= 0x9F))
            c = QLatin1Char(' ');
    }
    try {
        return DiskItemName(cleaned, folder);
    } catch (const runtime::Error&) {
        return name == fallback ? QStringLiteral("New Folder") : ImportedName(fallback, folder, fallback);
    }
}

QString ShortcutAddress(const QString& url)
{
    QString address = PercentEncoded(url);
    // The profile functions take a pair of quotes around a value away; such an address keeps
    // them with its first quote percent-encoded.
    if (address.size() >= 2 && (address.front() == u'"' || address.front() == u'\'') &&
        address.back() == address.front())
        address.replace(0, 1, address.front() == u'"' ? QStringLiteral("%22") : QStringLiteral("%27"));
    return address;
}

DeferredSync::DeferredSync(const QString& folder)
    : fd_(::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC))
{
    win32::SetProfileWriteSync(false);
}

DeferredSync::~DeferredSync()
{
    win32::SetProfileWriteSync(true);
    if (fd_ >= 0) {
        ::syncfs(fd_);
        ::close(fd_);
    }
}

QString CreateImportFolder(const QString& parent, const QString& title)
{
    Level level = ExistingLevel(parent);
    return CreateFolderIn(level, ImportedName(title, true, QStringLiteral("Imported Bookmarks")));
}

ImportReport ImportBookmarks(const BookmarkFile& file, const QString& target)
{
    ImportReport report;
    std::vector<Level> levels;
    levels.push_back(ExistingLevel(target));
    for (const BookmarkItem& item : file.Items) {
        if (item.Type == BookmarkItem::EndOfFolder) {
            if (levels.size() > 1)
                levels.pop_back();
        } else if (item.Type == BookmarkItem::Folder) {
            const QString path =
                CreateFolderIn(levels.back(), ImportedName(item.Name, true, QStringLiteral("New Folder")));
            levels.push_back(Level{path, {}});
            ++report.Folders;
        } else {
            Level& folder = levels.back();
            const QString name = ImportedName(item.Name, false, item.Url);
            // The names were listed when the import began; anything that appeared since is
            // passed over as well.
            QString path;
            do {
                const QString fileName = folder.Names.Free(name, UrlExtension);
                folder.Names.Take(fileName);
                path = folder.Path + QLatin1Char('/') + fileName;
            } while (Occupied(path));
            if (!WriteProfileString(QStringLiteral("InternetShortcut"), QStringLiteral("URL"),
                                    ShortcutAddress(item.Url), path))
                Fail(path, "the shortcut file could not be written");
            if (const int64_t modified = item.LastModified > 0 ? item.LastModified : item.AddDate; modified > 0)
                SetModified(path, modified);
            ++report.Favorites;
        }
    }
    return report;
}
