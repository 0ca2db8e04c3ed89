#pragma once
#include "platform/win32/WinTypes.h"

#include <string>
#include <string_view>

// Full key names as users write them: a root (long or short name) and a path below it.
namespace regtool
{

struct KeyPath
{
    win32::HKEY Root = 0;
    std::string RootName; // the long name, "HKEY_CURRENT_USER"
    std::string Sub;      // the path below the root, without leading or trailing backslash
};

// Reads "HKCU\Software\X" or "HKEY_CURRENT_USER\Software\X" (root names in any case). False for
// an unknown root, a remote machine name or an empty component.
bool ParseKeyPath(std::string_view text, KeyPath& path);

// "HKEY_CURRENT_USER\Software\X"; the root name alone when there is no path below it.
std::string FullName(const KeyPath& path);

// The path of a subkey named child below path.
KeyPath Child(const KeyPath& path, const std::string& child);

} // namespace regtool
