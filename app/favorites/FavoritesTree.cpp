#include "app/favorites/FavoritesTree.h"

#include "app/forms/Pictures.h"
#include "app/settings/Common.h"
#include "app/window/frmMain.h"
#include "platform/controls/TreeView.h"
#include "platform/files/FileSystem.h"
#include "platform/runtime/CheckedInt.h"
#include "platform/runtime/ErrorRecord.h"

#include <QDir>
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

void AddShortcutsFrom(frmMain& Main, const QList<files::FolderItem>& items, TreeNode* folderNode)
{
    try {
        for (const files::FolderItem& file : items) {
            if (!IsShortcutFileName(file.Name))
                continue;
            TreeNode* node = Main.tvFolders->Nodes().Add(folderNode, TreeRelationship::Child, QString(),
                                                         file.Name.left(file.Name.size() - 4));
            node->SetImage(Pictures::LinkNotChecked);
            node->SetSelectedImage(Pictures::LinkNotChecked);
            Main.LinkCount = runtime::AddInt16(Main.LinkCount, 1);
        }
    } catch (const runtime::Error& error) {
        LogError(error);
    }
}

void AddSubfoldersFrom(frmMain& Main, const QString& folderPath, const QList<files::FolderItem>& items,
                       TreeNode* folderNode, FolderTrail& trail)
{
    try {
        for (const files::FolderItem& folder : items) {
            const QString path = folderPath + Separator + folder.Name;
            TreeNode* node = Main.tvFolders->Nodes().Add(folderNode, TreeRelationship::Child, path, folder.Name);
            node->SetImage(Pictures::OpenFolder);
            node->SetSelectedImage(Pictures::OpenFolder);
            Main.FolderCount = runtime::AddInt16(Main.FolderCount, 1);

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
            AddShortcutsFrom(Main, listing.Files, node);
            AddSubfoldersFrom(Main, path, listing.SubFolders, node, trail);
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

void AddShortcuts(frmMain& Main, const QString& folderPath, TreeNode* folderNode)
{
    try {
        AddShortcutsFrom(Main, files::ListFiles(folderPath), folderNode);
    } catch (const runtime::Error& error) {
        LogError(error);
    }
}

void AddSubfolders(frmMain& Main, const QString& folderPath, TreeNode* folderNode)
{
    try {
        const QList<files::FolderItem> folders = files::ListSubFolders(folderPath);
        QString real = files::CanonicalPath(folderPath);
        FolderTrail trail{real.isEmpty() ? QDir::cleanPath(folderPath) : real};
        AddSubfoldersFrom(Main, folderPath, folders, folderNode, trail);
    } catch (const runtime::Error& error) {
        LogError(error);
    }
}

void LoadFavoritesTree(frmMain& Main)
{
    try {
        TreeView& tree = *Main.tvFolders;
        tree.SetImageList(Main.Images.get());
        TreeNode* root = tree.Nodes().Add(nullptr, TreeRelationship::Child, Main.FavoritesPath, QStringLiteral("Favorites"));
        root->SetImage(Pictures::OpenFolder);
        root->SetSelectedImage(Pictures::OpenFolder);
        root->SetExpanded(true);
        AddShortcuts(Main, Main.FavoritesPath, root);
        AddSubfolders(Main, Main.FavoritesPath, root);
        tree.Nodes().Item(1)->EnsureVisible();
        tree.Nodes().Item(1)->SetSelected(true);
    } catch (const runtime::Error& error) {
        LogError(error);
    }
}

void RefreshTree(frmMain& Main)
{
    Main.setCursor(Qt::WaitCursor);
    Main.tvFolders->Nodes().Clear();
    LoadFavoritesTree(Main);
    Main.unsetCursor();
}
