#pragma once
#include <QStringList>

#include <iosfwd>

// The favorites tool's sub-commands. Each takes its own arguments (after the sub-command's
// name) and returns the exit status: 0 on success, 1 otherwise, unless it says otherwise.

// Where a run writes: results to Out, messages to Err.
struct Console
{
    std::ostream& Out;
    std::ostream& Err;
    int ErrColumns = 0; // the width of the terminal Err goes to; 0 when it is none
};

// favorites import FILE [--into FOLDER]
int RunImport(const QStringList& args, Console& console);

// favorites export [FOLDER] [-o FILE]
int RunExport(const QStringList& args, Console& console);

// favorites check [FOLDER] [--report FILE] [--dry-run] [--timeout MS]
// Exit status: 0 when every favorite checked answered, 1 when some are broken or gave no
// reply, 2 when the command cannot run (its arguments, the hive, the folder, the report's
// file), 128 + the signal's number when stopped by Ctrl+C (130) or a termination request.
int RunCheck(const QStringList& args, Console& console);
