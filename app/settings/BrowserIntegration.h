#pragma once
#include <QString>

// The browser's toolbar button and Tools-menu entry that start the program: one key per
// extension below the current user's browser "Extensions" key, named by a new GUID, which the
// program's settings remember as "ToolMenubarGUID" or "ToolMenuGUID" so it can be removed.

// Whether a browser of this version takes such extensions: its major number is 5 or more.
bool BrowserTakesExtensions(const QString& version);

// Installs (true) or removes (false) the toolbar button. Returns whether the button is
// installed afterwards: an install fails, writing nothing, when no GUID can be made.
bool SetToolbarButton(bool enable);

// Installs or removes the Tools-menu entry; returns whether it is installed afterwards.
bool SetToolsMenuEntry(bool enable);
