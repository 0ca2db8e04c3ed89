#include "app/checking/ReplyText.h"

namespace
{
char16_t UpperAscii(char16_t c)
{
    return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - (u'a' - u'A')) : c;
}

bool MatchesAt(QStringView text, qsizetype at, QLatin1StringView marker)
{
    for (qsizetype k = 0; k < marker.size(); ++k) {
        if (UpperAscii(text[at + k].unicode()) != UpperAscii(static_cast<char16_t>(marker[k].unicode())))
            return false;
    }
    return true;
}
} // namespace

qsizetype IndexOfCaseless(QStringView text, QLatin1StringView marker, qsizetype from)
{
    if (from < 0)
        from = 0;
    const qsizetype last = text.size() - marker.size();
    if (marker.isEmpty())
        return from <= text.size() ? from : -1;
    const char16_t first = UpperAscii(static_cast<char16_t>(marker[0].unicode()));
    for (qsizetype i = from; i <= last; ++i) {
        if (UpperAscii(text[i].unicode()) == first && MatchesAt(text, i, marker))
            return i;
    }
    return -1;
}

bool StartsWithCaseless(QStringView text, QLatin1StringView marker)
{
    return text.size() >= marker.size() && MatchesAt(text, 0, marker);
}

bool IsControlCharacter(QChar c)
{
    const char16_t u = c.unicode();
    return u < 0x20 || (u >= 0x7F && u <= 0x9F);
}

bool ContainsControlCharacter(QStringView text)
{
    for (QChar c : text) {
        if (IsControlCharacter(c))
            return true;
    }
    return false;
}
