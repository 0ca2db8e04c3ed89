#include "tools/reg/RegFile.h"

#include "tools/reg/RegData.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace regtool;
using namespace win32;
using Kind = RegFileItem::Kind;

namespace
{
std::string Bytes(std::initializer_list<int> values)
{
    std::string out;
    for (int v : values)
        out.push_back(static_cast<char>(v));
    return out;
}

std::vector<RegFileItem> Parse(const std::string& text)
{
    std::vector<RegFileItem> items;
    std::string error;
    EXPECT_TRUE(ParseRegFile(text, items, error)) << error;
    return items;
}

std::string Utf16Le(const std::string& ascii)
{
    std::string out = "\xFF\xFE";
    for (char c : ascii) {
        out.push_back(c);
        out.push_back('\0');
    }
    return out;
}
} // namespace

TEST(RegFile, ParsesEveryKindOfLine)
{
    const std::string text = "Windows Registry Editor Version 5.00\r\n"
                             "\r\n"
                             "; a comment\r\n"
                             "[HKEY_CURRENT_USER\\Software\\A]\r\n"
                             "\"s\"=\"x \\\"q\\\" \\\\ y\"\r\n"
                             "@=\"d\"\r\n"
                             "\"n\"=dword:0000001F\r\n"
                             "\"b\"=hex:01,ff,\\\r\n"
                             "  02\r\n"
                             "\"e\"=hex(2):41,00,e9,00,00,00\r\n"
                             "\"q\"=hex(b):01,00,00,00,00,00,00,00\r\n"
                             "\"gone\"=-\r\n"
                             "\r\n"
                             "[-HKCU\\Software\\B]\r\n";
    const auto items = Parse(text);
    ASSERT_EQ(items.size(), 9u);
    EXPECT_EQ(items[0].What, Kind::Key);
    EXPECT_EQ(items[0].Key.Root, HKEY_CURRENT_USER);
    EXPECT_EQ(items[0].Key.Sub, "Software\\A");

    struct Expected
    {
        Kind What;
        const char* Name;
        DWORD Type;
        std::string Data;
    };
    const Expected expected[] = {
        {Kind::Value, "s", REG_SZ, std::string("x \"q\" \\ y") + '\0'},
        {Kind::Value, "", REG_SZ, std::string("d") + '\0'},
        {Kind::Value, "n", REG_DWORD, Bytes({0x1F, 0, 0, 0})},
        {Kind::Value, "b", REG_BINARY, Bytes({0x01, 0xFF, 0x02})},
        // Text types are UTF-16 in this format and ANSI in the registry.
        {Kind::Value, "e", REG_EXPAND_SZ, Bytes({'A', 0xE9, 0})},
        {Kind::Value, "q", REG_QWORD, Bytes({1, 0, 0, 0, 0, 0, 0, 0})},
        {Kind::DeleteValue, "gone", 0, ""},
    };
    for (size_t i = 0; i < std::size(expected); ++i) {
        SCOPED_TRACE(i);
        const RegFileItem& item = items[i + 1];
        EXPECT_EQ(item.What, expected[i].What);
        EXPECT_EQ(item.Name, expected[i].Name);
        EXPECT_EQ(item.Key.Sub, "Software\\A");
        if (item.What == Kind::Value) {
            EXPECT_EQ(item.Type, expected[i].Type);
            EXPECT_EQ(item.Data, expected[i].Data);
        }
    }
    EXPECT_EQ(items[8].What, Kind::DeleteKey);
    EXPECT_EQ(items[8].Key.Sub, "Software\\B");
    EXPECT_EQ(items[8].Line, 14);
}

TEST(RegFile, ReadsTheOlderAnsiFormatAndOtherEncodings)
{
    // In the older format text types are single bytes.
    auto items = Parse("REGEDIT4\n\n[HKLM\\Software\\A]\n\"e\"=hex(2):41,e9,00\n\"s\"=\"caf\xE9\"\n");
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[1].Data, Bytes({'A', 0xE9, 0}));
    EXPECT_EQ(items[2].Data, Bytes({'c', 'a', 'f', 0xE9, 0}));

    // The same text written in UTF-8 reads as the same ANSI bytes.
    items = Parse("REGEDIT4\n[HKLM\\Software\\A]\n\"s\"=\"caf\xC3\xA9\"\n");
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[1].Data, Bytes({'c', 'a', 'f', 0xE9, 0}));

    items = Parse(Utf16Le("Windows Registry Editor Version 5.00\r\n[HKCR\\x]\r\n@=\"v\"\r\n"));
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[1].Key.Root, HKEY_CLASSES_ROOT);
    EXPECT_EQ(items[1].Data, std::string("v") + '\0');
}

