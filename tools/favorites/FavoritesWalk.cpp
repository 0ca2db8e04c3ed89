#include "tools/favorites/FavoritesWalk.h"

#include "app/favorites/FavoriteNames.h"
#include "platform/files/FileSystem.h"
#include "platform/runtime/ErrorRecord.h"

#include <QDir>

#include <algorithm>
#include <vector>

namespace
{
// A folder on the way down: where it is, where it really is, and the subfolders still to walk.
struct Frame
{
    QString Path;
    QString Real;
    QList<files::FolderItem> SubFolders;
    qsizetype Next = 0;
};

void VisitShortcuts(const QList<files::FolderItem>& files, FavoritesVisitor& visitor)
{
    for (const files::FolderItem& file : files) {
        if (IsShortcutFileName(file.Name))
            visitor.Shortcut(file.Path, file.Name.left(file.Name.size() - 4));
    }
}
} // namespace

void WalkFavorites(const QString& folder, FavoritesVisitor& visitor)
{
    files::FolderListing listing = files::ListFolder(folder);
    const QString real = files::CanonicalPath(folder);
    VisitShortcuts(listing.Files, visitor);
    std::vector<Frame> stack;
    stack.push_back(Frame{folder, real.isEmpty() ? QDir::cleanPath(folder) : real, std::move(listing.SubFolders), 0});
    while (!stack.empty()) {
        Frame& top = stack.back();
        if (top.Next == top.SubFolders.size()) {
            stack.pop_back();
            if (!stack.empty())
                visitor.LeaveFolder();
            continue;
        }
        const files::FolderItem& item = top.SubFolders[top.Next++];
        const QString path = top.Path + QLatin1Char('/') + item.Name;
        const QString itemReal = item.IsLink ? files::CanonicalPath(path) : top.Real + QLatin1Char('/') + item.Name;
        const bool loop =
            std::any_of(stack.begin(), stack.end(), [&](const Frame& frame) { return frame.Real == itemReal; });
        if (itemReal.isEmpty() || loop) {
            visitor.Unwalkable(path, QStringLiteral("it leads back to a folder that holds it"));
            continue;
        }
        try {
            listing = files::ListFolder(path);
        } catch (const runtime::Error& error) {
            visitor.Unwalkable(path, QString::fromStdString(error.Description()));
            continue;
        }
        if (!visitor.EnterFolder(path, item.Name, static_cast<int>(stack.size())))
            continue;
        VisitShortcuts(listing.Files, visitor);
        // `top` and `item` are not used past this point: the push may move them.
        stack.push_back(Frame{path, itemReal, std::move(listing.SubFolders), 0});
    }
}
