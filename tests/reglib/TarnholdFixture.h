#pragma once
#include "platform/hive/CurrentHive.h"
#include "platform/runtime/Variant.h"
#include "platform/win32/ComActivation.h"
#include "platform/win32/Registry.h"
#include "reglib/Tarnhold.h"
#include "tests/platform/runtime/VariantPrinter.h"
#include "tests/support/PrivateRegistry.h"

#include <gtest/gtest.h>
#include <string>

// A private hive with the built Tarnhold library registered in it, and a fresh TarnholdAPI
// object created through CoCreateInstance, as the program creates it.
class TarnholdTest : public testing::Test
{
protected:
    void SetUp() override
    {
        api = win32::CreateObject<tarnhold::_TarnholdAPI>(tarnhold::CLSID_TarnholdAPI);
        ASSERT_TRUE(api);
    }
    void TearDown() override { api.Reset(); }

    // A value as the registry holds it, read past the library; type 0 when it is missing.
    struct RawValue
    {
        unsigned int Type;
        std::string Data;
    };
    static RawValue ReadRaw(win32::HKEY root, const std::string& path, const std::string& name)
    {
        const auto [type, data] = PrivateRegistry::ReadValue(root, path, name);
        return {type, data};
    }

    static std::string Text(const std::string& text) { return text + '\0'; }
    static std::string Dword(uint32_t value)
    {
        return {static_cast<char>(value), static_cast<char>(value >> 8), static_cast<char>(value >> 16),
                static_cast<char>(value >> 24)};
    }

    // The object with the program's usual settings: prefix "Software\", current user.
    void UseProgramPrefix()
    {
        ASSERT_EQ(api->put_KeyPrefix(u"Software\\"), win32::S_OK);
        ASSERT_EQ(api->put_Root(tarnhold::Hkey_Current_User), win32::S_OK);
    }

    runtime::Variant GetSetting(const std::u16string& app, const std::u16string& section, const std::u16string& key,
                                const runtime::Variant& defaultValue = runtime::Variant::Missing())
    {
        runtime::Variant result;
        EXPECT_EQ(api->GetSetting(app, section, key, defaultValue, &result), win32::S_OK);
        return result;
    }

    PrivateRegistry registry;
    win32::ComPtr<tarnhold::_TarnholdAPI> api;
};
