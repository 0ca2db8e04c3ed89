#include "app/favorites/LaunchLink.h"

#include "app/favorites/FavoritesTree.h"
#include "app/favorites/ShortcutFile.h"
#include "platform/controls/TreeView.h"
#include "platform/runtime/ErrorRecord.h"
#include "platform/win32/AnsiCodePage.h"
#include "platform/win32/ShellExecute.h"

bool IsLaunchableAddress(const QString& address)
{
    // A scheme is a letter, then letters, digits, "+", "-" or ".", then ":". One letter
    // before the colon is a drive of a path, not a scheme.
    const qsizetype colon = address.indexOf(QLatin1Char(':'));
    if (colon < 2)
        return false;
    for (qsizetype i = 0; i < colon; ++i) {
        const QChar c = address[i];
        const bool letter =
            (c >= QLatin1Char('a') && c <= QLatin1Char('z')) || (c >= QLatin1Char('A') && c <= QLatin1Char('Z'));
        const bool other = (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('+') ||
                           c == QLatin1Char('-') || c == QLatin1Char('.');
        if (!letter && (i == 0 || !other))
            return false;
    }
    return true;
}

void LaunchLink(const TreeView& tree)
{
    TreeNode* node = tree.SelectedItem();
    if (!node || IsFolderNode(node))
        return;
    QString address;
    try {
        address = ReadShortcut(node->Parent()->Key(), node->Text()).Url;
    } catch (const runtime::Error&) {
        // A per-link option that is not a number has nothing to do with opening the link:
        // the address is opened all the same.
        address = ReadWholeProfileString(QStringLiteral("InternetShortcut"), QStringLiteral("URL"), LinkFilePath(node));
    }
    if (!IsLaunchableAddress(address))
        return;
    const std::string file = win32::UnicodeToAnsi(address.toStdU16String());
    win32::ShellExecuteA(0, nullptr, file.c_str(), nullptr, nullptr, win32::SW_SHOWNORMAL);
}
