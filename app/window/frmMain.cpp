#include "app/window/frmMain.h"

#include "ui_frmMain.h"

#include "app/favorites/FavoritesTree.h"
#include "app/forms/Pictures.h"
#include "platform/controls/ImageList.h"
#include "platform/controls/StatusBar.h"
#include "platform/controls/TreeView.h"

#include <QCloseEvent>
#include <QDir>
#include <QResizeEvent>
#include <QToolBar>

#include <algorithm>

frmMain::frmMain(QWidget* parent) : QMainWindow(parent), ui(std::make_unique<Ui::frmMain>())
{
    ui->setupUi(this);
    tbToolbar = ui->tbToolbar;
    tvFolders = ui->tvFolders;
    sbStatus = ui->sbStatus;
    Images = Pictures::CreateImages();
    setWindowIcon(Pictures::Icon(Pictures::CheckAll));
    ui->ClientArea->installEventFilter(this);
}

frmMain::~frmMain() = default;

void frmMain::Load()
{
    // The Favorites folder of the user's profile, made when the profile has none yet.
    FavoritesPath = QDir::homePath() + QStringLiteral("/Favorites");
    QDir().mkpath(FavoritesPath);
    FolderCount = 1;
    LoadFavoritesTree(*this);
    sbStatus->SetPanelText(1, TotalsText(LinkCount, FolderCount));
}

bool frmMain::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui->ClientArea && event->type() == QEvent::Resize)
        Resize();
    return QMainWindow::eventFilter(watched, event);
}

void frmMain::closeEvent(QCloseEvent* event)
{
    // No window may close while a check run still uses the tree and the socket.
    if (CheckRunning) {
        event->ignore();
        return;
    }
    event->accept();
}

void frmMain::Resize()
{
    const int width = ui->ClientArea->width();
    const int height = ui->ClientArea->height();
    if (width == 0)
        return;
    const int toolbarHeight = tbToolbar->sizeHint().height();
    const int statusHeight = sbStatus->sizeHint().height();
    tbToolbar->setGeometry(0, 0, width, toolbarHeight);
    sbStatus->setGeometry(0, height - statusHeight, width, statusHeight);
    tvFolders->setGeometry(0, toolbarHeight, width, std::max(0, height - toolbarHeight - statusHeight));
}
