#include "platform/win32/ComGuid.h"
#include "platform/runtime/HexDigit.h"

#include <cstdio>

namespace win32
{

namespace
{

// Reads `digits` hex digits starting at `pos`; false when one is not a hex digit.
bool ReadHex(std::string_view text, size_t pos, size_t digits, uint32_t& value)
{
    value = 0;
    for (size_t i = 0; i < digits; ++i) {
        const int digit = runtime::HexDigitValue(text[pos + i]);
        if (digit < 0)
            return false;
        value = (value << 4) | static_cast<uint32_t>(digit);
    }
    return true;
}

} // namespace

std::string GuidToString(const GUID& guid)
{
    char text[39];
    std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", guid.Data1, guid.Data2,
                  guid.Data3, guid.Data4[0], guid.Data4[1], guid.Data4[2], guid.Data4[3], guid.Data4[4], guid.Data4[5],
                  guid.Data4[6], guid.Data4[7]);
    return std::string(text, 38);
}

bool GuidFromString(std::string_view text, GUID& guid)
{
    if (text.size() != 38 || text[0] != '{' || text[37] != '}' || text[9] != '-' || text[14] != '-' ||
        text[19] != '-' || text[24] != '-')
        return false;
    GUID parsed;
    uint32_t value = 0;
    if (!ReadHex(text, 1, 8, value))
        return false;
    parsed.Data1 = value;
    if (!ReadHex(text, 10, 4, value))
        return false;
    parsed.Data2 = static_cast<WORD>(value);
    if (!ReadHex(text, 15, 4, value))
        return false;
    parsed.Data3 = static_cast<WORD>(value);
    // Data4: two bytes before the last dash, six after it.
    const size_t bytePositions[8] = {20, 22, 25, 27, 29, 31, 33, 35};
    for (size_t i = 0; i < 8; ++i) {
        if (!ReadHex(text, bytePositions[i], 2, value))
            return false;
        parsed.Data4[i] = static_cast<BYTE>(value);
    }
    guid = parsed;
    return true;
}

} // namespace win32
