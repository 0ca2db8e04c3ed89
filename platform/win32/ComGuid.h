#pragma once
#include "platform/win32/WinTypes.h"

#include <string>
#include <string_view>

namespace win32
{

// A 128-bit identifier of a class, an interface or a type library.
struct GUID
{
    DWORD Data1 = 0;
    WORD Data2 = 0;
    WORD Data3 = 0;
    BYTE Data4[8] = {};

    bool operator==(const GUID& other) const = default;
};

using IID = GUID;
using CLSID = GUID;
using REFIID = const IID&;
using REFCLSID = const CLSID&;

constexpr GUID GUID_NULL{};

// The 38-character braced form, upper-case hex: "{B04D2094-18FF-4A8C-A759-A1900518CEF7}".
std::string GuidToString(const GUID& guid);

// Parses the braced form, hex digits in either case. False (and `guid` untouched) for any
// other length, a missing brace or dash, or a character that is not a hex digit.
bool GuidFromString(std::string_view text, GUID& guid);

} // namespace win32
