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
