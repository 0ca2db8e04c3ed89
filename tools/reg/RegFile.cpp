#include "tools/reg/RegFile.h"
#include "platform/runtime/HexDigit.h"

#include "platform/win32/AnsiCodePage.h"

#include <cstdio>

namespace regtool
{

using namespace win32;

namespace
{
constexpr const char* UnicodeHeader = "Windows Registry Editor Version 5.00";
constexpr const char* AnsiHeader = "REGEDIT4";
// Hexadecimal data lines are wrapped to stay within this width, as editors write them.
constexpr size_t LineWidth = 80;

bool IsTextType(DWORD type)
{
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

std::string Escape(std::string_view text)
{
    std::string out;
    for (char c : text) {
        if (c == '\\' || c == '"')
            out.push_back('\\');
        out.push_back(c);
    }
    return out;
}

// A REG_SZ that reads back exactly from the quoted form: one terminator at the end and no
// control characters (a line break would split the file's line).
bool IsPlainString(std::string_view data)
{
    if (data.empty() || data.back() != '\0')
        return false;
    data.remove_suffix(1);
    for (char c : data) {
        if (static_cast<unsigned char>(c) < 0x20)
            return false;
    }
    return true;
}

std::string ToUtf16Le(std::string_view ansi)
{
    std::string out;
    out.reserve(ansi.size() * 2);
    for (char c : ansi) {
        const char16_t unit = AnsiToChar(static_cast<unsigned char>(c));
        out.push_back(static_cast<char>(unit & 0xFF));
        out.push_back(static_cast<char>(unit >> 8));
    }
    return out;
}

std::string Utf16ToAnsi(std::string_view bytes, bool bigEndian)
{
    std::string out;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto first = static_cast<unsigned char>(bytes[i]);
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        const auto unit = static_cast<char16_t>(bigEndian ? (first << 8 | second) : (second << 8 | first));
        // A surrogate pair is one character the code page cannot hold.
        if (unit >= 0xD800 && unit <= 0xDBFF)
            continue;
        out.push_back(unit >= 0xDC00 && unit <= 0xDFFF ? '?' : static_cast<char>(CharToAnsi(unit)));
    }
    return out;
}

bool IsUtf8(std::string_view bytes)
{
    size_t i = 0;
    while (i < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        const size_t len = lead < 0x80           ? 1
                           : (lead >> 5) == 0x6  ? 2
                           : (lead >> 4) == 0xE  ? 3
                           : (lead >> 3) == 0x1E ? 4
                                                 : 0;
        if (len == 0 || i + len > bytes.size())
            return false;
        for (size_t k = 1; k < len; ++k) {
            if ((static_cast<unsigned char>(bytes[i + k]) & 0xC0) != 0x80)
                return false;
        }
        i += len;
    }
    return true;
}

std::string DecodeToAnsi(std::string_view bytes)
{
    if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE')
        return Utf16ToAnsi(bytes.substr(2), false);
    if (bytes.size() >= 2 && bytes[0] == '\xFE' && bytes[1] == '\xFF')
        return Utf16ToAnsi(bytes.substr(2), true);
    if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF")
        return Utf8ToAnsi(bytes.substr(3));
    return IsUtf8(bytes) ? Utf8ToAnsi(bytes) : std::string(bytes);
}

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i])
            return false;
    }
    return true;
}

// Reads a quoted string starting at text[0] == '"'; consumed is how far it went.
bool ReadQuoted(std::string_view text, std::string& out, size_t& consumed)
{
    out.clear();
    for (size_t i = 1; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"') {
            consumed = i + 1;
            return true;
        }
        if (c == '\\' && i + 1 < text.size() && (text[i + 1] == '\\' || text[i + 1] == '"')) {
            out.push_back(text[++i]);
            continue;
        }
        out.push_back(c);
    }
    return false;
}

bool ReadHexBytes(std::string_view list, std::string& out)
{
    out.clear();
    list = Trim(list);
    if (!list.empty() && list.back() == ',')
        list.remove_suffix(1);
    if (list.empty())
        return true;
    while (true) {
        const size_t cut = list.find(',');
        const std::string_view item = Trim(list.substr(0, cut));
        if (item.empty() || item.size() > 2)
            return false;
        int value = 0;
        for (char c : item) {
            const int digit = runtime::HexDigitValue(c);
            if (digit < 0)
                return false;
            value = value * 16 + digit;
        }
        out.push_back(static_cast<char>(value));
        if (cut == std::string_view::npos)
            return true;
        list.remove_prefix(cut + 1);
    }
}

