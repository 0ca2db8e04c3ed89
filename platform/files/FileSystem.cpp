#include "platform/files/FileSystem.h"

#include "platform/runtime/ErrorRecord.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <fcntl.h>
#include <dirent.h>
#include <memory>
#include <sys/stat.h>

namespace files
{

namespace
{
// Closes a directory stream however the listing ends.
struct DirCloser
{
    void operator()(DIR* dir) const { closedir(dir); }
};

bool IsFolder(const QByteArray& encodedPath, unsigned char type, bool& isLink)
{
    isLink = type == DT_LNK;
    if (type == DT_DIR)
        return true;
    if (type != DT_LNK && type != DT_UNKNOWN)
        return false;
    struct stat info
    {
    };
    if (type == DT_UNKNOWN) {
        if (lstat(encodedPath.constData(), &info) != 0)
            return false;
        isLink = S_ISLNK(info.st_mode);
        if (!isLink)
            return S_ISDIR(info.st_mode);
    }
    if (stat(encodedPath.constData(), &info) != 0)
        return false; // a dangling link is listed as a file
    return S_ISDIR(info.st_mode);
}

void SortByName(QList<FolderItem>& items)
{
    std::sort(items.begin(), items.end(), [](const FolderItem& a, const FolderItem& b) { return NameLess(a.Name, b.Name); });
}

int CaseDifferences(const QString& a, const QString& b)
{
    int differences = 0;
    for (qsizetype i = 0; i < a.size() && i < b.size(); ++i)
        differences += a[i] != b[i] ? 1 : 0;
    return differences;
}

QString Joined(const QString& folder, const QString& name)
{
    if (folder.endsWith(QLatin1Char('/')))
        return folder + name;
    return folder + QLatin1Char('/') + name;
}
} // namespace

void RaiseErrno(int error, const QString& path)
{
    Q_UNUSED(path);
    switch (error) {
    case ENOENT:
        throw runtime::Error(runtime::PathNotFound);
    case ENOTDIR:
        throw runtime::Error(runtime::PathNotFound);
    case EACCES:
    case EPERM:
    case EROFS:
        throw runtime::Error(runtime::PermissionDenied);
    case EEXIST:
    case ENOTEMPTY:
        throw runtime::Error(runtime::FileAlreadyExists);
    default:
        throw runtime::Error(runtime::PathFileAccessError);
    }
}

bool NameLess(const QString& a, const QString& b)
{
    const int folded = a.compare(b, Qt::CaseInsensitive);
    if (folded != 0)
        return folded < 0;
    return a < b;
}

FolderListing ListFolder(const QString& folderPath)
{
    const QByteArray encoded = QFile::encodeName(folderPath);
    std::unique_ptr<DIR, DirCloser> dir(opendir(encoded.constData()));
    if (!dir)
        RaiseErrno(errno, folderPath);

    FolderListing listing;
    QByteArray itemPath = encoded;
    if (!itemPath.endsWith('/'))
        itemPath.append('/');
    const qsizetype prefixLength = itemPath.size();
    for (;;) {
        errno = 0; // readdir reports its failures only through errno
        const dirent* entry = readdir(dir.get());
        if (!entry) {
            if (errno != 0)
                RaiseErrno(errno, folderPath);
            break;
        }
        const char* name = entry->d_name;
        if ((name[0] == '.' && name[1] == '\0') || (name[0] == '.' && name[1] == '.' && name[2] == '\0'))
            continue;
        itemPath.truncate(prefixLength);
        itemPath.append(name);
        FolderItem item;
        item.Name = QFile::decodeName(name);
        item.Path = Joined(folderPath, item.Name);
        if (IsFolder(itemPath, entry->d_type, item.IsLink))
            listing.SubFolders.append(std::move(item));
        else
            listing.Files.append(std::move(item));
    }
    SortByName(listing.Files);
    SortByName(listing.SubFolders);
    return listing;
}

QList<FolderItem> ListFiles(const QString& folderPath)
{
    return ListFolder(folderPath).Files;
}

QList<FolderItem> ListSubFolders(const QString& folderPath)
{
    return ListFolder(folderPath).SubFolders;
}

QString ResolvePath(const QString& path)
{
    if (path.isEmpty() || QFileInfo::exists(path) || QFileInfo(path).isSymLink())
        return path;
    const QStringList parts = path.split(QLatin1Char('/'));
    QString resolved = path.startsWith(QLatin1Char('/')) ? QStringLiteral("/") : QString();
    bool matching = true;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QString& part = parts[i];
        if (part.isEmpty())
            continue;
        QString candidate = resolved.isEmpty() ? part : Joined(resolved, part);
        if (matching && !QFileInfo(candidate).exists() && !QFileInfo(candidate).isSymLink()) {
            matching = false;
            const QDir folder(resolved.isEmpty() ? QStringLiteral(".") : resolved);
            QStringList names = folder.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
            std::sort(names.begin(), names.end(), NameLess);
            // Of several names that differ only in letter case, the one closest to what was
            // asked for wins ("b.URL" finds "b.url" before "B.url").
            int fewest = -1;
            for (const QString& name : names) {
                if (name.compare(part, Qt::CaseInsensitive) != 0)
                    continue;
                const int differences = CaseDifferences(name, part);
                if (fewest < 0 || differences < fewest) {
                    fewest = differences;
                    candidate = resolved.isEmpty() ? name : Joined(resolved, name);
                    matching = true;
                }
            }
        }
        resolved = candidate;
    }
    if (path.endsWith(QLatin1Char('/')) && !resolved.endsWith(QLatin1Char('/')))
        resolved.append(QLatin1Char('/'));
    return resolved;
}

