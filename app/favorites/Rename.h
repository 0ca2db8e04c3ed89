#pragma once
#include "app/favorites/FavoriteNames.h"

#include <QString>

class TreeNode;
class TreeView;

// Renames a folder or favorite on disk and in the tree, after cleaning the name. A name
// already taken in that folder changes nothing and says nothing; other failures are logged.
// When the rename fails, the node keeps its key and text, and the disk is as it was.
void RenameNode(TreeView& tree, QString newName, TreeNode* node);

// Gives a node a key. Links hold keys only for the clipboard's sake, so a link holding the
// key gives it up; a folder holding it is a real clash and raises error 35602.
void ClaimKey(TreeView& tree, TreeNode* node, const QString& key);
