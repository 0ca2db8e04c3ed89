#include "app/favorites/NewItems.h"

#include "app/favorites/FavoritesTree.h"
#include "app/favorites/Rename.h"
#include "app/window/frmMain.h"
#include "platform/controls/TreeView.h"
#include "platform/files/FileSystem.h"

#include <QFileInfo>

TreeNode* TargetFolderNode(frmMain& Main)
{
    TreeNode* selected = Main.tvFolders->SelectedItem();
    if (!selected)
        return nullptr;
    return IsFolderNode(selected) ? selected : selected->Parent();
}

QString CleanTypedName(const QString& name)
{
    return ReplaceInvalidNameCharacters(name);
}

bool NameInUse(frmMain& Main, TreeNode* target, const QString& itemName)
{
    const QString path = target->Key() + QStringLiteral("/") + itemName;
    // ResolvePath finds the name in any letter case; a dangling link occupies it too.
    const QFileInfo onDisk(files::ResolvePath(path));
    if (onDisk.exists() || onDisk.isSymLink())
        return true;
    // A node the disk no longer has would still clash with the new node in the tree.
    if (Main.tvFolders->Nodes().Exists(path))
        return true;
    for (int i = 0; i < target->Children(); ++i) {
        const TreeNode* child = target->Child(i);
        const QString childName = IsFolderNode(child) ? child->Text() : child->Text() + QStringLiteral(".url");
        if (childName.compare(itemName, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

QString AddressWithScheme(const QString& address)
{
    if (address.left(4).compare(QStringLiteral("http"), Qt::CaseInsensitive) == 0)
        return address;
    return QStringLiteral("http://") + address;
}
