#pragma once
#include <QString>

// What a walk through a Favorites folder meets, in the order the tree shows it: in each
// folder its shortcuts first, then its subfolders, each group sorted by name without regard
// to letter case, and each subfolder's whole content before its next sibling.
class FavoritesVisitor
{
public:
    // A subfolder that could be listed; `depth` is 1 for the walked folder's own subfolders.
    // Returning false leaves it and everything in it out.
    virtual bool EnterFolder(const QString& path, const QString& name, int depth) = 0;
    // Everything in the folder last entered has been met.
    virtual void LeaveFolder() = 0;
    // A shortcut file; `name` is the favorite's, the file's name without its extension.
    virtual void Shortcut(const QString& path, const QString& name) = 0;
    // A subfolder left out because it cannot be listed or leads back to a folder holding it.
    virtual void Unwalkable(const QString& path, const QString& reason) = 0;

protected:
    ~FavoritesVisitor() = default;
};

// Walks everything below `folder` with a stack of its own, so no depth of folders can
// exhaust the call stack. A link to a folder is walked like the folder, unless it leads back
// to one on the way down. Raises runtime::Error when `folder` itself cannot be listed.
void WalkFavorites(const QString& folder, FavoritesVisitor& visitor);
