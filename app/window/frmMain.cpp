#include "app/window/frmMain.h"

#include "ui_frmMain.h"

#include "app/checking/HttpProbe.h"
#include "app/favorites/FavoritesTree.h"
#include "app/forms/Pictures.h"
#include "app/settings/AppSettings.h"
#include "app/settings/Common.h"
#include "app/window/CommandState.h"
#include "app/window/TreeEvents.h"
#include "platform/controls/ImageList.h"
#include "platform/controls/StatusBar.h"
#include "platform/controls/TreeView.h"
#include "platform/desktop/Application.h"
#include "platform/desktop/EndOfSession.h"
#include "platform/desktop/MessageBox.h"
#include "platform/desktop/Screen.h"
#include "platform/runtime/ErrorRecord.h"
#include "platform/win32/AnsiCodePage.h"
#include "platform/win32/ShellExecute.h"

#include <QAction>
#include <QCloseEvent>
#include <QMenu>
#include <QResizeEvent>
#include <QShortcut>
#include <QTimer>
#include <QToolBar>

#include <algorithm>

namespace
{
constexpr double DesignedClientWidth = 4335;
constexpr double DesignedClientHeight = 6435;

// What a check run shows in the main window: the pictures in its tree, the run's text in the
// status bar's second panel, and the commands a run allows.
class WindowRunHost : public CheckRunHost
{
public:
    explicit WindowRunHost(frmMain& main) : Main(main) {}

    TreeView& Tree() override { return *Main.tvFolders; }
    bool CheckRunning() const override { return Main.CheckRunning; }
    void SetCheckRunning(bool running) override { Main.CheckRunning = running; }
    void ShowRunText(const QString& text) override { Main.sbStatus->SetPanelText(2, text); }
    void RunStarted() override { UpdateCommandState(Main, CheckStarted); }
    void RunFinished() override { UpdateCommandState(Main, CheckFinished); }
    HttpProbe& Probe() override { return *Main.Probe; }

private:
    frmMain& Main;
};
} // namespace

frmMain::frmMain(QWidget* parent) : QMainWindow(parent), ui(std::make_unique<Ui::frmMain>())
{
    ui->setupUi(this);
    tbToolbar = ui->tbToolbar;
    tvFolders = ui->tvFolders;
    sbStatus = ui->sbStatus;
    Images = Pictures::CreateImages();
    tvFolders->SetImageList(Images.get());
    RunHost_ = std::make_unique<WindowRunHost>(*this);
    setWindowIcon(Pictures::Icon(Pictures::CheckAll));
    ui->ClientArea->installEventFilter(this);
    connect(new QShortcut(QKeySequence(Qt::Key_F1), this), &QShortcut::activated, this, [this] { ShowHelp(); });
    BuildMenus(*this);
    BuildToolbar(*this);

    connect(tvFolders, &TreeView::AfterLabelEdit, this,
            [this](TreeNode* node, const QString& newString) { tvFolders_AfterLabelEdit(*this, node, newString); });
    connect(tvFolders, &QTreeWidget::itemCollapsed, this,
            [this](QTreeWidgetItem* item) { tvFolders_Collapse(*this, static_cast<TreeNode*>(item)); });
    connect(tvFolders, &QTreeWidget::itemExpanded, this,
            [this](QTreeWidgetItem* item) { tvFolders_Expand(*this, static_cast<TreeNode*>(item)); });
    connect(tvFolders, &TreeView::NodeClick, this, [this](TreeNode* node) { tvFolders_NodeClick(*this, node); });
    connect(tvFolders, &TreeView::MouseUp, this,
            [this](Qt::MouseButton button, const QPoint& position) { tvFolders_MouseUp(*this, button, position); });
    connect(tvFolders, &TreeView::DblClick, this, [this] { tvFolders_DblClick(*this); });

    // Check Link's probe: its connection and its time-out.
    Probe = new HttpProbe(this);

    // The designed client area, 4335 by 6435 twips.
    const int clientWidth = qRound(DesignedClientWidth / desktop::Screen::TwipsPerPixelX());
    const int clientHeight = qRound(DesignedClientHeight / desktop::Screen::TwipsPerPixelY());
    const int menuHeight = menuWidget() ? menuWidget()->sizeHint().height() : 0;
    resize(clientWidth, clientHeight + menuHeight);
}

frmMain::~frmMain() = default;

bool frmMain::Load()
{
    if (desktop::App::PrevInstance())
        return false;
    desktop::App::SetHelpFile(desktop::App::Path() + QStringLiteral("/Strandmoor.chm"));
    Resize(false);
    Favorites.FolderCount = 1;
    Favorites.FavoritesPath = LoadAppSettings(*this);
    if (Favorites.FavoritesPath.isEmpty()) {
        desktop::MsgBox(QStringLiteral("Cannot Find Favorites Folder"), desktop::vbOKOnly,
                        QStringLiteral("Favorites Not Found"));
        return false;
    }
    LoadFavoritesTree(*tvFolders, Favorites);
    // A logout, a shutdown or a kill ends the program without closing the window: the
    // settings are saved as a close saves them.
    desktop::OnEndOfSession([this] { Unload(); });
    UpdateCommandState(*this, RootSelected);
    sbStatus->SetPanelText(1, TotalsText(Favorites.LinkCount, Favorites.FolderCount));
    return true;
}

double frmMain::Left() const
{
    return frameGeometry().x() * desktop::Screen::TwipsPerPixelX();
}

double frmMain::Top() const
{
    return frameGeometry().y() * desktop::Screen::TwipsPerPixelY();
}

