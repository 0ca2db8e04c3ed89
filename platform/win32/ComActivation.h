#pragma once
#include "platform/win32/ComErrorInfo.h"
#include "platform/win32/ComPtr.h"

// Creating objects of registered in-process servers: the class is looked up under
// HKEY_CLASSES_ROOT\CLSID\{...}\InprocServer32, its library loaded and asked for the class
// factory. A loaded library stays loaded until CoFreeUnusedLibraries finds it idle.
namespace win32
{

constexpr DWORD CLSCTX_INPROC_SERVER = 0x1;
constexpr DWORD CLSCTX_INPROC_HANDLER = 0x2;
constexpr DWORD CLSCTX_LOCAL_SERVER = 0x4;
constexpr DWORD CLSCTX_ALL = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER;

// The entry points an in-process server library exports by these names.
using DllGetClassObjectProc = HRESULT (*)(REFCLSID rclsid, REFIID riid, void** ppv);
using DllCanUnloadNowProc = HRESULT (*)();
using DllRegisterServerProc = HRESULT (*)();
using DllUnregisterServerProc = HRESULT (*)();

// Hands out the class object (normally the IClassFactory) of a registered class.
HRESULT CoGetClassObject(REFCLSID rclsid, DWORD dwClsContext, void* pvReserved, REFIID riid, void** ppv);

// Creates an object of a registered class and returns its interface riid. REGDB_E_CLASSNOTREG
// when the class keys are missing; error info tells why a library could not be used.
HRESULT CoCreateInstance(REFCLSID rclsid, IUnknown* pUnkOuter, DWORD dwClsContext, REFIID riid, void** ppv);

// The class identifier registered for a programmatic identifier ("Tarnhold.TarnholdAPI").
HRESULT CLSIDFromProgID(const char16_t* lpszProgID, CLSID* pclsid);

// Unloads every loaded server library whose DllCanUnloadNow says it holds no objects.
void CoFreeUnusedLibraries();

// Creates an object of class `clsid` with interface T, raising the failure as the program's
// own error ("Class not registered" for a class without keys).
template <typename T> ComPtr<T> CreateObject(REFCLSID clsid)
{
    void* raw = nullptr;
    const HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, T::InterfaceId, &raw);
    ThrowIfFailed(hr);
    ComPtr<T> object;
    object.Attach(static_cast<T*>(raw));
    return object;
}

} // namespace win32
