#pragma once
#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

// Reads the bookmark files browsers import and export (<!DOCTYPE NETSCAPE-Bookmark-file-1>):
// folders as <DT><H3>name</H3> followed by a <DL> list, bookmarks as <DT><A HREF>name</A>.
// The file is tag soup, so the parser is a small tokenizer of our own that takes the
// structure from the order of H3, DL, /DL and A alone; it never recurses on the input.

// Why an entry of a bookmark file is not taken over.
enum class SkipReason
{
    Separator, // <HR>
    NoAddress, // a feed or anything else without an HREF
    Script,    // a javascript: address
    Query,     // a place: query of the browser's own
    Count
};

// One step of the file's tree in document order: a folder opens, a folder ends, or a
// bookmark. Every Folder is matched by one EndOfFolder later on.
struct BookmarkItem
{
    enum Kind : uint8_t
    {
        Folder,
        EndOfFolder,
        Bookmark
    };
    Kind Type = Bookmark;
    QString Name;             // character references decoded, outer white space removed
    QString Url;              // bookmarks: the address, character references decoded
    int64_t AddDate = 0;      // seconds since 1970; 0 when the file gives none
    int64_t LastModified = 0; // likewise
};

struct BookmarkFile
{
    QString Title; // the text of the first <H1>; empty when there is none
    std::vector<BookmarkItem> Items;
    std::array<int, static_cast<size_t>(SkipReason::Count)> Skipped{};
};

// A file the parser cannot use, with the line where that shows.
class BookmarkFileError : public std::runtime_error
{
public:
    BookmarkFileError(int line, const std::string& message) : std::runtime_error(message), Line(line) {}
    int Line;
};

// Folders nested deeper than this are refused: no browser writes them, and each level costs
// a folder on disk whose path must still fit the file system.
constexpr int MaxFolderDepth = 100;

// Parses a whole bookmark file. Raises BookmarkFileError for a file that is no bookmark file,
// text that is not in its character set, a tag or comment left open at the end, or folders
// nested deeper than MaxFolderDepth.
BookmarkFile ParseBookmarkFile(const QByteArray& bytes);

// Decodes the character references of HTML text: &amp; &lt; &gt; &quot; &apos; &nbsp; and
// numeric ones. Unknown names stay as written; numbers that are no character become U+FFFD.
QString DecodeCharacterReferences(const QString& text);
