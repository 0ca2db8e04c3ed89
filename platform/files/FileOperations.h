#pragma once
#include <QString>

// Creating, copying, moving and deleting files and folders in the Favorites. Paths are
// matched without regard to letter case where no exact match exists, as the listing does.
// Failures are raised as runtime::Error: 53 file not found, 76 path not found, 58 already
// exists, 70 permission denied, 52 a name no file or folder may have, 5 a folder copied or
// moved into itself, 75 any other access failure.
namespace files
{

// Whether a folder (or something that leads to one) is at the path.
bool FolderExists(const QString& path);
// Whether a file, or anything else that is not a folder, is at the path.
bool FileExists(const QString& path);

// Whether `path`, which need not exist yet, is `folder` itself or lies somewhere inside it,
// with symbolic links followed on both sides.
bool LiesWithin(const QString& path, const QString& folder);

// Copies the file to `destination`, replacing a file that is already there. The copy is
// written beside the destination first and then renamed over it, so a failed copy never
// leaves a half-written file behind.
void CopyFile(const QString& source, const QString& destination);

// Copies the folder with everything in it to `destination`. A folder already there is
// merged into and its files of the same names are replaced. Symbolic links inside are copied
// as links, never followed, and items that are neither files, folders nor links are left out.
void CopyFolder(const QString& source, const QString& destination);

// Moves the file to `destination`, also onto another file system. Nothing may be at the
// destination yet (58).
void MoveFile(const QString& source, const QString& destination);

// Moves the folder with everything in it to `destination`, also onto another file system.
// Nothing may be at the destination yet (58); a destination inside the folder is refused (5).
void MoveFolder(const QString& source, const QString& destination);

// Deletes the file for good, read-only or not. A symbolic link is deleted, not its target.
void DeleteFile(const QString& path);

// Deletes the folder with everything in it for good, read-only items and folders included.
// A symbolic link to a folder is deleted itself; nothing it leads to is touched.
void DeleteFolder(const QString& path);

// Creates one folder inside an existing one. Raises 58 when an item of that name, in any
// letter case, is already there, 76 when the containing folder is missing, and 52 for an
// empty name, "." or "..".
void CreateFolder(const QString& path);

} // namespace files
