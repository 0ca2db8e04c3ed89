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
const QString InvalidNameCharacters = QStringLiteral("\\/:*?<>|\"");

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

QString ReplaceInvalidNameCharacters(const QString& name)
{
    QString cleaned = name;
    for (QChar& character : cleaned) {
        if (InvalidNameCharacters.contains(character))
            character = QLatin1Char('-');
    }
    return cleaned;
}

QString CleanName(const QString& name)
{
    QString cleaned = ReplaceInvalidNameCharacters(name);
    for (QChar& character : cleaned) {
        if (character == QLatin1Char('\t') || character == QLatin1Char('\n') || character == QLatin1Char('\r'))
            character = QLatin1Char(' ');
    }
    return cleaned;
}

void RenameNode(frmMain& Main, QString newName, TreeNode* node)
{
    // The root is the Favorites folder itself, whose path the profile keeps: it is never renamed.
    if (!node || !node->Parent())
        return;
    const bool folder = IsFolderNode(node);
    QString cleaned = CleanName(newName);
    try {
        // Cleaning keeps a name inside its folder; these three would still leave it.
        if (cleaned.isEmpty() || (folder && (cleaned == QStringLiteral(".") || cleaned == QStringLiteral(".."))))
            throw runtime::Error(runtime::BadFileName);
        cleaned = files::FitName(cleaned, folder ? QString() : QStringLiteral(".url"));

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
