#pragma once
#include "platform/win32/ComPtr.h"
#include "reglib/Tarnhold.h"

#include <string>

// A registry access object, created for one piece of work and released after it.
using RegistryObject = win32::ComPtr<tarnhold::_TarnholdAPI>;

// Creates a registry access object for settings below "Software\" of `root`. Raises the
// program's error when the registry library cannot be used.
RegistryObject CreateRegistryObject(tarnhold::LONG root);

// One GetSetting call, its failure raised as the program's error.
runtime::Variant GetRegistrySetting(const RegistryObject& registry, const std::u16string& appname,
                                    const std::u16string& section, const std::u16string& key,
                                    const runtime::Variant& defaultValue);

// One SaveSetting call that lets the class choose the registry type for this value alone.
void SaveRegistrySetting(const RegistryObject& registry, const std::u16string& appname, const std::u16string& section,
                         const std::u16string& key, const runtime::Variant& value);

// One DeleteSetting call; an empty key deletes the section's own key.
void DeleteRegistrySetting(const RegistryObject& registry, const std::u16string& appname, const std::u16string& section,
                           const std::u16string& key);
