#pragma once
#include <QString>

#include <cstdint>

class TreeNode;
class frmMain;

// The link checks the user starts: every link in the tree, the links of one folder, or the
// selected link. Each link is read from its shortcut file, probed, moved to its redirect
// target and renamed after its page title where the link allows it, and given the picture
// of its result.

// Checks every link of the tree in the tree's order, until done or stopped.
void CheckAllLinks(frmMain& Main);
// Checks the links directly inside one folder, not those of its subfolders.
void CheckFolderLinks(frmMain& Main, TreeNode* folder);
// Checks the selected link.
void CheckSelectedLink(frmMain& Main);

// The picture of a probe's result: 5 no usable reply (-1), 4 broken (404, 410), 6 answered.
void SetNodeStatus(int16_t status, TreeNode* node);

// One link's check: read, probe, redirect, picture, rename. The link's folder is its
// parent's key.
void CheckLink(frmMain& Main, TreeNode* node);

// Whether a redirect target may replace a favorite's address: an absolute http or https
// address with a host name the probe can connect to, and no blank or control character.
bool IsUsableRedirect(const QString& url);
