#include "tools/favorites/BookmarkExport.h"

#include "app/favorites/ShortcutFile.h"
#include "tools/favorites/BookmarkParser.h"
#include "tools/favorites/BookmarkWriter.h"
#include "tools/favorites/FavoritesWalk.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
// Larger than any shortcut a browser or this program writes; reading such a file whole for
// one address could take all the memory there is.
constexpr uint64_t MaxShortcutSize = 1 << 20;

// A file's times as a bookmark file gives them, in seconds since 1970: when it was added (its
// birth, where the file system keeps it, never after its last change) and its last change.
struct Times
{
    int64_t Added = 0;
    int64_t Modified = 0;
};

// The item's times and what kind of item it is, following links; false when it is gone.
bool ReadTimes(const QString& path, Times& times, mode_t& mode, uint64_t& size)
{
    struct statx info
    {
    };
    const QByteArray encoded = QFile::encodeName(path);
    if (statx(AT_FDCWD, encoded.constData(), 0, STATX_TYPE | STATX_SIZE | STATX_MTIME | STATX_BTIME, &info) != 0)
        return false;
    mode = info.stx_mode;
    size = info.stx_size;
    times.Modified = info.stx_mtime.tv_sec;
    times.Added = times.Modified;
    if ((info.stx_mask & STATX_BTIME) && info.stx_btime.tv_sec > 0 && info.stx_btime.tv_sec < times.Modified)
        times.Added = info.stx_btime.tv_sec;
    return true;
}

class Exporter final : public FavoritesVisitor
{
public:
    explicit Exporter(BookmarkWriter& writer) : writer_(writer) {}

    bool EnterFolder(const QString& path, const QString& name, int depth) override
    {
        if (depth > MaxFolderDepth) {
            Skip(path, QStringLiteral("folders nested more than %1 deep are left out").arg(MaxFolderDepth));
            return false;
        }
        Times times;
        mode_t mode = 0;
        uint64_t size = 0;
        ReadTimes(path, times, mode, size);
        writer_.StartFolder(name, times.Added, times.Modified);
        ++Report.Folders;
        return true;
    }

    void LeaveFolder() override { writer_.EndFolder(); }

    void Shortcut(const QString& path, const QString& name) override
    {
        Times times;
        mode_t mode = 0;
        uint64_t size = 0;
        if (!ReadTimes(path, times, mode, size))
            return Skip(path, QString::fromLocal8Bit(std::strerror(errno)));
        // Only a regular file is read: a named pipe would never end, a device might not either.
        if (!S_ISREG(mode))
            return Skip(path, QStringLiteral("not a regular file"));
        if (size > MaxShortcutSize)
            return Skip(path, QStringLiteral("too large for a shortcut file"));
        // The profile functions read a file they cannot open as an empty one; that must not
        // pass for a favorite without an address.
        const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            return Skip(path, QString::fromLocal8Bit(std::strerror(errno)));
        ::close(fd);
        const QString url = ReadWholeProfileString(QStringLiteral("InternetShortcut"), QStringLiteral("URL"), path);
        if (url.isEmpty())
            return Skip(path, QStringLiteral("it holds no address"));
        writer_.Bookmark(name, url, times.Added, times.Modified);
        ++Report.Favorites;
    }

    void Unwalkable(const QString& path, const QString& reason) override { Skip(path, reason); }

    ExportReport Report;

private:
    void Skip(const QString& path, const QString& reason)
    {
        Report.Skipped.append(path + QStringLiteral(": ") + reason);
    }

    BookmarkWriter& writer_;
};
} // namespace

ExportReport ExportFavorites(const QString& folder, const QString& title, BookmarkWriter& writer)
{
    Exporter exporter(writer);
    writer.Begin(title);
    WalkFavorites(folder, exporter);
    return exporter.Report;
}
