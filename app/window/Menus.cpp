#include "app/window/Menus.h"

#include "app/forms/Pictures.h"
#include "app/window/Commands.h"
#include "app/window/frmMain.h"
#include "platform/controls/ImageList.h"

#include <QAction>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

QAction* MenuItems::Item(int index) const
{
    if (index < 1 || index > Count())
        return nullptr;
    return items_[static_cast<size_t>(index - 1)];
}

QAction* ToolbarButtons::Button(int index) const
{
    if (index < 1 || index > Count())
        return nullptr;
    return buttons_[static_cast<size_t>(index - 1)];
}

QAction* ToolbarButtons::Button(const QString& key) const
{
    for (QAction* button : buttons_) {
        if (!key.isEmpty() && button->objectName() == key)
            return button;
    }
    return nullptr;
}

const std::vector<MenuEntry>& FileMenuEntries()
{
    static const std::vector<MenuEntry> entries = {
        {"E&xit", {}, Command::Exit},
    };
    return entries;
}

const std::vector<MenuEntry>& EditMenuEntries()
{
    static const std::vector<MenuEntry> entries = {
        {"C&ut", QKeySequence(Qt::CTRL | Qt::Key_X), Command::Cut},
        {"&Copy", QKeySequence(Qt::CTRL | Qt::Key_C), Command::Copy},
        {"&Paste", QKeySequence(Qt::CTRL | Qt::Key_V), Command::Paste},
        {"-", {}, Command::None},
        {"New &Folder", {}, Command::NewFolder},
        {"&New Favorite", {}, Command::NewFavorite},
        {"-", {}, Command::None},
        {"&Delete", QKeySequence(Qt::Key_Delete), Command::Delete},
        {"&Rename", {}, Command::Rename},
        {"-", {}, Command::None},
        {"Find", QKeySequence(Qt::CTRL | Qt::Key_F), Command::Find},
        {"-", {}, Command::None},
        {"&Options", {}, Command::Options},
    };
    return entries;
}

const std::vector<MenuEntry>& LinksMenuEntries()
{
    static const std::vector<MenuEntry> entries = {
        {"Check &All Links", {}, Command::CheckAllLinks},
        {"Check &This Link", {}, Command::CheckThisLink},
        {"Check Links in This &Directory", {}, Command::CheckDirectory},
        {"&Stop Checking", {}, Command::StopChecking},
        {"-", {}, Command::None},
        {"&Launch Link", {}, Command::LaunchLink},
        {"-", {}, Command::None},
        {"&Refresh", QKeySequence(Qt::Key_F5), Command::Refresh},
        {"-", {}, Command::None},
        {"&Properties", {}, Command::LinkProperties},
    };
    return entries;
}

const std::vector<MenuEntry>& HelpMenuEntries()
{
    static const std::vector<MenuEntry> entries = {
        {"&Help Topics", {}, Command::HelpTopics},
        {"-", {}, Command::None},
        {"&About Strandmoor", {}, Command::About},
        {"&Orrindale Software", {}, Command::Vendor},
    };
    return entries;
}

const std::vector<MenuEntry>& NodePopupEntries()
{
    static const std::vector<MenuEntry> entries = {
        {"&Check Link", {}, Command::CheckThisLink},
        {"&Launch Link", {}, Command::LaunchLink},
        {"-", {}, Command::None},
        {"Cu&t", {}, Command::Cut},
        {"&Copy", {}, Command::Copy},
        {"&Paste", {}, Command::Paste},
        {"-", {}, Command::None},
        {"New Folder", {}, Command::NewFolder},
        {"New Favorite", {}, Command::NewFavorite},
        {"-", {}, Command::None},
        {"&Delete", {}, Command::Delete},
        {"&Rename", {}, Command::Rename},
        {"-", {}, Command::None},
        {"&Properties", {}, Command::Properties},
    };
    return entries;
}

const std::vector<MenuEntry>& FolderPopupEntries()
{
    static const std::vector<MenuEntry> entries = {
        {"Check Links in This &Directory", {}, Command::CheckDirectory},
        {"-", {}, Command::None},
        {"Cu&t", {}, Command::Cut},
        {"&Copy", {}, Command::Copy},
        {"&Paste", {}, Command::Paste},
        {"-", {}, Command::None},
        {"New Folder", {}, Command::NewFolder},
        {"New Favorite", {}, Command::NewFavorite},
        {"-", {}, Command::None},
        {"&Delete", {}, Command::Delete},
        {"&Rename", {}, Command::Rename},
    };
    return entries;
}

