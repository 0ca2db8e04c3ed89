#include "platform/win32/Registry.h"

#include "platform/hive/CurrentHive.h"
#include "tests/support/PrivateRegistry.h"
#include "tests/support/TestFolder.h"

#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <tuple>
#include <vector>

using namespace win32;

namespace
{
// Every test works on its own hive file.
class Registry : public ::testing::Test
{
protected:
    void SetUp() override { UseHive(QStringLiteral("registry.hive")); }
    void TearDown() override
    {
        for (HKEY key : opened)
            RegCloseKey(key);
        hive::ResetForTests();
        unsetenv("STRANDMOOR_HIVE");
    }

    void UseHive(const QString& name) { setenv("STRANDMOOR_HIVE", folder.Sub(name).toUtf8().constData(), 1); }

    // Creates or opens a key with every right; the status.
    LONG TryCreate(HKEY parent, const char* path, HKEY& key, DWORD* disposition = nullptr)
    {
        const LONG status = RegCreateKeyExA(parent, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                                            &key, disposition);
        if (status == ERROR_SUCCESS)
            opened.push_back(key);
        return status;
    }

    HKEY Create(const char* path, HKEY parent = HKEY_CURRENT_USER)
    {
        HKEY key = 0;
        EXPECT_EQ(TryCreate(parent, path, key), ERROR_SUCCESS) << path;
        return key;
    }

    LONG Open(const char* path, HKEY& key, REGSAM access = KEY_ALL_ACCESS, HKEY parent = HKEY_CURRENT_USER)
    {
        key = 0xDEAD;
        const LONG status = RegOpenKeyExA(parent, path, 0, access, &key);
        if (status == ERROR_SUCCESS)
            opened.push_back(key);
        return status;
    }

    LONG Set(HKEY key, const char* name, DWORD type, const std::string& data)
    {
        return RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                              static_cast<DWORD>(data.size()));
    }

    // The value's data; "<status N>" when it cannot be read.
    std::string Get(HKEY key, const char* name, DWORD* type = nullptr)
    {
        DWORD size = 0;
        LONG status = RegQueryValueExA(key, name, nullptr, type, nullptr, &size);
        if (status != ERROR_SUCCESS)
            return "<status " + std::to_string(status) + ">";
        std::string data(size, '\0');
        status = RegQueryValueExA(key, name, nullptr, type, reinterpret_cast<BYTE*>(data.data()), &size);
        if (status != ERROR_SUCCESS)
            return "<status " + std::to_string(status) + ">";
        return data.substr(0, size);
    }

    TestFolder folder;
    std::vector<HKEY> opened;
};
} // namespace

