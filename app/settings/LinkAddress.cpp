#include "app/settings/LinkAddress.h"

namespace
{
bool IsAsciiLetter(QChar c)
{
    return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) || (c >= QLatin1Char('A') && c <= QLatin1Char('Z'));
}

bool IsAsciiDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// A scheme is a letter, then letters, digits, "+", "-" or ".", then a colon. A host name
// followed by a port ("localhost:8080", "www.example.com:81/") looks the same up to the
// colon; what follows a scheme's colon never starts with a digit, while a port always does.
bool NamesScheme(const QString& address)
{
    if (address.isEmpty() || !IsAsciiLetter(address.at(0)))
        return false;
    qsizetype i = 1;
    while (i < address.size() &&
           (IsAsciiLetter(address.at(i)) || IsAsciiDigit(address.at(i)) || address.at(i) == QLatin1Char('+') ||
            address.at(i) == QLatin1Char('-') || address.at(i) == QLatin1Char('.')))
        ++i;
    if (i >= address.size() || address.at(i) != QLatin1Char(':'))
        return false;
    return i + 1 >= address.size() || !IsAsciiDigit(address.at(i + 1));
}
} // namespace

QString AddressToStore(const QString& typed)
{
    const QString address = typed.trimmed();
    if (address.isEmpty() || NamesScheme(address))
        return address;
    return QStringLiteral("http://") + address;
}
