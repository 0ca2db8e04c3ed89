#include "tools/favorites/FavoritesFolder.h"

#include "app/settings/AppSettings.h"
#include "app/settings/RegistryObject.h"
#include "platform/runtime/ErrorRecord.h"

#include <QCoreApplication>

QString ReadFavoritesFolder(QString& problem)
{
    QString path;
    try {
        const RegistryObject registry = CreateRegistryObject(tarnhold::Hkey_Current_User);
        path = ReadFavoritesPath(registry);
    } catch (const runtime::Error& error) {
        problem = QStringLiteral("the registry hive cannot be read through Tarnhold: %1 (error %2).\n"
                                 "Register Tarnhold in your hive, then try again:\n"
                                 "    %3/regsvr %3/Tarnhold.so\n"
                                 "or name the folder to use on the command line.")
                      .arg(QString::fromStdString(error.Description()))
                      .arg(error.Number())
                      .arg(QCoreApplication::applicationDirPath());
        return QString();
    }
    if (path.isEmpty()) {
        problem = QStringLiteral(
            "Cannot Find Favorites Folder: your registry hive names none. Name one, for example:\n"
            "    reg add \"HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders\" "
            "/v Favorites /d \"$HOME/Favorites\" /f\n"
            "or name the folder to use on the command line.");
    }
    return path;
}
