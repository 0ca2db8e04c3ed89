#include "tools/favorites/BookmarkWriter.h"

namespace
{
constexpr size_t FlushSize = 1 << 20;

std::string DateAttributes(int64_t added, int64_t modified)
{
    std::string text;
    if (added > 0)
        text += " ADD_DATE=\"" + std::to_string(added) + "\"";
    if (modified > 0)
        text += " LAST_MODIFIED=\"" + std::to_string(modified) + "\"";
    return text;
}
} // namespace

QLatin1StringView MarkupEntity(char16_t c)
{
    switch (c) {
    case u'&':
        return QLatin1StringView("&amp;");
    case u'<':
        return QLatin1StringView("&lt;");
    case u'>':
        return QLatin1StringView("&gt;");
    case u'"':
        return QLatin1StringView("&quot;");
    case u'\'':
        return QLatin1StringView("&#39;");
    default:
        return {};
    }
}

std::string EscapeHtml(const QString& text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text[first] == QLatin1Char(' '))
        ++first;
    while (last > first && text[last - 1] == QLatin1Char(' '))
        --last;
    QString out;
    out.reserve(text.size() + 16);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (const QLatin1StringView entity = MarkupEntity(c); !entity.isEmpty())
            out += entity;
        else if (c < 0x20 || c == 0x7F || (c == u' ' && (i < first || i >= last)))
            out += QStringLiteral("&#%1;").arg(int{c});
        else
            out += text[i];
    }
    return out.toStdString();
}

BookmarkWriter::BookmarkWriter(Sink sink) : sink_(std::move(sink)) {}

void BookmarkWriter::Begin(const QString& title)
{
    Line("<!DOCTYPE NETSCAPE-Bookmark-file-1>");
    Line("<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">");
    Line("<TITLE>Bookmarks</TITLE>");
    Line("<H1>" + EscapeHtml(title) + "</H1>");
    Line("<DL><p>");
    depth_ = 1;
}

// A folder's list stands at the indentation of its folder's line, as browsers write it.
void BookmarkWriter::StartFolder(const QString& name, int64_t added, int64_t modified)
{
    Line("<DT><H3" + DateAttributes(added, modified) + ">" + EscapeHtml(name) + "</H3>");
    Line("<DL><p>");
    ++depth_;
}

void BookmarkWriter::EndFolder()
{
    if (depth_ <= 1)
        return;
    --depth_;
    Line("</DL><p>");
}

void BookmarkWriter::Bookmark(const QString& name, const QString& url, int64_t added, int64_t modified)
{
    Line("<DT><A HREF=\"" + EscapeHtml(url) + "\"" + DateAttributes(added, modified) + ">" + EscapeHtml(name) + "</A>");
}

bool BookmarkWriter::End()
{
    while (depth_ > 0) {
        --depth_;
        Line("</DL><p>");
    }
    Flush(0);
    return !failed_;
}

void BookmarkWriter::Line(const std::string& text)
{
    buffer_.append(static_cast<size_t>(4 * depth_), ' ');
    buffer_ += text;
    buffer_ += '\n';
    Flush(FlushSize);
}

void BookmarkWriter::Flush(size_t above)
{
    if (buffer_.size() < above || buffer_.empty())
        return;
    if (!failed_ && !sink_(buffer_))
        failed_ = true;
    buffer_.clear();
}
