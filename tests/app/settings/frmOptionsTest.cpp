#include "app/settings/frmOptions.h"

#include "tests/app/settings/SettingsFixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

namespace
{
class frmOptionsTest : public SettingsFixture
{
protected:
    frmOptionsTest() { AppSettings = ApplicationSettings{1000, false, false, false}; }

    void SetBrowserVersion(const char* version)
    {
        Registry.WriteValue(win32::HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Internet Explorer", "Version",
                            win32::REG_SZ, std::string(version) + '\0');
    }
    // Writes a favorite into the Favorites folder, loads the tree and selects the favorite.
    void SelectFavorite(const QString& name, const QByteArray& content)
    {
        Favorites.WriteFile(name + QStringLiteral(".url"), content);
        Load();
        Select(name);
    }
    // The dialog as the menus open it: created, then shown.
    std::unique_ptr<frmOptions> Open(OptionsMode mode)
    {
        auto dialog = std::make_unique<frmOptions>(*Main.tvFolders, mode);
        dialog->show();
        return dialog;
    }

    static void Click(frmOptions& dialog, int button) { QTest::mouseClick(dialog.btnButtons(button), Qt::LeftButton); }
    // Sets both browser switches in the options dialog, then clicks OK.
    void ApplySwitches(bool menu, bool toolbar)
    {
        const auto dialog = Open(OptionsMode::Options);
        dialog->chkAddToIE()->setChecked(menu);
        dialog->chkAddToToolbar()->setChecked(toolbar);
        Click(*dialog, 0);
    }

    // The extension keys the settings remember, menu entry first.
    std::vector<std::string> ExtensionKeys()
    {
        std::vector<std::string> names;
        for (const char* name : {"ToolMenuGUID", "ToolMenubarGUID"}) {
            if (HasValue(SettingsKey, name))
                names.push_back(Sz(SettingsKey, name));
        }
        return names;
    }
};
} // namespace

// The switches are offered from browser version 5 on.
TEST_F(frmOptionsTest, TheLoadShowsTheGlobalSettingsAndOffersTheSwitchesFromVersionFive)
{
    AppSettings = ApplicationSettings{1750, true, true, false};
    const std::pair<const char*, bool> versions[] = {
        {nullptr, false}, {"4.0", false}, {"5.5", true}, {"11.0.22621.1", true},
    };
    for (const auto& [version, offered] : versions) {
        const char* label = version ? version : "(none)";
        if (version)
            SetBrowserVersion(version);
        const auto dialog = Open(OptionsMode::Options);
        EXPECT_TRUE(dialog->isModal());
        EXPECT_EQ(dialog->TimeoutSlider(0)->value(), 1750);
        EXPECT_TRUE(dialog->chkNameChange(0)->isChecked());
        EXPECT_TRUE(dialog->chkAddToIE()->isChecked());
        EXPECT_FALSE(dialog->chkAddToToolbar()->isChecked());
        EXPECT_EQ(dialog->chkAddToIE()->isEnabled(), offered) << label;
        EXPECT_EQ(dialog->chkAddToToolbar()->isEnabled(), offered) << label;
        if (version)
            continue;
        // Switches not offered are left as they are by OK, and nothing is installed.
        Click(*dialog, 0);
        EXPECT_FALSE(dialog->isVisible());
        EXPECT_TRUE(AppSettings.IEToolMenu);
        EXPECT_FALSE(AppSettings.IEToolbar);
        EXPECT_FALSE(Registry.KeyExists(win32::HKEY_CURRENT_USER, ExtensionsKey));
        EXPECT_TRUE(ExtensionKeys().empty());
    }
}

TEST_F(frmOptionsTest, TheSwitchesInstallOnceRemoveAndStayOffWhenTheyCannotInstall)
{
    SetBrowserVersion("11");
    ApplySwitches(true, false);
    EXPECT_TRUE(AppSettings.IEToolMenu);
    EXPECT_FALSE(AppSettings.IEToolbar);
    const std::vector<std::string> installed = ExtensionKeys();
    ASSERT_EQ(installed.size(), 1u);

    // Unchanged switches touch nothing.
    ApplySwitches(true, false);
    EXPECT_EQ(ExtensionKeys(), installed);
    EXPECT_TRUE(AppSettings.IEToolMenu);

    ApplySwitches(false, false);
    EXPECT_FALSE(AppSettings.IEToolMenu);
    EXPECT_TRUE(ExtensionKeys().empty());

    // An install that cannot be made leaves its switch off.
    win32::SetGuidGenerator([](win32::GUID*) { return win32::E_FAIL; });
    ApplySwitches(false, true);
    EXPECT_FALSE(AppSettings.IEToolbar);
    EXPECT_TRUE(ExtensionKeys().empty());
}

