#pragma once
#include "app/checking/CheckRuns.h"
#include "app/favorites/Clipboard.h"
#include "app/favorites/FavoritesTree.h"
#include "app/settings/WindowPlacement.h"
#include "app/window/Menus.h"
#include "platform/controls/TreeView.h"

#include <QMainWindow>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>

namespace Ui
{
class frmMain;
}
class HttpProbe;
class ImageList;
class QMenu;
class QToolBar;
class StatusBar;

// The program's main window: it owns the controls and the fields the procedures share, and
// wires its events to them.
class frmMain : public QMainWindow, public WindowPlacement
{
    Q_OBJECT
public:
    explicit frmMain(QWidget* parent = nullptr);
    ~frmMain() override;

    // Start-up: one instance only, the settings and the placement, the Favorites tree and
    // its totals. False when the program is to end at once without showing the window.
    bool Load();

    // The window's outer placement in twips, as the settings store it. Setting one value
    // moves or resizes the window at once.
    double Left() const override;
    double Top() const override;
    double Width() const override;
    double Height() const override;
    void SetLeft(double twips) override;
    void SetTop(double twips) override;
    void SetWidth(double twips) override;
    void SetHeight(double twips) override;
    bool IsOnScreen() const override;
    double ScreenWidth() const override;
    double ScreenHeight() const override;

    // Shows a pop-up menu for the selected node at a screen position without waiting for it
    // to close.
    void ShowPopupMenu(QMenu* menu, const QPoint& position);
    // Before a pop-up menu's command runs: selects the node the menu was shown for again.
    // False when that node has left the tree meanwhile, and the command has nothing to act on.
    bool SelectPopupNode();

    // Menus: the four on the menu bar and the two pop-ups, each with its items by index.
    QMenu* mnuFile = nullptr;
    QMenu* mnuEdit = nullptr;
    QMenu* mnuLinks = nullptr;
    QMenu* mnuHelp = nullptr;
    QMenu* mnuNode = nullptr;
    QMenu* mnuFolder = nullptr;
    MenuItems mnuFileMenu;
    MenuItems mnuEditMenu;
    MenuItems mnuLinksMenu;
    MenuItems mnuHelpMenu;
    MenuItems mnuNodePopup;
    MenuItems mnuFolderPopup;
    QMenu* LastPopupMenu = nullptr; // the pop-up shown last, for tests

    // Controls.
    QToolBar* tbToolbar = nullptr;
    ToolbarButtons tbButtons;
    TreeView* tvFolders = nullptr;
    StatusBar* sbStatus = nullptr;
    std::unique_ptr<ImageList> Images;
    HttpProbe* Probe = nullptr; // Check Link's probe, with its connection wsHttp and time-out XMLTimer

    // Shared fields.
    FavoritesFolder Favorites; // the Favorites folder and the totals of the last load
    bool CheckRunning = false;
    Clipboard Clip; // the program's own clipboard: nothing until the first copy or cut
    // What a check run shows in this window.
    CheckRunHost& RunHost() { return *RunHost_; }

    // Enables "&Paste" (index 6) of the link pop-up menu once something has been copied or cut.
    void EnablePasteCommand(bool enabled);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // Lays the tree out between the tool bar and the status bar; with zeroWidthTest, nothing
    // happens while the window is minimised.
    void Resize(bool zeroWidthTest = true);
    // Opens the help file (F1) with the desktop's viewer.
    void ShowHelp();
    // Whether the window may close now: not while a check run uses it.
    bool QueryUnload() const;
    // Saves the settings as the window closes; a failure is logged and the window closes all the same.
    void Unload();

    // The outer size asked for while the window's frame was not known yet (before it is shown
    // and decorated): the window reports it until the frame is known, then takes it exactly.
    void ApplyWantedOuterSize();

    std::unique_ptr<Ui::frmMain> ui;
    std::unique_ptr<CheckRunHost> RunHost_;
    std::optional<int> WantedOuterWidth_;
    std::optional<int> WantedOuterHeight_;
    QSize SizeForWanted_; // the inner size set for the wanted outer size
    std::optional<NodeRef> PopupNode_; // the node of the pop-up shown last
};
