#include "tools/favorites/BookmarkParser.h"

#include "platform/win32/AnsiCodePage.h"

#include <QStringDecoder>

#include <algorithm>
#include <cstring>
#include <optional>
#include <string_view>

namespace
{
constexpr std::string_view BookmarkDoctype = "doctype netscape-bookmark-file-1";

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

bool IsLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

char Lower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string Lowered(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = Lower(c);
    return out;
}

std::string_view Trimmed(std::string_view text)
{
    while (!text.empty() && IsSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

struct Attribute
{
    std::string Name; // lower case
    std::string_view Value;
};

struct Tag
{
    std::string Name; // lower case
    bool End = false;
    std::vector<Attribute> Attributes;

    std::optional<std::string_view> Value(std::string_view name) const
    {
        for (const Attribute& attribute : Attributes) {
            if (attribute.Name == name)
                return attribute.Value;
        }
        return std::nullopt;
    }
};

// Seconds since 1970 from ADD_DATE or LAST_MODIFIED. Browsers write seconds; a few write
// milliseconds or microseconds, which are told apart by their size.
int64_t DateValue(std::optional<std::string_view> text)
{
    if (!text)
        return 0;
    int64_t value = 0;
    for (char c : Trimmed(*text)) {
        if (!IsDigit(c))
            return 0;
        if (value > 1'000'000'000'000'000'000)
            return 0;
        value = value * 10 + (c - '0');
    }
    if (value > 100'000'000'000'000)
        value /= 1'000'000;
    else if (value > 100'000'000'000)
        value /= 1'000;
    return value;
}

// The address as a browser takes it from the attribute: tabs and line breaks inside are
// dropped, control characters and spaces around it are cut off.
QString CleanAddress(const QString& href)
{
    QString url;
    url.reserve(href.size());
    for (QChar c : href) {
        if (c != QLatin1Char('\t') && c != QLatin1Char('\n') && c != QLatin1Char('\r'))
            url += c;
    }
    qsizetype first = 0;
    qsizetype last = url.size();
    while (first < last && url[first].unicode() <= 0x20)
        ++first;
    while (last > first && url[last - 1].unicode() <= 0x20)
        --last;
    return url.mid(first, last - first);
}

// The address's scheme in lower case, or "" when it has none.
QString SchemeOf(const QString& url)
{
    for (qsizetype i = 0; i < url.size(); ++i) {
        const char16_t c = url[i].unicode();
        if (c == u':')
            return i > 0 ? url.left(i).toLower() : QString();
        const bool letter = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
        if (!letter && (i == 0 || !((c >= u'0' && c <= u'9') || c == u'+' || c == u'-' || c == u'.')))
            return QString();
    }
    return QString();
}

class Parser
{
public:
    explicit Parser(const QByteArray& bytes) : input_(bytes) {}

    BookmarkFile Run()
    {
        StartInput();
        while (p_ < end_) {
            const char* open = static_cast<const char*>(std::memchr(p_, '<', static_cast<size_t>(end_ - p_)));
            const char* textEnd = open ? open : end_;
            Text(std::string_view(p_, static_cast<size_t>(textEnd - p_)));
            Move(textEnd);
            if (open)
                Markup();
        }
        if (!started_)
            NotABookmarkFile(1);
        FinishText();
        FlushFolder();
        while (!lists_.empty())
            CloseList();
        return std::move(file_);
    }

private:
    enum class Collect
    {
        Nothing,
        Title,
        FolderName,
        Link
    };

    [[noreturn]] static void Fail(int line, const std::string& message) { throw BookmarkFileError(line, message); }
    [[noreturn]] static void NotABookmarkFile(int line)
    {
        Fail(line, "this is not a bookmark file (it does not begin with <!DOCTYPE NETSCAPE-Bookmark-file-1>)");
    }

    // A byte-order mark fixes the character set; UTF-16 is turned into UTF-8 once, so the
    // tokenizer reads bytes of one kind.
    void StartInput()
    {
        const auto startsWith = [this](std::string_view mark) {
            return input_.size() >= static_cast<qsizetype>(mark.size()) &&
                   std::string_view(input_.constData(), mark.size()) == mark;
        };
        qsizetype skip = 0;
        if (startsWith("\xEF\xBB\xBF")) {
            skip = 3;
            charsetFixed_ = true;
        } else if (startsWith("\xFF\xFE") || startsWith("\xFE\xFF")) {
            const bool little = startsWith("\xFF\xFE");
            QStringDecoder decoder(little ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE);
            const QString text = decoder.decode(QByteArrayView(input_).sliced(2));
            if (decoder.hasError())
                Fail(1, "the text is not valid UTF-16");
            input_ = text.toUtf8();
            charsetFixed_ = true;
        }
        p_ = input_.constData() + skip;
        end_ = input_.constData() + input_.size();
    }

    // Moves to `to`, counting the lines passed; CR LF, LF and a lone CR each end a line.
    void Move(const char* to)
    {
        for (const char* c = p_; c < to; ++c) {
            if (*c == '\n' || (*c == '\r' && (c + 1 == end_ || c[1] != '\n')))
                ++line_;
        }
        p_ = to;
    }

    void Text(std::string_view text)
    {
        if (!started_ && !Trimmed(text).empty())
            NotABookmarkFile(line_);
        if (collect_ != Collect::Nothing)
            text_.append(text);
    }

    void Markup()
    {
        const int startLine = line_;
        const std::string_view rest(p_, static_cast<size_t>(end_ - p_));
        if (rest.starts_with("<!--")) {
            const size_t close = rest.find("-->", 4);
            if (close == std::string_view::npos)
                Fail(startLine, "a comment is not closed");
            Move(p_ + close + 3);
            return;
        }
        if (rest.size() >= 2 && (rest[1] == '!' || rest[1] == '?')) {
            const size_t close = rest.find('>');
            if (close == std::string_view::npos)
                Fail(startLine, "a tag is not closed");
            const std::string declaration = Lowered(Trimmed(rest.substr(2, close - 2)));
            Move(p_ + close + 1);
            if (!started_) {
                if (declaration != BookmarkDoctype)
                    NotABookmarkFile(startLine);
                started_ = true;
            }
            return;
        }
        Tag tag;
        tag.End = rest.size() >= 2 && rest[1] == '/';
        size_t i = tag.End ? 2 : 1;
        if (i >= rest.size() || !IsLetter(rest[i])) {
            // A "<" that starts no tag is text.
            Text(rest.substr(0, 1));
            Move(p_ + 1);
            return;
        }
        const size_t nameStart = i;
        while (i < rest.size() && (IsLetter(rest[i]) || IsDigit(rest[i])))
            ++i;
        tag.Name = Lowered(rest.substr(nameStart, i - nameStart));
        for (;;) {
            while (i < rest.size() && (IsSpace(rest[i]) || rest[i] == '/'))
                ++i;
            if (i >= rest.size())
                Fail(startLine, "a tag is not closed");
            if (rest[i] == '>')
                break;
            const size_t attributeStart = i;
            while (i < rest.size() && !IsSpace(rest[i]) && rest[i] != '>' && (rest[i] != '=' || i == attributeStart))
                ++i;
            Attribute attribute{Lowered(rest.substr(attributeStart, i - attributeStart)), {}};
            size_t after = i;
            while (after < rest.size() && IsSpace(rest[after]))
                ++after;
            if (after < rest.size() && rest[after] == '=') {
                i = after + 1;
                while (i < rest.size() && IsSpace(rest[i]))
                    ++i;
                if (i < rest.size() && (rest[i] == '"' || rest[i] == '\'')) {
                    const size_t close = rest.find(rest[i], i + 1);
                    if (close == std::string_view::npos)
                        Fail(startLine, "a tag is not closed");
                    attribute.Value = rest.substr(i + 1, close - i - 1);
                    i = close + 1;
                } else {
                    const size_t valueStart = i;
                    while (i < rest.size() && !IsSpace(rest[i]) && rest[i] != '>')
                        ++i;
                    attribute.Value = rest.substr(valueStart, i - valueStart);
                }
            }
            tag.Attributes.push_back(std::move(attribute));
        }
        Move(p_ + i + 1);
        if (!started_)
            NotABookmarkFile(startLine);
        tag.End ? EndTag(tag) : StartTag(tag, startLine);
    }

    void StartTag(const Tag& tag, int line)
    {
        const std::string& name = tag.Name;
        if (name == "a" || name == "h3" || name == "h1") {
            FinishText();
            FlushFolder();
            collect_ = name == "a" ? Collect::Link : name == "h3" ? Collect::FolderName : Collect::Title;
            textLine_ = line;
            href_ = tag.Value("href");
            addDate_ = DateValue(tag.Value("add_date"));
            lastModified_ = DateValue(tag.Value("last_modified"));
        } else if (name == "dt" || name == "hr") {
            FinishText();
            FlushFolder();
            if (name == "hr" && !lists_.empty())
                Skip(SkipReason::Separator);
        } else if (name == "dd") {
            // A description, of a bookmark or of the folder whose list follows.
            FinishText();
        } else if (name == "dl") {
            FinishText();
            OpenList(line);
        } else if (name == "meta") {
            SetCharset(tag, line);
        }
    }

    void EndTag(const Tag& tag)
    {
        const std::string& name = tag.Name;
        if ((name == "a" && collect_ == Collect::Link) || (name == "h3" && collect_ == Collect::FolderName) ||
            (name == "h1" && collect_ == Collect::Title)) {
            FinishText();
        } else if (name == "dl") {
            FinishText();
            FlushFolder();
            CloseList();
        }
    }

    void SetCharset(const Tag& tag, int line)
    {
        std::optional<std::string_view> label = tag.Value("charset");
        if (!label) {
            const std::optional<std::string_view> content = tag.Value("content");
            if (!content)
                return;
            const std::string lowered = Lowered(*content);
            const size_t at = lowered.find("charset=");
            if (at == std::string::npos)
                return;
            std::string_view rest = content->substr(at + 8);
            rest = rest.substr(0, rest.find_first_of("; \t\r\n"));
            label = rest;
        }
        if (charsetFixed_)
            return;
        std::string name = Lowered(Trimmed(*label));
        if (name.size() >= 2 && (name.front() == '"' || name.front() == '\'') && name.back() == name.front())
            name = name.substr(1, name.size() - 2);
        if (name == "utf-8" || name == "utf8") {
            ansi_ = false;
        } else if (name == "windows-1252" || name == "cp1252" || name == "iso-8859-1" || name == "latin1" ||
                   name == "us-ascii" || name == "ascii") {
            // Web pages labelled Latin-1 or ASCII are read as Windows-1252, our own code page.
            ansi_ = true;
        } else {
            Fail(line, "the character set \"" + name + "\" is not supported; export the bookmarks as UTF-8");
        }
        charsetFixed_ = true;
    }

    QString Decoded(std::string_view bytes, int line) const
    {
        if (ansi_)
            return QString::fromStdU16String(win32::AnsiToUnicode(bytes));
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        QString text = decoder.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
        if (decoder.hasError())
            Fail(line, "the text is not valid UTF-8");
        return text;
    }

    // Ends the name being read, at its end tag or at the next tag that cannot stand inside it.
    void FinishText()
    {
        if (collect_ == Collect::Nothing)
            return;
        const Collect what = collect_;
        collect_ = Collect::Nothing;
        const QString name = DecodeCharacterReferences(Decoded(Trimmed(text_), textLine_));
        text_.clear();
        if (what == Collect::Title) {
            if (file_.Title.isEmpty())
                file_.Title = name;
            return;
        }
        BookmarkItem item;
        item.Name = name;
        item.AddDate = addDate_;
        item.LastModified = lastModified_;
        if (what == Collect::FolderName) {
            item.Type = BookmarkItem::Folder;
            pendingFolder_ = std::move(item);
            pendingLine_ = textLine_;
            return;
        }
        item.Url = href_ ? CleanAddress(DecodeCharacterReferences(Decoded(*href_, textLine_))) : QString();
        const QString scheme = SchemeOf(item.Url);
        if (item.Url.isEmpty())
            Skip(SkipReason::NoAddress);
        else if (scheme == QStringLiteral("javascript"))
            Skip(SkipReason::Script);
        else if (scheme == QStringLiteral("place"))
            Skip(SkipReason::Query);
        else
            file_.Items.push_back(std::move(item));
    }

    void Skip(SkipReason reason) { ++file_.Skipped[static_cast<size_t>(reason)]; }

    // A folder name whose list never came is an empty folder.
    void FlushFolder()
    {
        if (!pendingFolder_)
            return;
        if (lists_.size() > static_cast<size_t>(MaxFolderDepth))
            TooDeep(pendingLine_);
        file_.Items.push_back(std::move(*pendingFolder_));
        pendingFolder_.reset();
        file_.Items.push_back(BookmarkItem{BookmarkItem::EndOfFolder, {}, {}, 0, 0});
    }

    // A list after a folder name holds that folder's entries; any other list (the file's
    // outermost one included) adds no level of its own.
    void OpenList(int line)
    {
        if (lists_.size() > static_cast<size_t>(MaxFolderDepth))
            TooDeep(line);
        lists_.push_back(pendingFolder_.has_value());
        if (pendingFolder_) {
            file_.Items.push_back(std::move(*pendingFolder_));
            pendingFolder_.reset();
        }
    }

    void CloseList()
    {
        if (lists_.empty())
            return;
        if (lists_.back())
            file_.Items.push_back(BookmarkItem{BookmarkItem::EndOfFolder, {}, {}, 0, 0});
        lists_.pop_back();
    }

    [[noreturn]] static void TooDeep(int line)
    {
        Fail(line, "folders are nested more than " + std::to_string(MaxFolderDepth) + " deep");
    }

    QByteArray input_;
    const char* p_ = nullptr;
    const char* end_ = nullptr;
    int line_ = 1;
    bool started_ = false;
    bool ansi_ = false;
    bool charsetFixed_ = false;

    Collect collect_ = Collect::Nothing;
    std::string text_;
    int textLine_ = 1;
    std::optional<std::string_view> href_;
    int64_t addDate_ = 0;
    int64_t lastModified_ = 0;
    std::optional<BookmarkItem> pendingFolder_;
    int pendingLine_ = 1;
    std::vector<bool> lists_; // open lists, outermost first: whether each is a folder's own
    BookmarkFile file_;
};

bool IsDigitOf(char16_t c, bool hex)
{
    return (c >= u'0' && c <= u'9') || (hex && ((c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F')));
}

int DigitValue(char16_t c)
{
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    return (c | 0x20) - u'a' + 10;
}
} // namespace

BookmarkFile ParseBookmarkFile(const QByteArray& bytes)
{
    return Parser(bytes).Run();
}

QString DecodeCharacterReferences(const QString& text)
{
    if (!text.contains(QLatin1Char('&')))
        return text;
    struct Named
    {
        QLatin1StringView Name;
        char16_t Character;
    };
    static const Named names[] = {{QLatin1StringView("amp;"), u'&'},   {QLatin1StringView("lt;"), u'<'},
                                  {QLatin1StringView("gt;"), u'>'},    {QLatin1StringView("quot;"), u'"'},
                                  {QLatin1StringView("apos;"), u'\''}, {QLatin1StringView("nbsp;"), u'\u00A0'}};
    QString out;
    out.reserve(text.size());
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size;) {
        if (text[i] != QLatin1Char('&')) {
            out += text[i++];
            continue;
        }
        if (i + 1 < size && text[i + 1] == QLatin1Char('#')) {
            qsizetype j = i + 2;
            const bool hex = j < size && (text[j] == QLatin1Char('x') || text[j] == QLatin1Char('X'));
            if (hex)
                ++j;
            const qsizetype digits = j;
            char32_t value = 0;
            while (j < size && IsDigitOf(text[j].unicode(), hex)) {
                // Past the last character the value only has to stay out of range.
                value = std::min<char32_t>(
                    value * (hex ? 16 : 10) + static_cast<char32_t>(DigitValue(text[j].unicode())), 0x110000);
                ++j;
            }
            if (j > digits) {
                if (j < size && text[j] == QLatin1Char(';'))
                    ++j;
                if (value >= 0x80 && value <= 0x9F)
                    value = win32::AnsiToChar(static_cast<unsigned char>(value)); // as browsers read them
                else if (value == 0 || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
                    value = 0xFFFD;
                out += QString::fromUcs4(&value, 1);
                i = j;
                continue;
            }
        } else {
            const QStringView rest = QStringView(text).mid(i + 1);
            bool found = false;
            for (const Named& named : names) {
                if (rest.startsWith(named.Name)) {
                    out += QChar(named.Character);
                    i += 1 + named.Name.size();
                    found = true;
                    break;
                }
            }
            if (found)
                continue;
        }
        out += text[i++];
    }
    return out;
}