// The global values reach the registry when the main window closes, not here; a time-out
// outside the slider's range is clamped into it.
TEST_F(frmOptionsTest, OkAppliesTheGlobalValuesButWritesNoFavoriteInOptionsMode)
{
    // The properties of a folder have no favorite's page either.
    Favorites.MakeFolder(QStringLiteral("Folder"));
    const QByteArray content = "[InternetShortcut]\r\nURL=http://example.com/\r\n";
    SelectFavorite(QStringLiteral("Example"), content);
    Select(QStringLiteral("Folder"));
    {
        const auto folder = Open(OptionsMode::Properties);
        EXPECT_FALSE(folder->PrefTab()->isTabEnabled(1));
        Click(*folder, 0);
    }
    EXPECT_EQ(QDir(Favorites.Path()).entryList(QDir::Files), QStringList{"Example.url"});
    Select(QStringLiteral("Example"));
    const auto dialog = Open(OptionsMode::Options);
    EXPECT_FALSE(dialog->PrefTab()->isTabEnabled(1));
    EXPECT_EQ(dialog->PrefTab()->currentIndex(), 0);
    dialog->TimeoutSlider(0)->setValue(1250);
    dialog->chkNameChange(0)->setChecked(true);
    Click(*dialog, 0);

    EXPECT_EQ(AppSettings.Timeout, 1250);
    EXPECT_TRUE(AppSettings.ChangeName);
    EXPECT_EQ(Favorites.ReadFile(QStringLiteral("Example.url")), content);
    EXPECT_FALSE(Registry.KeyExists(win32::HKEY_CURRENT_USER, SettingsKey));

    for (const auto& [stored, shown] : {std::pair{3000, 2000}, std::pair{200, 500}, std::pair{-1, 500}}) {
        AppSettings.Timeout = static_cast<int16_t>(stored);
        const auto clamped = Open(OptionsMode::Options);
        EXPECT_EQ(clamped->TimeoutSlider(0)->value(), shown) << stored;
        Click(*clamped, 0);
        EXPECT_EQ(AppSettings.Timeout, shown) << stored;
    }
}

// Run modally, as the menus run it. Both keys are written; the untouched address keeps its line
// as it was. The favorite's name is shown but cannot be edited.
TEST_F(frmOptionsTest, PropertiesOfAFavoriteWithoutItsOwnSectionShowAndStoreTheGlobalValues)
{
    AppSettings.Timeout = 1500;
    AppSettings.ChangeName = true;
    const QByteArray content =
        "[DEFAULT]\r\nBASEURL=http://example.com/\r\n[InternetShortcut]\r\nURL = http://example.com/\r\n";
    SelectFavorite(QStringLiteral("Example"), content);
    frmOptions dialog(*Main.tvFolders, OptionsMode::Properties);
    QTimer::singleShot(0, &dialog, [&dialog] {
        EXPECT_EQ(QApplication::activeModalWidget(), &dialog);
        EXPECT_TRUE(dialog.PrefTab()->isTabEnabled(1));
        EXPECT_EQ(dialog.PrefTab()->currentIndex(), 1);
        EXPECT_EQ(dialog.txtURL()->text(), QStringLiteral("http://example.com/"));
        dialog.txtLink()->setFocus();
        QTest::keyClicks(dialog.txtLink(), QStringLiteral("xyz"));
        QTest::keyClick(dialog.txtLink(), Qt::Key_Backspace);
        EXPECT_EQ(dialog.txtLink()->text(), QStringLiteral("Example"));
        EXPECT_EQ(dialog.TimeoutSlider(1)->value(), 1500);
        EXPECT_TRUE(dialog.chkNameChange(1)->isChecked());
        Click(dialog, 0);
    });
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_EQ(Favorites.ReadFile(QStringLiteral("Example.url")),
              content + "[Orrindale]\r\nTimeout=1500\r\nRename=1\r\n");
}

// The address is read whole, however long.
TEST_F(frmOptionsTest, AFavoritesOwnValuesAreShownAndClampedIntoTheSlidersRange)
{
    // Global: 1000 milliseconds, renaming allowed.
    const QByteArray url = "http://example.com/" + QByteArray(600, 'a');
    const std::tuple<QByteArray, int, bool> cases[] = {
        {"Timeout=1800\r\nRename=0\r\n", 1800, false},
        {"Timeout=750\r\nRename=2\r\n", 750, true},
        {"Timeout=100\r\nRename=-1\r\n", 500, true}, // "-1" means the global switch
        {"Timeout=99999\r\n", 2000, true},           // read as 9999
        {"Timeout=-50\r\n", 500, true},
        {"Timeout=soon\r\nRename=no\r\n", 1000, true}, // no numbers: the global values
        {"Timeout=\r\n", 1000, true},
    };
    AppSettings.ChangeName = true;
    for (const auto& [section, timeout, rename] : cases) {
        SelectFavorite(QStringLiteral("Own"), "[InternetShortcut]\r\nURL=" + url + "\r\n[Orrindale]\r\n" + section);
        const auto dialog = Open(OptionsMode::Properties);
        EXPECT_EQ(dialog->txtURL()->text(), QString::fromLatin1(url));
        EXPECT_EQ(dialog->TimeoutSlider(1)->value(), timeout) << section.toStdString();
        EXPECT_EQ(dialog->chkNameChange(1)->isChecked(), rename) << section.toStdString();
    }
}

