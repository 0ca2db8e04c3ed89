#pragma once
#include <QString>

// Names of favorites and folders on disk: the characters no name may hold, how a name from
// outside (a typed label, a page title, a bookmark file) becomes a safe one, and where a
// favorite's shortcut file lies.

// The nine characters no file or folder name may hold (\ / : * ? < > | and the double
// quote) become "-"; the length stays the same.
QString ReplaceInvalidNameCharacters(const QString& name);

// The nine characters no file or folder name may hold become "-", and tab, line feed and
// carriage return become a space; the length stays the same.
QString CleanName(const QString& name);

// The name a folder or favorite is given on disk for `newName`: cleaned, cut at a character
// boundary to fit the file system (with room for ".url" for a favorite), never leaving its
// folder. Raises error 52 (bad file name) for an empty name, and for "." or ".." as a folder.
// The result carries no extension.
QString DiskItemName(const QString& newName, bool folder);

// Whether a file name is an Internet shortcut's: its last four characters are ".URL" in
// any letter case.
bool IsShortcutFileName(const QString& fileName);

// The path of the shortcut file of the favorite `text` in a folder, found whatever the letter
// case of its name on disk.
QString ShortcutFilePath(const QString& folderPath, const QString& text);

// Renames the favorite `name` of a folder after `newName`, made a disk name as above, and
// returns the name it has now; its file keeps its content and ends in ".url". Raises 58 when
// another item of that name is already in the folder, and the file system's errors otherwise.
QString RenameFavoriteFile(const QString& folderPath, const QString& name, const QString& newName);
