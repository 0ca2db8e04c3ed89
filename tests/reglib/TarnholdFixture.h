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
#include <vector>

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

    static win32::HRESULT CallEntryPoint(const char* name)
    {
        return PrivateRegistry::CallEntryPoint(name) ? win32::S_OK : win32::E_FAIL;
    }
    static bool KeyExists(win32::HKEY root, const std::string& path) { return PrivateRegistry::KeyExists(root, path); }

    struct RawValue
    {
        win32::LONG Status = win32::ERROR_FILE_NOT_FOUND;
        win32::DWORD Type = 0;
        std::vector<uint8_t> Data;
    };

    // A value as the registry holds it, read past the library.
    static RawValue ReadRaw(win32::HKEY root, const std::string& path, const std::string& name)
    {
        const auto [type, data] = PrivateRegistry::ReadValue(root, path, name);
        return {type ? win32::ERROR_SUCCESS : win32::ERROR_FILE_NOT_FOUND, type, {data.begin(), data.end()}};
    }
    // Writes a value past the library, creating its key.
    static void WriteRaw(win32::HKEY root, const std::string& path, const std::string& name, win32::DWORD type,
                         const std::vector<uint8_t>& data)
    {
        PrivateRegistry::WriteValue(root, path, name, type, std::string(data.begin(), data.end()));
    }

    static std::vector<uint8_t> Text(const std::string& text, bool terminated = true)
    {
        std::vector<uint8_t> bytes(text.begin(), text.end());
        if (terminated)
            bytes.push_back(0);
        return bytes;
    }
    static std::vector<uint8_t> Dword(uint32_t value)
    {
        return {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value >> 16),
                static_cast<uint8_t>(value >> 24)};
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
