#include "app/settings/AppSettings.h"

#include "platform/desktop/Screen.h"
#include "tests/app/settings/SettingsFixture.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <tuple>

namespace
{
const std::string ShellFolders = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

class AppSettingsTest : public SettingsFixture
{
protected:
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
};
} // namespace

TEST_F(AppSettingsTest, AFirstRunCentresTheDesignedWindowAndSavesEightDwords)
{
    const double designedWidth = Main.Width();
    const double designedHeight = Main.Height();
    const QString favorites = LoadAppSettings(Main);

    EXPECT_EQ(favorites, QDir::homePath() + QStringLiteral("/Favorites"));
    EXPECT_EQ(AppSettings.Timeout, 1000);
    EXPECT_FALSE(AppSettings.ChangeName);
    EXPECT_FALSE(AppSettings.IEToolMenu);
    EXPECT_FALSE(AppSettings.IEToolbar);
    EXPECT_DOUBLE_EQ(Main.Width(), designedWidth);
    EXPECT_DOUBLE_EQ(Main.Height(), designedHeight);
    const double pixel = desktop::Screen::TwipsPerPixelX();
    EXPECT_NEAR(Main.Left(), desktop::Screen::Width() / 2 - designedWidth / 2, pixel);
    EXPECT_NEAR(Main.Top(), desktop::Screen::Height() / 2 - designedHeight / 2, pixel);

    SaveAppSettings(Main);
    EXPECT_EQ(Registry.ValueNames(win32::HKEY_CURRENT_USER, SettingsKey),
              (std::vector<std::string>{"Height", "Width", "Top", "Left", "Timeout", "ChangeName", "IEToolMenu", "IEToolbar"}));
    EXPECT_EQ(Stored("Height"), std::lround(designedHeight));
    EXPECT_EQ(Stored("Width"), std::lround(designedWidth));
    EXPECT_EQ(Stored("Left"), std::lround(Main.Left()));
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

    LoadAppSettings(Main);
    EXPECT_EQ(AppSettings.Timeout, 1500);
    EXPECT_TRUE(AppSettings.ChangeName);
    EXPECT_FALSE(AppSettings.IEToolMenu);
    EXPECT_TRUE(AppSettings.IEToolbar);
    EXPECT_DOUBLE_EQ(Main.Left(), -1500);
    EXPECT_DOUBLE_EQ(Main.Top(), -150);
    EXPECT_DOUBLE_EQ(Main.Width(), 6000);
    EXPECT_DOUBLE_EQ(Main.Height(), 7500);

    SaveAppSettings(Main);
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
    const std::tuple<const char*, unsigned int, std::string> stored[] = {
        {"Timeout", win32::REG_SZ, Text("")},
        {"ChangeName", win32::REG_SZ, Text("maybe")},
        {"IEToolMenu", win32::REG_SZ, Text("")},
        {"Top", win32::REG_EXPAND_SZ, Text("%TOP%")},
        {"Left", win32::REG_SZ, Text("left of here")},
    };
    for (const auto& [name, type, data] : stored)
        Registry.WriteValue(win32::HKEY_CURRENT_USER, SettingsKey, name, type, data);
    Registry.WriteValue(win32::HKEY_CURRENT_USER, ShellFolders, "Favorites", win32::REG_SZ, Text("/srv/Favorites"));

    EXPECT_EQ(LoadAppSettings(Main), QStringLiteral("/srv/Favorites"));
    EXPECT_EQ(AppSettings.Timeout, 1000);
    EXPECT_FALSE(AppSettings.ChangeName);
    EXPECT_FALSE(AppSettings.IEToolMenu);
    const double pixel = desktop::Screen::TwipsPerPixelX();
    EXPECT_NEAR(Main.Top(), desktop::Screen::Height() / 2 - Main.Height() / 2, pixel);
    EXPECT_NEAR(Main.Left(), desktop::Screen::Width() / 2 - Main.Width() / 2, pixel);

    // Halves go to the even neighbour; what does not fit 16 bits gives the default.
    for (const auto& [timeout, read] : {std::pair{"abc", 1000}, std::pair{"40000", 1000}, std::pair{"-32769", 1000},
                                        std::pair{" 750.5 ", 750}, std::pair{"-32768", -32768}}) {
        Store("Timeout", timeout);
        LoadAppSettings(Main);
        EXPECT_EQ(AppSettings.Timeout, read) << timeout;
    }
    StoreDword("Timeout", 70000);
    LoadAppSettings(Main);
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
