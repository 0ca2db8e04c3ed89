#include "app/favorites/frmNewFavorite.h"

#include "ui_frmNewFavorite.h"

#include "app/favorites/NewItems.h"
#include "app/favorites/ShortcutFile.h"
#include "app/forms/Pictures.h"
#include "app/settings/Common.h"
#include "platform/controls/TreeView.h"
#include "platform/desktop/MessageBox.h"
#include "platform/files/FileSystem.h"
#include "platform/runtime/ErrorRecord.h"

#include <QLineEdit>
#include <QPushButton>

frmNewFavorite::frmNewFavorite(TreeView& tree, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::frmNewFavorite>()), Tree(tree)
{
    ui->setupUi(this);
    connect(ui->btnButton_0, &QPushButton::clicked, this, [this] { btnButton_Click(0); });
    connect(ui->btnButton_1, &QPushButton::clicked, this, [this] { btnButton_Click(1); });
}

frmNewFavorite::~frmNewFavorite() = default;

QPushButton* frmNewFavorite::btnButton(int index) const
{
    return index == 0 ? ui->btnButton_0 : index == 1 ? ui->btnButton_1 : nullptr;
}

QLineEdit* frmNewFavorite::txtDesc() const
{
    return ui->txtDesc;
}

QLineEdit* frmNewFavorite::txtURL() const
{
    return ui->txtURL;
}

void frmNewFavorite::btnButton_Click(int16_t index)
{
    TreeNode* target = TargetFolderNode(Tree);
    if (index == 1 || ui->txtURL->text().trimmed().isEmpty() || ui->txtDesc->text().trimmed().isEmpty() || !target) {
        reject();
        return;
    }
    try {
        const QString name = files::FitName(CleanTypedName(ui->txtDesc->text()), QStringLiteral(".url"));
        // Writing would give the existing favorite this address, and the tree two nodes for
        // one file.
        if (NameInUse(Tree, target, name + QStringLiteral(".url"))) {
            desktop::MsgBox(QStringLiteral("A favorite named \"") + name +
                                QStringLiteral("\" is already in this folder. Please enter another description."),
                            desktop::vbExclamation, QStringLiteral("Create New Favorite"));
            return;
        }
        ui->txtURL->setText(AddressWithScheme(ui->txtURL->text()));

        // The file first: the node stands for a favorite that exists. No per-link section is
        // written, so the favorite follows the global settings.
        const QString path = target->Key() + QStringLiteral("/") + name + QStringLiteral(".url");
        if (!WriteProfileString(QStringLiteral("InternetShortcut"), QStringLiteral("URL"), ui->txtURL->text(), path))
            throw runtime::Error(runtime::PathFileAccessError);
        TreeNode* node = Tree.Nodes().Add(target, TreeRelationship::Child, QString(), name);
        node->SetImage(Pictures::LinkNotChecked);
        node->SetSelectedImage(Pictures::LinkNotChecked);
        node->SetSelected(true);
        node->EnsureVisible();
        accept();
    } catch (const runtime::Error& error) {
        LogError(error);
    }
}
