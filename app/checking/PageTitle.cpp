#include "app/checking/PageTitle.h"

#include "app/checking/DecimalNumber.h"
#include "app/checking/ReplyBody.h"
#include "app/checking/ReplyText.h"
#include "app/checking/TitleCharset.h"
#include "platform/win32/AnsiCodePage.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>

using namespace Qt::StringLiterals;

namespace
{
// The characters a number in a reference may be written with, in decimal or in hexadecimal.
bool IsNumberCharacter(QChar c)
{
    return HexDigitValue(c) >= 0 || c == u' ' || c == u'+' || c == u'-' || c == u'.' || c == u'x' || c == u'X';
}

// The number between "&#" and ";": decimal, or hexadecimal after an "x" in either letter case
// ("x41" is 65, as "65" is).
std::optional<DecimalNumber> ParseReferenceNumber(QStringView number)
{
    if (!number.startsWith(u'x', Qt::CaseInsensitive))
        return ParseDecimalNumber(number);
    // Any value this large is removed as 256 is; holding it there keeps it from overflowing.
    constexpr int64_t Largest = int64_t{1} << 40;
    if (number.size() < 2)
        return std::nullopt;
    DecimalNumber value;
    for (QChar c : number.sliced(1)) {
        const int digit = HexDigitValue(c);
        if (digit < 0)
            return std::nullopt;
        value.Rounded = std::min(value.Rounded * 16 + digit, Largest);
    }
    return value;
}

// Hands the decoder the title one character at a time. Characters it gives back are handed
// out again first. A reference of 256 or more stands for every copy of itself in the rest of
// the title; rather than rescanning the title each time, the reader skips those copies as it
// reaches them, which leaves the same text.
class TitleReader
{
public:
    explicit TitleReader(QStringView text) : text_(text) {}

    bool AtEnd()
    {
        SkipRemovedCopies();
        return pending_.empty() && pos_ >= text_.size();
    }

    QChar Peek()
    {
        SkipRemovedCopies();
        return pending_.empty() ? text_[pos_] : QChar(pending_.back());
    }

    QChar Next()
    {
        const QChar c = Peek();
        if (pending_.empty())
            ++pos_;
        else
            pending_.pop_back();
        return c;
    }

    void GiveBack(QChar c) { pending_.push_back(c.unicode()); }

    void GiveBack(QStringView text)
    {
        for (qsizetype i = text.size(); i > 0; --i)
            pending_.push_back(text[i - 1].unicode());
    }

    // Every later "&#" + number + ";" is to vanish.
    void RemoveCopies(QStringView number) { removed_.emplace(number.utf16(), number.size()); }

private:
    void SkipRemovedCopies()
    {
        if (removed_.empty() || !pending_.empty())
            return;
        while (pos_ + 1 < text_.size() && text_[pos_] == u'&' && text_[pos_ + 1] == u'#') {
            qsizetype end = pos_ + 2;
            while (end < text_.size() && IsNumberCharacter(text_[end]))
                ++end;
            if (end >= text_.size() || text_[end] != u';')
                return;
            const std::u16string_view number(text_.utf16() + pos_ + 2, end - pos_ - 2);
            if (!removed_.contains(number))
                return;
            pos_ = end + 1;
        }
    }

    QStringView text_;
    qsizetype pos_ = 0;
    std::u16string pending_; // read from the back
    // Looked up by a view into the title, so that reading a reference allocates nothing.
    struct Hash
    {
        using is_transparent = void;
        size_t operator()(std::u16string_view text) const { return std::hash<std::u16string_view>{}(text); }
    };
    std::unordered_set<std::u16string, Hash, std::equal_to<>> removed_;
};

// Control characters, and the line and paragraph separators a charset may bring: a name is one
// plain line.
QString RemoveControlCharacters(QStringView text)
{
    QString kept;
    kept.reserve(text.size());
    for (QChar c : text) {
        if (!IsControlCharacter(c) && c != QChar::LineSeparator && c != QChar::ParagraphSeparator)
            kept += c;
    }
    return kept;
}

QString TrimSpaces(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin] == u' ')
        ++begin;
    while (end > begin && text[end - 1] == u' ')
        --end;
    return text.mid(begin, end - begin);
}
} // namespace

QString DecodeNumericReferences(const QString& title)
{
    TitleReader in(title);
    QString out;
    out.reserve(title.size());
    while (!in.AtEnd()) {
        const QChar c = in.Next();
        if (c != u'&' || in.AtEnd() || in.Peek() != u'#') {
            out += c;
            continue;
        }
        in.Next(); // the '#'

        QString number;
        bool closed = false;
        while (!in.AtEnd()) {
            const QChar d = in.Next();
            if (d == u';') {
                closed = true;
                break;
            }
            number += d;
        }
        if (!closed) {
            // No ";" is left anywhere, so nothing further can be a reference.
            out += u"&#"_s + number;
            break;
        }

        const auto value = ParseReferenceNumber(number);
        if (value && value->IsAtLeast(256)) {
            in.RemoveCopies(number);
        } else if (value && value->Rounded >= 0 && value->Rounded <= 255) {
            const QChar decoded(win32::AnsiToChar(static_cast<unsigned char>(value->Rounded)));
            // A line break or other control character has no place in a one-line name.
            if (!IsControlCharacter(decoded))
                in.GiveBack(decoded);
        } else {
            // Not a reference this decoder knows: it stays as written. Of the "&#" inside it,
            // only the last can start a reference, since every earlier one runs into the next
            // "&" before its ";"; reading goes on from that one.
            const qsizetype inner = number.lastIndexOf(u"&#"_s);
            if (inner < 0) {
                out += u"&#"_s + number + u';';
            } else {
                out += u"&#"_s;
                out += QStringView(number).first(inner);
                in.GiveBack(u';');
                in.GiveBack(QStringView(number).sliced(inner));
            }
            continue;
        }
        // What is left after the reference may complete a "&#" with the "&" before it.
        if (out.endsWith(u'&')) {
            out.chop(1);
            in.GiveBack(u'&');
        }
    }
    return out;
}

QString ExtractTitle(const QString& reply)
{
    // A chunk's size line must not end up inside the title.
    const QString page = DechunkReply(reply);
    const qsizetype open = IndexOfCaseless(page, "<TITLE>"_L1);
    if (open < 0)
        return {};
    const qsizetype begin = open + 7;
    // A stray </TITLE> before the title (in a script or a comment) does not end it.
    const qsizetype close = IndexOfCaseless(page, "</TITLE>"_L1, begin);
    if (close < 0)
        return {};

    // The markers and references are ASCII, so they are alike in every charset the title is
    // decoded by; a reference below 256 still stands for the code page's character.
    const QStringView text = QStringView(page).sliced(begin, close - begin);
    QString title = RemoveControlCharacters(DecodeInCharset(text, DeclaredCharset(page, open)));
    title.replace(u"&amp;"_s, u"&"_s, Qt::CaseSensitive);
    title.replace(u"&quot;"_s, u"\""_s, Qt::CaseSensitive);
    title.replace(u"&copy;"_s, QString(QChar(win32::AnsiToChar(169))), Qt::CaseSensitive);
    title.replace(u"&reg;"_s, QString(QChar(win32::AnsiToChar(174))), Qt::CaseSensitive);
    title.replace(u"&trade;"_s, QString(), Qt::CaseSensitive);
    title.replace(u"&#153;"_s, QString(), Qt::CaseSensitive);
    return DecodeNumericReferences(TrimSpaces(title));
}
