// Feeds arbitrary bytes to the bookmark file parser. Whatever it accepts is imported into a
// folder of a sandbox: nothing may appear beside that folder, nothing in it may be a link or
// a file that is no shortcut, and an export of it read back must give the tree on disk.
#include "app/favorites/ShortcutFile.h"
#include "platform/win32/ProfileStrings.h"
#include "tools/favorites/BookmarkExport.h"
#include "tools/favorites/BookmarkImport.h"
#include "tools/favorites/BookmarkParser.h"
#include "tools/favorites/BookmarkWriter.h"
#include "tools/favorites/FavoritesWalk.h"

#include <QDir>
#include <QDirIterator>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <string>

namespace
{
// Each input may create this many items at most, so disk work never swamps the parser.
constexpr size_t MaxItems = 200;

void Check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

// The tree on disk as the export sees it: names and addresses in the walk's order.
class DiskTree final : public FavoritesVisitor
{
public:
    bool EnterFolder(const QString&, const QString& name, int) override
    {
        Lines.append(QStringLiteral("+") + name);
        return true;
    }
    void LeaveFolder() override { Lines.append(QStringLiteral("-")); }
    void Shortcut(const QString& path, const QString& name) override
    {
        Lines.append(name + QLatin1Char('\n') +
                     ReadWholeProfileString(QStringLiteral("InternetShortcut"), QStringLiteral("URL"), path));
    }
    void Unwalkable(const QString&, const QString&) override { Check(false); }

    QStringList Lines;
};

QStringList ParsedTree(const BookmarkFile& file)
{
    QStringList lines;
    for (const BookmarkItem& item : file.Items) {
        if (item.Type == BookmarkItem::Folder)
            lines.append(QStringLiteral("+") + item.Name);
        else if (item.Type == BookmarkItem::EndOfFolder)
            lines.append(QStringLiteral("-"));
        else
            lines.append(item.Name + QLatin1Char('\n') + item.Url);
    }
    return lines;
}

// The parser's promises: folders balanced and within the depth, every bookmark addressed.
void CheckShape(const BookmarkFile& file)
{
    int depth = 0;
    for (const BookmarkItem& item : file.Items) {
        depth += item.Type == BookmarkItem::Folder ? 1 : item.Type == BookmarkItem::EndOfFolder ? -1 : 0;
        Check(depth >= 0 && depth <= MaxFolderDepth);
        if (item.Type == BookmarkItem::Bookmark)
            Check(!item.Url.isEmpty() && !item.Url.contains(QLatin1Char('\n')) &&
                  !item.Url.contains(QLatin1Char('\r')));
    }
    Check(depth == 0);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static QTemporaryDir sandbox;
    win32::SetProfileWriteSync(false); // the sandbox never needs to survive a power cut
    BookmarkFile file;
    try {
        file = ParseBookmarkFile(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    } catch (const BookmarkFileError& error) {
        Check(error.Line >= 1);
        return 0;
    }
    CheckShape(file);
    if (file.Items.size() > MaxItems)
        return 0;

    const QString target = sandbox.path() + QStringLiteral("/target");
    Check(QDir().mkpath(target));
    bool imported = true;
    try {
        ImportBookmarks(file, target);
    } catch (const ImportError&) {
        imported = false; // a path too long for the file system, say; what was written is checked all the same
    }
    Check(QDir(sandbox.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot) ==
          QStringList{QStringLiteral("target")});
    QDirIterator items(target, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                       QDirIterator::Subdirectories);
    while (items.hasNext()) {
        const QFileInfo item(items.next());
        Check(!item.isSymLink() && (item.isDir() || item.fileName().endsWith(QStringLiteral(".url"))));
    }

    if (imported) {
        std::string html;
        BookmarkWriter writer([&](std::string_view piece) {
            html.append(piece);
            return true;
        });
        ExportFavorites(target, QStringLiteral("Favorites"), writer);
        Check(writer.End());
        DiskTree disk;
        WalkFavorites(target, disk);
        Check(ParsedTree(ParseBookmarkFile(QByteArray::fromStdString(html))) == disk.Lines);
    }
    Check(QDir(target).removeRecursively());
    return 0;
}
