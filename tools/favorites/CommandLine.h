#pragma once
#include <QString>
#include <QStringList>

#include <ostream>

// What the favorites tool's sub-commands share in reading their arguments and writing text.

// The option's value, from "--into FOLDER" or "--into=FOLDER"; advances past it.
bool OptionValue(const QStringList& args, qsizetype& i, const QStringList& names, QString& value);

inline std::ostream& operator<<(std::ostream& out, const QString& text)
{
    return out << text.toStdString();
}
