#pragma once
#include "platform/hive/CurrentHive.h"
#include "platform/runtime/Variant.h"
#include "platform/win32/ComActivation.h"
#include "platform/win32/Registry.h"
#include "reglib/Tarnhold.h"
#include "tests/platform/runtime/VariantPrinter.h"
#include "tests/support/TestFolder.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <string>
#include <vector>

// A private hive with the built Tarnhold library registered in it, and a fresh TarnholdAPI
// object created through CoCreateInstance, as the program creates it.
class TarnholdTest : public testing::Test
{
protected:
    void SetUp() override
    {
        hivePath = folder.Sub(QStringLiteral("registry.hive")).toStdString();
        setenv("STRANDMOOR_HIVE", hivePath.c_str(), 1);
        hive::ResetForTests();
        ASSERT_EQ(CallEntryPoint("DllRegisterServer"), win32::S_OK);
        api = win32::CreateObject<tarnhold::_TarnholdAPI>(tarnhold::CLSID_TarnholdAPI);
        ASSERT_TRUE(api);
    }

    void TearDown() override
    {
        api.Reset();
        win32::CoFreeUnusedLibraries();
        hive::ResetForTests();
        unsetenv("STRANDMOOR_HIVE");
    }

    // Calls one of the library's exported entry points the way regsvr does.
    static win32::HRESULT CallEntryPoint(const char* name)
    {
        void* library = dlopen(TARNHOLD_MODULE, RTLD_NOW | RTLD_LOCAL);
        if (!library) {
            ADD_FAILURE() << dlerror();
            return win32::E_FAIL;
        }
        const auto entry = reinterpret_cast<win32::HRESULT (*)()>(dlsym(library, name));
        const win32::HRESULT hr = entry ? entry() : win32::E_FAIL;
        dlclose(library);
        return hr;
    }

    struct RawValue
    {
        win32::LONG Status = win32::ERROR_FILE_NOT_FOUND;
        win32::DWORD Type = 0;
        std::vector<uint8_t> Data;
    };

    // A value as the registry holds it, read past the library.
    static RawValue ReadRaw(win32::HKEY root, const std::string& path, const std::string& name)
    {
        RawValue raw;
        win32::HKEY key = 0;
        raw.Status = win32::RegOpenKeyExA(root, path.c_str(), 0, win32::KEY_READ, &key);
        if (raw.Status != win32::ERROR_SUCCESS)
            return raw;
        win32::DWORD size = 0;
        raw.Status = win32::RegQueryValueExA(key, name.c_str(), nullptr, &raw.Type, nullptr, &size);
        if (raw.Status == win32::ERROR_SUCCESS) {
            raw.Data.resize(size);
            raw.Status = win32::RegQueryValueExA(key, name.c_str(), nullptr, &raw.Type, raw.Data.data(), &size);
        }
        win32::RegCloseKey(key);
        return raw;
    }

    // Writes a value past the library, creating its key.
    static void WriteRaw(win32::HKEY root, const std::string& path, const std::string& name, win32::DWORD type,
                         const std::vector<uint8_t>& data)
    {
        win32::HKEY key = 0;
        ASSERT_EQ(
            win32::RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, win32::KEY_ALL_ACCESS, nullptr, &key, nullptr),
            win32::ERROR_SUCCESS);
        const uint8_t none = 0;
        ASSERT_EQ(win32::RegSetValueExA(key, name.c_str(), 0, type, data.empty() ? &none : data.data(),
                                        static_cast<win32::DWORD>(data.size())),
                  win32::ERROR_SUCCESS);
        win32::RegCloseKey(key);
    }

    static bool KeyExists(win32::HKEY root, const std::string& path)
    {
        win32::HKEY key = 0;
        if (win32::RegOpenKeyExA(root, path.c_str(), 0, win32::KEY_READ, &key) != win32::ERROR_SUCCESS)
            return false;
        win32::RegCloseKey(key);
        return true;
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

    TestFolder folder;
    std::string hivePath;
    win32::ComPtr<tarnhold::_TarnholdAPI> api;
};
