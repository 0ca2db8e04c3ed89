#include "app/checking/CheckRuns.h"

#include "app/checking/HttpProbe.h"
#include "app/checking/ReplyText.h"
#include "app/favorites/FavoritesTree.h"
#include "app/favorites/Rename.h"
#include "app/favorites/ShortcutFile.h"
#include "app/forms/Pictures.h"
#include "app/window/CommandState.h"
#include "app/window/frmMain.h"
#include "platform/controls/StatusBar.h"
#include "platform/controls/TreeView.h"
#include "platform/desktop/Application.h"
#include "platform/desktop/MessageBox.h"
#include "platform/runtime/ErrorRecord.h"

using namespace Qt::StringLiterals;

namespace
{
constexpr int StatusPanel = 2;

void SetPicture(TreeNode* node, int picture)
{
    node->SetImage(picture);
    node->SetSelectedImage(picture);
}

void RefreshTreeView(TreeNode* node)
{
    if (QTreeWidget* view = node->treeWidget())
        view->viewport()->update();
}

// Expands a folder and shows it open, as the tree's expand event does; the runs rely on the
// open picture to tell the folder from a link.
void ExpandFolder(TreeNode* folder)
{
    folder->SetExpanded(true);
    if (folder->Image() == Pictures::ClosedFolder)
        folder->SetImage(Pictures::OpenFolder);
}

// Whether a node taken before events were dispatched is still in the tree. Only addresses
// are compared: a node removed meanwhile must not be touched.
bool IsInTree(const TreeView& tree, const TreeNode* node, int index)
{
    const TreeNodes& nodes = tree.Nodes();
    if (index >= 1 && index <= nodes.Count() && nodes.Item(index) == node)
        return true;
    for (int i = 1; i <= nodes.Count(); ++i) {
        if (nodes.Item(i) == node)
            return true;
    }
    return false;
}

// Whether the host part is a name or address the socket can be given.
bool IsHostName(const QString& host)
{
    if (host.isEmpty())
        return false;
    for (QChar c : host) {
        if (!c.isLetterOrNumber() && c != u'.' && c != u'-' && c != u'_')
            return false;
    }
    return true;
}

// Ends a run: a stopped one says so and keeps its text, a finished one clears it.
void EndRun(frmMain& Main)
{
    if (!Main.CheckRunning) {
        desktop::MsgBox(QStringLiteral("Link Checking Aborted"), desktop::vbOKOnly, desktop::App::Title());
    } else {
        Main.sbStatus->SetPanelText(StatusPanel, QString());
        Main.CheckRunning = false;
    }
    UpdateCommandState(Main, CheckFinished);
}

// A run may not start inside another, nor while any probe waits for its reply.
bool RunRefused(const frmMain& Main)
{
    return Main.CheckRunning || Main.Probe.Waiting;
}
} // namespace

bool IsUsableRedirect(const QString& url)
{
    if (!StartsWithCaseless(url, "http://"_L1) && !StartsWithCaseless(url, "https://"_L1))
        return false;
    for (QChar c : url) {
        if (c.isSpace() || IsControlCharacter(c))
            return false;
    }
    const std::optional<ProbeTarget> target = SplitProbeUrl(url);
    return target && IsHostName(target->Host) && ProbePort(target->Port).has_value();
}

void SetNodeStatus(int16_t status, TreeNode* node)
{
    if (status == -1)
        SetPicture(node, Pictures::LinkNoReply);
    else if (status == 404 || status == 410)
        SetPicture(node, Pictures::LinkBroken);
    else
        SetPicture(node, Pictures::LinkAnswered);
    RefreshTreeView(node);
}

