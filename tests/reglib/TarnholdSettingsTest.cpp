// The settings operations of TarnholdAPI, called through its interface as the program calls them.
#include "tests/reglib/TarnholdFixture.h"

#include <tuple>

using runtime::Variant;
using namespace win32;

TEST_F(TarnholdTest, AFreshObjectWorksBelowTheCurrentUserUnderItsDefaultPrefix)
{
    LONG root = 0;
    ASSERT_EQ(api->get_Root(&root), S_OK);
    EXPECT_EQ(root, static_cast<LONG>(0x80000001u));
    std::u16string prefix;
    ASSERT_EQ(api->get_KeyPrefix(&prefix), S_OK);
    EXPECT_EQ(prefix.rfind(u"Software\\", 0), 0u);
    EXPECT_GT(prefix.size(), std::u16string(u"Software\\").size());
    EXPECT_EQ(prefix.back(), u'\\');

    ASSERT_EQ(api->SaveSetting(u"App", u"Section", u"Count", Variant(5), nullptr), S_OK);
    const RawValue raw = ReadRaw(HKEY_CURRENT_USER, UnicodeToAnsi(prefix) + "App\\Section", "Count");
    EXPECT_EQ(raw.Type, REG_DWORD);
    EXPECT_EQ(raw.Data, Dword(5));
    EXPECT_EQ(GetSetting(u"App", u"Section", u"Count"), Variant(5));
}

TEST_F(TarnholdTest, ThePathJoinsPrefixApplicationAndSectionAsGiven)
{
    // The prefix, the section, and the key path they give with application "Orrindale".
    const std::tuple<std::u16string, std::u16string, std::string> cases[] = {
        {u"", u"", "Orrindale"},
        {u"Software\\", u"", "Software\\Orrindale"},
        {u"", u"Strandmoor", "Orrindale\\Strandmoor"},
        {u"Software\\", u"Strandmoor", "Software\\Orrindale\\Strandmoor"},
        // No backslash is put between prefix and application.
        {u"Software\\Own", u"Strandmoor", "Software\\OwnOrrindale\\Strandmoor"},
    };
    int n = 0;
    for (const auto& [prefix, section, path] : cases) {
        SCOPED_TRACE(path);
        const std::u16string name = u"Value" + std::u16string(1, static_cast<char16_t>(u'0' + n++));
        ASSERT_EQ(api->put_KeyPrefix(prefix), S_OK);
        ASSERT_EQ(api->SaveSetting(u"Orrindale", section, name, Variant(u"x"), nullptr), S_OK);
        EXPECT_EQ(ReadRaw(HKEY_CURRENT_USER, path, UnicodeToAnsi(name)).Data, Text("x"));
        EXPECT_EQ(GetSetting(u"Orrindale", section, name), Variant(u"x"));
    }
}

