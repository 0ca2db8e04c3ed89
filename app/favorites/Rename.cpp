#include "app/favorites/Rename.h"

#include "app/favorites/FavoritesTree.h"
#include "app/settings/Common.h"
#include "app/window/frmMain.h"
#include "platform/controls/TreeView.h"
#include "platform/files/FileSystem.h"
#include "platform/runtime/ErrorRecord.h"

#include <vector>

namespace
{
// Every folder node below `node` gets `newPath` in place of `oldPath` at the start of its key.
void RewriteFolderKeys(TreeView& tree, TreeNode* node, const QString& oldPath, const QString& newPath)
{
    std::vector<TreeNode*> pending;
    for (int i = 0; i < node->Children(); ++i)
        pending.push_back(node->Child(i));
    while (!pending.empty()) {
        TreeNode* next = pending.back();
        pending.pop_back();
        if (IsFolderNode(next) && next->Key().startsWith(oldPath + QStringLiteral("/")))
            tree.Nodes().SetKey(next, newPath + next->Key().mid(oldPath.size()));
        for (int i = 0; i < next->Children(); ++i)
            pending.push_back(next->Child(i));
    }
}
} // namespace

void RenameNode(frmMain& Main, QString newName, TreeNode* node)
{
    // The root is the Favorites folder itself, whose path the profile keeps: it is never renamed.
    if (!node || !node->Parent())
        return;
    const bool folder = IsFolderNode(node);
    try {
        const QString cleaned = DiskItemName(newName, folder);

        if (folder) {
            const QString oldPath = node->Key();
            const QString newPath = node->Parent()->Key() + QStringLiteral("/") + cleaned;
            files::RenameItem(oldPath, cleaned);
            Main.tvFolders->Nodes().SetKey(node, newPath);
            RewriteFolderKeys(*Main.tvFolders, node, oldPath, newPath);
        } else {
            files::RenameItem(LinkFilePath(node), cleaned + QStringLiteral(".url"));
        }
        node->SetText(cleaned);
    } catch (const runtime::Error& error) {
        if (error.Number() == runtime::FileAlreadyExists)
            return;
        LogError(error);
    }
}
