#include "tools/reg/RegFile.h"

#include "tools/reg/RegData.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace regtool;
using namespace win32;
using Kind = RegFileItem::Kind;
using namespace std::string_literals;

namespace
{
std::vector<RegFileItem> Parse(const std::string& text)
{
    std::vector<RegFileItem> items;
    std::string error;
    EXPECT_TRUE(ParseRegFile(text, items, error)) << error;
    return items;
}
} // namespace

// What the writer never writes (the reg tool's round trip reads all it does write): comments,
// hexadecimal continued by hand, a lone backslash, deletions.
TEST(RegFile, ReadsWhatPeopleWriteByHand)
{
    const auto items = Parse("Windows Registry Editor Version 5.00\r\n"
                             "\r\n"
                             "; a comment\r\n"
                             "[HKEY_CURRENT_USER\\Software\\A]\r\n"
                             "\"s\"=\"x \\\"q\\\" \\\\ y \\z\"\r\n"
                             "\"b\"=hex:01,ff,\\\r\n"
                             "  02\r\n"
                             "\"gone\"=-\r\n"
                             "\r\n"
                             "[-HKCU\\Software\\B]\r\n");
    ASSERT_EQ(items.size(), 5u);
    EXPECT_EQ(items[0].What, Kind::Key);
    EXPECT_EQ(items[0].Key.Root, HKEY_CURRENT_USER);
    EXPECT_EQ(items[0].Key.Sub, "Software\\A");
    EXPECT_EQ(items[1].Data, "x \"q\" \\ y \\z\0"s); // a lone backslash stays
    EXPECT_EQ(items[2].Data, "\x01\xFF\x02"s);
    EXPECT_EQ(items[3].What, Kind::DeleteValue);
    EXPECT_EQ(items[3].Name, "gone");
    EXPECT_EQ(items[3].Key.Sub, "Software\\A");
    EXPECT_EQ(items[4].What, Kind::DeleteKey);
    EXPECT_EQ(items[4].Key.Sub, "Software\\B");
    EXPECT_EQ(items[4].Line, 10);
}

TEST(RegFile, ReadsTheOlderAnsiFormatAndUtf8)
{
    // In the older format text types are single bytes.
    auto items = Parse("REGEDIT4\n\n[HKLM\\Software\\A]\n\"e\"=hex(2):41,e9,00\n\"s\"=\"caf\xE9\"\n");
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[1].Data, "A\xE9\0"s);
    EXPECT_EQ(items[2].Data, "caf\xE9\0"s);

    // Text written in UTF-8 reads as ANSI; what the code page cannot hold as "?".
    items = Parse("REGEDIT4\n[HKLM\\Software\\A]\n\"s\"=\"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80\"\n");
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[1].Data, "caf\xE9 \x80 ?\0"s);
}

TEST(RegFile, RefusesBrokenFilesWholeWithTheLine)
{
    // The file and the start of its message.
    const std::pair<const char*, const char*> cases[] = {
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
    for (const auto& [text, line] : cases) {
        SCOPED_TRACE(text);
        std::vector<RegFileItem> items;
        std::string error;
        EXPECT_FALSE(ParseRegFile(text, items, error));
        EXPECT_TRUE(items.empty());
        EXPECT_EQ(error.rfind(line, 0), 0u) << error;
    }
}

TEST(RegFile, OnlyNamesWithoutLineBreaksAreWritable)
{
    EXPECT_TRUE(Writable("name with spaces \"and\" \\"));
    EXPECT_FALSE(Writable("two\nlines"));
    EXPECT_FALSE(Writable("carriage\rreturn"));
}
