#include "app/favorites/NewItems.h"

#include "app/favorites/FavoritesTree.h"
#include "app/favorites/Rename.h"
#include "platform/controls/TreeView.h"
#include "platform/files/FileSystem.h"

#include <QFileInfo>

namespace
{
bool IsAsciiLetter(QChar c)
{
    return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) || (c >= QLatin1Char('A') && c <= QLatin1Char('Z'));
}

bool IsAsciiDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// A scheme is a letter, then letters, digits, "+", "-" or ".", then a colon. A host name
// followed by a port ("localhost:8080", "www.example.com:81/") looks the same up to the
// colon; what follows a scheme's colon never starts with a digit, while a port always does.
bool NamesScheme(const QString& address)
{
    if (address.isEmpty() || !IsAsciiLetter(address.at(0)))
        return false;
    qsizetype i = 1;
    while (i < address.size() &&
           (IsAsciiLetter(address.at(i)) || IsAsciiDigit(address.at(i)) || address.at(i) == QLatin1Char('+') ||
            address.at(i) == QLatin1Char('-') || address.at(i) == QLatin1Char('.')))
        ++i;
    if (i >= address.size() || address.at(i) != QLatin1Char(':'))
        return false;
    return i + 1 >= address.size() || !IsAsciiDigit(address.at(i + 1));
}
} // namespace

TreeNode* TargetFolderNode(const TreeView& tree)
{
    TreeNode* selected = tree.SelectedItem();
    if (!selected)
        return nullptr;
    return IsFolderNode(selected) ? selected : selected->Parent();
}

QString CleanTypedName(const QString& name)
{
    return ReplaceInvalidNameCharacters(name);
}

bool NameInUse(const TreeView& tree, const TreeNode* target, const QString& itemName)
{
    const QString path = target->Key() + QStringLiteral("/") + itemName;
    // ResolvePath finds the name in any letter case; a dangling link occupies it too.
    const QFileInfo onDisk(files::ResolvePath(path));
    if (onDisk.exists() || onDisk.isSymLink())
        return true;
    // A node the disk no longer has would still clash with the new node in the tree.
    if (tree.Nodes().Exists(path))
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
    // "http://" in front of "ftp://host" or "mailto:x" would make an address that leads
    // nowhere: one that names its own scheme keeps it.
    if (address.left(4).compare(QStringLiteral("http"), Qt::CaseInsensitive) == 0 || NamesScheme(address))
        return address;
    return QStringLiteral("http://") + address;
}
