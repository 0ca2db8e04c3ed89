// The raw key and value operations of TarnholdAPI, by key path below Root or by open handle.
#include "tests/reglib/TarnholdFixture.h"

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
    WriteRaw(HKEY_CURRENT_USER, KeyPath, "Text", REG_SZ, Text("abc"));
    WriteRaw(HKEY_CURRENT_USER, KeyPath, "Number", REG_DWORD, Dword(0x80000000u));
    WriteRaw(HKEY_CURRENT_USER, KeyPath, "Blob", REG_BINARY, {1, 2, 3});
    WriteRaw(HKEY_CURRENT_USER, KeyPath, "NoBlob", REG_BINARY, {});
    WriteRaw(HKEY_CURRENT_USER, KeyPath, "Expand", REG_EXPAND_SZ, Text("%HOME%"));
    WriteRaw(HKEY_CURRENT_USER, KeyPath, "Multi", REG_MULTI_SZ, {'a', 0, 0});
    WriteRaw(HKEY_CURRENT_USER, KeyPath, "Unterminated", REG_SZ, Text("whole", false));
    WriteRaw(HKEY_CURRENT_USER, KeyPath, "NoBytes", REG_SZ, {});
    WriteRaw(HKEY_CURRENT_USER, KeyPath, "Ansi", REG_SZ, {'C', 0xE9, 0x80, 0});
    WriteRaw(HKEY_CURRENT_USER, KeyPath, "", REG_SZ, Text("default"));

    EXPECT_EQ(QueryValue(u"Software\\Raw", u"Text"), Variant(u"abc"));
    EXPECT_EQ(QueryValue(u"software\\RAW", u"TEXT"), Variant(u"abc"));
    EXPECT_EQ(QueryValue(u"Software\\Raw", u"Number"), Variant(static_cast<int32_t>(0x80000000u)));
    // Binary data comes back one byte longer, ending in 0.
    EXPECT_EQ(QueryValue(u"Software\\Raw", u"Blob"), Variant(std::vector<uint8_t>{1, 2, 3, 0}));
    EXPECT_EQ(QueryValue(u"Software\\Raw", u"NoBlob"), Variant(std::vector<uint8_t>{0}));
    EXPECT_TRUE(QueryValue(u"Software\\Raw", u"Expand").IsEmpty());
    EXPECT_TRUE(QueryValue(u"Software\\Raw", u"Multi").IsEmpty());
    EXPECT_EQ(QueryValue(u"Software\\Raw", u"Unterminated"), Variant(u"whole"));
    EXPECT_EQ(QueryValue(u"Software\\Raw", u"NoBytes"), Variant(u""));
    EXPECT_EQ(QueryValue(u"Software\\Raw", u"Ansi"), Variant(u"C\u00E9\u20AC"));
    EXPECT_EQ(QueryValue(u"Software\\Raw", u""), Variant(u"default"));
    EXPECT_TRUE(QueryValue(u"Software\\Raw", u"Missing").IsEmpty());
    EXPECT_TRUE(QueryValue(u"Software\\Nowhere", u"Text").IsEmpty());
}

