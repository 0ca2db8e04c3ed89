#pragma once
#include <QPoint>
#include <QString>

class TreeNode;
class frmMain;

// What the main window does with the events of its tree.

// A confirmed label edit renames the node; the node keeps the text the rename left.
void tvFolders_AfterLabelEdit(frmMain& Main, TreeNode* node, const QString& newString);
// Folders show the closed picture while collapsed and the open one while expanded.
void tvFolders_Collapse(frmMain& Main, TreeNode* node);
void tvFolders_Expand(frmMain& Main, TreeNode* node);
// A picked node sets the commands and shows what its folder holds.
void tvFolders_NodeClick(frmMain& Main, TreeNode* node);
// A right click shows the pop-up menu of the selected node's kind at the pointer.
void tvFolders_MouseUp(frmMain& Main, Qt::MouseButton button, const QPoint& position);
void tvFolders_DblClick(frmMain& Main);

// " 4 Items in News folder ".
QString FolderItemsText(int count, const QString& folderName);
