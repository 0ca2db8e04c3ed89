#include "app/favorites/Clipboard.h"

#include "app/favorites/FavoritesTree.h"
#include "app/forms/Pictures.h"
#include "app/settings/Common.h"
#include "app/window/frmMain.h"
#include "platform/controls/TreeView.h"
#include "platform/desktop/MessageBox.h"
#include "platform/files/FileOperations.h"
#include "platform/runtime/ErrorRecord.h"

#include <QDir>
#include <QFileInfo>

namespace
{
const QString Separator = QStringLiteral("/");

bool SamePath(const QString& a, const QString& b)
{
    return QDir::cleanPath(a) == QDir::cleanPath(b);
}

// Copy and cut give a link node its file path as key. A key an earlier copy left on another
// link (since renamed) gives way; links hold keys only for the clipboard's sake.
void GiveLinkKey(TreeView& tree, TreeNode* node, const QString& key)
{
    TreeNode* holder = tree.Nodes().Find(key);
    if (holder == node)
        return;
    if (holder) {
        if (IsFolderNode(holder))
            return;
        tree.Nodes().SetKey(holder, QString());
    }
    tree.Nodes().SetKey(node, key);
}

// Puts the node into the clipboard as it is now. The clipboard keeps a copy, not the node,
// because a cut or a reload deletes the node itself.
void Remember(frmMain& Main, TreeNode* node)
{
    ClippedNode clip{node->Key(), node->Text(), node->Image(), node->SelectedImage()};
    if (!IsFolderNode(node)) {
        clip.Key = LinkFilePath(node);
        GiveLinkKey(*Main.tvFolders, node, clip.Key);
    }
    Main.ClipNode = clip;
}

TreeNode* AddLinkNode(frmMain& Main, TreeNode* target, const ClippedNode& clip)
{
    TreeNode* node = Main.tvFolders->Nodes().Add(target, TreeRelationship::Child, QString(), clip.Text);
    node->SetImage(clip.Image);
    node->SetSelectedImage(clip.SelectedImage);
    return node;
}

void PasteLink(frmMain& Main, TreeNode* target, const ClippedNode& clip, bool move)
{
    // The file keeps its own name, extension included.
    const QString destination = target->Key() + Separator + QFileInfo(clip.Key).fileName();

    // Cut and pasted back into its own folder: the file stays where it is, the node returns.
    if (move && SamePath(QFileInfo(clip.Key).path(), target->Key())) {
        if (!files::FileExists(clip.Key))
            throw runtime::Error(runtime::FileNotFound);
        AddLinkNode(Main, target, clip);
        return;
    }
    if (files::FileExists(destination))
        return;
    try {
        if (move)
            files::MoveFile(clip.Key, destination);
        else
            files::CopyFile(clip.Key, destination);
    } catch (const runtime::Error&) {
        // A move that copied across file systems but could not remove the original has
        // still made the file; the tree shows it.
        if (files::FileExists(destination))
            AddLinkNode(Main, target, clip);
        throw;
    }
    AddLinkNode(Main, target, clip);
}

void PasteFolder(frmMain& Main, TreeNode* target, const ClippedNode& clip, bool move)
{
    const QString destination = target->Key() + Separator + clip.Text;

    // Cut and pasted back into its own folder: nothing moves, the reload brings the node back.
    if (move && SamePath(destination, clip.Key)) {
        if (!files::FolderExists(clip.Key))
            throw runtime::Error(runtime::PathNotFound);
        RefreshTree(Main);
    } else {
        if (files::LiesWithin(target->Key(), clip.Key))
            throw runtime::Error(runtime::InvalidProcedureCall,
                                 "A folder cannot be pasted into itself or into one of its own subfolders");
        if (files::FolderExists(destination))
            return;
        try {
            if (move)
                files::MoveFolder(clip.Key, destination);
            else
                files::CopyFolder(clip.Key, destination);
        } catch (const runtime::Error&) {
            // Part of the folder may have arrived before the failure; the tree shows what did.
            if (files::FolderExists(destination))
                RefreshTree(Main);
            throw;
        }
        RefreshTree(Main);
    }
    if (TreeNode* pasted = Main.tvFolders->Nodes().Find(destination)) {
        pasted->SetSelected(true);
        pasted->EnsureVisible();
    }
}
} // namespace

void CopyNode(frmMain& Main)
{
    TreeNode* node = Main.tvFolders->SelectedItem();
    if (!node)
        return;
    Remember(Main, node);
    Main.ClipMode = ClipModes::Copy;
    Main.EnablePasteCommand(true);
}

void CutNode(frmMain& Main)
{
    TreeNode* node = Main.tvFolders->SelectedItem();
    // The root is the Favorites folder itself: taking it out would empty the tree.
    if (!node || !node->Parent())
        return;
    Remember(Main, node);
    Main.tvFolders->Nodes().Remove(node);
    Main.ClipMode = ClipModes::Move;
    Main.EnablePasteCommand(true);
}

void PasteNode(frmMain& Main)
{
    try {
        TreeNode* selected = Main.tvFolders->SelectedItem();
        if (!Main.ClipNode || !selected)
            throw runtime::Error(runtime::ObjectNotSet);
        TreeNode* target = IsFolderNode(selected) ? selected : selected->Parent();
        const ClippedNode clip = *Main.ClipNode;
        const bool move = Main.ClipMode == ClipModes::Move;
        if (IsFolderPicture(clip.Image))
            PasteFolder(Main, target, clip, move);
        else
            PasteLink(Main, target, clip, move);
    } catch (const runtime::Error& error) {
        // Nothing copied or cut yet.
        if (error.Number() == runtime::ObjectNotSet)
            return;
        LogError(error);
    }
}

void DeleteNode(frmMain& Main)
{
    TreeNode* node = Main.tvFolders->SelectedItem();
    // The root is the Favorites folder itself, which is never deleted.
    if (!node || !node->Parent())
        return;
    const bool folder = IsFolderNode(node);
    const QString prompt = folder ? QStringLiteral("Removing this folder will also remove all of its links. "
                                                   "Are you sure you want to remove this folder?")
                                  : QStringLiteral("Are you sure you want to remove this Favorite?");
    const QString title = folder ? QStringLiteral("Remove Folder") : QStringLiteral("Remove Favorite");
    if (desktop::MsgBox(prompt, desktop::vbYesNo, title) != desktop::vbYes)
        return;

    const QString path = folder ? node->Key() : LinkFilePath(node);
    try {
        if (folder)
            files::DeleteFolder(path);
        else
            files::DeleteFile(path);
        Main.tvFolders->Nodes().Remove(node);
    } catch (const runtime::Error& error) {
        LogError(error);
        // The tree follows what is left on disk: an item that is gone loses its node, a
        // folder emptied in part is shown as it now is.
        const bool gone = folder ? !files::FolderExists(path) : !files::FileExists(path);
        if (gone)
            Main.tvFolders->Nodes().Remove(node);
        else if (folder)
            RefreshTree(Main);
    }
}
