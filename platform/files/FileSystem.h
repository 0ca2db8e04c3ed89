#pragma once
#include <QList>
#include <QString>

// File-system operations for the Favorites. Failures are raised as runtime::Error with the
// numbers the program handles: 53 file not found, 76 path not found, 70 permission denied,
// 58 already exists, 75 any other access failure.
namespace files
{

// One item of a folder listing.
struct FolderItem
{
    QString Name;   // the name inside its folder
    QString Path;   // the folder's path + "/" + Name
    bool IsLink = false; // a symbolic link (the item is what it points to)
};

// A folder's direct files and subfolders, each sorted by name without regard to letter case.
// Hidden items are listed like any other; a link is listed as what it points to, and a
// dangling link as a file.
struct FolderListing
{
    QList<FolderItem> Files;
    QList<FolderItem> SubFolders;
};

FolderListing ListFolder(const QString& folderPath);
QList<FolderItem> ListFiles(const QString& folderPath);
QList<FolderItem> ListSubFolders(const QString& folderPath);

// The order in which listings come back: by name, ignoring letter case.
bool NameLess(const QString& a, const QString& b);

// The path as it exists on disk: each component that does not exist as written is matched
// against its folder's entries without regard to letter case. Components that match nothing
// are kept as written.
QString ResolvePath(const QString& path);

// Renames the file or folder at `path` inside its folder. Raises 58 when another item of
// that name (in any letter case) is already there, 53 or 76 when `path` is missing; a change
// of letter case alone is allowed.
void RenameItem(const QString& path, const QString& newName);

// The longest start of `name` that, followed by `suffix`, fits the file system's limit for
// one name; cut between characters, never inside one.
QString FitName(const QString& name, const QString& suffix = QString());

// The absolute path with every symbolic link resolved; empty when the path does not exist.
QString CanonicalPath(const QString& path);

// Raises the error that an errno value of a failed file-system call stands for.
[[noreturn]] void RaiseErrno(int error, const QString& path);

} // namespace files
