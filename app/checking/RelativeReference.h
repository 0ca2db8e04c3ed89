#pragma once
#include <QString>
#include <QStringView>

// Turning a reference found in a reply into an address, by the standard rules for relative
// references: "/x" on http://host/dir/page gives http://host/x, "y" gives
// http://host/dir/y, "../y" gives http://host/y.

// Whether the reference begins with a scheme of its own ("ftp:", "mailto:"): a letter, then
// letters, digits, "+", "-" or ".", then a colon, before any "/", "?" or "#".
bool HasScheme(QStringView reference);

// The reference resolved against base. Nothing else in either text is altered: no letter case
// is changed and no character is escaped or unescaped.
QString ResolveRelativeReference(QStringView base, QStringView reference);
