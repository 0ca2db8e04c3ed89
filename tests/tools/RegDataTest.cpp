#include "tools/reg/RegData.h"

#include "tools/reg/RegPath.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>

using namespace regtool;
using namespace win32;
using namespace std::string_literals;

// The common cases of each type go through `reg add` and `reg query` in RegToolTest; these are
// the limits.
TEST(RegData, TypedDataBecomesTheBytesStored)
{
    const std::tuple<DWORD, const char*, std::optional<std::string>> cases[] = {
        {REG_SZ, "", "\0"s},
        {REG_MULTI_SZ, "", "\0"s},
        {REG_DWORD, "0X1f", "\x1F\0\0\0"s},
        {REG_DWORD, "4294967295", "\xFF\xFF\xFF\xFF"s},
        {REG_DWORD, "4294967296", std::nullopt},
        {REG_DWORD, "-1", std::nullopt},
        {REG_DWORD, "12abc", std::nullopt},
        {REG_DWORD, "0x", std::nullopt},
        {REG_DWORD_BIG_ENDIAN, "0x01020304", "\x01\x02\x03\x04"s},
        {REG_QWORD, "18446744073709551616", std::nullopt},
        {REG_BINARY, "00fF10", "\0\xFF\x10"s},
        {REG_BINARY, "abc", std::nullopt},
        {REG_BINARY, "zz", std::nullopt},
    };
    for (const auto& [type, text, bytes] : cases) {
        SCOPED_TRACE(TypeName(type) + " " + text);
        EXPECT_EQ(DataFromText(type, text, "\\0"), bytes);
    }
    EXPECT_EQ(DataFromText(REG_MULTI_SZ, "a#b#c", "#"), "a\0b\0c\0\0"s);
}

TEST(RegData, StoredDataIsShownAsUsersReadIt)
{
    const std::tuple<DWORD, std::string, const char*> cases[] = {
        {REG_SZ, "no terminator", "no terminator"},
        {REG_DWORD, "\x01\x02"s, "0102"},
        {REG_DWORD_BIG_ENDIAN, "\0\0\x01\0"s, "0x100"},
        {REG_QWORD, "\x01\0\0"s, "010000"},
        {77, "\x01", "01"},
    };
    for (const auto& [type, data, shown] : cases)
        EXPECT_EQ(DataToText(type, data), shown) << shown;
}

// Only the types `reg add` can write have a name it reads.
TEST(RegData, TypeNamesAreReadInAnyCase)
{
    const std::pair<const char*, std::optional<DWORD>> names[] = {
        {"REG_DWORD_LITTLE_ENDIAN", REG_DWORD},
        {"Reg_Dword_Big_Endian", REG_DWORD_BIG_ENDIAN},
        {"DWORD", std::nullopt},
        {"REG_LINK", std::nullopt},
        {"REG_RESOURCE_LIST", std::nullopt},
        {"REG_FULL_RESOURCE_DESCRIPTOR", std::nullopt},
        {"REG_RESOURCE_REQUIREMENTS_LIST", std::nullopt},
    };
    for (const auto& [name, type] : names)
        EXPECT_EQ(TypeFromName(name), type) << name;
    EXPECT_EQ(TypeName(0x12345), "REG_UNKNOWN");
}

TEST(RegPath, RootsByLongAndShortName)
{
    // The key as typed, whether it is valid, its root and the path below the root.
    const std::tuple<const char*, bool, HKEY, const char*> cases[] = {
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
    for (const auto& [text, valid, root, sub] : cases) {
        SCOPED_TRACE(text);
        KeyPath path;
        ASSERT_EQ(ParseKeyPath(text, path), valid);
        if (!valid)
            continue;
        EXPECT_EQ(path.Root, root);
        EXPECT_EQ(path.Sub, sub);
    }
    KeyPath path;
    ASSERT_TRUE(ParseKeyPath("hkcu\\a", path));
    EXPECT_EQ(FullName(path), "HKEY_CURRENT_USER\\a");
    EXPECT_EQ(FullName(Child(path, "b")), "HKEY_CURRENT_USER\\a\\b");
}
