#pragma once
#include <QString>

#include <stdexcept>
#include <string>

struct BookmarkFile;

struct ImportReport
{
    int Folders = 0;
    int Favorites = 0;
};

// A folder or favorite that could not be created; what was written before it stays.
class ImportError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// Writes the folders of `file` as folders and its bookmarks as shortcut files into the
// existing folder `target`, in the file's order. Nothing that exists is ever changed: a name
// already there, in any letter case, gets " (2)", " (3)", ... before its extension. Each
// shortcut goes through the program's profile writer, which writes a temporary file and
// renames it, so a run killed halfway leaves no half-written favorite. Raises ImportError at
// the first item that cannot be created.
ImportReport ImportBookmarks(const BookmarkFile& file, const QString& target);

// While alive, shortcut files are written without waiting for the disk one by one, which would
// make an import of thousands take minutes; the file system holding `folder` is synced once
// when it ends, however the import ends.
class DeferredSync
{
public:
    explicit DeferredSync(const QString& folder);
    ~DeferredSync();
    DeferredSync(const DeferredSync&) = delete;
    DeferredSync& operator=(const DeferredSync&) = delete;

private:
    int fd_;
};

// Creates the folder an import goes into inside `parent`: named after the file's heading
// `title`, or "Imported Bookmarks", numbered like any other clash. Returns its path.
QString CreateImportFolder(const QString& parent, const QString& title);

// The name on disk of a folder or favorite from a bookmark file: cleaned by the rules for
// names from outside, control characters made spaces, cut to fit. A name that stays unusable
// (empty, "." or "..") gives way to `fallback`.
QString ImportedName(const QString& name, bool folder, const QString& fallback);

// The address as a shortcut file in the ANSI code page can hold it: unchanged when it can,
// otherwise percent-encoded with its host name in IDNA form, so it still leads to the same
// place. Control characters are percent-encoded too, so none reaches the file.
QString ShortcutAddress(const QString& url);
