#pragma once

class frmMain;

// What just happened, for deciding which commands may be used.
enum CommandContext : int
{
    RootSelected = 1,
    LinkSelected = 2,
    FolderSelected = 3,
    CheckStarted = 4,
    CheckFinished = 5,
};

// Enables and disables the menus and tool bar buttons for the context.
void UpdateCommandState(frmMain& Main, CommandContext context);
