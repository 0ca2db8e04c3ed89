#pragma once
#include <QString>
#include <QStringList>

class BookmarkWriter;

struct ExportReport
{
    int Folders = 0;
    int Favorites = 0;
    QStringList Skipped; // one line each: the path and why it was left out
};

// Writes the Favorites below `folder` as a bookmark file with the heading `title`, in the
// order the tree shows them. A folder or shortcut that cannot be read is left out and named
// in the report, as are folders nested deeper than an import takes. Raises runtime::Error
// when `folder` itself cannot be listed.
ExportReport ExportFavorites(const QString& folder, const QString& title, BookmarkWriter& writer);
