#pragma once
#include <QString>

class frmMain;
class TreeNode;

// The nine characters no file or folder name may hold (\ / : * ? < > | and the double
// quote) become "-"; the length stays the same.
QString ReplaceInvalidNameCharacters(const QString& name);

// The nine characters no file or folder name may hold become "-", and tab, line feed and
// carriage return become a space; the length stays the same.
QString CleanName(const QString& name);

// Renames a folder or favorite on disk and in the tree, after cleaning the name. A name
// already taken in that folder changes nothing and says nothing; other failures are logged.
// When the rename fails, the node keeps its key and text.
void RenameNode(frmMain& Main, QString newName, TreeNode* node);
