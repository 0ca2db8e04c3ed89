#pragma once
#include <string>
#include <string_view>

// The system's single-byte (ANSI) code page, Windows-1252: one byte per character at every
// boundary where text leaves the program (shortcut files, the socket, the registry, the log).
namespace win32
{

// The character for one byte. The five bytes the code page leaves undefined map to the
// control characters of the same number, as the platform's own conversion does.
char16_t AnsiToChar(unsigned char byte);

// Decodes bytes to 16-bit characters, one character per byte.
std::u16string AnsiToUnicode(std::string_view bytes);

// Encodes 16-bit characters to bytes, one byte per character; a character the code page
// cannot hold becomes "?".
std::string UnicodeToAnsi(std::u16string_view text);

// The byte for one character, or '?' when the code page cannot hold it.
unsigned char CharToAnsi(char16_t ch);

// UTF-8 to ANSI and back, for callers that keep text as UTF-8.
std::string Utf8ToAnsi(std::string_view utf8);
std::string AnsiToUtf8(std::string_view bytes);

} // namespace win32
