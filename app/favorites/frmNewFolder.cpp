#include "app/favorites/frmNewFolder.h"

#include "ui_frmNewFolder.h"

#include "app/favorites/NewItems.h"
#include "app/forms/Pictures.h"
#include "app/settings/Common.h"
#include "platform/controls/TreeView.h"
#include "platform/desktop/MessageBox.h"
#include "platform/files/FileOperations.h"
#include "platform/files/FileSystem.h"
#include "platform/runtime/ErrorRecord.h"

#include <QLineEdit>
#include <QPushButton>

frmNewFolder::frmNewFolder(TreeView& tree, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::frmNewFolder>()), Tree(tree)
{
    ui->setupUi(this);
    connect(ui->btnButton_0, &QPushButton::clicked, this, [this] { btnButton_Click(0); });
    connect(ui->btnButton_1, &QPushButton::clicked, this, [this] { btnButton_Click(1); });
    // Enter in the name acts as OK; the buttons are no default buttons, so it acts once.
    connect(ui->txtFolder, &QLineEdit::returnPressed, this, [this] { btnButton_Click(0); });
}

frmNewFolder::~frmNewFolder() = default;

QPushButton* frmNewFolder::btnButton(int index) const
{
    return index == 0 ? ui->btnButton_0 : index == 1 ? ui->btnButton_1 : nullptr;
}

QLineEdit* frmNewFolder::txtFolder() const
{
    return ui->txtFolder;
}

void frmNewFolder::btnButton_Click(int16_t index)
{
    const QString typed = ui->txtFolder->text();
    TreeNode* target = TargetFolderNode(Tree);
    if (index == 1 || typed.trimmed().isEmpty() || !target) {
        reject();
        return;
    }
    try {
        const QString name = files::FitName(CleanTypedName(typed));
        // Cleaning keeps a name inside its folder; these two would still leave it.
        if (name == QStringLiteral(".") || name == QStringLiteral(".."))
            throw runtime::Error(runtime::BadFileName);
        if (NameInUse(Tree, target, name)) {
            desktop::MsgBox(QStringLiteral("A folder or file named \"") + name +
                                QStringLiteral("\" is already in this folder. Please enter another name."),
                            desktop::vbExclamation, QStringLiteral("New Folder"));
            return;
        }
        // The disk first: the node stands for a folder that exists.
        const QString path = target->Key() + QStringLiteral("/") + name;
        files::CreateFolder(path);
        TreeNode* node = Tree.Nodes().Add(target, TreeRelationship::Child, path, name);
        node->SetImage(Pictures::OpenFolder);
        node->SetSelectedImage(Pictures::OpenFolder);
        node->SetSelected(true);
        node->EnsureVisible();
        accept();
    } catch (const runtime::Error& error) {
        // The dialog stays open either way, so another name can be tried.
        if (error.Number() == runtime::FileAlreadyExists)
            return;
        LogError(error);
    }
}
