#include "reglib/ServerRegistration.h"

#include "platform/win32/AnsiCodePage.h"
#include "platform/win32/ComErrorInfo.h"
#include "platform/win32/ComGuid.h"
#include "platform/win32/Registry.h"
#include "reglib/EntryGuard.h"
#include "reglib/Tarnhold.h"

#include <vector>

namespace tarnhold
{

using namespace win32;

namespace
{

// The marshaler of dual interfaces, named by every registered automation interface.
constexpr char AutomationProxyStub[] = "{00020424-0000-0000-C000-000000000046}";

struct RegistryEntry
{
    std::string Key;
    std::string ValueName;
    std::string Data;
};

std::string ClassKey()
{
    return "CLSID\\" + GuidToString(CLSID_TarnholdAPI);
}

std::string ProgIdKey()
{
    return UnicodeToAnsi(ProgID_TarnholdAPI);
}

std::string InterfaceKey()
{
    return "Interface\\" + GuidToString(_TarnholdAPI::InterfaceId);
}

std::string TypeLibKey()
{
    return "TypeLib\\" + GuidToString(LIBID_Tarnhold);
}

std::string FolderOf(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash == 0 ? 1 : slash);
}

std::vector<RegistryEntry> Entries(const std::string& modulePath)
{
    const std::string progId = ProgIdKey();
    const std::string clsid = GuidToString(CLSID_TarnholdAPI);
    const std::string libid = GuidToString(LIBID_Tarnhold);
    const std::string version = TypeLibVersion;
    const std::string library = Utf8ToAnsi(modulePath);
    return {
        {ClassKey(), "", progId},
        {ClassKey() + "\\InprocServer32", "", library},
        {ClassKey() + "\\InprocServer32", "ThreadingModel", "Apartment"},
        {ClassKey() + "\\ProgID", "", progId},
        {ClassKey() + "\\VERSION", "", version},
        {ClassKey() + "\\TypeLib", "", libid},
        {progId, "", progId},
        {progId + "\\Clsid", "", clsid},
        {InterfaceKey(), "", "_TarnholdAPI"},
        {InterfaceKey() + "\\ProxyStubClsid", "", AutomationProxyStub},
        {InterfaceKey() + "\\ProxyStubClsid32", "", AutomationProxyStub},
        {InterfaceKey() + "\\TypeLib", "", libid},
        {InterfaceKey() + "\\TypeLib", "Version", version},
        {TypeLibKey() + "\\" + version, "", TypeLibHelpString},
        {TypeLibKey() + "\\" + version + "\\0\\win32", "", library},
        {TypeLibKey() + "\\" + version + "\\FLAGS", "", "0"},
        {TypeLibKey() + "\\" + version + "\\HELPDIR", "", Utf8ToAnsi(FolderOf(modulePath))},
    };
}

LONG WriteEntry(const RegistryEntry& entry)
{
    HKEY key = 0;
    LONG status = RegCreateKeyExA(HKEY_CLASSES_ROOT, entry.Key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  KEY_ALL_ACCESS, nullptr, &key, nullptr);
    if (status != ERROR_SUCCESS)
        return status;
    status = RegSetValueExA(key, entry.ValueName.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(entry.Data.c_str()),
                            static_cast<DWORD>(entry.Data.size() + 1));
    RegCloseKey(key);
    return status;
}

// Deletes `path` below `parent` with all its subkeys; a key that is not there is no failure.
LONG DeleteTree(HKEY parent, const std::string& path)
{
    HKEY key = 0;
    LONG status = RegOpenKeyExA(parent, path.c_str(), 0, KEY_ALL_ACCESS, &key);
    if (status == ERROR_FILE_NOT_FOUND)
        return ERROR_SUCCESS;
    if (status != ERROR_SUCCESS)
        return status;
    for (;;) {
        DWORD longestName = 0;
        status = RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, &longestName, nullptr, nullptr, nullptr,
                                  nullptr, nullptr, nullptr);
        if (status != ERROR_SUCCESS)
            break;
        std::string name(static_cast<size_t>(longestName) + 1, '\0');
        DWORD nameLength = longestName + 1;
        status = RegEnumKeyExA(key, 0, name.data(), &nameLength, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS) {
            status = ERROR_SUCCESS;
            break;
        }
        if (status != ERROR_SUCCESS)
            break;
        name.resize(std::min<size_t>(nameLength, name.size()));
        status = DeleteTree(key, name);
        if (status != ERROR_SUCCESS)
            break;
    }
    RegCloseKey(key);
    if (status != ERROR_SUCCESS)
        return status;
    status = RegDeleteKeyA(parent, path.c_str());
    return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
}

HRESULT RegistrationFailure(HRESULT hr, const std::string& what, LONG status)
{
    runtime::ErrorRecord record{hr, what + " (registry status " + std::to_string(status) + ")", ErrorSource};
    SetErrorInfo(hr, record);
    return hr;
}

} // namespace

HRESULT RegisterServer(const std::string& modulePath)
{
    for (const RegistryEntry& entry : Entries(modulePath)) {
        const LONG status = WriteEntry(entry);
        if (status != ERROR_SUCCESS) {
            const HRESULT hr = entry.Key.rfind("TypeLib", 0) == 0 ? SELFREG_E_TYPELIB : SELFREG_E_CLASS;
            return RegistrationFailure(hr, "Cannot write HKEY_CLASSES_ROOT\\" + entry.Key, status);
        }
    }
    return S_OK;
}

HRESULT UnregisterServer()
{
    const std::string keys[] = {ClassKey(), ProgIdKey(), InterfaceKey(),
                                TypeLibKey() + "\\" + std::string(TypeLibVersion)};
    for (const std::string& key : keys) {
        const LONG status = DeleteTree(HKEY_CLASSES_ROOT, key);
        if (status != ERROR_SUCCESS)
            return RegistrationFailure(SELFREG_E_CLASS, "Cannot remove HKEY_CLASSES_ROOT\\" + key, status);
    }
    // The type library's own key goes too once no other version of it is registered.
    RegDeleteKeyA(HKEY_CLASSES_ROOT, TypeLibKey().c_str());
    return S_OK;
}

} // namespace tarnhold
