#include "app/favorites/FavoritesTree.h"

#include "app/forms/Pictures.h"
#include "app/settings/Common.h"
#include "platform/controls/TreeView.h"
#include "platform/files/FileSystem.h"
#include "platform/runtime/CheckedInt.h"
#include "platform/runtime/ErrorRecord.h"

#include <QDir>
#include <QGuiApplication>
#include <QFileInfo>

#include <algorithm>

#include <vector>

namespace
{
const QString Separator = QStringLiteral("/");

// The real locations of the folders on the path being loaded. A folder reached through a
// symbolic link that leads back to one of them is shown, but not entered again, so a link
// loop cannot make loading recurse without end.
using FolderTrail = std::vector<QString>;

void AddShortcutsFrom(TreeView& tree, FavoritesFolder& favorites, const QList<files::FolderItem>& items,
                      TreeNode* folderNode)
{
    try {
        for (const files::FolderItem& file : items) {
            if (!IsShortcutFileName(file.Name))
                continue;
            TreeNode* node = tree.Nodes().Add(folderNode, TreeRelationship::Child, QString(),
                                                         file.Name.left(file.Name.size() - 4));
            node->SetImage(Pictures::LinkNotChecked);
            node->SetSelectedImage(Pictures::LinkNotChecked);
            favorites.LinkCount = runtime::AddInt16(favorites.LinkCount, 1);
        }
    } catch (const runtime::Error& error) {
        LogError(error);
    }
}

void AddSubfoldersFrom(TreeView& tree, FavoritesFolder& favorites, const QString& folderPath,
                       const QList<files::FolderItem>& items, TreeNode* folderNode, FolderTrail& trail)
{
    try {
        for (const files::FolderItem& folder : items) {
            const QString path = folderPath + Separator + folder.Name;
            TreeNode* node = tree.Nodes().Add(folderNode, TreeRelationship::Child, path, folder.Name);
            node->SetImage(Pictures::OpenFolder);
            node->SetSelectedImage(Pictures::OpenFolder);
            favorites.FolderCount = runtime::AddInt16(favorites.FolderCount, 1);

            const QString real = folder.IsLink ? files::CanonicalPath(path) : trail.back() + Separator + folder.Name;
            if (real.isEmpty() || std::find(trail.begin(), trail.end(), real) != trail.end())
                continue;

            // The subfolder is read once for both of its groups; when it cannot be read at
            // all, that is reported once and its siblings still load.
            files::FolderListing listing;
            try {
                listing = files::ListFolder(path);
            } catch (const runtime::Error& error) {
                LogError(error);
                continue;
            }
            trail.push_back(real);
            AddShortcutsFrom(tree, favorites, listing.Files, node);
            AddSubfoldersFrom(tree, favorites, path, listing.SubFolders, node, trail);
            trail.pop_back();
        }
        folderNode->SetExpanded(true);
    } catch (const runtime::Error& error) {
        LogError(error);
    }
}
} // namespace

bool IsFolderPicture(int image)
{
    return image == Pictures::OpenFolder || image == Pictures::ClosedFolder;
}

bool IsFolderNode(const TreeNode* node)
{
    return IsFolderPicture(node->Image());
}

QString LinkFilePath(const TreeNode* node)
{
    return ShortcutFilePath(node->Parent()->Key(), node->Text());
}

QString TotalsText(int16_t linkCount, int16_t folderCount)
{
    return QStringLiteral("Total: ") + QString::number(linkCount) + QStringLiteral(" Favorites in ") +
           QString::number(folderCount) + QStringLiteral(" Folders  ");
}

void AddShortcuts(TreeView& tree, FavoritesFolder& favorites, const QString& folderPath, TreeNode* folderNode)
{
    try {
        AddShortcutsFrom(tree, favorites, files::ListFiles(folderPath), folderNode);
    } catch (const runtime::Error& error) {
        LogError(error);
    }
}

void AddSubfolders(TreeView& tree, FavoritesFolder& favorites, const QString& folderPath, TreeNode* folderNode)
{
    try {
        const QList<files::FolderItem> folders = files::ListSubFolders(folderPath);
        QString real = files::CanonicalPath(folderPath);
        FolderTrail trail{real.isEmpty() ? QDir::cleanPath(folderPath) : real};
        AddSubfoldersFrom(tree, favorites, folderPath, folders, folderNode, trail);
    } catch (const runtime::Error& error) {
        LogError(error);
    }
}

void LoadFavoritesTree(TreeView& tree, FavoritesFolder& favorites)
{
    try {
        TreeNode* root =
            tree.Nodes().Add(nullptr, TreeRelationship::Child, favorites.FavoritesPath, QStringLiteral("Favorites"));
        root->SetImage(Pictures::OpenFolder);
        root->SetSelectedImage(Pictures::OpenFolder);
        root->SetExpanded(true);
        AddShortcuts(tree, favorites, favorites.FavoritesPath, root);
        AddSubfolders(tree, favorites, favorites.FavoritesPath, root);
        tree.Nodes().Item(1)->EnsureVisible();
        tree.Nodes().Item(1)->SetSelected(true);
    } catch (const runtime::Error& error) {
        LogError(error);
    }
}

void RefreshTree(TreeView& tree, FavoritesFolder& favorites)
{
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    tree.Nodes().Clear();
    // A reload counts the folder afresh: totals carried over from earlier loads would pass
    // 16 bits after a few reloads of a large folder and cut its later folders off.
    favorites.LinkCount = 0;
    favorites.FolderCount = 1;
    LoadFavoritesTree(tree, favorites);
    QGuiApplication::restoreOverrideCursor();
}
