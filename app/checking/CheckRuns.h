#pragma once
#include "app/checking/LinkCheck.h"

#include <QString>

#include <cstdint>

class HttpProbe;
class TreeNode;
class TreeView;

// The link checks the user starts from the window: every link in the tree, the links of one
// folder, or the selected link. Each link is read from its shortcut file, probed, moved to
// its redirect target and renamed after its page title where the link allows it, and given
// the picture of its result.

// What a check run needs of the window: the tree it checks, the run's flag (clearing it is
// the stop request), the status text and the commands a run allows, and the one probe that
// Check Link uses.
class CheckRunHost
{
public:
    virtual ~CheckRunHost() = default;
    virtual TreeView& Tree() = 0;
    virtual bool CheckRunning() const = 0;
    virtual void SetCheckRunning(bool running) = 0;
    // The second panel of the status bar.
    virtual void ShowRunText(const QString& text) = 0;
    // Sets the commands for a run that has started, or for the selection once it has ended.
    virtual void RunStarted() = 0;
    virtual void RunFinished() = 0;
    virtual HttpProbe& Probe() = 0;
    // How many probes a run keeps under way.
    virtual CheckRunLimits RunLimits() const { return {}; }
};

// Checks every link of the tree in the tree's order, until done or stopped.
void CheckAllLinks(CheckRunHost& host);
// Checks the links directly inside one folder, not those of its subfolders.
void CheckFolderLinks(CheckRunHost& host, TreeNode* folder);
// Checks the selected link.
void CheckSelectedLink(CheckRunHost& host);

// The picture of a probe's result: 5 no usable reply (-1), 4 broken (404, 410), 6 answered.
void SetNodeStatus(int16_t status, TreeNode* node);
