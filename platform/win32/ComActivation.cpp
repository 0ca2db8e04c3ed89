#include "platform/win32/ComActivation.h"

#include "platform/hive/CurrentHive.h"
#include "platform/win32/AnsiCodePage.h"
#include "platform/win32/Registry.h"

#include <dlfcn.h>
#include <map>
#include <mutex>
#include <optional>

namespace win32
{

namespace
{

constexpr char ErrorSource[] = "COM";

// The server libraries loaded so far, by the path their class keys name.
struct LoadedServers
{
    std::mutex Mutex;
    std::map<std::string, void*> Handles;
};

LoadedServers& Servers()
{
    static LoadedServers servers;
    return servers;
}

// The default value of a key below HKEY_CLASSES_ROOT, when it is a string. The status is that
// of opening the key: a missing key is ERROR_FILE_NOT_FOUND, a hive that cannot be used another.
LONG ReadClassesRootString(const std::string& path, std::optional<std::string>& value)
{
    value.reset();
    HKEY key = 0;
    const LONG status = RegOpenKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_QUERY_VALUE, &key);
    if (status != ERROR_SUCCESS)
        return status;
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExA(key, "", nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
        (type == REG_SZ || type == REG_EXPAND_SZ)) {
        std::string data(size, '\0');
        if (RegQueryValueExA(key, "", nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size) == ERROR_SUCCESS) {
            data.resize(std::min<size_t>(size, data.size()));
            const size_t end = data.find('\0');
            if (end != std::string::npos)
                data.resize(end);
            value = std::move(data);
        }
    }
    RegCloseKey(key);
    return ERROR_SUCCESS;
}

HRESULT Fail(HRESULT hr, std::string description)
{
    SetErrorInfo(hr, runtime::ErrorRecord{hr, std::move(description), ErrorSource});
    return hr;
}

// The handle of a server library, loading it on first use.
HRESULT LoadServer(const std::string& ansiPath, void*& handle)
{
    LoadedServers& servers = Servers();
    std::lock_guard<std::mutex> lock(servers.Mutex);
    const auto found = servers.Handles.find(ansiPath);
    if (found != servers.Handles.end()) {
        handle = found->second;
        return S_OK;
    }
    const std::string path = AnsiToUtf8(ansiPath);
    handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* reason = dlerror();
        return Fail(CO_E_DLLNOTFOUND,
                    "The server library " + path + " could not be loaded" + (reason ? std::string(": ") + reason : ""));
    }
    servers.Handles.emplace(ansiPath, handle);
    return S_OK;
}

// A class lookup that failed for another reason than missing keys: the hive itself is unusable,
// which must not pass for "Class not registered".
HRESULT RegistryUnreadable(LONG status)
{
    std::string description = "The registry cannot be read (status " + std::to_string(status) + ")";
    const std::string reason = hive::LastOpenError();
    if (!reason.empty())
        description += ": " + reason;
    return Fail(REGDB_E_READREGDB, std::move(description));
}

} // namespace

HRESULT CoGetClassObject(REFCLSID rclsid, DWORD dwClsContext, void* /*pvReserved*/, REFIID riid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    // Only in-process servers exist here.
    if (!(dwClsContext & CLSCTX_INPROC_SERVER))
        return REGDB_E_CLASSNOTREG;
    std::optional<std::string> path;
    const LONG status = ReadClassesRootString("CLSID\\" + GuidToString(rclsid) + "\\InprocServer32", path);
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND)
        return RegistryUnreadable(status);
    if (!path || path->empty())
        return REGDB_E_CLASSNOTREG;
    void* handle = nullptr;
    const HRESULT loaded = LoadServer(*path, handle);
    if (FAILED(loaded))
        return loaded;
    const auto getClassObject = reinterpret_cast<DllGetClassObjectProc>(dlsym(handle, "DllGetClassObject"));
    if (!getClassObject)
        return Fail(CO_E_ERRORINDLL, "The server library " + AnsiToUtf8(*path) + " has no DllGetClassObject");
    return getClassObject(rclsid, riid, ppv);
}

HRESULT CoCreateInstance(REFCLSID rclsid, IUnknown* pUnkOuter, DWORD dwClsContext, REFIID riid, void** ppv)
{
    ClearErrorInfo();
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    void* raw = nullptr;
    HRESULT hr = CoGetClassObject(rclsid, dwClsContext, nullptr, IID_IClassFactory, &raw);
    if (FAILED(hr))
        return hr;
    ComPtr<IClassFactory> factory;
    factory.Attach(static_cast<IClassFactory*>(raw));
    hr = factory->CreateInstance(pUnkOuter, riid, ppv);
    if (FAILED(hr))
        *ppv = nullptr;
    return hr;
}

HRESULT CLSIDFromProgID(const char16_t* lpszProgID, CLSID* pclsid)
{
    ClearErrorInfo();
    if (!lpszProgID || !pclsid)
        return E_INVALIDARG;
    const std::string progId = UnicodeToAnsi(lpszProgID);
    if (progId.empty())
        return CO_E_CLASSSTRING;
    std::optional<std::string> text;
    const LONG status = ReadClassesRootString(progId + "\\CLSID", text);
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND)
        return RegistryUnreadable(status);
    CLSID clsid;
    if (!text || !GuidFromString(*text, clsid))
        return CO_E_CLASSSTRING;
    *pclsid = clsid;
    return S_OK;
}

void CoFreeUnusedLibraries()
{
    LoadedServers& servers = Servers();
    std::lock_guard<std::mutex> lock(servers.Mutex);
    for (auto it = servers.Handles.begin(); it != servers.Handles.end();) {
        const auto canUnloadNow = reinterpret_cast<DllCanUnloadNowProc>(dlsym(it->second, "DllCanUnloadNow"));
        if (canUnloadNow && canUnloadNow() == S_OK) {
            dlclose(it->second);
            it = servers.Handles.erase(it);
        } else {
            ++it;
        }
    }
}

} // namespace win32
