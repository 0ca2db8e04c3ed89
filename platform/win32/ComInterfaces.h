#pragma once
#include "platform/runtime/Variant.h"
#include "platform/win32/ComGuid.h"
#include "platform/win32/ComResult.h"

#include <string>

// The standard COM interfaces as C++ abstract classes. Objects are reference counted and
// destroy themselves on the last Release, so the destructors are not for callers.
namespace win32
{

using ULONG = uint32_t;
using UINT = uint32_t;
using LCID = DWORD;
using DISPID = LONG;

// The base of every interface: identity, and the reference count that keeps the object alive.
class IUnknown
{
public:
    static constexpr IID InterfaceId{0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

    // Hands out the interface `riid` of the same object (counted), or E_NOINTERFACE.
    virtual HRESULT QueryInterface(REFIID riid, void** ppvObject) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

protected:
    ~IUnknown() = default;
};

// Flags of IDispatch::Invoke: what the caller wants of the member.
constexpr WORD DISPATCH_METHOD = 1;
constexpr WORD DISPATCH_PROPERTYGET = 2;
constexpr WORD DISPATCH_PROPERTYPUT = 4;

// The named argument that carries the new value of a property put.
constexpr DISPID DISPID_PROPERTYPUT = -3;
constexpr DISPID DISPID_UNKNOWN = -1;

constexpr HRESULT DISP_E_NONAMEDARGS = static_cast<HRESULT>(0x80020007u);

// The arguments of a late-bound call. As on the original platform, rgvarg holds them last
// argument first. The entries are the caller's own storage: a member that takes an argument
// by reference and writes it back writes into its entry, so the caller finds the new value
// there after the call.
struct DISPPARAMS
{
    runtime::Variant* rgvarg = nullptr;
    DISPID* rgdispidNamedArgs = nullptr;
    UINT cArgs = 0;
    UINT cNamedArgs = 0;
};

// What a late-bound member reports when it fails with DISP_E_EXCEPTION.
struct EXCEPINFO
{
    WORD wCode = 0;
    std::u16string bstrSource;
    std::u16string bstrDescription;
    HRESULT scode = S_OK;
};

// Late binding: members found by name, called by dispatch id with Variant arguments.
class IDispatch : public IUnknown
{
public:
    static constexpr IID InterfaceId{0x00020400, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

    virtual HRESULT GetTypeInfoCount(UINT* pctinfo) = 0;
    virtual HRESULT GetTypeInfo(UINT iTInfo, LCID lcid, void** ppTInfo) = 0;
    // Dispatch ids of the member rgszNames[0] (names compared without regard to case);
    // DISPID_UNKNOWN and DISP_E_UNKNOWNNAME for a name the object does not have.
    virtual HRESULT GetIDsOfNames(REFIID riid, const char16_t* const* rgszNames, UINT cNames, LCID lcid,
                                  DISPID* rgDispId) = 0;
    virtual HRESULT Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags, DISPPARAMS* pDispParams,
                           runtime::Variant* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr) = 0;

protected:
    ~IDispatch() = default;
};

// Makes the objects of one class; handed out by a server's DllGetClassObject.
class IClassFactory : public IUnknown
{
public:
    static constexpr IID InterfaceId{0x00000001, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

    virtual HRESULT CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppvObject) = 0;
    // Keeps the server loaded while fLock is counted up.
    virtual HRESULT LockServer(BOOL fLock) = 0;

protected:
    ~IClassFactory() = default;
};

constexpr IID IID_IUnknown = IUnknown::InterfaceId;
constexpr IID IID_IDispatch = IDispatch::InterfaceId;
constexpr IID IID_IClassFactory = IClassFactory::InterfaceId;

} // namespace win32
