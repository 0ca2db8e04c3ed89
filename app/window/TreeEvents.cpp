#include "app/window/TreeEvents.h"

#include "app/favorites/FavoritesTree.h"
#include "app/favorites/Rename.h"
#include "app/forms/Pictures.h"
#include "app/window/CommandState.h"
#include "app/window/Commands.h"
#include "app/window/frmMain.h"
#include "platform/controls/StatusBar.h"
#include "platform/controls/TreeView.h"

#include <QCursor>
#include <QMenu>

QString FolderItemsText(int count, const QString& folderName)
{
    return QStringLiteral(" ") + QString::number(count) + QStringLiteral(" Items in ") + folderName +
           QStringLiteral(" folder ");
}

void tvFolders_AfterLabelEdit(frmMain& Main, TreeNode* node, const QString& newString)
{
    // The edit is about the selected node; the tree never writes the typed text itself.
    TreeNode* selected = Main.tvFolders->SelectedItem();
    RenameNode(*Main.tvFolders, newString, selected ? selected : node);
}

void tvFolders_Collapse(frmMain& Main, TreeNode* node)
{
    Q_UNUSED(Main);
    node->SetImage(Pictures::ClosedFolder);
}

void tvFolders_Expand(frmMain& Main, TreeNode* node)
{
    Q_UNUSED(Main);
    node->SetImage(Pictures::OpenFolder);
}

void tvFolders_NodeClick(frmMain& Main, TreeNode* node)
{
    const bool isLink = !IsFolderNode(node);
    TreeNode* folderNode = isLink ? node->Parent() : node;
    if (isLink) {
        UpdateCommandState(Main, LinkSelected);
    } else {
        const TreeNode* selected = Main.tvFolders->SelectedItem();
        UpdateCommandState(Main, selected && selected->Index() == 1 ? RootSelected : FolderSelected);
    }
    if (folderNode)
        Main.sbStatus->SetPanelText(2, FolderItemsText(folderNode->Children(), folderNode->Text()));
}

void tvFolders_MouseUp(frmMain& Main, Qt::MouseButton button, const QPoint& position)
{
    Q_UNUSED(position);
    if (button != Qt::RightButton)
        return;
    // The menu belongs to the selected node, not to the one under the pointer; with nothing
    // selected there is nothing for a menu to act on.
    const TreeNode* selected = Main.tvFolders->SelectedItem();
    if (!selected)
        return;
    QMenu* menu = IsFolderNode(selected) ? Main.mnuFolder : Main.mnuNode;
    Main.ShowPopupMenu(menu, QCursor::pos());
}

void tvFolders_DblClick(frmMain& Main)
{
    RunCommand(Main, Command::LaunchLink);
}
