#pragma once
#include "platform/win32/WinTypes.h"

#include <optional>
#include <string>
#include <string_view>

// Value types by name, and value data as users type and read it.
namespace regtool
{

// "REG_SZ" for 1; "REG_UNKNOWN" for a type without a name.
std::string TypeName(win32::DWORD type);

// The type "REG_DWORD" (any case) names, for the types `reg add` accepts.
std::optional<win32::DWORD> TypeFromName(std::string_view name);

// The bytes to store for data typed on the command line (ANSI text for the string types,
// a number for the number types, hexadecimal digits for the rest). Empty when the text
// does not fit the type. separator splits REG_MULTI_SZ data.
std::optional<std::string> DataFromText(win32::DWORD type, std::string_view text, std::string_view separator);

// Data shown by `reg query`: text up to its terminator, numbers in hexadecimal, everything
// else as hexadecimal bytes. ANSI, like the data.
std::string DataToText(win32::DWORD type, std::string_view data);

// Uppercase hexadecimal digits of bytes, no separators.
std::string HexDigits(std::string_view bytes);

// Parses an unsigned number written in decimal or with a 0x prefix, up to max.
std::optional<uint64_t> ParseNumber(std::string_view text, uint64_t max);

} // namespace regtool
