#include "app/favorites/Rename.h"

#include "app/favorites/FavoritesTree.h"
#include "app/settings/Common.h"
#include "platform/controls/TreeView.h"
#include "platform/files/FileSystem.h"
#include "platform/runtime/ErrorRecord.h"

#include <QFileInfo>

#include <utility>
#include <vector>

namespace
{
const QString Separator = QStringLiteral("/");

// The new keys of the nodes below a renamed folder: every folder's path, and the file path
// a copied or cut link holds, with the new path in place of the old one.
std::vector<std::pair<TreeNode*, QString>> KeysBelow(TreeNode* node, const QString& oldPath, const QString& newPath)
{
    std::vector<std::pair<TreeNode*, QString>> keys;
    std::vector<TreeNode*> pending;
    for (int i = 0; i < node->Children(); ++i)
        pending.push_back(node->Child(i));
    while (!pending.empty()) {
        TreeNode* next = pending.back();
        pending.pop_back();
        if (next->Key().startsWith(oldPath + Separator))
            keys.emplace_back(next, newPath + next->Key().mid(oldPath.size()));
        for (int i = 0; i < next->Children(); ++i)
            pending.push_back(next->Child(i));
    }
    return keys;
}

// A folder node other than `node` that holds `key`: the tree then has the folder already.
bool FolderHoldsKey(const TreeView& tree, const TreeNode* node, const QString& key)
{
    const TreeNode* holder = tree.Nodes().Find(key);
    return holder && holder != node && IsFolderNode(holder);
}
} // namespace

void ClaimKey(TreeView& tree, TreeNode* node, const QString& key)
{
    TreeNode* holder = tree.Nodes().Find(key);
    if (holder && holder != node && !IsFolderNode(holder))
        tree.Nodes().SetKey(holder, QString());
    tree.Nodes().SetKey(node, key);
}

void RenameNode(TreeView& tree, QString newName, TreeNode* node)
{
    // The root is the Favorites folder itself, whose path the profile keeps: it is never renamed.
    if (!node || !node->Parent())
        return;
    const bool folder = IsFolderNode(node);
    try {
        QString cleaned;
        const QString parentPath = node->Parent()->Key();
        if (folder) {
            cleaned = DiskItemName(newName, true);
            const QString oldPath = node->Key();
            const QString newPath = parentPath + Separator + cleaned;
            // The tree and the disk must never disagree: a key the tree cannot give is found
            // out before the disk is touched.
            if (FolderHoldsKey(tree, node, newPath))
                throw runtime::Error(runtime::FileAlreadyExists);
            const auto below = KeysBelow(node, oldPath, newPath);
            for (const auto& [child, key] : below) {
                if (IsFolderNode(child) && FolderHoldsKey(tree, child, key))
                    throw runtime::Error(runtime::FileAlreadyExists);
            }
            files::RenameItem(oldPath, cleaned);
            try {
                ClaimKey(tree, node, newPath);
                for (const auto& [child, key] : below)
                    ClaimKey(tree, child, key);
            } catch (const runtime::Error&) {
                // Whatever the tree could not follow, the disk does not do either.
                files::RenameItem(newPath, QFileInfo(oldPath).fileName());
                throw;
            }
        } else {
            cleaned = RenameFavoriteFile(parentPath, node->Text(), newName);
            // A copied or cut link's key names its file: it follows the file.
            if (!node->Key().isEmpty())
                ClaimKey(tree, node, parentPath + Separator + cleaned + QStringLiteral(".url"));
        }
        node->SetText(cleaned);
    } catch (const runtime::Error& error) {
        if (error.Number() == runtime::FileAlreadyExists)
            return;
        LogError(error);
    }
}
