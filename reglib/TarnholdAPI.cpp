#include "reglib/TarnholdAPI.h"

#include "platform/win32/AnsiCodePage.h"
#include "platform/win32/Registry.h"
#include "reglib/EntryGuard.h"
#include "reglib/ServerModule.h"

#include <algorithm>
#include <limits>

namespace tarnhold
{

using runtime::Variant;
using runtime::VariantArray;
using namespace win32;

namespace
{

// Query value, set value, create subkey, enumerate subkeys, notify, create link: what every
// open and create of this class asks for.
constexpr REGSAM SettingsAccess = 0x3F;

// Settings go below this key unless the caller sets its own prefix.
constexpr char16_t DefaultKeyPrefix[] = u"Software\\Program Settings\\";

std::string Ansi(const std::u16string& text)
{
    return UnicodeToAnsi(text);
}

// Text read from the registry, cut at the returned length; one terminating zero dropped.
// Data stored without its terminator keeps every character.
std::u16string StoredText(const std::string& buffer, DWORD length)
{
    std::string text = buffer.substr(0, std::min<size_t>(length, buffer.size()));
    if (!text.empty() && text.back() == '\0')
        text.pop_back();
    return AnsiToUnicode(text);
}

// A name returned by an enumeration: `length` characters, never more than the buffer holds.
std::u16string ReturnedName(const std::string& buffer, DWORD length)
{
    std::string name = buffer.substr(0, std::min<size_t>(length, buffer.size()));
    const size_t end = name.find('\0');
    if (end != std::string::npos)
        name.resize(end);
    return AnsiToUnicode(name);
}

int32_t LittleEndianLong(const BYTE* bytes)
{
    return static_cast<int32_t>(static_cast<uint32_t>(bytes[0]) | (static_cast<uint32_t>(bytes[1]) << 8) |
                                (static_cast<uint32_t>(bytes[2]) << 16) | (static_cast<uint32_t>(bytes[3]) << 24));
}

DWORD DataSize(size_t size)
{
    if (size > std::numeric_limits<DWORD>::max())
        throw runtime::Error(runtime::Overflow);
    return static_cast<DWORD>(size);
}

// Table rows are counted in 32-bit signed integers.
int32_t RowCount(DWORD count)
{
    return static_cast<int32_t>(std::min<DWORD>(count, std::numeric_limits<int32_t>::max()));
}

} // namespace

TarnholdAPI::TarnholdAPI()
{
    ObjectCreated();
    Class_Initialize();
}

TarnholdAPI::~TarnholdAPI()
{
    ObjectDestroyed();
}

void TarnholdAPI::Class_Initialize()
{
    KeyPrefix = DefaultKeyPrefix;
    Root = Hkey_Current_User;
}

HRESULT TarnholdAPI::QueryInterface(REFIID riid, void** ppvObject)
{
    if (!ppvObject)
        return E_POINTER;
    if (riid == IID_IUnknown)
        *ppvObject = static_cast<IUnknown*>(this);
    else if (riid == IID_IDispatch)
        *ppvObject = static_cast<IDispatch*>(this);
    else if (riid == _TarnholdAPI::InterfaceId)
        *ppvObject = static_cast<_TarnholdAPI*>(this);
    else {
        *ppvObject = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG TarnholdAPI::AddRef()
{
    return ++references_;
}

ULONG TarnholdAPI::Release()
{
    const ULONG remaining = --references_;
    if (remaining == 0)
        delete this;
    return remaining;
}

HKEY TarnholdAPI::RootKey() const
{
    return static_cast<HKEY>(Root);
}

void TarnholdAPI::CloseOpenedKey(HKEY key) const
{
    if (key != 0 && key != RootKey())
        RegCloseKey(key);
}

std::u16string TarnholdAPI::BuildKeyPath(const std::u16string& appname, const std::u16string& section) const
{
    if (section.empty() && KeyPrefix.empty())
        return appname;
    if (section.empty())
        return KeyPrefix + appname;
    if (!KeyPrefix.empty())
        return KeyPrefix + appname + u"\\" + section;
    return appname + u"\\" + section;
}

HKEY TarnholdAPI::OpenSectionKey(const std::u16string& appname, const std::u16string& section) const
{
    const std::u16string path = BuildKeyPath(appname, section);
    if (path.empty())
        return RootKey();
    HKEY key = 0;
    if (RegOpenKeyExA(RootKey(), Ansi(path).c_str(), 0, SettingsAccess, &key) != ERROR_SUCCESS)
        return 0;
    return key;
}

Variant TarnholdAPI::ReadValue(const std::u16string& sKeyName, const std::u16string& sValueName) const
{
    // A key that cannot be opened leaves handle 0, and the read below then finds nothing.
    HKEY key = 0;
    if (RegOpenKeyExA(RootKey(), Ansi(sKeyName).c_str(), 0, SettingsAccess, &key) != ERROR_SUCCESS)
        key = 0;
    Variant value;
    ReadValueEx(key, sValueName, value);
    CloseOpenedKey(key);
    return value;
}

LONG TarnholdAPI::ReadValueEx(HKEY key, const std::u16string& valueName, Variant& value) const
{
    const std::string name = Ansi(valueName);
    DWORD type = 0;
    DWORD size = 0;
    // A value that is not there is no failure for the caller: status 0, value untouched.
    if (RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return 0;
    LONG status = -1;
    switch (type) {
    case REG_SZ: {
        std::string buffer(size, '\0');
        DWORD length = size;
        status = RegQueryValueExA(key, name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(buffer.data()), &length);
        value = status == ERROR_SUCCESS ? Variant(StoredText(buffer, length)) : Variant();
        break;
    }
    case REG_DWORD: {
        BYTE bytes[4] = {0, 0, 0, 0};
        DWORD length = sizeof bytes;
        status = RegQueryValueExA(key, name.c_str(), nullptr, nullptr, bytes, &length);
        if (status == ERROR_SUCCESS)
            value = LittleEndianLong(bytes);
        break;
    }
    case REG_BINARY: {
        // One byte more than stored, left zero: callers rely on the array ending in 0.
        std::vector<uint8_t> bytes(static_cast<size_t>(size) + 1, 0);
        DWORD length = size;
        status = RegQueryValueExA(key, name.c_str(), nullptr, nullptr, bytes.data(), &length);
        if (status == ERROR_SUCCESS)
            value = std::move(bytes);
        break;
    }
    default:
        break;
    }
    return status;
}

LONG TarnholdAPI::WriteValueEx(HKEY key, const std::u16string& valueName, LONG valueType, const Variant& value) const
{
    const std::string name = Ansi(valueName);
    switch (valueType) {
    case static_cast<LONG>(REG_SZ): {
        std::string text = Ansi(ToString(value));
        text.push_back('\0');
        return RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.data()),
                              DataSize(text.size()));
    }
    case static_cast<LONG>(REG_BINARY): {
        const std::vector<uint8_t> bytes = ToByteArray(value);
        const BYTE none = 0;
        return RegSetValueExA(key, name.c_str(), 0, REG_BINARY, bytes.empty() ? &none : bytes.data(),
                              DataSize(bytes.size()));
    }
    case static_cast<LONG>(REG_DWORD): {
        const uint32_t number = static_cast<uint32_t>(ToLong(value));
        const BYTE bytes[4] = {static_cast<BYTE>(number), static_cast<BYTE>(number >> 8),
                               static_cast<BYTE>(number >> 16), static_cast<BYTE>(number >> 24)};
        return RegSetValueExA(key, name.c_str(), 0, REG_DWORD, bytes, sizeof bytes);
    }
    default:
        return 0;
    }
}

void TarnholdAPI::WriteKeyValue(const std::u16string& sKeyName, const std::u16string& sValueName, const Variant& value,
                                LONG valueType) const
{
    HKEY key = 0;
    if (RegCreateKeyExA(RootKey(), Ansi(sKeyName).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, SettingsAccess, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
        key = 0;
    // The key is closed even when the value cannot be converted.
    try {
        WriteValueEx(key, sValueName, valueType, value);
    } catch (...) {
        CloseOpenedKey(key);
        throw;
    }
    CloseOpenedKey(key);
}

void TarnholdAPI::MakeKey(const std::u16string& sKeyName) const
{
    HKEY key = 0;
    if (RegCreateKeyExA(RootKey(), Ansi(sKeyName).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, SettingsAccess, nullptr,
                        &key, nullptr) == ERROR_SUCCESS)
        CloseOpenedKey(key);
}

Variant TarnholdAPI::ReadSetting(const std::u16string& appname, const std::u16string& section,
                                 const std::u16string& key, const Variant& defaultValue) const
{
    Variant value = ReadValue(BuildKeyPath(appname, section), key);
    // Empty and "" both mean "not stored"; a stored 0 compares as "0" and is kept.
    if (runtime::CompareText(value, Variant(u"")) == 0)
        return defaultValue;
    return value;
}

void TarnholdAPI::WriteSetting(const std::u16string& appname, const std::u16string& section, const std::u16string& key,
                               const Variant& setting, LONG* valueType) const
{
    LONG type = valueType ? *valueType : 0;
    if (type == 0) {
        type = static_cast<LONG>(runtime::IsNumeric(setting) ? REG_DWORD : REG_SZ);
        if (valueType)
            *valueType = type;
    }
    WriteKeyValue(BuildKeyPath(appname, section), key, setting, type);
}

void TarnholdAPI::RemoveSetting(const std::u16string& appname, const std::u16string& section,
                                const std::u16string& key) const
{
    if (!key.empty()) {
        const HKEY opened = OpenSectionKey(appname, section);
        RegDeleteValueA(opened, Ansi(key).c_str());
        CloseOpenedKey(opened);
        return;
    }
    // Without a section there is no subkey to name: deleting "" would take the application's
    // own key with everything in it, so nothing is deleted.
    if (section.empty())
        return;
    const HKEY parent = OpenSectionKey(appname, u"");
    RegDeleteKeyA(parent, Ansi(section).c_str());
    CloseOpenedKey(parent);
}

Variant TarnholdAPI::ListSettings(const std::u16string& appname, const std::u16string& section) const
{
    const HKEY key = OpenSectionKey(appname, section);
    DWORD count = 0;
    DWORD longestName = 0;
    DWORD longestData = 0;
    if (RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, &longestName, &longestData,
                         nullptr, nullptr) != ERROR_SUCCESS)
        count = 0;
    Variant result;
    if (count > 0) {
        const int32_t rows = RowCount(count);
        VariantArray table(rows, 2);
        // The count was taken once; values added meanwhile are not listed, so no row is ever
        // written outside the table.
        for (int32_t i = 0; i < rows; ++i) {
            const DWORD index = static_cast<DWORD>(i);
            char noName[1] = {'\0'};
            DWORD noNameLength = 0;
            DWORD noDataLength = 0;
            DWORD type = REG_NONE;
            if (RegEnumValueA(key, index, noName, &noNameLength, nullptr, &type, nullptr, &noDataLength) ==
                ERROR_NO_MORE_ITEMS)
                break;
            std::string name(static_cast<size_t>(longestName) + 1, '\0');
            DWORD nameLength = longestName + 1;
            switch (type) {
            case REG_SZ: {
                std::string data(static_cast<size_t>(longestData) + 1, '\0');
                DWORD dataLength = longestData + 1;
                const LONG status = RegEnumValueA(key, index, name.data(), &nameLength, nullptr, nullptr,
                                                  reinterpret_cast<BYTE*>(data.data()), &dataLength);
                table.At(i, 0) = ReturnedName(name, nameLength);
                if (status == ERROR_SUCCESS)
                    table.At(i, 1) = StoredText(data, dataLength);
                break;
            }
            case REG_DWORD: {
                BYTE data[4] = {0, 0, 0, 0};
                DWORD dataLength = sizeof data;
                const LONG status =
                    RegEnumValueA(key, index, name.data(), &nameLength, nullptr, nullptr, data, &dataLength);
                table.At(i, 0) = ReturnedName(name, nameLength);
                if (status == ERROR_SUCCESS)
                    table.At(i, 1) = LittleEndianLong(data);
                break;
            }
            case REG_BINARY: {
                std::vector<uint8_t> data(static_cast<size_t>(longestData) + 2, 0);
                DWORD dataLength = longestData + 1;
                const LONG status =
                    RegEnumValueA(key, index, name.data(), &nameLength, nullptr, nullptr, data.data(), &dataLength);
                table.At(i, 0) = ReturnedName(name, nameLength);
                if (status == ERROR_SUCCESS)
                    table.At(i, 1) = std::move(data);
                break;
            }
            default: {
                // A type this class does not read: listed by name, with empty data.
                if (RegEnumValueA(key, index, name.data(), &nameLength, nullptr, nullptr, nullptr, nullptr) ==
                    ERROR_SUCCESS)
                    table.At(i, 0) = ReturnedName(name, nameLength);
                break;
            }
            }
        }
        result = std::move(table);
    }
    CloseOpenedKey(key);
    return result;
}

Variant TarnholdAPI::ListKeys(const std::u16string& appname, const std::u16string& section) const
{
    const HKEY key = OpenSectionKey(appname, section);
    DWORD count = 0;
    DWORD longestName = 0;
    if (RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &count, &longestName, nullptr, nullptr, nullptr, nullptr,
                         nullptr, nullptr) != ERROR_SUCCESS)
        count = 0;
    Variant result;
    if (count > 0) {
        const int32_t rows = RowCount(count);
        VariantArray table(rows, 3);
        for (int32_t i = 0; i < rows; ++i) {
            std::string name(static_cast<size_t>(longestName) + 1, '\0');
            DWORD nameLength = longestName + 1;
            if (RegEnumKeyExA(key, static_cast<DWORD>(i), name.data(), &nameLength, nullptr, nullptr, nullptr,
                              nullptr) == ERROR_SUCCESS)
                table.At(i, 1) = ReturnedName(name, nameLength);
        }
        result = std::move(table);
    }
    CloseOpenedKey(key);
    return result;
}

HRESULT TarnholdAPI::get_KeyPrefix(std::u16string* result)
{
    if (!result)
        return E_POINTER;
    return GuardEntry([&] { *result = KeyPrefix; });
}

HRESULT TarnholdAPI::put_KeyPrefix(std::u16string value)
{
    return GuardEntry([&] { KeyPrefix = std::move(value); });
}

HRESULT TarnholdAPI::get_Root(LONG* result)
{
    if (!result)
        return E_POINTER;
    return GuardEntry([&] { *result = Root; });
}

HRESULT TarnholdAPI::put_Root(LONG value)
{
    return GuardEntry([&] { Root = value; });
}

HRESULT TarnholdAPI::GetSetting(const std::u16string& appname, const std::u16string& section, const std::u16string& key,
                                const Variant& Default, Variant* result)
{
    if (!result)
        return E_POINTER;
    return GuardEntry([&] { *result = ReadSetting(appname, section, key, Default); });
}

HRESULT TarnholdAPI::SaveSetting(const std::u16string& appname, const std::u16string& section,
                                 const std::u16string& key, const Variant& setting, LONG* lValueType)
{
    return GuardEntry([&] { WriteSetting(appname, section, key, setting, lValueType); });
}

HRESULT TarnholdAPI::DeleteSetting(const std::u16string& appname, const std::u16string& section,
                                   const std::u16string& key)
{
    return GuardEntry([&] { RemoveSetting(appname, section, key); });
}

HRESULT TarnholdAPI::QueryValue(const std::u16string& sKeyName, const std::u16string& sValueName, Variant* result)
{
    if (!result)
        return E_POINTER;
    return GuardEntry([&] { *result = ReadValue(sKeyName, sValueName); });
}

HRESULT TarnholdAPI::GetAllSettings(const std::u16string& appname, const std::u16string& section, Variant* result)
{
    if (!result)
        return E_POINTER;
    return GuardEntry([&] { *result = ListSettings(appname, section); });
}

HRESULT TarnholdAPI::GetAllKeys(const std::u16string& appname, const std::u16string& section, Variant* result)
{
    if (!result)
        return E_POINTER;
    return GuardEntry([&] { *result = ListKeys(appname, section); });
}

HRESULT TarnholdAPI::SetKeyValue(const std::u16string& sKeyName, const std::u16string& sValueName,
                                 const Variant& vValueSetting, const LONG& lValueType)
{
    return GuardEntry([&] { WriteKeyValue(sKeyName, sValueName, vValueSetting, lValueType); });
}

HRESULT TarnholdAPI::CreateKey(const std::u16string& sKeyName)
{
    return GuardEntry([&] { MakeKey(sKeyName); });
}

HRESULT TarnholdAPI::SetValueEx(LONG hKey, const std::u16string& sValueName, const LONG& lType, const Variant& vValue,
                                LONG* result)
{
    if (!result)
        return E_POINTER;
    return GuardEntry([&] { *result = WriteValueEx(static_cast<HKEY>(hKey), sValueName, lType, vValue); });
}

HRESULT TarnholdAPI::QueryValueEx(LONG lhKey, std::u16string szValueName, Variant* vValue, LONG* result)
{
    if (!vValue || !result)
        return E_POINTER;
    return GuardEntry([&] { *result = ReadValueEx(static_cast<HKEY>(lhKey), szValueName, *vValue); });
}

} // namespace tarnhold
