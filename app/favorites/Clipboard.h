#pragma once

class frmMain;

// Cut, copy, paste and delete of the selected node, on disk and in `tvFolders` together.
// The clipboard is the program's own (Main.ClipNode and Main.ClipMode); nothing goes through
// the desktop's clipboard.

// Remembers the selected folder or favorite for copying.
void CopyNode(frmMain& Main);
// Remembers the selected folder or favorite for moving and takes its node out of the tree;
// the disk is not touched until the paste.
void CutNode(frmMain& Main);
// Copies or moves the remembered item into the selected folder, or into the folder of the
// selected favorite. A name already used there stops it silently, and so does an empty
// clipboard; other failures are logged.
void PasteNode(frmMain& Main);
// Deletes the selected folder (with everything in it) or favorite for good, once the user
// has said Yes; failures are logged.
void DeleteNode(frmMain& Main);