struct Parser
{
    std::vector<std::string_view> Lines;
    bool Unicode = true;
    size_t Index = 0;
    std::string Error;

    bool Fail(size_t line, const std::string& message)
    {
        Error = "line " + std::to_string(line + 1) + ": " + message;
        return false;
    }

    // The data of a value line from its text after "=": the caller's line plus any
    // continuation lines of hexadecimal data.
    bool ReadData(std::string_view data, RegFileItem& item)
    {
        const size_t line = Index;
        if (data == "-") {
            item.What = RegFileItem::Kind::DeleteValue;
            return true;
        }
        item.What = RegFileItem::Kind::Value;
        if (!data.empty() && data.front() == '"') {
            size_t consumed = 0;
            if (!ReadQuoted(data, item.Data, consumed))
                return Fail(line, "the string has no closing quote.");
            const std::string_view rest = Trim(data.substr(consumed));
            if (!rest.empty() && rest.front() != ';')
                return Fail(line, "unexpected text after the string.");
            item.Type = REG_SZ;
            item.Data.push_back('\0');
            return true;
        }
        if (StartsWithNoCase(data, "dword:")) {
            const std::string_view digits = Trim(data.substr(6));
            if (digits.empty() || digits.size() > 8)
                return Fail(line, "a dword needs 1 to 8 hexadecimal digits.");
            uint32_t value = 0;
            for (char c : digits) {
                const int digit = runtime::HexDigitValue(c);
                if (digit < 0)
                    return Fail(line, "a dword needs 1 to 8 hexadecimal digits.");
                value = value * 16 + static_cast<uint32_t>(digit);
            }
            item.Type = REG_DWORD;
            item.Data.clear();
            for (int i = 0; i < 4; ++i)
                item.Data.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
            return true;
        }
        if (!StartsWithNoCase(data, "hex"))
            return Fail(line, "unrecognised value data.");
        data.remove_prefix(3);
        item.Type = REG_BINARY;
        if (!data.empty() && data.front() == '(') {
            const size_t close = data.find(')');
            if (close == std::string_view::npos || close == 1 || close > 9)
                return Fail(line, "unrecognised value type.");
            DWORD type = 0;
            for (char c : data.substr(1, close - 1)) {
                const int digit = runtime::HexDigitValue(c);
                if (digit < 0)
                    return Fail(line, "unrecognised value type.");
                type = type * 16 + static_cast<DWORD>(digit);
            }
            item.Type = type;
            data.remove_prefix(close + 1);
        }
        if (data.empty() || data.front() != ':')
            return Fail(line, "unrecognised value data.");
        data.remove_prefix(1);
        std::string list;
        while (true) {
            const std::string_view part = Trim(data);
            if (part.empty() || part.back() != '\\') {
                list.append(part);
                break;
            }
            list.append(part.substr(0, part.size() - 1));
            if (++Index >= Lines.size())
                return Fail(line, "the data continues past the end of the file.");
            data = Lines[Index];
        }
        std::string bytes;
        if (!ReadHexBytes(list, bytes))
            return Fail(line, "the hexadecimal data is not a list of bytes.");
        if (Unicode && IsTextType(item.Type)) {
            if (bytes.size() % 2 != 0)
                return Fail(line, "text data in this file must be UTF-16, an even number of bytes.");
            bytes = Utf16ToAnsi(bytes, false);
        }
        item.Data = std::move(bytes);
        return true;
    }

