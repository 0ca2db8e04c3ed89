#pragma once
#include <QMainWindow>
#include <QString>

#include <cstdint>
#include <memory>

namespace Ui
{
class frmMain;
}
class ImageList;
class QToolBar;
class StatusBar;
class TreeView;

// The program's main window: it owns the controls and the fields the procedures share, and
// wires its events to them.
class frmMain : public QMainWindow
{
    Q_OBJECT
public:
    explicit frmMain(QWidget* parent = nullptr);
    ~frmMain() override;

    // Start-up: finds the Favorites folder, loads the tree and shows the totals.
    void Load();

    // Controls.
    QToolBar* tbToolbar = nullptr;
    TreeView* tvFolders = nullptr;
    StatusBar* sbStatus = nullptr;
    std::unique_ptr<ImageList> Images;

    // Shared fields.
    QString FavoritesPath;
    int16_t LinkCount = 0;
    int16_t FolderCount = 0;
    bool CheckRunning = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // Lays the tree out between the tool bar and the status bar.
    void Resize();

    std::unique_ptr<Ui::frmMain> ui;
};
