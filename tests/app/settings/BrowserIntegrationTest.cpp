#include "app/settings/BrowserIntegration.h"

#include "app/settings/Common.h"
#include "platform/win32/ComGuid.h"
#include "tests/app/settings/SettingsFixture.h"

#include <QRegularExpression>

#include <utility>
#include <vector>

namespace
{
class BrowserIntegrationTest : public SettingsFixture
{
protected:
    BrowserIntegrationTest() { desktop::App::SetEXEName(QStringLiteral("Strandmoor")); }

    std::vector<std::string> Extensions() { return Registry.SubkeyNames(win32::HKEY_CURRENT_USER, ExtensionsKey); }
};

// Hands out the given identifiers, one per call.
void GenerateGuids(std::vector<win32::GUID> guids)
{
    win32::SetGuidGenerator([guids = std::move(guids), next = size_t{0}](win32::GUID* guid) mutable {
        if (next >= guids.size())
            return win32::E_FAIL;
        *guid = guids[next++];
        return win32::S_OK;
    });
}
} // namespace

TEST_F(BrowserIntegrationTest, GuidStringsKeepEveryFieldAtItsWidthAndWithoutOneNothingIsInstalled)
{
    struct Case
    {
        win32::GUID Guid;
        const char* Expected;
    };
    const Case cases[] = {
        // a small first field keeps its leading zeros
        {{0x1A, 0x2, 0x3, {0, 1, 2, 3, 4, 5, 6, 7}}, "{0000001A-0002-0003-0001-020304050607}"},
        // a byte of 10 is "0A", lower-case hex never appears
        {{0xABCDEF01, 0xABCD, 0xEF01, {10, 10, 0xab, 0xcd, 0, 0, 0, 10}}, "{ABCDEF01-ABCD-EF01-0A0A-ABCD0000000A}"},
        // the top bit set in every field gives exactly 8, 4 and 4 digits
        {{0x80000000, 0x8000, 0xFFFF, {0xFF, 0x80, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
         "{80000000-8000-FFFF-FF80-FFFFFFFFFFFF}"},
    };
    for (const Case& c : cases) {
        GenerateGuids({c.Guid});
        EXPECT_EQ(NewGuidString(), QString::fromLatin1(c.Expected));
    }
    // No GUID to be had: an empty string, and no install writes anything.
    GenerateGuids({});
    EXPECT_EQ(NewGuidString(), QString());
    EXPECT_FALSE(SetToolbarButton(true));
    EXPECT_FALSE(SetToolsMenuEntry(true));
    EXPECT_FALSE(Registry.KeyExists(win32::HKEY_CURRENT_USER, ExtensionsKey));
    EXPECT_FALSE(HasValue(SettingsKey, "ToolMenubarGUID"));
    EXPECT_FALSE(HasValue(SettingsKey, "ToolMenuGUID"));

    win32::SetGuidGenerator({});
    const QRegularExpression form(
        QStringLiteral("^\\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\\}$"));
    const QString first = NewGuidString();
    EXPECT_TRUE(form.match(first).hasMatch()) << first.toStdString();
    EXPECT_NE(NewGuidString(), first);
}

TEST_F(BrowserIntegrationTest, ALeadingNumberOrElseTheFirstCharacterDecidesWhetherExtensionsAreOffered)
{
    // Not a number first: its first character against "5", as text.
    const std::pair<const char*, bool> versions[] = {
        {"5", true},     {"5.50.4134.0100", true}, {"6.0.2900.2180", true}, {"9.11.9600.18231", true},
        {"10", true},    {"11.0.22621.1", true},   {"123456789012345", true}, {"0", false},
        {"4.0", false},  {"4.72.3110.8", false},   {"", false},             {" 7.0", false},
        {"unknown", true}, {"A", true},            {".5", false},           {"-6", false},
    };
    for (const auto& [version, offered] : versions)
        EXPECT_EQ(BrowserTakesExtensions(QString::fromLatin1(version)), offered) << version;
}

// Each install gets one key of its own below Extensions, named by a new GUID that the settings
// keep; the two spell the class identifier differently ("d2" in lower case in the menu's).
// Removing one leaves the other, and an install made again gets a key of a new name.
TEST_F(BrowserIntegrationTest, TheButtonAndTheMenuEntryGetOneKeyEachAndGoOneByOne)
{
    const std::string folder = Program.Path().toStdString();
    EXPECT_TRUE(SetToolbarButton(true));
    desktop::App::SetEXEName(QStringLiteral("strandmoor-3"));
    EXPECT_TRUE(SetToolsMenuEntry(true));

    using Values = std::vector<std::pair<std::string, std::string>>;
    const Values button = {{"Default Visible", "Yes"},
                           {"ButtonText", "Orrindale Strandmoor"},
                           {"HotIcon", folder + "/checkmrk.ico"},
                           {"Icon", folder + "/checkmrk.ico"},
                           {"CLSID", "{1FBA04EE-3024-11D2-8F1F-0000F87ABD16}"},
                           {"Exec", folder + "/Strandmoor"}};
    const Values menu = {{"MenuCustomize", "Tools"},
                         {"CLSID", "{1FBA04EE-3024-11d2-8F1F-0000F87ABD16}"},
                         {"MenuText", "Orrindale Strandmoor"},
                         {"MenuStatusBar", "Run Orrindale Strandmoor"},
                         {"Exec", folder + "/strandmoor-3"}};
    ASSERT_EQ(Extensions().size(), 2u);
    for (const auto& [setting, values] : {std::pair{"ToolMenubarGUID", button}, std::pair{"ToolMenuGUID", menu}}) {
        const std::string guid = Sz(SettingsKey, setting);
        win32::GUID parsed;
        EXPECT_TRUE(win32::GuidFromString(guid, parsed)) << guid;
        const std::string key = ExtensionsKey + "\\" + guid;
        std::vector<std::string> names;
        for (const auto& [name, data] : values) {
            names.push_back(name);
            EXPECT_EQ(Sz(key, name), data) << setting << " " << name;
        }
        EXPECT_EQ(Registry.ValueNames(win32::HKEY_CURRENT_USER, key), names) << setting;
    }

    const std::string menuGuid = Sz(SettingsKey, "ToolMenuGUID");
    const std::string buttonGuid = Sz(SettingsKey, "ToolMenubarGUID");
    EXPECT_FALSE(SetToolbarButton(false));
    EXPECT_EQ(Extensions(), std::vector<std::string>{menuGuid});
    EXPECT_FALSE(HasValue(SettingsKey, "ToolMenubarGUID"));
    EXPECT_EQ(Sz(SettingsKey, "ToolMenuGUID"), menuGuid);
    EXPECT_EQ(Registry.ValueNames(win32::HKEY_CURRENT_USER, ExtensionsKey + "\\" + menuGuid).size(), 5u);

    EXPECT_FALSE(SetToolsMenuEntry(false));
    EXPECT_TRUE(Extensions().empty());
    EXPECT_FALSE(HasValue(SettingsKey, "ToolMenuGUID"));

    ASSERT_TRUE(SetToolbarButton(true));
    EXPECT_NE(Sz(SettingsKey, "ToolMenubarGUID"), buttonGuid);
    EXPECT_EQ(Extensions(), std::vector<std::string>{Sz(SettingsKey, "ToolMenubarGUID")});
}

TEST_F(BrowserIntegrationTest, RemovalDeletesNothingBelowExtensionsWithoutAGuidOfItsOwn)
{
    // Other programs' extensions, and a key whose name a hand-edited setting might hold.
    const std::string other = "{00000000-1111-2222-3333-444444444444}";
    Registry.WriteValue(win32::HKEY_CURRENT_USER, ExtensionsKey + "\\" + other, "ButtonText", win32::REG_SZ,
                        Text("Other"));
    Registry.WriteValue(win32::HKEY_CURRENT_USER, ExtensionsKey + "\\Plain", "ButtonText", win32::REG_SZ,
                        Text("Plain"));
    const std::vector<std::string> before = Extensions();
    ASSERT_EQ(before.size(), 2u);

    // Nothing stored, an empty value, a name that is no GUID, a path.
    const char* stored[] = {nullptr, "", "Plain", "Plain\\..\\{00000000-1111-2222-3333-444444444444}"};
    for (const char* data : stored) {
        const char* label = data ? data : "nothing stored";
        if (data)
            Store("ToolMenubarGUID", data);
        EXPECT_FALSE(SetToolbarButton(false)) << label;
        EXPECT_EQ(Extensions(), before) << label;
        EXPECT_FALSE(HasValue(SettingsKey, "ToolMenubarGUID")) << label;
    }
}