TEST_F(frmOptionsTest, TheAddressIsStoredWithAScheme)
{
    // What is typed, and the URL line after OK.
    const std::pair<QString, QByteArray> cases[] = {
        {QStringLiteral("www.example.com/news"), "URL=http://www.example.com/news"},
        {QStringLiteral("https://secure.example.com/"), "URL=https://secure.example.com/"},
        {QStringLiteral("\t mailto:someone@example.com"), "URL=mailto:someone@example.com"},
        {QStringLiteral("   "), "URL="},
        {QStringLiteral("  http://other.example/  "), "URL=http://other.example/"},
        {QStringLiteral("  http://example.com/  "), "URL = http://example.com/"}, // only blanks differ: not written
        {QStringLiteral("http://example.com/"), "URL = http://example.com/"},
    };
    for (const auto& [typed, line] : cases) {
        SelectFavorite(QStringLiteral("Typed"), "[InternetShortcut]\r\nURL = http://example.com/\r\n");
        const auto dialog = Open(OptionsMode::Properties);
        dialog->txtURL()->setText(typed);
        Click(*dialog, 0);
        const QByteArray content = Favorites.ReadFile(QStringLiteral("Typed.url"));
        EXPECT_TRUE(content.startsWith("[InternetShortcut]\r\n" + line + "\r\n"))
            << typed.toStdString() << " gave " << content.toStdString();
    }
}

TEST_F(frmOptionsTest, DefaultRemovesTheWholeSectionAndAppliesNothingGlobal)
{
    const QByteArray shortcut = "[InternetShortcut]\r\nURL=http://example.com/\r\n";
    SelectFavorite(QStringLiteral("Own"), shortcut + "[Orrindale]\r\nTimeout=900\r\nRename=1\r\nNote=kept by hand\r\n");
    const auto dialog = Open(OptionsMode::Properties);
    dialog->TimeoutSlider(0)->setValue(1900);
    dialog->chkNameChange(0)->setChecked(true);
    dialog->txtURL()->setText(QStringLiteral("http://elsewhere.example/"));
    Click(*dialog, 2);

    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(Favorites.ReadFile(QStringLiteral("Own.url")), shortcut);
    EXPECT_EQ(AppSettings.Timeout, 1000);
    EXPECT_FALSE(AppSettings.ChangeName);
}

TEST_F(frmOptionsTest, LeavingWithoutOkChangesNothing)
{
    SetBrowserVersion("6.0");
    const QByteArray content =
        "[InternetShortcut]\r\nURL=http://example.com/\r\n[Orrindale]\r\nTimeout=900\r\nRename=0\r\n";
    const std::vector<std::pair<const char*, std::function<void(frmOptions&)>>> ways = {
        {"Cancel", [](frmOptions& dialog) { Click(dialog, 1); }},
        {"Escape", [](frmOptions& dialog) { QTest::keyClick(&dialog, Qt::Key_Escape); }},
        {"the window frame", [](frmOptions& dialog) { dialog.close(); }},
    };
    for (const auto& [way, leave] : ways) {
        SelectFavorite(QStringLiteral("Own"), content);
        const auto dialog = Open(OptionsMode::Properties);
        dialog->TimeoutSlider(0)->setValue(2000);
        dialog->chkNameChange(0)->setChecked(true);
        dialog->chkAddToIE()->setChecked(true);
        dialog->chkAddToToolbar()->setChecked(true);
        dialog->TimeoutSlider(1)->setValue(1600);
        dialog->chkNameChange(1)->setChecked(true);
        dialog->txtURL()->setText(QStringLiteral("elsewhere.example"));
        leave(*dialog);

        EXPECT_FALSE(dialog->isVisible()) << way;
        EXPECT_EQ(dialog->result(), QDialog::Rejected) << way;
        EXPECT_EQ(std::tuple(AppSettings.Timeout, AppSettings.ChangeName, AppSettings.IEToolMenu, AppSettings.IEToolbar),
                  std::tuple(int16_t{1000}, false, false, false))
            << way;
        EXPECT_EQ(Favorites.ReadFile(QStringLiteral("Own.url")), content) << way;
        EXPECT_FALSE(Registry.KeyExists(win32::HKEY_CURRENT_USER, ExtensionsKey)) << way;
        EXPECT_FALSE(Registry.KeyExists(win32::HKEY_CURRENT_USER, SettingsKey)) << way;
    }
}