void RenameItem(const QString& path, const QString& newName)
{
    const QFileInfo item(path);
    if (!item.exists() && !item.isSymLink())
        throw runtime::Error(QFileInfo(item.absolutePath()).isDir() ? runtime::FileNotFound : runtime::PathNotFound);
    const QString folder = item.absolutePath();
    const QString oldName = item.fileName();
    if (newName == oldName)
        return;
    // The names are meant to be told apart without regard to letter case: another item that
    // differs only in case is a clash, the item itself is not.
    const QStringList names = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& name : names) {
        if (name != oldName && name.compare(newName, Qt::CaseInsensitive) == 0)
            throw runtime::Error(runtime::FileAlreadyExists);
    }
    const QByteArray from = QFile::encodeName(path);
    const QByteArray to = QFile::encodeName(Joined(folder, newName));
    // RENAME_NOREPLACE closes the gap between the check above and the rename.
    if (renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return;
    if (errno != EINVAL && errno != ENOSYS)
        RaiseErrno(errno, path);
    struct stat existing
    {
    };
    if (lstat(to.constData(), &existing) == 0)
        throw runtime::Error(runtime::FileAlreadyExists);
    if (rename(from.constData(), to.constData()) != 0)
        RaiseErrno(errno, path);
}

QString FitName(const QString& name, const QString& suffix)
{
    const qsizetype limit = NAME_MAX - QFile::encodeName(suffix).size();
    if (QFile::encodeName(name).size() <= limit)
        return name;
    QString fitted;
    qsizetype used = 0;
    for (qsizetype i = 0; i < name.size();) {
        // A surrogate pair is one character: both halves go, or neither.
        const qsizetype width = (name[i].isHighSurrogate() && i + 1 < name.size()) ? 2 : 1;
        const QString character = name.mid(i, width);
        const qsizetype bytes = QFile::encodeName(character).size();
        if (used + bytes > limit)
            break;
        fitted += character;
        used += bytes;
        i += width;
    }
    return fitted;
}

QString CanonicalPath(const QString& path)
{
    return QFileInfo(path).canonicalFilePath();
}

} // namespace files
