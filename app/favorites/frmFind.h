#pragma once
#include <QDialog>
#include <QString>

#include "platform/controls/TreeView.h"

#include <cstdint>
#include <memory>

namespace Ui
{
class frmFind;
}
class QPushButton;
class TreeNode;
class TreeView;

// Finds a folder or favorite by a piece of its name: searches the texts of the tree's nodes
// in the order they were added, forwards or backwards, and selects the first that holds the
// text. Modeless and owned by the main window, so the user can look and search on.
class frmFind : public QDialog
{
    Q_OBJECT
public:
    // The dialog searches `tree`; it stands beside `owner`, which it raises to show a find.
    frmFind(TreeView& tree, QWidget* owner);
    ~frmFind() override;

    // The command buttons: 0 Find, 1 Find Next, 2 Cancel.
    QPushButton* btnButton(int index) const;
    void btnButton_Click(int16_t index);

    // Starts a search at one end of the node collection, in the direction chosen.
    void FindFirst();
    // Goes on from the node found last, with the text and direction of the last Find.
    void FindNext();

    // The search of the last Find; positions are places in the tree's node collection, from 1.
    QString SearchText;
    int SearchPos = 0;
    int SearchFirst = 0;
    int SearchLast = 0;
    int SearchStep = 0;    // +1 forwards, -1 backwards, 0 before the first Find
    int SearchCompare = 1; // 0 exact, 1 letter case ignored
    bool SearchFound = false;

private:
    void txtSearchText_Change();
    // Searches from `start` towards SearchLast, within the nodes that exist now; leaves
    // SearchPos at the node found, or one step past the end.
    TreeNode* SearchFrom(int start);
    // Selects the node and brings it before the user's eyes.
    void ShowFound(TreeNode* node);
    QString SearchedText() const;

    std::unique_ptr<Ui::frmFind> ui;
    TreeView& Tree;
    QWidget* Owner;
    NodeRef Found; // the node found last, while it is in the tree
};

// Opens the find dialog beside the main window, or brings the open one forward.
frmFind* ShowFindDialog(TreeView& tree, QWidget* owner);
