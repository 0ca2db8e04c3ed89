#pragma once
#include <QStringList>

#include <iosfwd>

// The favorites tool's sub-commands. Each takes its own arguments (after the sub-command's
// name) and returns the exit status: 0 on success, 1 otherwise.

// Where a run writes: results to Out, messages to Err.
struct Console
{
    std::ostream& Out;
    std::ostream& Err;
};

// favorites import FILE [--into FOLDER]
int RunImport(const QStringList& args, Console& console);

// favorites export [FOLDER] [-o FILE]
int RunExport(const QStringList& args, Console& console);