TEST_F(TarnholdRawTest, QueryValueExReportsStatusesAndLeavesValueAloneWhenNothingIsRead)
{
    WriteRaw(HKEY_CURRENT_USER, KeyPath, "Number", REG_DWORD, Dword(77));
    WriteRaw(HKEY_CURRENT_USER, KeyPath, "Expand", REG_EXPAND_SZ, Text("%HOME%"));
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

TEST_F(TarnholdRawTest, SetValueExWritesTheGivenTypeWithClassicSizes)
{
    EXPECT_EQ(SetValueEx(u"Text", 1, Variant(u"abc")), 0);
    const RawValue text = ReadRaw(HKEY_CURRENT_USER, KeyPath, "Text");
    EXPECT_EQ(text.Type, REG_SZ);
    EXPECT_EQ(text.Data, Text("abc"));
    EXPECT_EQ(QueryValue(u"Software\\Raw", u"Text"), Variant(u"abc"));

    EXPECT_EQ(SetValueEx(u"Down", 4, Variant(2.5)), 0);
    EXPECT_EQ(ReadRaw(HKEY_CURRENT_USER, KeyPath, "Down").Data, Dword(2));
    EXPECT_EQ(SetValueEx(u"Up", 4, Variant(3.5)), 0);
    EXPECT_EQ(ReadRaw(HKEY_CURRENT_USER, KeyPath, "Up").Data, Dword(4));
    EXPECT_EQ(SetValueEx(u"FromText", 4, Variant(u" 12 ")), 0);
    EXPECT_EQ(ReadRaw(HKEY_CURRENT_USER, KeyPath, "FromText").Data, Dword(12));

    EXPECT_EQ(SetValueEx(u"Number", 1, Variant(2.5)), 0);
    EXPECT_EQ(ReadRaw(HKEY_CURRENT_USER, KeyPath, "Number").Data, Text("2.5"));

    EXPECT_EQ(SetValueEx(u"Blob", 3, Variant(std::vector<uint8_t>{9, 8, 7})), 0);
    const RawValue blob = ReadRaw(HKEY_CURRENT_USER, KeyPath, "Blob");
    EXPECT_EQ(blob.Type, REG_BINARY);
    EXPECT_EQ(blob.Data, (std::vector<uint8_t>{9, 8, 7}));
    EXPECT_EQ(QueryValue(u"Software\\Raw", u"Blob"), Variant(std::vector<uint8_t>{9, 8, 7, 0}));
    // A string written as binary is its UTF-16 code units.
    EXPECT_EQ(SetValueEx(u"TextBlob", 3, Variant(u"ab")), 0);
    EXPECT_EQ(ReadRaw(HKEY_CURRENT_USER, KeyPath, "TextBlob").Data, (std::vector<uint8_t>{'a', 0, 'b', 0}));
    EXPECT_EQ(SetValueEx(u"NoBytes", 3, Variant(std::vector<uint8_t>{})), 0);
    EXPECT_TRUE(ReadRaw(HKEY_CURRENT_USER, KeyPath, "NoBytes").Data.empty());

    // Other types write nothing and report success.
    EXPECT_EQ(SetValueEx(u"Expand", 2, Variant(u"%HOME%")), 0);
    EXPECT_EQ(ReadRaw(HKEY_CURRENT_USER, KeyPath, "Expand").Status, ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(SetValueEx(u"Multi", 7, Variant(u"a")), 0);
    EXPECT_EQ(ReadRaw(HKEY_CURRENT_USER, KeyPath, "Multi").Status, ERROR_FILE_NOT_FOUND);
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
    EXPECT_EQ(ReadRaw(HKEY_CURRENT_USER, KeyPath, "x").Status, ERROR_FILE_NOT_FOUND);
}

TEST_F(TarnholdRawTest, SetKeyValueAndCreateKeyCreateEveryMissingKey)
{
    ASSERT_EQ(api->SetKeyValue(u"One\\Two\\Three", u"Name", Variant(u"v"), 1), S_OK);
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, "One"));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, "One\\Two"));
    EXPECT_EQ(ReadRaw(HKEY_CURRENT_USER, "One\\Two\\Three", "Name").Data, Text("v"));

    // KeyPrefix does not apply to paths given directly.
    ASSERT_EQ(api->put_KeyPrefix(u"Software\\"), S_OK);
    ASSERT_EQ(api->CreateKey(u"Four\\Five\\Six"), S_OK);
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, "Four\\Five\\Six"));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\Four"));

    // An unknown type creates the key and writes nothing.
    ASSERT_EQ(api->SetKeyValue(u"Seven", u"Name", Variant(u"v"), 2), S_OK);
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, "Seven"));
    EXPECT_EQ(ReadRaw(HKEY_CURRENT_USER, "Seven", "Name").Status, ERROR_FILE_NOT_FOUND);

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
