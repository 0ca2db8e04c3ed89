#pragma once
#include <QDialog>

#include <cstdint>
#include <memory>

namespace Ui
{
class frmNewFolder;
}
class TreeView;
class QLineEdit;
class QPushButton;

// Asks for a folder name and creates the folder inside the selected folder, or inside the
// folder of the selected favorite.
class frmNewFolder : public QDialog
{
    Q_OBJECT
public:
    explicit frmNewFolder(TreeView& tree, QWidget* parent = nullptr);
    ~frmNewFolder() override;

    // The command buttons: 0 OK, 1 Cancel.
    QPushButton* btnButton(int index) const;
    QLineEdit* txtFolder() const;

    // OK creates the folder, selects its node and closes; a name already in use keeps the
    // dialog open. Cancel, or OK with a blank name, closes without a change.
    void btnButton_Click(int16_t index);

private:
    std::unique_ptr<Ui::frmNewFolder> ui;
    TreeView& Tree;
};
