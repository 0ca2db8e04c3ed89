#pragma once
#include <QString>

#include <ostream>

// Shows a QString in a failure message as its text, with every character outside printable
// ASCII written as \uXXXX, rather than as a list of bytes.
inline void PrintTo(const QString& text, std::ostream* out)
{
    static const char digits[] = "0123456789ABCDEF";
    *out << '"';
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u >= 0x20 && u < 0x7F) {
            *out << static_cast<char>(u);
        } else {
            *out << "\\u" << digits[(u >> 12) & 0xF] << digits[(u >> 8) & 0xF] << digits[(u >> 4) & 0xF]
                 << digits[u & 0xF];
        }
    }
    *out << '"';
}
