#include "app/favorites/FavoriteNames.h"

#include "platform/files/FileSystem.h"
#include "platform/runtime/ErrorRecord.h"

#include <QFileInfo>

namespace
{
const QString InvalidNameCharacters = QStringLiteral("\\/:*?<>|\"");
} // namespace

QString ReplaceInvalidNameCharacters(const QString& name)
{
    QString cleaned = name;
    for (QChar& character : cleaned) {
        if (InvalidNameCharacters.contains(character))
            character = QLatin1Char('-');
    }
    return cleaned;
}

QString CleanName(const QString& name)
{
    QString cleaned = ReplaceInvalidNameCharacters(name);
    for (QChar& character : cleaned) {
        if (character == QLatin1Char('\t') || character == QLatin1Char('\n') || character == QLatin1Char('\r'))
            character = QLatin1Char(' ');
    }
    return cleaned;
}

QString DiskItemName(const QString& newName, bool folder)
{
    const QString cleaned = CleanName(newName);
    // Cleaning keeps a name inside its folder; these three would still leave it.
    if (cleaned.isEmpty() || (folder && (cleaned == QStringLiteral(".") || cleaned == QStringLiteral(".."))))
        throw runtime::Error(runtime::BadFileName);
    return files::FitName(cleaned, folder ? QString() : QStringLiteral(".url"));
}

bool IsShortcutFileName(const QString& fileName)
{
    return fileName.size() >= 4 && fileName.right(4).toUpper() == QStringLiteral(".URL");
}

QString ShortcutFilePath(const QString& folderPath, const QString& text)
{
    // The name as written, then the usual lower-case extension; only when neither exists is
    // the folder searched, which costs a listing of the whole folder.
    const QString written = folderPath + QStringLiteral("/") + text + QStringLiteral(".URL");
    if (QFileInfo::exists(written))
        return written;
    const QString lowerExtension = folderPath + QStringLiteral("/") + text + QStringLiteral(".url");
    if (QFileInfo::exists(lowerExtension))
        return lowerExtension;
    return files::ResolvePath(written);
}

QString RenameFavoriteFile(const QString& folderPath, const QString& name, const QString& newName)
{
    const QString cleaned = DiskItemName(newName, false);
    files::RenameItem(ShortcutFilePath(folderPath, name), cleaned + QStringLiteral(".url"));
    return cleaned;
}
