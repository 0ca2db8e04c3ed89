#include "tools/reg/RegData.h"

#include "tools/reg/RegPath.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>

using namespace regtool;
using namespace win32;

TEST(RegData, TypedDataBecomesTheBytesStored)
{
    struct Case
    {
        DWORD Type;
        const char* Text;
        std::optional<std::string> Bytes;
    };
    const Case cases[] = {
        {REG_SZ, "hello", std::string("hello\0", 6)},
        {REG_SZ, "", std::string("\0", 1)},
        {REG_EXPAND_SZ, "%HOME%", std::string("%HOME%\0", 7)},
        {REG_MULTI_SZ, "a\\0b", std::string("a\0b\0\0", 5)},
        {REG_MULTI_SZ, "", std::string("\0", 1)},
        {REG_DWORD, "5", std::string("\x05\0\0\0", 4)},
        {REG_DWORD, "0x10", std::string("\x10\0\0\0", 4)},
        {REG_DWORD, "4294967295", std::string("\xFF\xFF\xFF\xFF", 4)},
        {REG_DWORD, "4294967296", std::nullopt},
        {REG_DWORD, "-1", std::nullopt},
        {REG_DWORD, "12abc", std::nullopt},
        {REG_DWORD, "0x", std::nullopt},
        {REG_DWORD_BIG_ENDIAN, "0x01020304", std::string("\x01\x02\x03\x04", 4)},
        {REG_QWORD, "0x100000000", std::string("\0\0\0\0\x01\0\0\0", 8)},
        {REG_QWORD, "18446744073709551616", std::nullopt},
        {REG_BINARY, "00fF10", std::string("\0\xFF\x10", 3)},
        {REG_BINARY, "abc", std::nullopt},
        {REG_BINARY, "zz", std::nullopt},
        {REG_NONE, "", std::string()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(TypeName(c.Type)) + " " + c.Text);
        EXPECT_EQ(DataFromText(c.Type, c.Text, "\\0"), c.Bytes);
    }
    EXPECT_EQ(DataFromText(REG_MULTI_SZ, "a#b#c", "#"), std::string("a\0b\0c\0\0", 7));
}

TEST(RegData, StoredDataIsShownAsUsersReadIt)
{
    struct Case
    {
        DWORD Type;
        std::string Data;
        const char* Shown;
    };
    const Case cases[] = {
        {REG_SZ, std::string("text\0", 5), "text"},
        {REG_SZ, "no terminator", "no terminator"},
        {REG_MULTI_SZ, std::string("a\0b\0\0", 5), "a\\0b"},
        {REG_DWORD, std::string("\x05\0\0\0", 4), "0x5"},
        {REG_DWORD, std::string("\xFF\xFF\xFF\xFF", 4), "0xffffffff"},
        {REG_DWORD, std::string("\x01\x02", 2), "0102"},
        {REG_DWORD_BIG_ENDIAN, std::string("\0\0\x01\0", 4), "0x100"},
        {REG_QWORD, std::string("\0\0\0\0\x01\0\0\0", 8), "0x100000000"},
        {REG_BINARY, std::string("\0\xAB", 2), "00AB"},
        {77, "\x01", "01"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DataToText(c.Type, c.Data), c.Shown) << c.Shown;
}

TEST(RegData, TypeNamesAreReadInAnyCase)
{
    EXPECT_EQ(TypeFromName("reg_dword"), REG_DWORD);
    EXPECT_EQ(TypeFromName("REG_MULTI_SZ"), REG_MULTI_SZ);
    EXPECT_EQ(TypeFromName("REG_DWORD_LITTLE_ENDIAN"), REG_DWORD);
    EXPECT_EQ(TypeFromName("REG_LINK"), std::nullopt);
    EXPECT_EQ(TypeFromName("DWORD"), std::nullopt);
    EXPECT_EQ(TypeName(0x12345), "REG_UNKNOWN");
}

TEST(RegPath, RootsByLongAndShortName)
{
    struct Case
    {
        const char* Text;
        bool Valid;
        HKEY Root;
        const char* Sub;
    };
    const Case cases[] = {
        {"HKCU\\Software\\X", true, HKEY_CURRENT_USER, "Software\\X"},
        {"hkey_local_machine\\Software\\", true, HKEY_LOCAL_MACHINE, "Software"},
        {"HKCR", true, HKEY_CLASSES_ROOT, ""},
        {"HKU\\a", true, HKEY_USERS, "a"},
        {"HKCC\\a", true, HKEY_CURRENT_CONFIG, "a"},
        {"HKEY_DYN_DATA\\a", true, HKEY_DYN_DATA, "a"},
        {"HKXX\\a", false, 0, ""},
        {"\\\\server\\HKLM\\a", false, 0, ""},
        {"HKCU\\\\a", false, 0, ""},
        {"HKCU\\a\\\\b", false, 0, ""},
        {"", false, 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Text);
        KeyPath path;
        ASSERT_EQ(ParseKeyPath(c.Text, path), c.Valid);
        if (!c.Valid)
            continue;
        EXPECT_EQ(path.Root, c.Root);
        EXPECT_EQ(path.Sub, c.Sub);
    }
    KeyPath path;
    ASSERT_TRUE(ParseKeyPath("hkcu\\a", path));
    EXPECT_EQ(FullName(path), "HKEY_CURRENT_USER\\a");
    EXPECT_EQ(FullName(Child(path, "b")), "HKEY_CURRENT_USER\\a\\b");
}
