#include "platform/win32/AnsiCodePage.h"

#include <array>

namespace win32
{

namespace
{
// Bytes 0x80 to 0x9F; every other byte is the Unicode character of the same number.
constexpr std::array<char16_t, 32> HighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

void AppendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}
} // namespace

char16_t AnsiToChar(unsigned char byte)
{
    if (byte >= 0x80 && byte <= 0x9F)
        return HighControls[byte - 0x80];
    return static_cast<char16_t>(byte);
}

unsigned char CharToAnsi(char16_t ch)
{
    if (ch < 0x80 || (ch >= 0xA0 && ch <= 0xFF))
        return static_cast<unsigned char>(ch);
    for (size_t i = 0; i < HighControls.size(); ++i) {
        if (HighControls[i] == ch)
            return static_cast<unsigned char>(0x80 + i);
    }
    return '?';
}

std::u16string AnsiToUnicode(std::string_view bytes)
{
    std::u16string out;
    out.reserve(bytes.size());
    for (char b : bytes)
        out.push_back(AnsiToChar(static_cast<unsigned char>(b)));
    return out;
}

std::string UnicodeToAnsi(std::u16string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char16_t ch : text)
        out.push_back(static_cast<char>(CharToAnsi(ch)));
    return out;
}

std::string Utf8ToAnsi(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    size_t i = 0;
    while (i < utf8.size()) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        size_t len = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
        if (len == 0 || i + len > utf8.size()) {
            out.push_back('?');
            ++i;
            continue;
        }
        char32_t cp = len == 1 ? lead : len == 2 ? (lead & 0x1F) : len == 3 ? (lead & 0x0F) : (lead & 0x07);
        bool valid = true;
        for (size_t k = 1; k < len; ++k) {
            const auto cont = static_cast<unsigned char>(utf8[i + k]);
            if ((cont & 0xC0) != 0x80) {
                valid = false;
                break;
            }
            cp = (cp << 6) | (cont & 0x3F);
        }
        // An over-long form (C0 AF for "/") is not the character it spells: taking it as one
        // would let a NUL or a path separator slip past checks made on the UTF-8 text.
        constexpr char32_t ShortestFor[] = {0, 0, 0x80, 0x800, 0x10000};
        if (!valid || cp < ShortestFor[len]) {
            out.push_back('?');
            ++i;
            continue;
        }
        out.push_back(cp > 0xFFFF ? '?' : static_cast<char>(CharToAnsi(static_cast<char16_t>(cp))));
        i += len;
    }
    return out;
}

std::string AnsiToUtf8(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size());
    for (char b : bytes)
        AppendUtf8(out, AnsiToChar(static_cast<unsigned char>(b)));
    return out;
}

} // namespace win32
