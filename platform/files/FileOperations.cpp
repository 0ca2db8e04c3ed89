#include "platform/files/FileOperations.h"

#include "platform/files/FileSystem.h"
#include "platform/runtime/ErrorRecord.h"
#include "platform/runtime/RegularFile.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace files
{

namespace
{
constexpr size_t CopyBufferSize = 64 * 1024;

// Owns one file descriptor.
class FileHandle
{
public:
    explicit FileHandle(int fd = -1) : fd_(fd) {}
    ~FileHandle()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    int Get() const { return fd_; }
    // Closes now, so that a failure of the close can be reported; returns false on failure.
    bool Close()
    {
        const int fd = fd_;
        fd_ = -1;
        return fd < 0 || ::close(fd) == 0;
    }

private:
    int fd_;
};

QByteArray Encoded(const QString& path)
{
    return QFile::encodeName(path);
}

QByteArray Joined(const QByteArray& folder, const QByteArray& name)
{
    return folder.endsWith('/') ? folder + name : folder + '/' + name;
}

QByteArray ParentOf(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return QByteArrayLiteral(".");
    if (slash == 0)
        return QByteArrayLiteral("/");
    return path.left(slash);
}

bool LStat(const QByteArray& path, struct stat& info)
{
    return ::lstat(path.constData(), &info) == 0;
}

bool Stat(const QByteArray& path, struct stat& info)
{
    return ::stat(path.constData(), &info) == 0;
}

bool IsFolderPath(const QByteArray& path)
{
    struct stat info
    {
    };
    return Stat(path, info) && S_ISDIR(info.st_mode);
}

// Something is at the path: a file, a folder, or a link, dangling or not.
bool Occupied(const QByteArray& path)
{
    struct stat info
    {
    };
    return LStat(path, info);
}

// The path of an existing item, found without regard to letter case, or the error `missing`
// stands for: 53 for a file, 76 for a folder, or 76 for either when the containing folder is
// not there at all.
QByteArray ExistingItem(const QString& path, runtime::ErrorNumber missing)
{
    const QByteArray resolved = Encoded(ResolvePath(path));
    if (Occupied(resolved))
        return resolved;
    if (!IsFolderPath(ParentOf(resolved)))
        throw runtime::Error(runtime::PathNotFound);
    throw runtime::Error(missing);
}

// The destination as written, inside its containing folder as found on disk.
QByteArray DestinationPath(const QString& path)
{
    const QFileInfo info(path);
    return Joined(Encoded(ResolvePath(info.path())), Encoded(info.fileName()));
}

// The names in a folder, without "." and "..".
std::vector<std::string> EntriesOf(const QByteArray& folder)
{
    DIR* dir = ::opendir(folder.constData());
    if (!dir)
        RaiseErrno(errno, QFile::decodeName(folder));
    std::vector<std::string> names;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(dir);
        if (!entry)
            break;
        const std::string name = entry->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    const int failure = errno;
    ::closedir(dir);
    if (failure != 0)
        RaiseErrno(failure, QFile::decodeName(folder));
    return names;
}

bool WriteAll(int fd, const char* data, size_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

// Copies a regular file's bytes and permissions to `to`, through a temporary file beside it.
void CopyFileData(const QByteArray& from, const QByteArray& to)
{
    // Not blocking: a named pipe that got here must not hang the window.
    FileHandle in(runtime::OpenRegularFile(from.constData(), O_RDONLY));
    if (in.Get() < 0) {
        if (errno == EINVAL)
            throw runtime::Error(runtime::PathFileAccessError);
        RaiseErrno(errno, QFile::decodeName(from));
    }
    struct stat source
    {
    };
    if (::fstat(in.Get(), &source) != 0)
        RaiseErrno(errno, QFile::decodeName(from));

    struct stat existing
    {
    };
    if (Stat(to, existing)) {
        if (S_ISDIR(existing.st_mode))
            throw runtime::Error(runtime::FileAlreadyExists);
        // Copying a file onto itself would empty it.
        if (existing.st_dev == source.st_dev && existing.st_ino == source.st_ino)
            throw runtime::Error(runtime::PermissionDenied);
    }

    QByteArray temporary = Joined(ParentOf(to), QByteArrayLiteral(".strandmoor-XXXXXX"));
    FileHandle out(::mkostemp(temporary.data(), O_CLOEXEC));
    if (out.Get() < 0)
        RaiseErrno(errno, QFile::decodeName(to));

    const auto fail = [&](int error) {
        out.Close();
        ::unlink(temporary.constData());
        RaiseErrno(error, QFile::decodeName(to));
    };
    std::vector<char> buffer(CopyBufferSize);
    for (;;) {
        const ssize_t count = ::read(in.Get(), buffer.data(), buffer.size());
        if (count < 0) {
            if (errno == EINTR || errno == EAGAIN)
                continue;
            fail(errno);
        }
        if (count == 0)
            break;
        if (!WriteAll(out.Get(), buffer.data(), static_cast<size_t>(count)))
            fail(errno);
    }
    if (::fchmod(out.Get(), source.st_mode & 0777) != 0)
        fail(errno);
    if (!out.Close()) {
        const int error = errno;
        ::unlink(temporary.constData());
        RaiseErrno(error, QFile::decodeName(to));
    }
    if (::rename(temporary.constData(), to.constData()) != 0) {
        const int error = errno;
        ::unlink(temporary.constData());
        RaiseErrno(error, QFile::decodeName(to));
    }
}

// Makes a link at `to` that leads where the link at `from` leads.
void CopyLink(const QByteArray& from, const QByteArray& to)
{
    std::vector<char> target(4096);
    for (;;) {
        const ssize_t length = ::readlink(from.constData(), target.data(), target.size());
        if (length < 0)
            RaiseErrno(errno, QFile::decodeName(from));
        if (static_cast<size_t>(length) < target.size()) {
            target[static_cast<size_t>(length)] = '\0';
            break;
        }
        target.resize(target.size() * 2);
    }
    struct stat existing
    {
    };
    if (LStat(to, existing)) {
        if (S_ISDIR(existing.st_mode))
            throw runtime::Error(runtime::FileAlreadyExists);
        if (::unlink(to.constData()) != 0)
            RaiseErrno(errno, QFile::decodeName(to));
    }
    if (::symlink(target.data(), to.constData()) != 0)
        RaiseErrno(errno, QFile::decodeName(to));
}

void CopyTree(const QByteArray& from, const QByteArray& to)
{
    struct stat source
    {
    };
    if (!Stat(from, source))
        RaiseErrno(errno, QFile::decodeName(from));
    // The copy stays writable for us whatever the original's permissions, so it can be filled.
    if (::mkdir(to.constData(), (source.st_mode & 0777) | S_IRWXU) != 0) {
        if (errno != EEXIST)
            RaiseErrno(errno, QFile::decodeName(to));
        if (!IsFolderPath(to))
            throw runtime::Error(runtime::FileAlreadyExists);
    }
    for (const std::string& name : EntriesOf(from)) {
        const QByteArray item = Joined(from, QByteArray::fromStdString(name));
        const QByteArray copy = Joined(to, QByteArray::fromStdString(name));
        struct stat info
        {
        };
        if (!LStat(item, info))
            RaiseErrno(errno, QFile::decodeName(item));
        if (S_ISDIR(info.st_mode))
            CopyTree(item, copy);
        else if (S_ISREG(info.st_mode))
            CopyFileData(item, copy);
        else if (S_ISLNK(info.st_mode))
            CopyLink(item, copy);
    }
}

// Deletes the item `name` of the folder open as `parent`, with everything below it. Folders
// on the way are made writable first, which is what deleting read-only items takes here.
void RemoveTree(int parent, const std::string& name, const QByteArray& path)
{
    struct stat info
    {
    };
    if (::fstatat(parent, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0)
        RaiseErrno(errno, QFile::decodeName(path));
    if (!S_ISDIR(info.st_mode)) {
        if (::unlinkat(parent, name.c_str(), 0) != 0)
            RaiseErrno(errno, QFile::decodeName(path));
        return;
    }
    if ((info.st_mode & S_IRWXU) != S_IRWXU)
        ::fchmodat(parent, name.c_str(), (info.st_mode & 07777) | S_IRWXU, 0);

    const int fd = ::openat(parent, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        RaiseErrno(errno, QFile::decodeName(path));
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        const int error = errno;
        ::close(fd);
        RaiseErrno(error, QFile::decodeName(path));
    }
    // The names are read first: deleting while reading could skip entries.
    std::vector<std::string> names;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(dir);
        if (!entry)
            break;
        const std::string child = entry->d_name;
        if (child != "." && child != "..")
            names.push_back(child);
    }
    const int readError = errno;
    try {
        if (readError != 0)
            RaiseErrno(readError, QFile::decodeName(path));
        for (const std::string& child : names)
            RemoveTree(::dirfd(dir), child, Joined(path, QByteArray::fromStdString(child)));
    } catch (...) {
        ::closedir(dir);
        throw;
    }
    ::closedir(dir);
    if (::unlinkat(parent, name.c_str(), AT_REMOVEDIR) != 0)
        RaiseErrno(errno, QFile::decodeName(path));
}

// Deletes whatever is at the path, below it included.
void RemovePath(const QByteArray& path)
{
    const QByteArray parentPath = ParentOf(path);
    FileHandle parent(::open(parentPath.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (parent.Get() < 0)
        RaiseErrno(errno, QFile::decodeName(parentPath));
    const qsizetype slash = path.lastIndexOf('/');
    RemoveTree(parent.Get(), path.mid(slash + 1).toStdString(), path);
}

// Moves by renaming when both paths are on one file system, by copying and deleting when not.
void MoveItem(const QByteArray& from, const QByteArray& to, bool folder)
{
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return;
    if (errno == EINVAL || errno == ENOSYS) {
        // A file system that cannot refuse to replace: the check and the rename are separate.
        if (Occupied(to))
            throw runtime::Error(runtime::FileAlreadyExists);
        if (::rename(from.constData(), to.constData()) == 0)
            return;
    }
    if (errno != EXDEV)
        RaiseErrno(errno, QFile::decodeName(from));

    struct stat info
    {
    };
    if (!LStat(from, info))
        RaiseErrno(errno, QFile::decodeName(from));
    try {
        if (S_ISLNK(info.st_mode))
            CopyLink(from, to);
        else if (folder)
            CopyTree(from, to);
        else
            CopyFileData(from, to);
    } catch (const runtime::Error&) {
        // Half a copy on the other file system would be a second, damaged item.
        if (Occupied(to)) {
            try {
                RemovePath(to);
            } catch (const runtime::Error&) {
            }
        }
        throw;
    }
    RemovePath(from);
}

QString NameOf(const QString& path)
{
    return QFileInfo(path).fileName();
}
} // namespace

bool FolderExists(const QString& path)
{
    return !path.isEmpty() && IsFolderPath(Encoded(ResolvePath(path)));
}

bool FileExists(const QString& path)
{
    if (path.isEmpty())
        return false;
    const QByteArray resolved = Encoded(ResolvePath(path));
    struct stat info
    {
    };
    if (Stat(resolved, info))
        return !S_ISDIR(info.st_mode);
    return LStat(resolved, info); // a dangling link is a file, as in the listing
}

bool LiesWithin(const QString& path, const QString& folder)
{
    const QString container = CanonicalPath(folder);
    if (container.isEmpty())
        return false;
    // The path need not exist: its deepest existing ancestor is resolved and the rest kept.
    QString existing = QFileInfo(path).absoluteFilePath();
    QString rest;
    while (!QFileInfo::exists(existing)) {
        const QFileInfo info(existing);
        if (info.path() == existing)
            return false;
        rest = QLatin1Char('/') + info.fileName() + rest;
        existing = info.path();
    }
    const QString resolved = CanonicalPath(existing) + rest;
    return resolved == container ||
           resolved.startsWith(container.endsWith(QLatin1Char('/')) ? container : container + QLatin1Char('/'));
}

void CopyFile(const QString& source, const QString& destination)
{
    const QByteArray from = ExistingItem(source, runtime::FileNotFound);
    if (IsFolderPath(from))
        throw runtime::Error(runtime::FileNotFound);
    CopyFileData(from, DestinationPath(destination));
}

void CopyFolder(const QString& source, const QString& destination)
{
    const QByteArray from = ExistingItem(source, runtime::PathNotFound);
    if (!IsFolderPath(from))
        throw runtime::Error(runtime::PathNotFound);
    // A copy inside the original would go on copying itself without end.
    if (LiesWithin(destination, QFile::decodeName(from)))
        throw runtime::Error(runtime::InvalidProcedureCall, "A folder cannot be copied into itself");
    CopyTree(from, DestinationPath(destination));
}

void MoveFile(const QString& source, const QString& destination)
{
    const QByteArray from = ExistingItem(source, runtime::FileNotFound);
    if (IsFolderPath(from))
        throw runtime::Error(runtime::FileNotFound);
    const QByteArray to = DestinationPath(destination);
    if (Occupied(Encoded(ResolvePath(QFile::decodeName(to)))))
        throw runtime::Error(runtime::FileAlreadyExists);
    MoveItem(from, to, false);
}

void MoveFolder(const QString& source, const QString& destination)
{
    const QByteArray from = ExistingItem(source, runtime::PathNotFound);
    if (!IsFolderPath(from))
        throw runtime::Error(runtime::PathNotFound);
    const QByteArray to = DestinationPath(destination);
    if (Occupied(Encoded(ResolvePath(QFile::decodeName(to)))))
        throw runtime::Error(runtime::FileAlreadyExists);
    if (LiesWithin(QFile::decodeName(to), QFile::decodeName(from)))
        throw runtime::Error(runtime::InvalidProcedureCall, "A folder cannot be moved into itself");
    MoveItem(from, to, true);
}

void DeleteFile(const QString& path)
{
    const QByteArray item = ExistingItem(path, runtime::FileNotFound);
    // A folder, or a link that leads to one, is not a file.
    if (IsFolderPath(item))
        throw runtime::Error(runtime::FileNotFound);
    if (::unlink(item.constData()) != 0)
        RaiseErrno(errno, QFile::decodeName(item));
}

void DeleteFolder(const QString& path)
{
    const QByteArray item = ExistingItem(path, runtime::PathNotFound);
    if (!IsFolderPath(item))
        throw runtime::Error(runtime::PathNotFound);
    struct stat info
    {
    };
    if (LStat(item, info) && S_ISLNK(info.st_mode)) {
        if (::unlink(item.constData()) != 0)
            RaiseErrno(errno, QFile::decodeName(item));
        return;
    }
    RemovePath(item);
}

void CreateFolder(const QString& path)
{
    const QString name = NameOf(path);
    if (name.isEmpty() || name == QStringLiteral(".") || name == QStringLiteral(".."))
        throw runtime::Error(runtime::BadFileName);
    const QByteArray folder = DestinationPath(path);
    if (!IsFolderPath(ParentOf(folder)))
        throw runtime::Error(runtime::PathNotFound);
    // Names are told apart without regard to letter case: "news" is taken when "News" exists.
    if (Occupied(Encoded(ResolvePath(QFile::decodeName(folder)))))
        throw runtime::Error(runtime::FileAlreadyExists);
    if (::mkdir(folder.constData(), 0777) != 0)
        RaiseErrno(errno, QFile::decodeName(folder));
}

} // namespace files