TEST_F(TarnholdTest, RootChoosesThePredefinedRootOrAnOpenKey)
{
    UseProgramPrefix();
    ASSERT_EQ(api->put_Root(tarnhold::HKEY_LOCAL_MACHINE), S_OK);
    ASSERT_EQ(api->SaveSetting(u"Microsoft", u"Internet Explorer", u"Version", Variant(u"6.0.2800.1106"), nullptr),
              S_OK);
    EXPECT_EQ(ReadRaw(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Internet Explorer", "Version").Data,
              Text("6.0.2800.1106"));
    EXPECT_EQ(ReadRaw(HKEY_CURRENT_USER, "Software\\Microsoft\\Internet Explorer", "Version").Type, 0u);

    HKEY base = 0;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Base", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &base, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(api->put_Root(static_cast<LONG>(base)), S_OK);
    ASSERT_EQ(api->put_KeyPrefix(u""), S_OK);
    ASSERT_EQ(api->SaveSetting(u"App", u"", u"Name", Variant(u"below"), nullptr), S_OK);
    EXPECT_EQ(ReadRaw(HKEY_CURRENT_USER, "Base\\App", "Name").Data, Text("below"));

    // An empty path works on Root itself, and the caller's handle stays open afterwards.
    Variant listed;
    ASSERT_EQ(api->GetAllKeys(u"", u"", &listed), S_OK);
    ASSERT_EQ(listed.Type(), runtime::VariantType::Array);
    EXPECT_EQ(listed.AsArray().At(0, 1), Variant(u"App"));
    ASSERT_EQ(api->DeleteSetting(u"", u"", u"Absent"), S_OK);
    EXPECT_EQ(RegCloseKey(base), ERROR_SUCCESS);
}

TEST_F(TarnholdTest, GetSettingGivesTheDefaultForMissingOrEmptyValuesOnly)
{
    UseProgramPrefix();
    const std::string path = "Software\\Orrindale\\Strandmoor";
    registry.WriteValue(HKEY_CURRENT_USER, path, "Empty", REG_SZ, Text(""));
    registry.WriteValue(HKEY_CURRENT_USER, path, "Zero", REG_DWORD, Dword(0));
    registry.WriteValue(HKEY_CURRENT_USER, path, "Text", REG_SZ, Text("1500"));
    registry.WriteValue(HKEY_CURRENT_USER, path, "Expand", REG_EXPAND_SZ, Text("%HOME%"));
    registry.WriteValue(HKEY_CURRENT_USER, path, "Negative", REG_DWORD, Dword(0xFFFFFC18u));

    EXPECT_EQ(GetSetting(u"Orrindale", u"Strandmoor", u"Missing", Variant(int16_t{1000})), Variant(int16_t{1000}));
    EXPECT_EQ(GetSetting(u"Orrindale", u"Strandmoor", u"Missing"), Variant::Missing());
    EXPECT_EQ(GetSetting(u"Orrindale", u"Absent", u"Missing", Variant(u"0")), Variant(u"0"));
    EXPECT_EQ(GetSetting(u"Orrindale", u"Strandmoor", u"Empty", Variant(false)), Variant(false));
    EXPECT_EQ(GetSetting(u"Orrindale", u"Strandmoor", u"Zero", Variant(7)), Variant(0));
    EXPECT_EQ(GetSetting(u"Orrindale", u"Strandmoor", u"Text", Variant(7)), Variant(u"1500"));
    EXPECT_EQ(GetSetting(u"Orrindale", u"Strandmoor", u"Expand", Variant(7)), Variant(7));
    EXPECT_EQ(GetSetting(u"Orrindale", u"Strandmoor", u"Negative", Variant(7)), Variant(-1000));
}

TEST_F(TarnholdTest, SaveSettingChoosesTheTypeAndWritesItBack)
{
    UseProgramPrefix();
    // The value's name and setting; the type chosen, and the type and bytes stored.
    const std::tuple<const char*, Variant, LONG, DWORD, std::string> cases[] = {
        {"Text123", Variant(u"123"), 4, REG_DWORD, Dword(123)},
        {"Guid", Variant(u"{B04D2094-18FF-4A8C-A759-A1900518CEF7}"), 1, REG_SZ,
         Text("{B04D2094-18FF-4A8C-A759-A1900518CEF7}")},
        {"True", Variant(true), 4, REG_DWORD, Dword(0xFFFFFFFFu)},
        {"False", Variant(false), 4, REG_DWORD, Dword(0)},
        {"NegativeTwips", Variant(-15.5f), 4, REG_DWORD, Dword(static_cast<uint32_t>(-16))},
        {"Bit23", Variant(8388608), 4, REG_DWORD, Dword(8388608)},
        {"Words", Variant(u"C:\\Favorites"), 1, REG_SZ, Text("C:\\Favorites")},
        {"Hex", Variant(u"&H10"), 4, REG_DWORD, Dword(16)},
        {"Euro", Variant(u"\u20AC5"), 1, REG_SZ, {'\x80', '5', 0}},
    };
    for (const auto& [name, setting, chosenType, storedType, stored] : cases) {
        SCOPED_TRACE(name);
        LONG valueType = 0;
        ASSERT_EQ(api->SaveSetting(u"Orrindale", u"Strandmoor", AnsiToUnicode(name), setting, &valueType), S_OK);
        EXPECT_EQ(valueType, chosenType);
        const RawValue raw = ReadRaw(HKEY_CURRENT_USER, "Software\\Orrindale\\Strandmoor", name);
        EXPECT_EQ(raw.Type, storedType);
        EXPECT_EQ(raw.Data, stored);
    }

    // A type given by the caller is used as it is and left alone.
    LONG asText = 1;
    ASSERT_EQ(api->SaveSetting(u"Orrindale", u"Strandmoor", u"Timeout", Variant(1500), &asText), S_OK);
    EXPECT_EQ(asText, 1);
    EXPECT_EQ(ReadRaw(HKEY_CURRENT_USER, "Software\\Orrindale\\Strandmoor", "Timeout").Data, Text("1500"));
}

// The error's number, text and source reach the caller as for every member (see the dispatch
// tests); here, that nothing is written and no key is left open.
TEST_F(TarnholdTest, AFailedConversionWritesNothingAndLeavesNoKeyOpen)
{
    UseProgramPrefix();
    HKEY before = 0;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Probe", 0, nullptr, 0, KEY_READ, nullptr, &before, nullptr),
              ERROR_SUCCESS);
    LONG asNumber = 4;
    EXPECT_EQ(api->SaveSetting(u"Orrindale", u"Strandmoor", u"Timeout", Variant(u"soon"), &asNumber),
              static_cast<HRESULT>(0x800A000Du));
    EXPECT_EQ(ReadRaw(HKEY_CURRENT_USER, "Software\\Orrindale\\Strandmoor", "Timeout").Type, 0u);
    HKEY after = 0;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Probe", 0, KEY_READ, &after), ERROR_SUCCESS);
    ASSERT_LT(before, after);
    ASSERT_LT(after - before, 4096u);
    // Every handle handed out in between has been closed again.
    for (HKEY handle = before + 1; handle < after; ++handle)
        EXPECT_NE(RegCloseKey(handle), ERROR_SUCCESS) << handle;
    RegCloseKey(before);
    RegCloseKey(after);
}

