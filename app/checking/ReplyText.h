#pragma once
#include <QLatin1StringView>
#include <QStringView>

// Searching and screening the text of a reply.

// Position (0-based) of the first occurrence of an ASCII marker in text at or after from,
// with ASCII letters compared regardless of case; -1 when there is none. No other character
// is folded: in the code page the reply was read through, no other letter upper-cases to an
// ASCII one, so this is what searching an upper-cased copy would find.
qsizetype IndexOfCaseless(QStringView text, QLatin1StringView marker, qsizetype from = 0);

// Whether text begins with an ASCII marker, letters compared regardless of case.
bool StartsWithCaseless(QStringView text, QLatin1StringView marker);

// The C0 controls, DEL and the C1 controls: characters that must never reach a name or a
// line of a shortcut file.
bool IsControlCharacter(QChar c);
bool ContainsControlCharacter(QStringView text);

// The value of a hexadecimal digit in either letter case; -1 for any other character. Inline:
// the title decoder asks it of every character of a number.
inline int HexDigitValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}
