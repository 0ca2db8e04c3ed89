#pragma once
#include <QDialog>

#include <cstdint>
#include <memory>

namespace Ui
{
class frmNewFavorite;
}
class TreeView;
class QLineEdit;
class QPushButton;

// Asks for a description and an address and creates the favorite inside the selected
// folder, or inside the folder of the selected favorite.
class frmNewFavorite : public QDialog
{
    Q_OBJECT
public:
    explicit frmNewFavorite(TreeView& tree, QWidget* parent = nullptr);
    ~frmNewFavorite() override;

    // The command buttons: 0 OK, 1 Cancel.
    QPushButton* btnButton(int index) const;
    QLineEdit* txtDesc() const;
    QLineEdit* txtURL() const;

    // OK writes the shortcut file, selects the new node and closes; a name already in use
    // keeps the dialog open. Cancel, or OK with a blank description or address, closes
    // without a change.
    void btnButton_Click(int16_t index);

private:
    std::unique_ptr<Ui::frmNewFavorite> ui;
    TreeView& Tree;
};
