#pragma once
#include "app/favorites/FavoriteNames.h"

#include <QString>
#include <cstdint>

class frmMain;
class TreeNode;

// Loading the Favorites folder into `tvFolders`, and the node conventions every operation
// relies on: a node is a folder when its picture is 2 or 16, a folder's key is its path, and
// a link's file is its parent's key, the separator, its text and ".URL".

// Empties nothing: fills the empty tree from FavoritesPath, with the root selected.
void LoadFavoritesTree(frmMain& Main);
// Adds a link node under folderNode for every shortcut file directly in folderPath.
void AddShortcuts(frmMain& Main, const QString& folderPath, TreeNode* folderNode);
// Adds a folder node under folderNode for every folder in folderPath, each filled in turn.
void AddSubfolders(frmMain& Main, const QString& folderPath, TreeNode* folderNode);
// Empties the tree and loads it again under the wait pointer.
void RefreshTree(frmMain& Main);

// "Total: 120 Favorites in 14 Folders  ".
QString TotalsText(int16_t linkCount, int16_t folderCount);

// True for the root and folder nodes: the folder test looks at the picture only.
bool IsFolderNode(const TreeNode* node);
// Whether a picture is one of the two folder pictures (2 or 16).
bool IsFolderPicture(int image);
// The path of a link node's shortcut file.
QString LinkFilePath(const TreeNode* node);