void CheckLink(frmMain& Main, TreeNode* node)
{
    if (!node || !node->Parent())
        return;
    const TreeView& tree = *Main.tvFolders;
    const int index = node->Index();
    const QString folder = node->Parent()->Key();
    ProbeResult result;
    try {
        Shortcut shortcut = ReadShortcut(folder, node->Text());
        Main.LinkTimeout = shortcut.LinkTimeout;
        Main.LinkRename = shortcut.LinkRename;
        result = ProbeUrl(Main, shortcut.Url);
        if (!IsInTree(tree, node, index))
            return;
        // A target the probe could not use, or one that would break the file, is not
        // written: the first result then stands.
        if (!result.RedirectUrl.isEmpty() && Main.LinkRename && IsUsableRedirect(result.RedirectUrl) &&
            WriteProfileString(QStringLiteral("InternetShortcut"), QStringLiteral("URL"), result.RedirectUrl,
                               LinkFilePath(node))) {
            shortcut = ReadShortcut(node->Parent()->Key(), node->Text());
            Main.LinkTimeout = shortcut.LinkTimeout;
            Main.LinkRename = shortcut.LinkRename;
            result = ProbeUrl(Main, shortcut.Url);
            if (!IsInTree(tree, node, index))
                return;
        }
    } catch (const runtime::Error&) {
        // A per-link Timeout or Rename that is no number: the link shows as one without a
        // usable reply, and is neither changed nor renamed.
        result = ProbeResult{};
    }
    SetNodeStatus(result.Status, node);
    if (!result.Title.isEmpty() && node->Text() != result.Title && Main.LinkRename)
        RenameNode(Main, result.Title, node);
}

void CheckAllLinks(frmMain& Main)
{
    if (RunRefused(Main))
        return;
    Main.sbStatus->SetPanelText(StatusPanel, QStringLiteral(" Verifying Links "));
    Main.CheckRunning = true;
    UpdateCommandState(Main, CheckStarted);

    TreeNodes& nodes = Main.tvFolders->Nodes();
    for (int i = 1; i <= nodes.Count(); ++i) {
        TreeNode* node = nodes.Item(i);
        if (node->Image() == Pictures::ClosedFolder)
            ExpandFolder(node);
        if (node->Image() != Pictures::OpenFolder)
            SetPicture(node, Pictures::LinkNotChecked);
    }

    const int count = nodes.Count();
    // Once stopped, every later node is passed over and keeps its pending picture.
    for (int i = 1; i <= count && i <= nodes.Count() && Main.CheckRunning; ++i) {
        TreeNode* node = nodes.Item(i);
        if (!IsFolderNode(node) && node->Image() == Pictures::LinkNotChecked)
            CheckLink(Main, node);
    }
    EndRun(Main);
}

void CheckFolderLinks(frmMain& Main, TreeNode* folder)
{
    if (!folder || !IsFolderNode(folder) || RunRefused(Main))
        return;
    Main.sbStatus->SetPanelText(StatusPanel,
                                QStringLiteral(" Verifying Directory ") + folder->Text() + QStringLiteral(" "));
    Main.CheckRunning = true;
    ExpandFolder(folder);
    UpdateCommandState(Main, CheckStarted);

    // The folder's own links are its direct children that are not folders, wherever they
    // stand in the tree's order: favorites added after loading are among them.
    for (int c = 0; c < folder->Children(); ++c) {
        if (!IsFolderNode(folder->Child(c)))
            SetPicture(folder->Child(c), Pictures::LinkNotChecked);
    }
    const TreeView& tree = *Main.tvFolders;
    const int folderIndex = folder->Index();
    for (int c = 0; Main.CheckRunning && IsInTree(tree, folder, folderIndex) && c < folder->Children(); ++c) {
        TreeNode* node = folder->Child(c);
        if (!IsFolderNode(node) && node->Image() == Pictures::LinkNotChecked)
            CheckLink(Main, node);
    }
    EndRun(Main);
}

void CheckSelectedLink(frmMain& Main)
{
    // The waiting probe keeps its own link and result; this request is dropped.
    if (Main.Probe.Waiting)
        return;
    TreeNode* node = Main.tvFolders->SelectedItem();
    if (!node || !node->Parent() || IsFolderNode(node))
        return;
    SetPicture(node, Pictures::LinkNotChecked);
    RefreshTreeView(node);
    CheckLink(Main, node);
}
