#include "platform/win32/ComActivation.h"

#include "platform/hive/CurrentHive.h"
#include "platform/runtime/ErrorRecord.h"
#include "platform/win32/Registry.h"
#include "tests/support/TestFolder.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <string>

using namespace win32;

namespace
{

constexpr CLSID TestClass{0x0BADF00D, 0x1234, 0x5678, {0x9A, 0xBC, 0xDE, 0xF0, 0x12, 0x34, 0x56, 0x78}};

// Each test gets a hive of its own.
class ComActivation : public testing::Test
{
protected:
    void SetUp() override
    {
        setenv("STRANDMOOR_HIVE", folder.Sub(QStringLiteral("registry.hive")).toStdString().c_str(), 1);
        hive::ResetForTests();
    }
    void TearDown() override
    {
        hive::ResetForTests();
        unsetenv("STRANDMOOR_HIVE");
    }

    // Registers TestClass with `library` as its server.
    static void RegisterTestClass(const std::string& library)
    {
        HKEY key = 0;
        const std::string path = "CLSID\\" + GuidToString(TestClass) + "\\InprocServer32";
        ASSERT_EQ(
            RegCreateKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueExA(key, "", 0, REG_SZ, reinterpret_cast<const BYTE*>(library.c_str()),
                                 static_cast<DWORD>(library.size() + 1)),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }

    static HRESULT Create(void** object)
    {
        return CoCreateInstance(TestClass, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, object);
    }

    TestFolder folder;
};

// The file of the shared platform library: a real library without the server entry points.
std::string PlatformLibraryPath()
{
    Dl_info info{};
    if (!dladdr(reinterpret_cast<void*>(&GuidToString), &info) || !info.dli_fname)
        return {};
    return info.dli_fname;
}

} // namespace

TEST_F(ComActivation, AClassWithoutKeysIsNotRegistered)
{
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(Create(&object), REGDB_E_CLASSNOTREG);
    EXPECT_EQ(object, nullptr);

    try {
        CreateObject<IUnknown>(TestClass);
        FAIL() << "no error raised";
    } catch (const runtime::Error& error) {
        EXPECT_EQ(error.Number(), static_cast<int32_t>(REGDB_E_CLASSNOTREG));
        EXPECT_EQ(error.Description(), "Class not registered");
    }
}

TEST_F(ComActivation, AClassKeyWithoutServerIsNotRegistered)
{
    HKEY key = 0;
    const std::string path = "CLSID\\" + GuidToString(TestClass);
    ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);
    void* object = nullptr;
    EXPECT_EQ(Create(&object), REGDB_E_CLASSNOTREG);
    RegisterTestClass("");
    EXPECT_EQ(Create(&object), REGDB_E_CLASSNOTREG);
}

TEST_F(ComActivation, AMissingLibraryIsReportedWithItsPath)
{
    const std::string missing = folder.Sub(QStringLiteral("missing.so")).toStdString();
    RegisterTestClass(missing);
    void* object = nullptr;
    const HRESULT hr = Create(&object);
    EXPECT_EQ(hr, CO_E_DLLNOTFOUND);
    EXPECT_EQ(object, nullptr);
    try {
        ThrowIfFailed(hr);
        FAIL() << "no error raised";
    } catch (const runtime::Error& error) {
        EXPECT_EQ(error.Number(), static_cast<int32_t>(CO_E_DLLNOTFOUND));
        EXPECT_NE(error.Description().find(missing), std::string::npos) << error.Description();
    }
}

TEST_F(ComActivation, ALibraryWithoutTheEntryPointIsAnErrorInTheLibrary)
{
    const std::string library = PlatformLibraryPath();
    ASSERT_FALSE(library.empty());
    RegisterTestClass(library);
    void* object = nullptr;
    EXPECT_EQ(Create(&object), CO_E_ERRORINDLL);
    EXPECT_EQ(object, nullptr);
    // Nothing of it can be unloaded by asking, and asking does no harm.
    CoFreeUnusedLibraries();
}

TEST_F(ComActivation, OnlyInProcessServersAndAnOutPointer)
{
    EXPECT_EQ(CoCreateInstance(TestClass, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, nullptr), E_POINTER);
    void* object = nullptr;
    RegisterTestClass(PlatformLibraryPath());
    EXPECT_EQ(CoCreateInstance(TestClass, nullptr, CLSCTX_LOCAL_SERVER, IID_IUnknown, &object), REGDB_E_CLASSNOTREG);
}

TEST_F(ComActivation, ProgIdsResolveThroughTheirClsidKey)
{
    CLSID clsid;
    EXPECT_EQ(CLSIDFromProgID(u"Test.Thing", &clsid), CO_E_CLASSSTRING);

    HKEY key = 0;
    ASSERT_EQ(
        RegCreateKeyExA(HKEY_CLASSES_ROOT, "Test.Thing\\CLSID", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
        ERROR_SUCCESS);
    const std::string text = GuidToString(TestClass);
    ASSERT_EQ(RegSetValueExA(key, "", 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                             static_cast<DWORD>(text.size() + 1)),
              ERROR_SUCCESS);
    EXPECT_EQ(CLSIDFromProgID(u"test.thing", &clsid), S_OK);
    EXPECT_EQ(clsid, TestClass);

    const char garbage[] = "not a guid";
    ASSERT_EQ(RegSetValueExA(key, "", 0, REG_SZ, reinterpret_cast<const BYTE*>(garbage), sizeof garbage),
              ERROR_SUCCESS);
    EXPECT_EQ(CLSIDFromProgID(u"Test.Thing", &clsid), CO_E_CLASSSTRING);
    RegCloseKey(key);
}

TEST_F(ComActivation, AnUnreadableHiveIsNotTakenForAMissingClass)
{
    const QByteArray garbage(4096, 'x');
    const QString path = folder.WriteFile(QStringLiteral("garbage.hive"), garbage);
    setenv("STRANDMOOR_HIVE", path.toStdString().c_str(), 1);
    hive::ResetForTests();

    void* object = nullptr;
    const HRESULT hr = Create(&object);
    EXPECT_EQ(hr, REGDB_E_READREGDB);
    EXPECT_EQ(object, nullptr);
    try {
        ThrowIfFailed(hr);
        FAIL() << "no error raised";
    } catch (const runtime::Error& error) {
        EXPECT_EQ(error.Number(), static_cast<int32_t>(REGDB_E_READREGDB));
        EXPECT_EQ(error.Description().rfind("The registry cannot be read", 0), 0u) << error.Description();
    }
    CLSID clsid;
    EXPECT_EQ(CLSIDFromProgID(u"Tarnhold.TarnholdAPI", &clsid), REGDB_E_READREGDB);
    EXPECT_EQ(folder.ReadFile(QStringLiteral("garbage.hive")), garbage);
}
