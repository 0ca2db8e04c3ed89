#include "platform/win32/AnsiCodePage.h"

#include <gtest/gtest.h>
#include <string>
#include <utility>

namespace
{
// Bytes 0x80 to 0x9F of Windows-1252, from the code page's published table. The five bytes
// it leaves undefined (81, 8D, 8F, 90, 9D) stand for the control characters of that number.
constexpr char16_t HighBytes[32] = {
    u'\u20AC', u'\u0081', u'\u201A', u'\u0192', u'\u201E', u'\u2026', u'\u2020', u'\u2021',
    u'\u02C6', u'\u2030', u'\u0160', u'\u2039', u'\u0152', u'\u008D', u'\u017D', u'\u008F',
    u'\u0090', u'\u2018', u'\u2019', u'\u201C', u'\u201D', u'\u2022', u'\u2013', u'\u2014',
    u'\u02DC', u'\u2122', u'\u0161', u'\u203A', u'\u0153', u'\u009D', u'\u017E', u'\u0178',
};
} // namespace

TEST(AnsiCodePage, EveryByteDecodesToItsCodePageCharacterAndBack)
{
    std::string bytes;
    for (int b = 0; b < 256; ++b) {
        const char16_t expected = (b >= 0x80 && b <= 0x9F) ? HighBytes[b - 0x80] : static_cast<char16_t>(b);
        EXPECT_EQ(win32::AnsiToChar(static_cast<unsigned char>(b)), expected) << "byte " << b;
        bytes.push_back(static_cast<char>(b));
    }
    const std::u16string text = win32::AnsiToUnicode(bytes);
    ASSERT_EQ(text.size(), bytes.size());
    EXPECT_EQ(win32::UnicodeToAnsi(text), bytes);
    EXPECT_EQ(win32::Utf8ToAnsi(win32::AnsiToUtf8(bytes)), bytes);
    EXPECT_EQ(win32::AnsiToUtf8(std::string("a\x80\xE9\x96\0x", 6)),
              std::string("a\xE2\x82\xAC\xC3\xA9\xE2\x80\x93\0x", 11));
}

TEST(AnsiCodePage, CharactersOutsideTheCodePageBecomeQuestionMarks)
{
    // U+0080 and U+0082 are not in the code page: bytes 80 and 82 stand for other characters.
    for (char16_t c : {u'\u0080', u'\u0082', u'\u009F', u'\u0100', u'\u20AD', u'\u4E2D', u'\uFFFF'})
        EXPECT_EQ(win32::CharToAnsi(c), '?') << "U+" << std::hex << static_cast<int>(c);
    EXPECT_EQ(win32::CharToAnsi(static_cast<char16_t>(0xD800)), '?'); // half of a surrogate pair
    EXPECT_EQ(win32::UnicodeToAnsi(u"a\u0100b\u2013"), std::string("a?b\x96"));
}

TEST(AnsiCodePage, Utf8ConversionReplacesWhatItCannotHold)
{
    const std::pair<std::string, std::string> cases[] = {
        {"plain", "plain"},
        {"\xC3\xA9", "\xE9"},      // e acute
        {"\xE2\x82\xAC", "\x80"},  // euro sign
        {"\xE2\x80\x93", "\x96"},  // en dash
        {"\xC4\x80", "?"},         // A macron: not in the code page
        {"\xF0\x9F\x98\x80", "?"}, // beyond 16 bits
        {"\xC3(", "?("},           // lead byte without its continuation
        {"\xE2\x82", "??"},        // cut short at the end
        {"\xFF", "?"},             // never a lead byte
        {"\xED\xA0\x80", "?"},     // a lone surrogate
        // Over-long forms spell no character: not NUL, not "/".
        {std::string("\xC0\x80", 2), "??"},
        {"\xC0\xAF", "??"},
        {"\xE0\x80\xAF", "???"},
        {"\xF0\x80\x80\xAF", "????"},
    };
    for (const auto& [utf8, ansi] : cases)
        EXPECT_EQ(win32::Utf8ToAnsi(utf8), ansi) << utf8;
}
