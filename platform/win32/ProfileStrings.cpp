#include "platform/win32/ProfileStrings.h"

#include "platform/runtime/RegularFile.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace win32
{

namespace
{
std::atomic<bool> syncEachWrite{true};

// One line of the file: its text and the line end that followed it ("\r\n", "\n", "\r" or
// nothing for a last line without one).
struct Line
{
    std::string_view Text;
    std::string_view End;
};

std::vector<Line> SplitLines(std::string_view content)
{
    std::vector<Line> lines;
    size_t start = 0;
    while (start < content.size()) {
        size_t end = content.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            lines.push_back({content.substr(start), {}});
            break;
        }
        size_t after = end + 1;
        if (content[end] == '\r' && after < content.size() && content[after] == '\n')
            ++after;
        lines.push_back({content.substr(start, end - start), content.substr(end, after - end)});
        start = after;
    }
    return lines;
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view Trimmed(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

char Folded(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool SameIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Folded(x) == Folded(y); });
}

// The section name of a header line "[name]", or nothing for any other line.
std::optional<std::string_view> SectionOf(std::string_view line)
{
    line = Trimmed(line);
    if (line.empty() || line.front() != '[')
        return std::nullopt;
    const size_t close = line.find(']');
    if (close == std::string_view::npos)
        return Trimmed(line.substr(1));
    return Trimmed(line.substr(1, close - 1));
}

// The key and value of a "key=value" line, or nothing for a line without "=".
std::optional<std::pair<std::string_view, std::string_view>> EntryOf(std::string_view line)
{
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos)
        return std::nullopt;
    return std::make_pair(Trimmed(line.substr(0, equals)), line.substr(equals + 1));
}

std::string_view Unquoted(std::string_view value)
{
    value = Trimmed(value);
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return value;
}

std::optional<std::string> ReadWholeFile(const char* fileName)
{
    // Anything but a regular file reads as no file at all; a named pipe would never answer.
    const int fd = runtime::OpenRegularFile(fileName, O_RDONLY);
    if (fd < 0)
        return std::nullopt;
    std::string content;
    char chunk[16384];
    for (;;) {
        const ssize_t got = read(fd, chunk, sizeof chunk);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            close(fd);
            return std::nullopt;
        }
        if (got == 0)
            break;
        content.append(chunk, static_cast<size_t>(got));
    }
    close(fd);
    return content;
}

// Copies `text` into the caller's buffer as the classic function does: cut to what fits
// with its NUL, the count returned without it.
DWORD CopyOut(std::string_view text, char* returned, DWORD size)
{
    if (!returned || size == 0)
        return 0;
    const size_t count = std::min<size_t>(text.size(), size - 1);
    if (count > 0)
        std::memcpy(returned, text.data(), count);
    returned[count] = '\0';
    return static_cast<DWORD>(count);
}

// Copies a list of names, each ended by a NUL, the list by a second NUL. A list that does
// not fit is cut, still ending in two NULs, and size - 2 is returned.
DWORD CopyList(const std::vector<std::string_view>& names, char* returned, DWORD size)
{
    if (!returned || size == 0)
        return 0;
    if (size == 1) {
        returned[0] = '\0';
        return 0;
    }
    std::string list;
    for (std::string_view name : names) {
        list.append(name);
        list.push_back('\0');
    }
    if (list.size() + 1 <= size) {
        std::memcpy(returned, list.data(), list.size());
        returned[list.size()] = '\0';
        return static_cast<DWORD>(list.empty() ? 0 : list.size());
    }
    std::memcpy(returned, list.data(), size - 2);
    returned[size - 2] = '\0';
    returned[size - 1] = '\0';
    return size - 2;
}

bool HoldsLineBreak(const char* text)
{
    return text && std::strpbrk(text, "\r\n") != nullptr;
}

// The line end the file already uses, so added lines look like their neighbours.
std::string_view LineEndOf(const std::vector<Line>& lines)
{
    for (const Line& line : lines) {
        if (!line.End.empty())
            return line.End;
    }
    return "\r\n";
}

bool WriteAll(int fd, std::string_view data)
{
    while (!data.empty()) {
        const ssize_t done = write(fd, data.data(), data.size());
        if (done < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data.remove_prefix(static_cast<size_t>(done));
    }
    return true;
}

// Replaces the file with `content` through a temporary file in the same folder, so a crash
// or a full disk leaves either the old file or the new one, never a mixture.
bool ReplaceFile(const std::string& target, std::string_view content, bool existed)
{
    const size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string(".") : target.substr(0, slash + 1);
    // Made once: setting up the random source costs more than the rest of a small write, and
    // under a hypervisor far more.
    thread_local std::random_device random;
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
        char suffix[32];
        std::snprintf(suffix, sizeof suffix, ".~%08x.tmp", static_cast<unsigned>(random()));
        temporary = (slash == std::string::npos ? std::string() : folder) + suffix;
        fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            return false;
    }
    if (fd < 0)
        return false;
    struct stat info
    {
    };
    if (existed && stat(target.c_str(), &info) == 0)
        fchmod(fd, info.st_mode & 07777);
    const bool written = WriteAll(fd, content) && (!syncEachWrite || fsync(fd) == 0);
    const bool closed = close(fd) == 0;
    if (!written || !closed || rename(temporary.c_str(), target.c_str()) != 0) {
        unlink(temporary.c_str());
        return false;
    }
    return true;
}
} // namespace

