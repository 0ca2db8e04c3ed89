#pragma once
#include <QString>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

// Writes a bookmark file the way browsers write theirs: UTF-8, one entry a line, each list
// indented by its level, folders as <H3> with their <DL><p> list, bookmarks as <A HREF>.
class BookmarkWriter
{
public:
    // Takes the file in pieces; returns false when it cannot.
    using Sink = std::function<bool(std::string_view)>;

    explicit BookmarkWriter(Sink sink);

    void Begin(const QString& title);
    void StartFolder(const QString& name, int64_t added, int64_t modified);
    void EndFolder();
    void Bookmark(const QString& name, const QString& url, int64_t added, int64_t modified);
    // Closes the lists still open and hands over the rest; false when the sink failed anywhere.
    bool End();

private:
    void Line(const std::string& text);
    void Flush(size_t above);

    Sink sink_;
    std::string buffer_;
    int depth_ = 0;
    bool failed_ = false;
};

// The character reference that stands for a markup character (& < > " '), or nothing.
QLatin1StringView MarkupEntity(char16_t c);

// Text as it may stand in an element or in a quoted attribute: & < > " ' and control
// characters as character references, and so are spaces at either end, which a reader trims.
std::string EscapeHtml(const QString& text);
