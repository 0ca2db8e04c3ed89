#pragma once
#include "app/favorites/FavoriteNames.h"

#include <QString>

class frmMain;
class TreeNode;

// Renames a folder or favorite on disk and in the tree, after cleaning the name. A name
// already taken in that folder changes nothing and says nothing; other failures are logged.
// When the rename fails, the node keeps its key and text.
void RenameNode(frmMain& Main, QString newName, TreeNode* node);
