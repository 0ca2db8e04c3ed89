#pragma once
#include "app/settings/WindowPlacement.h"
#include "app/window/Menus.h"

#include <QMainWindow>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>

namespace Ui
{
class frmMain;
}
class ImageList;
class QMenu;
class QToolBar;
class QTcpSocket;
class QTimer;
class StatusBar;
class TreeView;

// What copy or cut remembered of a node: its key (for a link, the path of its file), text and
// pictures, kept after the node itself has left the tree.
struct ClippedNode
{
    QString Key;
    QString Text;
    int Image = 0;
    int SelectedImage = 0;
};

// The state of the one link probe, shared by the probe and the socket and timer handlers.
struct ProbeState
{
    QString ProbeHost;          // host of the URL being probed, without its port
    QString ProbePath;          // request path: from the first "/" after the host to the end
    QString ReplyText;          // what the server has sent so far, one character per byte
    bool ReplyDone = false;     // the server closed the connection
    bool ReplyTimedOut = false; // the link's time-out elapsed
    bool Waiting = false;       // a probe is waiting for its reply; no other may start
};

// What a paste does with the remembered item.
enum class ClipModes
{
    Copy,
    Move,
};

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

    // Shows a pop-up menu at a screen position without waiting for it to close.
    void ShowPopupMenu(QMenu* menu, const QPoint& position);

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
    QTcpSocket* wsHttp = nullptr; // the link probe's connection
    QTimer* XMLTimer = nullptr;   // the link probe's time-out, disabled between probes

    // Shared fields.
    QString FavoritesPath;
    int16_t LinkCount = 0;
    int16_t FolderCount = 0;
    int16_t LinkTimeout = 0; // reply time-out of the link read last
    bool LinkRename = false; // a check may change the link read last
    bool CheckRunning = false;
    ProbeState Probe;
    // The program's own clipboard: nothing until the first copy or cut.
    std::optional<ClippedNode> ClipNode;
    ClipModes ClipMode = ClipModes::Move;

    // Enables "&Paste" (index 6) of the link pop-up menu once something has been copied or cut.
    void EnablePasteCommand(bool enabled);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
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

    std::unique_ptr<Ui::frmMain> ui;
};
