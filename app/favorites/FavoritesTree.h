#pragma once
#include "app/favorites/FavoriteNames.h"

#include <QString>
#include <cstdint>

class TreeNode;
class TreeView;

// Loading the Favorites folder into `tvFolders`, and the node conventions every operation
// relies on: a node is a folder when its picture is 2 or 16, a folder's key is its path, and
// a link's file is its parent's key, the separator, its text and ".URL".

// The Favorites folder the tree shows, and the nodes its last load added.
struct FavoritesFolder
{
    QString FavoritesPath;   // the folder's path as the profile names it; the root's key
    int16_t LinkCount = 0;   // link nodes added by the last load
    int16_t FolderCount = 0; // folder nodes added by the last load, the root included
};

// Empties nothing: fills the empty tree from FavoritesPath, with the root selected. The
// counts go on from where they stand (start-up sets FolderCount to 1 first).
void LoadFavoritesTree(TreeView& tree, FavoritesFolder& favorites);
// Adds a link node under folderNode for every shortcut file directly in folderPath.
void AddShortcuts(TreeView& tree, FavoritesFolder& favorites, const QString& folderPath, TreeNode* folderNode);
// Adds a folder node under folderNode for every folder in folderPath, each filled in turn.
void AddSubfolders(TreeView& tree, FavoritesFolder& favorites, const QString& folderPath, TreeNode* folderNode);
// Empties the tree and loads it again, counted afresh, under the wait pointer.
void RefreshTree(TreeView& tree, FavoritesFolder& favorites);

// "Total: 120 Favorites in 14 Folders  ".
QString TotalsText(int16_t linkCount, int16_t folderCount);

// True for the root and folder nodes: the folder test looks at the picture only.
bool IsFolderNode(const TreeNode* node);
// Whether a picture is one of the two folder pictures (2 or 16).
bool IsFolderPicture(int image);
// The path of a link node's shortcut file.
QString LinkFilePath(const TreeNode* node);
