#include "app/settings/AppSettings.h"

#include "app/window/frmMain.h"
#include "platform/desktop/Application.h"
#include "platform/desktop/Screen.h"
#include "platform/win32/WinTypes.h"
#include "tests/support/PrivateRegistry.h"
#include "tests/support/TestFolder.h"

#include <QDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace
{
const std::string SettingsKey = "Software\\Orrindale\\Strandmoor";
const std::string ShellFolders = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

std::string Text(const char* text)
{
    return std::string(text) + '\0';
}

class AppSettingsTest : public ::testing::Test
{
protected:
    // Anything logged goes to the test's own program folder.
    AppSettingsTest() { desktop::App::SetPath(Program.Path()); }
    ~AppSettingsTest() override
    {
        AppSettings = ApplicationSettings{};
        desktop::App::SetPath(QString());
    }

    void Store(const char* name, const char* text)
    {
        Registry.WriteValue(win32::HKEY_CURRENT_USER, SettingsKey, name, win32::REG_SZ, Text(text));
    }
    void StoreDword(const char* name, uint32_t value)
    {
        Registry.WriteDword(win32::HKEY_CURRENT_USER, SettingsKey, name, value);
    }
    // A stored DWORD, read as the little-endian signed number it holds.
    int32_t Stored(const char* name)
    {
        const auto [type, data] = Registry.ReadValue(win32::HKEY_CURRENT_USER, SettingsKey, name);
        EXPECT_EQ(type, win32::REG_DWORD) << name;
        int32_t number = 0;
        std::memcpy(&number, data.data(), std::min<size_t>(data.size(), 4));
        return number;
    }

    TestFolder Program;
    PrivateRegistry Registry;
};
} // namespace

TEST_F(AppSettingsTest, AFirstRunCentresTheDesignedWindowAndSavesEightDwords)
{
    frmMain window;
    const double designedWidth = window.Width();
    const double designedHeight = window.Height();
    const QString favorites = LoadAppSettings(window);

    EXPECT_EQ(favorites, QDir::homePath() + QStringLiteral("/Favorites"));
    EXPECT_EQ(AppSettings.Timeout, 1000);
    EXPECT_FALSE(AppSettings.ChangeName);
    EXPECT_FALSE(AppSettings.IEToolMenu);
    EXPECT_FALSE(AppSettings.IEToolbar);
    EXPECT_DOUBLE_EQ(window.Width(), designedWidth);
    EXPECT_DOUBLE_EQ(window.Height(), designedHeight);
    const double pixel = desktop::Screen::TwipsPerPixelX();
    EXPECT_NEAR(window.Left(), desktop::Screen::Width() / 2 - designedWidth / 2, pixel);
    EXPECT_NEAR(window.Top(), desktop::Screen::Height() / 2 - designedHeight / 2, pixel);

    SaveAppSettings(window);
    EXPECT_EQ(Registry.ValueNames(win32::HKEY_CURRENT_USER, SettingsKey),
              (std::vector<std::string>{"Height", "Width", "Top", "Left", "Timeout", "ChangeName", "IEToolMenu", "IEToolbar"}));
    EXPECT_EQ(Stored("Height"), std::lround(designedHeight));
    EXPECT_EQ(Stored("Width"), std::lround(designedWidth));
    EXPECT_EQ(Stored("Left"), std::lround(window.Left()));
}

TEST_F(AppSettingsTest, StoredValuesAreReadAndWrittenBackAsDwords)
{
    Store("Timeout", "1500");
    StoreDword("ChangeName", 1);
    StoreDword("IEToolMenu", 0);
    StoreDword("IEToolbar", 0xFFFFFFFF);
    StoreDword("Left", static_cast<uint32_t>(-1500)); // 100 pixels off the left edge: still partly on screen
    StoreDword("Top", static_cast<uint32_t>(-150));
    StoreDword("Width", 6000);
    StoreDword("Height", 7500);

    frmMain window;
    LoadAppSettings(window);
    EXPECT_EQ(AppSettings.Timeout, 1500);
    EXPECT_TRUE(AppSettings.ChangeName);
    EXPECT_FALSE(AppSettings.IEToolMenu);
    EXPECT_TRUE(AppSettings.IEToolbar);
    EXPECT_DOUBLE_EQ(window.Left(), -1500);
    EXPECT_DOUBLE_EQ(window.Top(), -150);
    EXPECT_DOUBLE_EQ(window.Width(), 6000);
    EXPECT_DOUBLE_EQ(window.Height(), 7500);

    SaveAppSettings(window);
    EXPECT_EQ(Stored("Timeout"), 1500);
    EXPECT_EQ(Stored("Left"), -1500);
    EXPECT_EQ(Stored("Top"), -150);
    EXPECT_EQ(Stored("ChangeName"), -1);
    EXPECT_EQ(Stored("IEToolMenu"), 0);
    EXPECT_EQ(Stored("IEToolbar"), -1);
}

// The Favorites folder is the one the shell folders name.
TEST_F(AppSettingsTest, ValuesThatCannotBeUsedGiveTheirDefaults)
{
    struct Case
    {
        const char* Name;
        unsigned int Type;
        std::string Data;
    };
    const Case stored[] = {
        {"Timeout", win32::REG_SZ, Text("")},
        {"ChangeName", win32::REG_SZ, Text("maybe")},
        {"IEToolMenu", win32::REG_SZ, Text("")},
        {"Top", win32::REG_EXPAND_SZ, Text("%TOP%")},
        {"Left", win32::REG_SZ, Text("left of here")},
    };
    for (const Case& c : stored)
        Registry.WriteValue(win32::HKEY_CURRENT_USER, SettingsKey, c.Name, c.Type, c.Data);
    Registry.WriteValue(win32::HKEY_CURRENT_USER, ShellFolders, "Favorites", win32::REG_SZ, Text("/srv/Favorites"));

    frmMain window;
    EXPECT_EQ(LoadAppSettings(window), QStringLiteral("/srv/Favorites"));
    EXPECT_EQ(AppSettings.Timeout, 1000);
    EXPECT_FALSE(AppSettings.ChangeName);
    EXPECT_FALSE(AppSettings.IEToolMenu);
    const double pixel = desktop::Screen::TwipsPerPixelX();
    EXPECT_NEAR(window.Top(), desktop::Screen::Height() / 2 - window.Height() / 2, pixel);
    EXPECT_NEAR(window.Left(), desktop::Screen::Width() / 2 - window.Width() / 2, pixel);

    // Halves go to the even neighbour; what does not fit 16 bits gives the default.
    for (const auto& [timeout, read] : {std::pair{"abc", 1000}, std::pair{"40000", 1000}, std::pair{"-32769", 1000},
                                        std::pair{" 750.5 ", 750}, std::pair{"-32768", -32768}}) {
        Store("Timeout", timeout);
        LoadAppSettings(window);
        EXPECT_EQ(AppSettings.Timeout, read) << timeout;
    }
    StoreDword("Timeout", 70000);
    LoadAppSettings(window);
    EXPECT_EQ(AppSettings.Timeout, 1000);

    // A placement wholly off every screen is centred instead.
    StoreDword("Left", static_cast<uint32_t>(-200000));
    StoreDword("Top", 300000);
    frmMain offScreen;
    LoadAppSettings(offScreen);
    EXPECT_TRUE(offScreen.IsOnScreen());
    EXPECT_NEAR(offScreen.Left(), desktop::Screen::Width() / 2 - offScreen.Width() / 2, pixel);
    EXPECT_NEAR(offScreen.Top(), desktop::Screen::Height() / 2 - offScreen.Height() / 2, pixel);
}
