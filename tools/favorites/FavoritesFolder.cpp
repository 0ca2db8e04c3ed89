#include "tools/favorites/FavoritesFolder.h"

#include "app/settings/AppSettings.h"
#include "app/settings/RegistryObject.h"
#include "platform/runtime/ErrorRecord.h"
#include "platform/win32/ComResult.h"

#include <QCoreApplication>

namespace
{
// What went wrong reading the hive and, where it helps, what to do.
QString RegistryProblem(const runtime::Error& error)
{
    // Registering Tarnhold helps only when it is not registered; a hive that cannot be used
    // says so in the description.
    const bool unregistered = error.Number() == static_cast<int32_t>(win32::REGDB_E_CLASSNOTREG);
    return QStringLiteral("the registry hive cannot be read through Tarnhold: %1 (error %2).\n")
               .arg(QString::fromStdString(error.Description()))
               .arg(error.Number()) +
           (unregistered ? QStringLiteral("Register Tarnhold in your hive, then try again:\n"
                                          "    %1/regsvr %1/Tarnhold.so\n")
                               .arg(QCoreApplication::applicationDirPath())
                         : QString());
}

QString NoFolderProblem()
{
    return QStringLiteral(
               "Cannot Find Favorites Folder: your registry hive names none. Name one, for example:\n"
               "    %1/reg add \"HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders\" "
               "/v Favorites /d \"$HOME/Favorites\" /f\n")
        .arg(QCoreApplication::applicationDirPath());
}
} // namespace

QString ReadFavoritesFolder(QString& problem)
{
    QString path;
    try {
        const RegistryObject registry = CreateRegistryObject(tarnhold::Hkey_Current_User);
        path = ReadFavoritesPath(registry);
    } catch (const runtime::Error& error) {
        problem = RegistryProblem(error) + QStringLiteral("Or name the folder to use on the command line.");
        return QString();
    }
    if (path.isEmpty())
        problem = NoFolderProblem() + QStringLiteral("Or name the folder to use on the command line.");
    return path;
}

bool ReadCheckSettings(QString& folder, QString& problem)
{
    try {
        const RegistryObject registry = CreateRegistryObject(tarnhold::Hkey_Current_User);
        LoadGlobalSettings(registry);
        if (folder.isEmpty())
            folder = ReadFavoritesPath(registry);
    } catch (const runtime::Error& error) {
        problem = RegistryProblem(error) +
                  QStringLiteral("A check needs the settings kept there: the time-out and renaming after page titles.");
        return false;
    }
    if (folder.isEmpty()) {
        problem = NoFolderProblem() + QStringLiteral("Or name the folder to check on the command line.");
        return false;
    }
    return true;
}
