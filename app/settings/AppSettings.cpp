#include "app/settings/AppSettings.h"

#include "app/settings/WindowPlacement.h"
#include "platform/runtime/ErrorRecord.h"
#include "platform/runtime/Variant.h"

ApplicationSettings AppSettings;

namespace
{
using runtime::Variant;
using Registry = RegistryObject;

const std::u16string AppName = u"Orrindale";
const std::u16string Section = u"Strandmoor";

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
    const Variant stored = GetRegistrySetting(registry, AppName, Section, key, Variant(fallback));
    return ConvertedOr(stored, fallback, [](const Variant& v) { return runtime::ToSingle(v); });
}

bool ReadBoolean(const Registry& registry, const std::u16string& key)
{
    const Variant stored = GetRegistrySetting(registry, AppName, Section, key, Variant(false));
    return ConvertedOr(stored, false, [](const Variant& v) { return runtime::ToBoolean(v); });
}

void SaveSetting(const Registry& registry, const std::u16string& key, const Variant& value)
{
    SaveRegistrySetting(registry, AppName, Section, key, value);
}
} // namespace

void LoadGlobalSettings(const RegistryObject& registry)
{
    const Variant timeout = GetRegistrySetting(registry, AppName, Section, u"Timeout", Variant(int16_t{1000}));
    AppSettings.Timeout = ConvertedOr(timeout, int16_t{1000}, [](const Variant& v) { return runtime::ToInteger(v); });
    AppSettings.ChangeName = ReadBoolean(registry, u"ChangeName");
    AppSettings.IEToolMenu = ReadBoolean(registry, u"IEToolMenu");
    AppSettings.IEToolbar = ReadBoolean(registry, u"IEToolbar");
}

QString ReadFavoritesPath(const RegistryObject& registry)
{
    const Variant favorites = GetRegistrySetting(registry, u"Microsoft\\Windows\\CurrentVersion\\Explorer",
                                                 u"Shell Folders", u"Favorites", Variant(std::u16string()));
    return QString::fromStdU16String(runtime::ToString(favorites));
}

QString LoadAppSettings(WindowPlacement& Main)
{
    const Registry registry = CreateRegistryObject(tarnhold::Hkey_Current_User);

    // The default position centres the window at the size it has now, which on a first start
    // is its designed size.
    const float top = ReadSingle(registry, u"Top", static_cast<float>(Main.ScreenHeight() / 2 - Main.Height() / 2));
    Main.SetTop(top);
    const float left = ReadSingle(registry, u"Left", static_cast<float>(Main.ScreenWidth() / 2 - Main.Width() / 2));
    Main.SetLeft(left);
    Main.SetHeight(ReadSingle(registry, u"Height", static_cast<float>(Main.Height())));
    Main.SetWidth(ReadSingle(registry, u"Width", static_cast<float>(Main.Width())));
    // A window stored on a screen that is gone would open out of sight: centre it instead.
    if (!Main.IsOnScreen()) {
        Main.SetTop(static_cast<float>(Main.ScreenHeight() / 2 - Main.Height() / 2));
        Main.SetLeft(static_cast<float>(Main.ScreenWidth() / 2 - Main.Width() / 2));
    }

    LoadGlobalSettings(registry);
    return ReadFavoritesPath(registry);
}

void SaveAppSettings(const WindowPlacement& Main)
{
    const Registry registry = CreateRegistryObject(tarnhold::Hkey_Current_User);
    SaveSetting(registry, u"Height", Variant(static_cast<float>(Main.Height())));
    SaveSetting(registry, u"Width", Variant(static_cast<float>(Main.Width())));
    SaveSetting(registry, u"Top", Variant(static_cast<float>(Main.Top())));
    SaveSetting(registry, u"Left", Variant(static_cast<float>(Main.Left())));
    SaveSetting(registry, u"Timeout", Variant(AppSettings.Timeout));
    SaveSetting(registry, u"ChangeName", Variant(AppSettings.ChangeName));
    SaveSetting(registry, u"IEToolMenu", Variant(AppSettings.IEToolMenu));
    SaveSetting(registry, u"IEToolbar", Variant(AppSettings.IEToolbar));
}
