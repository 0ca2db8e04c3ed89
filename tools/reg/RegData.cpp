#include "tools/reg/RegData.h"
#include "platform/runtime/HexDigit.h"

#include <cctype>
#include <cstdio>

namespace regtool
{

using namespace win32;

namespace
{
struct TypeEntry
{
    DWORD Type;
    const char* Name;
    bool Addable;
};

constexpr TypeEntry Types[] = {
    {REG_NONE, "REG_NONE", true},
    {REG_SZ, "REG_SZ", true},
    {REG_EXPAND_SZ, "REG_EXPAND_SZ", true},
    {REG_BINARY, "REG_BINARY", true},
    {REG_DWORD, "REG_DWORD", true},
    {REG_DWORD, "REG_DWORD_LITTLE_ENDIAN", true},
    {REG_DWORD_BIG_ENDIAN, "REG_DWORD_BIG_ENDIAN", true},
    {REG_LINK, "REG_LINK", false},
    {REG_MULTI_SZ, "REG_MULTI_SZ", true},
    {8, "REG_RESOURCE_LIST", false},
    {9, "REG_FULL_RESOURCE_DESCRIPTOR", false},
    {10, "REG_RESOURCE_REQUIREMENTS_LIST", false},
    {REG_QWORD, "REG_QWORD", true},
};

std::string LittleEndian(uint64_t value, size_t bytes)
{
    std::string out;
    for (size_t i = 0; i < bytes; ++i)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    return out;
}

uint64_t ReadLittleEndian(std::string_view data)
{
    uint64_t value = 0;
    for (size_t i = data.size(); i > 0; --i)
        value = (value << 8) | static_cast<unsigned char>(data[i - 1]);
    return value;
}

std::string Hex(uint64_t value)
{
    char text[24];
    std::snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(value));
    return text;
}
} // namespace

std::string TypeName(DWORD type)
{
    for (const TypeEntry& entry : Types) {
        if (entry.Type == type)
            return entry.Name;
    }
    return "REG_UNKNOWN";
}

std::optional<DWORD> TypeFromName(std::string_view name)
{
    for (const TypeEntry& entry : Types) {
        const std::string_view candidate(entry.Name);
        if (!entry.Addable || candidate.size() != name.size())
            continue;
        bool same = true;
        for (size_t i = 0; i < name.size() && same; ++i)
            same = std::toupper(static_cast<unsigned char>(name[i])) == candidate[i];
        if (same)
            return entry.Type;
    }
    return std::nullopt;
}

std::optional<uint64_t> ParseNumber(std::string_view text, uint64_t max)
{
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty())
        return std::nullopt;
    uint64_t value = 0;
    for (char c : text) {
        const int digit = runtime::HexDigitValue(c);
        if (digit < 0 || digit >= base)
            return std::nullopt;
        if (value > (max - static_cast<uint64_t>(digit)) / static_cast<uint64_t>(base))
            return std::nullopt;
        value = value * static_cast<uint64_t>(base) + static_cast<uint64_t>(digit);
    }
    return value;
}

std::optional<std::string> DataFromText(DWORD type, std::string_view text, std::string_view separator)
{
    switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ:
        return std::string(text) + '\0';
    case REG_MULTI_SZ: {
        std::string out;
        while (!text.empty()) {
            const size_t cut = separator.empty() ? std::string_view::npos : text.find(separator);
            out.append(text.substr(0, cut));
            out.push_back('\0');
            if (cut == std::string_view::npos)
                break;
            text.remove_prefix(cut + separator.size());
        }
        out.push_back('\0');
        return out;
    }
    case REG_DWORD:
    case REG_DWORD_BIG_ENDIAN: {
        const auto value = text.empty() ? std::optional<uint64_t>(0) : ParseNumber(text, 0xFFFFFFFFull);
        if (!value)
            return std::nullopt;
        std::string out = LittleEndian(*value, 4);
        if (type == REG_DWORD_BIG_ENDIAN)
            out = std::string(out.rbegin(), out.rend());
        return out;
    }
    case REG_QWORD: {
        const auto value = text.empty() ? std::optional<uint64_t>(0) : ParseNumber(text, UINT64_MAX);
        if (!value)
            return std::nullopt;
        return LittleEndian(*value, 8);
    }
    default: {
        if (text.size() % 2 != 0)
            return std::nullopt;
        std::string out;
        for (size_t i = 0; i < text.size(); i += 2) {
            const int high = runtime::HexDigitValue(text[i]);
            const int low = runtime::HexDigitValue(text[i + 1]);
            if (high < 0 || low < 0)
                return std::nullopt;
            out.push_back(static_cast<char>(high * 16 + low));
        }
        return out;
    }
    }
}

std::string HexDigits(std::string_view bytes)
{
    static const char Digits[] = "0123456789ABCDEF";
    std::string out;
    for (char b : bytes) {
        const auto byte = static_cast<unsigned char>(b);
        out.push_back(Digits[byte >> 4]);
        out.push_back(Digits[byte & 0xF]);
    }
    return out;
}

std::string DataToText(DWORD type, std::string_view data)
{
    switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ:
        return std::string(data.substr(0, data.find('\0')));
    case REG_MULTI_SZ: {
        // The strings end at the first empty one (the closing double terminator).
        std::string out;
        bool first = true;
        while (!data.empty()) {
            const size_t end = data.find('\0');
            const std::string_view part = data.substr(0, end);
            if (part.empty())
                break;
            if (!first)
                out += "\\0";
            out.append(part);
            first = false;
            if (end == std::string_view::npos)
                break;
            data.remove_prefix(end + 1);
        }
        return out;
    }
    case REG_DWORD:
        return data.size() == 4 ? Hex(ReadLittleEndian(data)) : HexDigits(data);
    case REG_DWORD_BIG_ENDIAN:
        return data.size() == 4 ? Hex(ReadLittleEndian(std::string(data.rbegin(), data.rend()))) : HexDigits(data);
    case REG_QWORD:
        return data.size() == 8 ? Hex(ReadLittleEndian(data)) : HexDigits(data);
    default:
        return HexDigits(data);
    }
}

} // namespace regtool