    bool Run(std::vector<RegFileItem>& items)
    {
        while (Index < Lines.size() && Trim(Lines[Index]).empty())
            ++Index;
        if (Index == Lines.size())
            return Fail(0, "the file is empty.");
        const std::string_view header = Trim(Lines[Index]);
        if (header == AnsiHeader)
            Unicode = false;
        else if (header != UnicodeHeader)
            return Fail(Index, "the file is not a registration file (it must begin with \"" +
                                   std::string(UnicodeHeader) + "\" or \"" + AnsiHeader + "\").");
        bool haveKey = false;
        bool keyDeleted = false;
        KeyPath key;
        for (++Index; Index < Lines.size(); ++Index) {
            const std::string_view line = Trim(Lines[Index]);
            if (line.empty() || line.front() == ';')
                continue;
            RegFileItem item;
            item.Line = static_cast<int>(Index) + 1;
            if (line.front() == '[') {
                const size_t close = line.rfind(']');
                if (close == std::string_view::npos)
                    return Fail(Index, "the key name has no closing bracket.");
                std::string_view name = line.substr(1, close - 1);
                keyDeleted = !name.empty() && name.front() == '-';
                if (keyDeleted)
                    name.remove_prefix(1);
                if (!ParseKeyPath(name, key))
                    return Fail(Index, "\"" + std::string(name) + "\" is not a registry key name.");
                if (keyDeleted && key.Sub.empty())
                    return Fail(Index, "a predefined root cannot be deleted.");
                haveKey = true;
                item.What = keyDeleted ? RegFileItem::Kind::DeleteKey : RegFileItem::Kind::Key;
                item.Key = key;
                items.push_back(std::move(item));
                continue;
            }
            if (line.front() != '"' && line.front() != '@')
                return Fail(Index, "unrecognised line.");
            if (!haveKey)
                return Fail(Index, "a value comes before any key.");
            if (keyDeleted)
                return Fail(Index, "a value in a key that is being deleted.");
            size_t consumed = 1;
            if (line.front() == '"' && !ReadQuoted(line, item.Name, consumed))
                return Fail(Index, "the value name has no closing quote.");
            const std::string_view rest = Trim(line.substr(consumed));
            if (rest.empty() || rest.front() != '=')
                return Fail(Index, "\"=\" is missing after the value name.");
            item.Key = key;
            if (!ReadData(Trim(rest.substr(1)), item))
                return false;
            items.push_back(std::move(item));
        }
        return true;
    }
};
} // namespace

bool Writable(std::string_view name)
{
    return name.find_first_of("\r\n") == std::string_view::npos;
}

RegFileWriter::RegFileWriter()
{
    text_ = std::string(UnicodeHeader) + "\r\n\r\n";
}

void RegFileWriter::AddKey(const std::string& fullName)
{
    text_ += "[" + fullName + "]\r\n";
}

void RegFileWriter::AddValue(const std::string& name, DWORD type, std::string_view data)
{
    std::string line = name.empty() ? std::string("@=") : "\"" + Escape(name) + "\"=";
    if (type == REG_SZ && IsPlainString(data)) {
        text_ += line + "\"" + Escape(data.substr(0, data.size() - 1)) + "\"\r\n";
        return;
    }
    char number[32];
    if (type == REG_DWORD && data.size() == 4) {
        uint32_t value = 0;
        for (int i = 3; i >= 0; --i)
            value = value << 8 | static_cast<unsigned char>(data[static_cast<size_t>(i)]);
        std::snprintf(number, sizeof number, "dword:%08x", value);
        text_ += line + number + "\r\n";
        return;
    }
    if (type == REG_BINARY) {
        line += "hex:";
    } else {
        std::snprintf(number, sizeof number, "hex(%x):", type);
        line += number;
    }
    const std::string bytes = IsTextType(type) ? ToUtf16Le(data) : std::string(data);
    static const char Digits[] = "0123456789abcdef";
    for (size_t i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        const bool last = i + 1 == bytes.size();
        // Room is kept for the "," and the "\" that ends a wrapped line.
        if (line.size() + 4 > LineWidth) {
            text_ += line + "\\\r\n";
            line = "  ";
        }
        line.push_back(Digits[byte >> 4]);
        line.push_back(Digits[byte & 0xF]);
        if (!last)
            line.push_back(',');
    }
    text_ += line + "\r\n";
}

std::string RegFileWriter::Bytes() const
{
    return "\xFF\xFE" + ToUtf16Le(text_);
}

bool ParseRegFile(std::string_view bytes, std::vector<RegFileItem>& items, std::string& error)
{
    items.clear();
    const std::string text = DecodeToAnsi(bytes);
    Parser parser;
    // A line break ends a line; it does not begin another one, so data continued on the last
    // line runs past the end of the file whether or not that line has its line break.
    std::string_view rest(text);
    while (!rest.empty()) {
        const size_t cut = rest.find('\n');
        parser.Lines.push_back(rest.substr(0, cut));
        if (cut == std::string_view::npos)
            break;
        rest.remove_prefix(cut + 1);
    }
    if (!parser.Run(items)) {
        items.clear();
        error = parser.Error;
        return false;
    }
    return true;
}

} // namespace regtool
