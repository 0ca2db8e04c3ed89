#include "platform/hive/CurrentHive.h"
#include "platform/runtime/ErrorRecord.h"
#include "platform/win32/ComActivation.h"
#include "platform/win32/ComErrorInfo.h"
#include "platform/win32/ComGuid.h"
#include "platform/win32/ComPtr.h"
#include "tests/support/PrivateRegistry.h"
#include "tests/support/RaisedError.h"
#include "tests/support/TestFolder.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <string>

using namespace win32;

namespace
{
// The error ThrowIfFailed raises for hr.
runtime::Error Raised(HRESULT hr)
{
    return ErrorRaisedBy([hr] { ThrowIfFailed(hr); });
}
} // namespace

TEST(ComGuid, ParsesEitherCaseAndFormatsUpperCase)
{
    GUID guid;
    ASSERT_TRUE(GuidFromString("{b04d2094-18ff-4a8c-a759-a1900518cef7}", guid));
    EXPECT_EQ(guid.Data1, 0xB04D2094u);
    EXPECT_EQ(guid.Data2, 0x18FF);
    EXPECT_EQ(guid.Data3, 0x4A8C);
    const BYTE data4[8] = {0xA7, 0x59, 0xA1, 0x90, 0x05, 0x18, 0xCE, 0xF7};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(guid.Data4[i], data4[i]) << i;
    EXPECT_EQ(GuidToString(guid), "{B04D2094-18FF-4A8C-A759-A1900518CEF7}");
    EXPECT_EQ(GuidToString(GUID_NULL), "{00000000-0000-0000-0000-000000000000}");

    GUID again;
    ASSERT_TRUE(GuidFromString(GuidToString(guid), again));
    EXPECT_EQ(again, guid);
}

TEST(ComGuid, RefusesEveryOtherFormAndLeavesTheGuidAlone)
{
    const char* const malformed[] = {
        "",
        "B04D2094-18FF-4A8C-A759-A1900518CEF7",
        "{B04D2094-18FF-4A8C-A759-A1900518CEF}",
        "{B04D2094-18FF-4A8C-A759-A1900518CEF77}",
        "(B04D2094-18FF-4A8C-A759-A1900518CEF7)",
        "{B04D2094+18FF-4A8C-A759-A1900518CEF7}",
        "{B04D209418FF-4A8C-A759-A1900518CEF7-}",
        "{G04D2094-18FF-4A8C-A759-A1900518CEF7}",
        "{B04D2094-18FF-4A8C-A759-A1900518CEFZ}",
        "{ 04D2094-18FF-4A8C-A759-A1900518CEF7}",
        "{B04D2094-18FF-4A8C-A7-9A1900518CEF7A}",
    };
    for (const char* text : malformed) {
        GUID guid{1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}};
        const GUID before = guid;
        EXPECT_FALSE(GuidFromString(text, guid)) << text;
        EXPECT_EQ(guid, before) << text;
    }
}

namespace
{

// An object that counts its references and reports when it is destroyed.
class ICounted : public IUnknown
{
public:
    static constexpr IID InterfaceId{0x11111111, 0x2222, 0x3333, {4, 4, 4, 4, 4, 4, 4, 4}};
    virtual int Value() = 0;

protected:
    ~ICounted() = default;
};

class Counted final : public ICounted
{
public:
    explicit Counted(bool& destroyed) : destroyed_(destroyed) {}
    ~Counted() { destroyed_ = true; }

    HRESULT QueryInterface(REFIID riid, void** ppvObject) override
    {
        if (riid == IID_IUnknown || riid == ICounted::InterfaceId) {
            *ppvObject = static_cast<ICounted*>(this);
            AddRef();
            return S_OK;
        }
        *ppvObject = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return ++references; }
    ULONG Release() override
    {
        const ULONG remaining = --references;
        if (remaining == 0)
            delete this;
        return remaining;
    }
    int Value() override { return 42; }

    ULONG references = 1;

private:
    bool& destroyed_;
};

} // namespace

