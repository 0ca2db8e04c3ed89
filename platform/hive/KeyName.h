#pragma once
#include "platform/win32/WinTypes.h"

#include <string>
#include <string_view>
#include <vector>

// Names of registry keys and values: ANSI (Windows-1252) bytes compared without regard to case.
namespace hive
{

// The longest key name (one path component) and value name the registry accepts, in bytes.
constexpr size_t MaxKeyNameLength = 255;
constexpr size_t MaxValueNameLength = 16383;

// The deepest a key may lie below its root: Software\A is 2 levels deep. A deeper key is refused
// with ERROR_BADKEY ("the configuration registry key is invalid"), not ERROR_INVALID_PARAMETER:
// the arguments of the call are sound, it is the key that cannot be, and a status of its own
// lets a caller say so instead of blaming a name.
constexpr size_t MaxKeyDepth = 512;

// The form two names are compared and sorted by: upper case, as the registry compares names.
// Covers every letter of the code page, not only ASCII ("é" matches "É", "ÿ" matches "Ÿ").
std::string FoldName(std::string_view ansi);

// Splits a key path at its backslashes. A null or empty path is no components; one trailing
// backslash is allowed. A leading backslash or an empty component gives ERROR_BAD_PATHNAME,
// a component longer than MaxKeyNameLength gives ERROR_INVALID_PARAMETER.
win32::LONG SplitKeyPath(const char* path, std::vector<std::string>& components);

} // namespace hive
