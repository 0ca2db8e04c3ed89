#pragma once
#include "platform/win32/GuidGenerator.h"
#include "platform/win32/WinTypes.h"
#include "tests/app/MainWindowFixture.h"
#include "tests/support/PrivateRegistry.h"

#include <string>

// Where the program keeps its settings, and where the browser looks for extensions.
inline const std::string SettingsKey = "Software\\Orrindale\\Strandmoor";
inline const std::string ExtensionsKey = "Software\\Microsoft\\Internet Explorer\\Extensions";

// The main window's environment with a hive of the test's own. What a test changes in the
// program's name, version and GUID source is put back afterwards.
class SettingsFixture : public MainWindowFixture
{
protected:
    ~SettingsFixture() override
    {
        win32::SetGuidGenerator({});
        desktop::App::SetEXEName(QString());
        desktop::App::SetVersion(-1, -1, -1);
    }

    static std::string Text(const std::string& text) { return text + '\0'; }
    // A value of the program's settings, stored as text.
    void Store(const std::string& name, const std::string& text)
    {
        Registry.WriteValue(win32::HKEY_CURRENT_USER, SettingsKey, name, win32::REG_SZ, Text(text));
    }
    // The text of a value below the current user, checked to be REG_SZ, without its terminator.
    std::string Sz(const std::string& path, const std::string& name)
    {
        const auto [type, data] = Registry.ReadValue(win32::HKEY_CURRENT_USER, path, name);
        EXPECT_EQ(type, win32::REG_SZ) << name;
        return data.empty() ? std::string() : data.substr(0, data.size() - 1);
    }
    bool HasValue(const std::string& path, const std::string& name)
    {
        return Registry.ReadValue(win32::HKEY_CURRENT_USER, path, name).first != 0;
    }

    PrivateRegistry Registry;
};
