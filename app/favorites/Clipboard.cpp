#include "app/favorites/Clipboard.h"

#include "app/favorites/FavoritesTree.h"
#include "app/favorites/Rename.h"
#include "app/forms/Pictures.h"
#include "app/settings/Common.h"
#include "platform/desktop/MessageBox.h"
#include "platform/files/FileOperations.h"
#include "platform/files/FileSystem.h"
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

// The node that stands for the item at `path` now, if the tree has one.
TreeNode* NodeOfItem(const TreeView& tree, const QString& path, bool folder)
{
    if (folder)
        return tree.Nodes().Find(path);
    const QFileInfo file(path);
    const TreeNode* parent = tree.Nodes().Find(file.path());
    if (!parent || !IsShortcutFileName(file.fileName()))
        return nullptr;
    const QString text = file.fileName().chopped(4);
    for (int i = 0; i < parent->Children(); ++i) {
        TreeNode* child = parent->Child(i);
        if (!IsFolderNode(child) && child->Text().compare(text, Qt::CaseInsensitive) == 0)
            return child;
    }
    return nullptr;
}

// Copy and cut give a link node its file path as key; that key names the item for nobody
// but the clipboard, so it never stands in the way.
void GiveLinkKey(TreeView& tree, TreeNode* node)
{
    try {
        ClaimKey(tree, node, LinkFilePath(node));
    } catch (const runtime::Error&) {
        // A folder holds that path: the link keeps no key, the clipboard has the node itself.
    }
}

TreeNode* AddLinkNode(TreeView& tree, TreeNode* target, const ClippedNode& clip)
{
    TreeNode* node = tree.Nodes().Add(target, TreeRelationship::Child, QString(), clip.Text);
    node->SetImage(clip.Image);
    node->SetSelectedImage(clip.SelectedImage);
    return node;
}

// An item cut and never pasted is still where it was: when the clipboard takes another item,
// its node comes back, so the tree goes on showing every favorite on disk.
void RestoreUnpasted(TreeView& tree, Clipboard& clipboard)
{
    if (!clipboard.ClipNode || clipboard.ClipMode != ClipModes::Move)
        return;
    ClippedNode& clip = *clipboard.ClipNode;
    clip.Follow(tree);
    if (clip.Node || !(clip.Folder ? files::FolderExists(clip.Key) : files::FileExists(clip.Key)))
        return;
    // Shown under the name it has on disk, once: an item of that name in another letter case
    // may stand there meanwhile, and may have its node already.
    const QFileInfo real(files::ResolvePath(clip.Key));
    TreeNode* parent = tree.Nodes().Find(real.path());
    if (!parent || NodeOfItem(tree, real.filePath(), clip.Folder))
        return;
    if (!clip.Folder) {
        ClippedNode shown = clip;
        shown.Text = real.fileName().chopped(4);
        AddLinkNode(tree, parent, shown);
        return;
    }
    TreeNode* folder = tree.Nodes().Add(parent, TreeRelationship::Child, real.filePath(), real.fileName());
    folder->SetImage(Pictures::OpenFolder);
    folder->SetSelectedImage(Pictures::OpenFolder);
    // Shown again as a load shows it; the totals of the last load stay as they are.
    FavoritesFolder uncounted;
    AddShortcuts(tree, uncounted, real.filePath(), folder);
    AddSubfolders(tree, uncounted, real.filePath(), folder);
}

void Remember(TreeView& tree, Clipboard& clipboard, TreeNode* node)
{
    const NodeRef remembered(node);
    RestoreUnpasted(tree, clipboard);
    if (!remembered)
        return;
    ClippedNode clip;
    clip.Node = NodeRef(node);
    clip.Folder = IsFolderNode(node);
    if (!clip.Folder)
        GiveLinkKey(tree, node);
    clip.Follow(tree);
    clipboard.ClipNode = clip;
}

void PasteLink(TreeView& tree, TreeNode* target, ClippedNode& clip, bool move)
{
    // The file keeps its own name, extension included.
    const QString destination = target->Key() + Separator + QFileInfo(clip.Key).fileName();
    TreeNode* source = clip.Node.get();

    // Cut and pasted back into its own folder: the file stays where it is, the node returns,
    // and the clipboard has it again, so a further paste there finds it in place.
    if (move && !source && SamePath(QFileInfo(clip.Key).path(), target->Key())) {
        if (!files::FileExists(clip.Key))
            throw runtime::Error(runtime::FileNotFound);
        clip.Node = NodeRef(AddLinkNode(tree, target, clip));
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
        // still made the file; the tree shows it, and the original where it still is.
        if (files::FileExists(destination))
            AddLinkNode(tree, target, clip);
        throw;
    }
    AddLinkNode(tree, target, clip);
    // A moved item that was still shown in its old place (pasted back, or reloaded) leaves it.
    if (move && source)
        tree.Nodes().Remove(source);
}