TEST_F(Registry, CreateMakesEveryMissingKeyAndOpenOnlyFindsThem)
{
    HKEY key = 0;
    DWORD disposition = 0;
    ASSERT_EQ(TryCreate(HKEY_CURRENT_USER, "Software\\A\\B\\C", key, &disposition), ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    HKEY found = 0;
    for (const char* path : std::initializer_list<const char*>{"Software\\A", "Software\\A\\B", "", nullptr})
        EXPECT_EQ(Open(path, found), ERROR_SUCCESS) << (path ? path : "(null)");
    ASSERT_EQ(TryCreate(HKEY_CURRENT_USER, "software\\a\\b\\c\\", found, &disposition), ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
    EXPECT_NE(found, key);
    // Relative to an open key, too.
    Create("D\\E", key);
    EXPECT_EQ(Open("Software\\A\\B\\C\\D\\E", found), ERROR_SUCCESS);

    // A missing key, also the same path under another root, opens nothing and gives handle 0.
    EXPECT_EQ(Open("Software\\A", found, KEY_READ, HKEY_LOCAL_MACHINE), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(found, 0u);
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, nullptr), ERROR_INVALID_PARAMETER);
}

// Which paths are bad is for the key name rules (see their tests); here, that every call passes
// their verdict on.
TEST_F(Registry, BadPathsAreRefused)
{
    HKEY key = 0;
    EXPECT_EQ(TryCreate(HKEY_CURRENT_USER, "Software\\\\X", key), ERROR_BAD_PATHNAME);
    EXPECT_EQ(TryCreate(HKEY_CURRENT_USER, ("Software\\" + std::string(256, 'x')).c_str(), key),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(Open("\\Software", key), ERROR_BAD_PATHNAME);
    EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\\\X"), ERROR_BAD_PATHNAME);
    EXPECT_EQ(TryCreate(HKEY_CURRENT_USER, nullptr, key), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, nullptr), ERROR_INVALID_PARAMETER);
}

// Sorting and letter case are the hive's; here, what a short buffer gets.
TEST_F(Registry, SubkeysEnumerateIntoBuffersWithRoomForTheTerminator)
{
    HKEY key = Create("Software\\Sorted");
    for (const char* name : {"beta", "1st"})
        Create(name, key);
    EXPECT_EQ(PrivateRegistry::SubkeyNames(HKEY_CURRENT_USER, "Software\\Sorted"),
              (std::vector<std::string>{"1st", "beta"}));
    char name[16];
    DWORD length = sizeof name;
    EXPECT_EQ(RegEnumKeyExA(key, 2, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);
    length = 3;
    EXPECT_EQ(RegEnumKeyExA(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);
    length = 4;
    char keyClass[8] = "junk";
    DWORD classLength = sizeof keyClass;
    uint64_t written = 0;
    EXPECT_EQ(RegEnumKeyExA(key, 0, name, &length, nullptr, keyClass, &classLength, &written), ERROR_SUCCESS);
    EXPECT_EQ(std::string(name), "1st");
    EXPECT_EQ(length, 3u);
    EXPECT_EQ(classLength, 0u);
    EXPECT_STREQ(keyClass, "");
    EXPECT_GT(written, 0u);
}

TEST_F(Registry, QueryReportsSizesAndShortBuffers)
{
    HKEY key = Create("Software\\Query");
    ASSERT_EQ(Set(key, "s", REG_SZ, std::string("abc\0", 4)), ERROR_SUCCESS);

    DWORD type = 0;
    DWORD size = 0;
    ASSERT_EQ(RegQueryValueExA(key, "s", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(size, 4u); // three characters and the terminator

    char buffer[8] = "xxxxxxx";
    size = 3;
    EXPECT_EQ(RegQueryValueExA(key, "s", nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 4u);
    EXPECT_STREQ(buffer, "xxxxxxx");
    size = 4;
    EXPECT_EQ(RegQueryValueExA(key, "s", nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size), ERROR_SUCCESS);
    EXPECT_STREQ(buffer, "abc");

    // Only the type, or nothing at all, may be asked for; data without a size may not.
    EXPECT_EQ(RegQueryValueExA(key, "s", nullptr, &type, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(RegQueryValueExA(key, "s", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), nullptr),
              ERROR_INVALID_PARAMETER);
    DWORD reserved = 0;
    EXPECT_EQ(RegQueryValueExA(key, "s", &reserved, &type, nullptr, &size), ERROR_INVALID_PARAMETER);

    EXPECT_EQ(RegQueryValueExA(key, "missing", nullptr, &type, nullptr, &size), ERROR_FILE_NOT_FOUND);
}

TEST_F(Registry, DataComesBackExactlyAsWritten)
{
    HKEY key = Create("Software\\Data");
    std::string allBytes;
    for (int i = 0; i < 256; ++i)
        allBytes.push_back(static_cast<char>(i));
    // A value's name, type and data.
    // clang-format off
    const std::tuple<const char*, DWORD, std::string> cases[] = {
        {"ansi", REG_SZ, std::string("caf\xE9 \x80 \x81", 9) + '\0'}, {"no terminator", REG_SZ, "abc"},
        {"inner zero", REG_SZ, std::string("a\0b\0", 4)}, {"empty", REG_SZ, ""},
        {"every byte as text", REG_EXPAND_SZ, allBytes}, {"multi", REG_MULTI_SZ, std::string("x\0y\0\0", 5)},
        {"every byte", REG_BINARY, allBytes}, {"dword", REG_DWORD, std::string("\xFF\xFF\xFF\xFF", 4)},
        {"odd type", 0xABCDEF, "?"}, {"", REG_SZ, std::string("default\0", 8)},
    };
    // clang-format on
    for (const auto& [name, type, data] : cases)
        ASSERT_EQ(Set(key, name, type, data), ERROR_SUCCESS) << name;
    for (const auto& [name, type, data] : cases) {
        SCOPED_TRACE(name);
        DWORD stored = 0;
        EXPECT_EQ(Get(key, name, &stored), data);
        EXPECT_EQ(stored, type);
    }
    // A null name is the default value, like "".
    EXPECT_EQ(Get(key, nullptr), std::string("default\0", 8));
    EXPECT_EQ(RegSetValueExA(key, "bad", 0, REG_BINARY, nullptr, 4), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegSetValueExA(key, std::string(16384, 'n').c_str(), 0, REG_SZ, nullptr, 0), ERROR_INVALID_PARAMETER);
}

TEST_F(Registry, EnumeratingValuesProbesTypeAndSizes)
{
    HKEY key = Create("Software\\Enum");
    ASSERT_EQ(Set(key, "text", REG_SZ, std::string("hello\0", 6)), ERROR_SUCCESS);
    ASSERT_EQ(Set(key, "number", REG_DWORD, std::string("\x05\0\0\0", 4)), ERROR_SUCCESS);

    // Empty buffers learn the type (and the sizes) without reading anything.
    char empty[1] = {'#'};
    DWORD nameLength = 0;
    DWORD type = 0;
    DWORD size = 0;
    EXPECT_EQ(RegEnumValueA(key, 0, empty, &nameLength, nullptr, &type, nullptr, &size), ERROR_MORE_DATA);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(nameLength, 4u);
    EXPECT_EQ(size, 6u);
    EXPECT_EQ(empty[0], '#');

    char name[8];
    char data[8];
    nameLength = sizeof name;
    size = 5;
    EXPECT_EQ(RegEnumValueA(key, 0, name, &nameLength, nullptr, &type, reinterpret_cast<BYTE*>(data), &size),
              ERROR_MORE_DATA);
    EXPECT_EQ(size, 6u);
    nameLength = 5; // "text" and its terminator, exactly
    size = 6;
    ASSERT_EQ(RegEnumValueA(key, 0, name, &nameLength, nullptr, &type, reinterpret_cast<BYTE*>(data), &size),
              ERROR_SUCCESS);
    EXPECT_STREQ(name, "text");
    EXPECT_EQ(nameLength, 4u);
    EXPECT_STREQ(data, "hello");

    nameLength = sizeof name;
    size = sizeof data;
    ASSERT_EQ(RegEnumValueA(key, 1, name, &nameLength, nullptr, &type, reinterpret_cast<BYTE*>(data), &size),
              ERROR_SUCCESS);
    EXPECT_STREQ(name, "number");
    EXPECT_EQ(type, REG_DWORD);
    EXPECT_EQ(size, 4u);
    nameLength = sizeof name;
    EXPECT_EQ(RegEnumValueA(key, 2, name, &nameLength, nullptr, &type, nullptr, nullptr), ERROR_NO_MORE_ITEMS);
    EXPECT_EQ(RegEnumValueA(key, 0, nullptr, &nameLength, nullptr, &type, nullptr, nullptr), ERROR_INVALID_PARAMETER);
}

TEST_F(Registry, InfoCountsAndLongestNames)
{
    HKEY key = Create("Software\\Info");
    const std::string longName(40, 'v');
    ASSERT_EQ(Set(key, "a", REG_SZ, std::string("x\0", 2)), ERROR_SUCCESS);
    ASSERT_EQ(Set(key, longName.c_str(), REG_BINARY, std::string(100, '\0')), ERROR_SUCCESS);
    ASSERT_EQ(Set(key, "bb", REG_SZ, std::string("longer text\0", 12)), ERROR_SUCCESS);
    Create("k", key);
    Create("the longest subkey", key);

    DWORD subkeys = 0, maxSubkey = 0, maxClass = 9, values = 0, maxName = 0, maxData = 0, security = 9;
    char keyClass[4] = "abc";
    DWORD classLength = sizeof keyClass;
    uint64_t written = 0;
    ASSERT_EQ(RegQueryInfoKeyA(key, keyClass, &classLength, nullptr, &subkeys, &maxSubkey, &maxClass, &values, &maxName,
                               &maxData, &security, &written),
              ERROR_SUCCESS);
    EXPECT_EQ(subkeys, 2u);
    EXPECT_EQ(maxSubkey, 18u);
    EXPECT_EQ(values, 3u);
    EXPECT_EQ(maxName, 40u);
    EXPECT_EQ(maxData, 100u);
    EXPECT_EQ(maxClass, 0u);
    EXPECT_EQ(classLength, 0u);
    EXPECT_EQ(security, 0u);
    EXPECT_GT(written, 0u);

    // Nothing but counts may be asked for; an empty key has none.
    HKEY empty = Create("Software\\Info\\k");
    ASSERT_EQ(RegQueryInfoKeyA(empty, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr, nullptr,
                               nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(subkeys, 0u);
    EXPECT_EQ(values, 0u);
}

TEST_F(Registry, DeletedKeysAreGoneAndTheirHandlesReachNothing)
{
    HKEY key = Create("Software\\Tree\\Leaf");
    ASSERT_EQ(Set(key, "v", REG_SZ, std::string("x\0", 2)), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Tree"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "software\\tree\\leaf"), ERROR_SUCCESS);
    HKEY found = 0;
    EXPECT_EQ(Open("Software\\Tree\\Leaf", found), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Tree\\Leaf"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Tree"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKeyA(HKEY_DYN_DATA, ""), ERROR_ACCESS_DENIED);

    // A key made again under the same name is a new key, which the old handle does not reach.
    HKEY again = Create("Software\\Tree\\Leaf");
    EXPECT_EQ(Get(again, "v"), "<status 2>");
    ASSERT_EQ(Set(again, "v", REG_SZ, std::string("y\0", 2)), ERROR_SUCCESS);
    EXPECT_EQ(Set(key, "v", REG_SZ, std::string("z\0", 2)), ERROR_KEY_DELETED);
    EXPECT_EQ(Get(key, "v"), "<status 1018>");
    HKEY child = 0;
    EXPECT_EQ(TryCreate(key, "child", child), ERROR_KEY_DELETED);
    EXPECT_EQ(Get(again, "v"), std::string("y\0", 2));
}

TEST_F(Registry, ClosedUnknownAndZeroHandlesAreInvalid)
{
    HKEY closed = Create("Software\\H");
    ASSERT_EQ(RegCloseKey(closed), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(closed), ERROR_INVALID_HANDLE);

    char name[16];
    DWORD length = sizeof name;
    DWORD count = 0;
    const BYTE data[] = {1};
    for (HKEY bad : {closed, HKEY(0), HKEY(0x12345678), HKEY(0x80000007)}) {
        SCOPED_TRACE(bad);
        HKEY out = 0;
        EXPECT_EQ(RegOpenKeyExA(bad, "x", 0, KEY_READ, &out), ERROR_INVALID_HANDLE);
        EXPECT_EQ(TryCreate(bad, "x", out), ERROR_INVALID_HANDLE);
        EXPECT_EQ(out, 0u);
        EXPECT_EQ(RegQueryValueExA(bad, "x", nullptr, nullptr, nullptr, &count), ERROR_INVALID_HANDLE);
        EXPECT_EQ(RegSetValueExA(bad, "x", 0, REG_BINARY, data, 1), ERROR_INVALID_HANDLE);
        EXPECT_EQ(RegEnumValueA(bad, 0, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_INVALID_HANDLE);
        EXPECT_EQ(RegEnumKeyExA(bad, 0, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_INVALID_HANDLE);
        EXPECT_EQ(RegQueryInfoKeyA(bad, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr, nullptr, nullptr,
                                   nullptr, nullptr),
                  ERROR_INVALID_HANDLE);
        EXPECT_EQ(RegDeleteValueA(bad, "x"), ERROR_INVALID_HANDLE);
        EXPECT_EQ(RegDeleteKeyA(bad, "x"), ERROR_INVALID_HANDLE);
        EXPECT_EQ(RegCloseKey(bad), ERROR_INVALID_HANDLE);
    }
    // Every predefined root is a valid handle that closing leaves valid.
    for (HKEY root = HKEY_CLASSES_ROOT; root <= HKEY_DYN_DATA; ++root) {
        SCOPED_TRACE(root);
        EXPECT_EQ(RegCloseKey(root), ERROR_SUCCESS);
        EXPECT_EQ(Set(root, "v", REG_BINARY, "\x01"), ERROR_SUCCESS);
        EXPECT_EQ(Get(root, "v"), "\x01");
    }
}

TEST_F(Registry, HandlesGrantOnlyTheRightsAskedFor)
{
    Create("Software\\Rights\\Existing");
    HKEY reader = 0;
    ASSERT_EQ(Open("Software\\Rights", reader, KEY_READ), ERROR_SUCCESS);
    EXPECT_EQ(Set(reader, "v", REG_SZ, std::string("x\0", 2)), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteValueA(reader, "v"), ERROR_ACCESS_DENIED);
    HKEY child = 0;
    EXPECT_EQ(TryCreate(reader, "New", child), ERROR_ACCESS_DENIED);
    EXPECT_EQ(Open("Software\\Rights\\New", child), ERROR_FILE_NOT_FOUND);
    // Opening an existing subkey needs no right to create.
    ASSERT_EQ(TryCreate(reader, "Existing", child), ERROR_SUCCESS);

    HKEY writer = 0;
    ASSERT_EQ(Open("Software\\Rights", writer, KEY_SET_VALUE), ERROR_SUCCESS);
    EXPECT_EQ(Set(writer, "v", REG_SZ, std::string("x\0", 2)), ERROR_SUCCESS);
    EXPECT_EQ(Get(writer, "v"), "<status 5>");
    char name[8];
    DWORD length = sizeof name;
    EXPECT_EQ(RegEnumKeyExA(writer, 0, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_ACCESS_DENIED);

    // The mask the registry library uses allows everything it does.
    HKEY library = 0;
    ASSERT_EQ(Open("Software\\Rights", library, 0x3F), ERROR_SUCCESS);
    EXPECT_EQ(Get(library, "v"), std::string("x\0", 2));
    EXPECT_EQ(RegDeleteValueA(library, "v"), ERROR_SUCCESS);
}

TEST_F(Registry, SwitchingHivesLeavesOpenHandlesInTheirOwn)
{
    HKEY first = Create("Software\\Switch");
    ASSERT_EQ(Set(first, "v", REG_SZ, std::string("first\0", 6)), ERROR_SUCCESS);

    UseHive(QStringLiteral("second.hive"));
    HKEY key = 0;
    EXPECT_EQ(Open("Software\\Switch", key), ERROR_FILE_NOT_FOUND);
    HKEY second = Create("Software\\Switch");
    ASSERT_EQ(Set(second, "v", REG_SZ, std::string("second\0", 7)), ERROR_SUCCESS);
    EXPECT_EQ(Get(first, "v"), std::string("first\0", 6));

    UseHive(QStringLiteral("registry.hive"));
    ASSERT_EQ(Open("Software\\Switch", key), ERROR_SUCCESS);
    EXPECT_EQ(Get(key, "v"), std::string("first\0", 6));
}
