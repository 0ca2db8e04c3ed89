// The raw key and value operations of TarnholdAPI, by key path below Root or by open handle.
#include "tests/reglib/TarnholdFixture.h"

#include <tuple>
#include <utility>

using runtime::Variant;
using namespace win32;

// The tests below work in one key, open for the whole test.
class TarnholdRawTest : public TarnholdTest
{
protected:
    void SetUp() override
    {
        TarnholdTest::SetUp();
        ASSERT_EQ(
            RegCreateKeyExA(HKEY_CURRENT_USER, KeyPath.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
    }
    void TearDown() override
    {
        RegCloseKey(key);
        TarnholdTest::TearDown();
    }

    Variant QueryValue(const std::u16string& keyName, const std::u16string& name)
    {
        Variant result = Variant(u"not written");
        EXPECT_EQ(api->QueryValue(keyName, name, &result), S_OK);
        return result;
    }
    // QueryValueEx into a value that holds 42 before; the status and the value afterwards.
    std::pair<LONG, Variant> QueryValueEx(LONG handle, const std::u16string& name)
    {
        Variant value = 42;
        LONG status = 12345;
        EXPECT_EQ(api->QueryValueEx(handle, name, &value, &status), S_OK);
        return {status, value};
    }
    // Runs SetValueEx on the open key; the status it returns.
    LONG SetValueEx(const std::u16string& name, LONG type, const Variant& value)
    {
        LONG status = 12345;
        EXPECT_EQ(api->SetValueEx(static_cast<LONG>(key), name, type, value, &status), S_OK);
        return status;
    }

    const std::string KeyPath = "Software\\Raw";
    HKEY key = 0;
};

// By key path or by open key, the same three types are read.
TEST_F(TarnholdRawTest, QueryValueAndQueryValueExReadTheThreeTypesAndNothingElse)
{
    // The value's name, its stored type and bytes (type 0: nothing stored), what is read, and
    // the status QueryValueEx reports. What is not read leaves QueryValueEx's value alone.
    const std::tuple<const char*, DWORD, std::string, Variant, LONG> cases[] = {
        {"Text", REG_SZ, Text("abc"), Variant(u"abc"), 0},
        {"Number", REG_DWORD, Dword(0x80000000u), Variant(static_cast<int32_t>(0x80000000u)), 0},
        // Binary data comes back one byte longer, ending in 0.
        {"Blob", REG_BINARY, {1, 2, 3}, Variant(std::vector<uint8_t>{1, 2, 3, 0}), 0},
        {"NoBlob", REG_BINARY, {}, Variant(std::vector<uint8_t>{0}), 0},
        {"Expand", REG_EXPAND_SZ, Text("%HOME%"), Variant(), -1},
        {"Multi", REG_MULTI_SZ, {'a', 0, 0}, Variant(), -1},
        {"Unterminated", REG_SZ, "whole", Variant(u"whole"), 0},
        {"NoBytes", REG_SZ, {}, Variant(u""), 0},
        {"Ansi", REG_SZ, {'C', '\xE9', '\x80', 0}, Variant(u"C\u00E9\u20AC"), 0},
        {"", REG_SZ, Text("default"), Variant(u"default"), 0},
        // A value that is not there is no failure.
        {"Missing", 0, {}, Variant(), 0},
    };
    for (const auto& [name, type, data, expected, status] : cases) {
        if (type != 0)
            registry.WriteValue(HKEY_CURRENT_USER, KeyPath, name, type, data);
        EXPECT_EQ(QueryValue(u"Software\\Raw", AnsiToUnicode(name)), expected) << name;
        const Variant read = expected.IsEmpty() ? Variant(42) : expected;
        EXPECT_EQ(QueryValueEx(static_cast<LONG>(key), AnsiToUnicode(name)), std::pair(status, read)) << name;
    }
    EXPECT_EQ(QueryValue(u"software\\RAW", u"TEXT"), Variant(u"abc"));
    EXPECT_TRUE(QueryValue(u"Software\\Nowhere", u"Text").IsEmpty());
    // No key, or one that is not open: nothing is read, and that is no failure either.
    EXPECT_EQ(QueryValueEx(0, u"Text"), std::pair(LONG{0}, Variant(42)));
    EXPECT_EQ(QueryValueEx(0x7FFF0000, u"Text"), std::pair(LONG{0}, Variant(42)));
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

    EXPECT_EQ(api->SetValueEx(static_cast<LONG>(key), u"x", 4, Variant(u"abc"), &status),
              static_cast<HRESULT>(0x800A000Du));
    EXPECT_EQ(api->SetValueEx(static_cast<LONG>(key), u"x", 3, Variant(5), &status), static_cast<HRESULT>(0x800A000Du));
    EXPECT_EQ(api->SetValueEx(static_cast<LONG>(key), u"x", 4, Variant(2147483648.0), &status),
              static_cast<HRESULT>(0x800A0006u));
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
