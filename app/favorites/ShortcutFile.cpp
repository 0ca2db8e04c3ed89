#include "app/favorites/ShortcutFile.h"

#include "app/favorites/FavoriteNames.h"
#include "app/settings/AppSettings.h"
#include "platform/runtime/Variant.h"
#include "platform/win32/AnsiCodePage.h"
#include "platform/win32/ProfileStrings.h"

#include <QFile>

#include <string>
#include <vector>

namespace
{
// Strings cross into the profile functions in the ANSI code page; a null QString stays a
// null pointer, which is how a key or section is removed.
struct AnsiArgument
{
    explicit AnsiArgument(const QString& text)
        : IsNull(text.isNull()), Bytes(IsNull ? std::string() : win32::UnicodeToAnsi(text.toStdU16String()))
    {
    }
    const char* Get() const { return IsNull ? nullptr : Bytes.c_str(); }

    bool IsNull;
    std::string Bytes;
};

QString FromAnsi(const char* bytes, size_t count)
{
    const std::u16string text = win32::AnsiToUnicode(std::string_view(bytes, count));
    return QString::fromStdU16String(text);
}

bool HoldsLineBreakOrNul(const QString& text)
{
    return text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char('\n')) || text.contains(QChar(u'\0'));
}

} // namespace

QString ReadProfileString(const QString& section, const QString& key, const QString& defaultValue, int size,
                          const QString& filePath)
{
    if (size <= 0)
        return QString();
    const QByteArray path = QFile::encodeName(filePath);
    const AnsiArgument sectionName(section), keyName(key), fallback(defaultValue);
    std::vector<char> buffer(static_cast<size_t>(size));
    const win32::DWORD count = win32::GetPrivateProfileStringA(sectionName.Get(), keyName.Get(), fallback.Get(),
                                                               buffer.data(), static_cast<win32::DWORD>(size),
                                                               path.constData());
    return FromAnsi(buffer.data(), count);
}

bool WriteProfileString(const QString& section, const QString& key, const QString& value, const QString& filePath)
{
    if (HoldsLineBreakOrNul(section) || HoldsLineBreakOrNul(key) || HoldsLineBreakOrNul(value))
        return false;
    const QByteArray path = QFile::encodeName(filePath);
    const AnsiArgument sectionName(section), keyName(key), text(value);
    return win32::WritePrivateProfileStringA(sectionName.Get(), keyName.Get(), text.Get(), path.constData()) != 0;
}

QString ReadWholeProfileString(const QString& section, const QString& key, const QString& filePath)
{
    const QByteArray path = QFile::encodeName(filePath);
    const AnsiArgument sectionName(section), keyName(key), empty(QStringLiteral(""));
    std::vector<char> buffer(512);
    for (;;) {
        const win32::DWORD count = win32::GetPrivateProfileStringA(sectionName.Get(), keyName.Get(), empty.Get(),
                                                                   buffer.data(), static_cast<win32::DWORD>(buffer.size()),
                                                                   path.constData());
        if (count + 1 < buffer.size())
            return FromAnsi(buffer.data(), count);
        buffer.resize(buffer.size() * 2);
    }
}

Shortcut ReadShortcut(const QString& folderPath, const QString& text)
{
    const QString path = ShortcutFilePath(folderPath, text);

    const QString url = ReadWholeProfileString(QStringLiteral("InternetShortcut"), QStringLiteral("URL"), path);
    const QString timeout = ReadProfileString(QStringLiteral("Orrindale"), QStringLiteral("Timeout"),
                                              QString::number(AppSettings.Timeout), 5, path);
    const QString rename = ReadProfileString(QStringLiteral("Orrindale"), QStringLiteral("Rename"), QStringLiteral("-1"), 3, path);

    Shortcut shortcut;
    shortcut.Url = url;
    shortcut.LinkTimeout = runtime::ToInteger(runtime::Variant(timeout.toStdU16String()));
    if (rename.left(2) == QStringLiteral("-1"))
        shortcut.LinkRename = AppSettings.ChangeName;
    else
        shortcut.LinkRename = runtime::ToBoolean(runtime::Variant(rename.toStdU16String()));
    return shortcut;
}
