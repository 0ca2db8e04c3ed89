#pragma once
#include <QDialog>
#include <QString>

#include "platform/controls/TreeView.h"

#include <cstdint>
#include <memory>

namespace Ui
{
class frmOptions;
}
class TreeView;
class QCheckBox;
class QLineEdit;
class QPushButton;
class QSlider;
class QTabWidget;

// How the options dialog is opened: for the global options only, with the favorite's page
// unavailable, or for the properties of the selected favorite, with its page selected.
enum class OptionsMode
{
    Options,
    Properties,
};

// The options dialog. Page "Defaults" edits AppSettings and the browser integration; page
// "Preferences" edits the selected favorite's own time-out, rename switch and URL in its
// shortcut file. Open it with exec(); the main window reads nothing back.
class frmOptions : public QDialog
{
    Q_OBJECT
public:
    // For Properties, the favorite is the tree's selected node when the dialog opens.
    frmOptions(TreeView& tree, OptionsMode mode, QWidget* parent = nullptr);
    ~frmOptions() override;

    // The controls, by their names; arrays by their index.
    QTabWidget* PrefTab() const;
    QSlider* TimeoutSlider(int index) const;
    QCheckBox* chkNameChange(int index) const;
    QCheckBox* chkAddToIE() const;
    QCheckBox* chkAddToToolbar() const;
    QLineEdit* txtLink() const;
    QLineEdit* txtURL() const;
    // 0 OK, 1 Cancel, 2 Default.
    QPushButton* btnButtons(int index) const;

    // Fills the favorite's page from its shortcut file. Runs when the dialog is first shown
    // with that page selected.
    void Form_Activate();
    // OK applies both pages and closes; Cancel closes; Default drops the favorite's own
    // settings and closes.
    void btnButtons_Click(int16_t index);
    // Writes the favorite's page into its shortcut file.
    void SaveLinkProperties();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Form_Load();
    // Whether the favorite's page edits a favorite: opened as Properties on a link node.
    bool LinkPageAvailable() const;
    void ApplyAndClose();
    void UseDefaultsAndClose();
    // The favorite's shortcut file now; empty when there is none to write.
    QString CurrentLinkFile() const;

    std::unique_ptr<Ui::frmOptions> ui;
    OptionsMode Mode;
    NodeRef Link; // the favorite whose page this is, while it is in the tree

    QString LinkFile;  // the favorite's shortcut file as the page was filled; empty when no favorite is edited
    QString LoadedUrl; // its URL as read when the page was filled
    bool InitialToolMenu = false;
    bool InitialToolbar = false;
    bool LinkPageFilled = false;
};