void PasteFolder(TreeView& tree, FavoritesFolder& favorites, TreeNode* target, const ClippedNode& clip, bool move)
{
    const QString destination = target->Key() + Separator + clip.Text;

    // Cut and pasted back into its own folder: nothing moves, the reload brings the node back.
    if (move && !clip.Node && SamePath(destination, clip.Key)) {
        if (!files::FolderExists(clip.Key))
            throw runtime::Error(runtime::PathNotFound);
        RefreshTree(tree, favorites);
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
                RefreshTree(tree, favorites);
            throw;
        }
        RefreshTree(tree, favorites);
    }
    if (TreeNode* pasted = tree.Nodes().Find(destination)) {
        pasted->SetSelected(true);
        pasted->EnsureVisible();
    }
}
} // namespace

void ClippedNode::Follow(TreeView& tree)
{
    TreeNode* node = Node.get();
    if (!node) {
        // Out of the tree: the item lies in its folder as that folder is named now.
        if (const TreeNode* parent = Parent.get())
            Key = Folder ? parent->Key() + Separator + Text : ShortcutFilePath(parent->Key(), Text);
        node = NodeOfItem(tree, Key, Folder);
        if (node)
            Node = NodeRef(node);
    }
    if (!node)
        return;
    Parent = NodeRef(node->Parent());
    Key = Folder ? node->Key() : LinkFilePath(node);
    Text = node->Text();
    Image = node->Image();
    SelectedImage = node->SelectedImage();
}

void CopyNode(TreeView& tree, Clipboard& clipboard)
{
    TreeNode* node = tree.SelectedItem();
    if (!node)
        return;
    Remember(tree, clipboard, node);
    clipboard.ClipMode = ClipModes::Copy;
}

void CutNode(TreeView& tree, Clipboard& clipboard)
{
    TreeNode* node = tree.SelectedItem();
    // The root is the Favorites folder itself: taking it out would empty the tree.
    if (!node || !node->Parent())
        return;
    Remember(tree, clipboard, node);
    tree.Nodes().Remove(node);
    clipboard.ClipMode = ClipModes::Move;
}

void PasteNode(TreeView& tree, Clipboard& clipboard, FavoritesFolder& favorites)
{
    try {
        TreeNode* selected = tree.SelectedItem();
        if (!clipboard.ClipNode || !selected)
            throw runtime::Error(runtime::ObjectNotSet);
        TreeNode* target = IsFolderNode(selected) ? selected : selected->Parent();
        ClippedNode& clip = *clipboard.ClipNode;
        clip.Follow(tree);
        const bool move = clipboard.ClipMode == ClipModes::Move;
        if (clip.Folder)
            PasteFolder(tree, favorites, target, clip, move);
        else
            PasteLink(tree, target, clip, move);
    } catch (const runtime::Error& error) {
        // Nothing copied or cut yet.
        if (error.Number() == runtime::ObjectNotSet)
            return;
        LogError(error);
    }
}

void DeleteNode(TreeView& tree, Clipboard& clipboard, FavoritesFolder& favorites)
{
    TreeNode* node = tree.SelectedItem();
    // The root is the Favorites folder itself, which is never deleted.
    if (!node || !node->Parent())
        return;
    const bool folder = IsFolderNode(node);
    const QString prompt = folder ? QStringLiteral("Removing this folder will also remove all of its links. "
                                                   "Are you sure you want to remove this folder?")
                                  : QStringLiteral("Are you sure you want to remove this Favorite?");
    const QString title = folder ? QStringLiteral("Remove Folder") : QStringLiteral("Remove Favorite");
    // The question waits for the user while events go on: the node is held by a reference
    // that knows when it has gone meanwhile.
    const NodeRef doomed(node);
    if (desktop::MsgBox(prompt, desktop::vbYesNo, title) != desktop::vbYes || !doomed)
        return;

    const QString path = folder ? node->Key() : LinkFilePath(node);
    if (clipboard.ClipNode)
        clipboard.ClipNode->Follow(tree);
    try {
        if (folder)
            files::DeleteFolder(path);
        else
            files::DeleteFile(path);
        tree.Nodes().Remove(node);
    } catch (const runtime::Error& error) {
        LogError(error);
        // The tree follows what is left on disk: an item that is gone loses its node, a
        // folder emptied in part is shown as it now is.
        const bool gone = folder ? !files::FolderExists(path) : !files::FileExists(path);
        if (gone && doomed)
            tree.Nodes().Remove(node);
        else if (folder)
            RefreshTree(tree, favorites);
    }
    // An item deleted for good cannot be pasted any more.
    if (clipboard.ClipNode) {
        const QString clipped = clipboard.ClipNode->Key;
        const bool gone = clipboard.ClipNode->Folder ? !files::FolderExists(clipped) : !files::FileExists(clipped);
        if (gone && (SamePath(clipped, path) || files::LiesWithin(clipped, path)))
            clipboard.ClipNode.reset();
    }
}
