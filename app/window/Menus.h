#pragma once
#include <QKeySequence>
#include <QString>

#include <vector>

class QAction;
class QMenu;
class QToolBar;
class frmMain;

// What a menu item or tool bar button runs.
enum class Command
{
    None, // separators, and keys no button has
    Exit,
    Cut,
    Copy,
    Paste,
    NewFolder,
    NewFavorite,
    Delete,
    Rename,
    Find,
    Options,
    CheckAllLinks,
    CheckThisLink,
    CheckDirectory,
    StopChecking,
    LaunchLink,
    Refresh,
    LinkProperties, // the Links menu's Properties: only for a link
    Properties,     // the node pop-up's Properties
    HelpTopics,
    About,
    Vendor,
};

// The items of one menu, addressed by their 1-based index as the commands know them.
class MenuItems
{
public:
    QMenu* Menu = nullptr;
    QAction* Item(int index) const;
    int Count() const { return static_cast<int>(items_.size()); }
    void Add(QAction* item) { items_.push_back(item); }

private:
    std::vector<QAction*> items_;
};

// The tool bar's buttons, separators included, addressed by 1-based index or by key.
class ToolbarButtons
{
public:
    QAction* Button(int index) const;
    QAction* Button(const QString& key) const;
    int Count() const { return static_cast<int>(buttons_.size()); }
    void Add(QAction* button) { buttons_.push_back(button); }

private:
    std::vector<QAction*> buttons_;
};

// One row of a menu's table: its caption ("-" for a separator), shortcut and command.
struct MenuEntry
{
    const char* Caption;
    QKeySequence Shortcut;
    Command Run;
};

// One row of the tool bar's table: key (empty for a separator), tool tip, picture, command.
struct ButtonEntry
{
    const char* Key;
    const char* ToolTip;
    int Picture;
    Command Run;
};

// The six menus and the tool bar, in the order of their indexes.
const std::vector<MenuEntry>& FileMenuEntries();
const std::vector<MenuEntry>& EditMenuEntries();
const std::vector<MenuEntry>& LinksMenuEntries();
const std::vector<MenuEntry>& HelpMenuEntries();
const std::vector<MenuEntry>& NodePopupEntries();
const std::vector<MenuEntry>& FolderPopupEntries();
const std::vector<ButtonEntry>& ToolbarEntries();

// Builds the menu bar, the two pop-up menus and the tool bar of the main window, each click
// dispatched to its command.
void BuildMenus(frmMain& Main);
void BuildToolbar(frmMain& Main);
