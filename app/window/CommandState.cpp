#include "app/window/CommandState.h"

#include "app/favorites/FavoritesTree.h"
#include "app/window/frmMain.h"
#include "platform/controls/TreeView.h"

#include <QAction>

#include <initializer_list>

namespace
{
void Enable(const MenuItems& items, std::initializer_list<int> indexes)
{
    for (int index : indexes) {
        if (QAction* item = items.Item(index))
            item->setEnabled(true);
    }
}

void EnableButtons(const ToolbarButtons& buttons, std::initializer_list<int> indexes)
{
    for (int index : indexes) {
        if (QAction* button = buttons.Button(index))
            button->setEnabled(true);
    }
}

void DisableAll(const MenuItems& items)
{
    for (int index = 1; index <= items.Count(); ++index)
        items.Item(index)->setEnabled(false);
}
} // namespace

void UpdateCommandState(frmMain& Main, CommandContext context)
{
    // Everything governed starts disabled; only what the context allows is enabled again, so
    // the result never depends on an earlier call.
    for (int index = 1; index <= Main.tbButtons.Count(); ++index)
        Main.tbButtons.Button(index)->setEnabled(false);
    DisableAll(Main.mnuFileMenu);
    DisableAll(Main.mnuEditMenu);
    DisableAll(Main.mnuLinksMenu);
    DisableAll(Main.mnuNodePopup);
    DisableAll(Main.mnuFolderPopup);

    Enable(Main.mnuFileMenu, {1});
    Enable(Main.mnuEditMenu, {11, 13});
    Enable(Main.mnuNodePopup, {1, 2, 14});
    EnableButtons(Main.tbButtons, {8, 15});

    const bool running = Main.CheckRunning;
    if (running) {
        EnableButtons(Main.tbButtons, {5});
        Enable(Main.mnuLinksMenu, {4});
    } else {
        EnableButtons(Main.tbButtons, {4});
        Enable(Main.mnuLinksMenu, {3});
    }

    switch (context) {
    case RootSelected:
        if (!running) {
            EnableButtons(Main.tbButtons, {2, 12});
            Enable(Main.mnuEditMenu, {6, 5, 3});
            Enable(Main.mnuLinksMenu, {1, 3, 8});
            Enable(Main.mnuFolderPopup, {8, 7, 1, 5});
        }
        break;
    case LinkSelected:
        if (!running) {
            EnableButtons(Main.tbButtons, {2, 3, 11, 10, 13, 12});
            Enable(Main.mnuEditMenu, {2, 1, 8, 6, 5, 3, 9});
            Enable(Main.mnuLinksMenu, {1, 3, 2, 8});
            Enable(Main.mnuNodePopup, {5, 4, 11, 9, 8, 6, 12});
        }
        Enable(Main.mnuLinksMenu, {6, 10});
        EnableButtons(Main.tbButtons, {7});
        break;
    case FolderSelected:
        if (!running) {
            EnableButtons(Main.tbButtons, {2, 11, 10, 13, 12});
            Enable(Main.mnuEditMenu, {2, 1, 8, 6, 5, 3, 9});
            Enable(Main.mnuLinksMenu, {1, 3, 8});
            Enable(Main.mnuFolderPopup, {1, 4, 3, 10, 8, 7, 5, 11});
        }
        break;
    case CheckFinished: {
        // The context is worked out again from the node that is selected now. A tree
        // without a selected node is treated as its root being selected.
        TreeNode* selected = Main.tvFolders->SelectedItem();
        CommandContext now = RootSelected;
        if (selected && IsFolderNode(selected))
            now = selected->Index() == 1 ? RootSelected : FolderSelected;
        else if (selected)
            now = LinkSelected;
        UpdateCommandState(Main, now);
        break;
    }
    default: // CheckStarted, and any value outside the known contexts
        break;
    }
}
