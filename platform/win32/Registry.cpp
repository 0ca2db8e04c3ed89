#include "platform/win32/Registry.h"

#include "platform/hive/CurrentHive.h"
#include "platform/hive/Hive.h"
#include "platform/hive/KeyName.h"

#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace win32
{

namespace
{
// Generic rights a caller may ask for, mapped onto the key rights they stand for.
constexpr REGSAM GENERIC_READ = 0x80000000u;
constexpr REGSAM GENERIC_WRITE = 0x40000000u;
constexpr REGSAM GENERIC_EXECUTE = 0x20000000u;
constexpr REGSAM GENERIC_ALL = 0x10000000u;
constexpr REGSAM MAXIMUM_ALLOWED = 0x02000000u;
constexpr REGSAM KeyRights = 0x3F;
constexpr DWORD REG_OPTION_VOLATILE = 1;

// An open key: the hive it was opened in (kept alive while the handle lives), the key's row
// and the rights granted.
struct OpenKey
{
    std::shared_ptr<hive::Hive> Store;
    hive::KeyId Id = 0;
    REGSAM Access = 0;
};

std::mutex HandlesLock;
std::unordered_map<HKEY, OpenKey> Handles;
HKEY LastHandle = 0;

REGSAM GrantedRights(REGSAM desired)
{
    REGSAM rights = desired;
    if (desired & (GENERIC_ALL | MAXIMUM_ALLOWED))
        rights |= KEY_ALL_ACCESS;
    if (desired & (GENERIC_READ | GENERIC_EXECUTE))
        rights |= KEY_READ;
    if (desired & GENERIC_WRITE)
        rights |= KEY_WRITE;
    return rights;
}

// The key behind a handle, when the handle grants the rights an operation needs.
LONG Resolve(HKEY handle, REGSAM needed, OpenKey& key)
{
    if (hive::Hive::IsRoot(handle)) {
        LONG status = ERROR_SUCCESS;
        std::shared_ptr<hive::Hive> store = hive::CurrentHive(status);
        if (!store)
            return status;
        key = OpenKey{std::move(store), hive::Hive::RootKey(handle), KEY_ALL_ACCESS};
    } else {
        std::lock_guard guard(HandlesLock);
        const auto found = Handles.find(handle);
        if (found == Handles.end())
            return ERROR_INVALID_HANDLE;
        key = found->second;
    }
    if ((key.Access & KeyRights & needed) != (needed & KeyRights))
        return ERROR_ACCESS_DENIED;
    return ERROR_SUCCESS;
}

// A new handle value: never 0, never a predefined root, never one in use; numbers are not
// reused soon, so a stale handle is reported instead of reaching another key.
HKEY AddHandle(OpenKey key)
{
    std::lock_guard guard(HandlesLock);
    do {
        LastHandle += 4;
        if (LastHandle == 0 || LastHandle >= HKEY_CLASSES_ROOT)
            LastHandle = 4;
    } while (Handles.count(LastHandle) != 0);
    Handles.emplace(LastHandle, std::move(key));
    return LastHandle;
}

std::string ValueName(const char* name)
{
    return name ? std::string(name) : std::string();
}

void WriteFileTime(void* target, uint64_t time)
{
    if (target)
        std::memcpy(target, &time, sizeof time);
}

void SetIfGiven(LPDWORD target, DWORD value)
{
    if (target)
        *target = value;
}

// Copies a name with its terminator when it fits a buffer of *capacity characters. The
// capacity is replaced by the name's length either way, so a caller learns what to allocate.
bool CopyName(const std::string& name, char* buffer, LPDWORD capacity)
{
    const bool fits = name.size() < *capacity;
    if (fits)
        std::memcpy(buffer, name.c_str(), name.size() + 1);
    *capacity = static_cast<DWORD>(name.size());
    return fits;
}
} // namespace

LONG RegOpenKeyExA(HKEY hKey, const char* lpSubKey, DWORD /*ulOptions*/, REGSAM samDesired, PHKEY phkResult)
{
    if (!phkResult)
        return ERROR_INVALID_PARAMETER;
    // A failed open leaves 0 behind, which callers that skip the status rely on.
    *phkResult = 0;
    std::vector<std::string> path;
    LONG status = hive::SplitKeyPath(lpSubKey, path);
    if (status != ERROR_SUCCESS)
        return status;
    OpenKey from;
    status = Resolve(hKey, 0, from);
    if (status != ERROR_SUCCESS)
        return status;
    hive::KeyId found = 0;
    status = from.Store->FindKey(from.Id, path, found);
    if (status != ERROR_SUCCESS)
        return status;
    *phkResult = AddHandle(OpenKey{from.Store, found, GrantedRights(samDesired)});
    return ERROR_SUCCESS;
}

LONG RegCreateKeyExA(HKEY hKey, const char* lpSubKey, DWORD /*Reserved*/, char* /*lpClass*/, DWORD dwOptions,
                     REGSAM samDesired, void* /*lpSecurityAttributes*/, PHKEY phkResult, LPDWORD lpdwDisposition)
{
    if (!phkResult)
        return ERROR_INVALID_PARAMETER;
    *phkResult = 0;
    // Every key is kept in the hive file; a volatile key is simply kept like the others.
    if (!lpSubKey || (dwOptions & ~REG_OPTION_VOLATILE) != 0)
        return ERROR_INVALID_PARAMETER;
    std::vector<std::string> path;
    LONG status = hive::SplitKeyPath(lpSubKey, path);
    if (status != ERROR_SUCCESS)
        return status;
    OpenKey from;
    status = Resolve(hKey, 0, from);
    if (status != ERROR_SUCCESS)
        return status;
    hive::KeyId found = 0;
    bool created = false;
    status = from.Store->CreateKey(from.Id, path, (from.Access & KEY_CREATE_SUB_KEY) != 0, found, created);
    if (status != ERROR_SUCCESS)
        return status;
    *phkResult = AddHandle(OpenKey{from.Store, found, GrantedRights(samDesired)});
    SetIfGiven(lpdwDisposition, created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY);
    return ERROR_SUCCESS;
}

LONG RegQueryValueExA(HKEY hKey, const char* lpValueName, LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData,
                      LPDWORD lpcbData)
{
    if (lpReserved || (lpData && !lpcbData))
        return ERROR_INVALID_PARAMETER;
    OpenKey key;
    LONG status = Resolve(hKey, KEY_QUERY_VALUE, key);
    if (status != ERROR_SUCCESS)
        return status;
    hive::StoredValue value;
    status = key.Store->GetValue(key.Id, ValueName(lpValueName), value);
    if (status != ERROR_SUCCESS)
        return status;
    SetIfGiven(lpType, value.Type);
    if (!lpcbData)
        return ERROR_SUCCESS;
    const auto size = static_cast<DWORD>(value.Data.size());
    if (lpData && *lpcbData < size) {
        *lpcbData = size;
        return ERROR_MORE_DATA;
    }
    if (lpData && size > 0)
        std::memcpy(lpData, value.Data.data(), size);
    *lpcbData = size;
    return ERROR_SUCCESS;
}

LONG RegSetValueExA(HKEY hKey, const char* lpValueName, DWORD /*Reserved*/, DWORD dwType, const BYTE* lpData,
                    DWORD cbData)
{
    if (!lpData && cbData > 0)
        return ERROR_INVALID_PARAMETER;
    const std::string name = ValueName(lpValueName);
    if (name.size() > hive::MaxValueNameLength)
        return ERROR_INVALID_PARAMETER;
    OpenKey key;
    const LONG status = Resolve(hKey, KEY_SET_VALUE, key);
    if (status != ERROR_SUCCESS)
        return status;
    const std::string_view data(reinterpret_cast<const char*>(lpData), lpData ? cbData : 0);
    return key.Store->SetValue(key.Id, name, dwType, data);
}

LONG RegEnumValueA(HKEY hKey, DWORD dwIndex, char* lpValueName, LPDWORD lpcchValueName, LPDWORD lpReserved,
                   LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData)
{
    if (!lpValueName || !lpcchValueName || lpReserved || (lpData && !lpcbData))
        return ERROR_INVALID_PARAMETER;
    OpenKey key;
    LONG status = Resolve(hKey, KEY_QUERY_VALUE, key);
    if (status != ERROR_SUCCESS)
        return status;
    hive::StoredValue value;
    status = key.Store->ValueAt(key.Id, dwIndex, value);
    if (status != ERROR_SUCCESS)
        return status;
    // Type and size are reported even when the buffers are short: a caller probes with empty
    // buffers to learn them.
    SetIfGiven(lpType, value.Type);
    const bool nameFits = CopyName(value.Name, lpValueName, lpcchValueName);
    if (!lpcbData)
        return nameFits ? ERROR_SUCCESS : ERROR_MORE_DATA;
    const auto size = static_cast<DWORD>(value.Data.size());
    const bool dataFits = !lpData || *lpcbData >= size;
    if (nameFits && dataFits && lpData && size > 0)
        std::memcpy(lpData, value.Data.data(), size);
    *lpcbData = size;
    return nameFits && dataFits ? ERROR_SUCCESS : ERROR_MORE_DATA;
}

LONG RegEnumKeyExA(HKEY hKey, DWORD dwIndex, char* lpName, LPDWORD lpcchName, LPDWORD lpReserved, char* lpClass,
                   LPDWORD lpcchClass, void* lpftLastWriteTime)
{
    if (!lpName || !lpcchName || lpReserved)
        return ERROR_INVALID_PARAMETER;
    OpenKey key;
    LONG status = Resolve(hKey, KEY_ENUMERATE_SUB_KEYS, key);
    if (status != ERROR_SUCCESS)
        return status;
    hive::StoredKey subkey;
    status = key.Store->SubKeyAt(key.Id, dwIndex, subkey);
    if (status != ERROR_SUCCESS)
        return status;
    if (!CopyName(subkey.Name, lpName, lpcchName))
        return ERROR_MORE_DATA;
    // Keys have no class here: an empty one.
    if (lpClass && lpcchClass && *lpcchClass > 0)
        lpClass[0] = '\0';
    SetIfGiven(lpcchClass, 0);
    WriteFileTime(lpftLastWriteTime, subkey.LastWriteTime);
    return ERROR_SUCCESS;
}

LONG RegQueryInfoKeyA(HKEY hKey, char* lpClass, LPDWORD lpcchClass, LPDWORD lpReserved, LPDWORD lpcSubKeys,
                      LPDWORD lpcbMaxSubKeyLen, LPDWORD lpcbMaxClassLen, LPDWORD lpcValues, LPDWORD lpcbMaxValueNameLen,
                      LPDWORD lpcbMaxValueLen, LPDWORD lpcbSecurityDescriptor, void* lpftLastWriteTime)
{
    if (lpReserved)
        return ERROR_INVALID_PARAMETER;
    OpenKey key;
    LONG status = Resolve(hKey, KEY_QUERY_VALUE, key);
    if (status != ERROR_SUCCESS)
        return status;
    hive::KeyInfo info;
    status = key.Store->QueryInfo(key.Id, info);
    if (status != ERROR_SUCCESS)
        return status;
    if (lpClass && lpcchClass && *lpcchClass > 0)
        lpClass[0] = '\0';
    SetIfGiven(lpcchClass, 0);
    SetIfGiven(lpcSubKeys, info.SubKeys);
    SetIfGiven(lpcbMaxSubKeyLen, info.MaxSubKeyLen);
    SetIfGiven(lpcbMaxClassLen, 0);
    SetIfGiven(lpcValues, info.Values);
    SetIfGiven(lpcbMaxValueNameLen, info.MaxValueNameLen);
    SetIfGiven(lpcbMaxValueLen, info.MaxValueLen);
    SetIfGiven(lpcbSecurityDescriptor, 0);
    WriteFileTime(lpftLastWriteTime, info.LastWriteTime);
    return ERROR_SUCCESS;
}

LONG RegDeleteValueA(HKEY hKey, const char* lpValueName)
{
    OpenKey key;
    const LONG status = Resolve(hKey, KEY_SET_VALUE, key);
    if (status != ERROR_SUCCESS)
        return status;
    return key.Store->DeleteValue(key.Id, ValueName(lpValueName));
}

LONG RegDeleteKeyA(HKEY hKey, const char* lpSubKey)
{
    if (!lpSubKey)
        return ERROR_INVALID_PARAMETER;
    std::vector<std::string> path;
    LONG status = hive::SplitKeyPath(lpSubKey, path);
    if (status != ERROR_SUCCESS)
        return status;
    OpenKey from;
    status = Resolve(hKey, 0, from);
    if (status != ERROR_SUCCESS)
        return status;
    return from.Store->DeleteKey(from.Id, path);
}

LONG RegCloseKey(HKEY hKey)
{
    if (hive::Hive::IsRoot(hKey))
        return ERROR_SUCCESS;
    std::shared_ptr<hive::Hive> released;
    {
        std::lock_guard guard(HandlesLock);
        const auto found = Handles.find(hKey);
        if (found == Handles.end())
            return ERROR_INVALID_HANDLE;
        // The hive may close with its last handle; let that happen outside the lock.
        released = std::move(found->second.Store);
        Handles.erase(found);
    }
    return ERROR_SUCCESS;
}

} // namespace win32
