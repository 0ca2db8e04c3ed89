#pragma once
#include "tools/favorites/Commands.h"

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
