#pragma once
#include "tools/favorites/Commands.h"

#include <QProcess>

#include <sstream>
#include <string>

// How a tool's run ended and what it wrote.
struct ToolRun
{
    int Exit = -1;
    std::string Out;
    std::string Err;
};

// One of the favorites commands, run in this process on a console `columns` wide (0: no terminal).
inline ToolRun RunCommand(int (*command)(const QStringList&, Console&), const QStringList& args, int columns = 0)
{
    std::ostringstream out, err;
    Console console{out, err, columns};
    const int exit = command(args, console);
    return {exit, out.str(), err.str()};
}

// A tool's binary run with `input` as its whole standard input, in the test's environment.
inline ToolRun RunProgram(const QString& program, const QStringList& args, const QByteArray& input = QByteArray(),
                          const QString& workingFolder = QString())
{
    QProcess process;
    process.setWorkingDirectory(workingFolder);
    process.start(program, args);
    if (!process.waitForStarted(30000))
        return {-1, {}, program.toStdString() + " did not start"};
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(60000))
        return {-1, {}, program.toStdString() + " did not end within a minute"};
    const int exit = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return {exit, process.readAllStandardOutput().toStdString(), process.readAllStandardError().toStdString()};
}