TEST_F(TarnholdTest, DeleteSettingRemovesOneValueOrALeafSection)
{
    UseProgramPrefix();
    ASSERT_EQ(api->SaveSetting(u"Orrindale", u"", u"Own", Variant(1), nullptr), S_OK);
    ASSERT_EQ(api->SaveSetting(u"Orrindale", u"Strandmoor", u"Keep", Variant(1), nullptr), S_OK);
    ASSERT_EQ(api->SaveSetting(u"Orrindale", u"Strandmoor", u"Drop", Variant(2), nullptr), S_OK);
    ASSERT_EQ(api->CreateKey(u"Software\\Orrindale\\Empty"), S_OK);
    ASSERT_EQ(api->DeleteSetting(u"Orrindale", u"Strandmoor", u"drop"), S_OK);
    EXPECT_EQ(ReadRaw(HKEY_CURRENT_USER, "Software\\Orrindale\\Strandmoor", "Drop").Type, 0u);
    EXPECT_EQ(ReadRaw(HKEY_CURRENT_USER, "Software\\Orrindale\\Strandmoor", "Keep").Type, REG_DWORD);

    // Without section or key nothing is deleted, not even an empty application key.
    ASSERT_EQ(api->DeleteSetting(u"Orrindale", u"", u""), S_OK);
    ASSERT_EQ(api->DeleteSetting(u"Orrindale\\Empty", u"", u""), S_OK);
    EXPECT_EQ(ReadRaw(HKEY_CURRENT_USER, "Software\\Orrindale", "Own").Type, REG_DWORD);
    EXPECT_TRUE(registry.KeyExists(HKEY_CURRENT_USER, "Software\\Orrindale\\Empty"));

    // Without key the whole section goes, values and all, when it has no subkeys.
    ASSERT_EQ(api->DeleteSetting(u"Orrindale", u"Strandmoor", u""), S_OK);
    EXPECT_FALSE(registry.KeyExists(HKEY_CURRENT_USER, "Software\\Orrindale\\Strandmoor"));
    EXPECT_TRUE(registry.KeyExists(HKEY_CURRENT_USER, "Software\\Orrindale"));

    // A section with subkeys of its own stays.
    ASSERT_EQ(api->CreateKey(u"Software\\Orrindale\\Parent\\Child"), S_OK);
    ASSERT_EQ(api->DeleteSetting(u"Orrindale", u"Parent", u""), S_OK);
    EXPECT_TRUE(registry.KeyExists(HKEY_CURRENT_USER, "Software\\Orrindale\\Parent\\Child"));

    // Nothing missing is an error, also with no prefix, where the application's key sits right
    // below Root.
    EXPECT_EQ(api->DeleteSetting(u"Nobody", u"Nothing", u"None"), S_OK);
    EXPECT_EQ(api->DeleteSetting(u"Nobody", u"Nothing", u""), S_OK);
    ASSERT_EQ(api->put_KeyPrefix(u""), S_OK);
    ASSERT_EQ(api->DeleteSetting(u"Software", u"", u""), S_OK);
    EXPECT_TRUE(registry.KeyExists(HKEY_CURRENT_USER, "Software\\Orrindale\\Empty"));
}

