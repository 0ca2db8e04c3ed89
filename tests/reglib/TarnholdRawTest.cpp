// The raw key and value operations of TarnholdAPI, by key path below Root or by open handle.
#include "tests/reglib/TarnholdFixture.h"

#include <tuple>

using runtime::Variant;
using namespace win32;

class TarnholdRawTest : public TarnholdTest
{
protected:
    const std::string KeyPath = "Software\\Raw";

    Variant QueryValue(const std::u16string& key, const std::u16string& name)
    {
        Variant result = Variant(u"not written");
        EXPECT_EQ(api->QueryValue(key, name, &result), S_OK);
        return result;
    }

    // Runs SetValueEx on a key opened for it; the status it returns.
    LONG SetValueEx(const std::u16string& name, LONG type, const Variant& value)
    {
        HKEY key = 0;
        EXPECT_EQ(
            RegCreateKeyExA(HKEY_CURRENT_USER, KeyPath.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
        LONG status = 12345;
        EXPECT_EQ(api->SetValueEx(static_cast<LONG>(key), name, type, value, &status), S_OK);
        RegCloseKey(key);
        return status;
    }
};

TEST_F(TarnholdRawTest, QueryValueReadsTheThreeTypesAndNothingElse)
{
    // The value's name, its stored type and bytes, and what QueryValue gives for it.
    const std::tuple<const char*, DWORD, std::string, Variant> cases[] = {
        {"Text", REG_SZ, Text("abc"), Variant(u"abc")},
        {"Number", REG_DWORD, Dword(0x80000000u), Variant(static_cast<int32_t>(0x80000000u))},
        // Binary data comes back one byte longer, ending in 0.
        {"Blob", REG_BINARY, {1, 2, 3}, Variant(std::vector<uint8_t>{1, 2, 3, 0})},
        {"NoBlob", REG_BINARY, {}, Variant(std::vector<uint8_t>{0})},
        {"Expand", REG_EXPAND_SZ, Text("%HOME%"), Variant()},
        {"Multi", REG_MULTI_SZ, {'a', 0, 0}, Variant()},
        {"Unterminated", REG_SZ, "whole", Variant(u"whole")},
        {"NoBytes", REG_SZ, {}, Variant(u"")},
        {"Ansi", REG_SZ, {'C', '\xE9', '\x80', 0}, Variant(u"C\u00E9\u20AC")},
        {"", REG_SZ, Text("default"), Variant(u"default")},
    };
    for (const auto& [name, type, data, expected] : cases) {
        registry.WriteValue(HKEY_CURRENT_USER, KeyPath, name, type, data);
        EXPECT_EQ(QueryValue(u"Software\\Raw", AnsiToUnicode(name)), expected) << name;
    }
    EXPECT_EQ(QueryValue(u"software\\RAW", u"TEXT"), Variant(u"abc"));
    EXPECT_TRUE(QueryValue(u"Software\\Raw", u"Missing").IsEmpty());
    EXPECT_TRUE(QueryValue(u"Software\\Nowhere", u"Text").IsEmpty());
}

TEST_F(TarnholdRawTest, QueryValueExReportsStatusesAndLeavesValueAloneWhenNothingIsRead)
{
    registry.WriteValue(HKEY_CURRENT_USER, KeyPath, "Number", REG_DWORD, Dword(77));
    registry.WriteValue(HKEY_CURRENT_USER, KeyPath, "Expand", REG_EXPAND_SZ, Text("%HOME%"));
    HKEY key = 0;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, KeyPath.c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);

    struct Case
    {
        const char16_t* Name;
        LONG Handle;
        LONG Status;
        Variant After;
    };
    // clang-format off
    const Case cases[] = {
        {u"Number", static_cast<LONG>(key), 0, Variant(77)}, {u"Missing", static_cast<LONG>(key), 0, Variant(42)},
        {u"Number", 0, 0, Variant(42)}, {u"Number", 0x7FFF0000, 0, Variant(42)},
        {u"Expand", static_cast<LONG>(key), -1, Variant(42)},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(AnsiToUtf8(UnicodeToAnsi(c.Name)));
        Variant value = 42;
        LONG status = 12345;
        ASSERT_EQ(api->QueryValueEx(c.Handle, c.Name, &value, &status), S_OK);
        EXPECT_EQ(status, c.Status);
        EXPECT_EQ(value, c.After);
    }
    RegCloseKey(key);
}

// How numbers and text convert is the run-time library's; here, that each type is written with
// its own size and layout.
TEST_F(TarnholdRawTest, SetValueExWritesTheGivenTypeWithClassicSizes)
{
    // The value's name, the type asked for and the value; the type and bytes stored (type 0:
    // nothing is written, and success is reported all the same).
    const std::tuple<const char*, LONG, Variant, DWORD, std::string> cases[] = {
        {"Text", 1, Variant(u"abc"), REG_SZ, Text("abc")},
        {"Number", 1, Variant(2.5), REG_SZ, Text("2.5")},
        {"Down", 4, Variant(2.5), REG_DWORD, Dword(2)},
        {"Blob", 3, Variant(std::vector<uint8_t>{9, 8, 7}), REG_BINARY, {9, 8, 7}},
        // A string written as binary is its UTF-16 code units.
        {"TextBlob", 3, Variant(u"ab"), REG_BINARY, {'a', 0, 'b', 0}},
        {"NoBytes", 3, Variant(std::vector<uint8_t>{}), REG_BINARY, {}},
        {"Expand", 2, Variant(u"%HOME%"), 0, {}},
        {"Multi", 7, Variant(u"a"), 0, {}},
    };
    for (const auto& [name, type, value, storedType, stored] : cases) {
        EXPECT_EQ(SetValueEx(AnsiToUnicode(name), type, value), 0) << name;
        const RawValue raw = ReadRaw(HKEY_CURRENT_USER, KeyPath, name);
        EXPECT_EQ(raw.Type, storedType) << name;
        EXPECT_EQ(raw.Data, stored) << name;
    }
}

TEST_F(TarnholdRawTest, SetValueExReportsRegistryStatusesAndConversionErrors)
{
    LONG status = 12345;
    ASSERT_EQ(api->SetValueEx(0x7FFF0000, u"x", 4, Variant(1), &status), S_OK);
    EXPECT_EQ(status, ERROR_INVALID_HANDLE);

    HKEY key = 0;
    ASSERT_EQ(
        RegCreateKeyExA(HKEY_CURRENT_USER, KeyPath.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
        ERROR_SUCCESS);
    EXPECT_EQ(api->SetValueEx(static_cast<LONG>(key), u"x", 4, Variant(u"abc"), &status),
              static_cast<HRESULT>(0x800A000Du));
    EXPECT_EQ(api->SetValueEx(static_cast<LONG>(key), u"x", 3, Variant(5), &status), static_cast<HRESULT>(0x800A000Du));
    EXPECT_EQ(api->SetValueEx(static_cast<LONG>(key), u"x", 4, Variant(2147483648.0), &status),
              static_cast<HRESULT>(0x800A0006u));
    RegCloseKey(key);
    EXPECT_EQ(ReadRaw(HKEY_CURRENT_USER, KeyPath, "x").Type, 0u);
}

TEST_F(TarnholdRawTest, SetKeyValueAndCreateKeyCreateEveryMissingKey)
{
    ASSERT_EQ(api->SetKeyValue(u"One\\Two\\Three", u"Name", Variant(u"v"), 1), S_OK);
    EXPECT_TRUE(registry.KeyExists(HKEY_CURRENT_USER, "One"));
    EXPECT_TRUE(registry.KeyExists(HKEY_CURRENT_USER, "One\\Two"));
    EXPECT_EQ(ReadRaw(HKEY_CURRENT_USER, "One\\Two\\Three", "Name").Data, Text("v"));

    // KeyPrefix does not apply to paths given directly.
    ASSERT_EQ(api->put_KeyPrefix(u"Software\\"), S_OK);
    ASSERT_EQ(api->CreateKey(u"Four\\Five\\Six"), S_OK);
    EXPECT_TRUE(registry.KeyExists(HKEY_CURRENT_USER, "Four\\Five\\Six"));
    EXPECT_FALSE(registry.KeyExists(HKEY_CURRENT_USER, "Software\\Four"));

    // An unknown type creates the key and writes nothing.
    ASSERT_EQ(api->SetKeyValue(u"Seven", u"Name", Variant(u"v"), 2), S_OK);
    EXPECT_TRUE(registry.KeyExists(HKEY_CURRENT_USER, "Seven"));
    EXPECT_EQ(ReadRaw(HKEY_CURRENT_USER, "Seven", "Name").Type, 0u);

    // Below a root the process may not create keys in, the write is dropped silently.
    ASSERT_EQ(api->put_Root(0x7FFF0000), S_OK);
    EXPECT_EQ(api->SetKeyValue(u"Eight", u"Name", Variant(u"v"), 1), S_OK);
    EXPECT_EQ(api->CreateKey(u"Eight"), S_OK);
    Variant value;
    EXPECT_EQ(api->QueryValue(u"Eight", u"Name", &value), S_OK);
    EXPECT_TRUE(value.IsEmpty());
}

TEST_F(TarnholdRawTest, NullResultPointersAreRefused)
{
    EXPECT_EQ(api->get_KeyPrefix(nullptr), E_POINTER);
    EXPECT_EQ(api->get_Root(nullptr), E_POINTER);
    EXPECT_EQ(api->QueryValue(u"a", u"b", nullptr), E_POINTER);
    Variant value;
    EXPECT_EQ(api->QueryValueEx(0, u"b", &value, nullptr), E_POINTER);
    EXPECT_EQ(api->QueryValueEx(0, u"b", nullptr, nullptr), E_POINTER);
    EXPECT_EQ(api->GetAllSettings(u"a", u"", nullptr), E_POINTER);
    EXPECT_EQ(api->GetAllKeys(u"a", u"", nullptr), E_POINTER);
}
