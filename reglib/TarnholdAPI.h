#pragma once
#include "platform/win32/WinTypes.h"
#include "reglib/Tarnhold.h"

#include <string>

namespace tarnhold
{

// The registry access class. An object holds only KeyPrefix and Root; every operation opens,
// uses and closes the keys it needs. Objects are reference counted and used from one thread.
class TarnholdAPI final : public _TarnholdAPI
{
public:
    TarnholdAPI();
    ~TarnholdAPI();
    TarnholdAPI(const TarnholdAPI&) = delete;
    TarnholdAPI& operator=(const TarnholdAPI&) = delete;

    // IUnknown
    HRESULT QueryInterface(win32::REFIID riid, void** ppvObject) override;
    win32::ULONG AddRef() override;
    win32::ULONG Release() override;

    // IDispatch
    HRESULT GetTypeInfoCount(win32::UINT* pctinfo) override;
    HRESULT GetTypeInfo(win32::UINT iTInfo, win32::LCID lcid, void** ppTInfo) override;
    HRESULT GetIDsOfNames(win32::REFIID riid, const char16_t* const* rgszNames, win32::UINT cNames, win32::LCID lcid,
                          DISPID* rgDispId) override;
    HRESULT Invoke(DISPID dispIdMember, win32::REFIID riid, win32::LCID lcid, win32::WORD wFlags,
                   win32::DISPPARAMS* pDispParams, runtime::Variant* pVarResult, win32::EXCEPINFO* pExcepInfo,
                   win32::UINT* puArgErr) override;

    // _TarnholdAPI
    HRESULT get_KeyPrefix(std::u16string* result) override;
    HRESULT put_KeyPrefix(std::u16string value) override;
    HRESULT get_Root(LONG* result) override;
    HRESULT put_Root(LONG value) override;
    HRESULT GetSetting(const std::u16string& appname, const std::u16string& section, const std::u16string& key,
                       const runtime::Variant& Default, runtime::Variant* result) override;
    HRESULT SaveSetting(const std::u16string& appname, const std::u16string& section, const std::u16string& key,
                        const runtime::Variant& setting, LONG* lValueType) override;
    HRESULT DeleteSetting(const std::u16string& appname, const std::u16string& section,
                          const std::u16string& key) override;
    HRESULT QueryValue(const std::u16string& sKeyName, const std::u16string& sValueName,
                       runtime::Variant* result) override;
    HRESULT GetAllSettings(const std::u16string& appname, const std::u16string& section,
                           runtime::Variant* result) override;
    HRESULT GetAllKeys(const std::u16string& appname, const std::u16string& section, runtime::Variant* result) override;
    HRESULT SetKeyValue(const std::u16string& sKeyName, const std::u16string& sValueName,
                        const runtime::Variant& vValueSetting, const LONG& lValueType) override;
    HRESULT CreateKey(const std::u16string& sKeyName) override;
    HRESULT SetValueEx(LONG hKey, const std::u16string& sValueName, const LONG& lType, const runtime::Variant& vValue,
                       LONG* result) override;
    HRESULT QueryValueEx(LONG lhKey, std::u16string szValueName, runtime::Variant* vValue, LONG* result) override;

private:
    // Sets the properties to their defaults.
    void Class_Initialize();
    // The settings path of an application's section below Root.
    std::u16string BuildKeyPath(const std::u16string& appname, const std::u16string& section) const;
    // Opens the settings path of appname and section below Root: the handle, 0 when it cannot
    // be opened, or Root itself when the path is empty.
    win32::HKEY OpenSectionKey(const std::u16string& appname, const std::u16string& section) const;

    // The bodies of the entries; they raise runtime::Error, which the entries report.
    runtime::Variant ReadValue(const std::u16string& sKeyName, const std::u16string& sValueName) const;
    LONG ReadValueEx(win32::HKEY key, const std::u16string& valueName, runtime::Variant& value) const;
    void WriteKeyValue(const std::u16string& sKeyName, const std::u16string& sValueName, const runtime::Variant& value,
                       LONG valueType) const;
    LONG WriteValueEx(win32::HKEY key, const std::u16string& valueName, LONG valueType,
                      const runtime::Variant& value) const;
    runtime::Variant ReadSetting(const std::u16string& appname, const std::u16string& section,
                                 const std::u16string& key, const runtime::Variant& defaultValue) const;
    void WriteSetting(const std::u16string& appname, const std::u16string& section, const std::u16string& key,
                      const runtime::Variant& setting, LONG* valueType) const;
    void RemoveSetting(const std::u16string& appname, const std::u16string& section, const std::u16string& key) const;
    runtime::Variant ListSettings(const std::u16string& appname, const std::u16string& section) const;
    runtime::Variant ListKeys(const std::u16string& appname, const std::u16string& section) const;
    void MakeKey(const std::u16string& sKeyName) const;

    win32::HKEY RootKey() const;
    // Closes a key this object opened; Root itself, given back for an empty path, stays open.
    void CloseOpenedKey(win32::HKEY key) const;

    // Late binding: one member called with its arguments in the caller's order.
    HRESULT InvokeMember(DISPID member, win32::WORD flags, win32::DISPPARAMS& params, runtime::Variant* result,
                         win32::UINT* argError);

    win32::ULONG references_ = 1;
    std::u16string KeyPrefix;
    LONG Root = 0;
};

} // namespace tarnhold
