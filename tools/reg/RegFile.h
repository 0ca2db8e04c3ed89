#pragma once
#include "platform/win32/WinTypes.h"
#include "tools/reg/RegPath.h"

#include <string>
#include <string_view>
#include <vector>

// Registration files (.reg): the text format registry editors export and import. Text inside
// the program is ANSI, as the registry keeps it; the file is UTF-16LE ("Windows Registry
// Editor Version 5.00") when written, and UTF-16, UTF-8 or ANSI ("REGEDIT4" too) when read.
namespace regtool
{

// One change a file asks for, in file order.
struct RegFileItem
{
    enum class Kind
    {
        Key,         // [KEY]: create the key
        DeleteKey,   // [-KEY]: delete the key with everything below it
        Value,       // "name"=data, @=data
        DeleteValue, // "name"=-
    };
    Kind What = Kind::Key;
    KeyPath Key;
    std::string Name; // "" is the key's default value
    win32::DWORD Type = 0;
    std::string Data;
    int Line = 0;
};

// Whether a key or value name can stand in a file: line breaks cannot.
bool Writable(std::string_view name);

// Builds a file key by key.
class RegFileWriter
{
public:
    RegFileWriter();

    void AddKey(const std::string& fullName);
    // A REG_SZ that is one clean line of text is written as "text", a 4-byte REG_DWORD as
    // dword:, anything else as hexadecimal bytes (string types as UTF-16LE, as the format has it).
    void AddValue(const std::string& name, win32::DWORD type, std::string_view data);
    // The file's bytes: UTF-16LE with its byte order mark, CRLF line ends.
    std::string Bytes() const;

private:
    std::string text_;
};

// Reads a file's bytes. On a fault nothing is returned but the line and the reason, so a
// broken file is not half imported.
bool ParseRegFile(std::string_view bytes, std::vector<RegFileItem>& items, std::string& error);

} // namespace regtool
