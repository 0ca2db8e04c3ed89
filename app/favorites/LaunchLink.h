#pragma once
#include <QString>

class TreeView;

// Opens the selected favorite's address with the desktop's default handler, normally the
// web browser. A folder opens nothing, and neither does an address that is not a URL
// (a bare path) or one that names a program on this computer.
void LaunchLink(const TreeView& tree);

// Whether an address is one to hand to the desktop: it has a scheme ("http:", "file:" ...);
// a bare path or host name has none.
bool IsLaunchableAddress(const QString& address);
