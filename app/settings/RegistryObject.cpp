#include "app/settings/RegistryObject.h"

#include "platform/win32/ComActivation.h"
#include "platform/win32/ComErrorInfo.h"

RegistryObject CreateRegistryObject(tarnhold::LONG root)
{
    RegistryObject registry = win32::CreateObject<tarnhold::_TarnholdAPI>(tarnhold::CLSID_TarnholdAPI);
    win32::ThrowIfFailed(registry->put_KeyPrefix(u"Software\\"));
    win32::ThrowIfFailed(registry->put_Root(root));
    return registry;
}

runtime::Variant GetRegistrySetting(const RegistryObject& registry, const std::u16string& appname,
                                    const std::u16string& section, const std::u16string& key,
                                    const runtime::Variant& defaultValue)
{
    runtime::Variant result;
    win32::ThrowIfFailed(registry->GetSetting(appname, section, key, defaultValue, &result));
    return result;
}

void SaveRegistrySetting(const RegistryObject& registry, const std::u16string& appname, const std::u16string& section,
                         const std::u16string& key, const runtime::Variant& value)
{
    // The class writes the type it chose back into this variable; starting at 0 every time
    // lets it choose afresh for each value.
    win32::LONG valueType = 0;
    win32::ThrowIfFailed(registry->SaveSetting(appname, section, key, value, &valueType));
}

void DeleteRegistrySetting(const RegistryObject& registry, const std::u16string& appname, const std::u16string& section,
                           const std::u16string& key)
{
    win32::ThrowIfFailed(registry->DeleteSetting(appname, section, key));
}
