// favorites: carries bookmarks between a browser's bookmark file and the Favorites folder, and
// checks the Favorites from the command line.
#include "platform/runtime/ErrorRecord.h"
#include "tools/favorites/CheckProgress.h"
#include "tools/favorites/Commands.h"

#include <QCoreApplication>

#include <iostream>
#include <string_view>
#include <unistd.h>

namespace
{
// One row a sub-command: what it is called, how it is used, what it does.
struct SubCommand
{
    std::string_view Name;
    const char* Usage;
    const char* Purpose;
    int (*Run)(const QStringList& args, Console& console);
};

const SubCommand SubCommands[] = {
    {"import", "favorites import FILE [--into FOLDER]",
     "Reads a browser's bookmark file (\"Export Bookmarks to HTML\") into a new folder of your\n"
     "    Favorites named after it, or into FOLDER.",
     RunImport},
    {"export", "favorites export [FOLDER] [-o FILE]",
     "Writes your Favorites, or FOLDER, as a bookmark file for a browser's \"Import Bookmarks\n"
     "    from HTML\", to FILE or to standard output.",
     RunExport},
    {"check", "favorites check [FOLDER] [--report FILE] [--dry-run] [--timeout MS]",
     "Checks every favorite in your Favorites, or in FOLDER, as Check All Links does in the\n"
     "    window, and writes what it found to FILE (.csv, .json or .html). --dry-run changes\n"
     "    and renames nothing; --timeout sets the time-out of favorites without their own.\n"
     "    Exit status: 0 all answered, 1 some broken or silent, 2 cannot run, 130 stopped.",
     RunCheck},
};

void Usage(std::ostream& out)
{
    out << "usage: favorites COMMAND [ARGUMENTS]\n";
    for (const SubCommand& command : SubCommands)
        out << "\n  " << command.Usage << "\n    " << command.Purpose << "\n";
}
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    runtime::SetDefaultErrorSource("favorites");
    const QStringList args = QCoreApplication::arguments().mid(1);
    Console console{std::cout, std::cerr, TerminalColumns(STDERR_FILENO)};
    if (args.isEmpty() || args[0] == QStringLiteral("--help") || args[0] == QStringLiteral("-h")) {
        Usage(args.isEmpty() ? std::cerr : std::cout);
        return args.isEmpty() ? 1 : 0;
    }
    for (const SubCommand& command : SubCommands) {
        if (args[0] == QLatin1StringView(command.Name.data(), static_cast<qsizetype>(command.Name.size())))
            return command.Run(args.mid(1), console);
    }
    std::cerr << "favorites: no command " << args[0].toStdString() << "\n";
    Usage(std::cerr);
    return 1;
}
