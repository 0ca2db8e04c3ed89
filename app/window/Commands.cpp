#include "app/window/Commands.h"

#include "app/checking/CheckRuns.h"
#include "app/favorites/Clipboard.h"
#include "app/favorites/FavoritesTree.h"
#include "app/favorites/LaunchLink.h"
#include "app/favorites/frmFind.h"
#include "app/favorites/frmNewFavorite.h"
#include "app/favorites/frmNewFolder.h"
#include "app/settings/Common.h"
#include "app/settings/frmAbout.h"
#include "app/settings/frmOptions.h"
#include "app/window/frmMain.h"
#include "platform/controls/TreeView.h"
#include "platform/desktop/Application.h"
#include "platform/win32/AnsiCodePage.h"
#include "platform/win32/ShellExecute.h"

#include <QAction>

namespace
{
std::function<void(Command)>& Recorder()
{
    static std::function<void(Command)> recorder;
    return recorder;
}

Command CommandAt(const std::vector<MenuEntry>& entries, int index)
{
    if (index < 1 || index > static_cast<int>(entries.size()))
        return Command::None;
    return entries[static_cast<size_t>(index - 1)].Run;
}
} // namespace

void SetCommandRecorder(std::function<void(Command)> recorder)
{
    Recorder() = std::move(recorder);
}

void mnuFileMenu_Click(frmMain& Main, int index)
{
    RunCommand(Main, CommandAt(FileMenuEntries(), index));
}

void mnuEditMenu_Click(frmMain& Main, int index)
{
    RunCommand(Main, CommandAt(EditMenuEntries(), index));
}

void mnuLinksMenu_Click(frmMain& Main, int index)
{
    RunCommand(Main, CommandAt(LinksMenuEntries(), index));
}

void mnuHelpMenu_Click(frmMain& Main, int index)
{
    RunCommand(Main, CommandAt(HelpMenuEntries(), index));
}

void mnuNodePopup_Click(frmMain& Main, int index)
{
    if (Main.SelectPopupNode())
        RunCommand(Main, CommandAt(NodePopupEntries(), index));
}

void mnuFolderPopup_Click(frmMain& Main, int index)
{
    if (Main.SelectPopupNode())
        RunCommand(Main, CommandAt(FolderPopupEntries(), index));
}

void tbToolbar_ButtonClick(frmMain& Main, const QAction* button)
{
    const QString key = button ? button->objectName() : QString();
    for (const ButtonEntry& entry : ToolbarEntries()) {
        if (!key.isEmpty() && key == QString::fromUtf8(entry.Key)) {
            RunCommand(Main, entry.Run);
            return;
        }
    }
}

void RunCommand(frmMain& Main, Command command)
{
    if (command == Command::None)
        return;
    TreeNode* selected = Main.tvFolders->SelectedItem();
    // The Links menu's Properties is for links only; for a folder it does nothing.
    if (command == Command::LinkProperties) {
        if (!selected || IsFolderNode(selected))
            return;
        command = Command::Properties;
    }
    if (Recorder()) {
        Recorder()(command);
        return;
    }
    switch (command) {
    case Command::Cut:
        CutNode(*Main.tvFolders, Main.Clip);
        Main.EnablePasteCommand(true);
        break;
    case Command::Copy:
        CopyNode(*Main.tvFolders, Main.Clip);
        Main.EnablePasteCommand(true);
        break;
    case Command::Paste:
        PasteNode(*Main.tvFolders, Main.Clip, Main.Favorites);
        break;
    case Command::Delete:
        DeleteNode(*Main.tvFolders, Main.Clip, Main.Favorites);
        break;
    case Command::NewFolder: {
        frmNewFolder dialog(*Main.tvFolders, &Main);
        dialog.exec();
        break;
    }
    case Command::NewFavorite: {
        frmNewFavorite dialog(*Main.tvFolders, &Main);
        dialog.exec();
        break;
    }
    case Command::Find:
        ShowFindDialog(*Main.tvFolders, &Main);
        break;
    case Command::Options: {
        frmOptions dialog(*Main.tvFolders, OptionsMode::Options, &Main);
        dialog.exec();
        break;
    }
    case Command::Properties: {
        frmOptions dialog(*Main.tvFolders, OptionsMode::Properties, &Main);
        dialog.exec();
        break;
    }
    case Command::CheckAllLinks:
        CheckAllLinks(Main.RunHost());
        break;
    case Command::CheckThisLink:
        CheckSelectedLink(Main.RunHost());
        break;
    case Command::CheckDirectory:
        if (selected)
            CheckFolderLinks(Main.RunHost(), selected);
        break;
    case Command::LaunchLink:
        LaunchLink(*Main.tvFolders);
        break;
    case Command::About: {
        frmAbout dialog(&Main);
        dialog.exec();
        break;
    }
    case Command::Exit:
        Main.close();
        break;
    case Command::Rename:
        Main.tvFolders->StartLabelEdit();
        break;
    case Command::StopChecking:
        Main.CheckRunning = false;
        break;
    case Command::Refresh:
        RefreshTree(*Main.tvFolders, Main.Favorites);
        break;
    case Command::HelpTopics:
        OpenThroughShell(desktop::App::Path() + QStringLiteral("/Strandmoor.chm"));
        break;
    case Command::Vendor:
        OpenThroughShell(VendorAddress());
        break;
    case Command::None:
    case Command::LinkProperties:
        break;
    }
}