const std::vector<ButtonEntry>& ToolbarEntries()
{
    static const std::vector<ButtonEntry> entries = {
        {"", "", 0, Command::None},
        {"CheckAll", "Check All Links", Pictures::CheckAll, Command::CheckAllLinks},
        {"CheckOne", "Check Highlighted Link", Pictures::CheckOne, Command::CheckThisLink},
        {"CheckDir", "Check Links in this Directory", Pictures::CheckFolder, Command::CheckDirectory},
        {"StopChecking", "Stop Checking Links", Pictures::Stop, Command::StopChecking},
        {"", "", 0, Command::None},
        {"LaunchLink", "Launch Highlighted Link", Pictures::Launch, Command::LaunchLink},
        {"Find", "Find Favorite", Pictures::Find, Command::Find},
        {"", "", 0, Command::None},
        {"Cut", "Cut", Pictures::Cut, Command::Cut},
        {"Copy", "Copy", Pictures::Copy, Command::Copy},
        {"Paste", "Paste", Pictures::Paste, Command::Paste},
        {"Delete", "Delete", Pictures::Delete, Command::Delete},
        {"", "", 0, Command::None},
        {"Help", "Strandmoor Help", Pictures::Help, Command::HelpTopics},
    };
    return entries;
}

namespace
{
// Fills one menu from its table; a click hands the item's index to `click`.
void Fill(frmMain& Main, MenuItems& items, QMenu* menu, const std::vector<MenuEntry>& entries,
          void (*click)(frmMain&, int))
{
    items.Menu = menu;
    int index = 0;
    for (const MenuEntry& entry : entries) {
        ++index;
        QAction* item = nullptr;
        if (QString::fromUtf8(entry.Caption) == QStringLiteral("-")) {
            item = menu->addSeparator();
        } else {
            item = menu->addAction(QString::fromUtf8(entry.Caption));
            if (!entry.Shortcut.isEmpty()) {
                item->setShortcut(entry.Shortcut);
                item->setShortcutContext(Qt::WindowShortcut);
            }
            QObject::connect(item, &QAction::triggered, &Main, [&Main, click, index] { click(Main, index); });
        }
        items.Add(item);
    }
}
} // namespace

void BuildMenus(frmMain& Main)
{
    QMenuBar* bar = Main.menuBar();
    Main.mnuFile = bar->addMenu(QStringLiteral("&File"));
    Main.mnuEdit = bar->addMenu(QStringLiteral("&Edit"));
    Main.mnuLinks = bar->addMenu(QStringLiteral("&Links"));
    Main.mnuHelp = bar->addMenu(QStringLiteral("&Help"));
    Main.mnuFile->setObjectName(QStringLiteral("mnuFile"));
    Main.mnuEdit->setObjectName(QStringLiteral("mnuEdit"));
    Main.mnuLinks->setObjectName(QStringLiteral("mnuLinks"));
    Main.mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
    // The pop-ups live beside the menu bar, never on it.
    Main.mnuNode = new QMenu(QStringLiteral("Node"), &Main);
    Main.mnuFolder = new QMenu(QStringLiteral("Folder"), &Main);
    Main.mnuNode->setObjectName(QStringLiteral("mnuNode"));
    Main.mnuFolder->setObjectName(QStringLiteral("mnuFolder"));

    Fill(Main, Main.mnuFileMenu, Main.mnuFile, FileMenuEntries(), mnuFileMenu_Click);
    Fill(Main, Main.mnuEditMenu, Main.mnuEdit, EditMenuEntries(), mnuEditMenu_Click);
    Fill(Main, Main.mnuLinksMenu, Main.mnuLinks, LinksMenuEntries(), mnuLinksMenu_Click);
    Fill(Main, Main.mnuHelpMenu, Main.mnuHelp, HelpMenuEntries(), mnuHelpMenu_Click);
    Fill(Main, Main.mnuNodePopup, Main.mnuNode, NodePopupEntries(), mnuNodePopup_Click);
    Fill(Main, Main.mnuFolderPopup, Main.mnuFolder, FolderPopupEntries(), mnuFolderPopup_Click);
    Main.mnuNode->setDefaultAction(Main.mnuNodePopup.Item(1));
    Main.mnuFolder->setDefaultAction(Main.mnuFolderPopup.Item(1));
}

namespace
{
constexpr int ToolButtonPadding = 7;
} // namespace

void BuildToolbar(frmMain& Main)
{
    QToolBar* bar = Main.tbToolbar;
    bar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    bar->layout()->setSpacing(0);
    for (const ButtonEntry& entry : ToolbarEntries()) {
        const QString key = QString::fromUtf8(entry.Key);
        QAction* button = nullptr;
        if (key.isEmpty()) {
            button = bar->addSeparator();
        } else {
            button = bar->addAction(Main.Images->Image(entry.Picture), QString());
            button->setObjectName(key);
            // Eleven buttons and four separators fit the designed width only with buttons a
            // little narrower than the style's own: otherwise Help goes into the overflow menu.
            if (QWidget* item = bar->widgetForAction(button))
                item->setFixedWidth(bar->iconSize().width() + ToolButtonPadding);
            button->setToolTip(QString::fromUtf8(entry.ToolTip));
            QObject::connect(button, &QAction::triggered, &Main, [&Main, button] { tbToolbar_ButtonClick(Main, button); });
        }
        Main.tbButtons.Add(button);
    }
}
