#include "platform/runtime/ErrorRecord.h"
#include "platform/win32/ComErrorInfo.h"
#include "platform/win32/ComGuid.h"
#include "platform/win32/ComPtr.h"

#include <gtest/gtest.h>

using namespace win32;

namespace
{
// The error ThrowIfFailed raises for hr.
runtime::Error Raised(HRESULT hr)
{
    try {
        ThrowIfFailed(hr);
    } catch (const runtime::Error& error) {
        return error;
    }
    ADD_FAILURE() << "no error raised for " << hr;
    return runtime::Error(0);
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

class IAbsent : public IUnknown
{
public:
    static constexpr IID InterfaceId{0x55555555, 0x2222, 0x3333, {4, 4, 4, 4, 4, 4, 4, 4}};

protected:
    ~IAbsent() = default;
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

        ComPtr<IAbsent> absent;
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

TEST(ComErrorInfo, InfoOfAnotherFailureIsNotTakenForThisOne)
{
    SetErrorInfo(static_cast<HRESULT>(0x800A0006u), runtime::ErrorRecord{6, "Overflow", "Earlier"});
    const runtime::Error error = Raised(REGDB_E_CLASSNOTREG);
    EXPECT_EQ(error.Number(), -2147221164);
    EXPECT_EQ(error.Description(), "Class not registered");

    ClearErrorInfo();
    runtime::ErrorRecord info;
    EXPECT_FALSE(GetErrorInfo(static_cast<HRESULT>(0x800A0006u), info));
}

TEST(ComErrorInfo, SuccessRaisesNothingAndUnknownFailuresGetAGenericText)
{
    EXPECT_NO_THROW(ThrowIfFailed(S_OK));
    EXPECT_NO_THROW(ThrowIfFailed(S_FALSE));
    const runtime::Error error = Raised(static_cast<HRESULT>(0x80041234u));
    EXPECT_EQ(error.Number(), static_cast<int32_t>(0x80041234u));
    EXPECT_EQ(error.Description(), "Automation error");
}
