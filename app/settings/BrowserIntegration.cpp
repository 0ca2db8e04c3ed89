#include "app/settings/BrowserIntegration.h"

#include "app/settings/Common.h"
#include "app/settings/RegistryObject.h"
#include "platform/desktop/Application.h"
#include "platform/runtime/Variant.h"
#include "platform/win32/ComGuid.h"

#include <initializer_list>
#include <string>
#include <utility>

namespace
{
const std::u16string ExtensionsApp = u"Microsoft\\Internet Explorer\\Extensions";
const std::u16string AppName = u"Orrindale";
const std::u16string Section = u"Strandmoor";
const QString ProgramName = QStringLiteral("Orrindale Strandmoor");

using ExtensionValues = std::initializer_list<std::pair<std::u16string, QString>>;

QString IconPath()
{
    return desktop::App::Path() + QStringLiteral("/checkmrk.ico");
}

// The command an extension runs: the program's own executable.
QString ProgramFilePath()
{
#ifdef _WIN32
    const QString suffix = QStringLiteral(".exe");
#else
    const QString suffix;
#endif
    return desktop::App::Path() + QStringLiteral("/") + desktop::App::EXEName() + suffix;
}

// Writes the extension's values, in the order given, into a key of its own, then remembers
// the key's name. Without a name there is no key of its own to write into, so nothing is
// written at all.
bool InstallExtension(ExtensionValues values, const std::u16string& rememberedAs)
{
    const RegistryObject registry = CreateRegistryObject(tarnhold::Hkey_Current_User);
    const QString guid = NewGuidString();
    if (guid.isEmpty())
        return false;
    for (const auto& [name, data] : values)
        SaveRegistrySetting(registry, ExtensionsApp, guid.toStdU16String(), name,
                            runtime::Variant(data.toStdU16String()));
    SaveRegistrySetting(registry, AppName, Section, rememberedAs, runtime::Variant(guid.toStdU16String()));
    return true;
}

// Deletes the extension key the settings remember, then forgets it. Only a well-formed GUID
// names an extension key: anything else (nothing stored, a value edited by hand) would name
// the Extensions key itself or some other key below it, so nothing is deleted there.
void RemoveExtension(const std::u16string& rememberedAs)
{
    const RegistryObject registry = CreateRegistryObject(tarnhold::Hkey_Current_User);
    const std::u16string guid =
        runtime::ToString(GetRegistrySetting(registry, AppName, Section, rememberedAs, runtime::Variant(u"")));
    win32::GUID parsed;
    if (win32::GuidFromString(QString::fromStdU16String(guid).toStdString(), parsed))
        DeleteRegistrySetting(registry, ExtensionsApp, guid, std::u16string());
    DeleteRegistrySetting(registry, AppName, Section, rememberedAs);
}
} // namespace

bool BrowserTakesExtensions(const QString& version)
{
    // The first character decides, compared as text with "5"; but a version that begins with
    // a number is compared by that number, for "10" and "11" are later than "5" though they
    // sort before it as text.
    qsizetype digits = 0;
    while (digits < version.size() && version.at(digits) >= QLatin1Char('0') && version.at(digits) <= QLatin1Char('9'))
        ++digits;
    if (digits == 0)
        return !version.isEmpty() && version.at(0) >= QLatin1Char('5');
    const QString major = version.left(digits);
    // More digits than any number needs still make a later version.
    bool converted = false;
    const int number = major.toInt(&converted);
    return !converted || number >= 5;
}

bool SetToolbarButton(bool enable)
{
    if (!enable) {
        RemoveExtension(u"ToolMenubarGUID");
        return false;
    }
    return InstallExtension({{u"Default Visible", QStringLiteral("Yes")},
                             {u"ButtonText", ProgramName},
                             {u"HotIcon", IconPath()},
                             {u"Icon", IconPath()},
                             {u"CLSID", QStringLiteral("{1FBA04EE-3024-11D2-8F1F-0000F87ABD16}")},
                             {u"Exec", ProgramFilePath()}},
                            u"ToolMenubarGUID");
}

bool SetToolsMenuEntry(bool enable)
{
    if (!enable) {
        RemoveExtension(u"ToolMenuGUID");
        return false;
    }
    // The browser's identifier of a Tools-menu entry is spelt with "d2" in lower case, unlike
    // the toolbar button's; each is written exactly so.
    return InstallExtension({{u"MenuCustomize", QStringLiteral("Tools")},
                             {u"CLSID", QStringLiteral("{1FBA04EE-3024-11d2-8F1F-0000F87ABD16}")},
                             {u"MenuText", ProgramName},
                             {u"MenuStatusBar", QStringLiteral("Run Orrindale Strandmoor")},
                             {u"Exec", ProgramFilePath()}},
                            u"ToolMenuGUID");
}
