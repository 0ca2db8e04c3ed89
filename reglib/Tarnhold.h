#pragma once
#include "platform/runtime/Variant.h"
#include "platform/win32/ComInterfaces.h"

#include <string>

// What the registry library Tarnhold offers its callers: the identifiers of its type library,
// class and interface, the enumeration of registry roots and the interface `_TarnholdAPI`.
// Callers include this header and create the class through CoCreateInstance; they never link
// the library itself.
namespace tarnhold
{

using win32::CLSID;
using win32::DISPID;
using win32::GUID;
using win32::HRESULT;
using win32::IID;
using win32::LONG;

// Type library "Tarnhold", help string "Orrindale Registry", version 2.0.
constexpr GUID LIBID_Tarnhold{0x4E0AF3BE, 0x730E, 0x4507, {0xB0, 0xF7, 0xCD, 0xB6, 0x92, 0x87, 0x79, 0xD0}};
constexpr char TypeLibHelpString[] = "Orrindale Registry";
constexpr char TypeLibVersion[] = "2.0";

constexpr CLSID CLSID_TarnholdAPI{0xB04D2094, 0x18FF, 0x4A8C, {0xA7, 0x59, 0xA1, 0x90, 0x05, 0x18, 0xCE, 0xF7}};
constexpr char16_t ProgID_TarnholdAPI[] = u"Tarnhold.TarnholdAPI";

constexpr GUID GUID_RegistryRoots{0x744BA66A, 0x6E81, 0x4DF6, {0x85, 0xCE, 0x44, 0x13, 0xAD, 0x66, 0x95, 0xEA}};

// The predefined registry roots, by the names callers use for them.
enum RegistryRoots : LONG
{
    Hkey_Classes_Root = static_cast<LONG>(0x80000000u),
    Hkey_Current_User = static_cast<LONG>(0x80000001u),
    HKEY_LOCAL_MACHINE = static_cast<LONG>(0x80000002u),
    Hkey_Users = static_cast<LONG>(0x80000003u),
    Hkey_Performance_Data = static_cast<LONG>(0x80000004u),
    Hkey_Current_Config = static_cast<LONG>(0x80000005u),
    Hkey_Dyn_Data = static_cast<LONG>(0x80000006u),
};

// Dispatch ids of the members, for late-bound callers.
constexpr DISPID DISPID_KeyPrefix = 0x40030000;
constexpr DISPID DISPID_Root = 0x40030001;
constexpr DISPID DISPID_GetSetting = 0x60030001;
constexpr DISPID DISPID_SaveSetting = 0x60030002;
constexpr DISPID DISPID_DeleteSetting = 0x60030003;
constexpr DISPID DISPID_QueryValue = 0x60030004;
constexpr DISPID DISPID_GetAllSettings = 0x60030005;
constexpr DISPID DISPID_GetAllKeys = 0x60030006;
constexpr DISPID DISPID_SetKeyValue = 0x60030007;
constexpr DISPID DISPID_CreateKey = 0x60030008;
constexpr DISPID DISPID_SetValueEx = 0x6003000B;
constexpr DISPID DISPID_QueryValueEx = 0x6003000C;

// The registry access class's interface: settings addressed by application name, section and
// key below KeyPrefix and Root, and raw access by key path or open key handle.
//
// Every entry returns a status; a run-time error inside one (a failed conversion) comes back
// as a failed status with error info (win32::ThrowIfFailed turns it into runtime::Error).
// Registry failures are not errors: reads give the default or Empty, writes are dropped.
// Parameters passed by reference but never written back are const references; the two that
// are written back (SaveSetting's lValueType, QueryValueEx's vValue) are pointers. An omitted
// optional argument is runtime::Variant::Missing() for a Variant, "" for a string and a null
// pointer for lValueType. The result comes last.
class _TarnholdAPI : public win32::IDispatch
{
public:
    static constexpr IID InterfaceId{0xA9711A53, 0xB058, 0x4A50, {0x85, 0xC5, 0xC7, 0x89, 0x94, 0xAB, 0xA2, 0x85}};

    virtual HRESULT get_KeyPrefix(std::u16string* result) = 0;
    virtual HRESULT put_KeyPrefix(std::u16string value) = 0;
    virtual HRESULT get_Root(LONG* result) = 0;
    virtual HRESULT put_Root(LONG value) = 0;
    virtual HRESULT GetSetting(const std::u16string& appname, const std::u16string& section, const std::u16string& key,
                               const runtime::Variant& Default, runtime::Variant* result) = 0;
    virtual HRESULT SaveSetting(const std::u16string& appname, const std::u16string& section, const std::u16string& key,
                                const runtime::Variant& setting, LONG* lValueType) = 0;
    virtual HRESULT DeleteSetting(const std::u16string& appname, const std::u16string& section,
                                  const std::u16string& key) = 0;
    virtual HRESULT QueryValue(const std::u16string& sKeyName, const std::u16string& sValueName,
                               runtime::Variant* result) = 0;
    virtual HRESULT GetAllSettings(const std::u16string& appname, const std::u16string& section,
                                   runtime::Variant* result) = 0;
    virtual HRESULT GetAllKeys(const std::u16string& appname, const std::u16string& section,
                               runtime::Variant* result) = 0;
    virtual HRESULT SetKeyValue(const std::u16string& sKeyName, const std::u16string& sValueName,
                                const runtime::Variant& vValueSetting, const LONG& lValueType) = 0;
    virtual HRESULT CreateKey(const std::u16string& sKeyName) = 0;
    virtual HRESULT SetValueEx(LONG hKey, const std::u16string& sValueName, const LONG& lType,
                               const runtime::Variant& vValue, LONG* result) = 0;
    virtual HRESULT QueryValueEx(LONG lhKey, std::u16string szValueName, runtime::Variant* vValue, LONG* result) = 0;

protected:
    ~_TarnholdAPI() = default;
};

} // namespace tarnhold
