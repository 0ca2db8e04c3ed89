// The four functions the library exports: the standard entry points of an in-process server.
// Everything else in the library is hidden.
#include "platform/win32/ComErrorInfo.h"
#include "platform/win32/ComInterfaces.h"
#include "reglib/EntryGuard.h"
#include "reglib/ServerModule.h"
#include "reglib/ServerRegistration.h"
#include "reglib/Tarnhold.h"
#include "reglib/TarnholdFactory.h"

#include <dlfcn.h>
#include <limits.h>
#include <new>
#include <stdlib.h>
#include <string>

#define TARNHOLD_EXPORT extern "C" __attribute__((visibility("default")))

using namespace win32;

TARNHOLD_EXPORT HRESULT DllGetClassObject(REFCLSID rclsid, REFIID riid, void** ppv);
TARNHOLD_EXPORT HRESULT DllCanUnloadNow();
TARNHOLD_EXPORT HRESULT DllRegisterServer();
TARNHOLD_EXPORT HRESULT DllUnregisterServer();

namespace
{

// The absolute path of this library, as the class keys must name it.
bool ModulePath(std::string& path)
{
    Dl_info info{};
    if (!dladdr(reinterpret_cast<void*>(&DllRegisterServer), &info) || !info.dli_fname)
        return false;
    char resolved[PATH_MAX];
    if (!realpath(info.dli_fname, resolved))
        return false;
    path = resolved;
    return true;
}

} // namespace

HRESULT DllGetClassObject(REFCLSID rclsid, REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (rclsid != tarnhold::CLSID_TarnholdAPI)
        return CLASS_E_CLASSNOTAVAILABLE;
    tarnhold::TarnholdFactory* factory = nullptr;
    try {
        factory = new tarnhold::TarnholdFactory();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    const HRESULT hr = factory->QueryInterface(riid, ppv);
    factory->Release();
    return hr;
}

HRESULT DllCanUnloadNow()
{
    return tarnhold::ModuleInUse() ? S_FALSE : S_OK;
}

HRESULT DllRegisterServer()
{
    HRESULT hr = S_OK;
    const HRESULT guarded = tarnhold::GuardEntry([&hr] {
        std::string path;
        if (!ModulePath(path))
            throw runtime::Error(SELFREG_E_CLASS, "Cannot find the path of the Tarnhold library");
        hr = tarnhold::RegisterServer(path);
    });
    return FAILED(guarded) ? guarded : hr;
}

HRESULT DllUnregisterServer()
{
    HRESULT hr = S_OK;
    const HRESULT guarded = tarnhold::GuardEntry([&hr] { hr = tarnhold::UnregisterServer(); });
    return FAILED(guarded) ? guarded : hr;
}