TEST(ComPtr, CountsEveryHolderAndReleasesOnce)
{
    bool destroyed = false;
    auto* object = new Counted(destroyed);
    {
        ComPtr<ICounted> first;
        first.Attach(object);
        EXPECT_EQ(object->references, 1u);
        ComPtr<ICounted> second = first;
        EXPECT_EQ(object->references, 2u);
        ComPtr<ICounted> third = std::move(second);
        EXPECT_EQ(object->references, 2u);
        EXPECT_FALSE(second);
        second = third;
        EXPECT_EQ(object->references, 3u);
        second = second;
        EXPECT_EQ(object->references, 3u);
        third.Reset();
        EXPECT_EQ(object->references, 2u);
        EXPECT_EQ(first->Value(), 42);

        ComPtr<IUnknown> unknown;
        EXPECT_EQ(first.As(unknown), S_OK);
        EXPECT_TRUE(unknown);
        EXPECT_EQ(object->references, 3u);

        // An interface the object does not have.
        ComPtr<IClassFactory> absent;
        EXPECT_EQ(first.As(absent), E_NOINTERFACE);
        EXPECT_FALSE(absent);
        EXPECT_EQ(object->references, 3u);
        EXPECT_FALSE(destroyed);
    }
    EXPECT_TRUE(destroyed);
}

TEST(ComErrorInfo, RunTimeErrorsTravelAsControlFacilityStatuses)
{
    EXPECT_EQ(HResultFromErrorNumber(13), static_cast<HRESULT>(0x800A000Du));
    EXPECT_EQ(HResultFromErrorNumber(6), static_cast<HRESULT>(0x800A0006u));
    EXPECT_EQ(HResultFromErrorNumber(REGDB_E_CLASSNOTREG), REGDB_E_CLASSNOTREG);
    EXPECT_EQ(ErrorNumberFromHResult(static_cast<HRESULT>(0x800A000Du)), 13);
    EXPECT_EQ(ErrorNumberFromHResult(REGDB_E_CLASSNOTREG), -2147221164);

    const HRESULT hr = ReportError(runtime::Error(runtime::TypeMismatch, {}, "Tarnhold.TarnholdAPI"));
    EXPECT_TRUE(FAILED(hr));
    const runtime::Error first = Raised(hr);
    EXPECT_EQ(first.Number(), 13);
    EXPECT_EQ(first.Description(), "Type mismatch");
    EXPECT_EQ(first.Source(), "Tarnhold.TarnholdAPI");
    // The info was taken: the same status again has only its own text.
    const runtime::Error again = Raised(hr);
    EXPECT_EQ(again.Number(), 13);
    EXPECT_EQ(again.Source(), runtime::DefaultErrorSource());
}

// Without info of its own a failure raises its standard text, or a generic one; success raises
// nothing.
TEST(ComErrorInfo, InfoOfAnotherFailureIsNotTakenForThisOne)
{
    SetErrorInfo(static_cast<HRESULT>(0x800A0006u), runtime::ErrorRecord{6, "Overflow", "Earlier"});
    const runtime::Error error = Raised(REGDB_E_CLASSNOTREG);
    EXPECT_EQ(error.Number(), -2147221164);
    EXPECT_EQ(error.Description(), "Class not registered");
    const runtime::Error unknown = Raised(static_cast<HRESULT>(0x80041234u));
    EXPECT_EQ(unknown.Number(), static_cast<int32_t>(0x80041234u));
    EXPECT_EQ(unknown.Description(), "Automation error");
    EXPECT_NO_THROW(ThrowIfFailed(S_OK));
    EXPECT_NO_THROW(ThrowIfFailed(S_FALSE));

    ClearErrorInfo();
    runtime::ErrorRecord info;
    EXPECT_FALSE(GetErrorInfo(static_cast<HRESULT>(0x800A0006u), info));
}

namespace
{

constexpr CLSID TestClass{0x0BADF00D, 0x1234, 0x5678, {0x9A, 0xBC, 0xDE, 0xF0, 0x12, 0x34, 0x56, 0x78}};

// Each test gets a hive of its own (with the Tarnhold library registered in it).
class ComActivation : public testing::Test
{
protected:
    // Writes the default value of a key below HKEY_CLASSES_ROOT, creating the key.
    static void WriteDefault(const std::string& path, const std::string& text)
    {
        PrivateRegistry::WriteValue(HKEY_CLASSES_ROOT, path, "", REG_SZ, text + '\0');
    }

