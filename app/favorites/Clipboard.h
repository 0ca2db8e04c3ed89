#pragma once
#include "platform/controls/TreeView.h"

#include <QString>

#include <optional>

// Cut, copy, paste and delete of the selected node, on disk and in the tree together. The
// clipboard is the program's own; nothing goes through the desktop's clipboard.

// What a paste does with the remembered item.
enum class ClipModes
{
    Copy,
    Move,
};

// The node last copied or cut. While the node is in the tree the clipboard follows it: a
// rename, a move of its folder, a new picture all count. Once it has left the tree (a cut
// takes it out, a reload replaces it) what was last seen of it still finds its item: its
// folder's node if that is still there, else its path as it was; after a reload it follows
// the node that stands for the same item again.
struct ClippedNode
{
    NodeRef Node;         // the node, while it is in the tree
    NodeRef Parent;       // its folder's node, as last seen
    QString Key;          // a folder's path, or a link's file path, as last seen
    QString Text;         // as last seen
    int Image = 0;        // as last seen
    int SelectedImage = 0;
    bool Folder = false;

    // Brings what was last seen up to date with the node, or with its folder's node, and
    // finds the node again after a reload.
    void Follow(TreeView& tree);
};

// The program's clipboard: nothing until the first copy or cut.
struct Clipboard
{
    std::optional<ClippedNode> ClipNode;
    ClipModes ClipMode = ClipModes::Move;
};

// Remembers the selected folder or favorite for copying.
void CopyNode(TreeView& tree, Clipboard& clipboard);
// Remembers the selected folder or favorite for moving and takes its node out of the tree;
// the disk is not touched until the paste.
void CutNode(TreeView& tree, Clipboard& clipboard);
// Copies or moves the remembered item into the selected folder, or into the folder of the
// selected favorite. A name already used there stops it silently, and so does an empty
// clipboard; other failures are logged. A folder paste reloads the tree from `favorites`.
struct FavoritesFolder;
void PasteNode(TreeView& tree, Clipboard& clipboard, FavoritesFolder& favorites);
// Deletes the selected folder (with everything in it) or favorite for good, once the user
// has said Yes; failures are logged. A clipboard whose item was deleted is emptied.
void DeleteNode(TreeView& tree, Clipboard& clipboard, FavoritesFolder& favorites);