double frmMain::Width() const
{
    return WantedOuterWidth_.value_or(frameGeometry().width()) * desktop::Screen::TwipsPerPixelX();
}

double frmMain::Height() const
{
    return WantedOuterHeight_.value_or(frameGeometry().height()) * desktop::Screen::TwipsPerPixelY();
}

void frmMain::SetLeft(double twips)
{
    move(qRound(twips / desktop::Screen::TwipsPerPixelX()), frameGeometry().y());
}

void frmMain::SetTop(double twips)
{
    move(frameGeometry().x(), qRound(twips / desktop::Screen::TwipsPerPixelY()));
}

void frmMain::SetWidth(double twips)
{
    const int outer = qRound(twips / desktop::Screen::TwipsPerPixelX());
    const int frame = frameGeometry().width() - width();
    // Before the window is decorated its frame reads 0; the outer size is then kept and
    // taken once the frame is known, or the frame would be added to it at every start. The
    // size it has already (the designed one, on a first start) is kept as it is.
    WantedOuterWidth_.reset();
    if (frame <= 0 && outer == width())
        return;
    if (frame <= 0)
        WantedOuterWidth_ = outer;
    resize(std::max(1, outer - frame), height());
    SizeForWanted_ = size();
}

void frmMain::SetHeight(double twips)
{
    const int outer = qRound(twips / desktop::Screen::TwipsPerPixelY());
    const int frame = frameGeometry().height() - height();
    WantedOuterHeight_.reset();
    if (frame <= 0 && outer == height())
        return;
    if (frame <= 0)
        WantedOuterHeight_ = outer;
    resize(width(), std::max(1, outer - frame));
    SizeForWanted_ = size();
}

void frmMain::ApplyWantedOuterSize()
{
    if (!WantedOuterWidth_ && !WantedOuterHeight_)
        return;
    // Resized since by the user or the window manager: what they chose stands.
    if (size() != SizeForWanted_) {
        WantedOuterWidth_.reset();
        WantedOuterHeight_.reset();
        return;
    }
    const int frameWidth = frameGeometry().width() - width();
    const int frameHeight = frameGeometry().height() - height();
    if (frameWidth <= 0 && frameHeight <= 0)
        return;
    const int newWidth = WantedOuterWidth_ ? std::max(1, *WantedOuterWidth_ - frameWidth) : width();
    const int newHeight = WantedOuterHeight_ ? std::max(1, *WantedOuterHeight_ - frameHeight) : height();
    WantedOuterWidth_.reset();
    WantedOuterHeight_.reset();
    resize(newWidth, newHeight);
}

bool frmMain::event(QEvent* event)
{
    const bool handled = QMainWindow::event(event);
    // The frame becomes known when the window manager has decorated the window, which it
    // tells by moving or resizing it.
    switch (event->type()) {
    case QEvent::Show:
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::WindowActivate:
        ApplyWantedOuterSize();
        break;
    default:
        break;
    }
    return handled;
}

bool frmMain::IsOnScreen() const
{
    return desktop::Screen::IsOnAnyScreen(frameGeometry());
}

double frmMain::ScreenWidth() const
{
    return desktop::Screen::Width();
}

double frmMain::ScreenHeight() const
{
    return desktop::Screen::Height();
}

bool frmMain::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui->ClientArea && event->type() == QEvent::Resize)
        Resize();
    return QMainWindow::eventFilter(watched, event);
}

void frmMain::closeEvent(QCloseEvent* event)
{
    if (!QueryUnload()) {
        event->ignore();
        return;
    }
    Unload();
    event->accept();
    // The find dialog stays open beside the window; it goes with it, so the program ends.
    for (QWidget* window : findChildren<QWidget*>()) {
        if (window->isWindow() && window->isVisible())
            window->close();
    }
}

void frmMain::EnablePasteCommand(bool enabled)
{
    if (QAction* paste = mnuNodePopup.Item(6))
        paste->setEnabled(enabled);
}

void frmMain::ShowPopupMenu(QMenu* menu, const QPoint& position)
{
    LastPopupMenu = menu;
    PopupNode_ = NodeRef(tvFolders->SelectedItem());

    menu->popup(position);
}

bool frmMain::SelectPopupNode()
{
    if (!PopupNode_)
        return true;
    TreeNode* node = PopupNode_->get();
    if (!node)
        return false;
    if (tvFolders->SelectedItem() != node)
        node->SetSelected(true);
    return true;
}

void frmMain::ShowHelp()
{
    const std::string helpFile = win32::UnicodeToAnsi(desktop::App::HelpFile().toStdU16String());
    win32::ShellExecuteA(0, "open", helpFile.c_str(), nullptr, nullptr, win32::SW_SHOWNORMAL);
}

bool frmMain::QueryUnload() const
{
    return !CheckRunning;
}

void frmMain::Unload()
{
    try {
        SaveAppSettings(*this);
    } catch (const runtime::Error& error) {
        LogError(error);
    }
}

void frmMain::Resize(bool zeroWidthTest)
{
    const int width = ui->ClientArea->width();
    const int height = ui->ClientArea->height();
    if (zeroWidthTest && width == 0)
        return;
    const int toolbarHeight = tbToolbar->sizeHint().height();
    const int statusHeight = sbStatus->sizeHint().height();
    tbToolbar->setGeometry(0, 0, width, toolbarHeight);
    sbStatus->setGeometry(0, height - statusHeight, width, statusHeight);
    // A window too small for both bars leaves the tree no room rather than a negative height.
    tvFolders->setGeometry(0, toolbarHeight, width, std::max(0, height - toolbarHeight - statusHeight));
}