    // Registers TestClass with `library` as its server.
    static void RegisterTestClass(const std::string& library)
    {
        WriteDefault("CLSID\\" + GuidToString(TestClass) + "\\InprocServer32", library);
    }

    // Asks for a TestClass object that cannot be made; a refused request must leave no object.
    static HRESULT Refusal(DWORD context = CLSCTX_INPROC_SERVER)
    {
        void* object = reinterpret_cast<void*>(1);
        const HRESULT hr = CoCreateInstance(TestClass, nullptr, context, IID_IUnknown, &object);
        EXPECT_EQ(object, nullptr) << "status " << hr;
        return hr;
    }

    PrivateRegistry registry;
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

// No class key, a class key without a server, an empty server path, or a request for another
// kind of server than an in-process one.
TEST_F(ComActivation, AClassWithoutAnInProcessServerIsNotRegistered)
{
    EXPECT_EQ(Refusal(), REGDB_E_CLASSNOTREG);
    EXPECT_EQ(ErrorNumberOf([] { CreateObject<IUnknown>(TestClass); }), static_cast<int32_t>(REGDB_E_CLASSNOTREG));

    WriteDefault("CLSID\\" + GuidToString(TestClass), "Test class");
    EXPECT_EQ(Refusal(), REGDB_E_CLASSNOTREG);
    RegisterTestClass("");
    EXPECT_EQ(Refusal(), REGDB_E_CLASSNOTREG);
    RegisterTestClass(PlatformLibraryPath());
    EXPECT_EQ(Refusal(CLSCTX_LOCAL_SERVER), REGDB_E_CLASSNOTREG);
    EXPECT_EQ(CoCreateInstance(TestClass, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, nullptr), E_POINTER);
}

TEST_F(ComActivation, ALibraryThatCannotServeIsReported)
{
    const std::string missing = folder.Sub(QStringLiteral("missing.so")).toStdString();
    RegisterTestClass(missing);
    const runtime::Error error = Raised(Refusal());
    EXPECT_EQ(error.Number(), static_cast<int32_t>(CO_E_DLLNOTFOUND));
    EXPECT_NE(error.Description().find(missing), std::string::npos) << error.Description();

    // A real library without the entry point is an error in the library.
    const std::string library = PlatformLibraryPath();
    ASSERT_FALSE(library.empty());
    RegisterTestClass(library);
    EXPECT_EQ(Refusal(), CO_E_ERRORINDLL);
    // Nothing of it can be unloaded by asking, and asking does no harm.
    CoFreeUnusedLibraries();
}

TEST_F(ComActivation, ProgIdsResolveThroughTheirClsidKey)
{
    CLSID clsid;
    EXPECT_EQ(CLSIDFromProgID(u"Test.Thing", &clsid), CO_E_CLASSSTRING);
    WriteDefault("Test.Thing\\CLSID", GuidToString(TestClass));
    EXPECT_EQ(CLSIDFromProgID(u"test.thing", &clsid), S_OK);
    EXPECT_EQ(clsid, TestClass);
    WriteDefault("Test.Thing\\CLSID", "not a guid");
    EXPECT_EQ(CLSIDFromProgID(u"Test.Thing", &clsid), CO_E_CLASSSTRING);
}

TEST_F(ComActivation, AnUnreadableHiveIsNotTakenForAMissingClass)
{
    const QByteArray garbage(4096, 'x');
    setenv("STRANDMOOR_HIVE", folder.WriteFile(QStringLiteral("garbage.hive"), garbage).toUtf8().constData(), 1);
    hive::ResetForTests();

    const runtime::Error error = Raised(Refusal());
    EXPECT_EQ(error.Number(), static_cast<int32_t>(REGDB_E_READREGDB));
    EXPECT_EQ(error.Description().rfind("The registry cannot be read", 0), 0u) << error.Description();
    CLSID clsid;
    EXPECT_EQ(CLSIDFromProgID(u"Tarnhold.TarnholdAPI", &clsid), REGDB_E_READREGDB);
    EXPECT_EQ(folder.ReadFile(QStringLiteral("garbage.hive")), garbage);
}
