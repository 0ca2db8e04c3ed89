#include "app/settings/AppSettings.h"

#include "app/window/frmMain.h"
#include "platform/desktop/Screen.h"
#include "platform/runtime/ErrorRecord.h"
#include "platform/runtime/Variant.h"
#include "platform/win32/ComActivation.h"
#include "reglib/Tarnhold.h"

ApplicationSettings AppSettings;

namespace
{
using runtime::Variant;
using Registry = win32::ComPtr<tarnhold::_TarnholdAPI>;

const std::u16string AppName = u"Orrindale";
const std::u16string Section = u"Strandmoor";

// A registry access object set up for the program's own key below the current user.
Registry CreateRegistry()
{
    Registry registry = win32::CreateObject<tarnhold::_TarnholdAPI>(tarnhold::CLSID_TarnholdAPI);
    win32::ThrowIfFailed(registry->put_KeyPrefix(u"Software\\"));
    win32::ThrowIfFailed(registry->put_Root(tarnhold::Hkey_Current_User));
    return registry;
}

Variant GetSetting(const Registry& registry, const std::u16string& appname, const std::u16string& section,
                   const std::u16string& key, const Variant& defaultValue)
{
    Variant result;
    win32::ThrowIfFailed(registry->GetSetting(appname, section, key, defaultValue, &result));
    return result;
}

// A stored value that cannot be converted (text where a number belongs, a number out of
// range) is treated as absent, so a damaged setting can never stop the program from starting.
template <typename T, typename Convert>
T ConvertedOr(const Variant& stored, T fallback, Convert convert)
{
    try {
        return convert(stored);
    } catch (const runtime::Error&) {
        return fallback;
    }
}

float ReadSingle(const Registry& registry, const std::u16string& key, float fallback)
{
    const Variant stored = GetSetting(registry, AppName, Section, key, Variant(fallback));
    return ConvertedOr(stored, fallback, [](const Variant& v) { return runtime::ToSingle(v); });
}

bool ReadBoolean(const Registry& registry, const std::u16string& key)
{
    const Variant stored = GetSetting(registry, AppName, Section, key, Variant(false));
    return ConvertedOr(stored, false, [](const Variant& v) { return runtime::ToBoolean(v); });
}

void SaveSetting(const Registry& registry, const std::u16string& key, const Variant& value)
{
    // The class writes the registry type it chose back into this variable: it starts at 0
    // ("choose for me") for every value.
    win32::LONG valueType = 0;
    win32::ThrowIfFailed(registry->SaveSetting(AppName, Section, key, value, &valueType));
}
} // namespace

QString LoadAppSettings(frmMain& Main)
{
    const Registry registry = CreateRegistry();

    // The default position centres the window at the size it has now, which on a first start
    // is its designed size.
    const float top = ReadSingle(registry, u"Top", static_cast<float>(desktop::Screen::Height() / 2 - Main.Height() / 2));
    Main.SetTop(top);
    const float left = ReadSingle(registry, u"Left", static_cast<float>(desktop::Screen::Width() / 2 - Main.Width() / 2));
    Main.SetLeft(left);
    Main.SetHeight(ReadSingle(registry, u"Height", static_cast<float>(Main.Height())));
    Main.SetWidth(ReadSingle(registry, u"Width", static_cast<float>(Main.Width())));
    // A window stored on a screen that is gone would open out of sight: centre it instead.
    if (!Main.IsOnScreen()) {
        Main.SetTop(static_cast<float>(desktop::Screen::Height() / 2 - Main.Height() / 2));
        Main.SetLeft(static_cast<float>(desktop::Screen::Width() / 2 - Main.Width() / 2));
    }

    const Variant timeout = GetSetting(registry, AppName, Section, u"Timeout", Variant(int16_t{1000}));
    AppSettings.Timeout = ConvertedOr(timeout, int16_t{1000}, [](const Variant& v) { return runtime::ToInteger(v); });
    AppSettings.ChangeName = ReadBoolean(registry, u"ChangeName");
    AppSettings.IEToolMenu = ReadBoolean(registry, u"IEToolMenu");
    AppSettings.IEToolbar = ReadBoolean(registry, u"IEToolbar");

    const Variant favorites = GetSetting(registry, u"Microsoft\\Windows\\CurrentVersion\\Explorer", u"Shell Folders",
                                         u"Favorites", Variant(std::u16string()));
    return QString::fromStdU16String(runtime::ToString(favorites));
}

void SaveAppSettings(frmMain& Main)
{
    const Registry registry = CreateRegistry();
    SaveSetting(registry, u"Height", Variant(static_cast<float>(Main.Height())));
    SaveSetting(registry, u"Width", Variant(static_cast<float>(Main.Width())));
    SaveSetting(registry, u"Top", Variant(static_cast<float>(Main.Top())));
    SaveSetting(registry, u"Left", Variant(static_cast<float>(Main.Left())));
    SaveSetting(registry, u"Timeout", Variant(AppSettings.Timeout));
    SaveSetting(registry, u"ChangeName", Variant(AppSettings.ChangeName));
    SaveSetting(registry, u"IEToolMenu", Variant(AppSettings.IEToolMenu));
    SaveSetting(registry, u"IEToolbar", Variant(AppSettings.IEToolbar));
}
