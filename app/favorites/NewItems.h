#pragma once
#include <QString>

class TreeNode;
class TreeView;

// What the new folder and new favorite dialogs share.

// The folder a new item goes into: the selected node when it is a folder, otherwise the
// folder it lies in. Null when nothing is selected.
TreeNode* TargetFolderNode(const TreeView& tree);

// A typed name with each of the nine characters no file name may hold turned into "-".
// Nothing else changes: tabs and line breaks stay, and the name is not trimmed.
QString CleanTypedName(const QString& name);

// Whether `itemName` (a folder's name, or a favorite's with its ".url") is already used in
// the target folder, on disk or in the tree, without regard to letter case.
bool NameInUse(const TreeView& tree, const TreeNode* target, const QString& itemName);

// The address with "http://" in front, unless it begins with "http" in any letter case or
// names a scheme of its own ("ftp://...", "mailto:..."; not "localhost:8080").
QString AddressWithScheme(const QString& address);
