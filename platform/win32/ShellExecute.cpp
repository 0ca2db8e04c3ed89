#include "platform/win32/ShellExecute.h"
#include "platform/runtime/HexDigit.h"

#include "platform/win32/AnsiCodePage.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <string_view>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace win32
{

namespace
{
struct Recorder
{
    bool On = false;
    std::vector<ShellRequest> Requests;
};

Recorder& Recording()
{
    static Recorder recorder;
    return recorder;
}

std::string Text(const char* value)
{
    return value ? std::string(value) : std::string();
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

bool IsAsciiLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// The scheme of an address ("http" in "http://..."), or nothing for a plain path. A single
// letter before the colon is a drive, not a scheme.
std::optional<std::string_view> SchemeOf(std::string_view text)
{
    if (text.empty() || !IsAsciiLetter(text[0]))
        return std::nullopt;
    size_t i = 1;
    while (i < text.size() && (IsAsciiLetter(text[i]) || (text[i] >= '0' && text[i] <= '9') || text[i] == '+' ||
                               text[i] == '-' || text[i] == '.'))
        ++i;
    if (i < 2 || i >= text.size() || text[i] != ':')
        return std::nullopt;
    return text.substr(0, i);
}

std::string PercentDecoded(std::string_view text)
{
    std::string decoded;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && runtime::HexDigitValue(text[i + 1]) >= 0 && runtime::HexDigitValue(text[i + 2]) >= 0) {
            decoded += static_cast<char>(runtime::HexDigitValue(text[i + 1]) * 16 + runtime::HexDigitValue(text[i + 2]));
            i += 2;
        } else {
            decoded += text[i];
        }
    }
    return decoded;
}

// The local path a file: address or a plain path names (UTF-8), or nothing for any other
// address. The host of a file: address is ignored, as openers commonly do.
std::optional<std::string> LocalPathOf(const std::string& file, const std::string& directory)
{
    const auto scheme = SchemeOf(file);
    std::string path;
    if (!scheme) {
        path = file;
    } else if (EqualsIgnoringCase(*scheme, "file")) {
        std::string_view rest = std::string_view(file).substr(scheme->size() + 1);
        if (rest.substr(0, 2) == "//") {
            rest.remove_prefix(2);
            const size_t slash = rest.find('/');
            rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash);
        }
        const size_t end = rest.find_first_of("?#");
        path = PercentDecoded(rest.substr(0, end));
    } else {
        return std::nullopt;
    }
    if (!path.empty() && path[0] != '/' && !directory.empty())
        path = directory + "/" + path;
    return path;
}

bool EndsWithIgnoringCase(std::string_view text, std::string_view suffix)
{
    return text.size() >= suffix.size() && EqualsIgnoringCase(text.substr(text.size() - suffix.size()), suffix);
}

// A program, a script with its executable bit, or a desktop entry: opening it would run it.
bool WouldRunProgram(const std::string& path)
{
    if (EndsWithIgnoringCase(path, ".desktop"))
        return true;
    struct stat info
    {
    };
    if (::stat(path.c_str(), &info) != 0)
        return false;
    return S_ISREG(info.st_mode) && (info.st_mode & (S_IXUSR | S_IXGRP | S_IXOTH)) != 0;
}

// The opener's full path from PATH, or empty when it is not installed.
std::string FindOpener()
{
    const char* variable = std::getenv("PATH");
    const std::string searchPath = variable && *variable ? variable : "/usr/local/bin:/usr/bin:/bin";
    size_t start = 0;
    while (start <= searchPath.size()) {
        size_t end = searchPath.find(':', start);
        if (end == std::string::npos)
            end = searchPath.size();
        const std::string folder = end > start ? searchPath.substr(start, end - start) : std::string(".");
        const std::string candidate = folder + "/xdg-open";
        struct stat info
        {
        };
        if (::stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(candidate.c_str(), X_OK) == 0)
            return candidate;
        start = end + 1;
    }
    return {};
}

// Starts the opener detached: a child starts it as a grandchild and ends at once, so the
// opener never becomes a zombie of ours and we never wait for the browser. Everything
// between fork and exec is safe to call in the child of a process with threads.
HINSTANCE Spawn(const std::string& opener, const std::string& argument, const std::string& directory)
{
    std::vector<char*> argv{const_cast<char*>(opener.c_str()), const_cast<char*>(argument.c_str()), nullptr};
    const char* folder = directory.empty() ? nullptr : directory.c_str();

    const pid_t child = ::fork();
    if (child < 0)
        return SE_ERR_OOM;
    if (child == 0) {
        const pid_t grandchild = ::fork();
        if (grandchild == 0) {
            ::setsid();
            if (folder && ::chdir(folder) != 0)
                ::_exit(127);
            const int null = ::open("/dev/null", O_RDONLY);
            if (null >= 0) {
                ::dup2(null, STDIN_FILENO);
                if (null != STDIN_FILENO)
                    ::close(null);
            }
            // Our sockets and files are none of the browser's business.
            ::close_range(3, ~0U, 0);
            ::execve(argv[0], argv.data(), environ);
            ::_exit(127);
        }
        ::_exit(grandchild < 0 ? 1 : 0);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR)
            return SE_ERR_OOM;
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? ShellExecuteStarted : SE_ERR_OOM;
}
} // namespace

HINSTANCE ShellExecuteA(HWND hwnd, const char* operation, const char* file, const char* parameters,
                        const char* directory, int showCmd)
{
    static_cast<void>(hwnd);
    if (!file || !*file)
        return SE_ERR_FNF;
    if (operation && *operation && !EqualsIgnoringCase(operation, "open"))
        return SE_ERR_NOASSOC;

    const std::string argument = AnsiToUtf8(file);
    const std::string folder = directory ? AnsiToUtf8(directory) : std::string();
    // The opener would take the name for one of its options.
    if (argument[0] == '-')
        return SE_ERR_ACCESSDENIED;
    if (const auto local = LocalPathOf(argument, folder); local && WouldRunProgram(*local))
        return SE_ERR_ACCESSDENIED;

    if (Recording().On) {
        Recording().Requests.push_back(
            ShellRequest{Text(operation), Text(file), Text(parameters), Text(directory), showCmd});
        return ShellExecuteStarted;
    }
    const std::string opener = FindOpener();
    if (opener.empty())
        return SE_ERR_NOASSOC;
    return Spawn(opener, argument, folder);
}

void RecordShellRequests(bool on)
{
    Recording().On = on;
}

const std::vector<ShellRequest>& ShellRequests()
{
    return Recording().Requests;
}

void ClearShellRequests()
{
    Recording().Requests.clear();
}

} // namespace win32