TEST(RegFile, RefusesBrokenFilesWholeWithTheLine)
{
    struct Case
    {
        const char* Text;
        const char* Line;
    };
    const Case cases[] = {
        {"[HKCU\\A]\n", "line 1:"},
        {"", "line 1:"},
        {"REGEDIT4\n\"v\"=\"x\"\n", "line 2:"},
        {"REGEDIT4\n[HKEY_NOWHERE\\A]\n", "line 2:"},
        {"REGEDIT4\n[HKCU\\A\n", "line 2:"},
        {"REGEDIT4\n[HKCU\\A]\n\"v\"=dword:123456789\n", "line 3:"},
        {"REGEDIT4\n[HKCU\\A]\n\"v\"=dword:12g4\n", "line 3:"},
        {"REGEDIT4\n[HKCU\\A]\n\"v\"=hex:1,234\n", "line 3:"},
        {"REGEDIT4\n[HKCU\\A]\n\"v\"=hex(zz):01\n", "line 3:"},
        {"REGEDIT4\n[HKCU\\A]\n\"v\"=\"open\n", "line 3:"},
        {"REGEDIT4\n[HKCU\\A]\n\"v\"=\"x\" y\n", "line 3:"},
        {"REGEDIT4\n[HKCU\\A]\n\"v=\"x\"\n", "line 3:"},
        {"REGEDIT4\n[HKCU\\A]\n\"v\"=hex:01,\\", "line 3:"},
        {"REGEDIT4\n[HKCU\\A]\n\"v\"=something\n", "line 3:"},
        {"REGEDIT4\n[HKCU\\A]\nnonsense\n", "line 3:"},
        {"Windows Registry Editor Version 5.00\n[HKCU\\A]\n\"v\"=hex(1):41\n", "line 3:"},
        {"REGEDIT4\n[-HKEY_CURRENT_USER]\n", "line 2:"},
        {"REGEDIT4\n[-HKCU\\A]\n\"v\"=\"x\"\n", "line 3:"},
        {"REGEDIT4\n[HKCU\\A\\\\B]\n", "line 2:"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Text);
        std::vector<RegFileItem> items;
        std::string error;
        EXPECT_FALSE(ParseRegFile(c.Text, items, error));
        EXPECT_TRUE(items.empty());
        EXPECT_EQ(error.rfind(c.Line, 0), 0u) << error;
    }
}

TEST(RegFile, WrittenValuesReadBackExactly)
{
    struct Case
    {
        std::string Name;
        DWORD Type;
        std::string Data;
    };
    std::string allBytes;
    for (int i = 0; i < 256; ++i)
        allBytes.push_back(static_cast<char>(i));
    const Case cases[] = {
        {"plain", REG_SZ, std::string("C:\\path \"quoted\" caf\xE9") + '\0'},
        {"", REG_SZ, std::string("default") + '\0'},
        {"empty", REG_SZ, std::string(1, '\0')},
        {"two lines", REG_SZ, std::string("a\r\nb") + '\0'},
        {"no terminator", REG_SZ, "abc"},
        {"inner zero", REG_SZ, std::string("a\0b\0", 4)},
        {"nothing", REG_SZ, ""},
        {"expand", REG_EXPAND_SZ, std::string("%HOME%\\x\xE9") + '\0'},
        {"multi", REG_MULTI_SZ, std::string("one\0two\0\0", 9)},
        {"all bytes", REG_BINARY, allBytes},
        {"no bytes", REG_BINARY, ""},
        {"dword", REG_DWORD, Bytes({0x78, 0x56, 0x34, 0x12})},
        {"short dword", REG_DWORD, Bytes({1, 2, 3})},
        {"big endian", REG_DWORD_BIG_ENDIAN, Bytes({0x12, 0x34, 0x56, 0x78})},
        {"qword", REG_QWORD, Bytes({1, 2, 3, 4, 5, 6, 7, 8})},
        {"none", REG_NONE, Bytes({9})},
        {"link", REG_LINK, "xy"},
        {"odd type", 0x12345, Bytes({0xAB})},
        {"name \"with\" \\ marks", REG_SZ, std::string("v") + '\0'},
    };
    RegFileWriter writer;
    writer.AddKey("HKEY_CURRENT_USER\\Software\\Round trip");
    for (const Case& c : cases)
        writer.AddValue(c.Name, c.Type, c.Data);
    const std::string bytes = writer.Bytes();
    ASSERT_EQ(bytes.substr(0, 2), "\xFF\xFE");

    // Lines stay short enough to read, and no value data breaks a line by itself.
    std::string line;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
        if (bytes[i] == '\n') {
            EXPECT_LE(line.size(), 81u) << line;
            line.clear();
        } else {
            line.push_back(bytes[i]);
        }
    }

    const auto items = Parse(bytes);
    ASSERT_EQ(items.size(), std::size(cases) + 1);
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].Name);
        EXPECT_EQ(items[i + 1].What, Kind::Value);
        EXPECT_EQ(items[i + 1].Name, cases[i].Name);
        EXPECT_EQ(items[i + 1].Type, cases[i].Type);
        EXPECT_EQ(items[i + 1].Data, cases[i].Data);
    }
}

TEST(RegFile, OnlyNamesWithoutLineBreaksAreWritable)
{
    EXPECT_TRUE(Writable("name with spaces \"and\" \\"));
    EXPECT_FALSE(Writable("two\nlines"));
    EXPECT_FALSE(Writable("carriage\rreturn"));
}
