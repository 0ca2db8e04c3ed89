#include "platform/desktop/Application.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace desktop::App
{

namespace
{
struct Overrides
{
    QString Path;
    QString EXEName;
    QString HelpFile;
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
    return 3;
}

int Minor()
{
    return 0;
}

int Revision()
{
    return 0;
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

} // namespace desktop::App
