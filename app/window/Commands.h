#pragma once
#include "app/window/Menus.h"

#include <functional>

class QAction;
class frmMain;

// The click handlers of the six menus (by the item's index) and of the tool bar (by the
// button's key, compared case-sensitively).
void mnuFileMenu_Click(frmMain& Main, int index);
void mnuEditMenu_Click(frmMain& Main, int index);
void mnuLinksMenu_Click(frmMain& Main, int index);
void mnuHelpMenu_Click(frmMain& Main, int index);
void mnuNodePopup_Click(frmMain& Main, int index);
void mnuFolderPopup_Click(frmMain& Main, int index);
void tbToolbar_ButtonClick(frmMain& Main, const QAction* button);

// Runs one command on the tree's selected node.
void RunCommand(frmMain& Main, Command command);

// Test seam: while set, commands are handed to the recorder instead of being run.
void SetCommandRecorder(std::function<void(Command)> recorder);
