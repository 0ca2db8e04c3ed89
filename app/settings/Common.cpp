#include "app/settings/Common.h"

#include "app/settings/RegistryObject.h"
#include "platform/desktop/Application.h"
#include "platform/desktop/MessageBox.h"
#include "platform/runtime/ErrorRecord.h"
#include "platform/runtime/RegularFile.h"
#include "platform/win32/AnsiCodePage.h"
#include "platform/win32/GuidGenerator.h"
#include "platform/win32/ShellExecute.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <fcntl.h>
#include <unistd.h>

namespace
{
// The user's time format with seconds, without a time-zone name.
QString UserTimeText(const QTime& time)
{
    QString format = QLocale::system().timeFormat(QLocale::LongFormat);
    format.remove(QLatin1Char('t'));
    format = format.trimmed();
    return QLocale::system().toString(time, format);
}

bool AppendTo(const QString& path, const QByteArray& line)
{
    // A log that is not a regular file (a named pipe, a folder) is one that cannot be written.
    QFile file;
    const int fd = runtime::OpenRegularFile(QFile::encodeName(path).constData(), O_WRONLY | O_APPEND | O_CREAT);
    if (fd < 0 || !file.open(fd, QIODevice::WriteOnly | QIODevice::Append, QFileDevice::AutoCloseHandle)) {
        if (fd >= 0)
            ::close(fd);
        return false;
    }
    const bool written = file.write(line) == line.size();
    return file.flush() && written;
}
} // namespace

QString ErrorLogPath()
{
    return desktop::App::Path() + QStringLiteral("/ERROR.LOG");
}

QString ErrorLogFallbackPath()
{
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty() || !QDir::isAbsolutePath(state))
        state = QDir::homePath() + QStringLiteral("/.local/state");
    return state + QStringLiteral("/Strandmoor/ERROR.LOG");
}

QString ErrorLogLine(const QString& date, const QString& time, int number, const QString& description,
                     const QString& source)
{
    return date + QStringLiteral(" ") + time + QStringLiteral("  Error ") + QString::number(number) + QStringLiteral(": ") +
           description + QStringLiteral(" in module ") + source;
}

void LogError(const runtime::Error& error)
{
    runtime::SetErr(error.Record());
    LogError(true);
}

void LogError(bool show)
{
    const runtime::ErrorRecord& err = runtime::Err();
    if (show) {
        desktop::MsgBox(QString::fromStdString(err.Description), desktop::vbExclamation,
                        QStringLiteral("Error ") + QString::number(err.Number));
    }

    const QDateTime now = QDateTime::currentDateTime();
    const QString line = ErrorLogLine(QLocale::system().toString(now.date(), QLocale::ShortFormat),
                                      UserTimeText(now.time()), runtime::Err().Number,
                                      QString::fromStdString(runtime::Err().Description),
                                      QString::fromStdString(runtime::Err().Source));
    const QByteArray bytes = QByteArray::fromStdString(win32::UnicodeToAnsi(line.toStdU16String()) + "\r\n");

    // An installed program's folder is usually read-only: the line then goes to the
    // user's state folder, so no error is lost and none can bring the program down.
    if (!AppendTo(ErrorLogPath(), bytes)) {
        const QString fallback = ErrorLogFallbackPath();
        QDir().mkpath(QFileInfo(fallback).absolutePath());
        AppendTo(fallback, bytes);
    }
    runtime::ClearErr();
}

QString NewGuidString()
{
    win32::GUID guid;
    if (win32::CoCreateGuid(&guid) != win32::S_OK)
        return QString();
    return QString::fromStdString(win32::GuidToString(guid));
}

QString BrowserVersion()
{
    const RegistryObject registry = CreateRegistryObject(tarnhold::HKEY_LOCAL_MACHINE);
    const runtime::Variant version =
        GetRegistrySetting(registry, u"Microsoft", u"Internet Explorer", u"Version", runtime::Variant(u"0"));
    return QString::fromStdU16String(runtime::ToString(version));
}

QString VendorAddress()
{
    return QStringLiteral("http://www.orrindale.example");
}

void OpenThroughShell(const QString& pathOrAddress)
{
    const std::string file = win32::UnicodeToAnsi(pathOrAddress.toStdU16String());
    win32::ShellExecuteA(0, nullptr, file.c_str(), nullptr, nullptr, win32::SW_SHOWNORMAL);
}