TEST_F(TarnholdTest, GetAllSettingsListsNamesAndDataInCreationOrder)
{
    UseProgramPrefix();
    Variant listed = Variant(u"unchanged");
    ASSERT_EQ(api->GetAllSettings(u"Orrindale", u"Strandmoor", &listed), S_OK);
    EXPECT_TRUE(listed.IsEmpty());

    ASSERT_EQ(api->CreateKey(u"Software\\Orrindale\\Strandmoor"), S_OK);
    ASSERT_EQ(api->GetAllSettings(u"Orrindale", u"Strandmoor", &listed), S_OK);
    EXPECT_TRUE(listed.IsEmpty());

    // Types other than text and numbers are listed by name only, and the listing goes on.
    const std::string path = "Software\\Orrindale\\Strandmoor";
    const std::string longest = "TheValueWithTheLongestNameOfAll";
    registry.WriteValue(HKEY_CURRENT_USER, path, "Expand", REG_EXPAND_SZ, Text("%HOME%\\x"));
    registry.WriteValue(HKEY_CURRENT_USER, path, "Text", REG_SZ, Text("plain"));
    registry.WriteValue(HKEY_CURRENT_USER, path, "Multi", REG_MULTI_SZ, {'a', 0, 'b', 0, 0});
    registry.WriteValue(HKEY_CURRENT_USER, path, "Blob", REG_BINARY, {7, 8, 9});
    registry.WriteValue(HKEY_CURRENT_USER, path, longest, REG_DWORD, Dword(0xFFFFFFFFu));
    registry.WriteValue(HKEY_CURRENT_USER, path, "Unterminated", REG_SZ, "whole");
    registry.WriteValue(HKEY_CURRENT_USER, path, "Quad", REG_QWORD, {1, 0, 0, 0, 0, 0, 0, 0});

    ASSERT_EQ(api->GetAllSettings(u"Orrindale", u"Strandmoor", &listed), S_OK);
    ASSERT_EQ(listed.Type(), runtime::VariantType::Array);
    const runtime::VariantArray& table = listed.AsArray();
    ASSERT_EQ(table.Rows(), 7);
    ASSERT_EQ(table.Columns(), 2);
    const Variant expected[7][2] = {
        {Variant(u"Expand"), Variant()},
        {Variant(u"Text"), Variant(u"plain")},
        {Variant(u"Multi"), Variant()},
        // Binary data comes in a buffer two bytes longer than the longest data of the key
        // (the 9 bytes of Expand).
        {Variant(u"Blob"), Variant(std::vector<uint8_t>{7, 8, 9, 0, 0, 0, 0, 0, 0, 0, 0})},
        {Variant(AnsiToUnicode(longest)), Variant(-1)},
        {Variant(u"Unterminated"), Variant(u"whole")},
        {Variant(u"Quad"), Variant()},
    };
    for (int32_t row = 0; row < 7; ++row) {
        EXPECT_EQ(table.At(row, 0), expected[row][0]) << row;
        EXPECT_EQ(table.At(row, 1), expected[row][1]) << row;
    }
}

TEST_F(TarnholdTest, GetAllKeysListsSubkeyNamesInTheMiddleColumn)
{
    UseProgramPrefix();
    Variant listed = Variant(1);
    ASSERT_EQ(api->GetAllKeys(u"Orrindale", u"Strandmoor", &listed), S_OK);
    EXPECT_TRUE(listed.IsEmpty());

    ASSERT_EQ(api->CreateKey(u"Software\\Orrindale\\Strandmoor\\zeta"), S_OK);
    ASSERT_EQ(api->CreateKey(u"Software\\Orrindale\\Strandmoor\\TheSubkeyWithTheLongestName"), S_OK);
    ASSERT_EQ(api->CreateKey(u"Software\\Orrindale\\Strandmoor\\Alpha"), S_OK);
    ASSERT_EQ(api->GetAllKeys(u"Orrindale", u"Strandmoor", &listed), S_OK);
    ASSERT_EQ(listed.Type(), runtime::VariantType::Array);
    const runtime::VariantArray& table = listed.AsArray();
    ASSERT_EQ(table.Rows(), 3);
    ASSERT_EQ(table.Columns(), 3);
    const char16_t* const names[] = {u"Alpha", u"TheSubkeyWithTheLongestName", u"zeta"};
    for (int32_t row = 0; row < 3; ++row) {
        EXPECT_TRUE(table.At(row, 0).IsEmpty()) << row;
        EXPECT_EQ(table.At(row, 1), Variant(names[row])) << row;
        EXPECT_TRUE(table.At(row, 2).IsEmpty()) << row;
    }

    // The values of a key are no subkeys.
    ASSERT_EQ(api->SaveSetting(u"Orrindale", u"Strandmoor\\zeta", u"v", Variant(1), nullptr), S_OK);
    ASSERT_EQ(api->GetAllKeys(u"Orrindale", u"Strandmoor\\zeta", &listed), S_OK);
    EXPECT_TRUE(listed.IsEmpty());
}
