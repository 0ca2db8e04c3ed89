#include "platform/desktop/Application.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace desktop::App
{

namespace
{
struct Overrides
{
    QString Path;
    QString EXEName;
    QString HelpFile;
    int Major = -1;
    int Minor = -1;
    int Revision = -1;
};

Overrides& State()
{
    static Overrides state;
    return state;
}
} // namespace

QString Path()
{
    if (!State().Path.isEmpty())
        return State().Path;
    return QCoreApplication::applicationDirPath();
}

QString EXEName()
{
    if (!State().EXEName.isEmpty())
        return State().EXEName;
    return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
}

QString Title()
{
    return QStringLiteral("Strandmoor");
}

int Major()
{
    return State().Major >= 0 ? State().Major : 3;
}

int Minor()
{
    return State().Minor >= 0 ? State().Minor : 0;
}

int Revision()
{
    return State().Revision >= 0 ? State().Revision : 0;
}

bool PrevInstance()
{
    // The lock lives as long as the process: the descriptor is never closed, and the system
    // lets go of the lock when the process ends, however it ends.
    static const bool another = [] {
        QString folder = qEnvironmentVariable("XDG_RUNTIME_DIR");
        const QString lockName = folder.isEmpty() ? QStringLiteral("/tmp/Strandmoor-%1.lock").arg(getuid())
                                                  : folder + QStringLiteral("/Strandmoor.lock");
        const int fd = open(QFile::encodeName(lockName).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd < 0)
            return false; // no place for a lock: better a second window than none
        if (flock(fd, LOCK_EX | LOCK_NB) == 0)
            return false;
        close(fd);
        return true;
    }();
    return another;
}

QString HelpFile()
{
    return State().HelpFile;
}

void SetHelpFile(const QString& path)
{
    State().HelpFile = path;
}

void SetPath(const QString& folder)
{
    State().Path = folder;
}

void SetEXEName(const QString& name)
{
    State().EXEName = name;
}

void SetVersion(int major, int minor, int revision)
{
    State().Major = major;
    State().Minor = minor;
    State().Revision = revision;
}

} // namespace desktop::App
