#include "app/checking/TitleCharset.h"

#include "app/checking/ReplyBody.h"
#include "app/checking/ReplyText.h"
#include "platform/win32/AnsiCodePage.h"

#include <QByteArray>
#include <QStringDecoder>

#include <algorithm>
#include <optional>

using namespace Qt::StringLiterals;

namespace
{
// Blanks between the attributes of a tag.
bool IsSpace(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

QStringView TrimSpaces(QStringView text)
{
    while (!text.isEmpty() && IsSpace(text.front()))
        text = text.sliced(1);
    while (!text.isEmpty() && IsSpace(text.back()))
        text.chop(1);
    return text;
}

bool EqualsCaseless(QStringView text, QLatin1StringView name)
{
    return text.size() == name.size() && StartsWithCaseless(text, name);
}

struct Attribute
{
    QStringView Name;
    QStringView Value;
};

// The next attribute of a tag from pos on, the way a browser reads it before it knows the
// encoding; nothing at the tag's ">" or at the end of text. Every call that returns an
// attribute moves pos on, so a tag is read in one pass.
std::optional<Attribute> NextAttribute(QStringView text, qsizetype& pos)
{
    const qsizetype n = text.size();
    while (pos < n && (IsSpace(text[pos]) || text[pos] == u'/'))
        ++pos;
    if (pos >= n || text[pos] == u'>')
        return std::nullopt;
    Attribute attribute;
    const qsizetype nameStart = pos++;
    while (pos < n && !IsSpace(text[pos]) && text[pos] != u'=' && text[pos] != u'/' && text[pos] != u'>')
        ++pos;
    attribute.Name = text.sliced(nameStart, pos - nameStart);
    qsizetype afterName = pos;
    while (afterName < n && IsSpace(text[afterName]))
        ++afterName;
    if (afterName >= n || text[afterName] != u'=')
        return attribute;
    pos = afterName + 1;
    while (pos < n && IsSpace(text[pos]))
        ++pos;
    if (pos < n && (text[pos] == u'"' || text[pos] == u'\'')) {
        const qsizetype close = text.indexOf(text[pos], pos + 1);
        const qsizetype end = close < 0 ? n : close;
        attribute.Value = text.sliced(pos + 1, end - pos - 1);
        pos = std::min(end + 1, n);
        return attribute;
    }
    const qsizetype valueStart = pos;
    while (pos < n && !IsSpace(text[pos]) && text[pos] != u'>')
        ++pos;
    attribute.Value = text.sliced(valueStart, pos - valueStart);
    return attribute;
}

// The charset of the first <meta> tag in html that declares one.
QStringView MetaCharset(QStringView html)
{
    qsizetype pos = 0;
    while ((pos = IndexOfCaseless(html, "<meta"_L1, pos)) >= 0) {
        pos += 5;
        // <metadata> and the like are other tags.
        if (pos < html.size() && !IsSpace(html[pos]) && html[pos] != u'/')
            continue;
        QStringView charset;
        QStringView content;
        bool declaresContentType = false;
        while (const std::optional<Attribute> attribute = NextAttribute(html, pos)) {
            if (EqualsCaseless(attribute->Name, "charset"_L1) && charset.isEmpty())
                charset = TrimSpaces(attribute->Value);
            else if (EqualsCaseless(attribute->Name, "content"_L1) && content.isEmpty())
                content = attribute->Value;
            else if (EqualsCaseless(attribute->Name, "http-equiv"_L1))
                declaresContentType = EqualsCaseless(TrimSpaces(attribute->Value), "content-type"_L1);
        }
        if (!charset.isEmpty())
            return charset;
        if (declaresContentType && !CharsetParameter(content).isEmpty())
            return CharsetParameter(content);
    }
    return {};
}

// The names under which pages declare the code page the reply is read through; browsers read
// a page declared Latin-1 or ASCII by it too.
bool IsCodePageName(QStringView charset)
{
    static constexpr QLatin1StringView Names[] = {
        "windows-1252"_L1,   "cp1252"_L1,          "x-cp1252"_L1, "iso-8859-1"_L1, "iso8859-1"_L1,
        "iso_8859-1"_L1,     "iso88591"_L1,        "latin1"_L1,   "l1"_L1,         "us-ascii"_L1,
        "ascii"_L1,          "cp819"_L1,           "ibm819"_L1,   "iso-ir-100"_L1, "csisolatin1"_L1,
        "ansi_x3.4-1968"_L1, "iso_8859-1:1987"_L1,
    };
    return std::any_of(std::begin(Names), std::end(Names),
                       [&](QLatin1StringView name) { return EqualsCaseless(charset, name); });
}

// A decoder for charset, when Qt knows one by that name and it reads ASCII as ASCII: the
// markers and references around the title are ASCII, so a charset that reads them otherwise
// (UTF-16, UTF-7, EBCDIC, HZ) cannot be what the page is written in.
std::optional<QStringDecoder> DecoderFor(QStringView charset)
{
    if (charset.isEmpty() || charset.size() > 40)
        return std::nullopt;
    for (QChar c : charset) {
        if (c.unicode() <= u' ' || c.unicode() >= 0x7F)
            return std::nullopt;
    }
    QStringDecoder decoder(charset.toLatin1().constData(), QStringConverter::Flag::Stateless);
    if (!decoder.isValid())
        return std::nullopt;
    // So a title of plain ASCII comes out as it is in every charset taken.
    static const QByteArray Ascii = [] {
        QByteArray bytes;
        for (char c = ' '; c < 0x7F; ++c)
            bytes += c;
        return bytes;
    }();
    const QString decoded = decoder.decode(Ascii);
    if (decoder.hasError() || decoded != QLatin1StringView(Ascii))
        return std::nullopt;
    return decoder;
}

QByteArray CodePageBytes(QStringView text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (QChar c : text)
        bytes += static_cast<char>(win32::CharToAnsi(c.unicode()));
    return bytes;
}

bool IsAscii(QStringView text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
}
} // namespace

QStringView CharsetParameter(QStringView contentType)
{
    qsizetype pos = 0;
    while ((pos = IndexOfCaseless(contentType, "charset"_L1, pos)) >= 0) {
        pos += 7;
        while (pos < contentType.size() && IsSpace(contentType[pos]))
            ++pos;
        if (pos >= contentType.size() || contentType[pos] != u'=')
            continue;
        ++pos;
        while (pos < contentType.size() && IsSpace(contentType[pos]))
            ++pos;
        if (pos >= contentType.size())
            return {};
        const QChar quote = contentType[pos];
        if (quote == u'"' || quote == u'\'') {
            const qsizetype close = contentType.indexOf(quote, pos + 1);
            if (close < 0)
                return {};
            return TrimSpaces(contentType.sliced(pos + 1, close - pos - 1));
        }
        qsizetype end = pos;
        while (end < contentType.size() && !IsSpace(contentType[end]) && contentType[end] != u';')
            ++end;
        return contentType.sliced(pos, end - pos);
    }
    return {};
}

QStringView DeclaredCharset(QStringView reply, qsizetype titleStart)
{
    const qsizetype body = BodyStart(reply);
    if (body >= 0) {
        const QStringView header = CharsetParameter(HeaderValue(reply.first(body), "Content-Type"_L1));
        if (!header.isEmpty())
            return header;
    }
    const qsizetype from = std::max<qsizetype>(body, 0);
    if (titleStart <= from)
        return {};
    return MetaCharset(reply.sliced(from, titleStart - from));
}

QString DecodeInCharset(QStringView text, QStringView charset)
{
    // The reply was read through the code page already.
    if (IsCodePageName(charset))
        return text.toString();
    // Before the ASCII test: ISO-2022-JP writes its letters with ASCII bytes.
    if (std::optional<QStringDecoder> decoder = DecoderFor(charset))
        return decoder->decode(CodePageBytes(text));
    if (IsAscii(text))
        return text.toString();
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QString decoded = utf8.decode(CodePageBytes(text));
    return utf8.hasError() ? text.toString() : decoded;
}