DWORD GetPrivateProfileStringA(const char* section, const char* key, const char* defaultValue, char* returned,
                               DWORD size, const char* fileName)
{
    std::string_view fallback = defaultValue ? std::string_view(defaultValue) : std::string_view();
    while (!fallback.empty() && fallback.back() == ' ')
        fallback.remove_suffix(1);

    const std::optional<std::string> content = fileName ? ReadWholeFile(fileName) : std::nullopt;
    const std::vector<Line> lines = content ? SplitLines(*content) : std::vector<Line>();

    if (!section) {
        std::vector<std::string_view> names;
        for (const Line& line : lines) {
            if (auto name = SectionOf(line.Text))
                names.push_back(*name);
        }
        return CopyList(names, returned, size);
    }

    bool inSection = false;
    std::vector<std::string_view> keys;
    for (const Line& line : lines) {
        if (auto name = SectionOf(line.Text)) {
            if (inSection)
                break; // the first section of that name is the one that counts
            inSection = SameIgnoringCase(*name, section);
            continue;
        }
        if (!inSection)
            continue;
        auto entry = EntryOf(line.Text);
        if (!key) {
            if (entry)
                keys.push_back(entry->first);
            continue;
        }
        if (entry && SameIgnoringCase(entry->first, key))
            return CopyOut(Unquoted(entry->second), returned, size);
    }
    if (!key && inSection)
        return CopyList(keys, returned, size);
    return CopyOut(fallback, returned, size);
}

BOOL WritePrivateProfileStringA(const char* section, const char* key, const char* value, const char* fileName)
{
    if (!section || !fileName || HoldsLineBreak(section) || HoldsLineBreak(key) || HoldsLineBreak(value))
        return 0;

    // Write through a symbolic link to the file it names, as an in-place write would. Only a
    // link in the last place matters (the folders on the way are followed by every call), so
    // the path is resolved only then: resolving costs a call for each of its parts.
    std::string target = fileName;
    struct stat item
    {
    };
    if (lstat(fileName, &item) == 0 && S_ISLNK(item.st_mode)) {
        if (char* real = realpath(fileName, nullptr)) {
            target = real;
            free(real);
        }
    }
    const std::optional<std::string> content = ReadWholeFile(target.c_str());
    if (!content && errno != ENOENT)
        return 0;
    if (!content && (!key || !value))
        return 1; // nothing to remove from a file that is not there
    const std::vector<Line> lines = content ? SplitLines(*content) : std::vector<Line>();
    const std::string_view eol = LineEndOf(lines);

    // Where the first section of that name starts and ends, and where its key stands.
    std::optional<size_t> header;
    size_t sectionEnd = lines.size();
    size_t lastEntry = 0;
    std::optional<size_t> keyLine;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (auto name = SectionOf(lines[i].Text)) {
            if (header) {
                sectionEnd = i;
                break;
            }
            if (SameIgnoringCase(*name, section)) {
                header = i;
                lastEntry = i;
            }
            continue;
        }
        if (!header)
            continue;
        if (!Trimmed(lines[i].Text).empty())
            lastEntry = i;
        auto entry = EntryOf(lines[i].Text);
        if (key && !keyLine && entry && SameIgnoringCase(entry->first, key))
            keyLine = i;
    }

    std::string out;
    out.reserve((content ? content->size() : 0) + 64);
    auto copyLine = [&](size_t i) {
        out.append(lines[i].Text);
        out.append(lines[i].End);
    };
    // The last line of a file may have no line end; one is added before anything follows it.
    auto copyLineBefore = [&](size_t i) {
        out.append(lines[i].Text);
        out.append(lines[i].End.empty() ? eol : lines[i].End);
    };
    const std::string newEntry = key && value ? std::string(key) + "=" + value : std::string();

    if (!key) {
        if (!header)
            return 1;
        for (size_t i = 0; i < lines.size(); ++i) {
            if (i < *header || i >= sectionEnd)
                copyLine(i);
        }
    } else if (!value) {
        if (!keyLine)
            return 1;
        for (size_t i = 0; i < lines.size(); ++i) {
            if (i != *keyLine)
                copyLine(i);
        }
    } else if (keyLine) {
        for (size_t i = 0; i < lines.size(); ++i) {
            if (i == *keyLine) {
                out.append(newEntry);
                out.append(lines[i].End);
            } else {
                copyLine(i);
            }
        }
    } else if (header) {
        for (size_t i = 0; i < lines.size(); ++i) {
            if (i == lastEntry) {
                copyLineBefore(i);
                out.append(newEntry).append(eol);
            } else {
                copyLine(i);
            }
        }
    } else {
        for (size_t i = 0; i < lines.size(); ++i) {
            if (i + 1 == lines.size())
                copyLineBefore(i);
            else
                copyLine(i);
        }
        out.append("[").append(section).append("]").append(eol);
        out.append(newEntry).append(eol);
    }
    return ReplaceFile(target, out, content.has_value()) ? 1 : 0;
}

void SetProfileWriteSync(bool eachWrite)
{
    syncEachWrite = eachWrite;
}

} // namespace win32
