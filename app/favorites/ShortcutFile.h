#pragma once
#include <QString>

#include <cstdint>

// Internet shortcut files: the link's address in [InternetShortcut] URL, and the program's
// own per-link options in [Orrindale] Timeout and Rename.

// Reads one value through the profile functions: `size` is the buffer in characters with
// its NUL, so at most size - 1 characters come back.
QString ReadProfileString(const QString& section, const QString& key, const QString& defaultValue, int size,
                          const QString& filePath);
// Reads one value whole, however long: an address cut at its buffer would be probed and
// opened wrong. The buffer grows until the value fits.
QString ReadWholeProfileString(const QString& section, const QString& key, const QString& filePath);
// Writes one value; a null key removes the section, a null value the key. Values that would
// add lines to the file (CR, LF, NUL) are refused. Returns false when nothing was written.
bool WriteProfileString(const QString& section, const QString& key, const QString& value, const QString& filePath);

// What a check needs of one favorite: its address and its own options, which travel with the
// probe of that favorite.
struct Shortcut
{
    QString Url;             // the address, read whole
    int16_t LinkTimeout = 0; // reply time-out in milliseconds: the file's own, else the global one
    bool LinkRename = false; // a check may change the favorite: the file's own, else ChangeName
};

// Reads the favorite `text` of the folder folderPath. A Timeout or Rename that is not a
// number raises a conversion error.
Shortcut ReadShortcut(const QString& folderPath, const QString& text);
