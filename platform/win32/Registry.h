#pragma once
#include "platform/win32/WinTypes.h"

// The registry functions, with their classic signatures and status codes, over the per-user
// hive file. Strings are ANSI (Windows-1252) bytes, NUL-terminated.
namespace win32
{

// Access rights asked for when opening or creating a key.
constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
constexpr REGSAM KEY_SET_VALUE = 0x0002;
constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
constexpr REGSAM KEY_NOTIFY = 0x0010;
constexpr REGSAM KEY_CREATE_LINK = 0x0020;
constexpr REGSAM KEY_READ = 0x20019;
constexpr REGSAM KEY_WRITE = 0x20006;
constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;

// Options and dispositions of RegCreateKeyExA.
constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
constexpr DWORD REG_CREATED_NEW_KEY = 1;
constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

// Opens an existing key below hKey; an empty or null subkey opens hKey itself again.
LONG RegOpenKeyExA(HKEY hKey, const char* lpSubKey, DWORD ulOptions, REGSAM samDesired, PHKEY phkResult);
// Opens a key below hKey, creating every missing key on the path. A new key more than 512 levels
// below its root is refused with ERROR_BADKEY (see MaxKeyDepth).
LONG RegCreateKeyExA(HKEY hKey, const char* lpSubKey, DWORD Reserved, char* lpClass, DWORD dwOptions, REGSAM samDesired,
                     void* lpSecurityAttributes, PHKEY phkResult, LPDWORD lpdwDisposition);
// Reads a value's type and data; without a buffer only reports the size.
LONG RegQueryValueExA(HKEY hKey, const char* lpValueName, LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData,
                      LPDWORD lpcbData);
// Creates or replaces a value.
LONG RegSetValueExA(HKEY hKey, const char* lpValueName, DWORD Reserved, DWORD dwType, const BYTE* lpData, DWORD cbData);
// Reports the value at dwIndex, in the order the values were created.
LONG RegEnumValueA(HKEY hKey, DWORD dwIndex, char* lpValueName, LPDWORD lpcchValueName, LPDWORD lpReserved,
                   LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData);
// Reports the name of the subkey at dwIndex, subkeys sorted by name.
LONG RegEnumKeyExA(HKEY hKey, DWORD dwIndex, char* lpName, LPDWORD lpcchName, LPDWORD lpReserved, char* lpClass,
                   LPDWORD lpcchClass, void* lpftLastWriteTime);
// Reports counts and longest lengths of a key's subkeys and values.
LONG RegQueryInfoKeyA(HKEY hKey, char* lpClass, LPDWORD lpcchClass, LPDWORD lpReserved, LPDWORD lpcSubKeys,
                      LPDWORD lpcbMaxSubKeyLen, LPDWORD lpcbMaxClassLen, LPDWORD lpcValues, LPDWORD lpcbMaxValueNameLen,
                      LPDWORD lpcbMaxValueLen, LPDWORD lpcbSecurityDescriptor, void* lpftLastWriteTime);
// Removes one value.
LONG RegDeleteValueA(HKEY hKey, const char* lpValueName);
// Removes a key that has no subkeys.
LONG RegDeleteKeyA(HKEY hKey, const char* lpSubKey);
// Releases a handle; closing a predefined root does nothing.
LONG RegCloseKey(HKEY hKey);

} // namespace win32
