#include "tools/favorites/CommandLine.h"

bool OptionValue(const QStringList& args, qsizetype& i, const QStringList& names, QString& value)
{
    for (const QString& name : names) {
        if (args[i] == name && i + 1 < args.size()) {
            value = args[++i];
            return true;
        }
        if (args[i].startsWith(name + QLatin1Char('='))) {
            value = args[i].mid(name.size() + 1);
            return true;
        }
    }
    return false;
}
