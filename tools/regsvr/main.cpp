// regsvr: registers or unregisters an in-process server library by calling its
// DllRegisterServer or DllUnregisterServer entry point.
//
//   regsvr [/u] [/s] LIBRARY
//     /u  unregister instead of register (also -u)
//     /s  silent: report nothing, only the exit status (also -s)
#include "platform/win32/ComActivation.h"
#include "platform/win32/ComErrorInfo.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dlfcn.h>
#include <filesystem>
#include <limits.h>
#include <stdlib.h>
#include <string>

namespace
{

// Exit statuses, one per way of failing.
enum ExitStatus
{
    Success = 0,
    BadArguments = 1,
    LoadFailed = 3,
    EntryPointMissing = 4,
    CallFailed = 5,
};

void Usage()
{
    std::fprintf(stderr, "usage: regsvr [/u] [/s] LIBRARY\n"
                         "  /u  unregister the server instead of registering it\n"
                         "  /s  silent: print nothing\n");
}

// Options are two characters, "/u" or "-u"; anything longer is the library's path, which on
// this host may well begin with "/".
bool LooksLikeOption(const std::string& argument)
{
    return argument.size() == 2 && (argument[0] == '/' || argument[0] == '-');
}

bool IsOption(const std::string& argument, char letter)
{
    return LooksLikeOption(argument) && (argument[1] == letter || argument[1] == letter - 'a' + 'A');
}

} // namespace

int main(int argc, char** argv)
{
    bool unregister = false;
    bool silent = false;
    std::string library;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (IsOption(argument, 'u'))
            unregister = true;
        else if (IsOption(argument, 's'))
            silent = true;
        else if (library.empty() && !argument.empty() && !LooksLikeOption(argument))
            library = argument;
        else {
            Usage();
            return BadArguments;
        }
    }
    if (library.empty()) {
        Usage();
        return BadArguments;
    }

    // The library records its own path in the class keys, so load it by its absolute path. A
    // name without a folder is a file in the current folder, never one the loader would find
    // on its search path (the tool's own folder among them).
    char resolved[PATH_MAX];
    if (!realpath(library.c_str(), resolved)) {
        const int error = errno;
        if (!silent) {
            std::error_code ec;
            const std::string absolute = std::filesystem::absolute(library, ec).string();
            std::fprintf(stderr, "regsvr: cannot load %s: %s\n", ec ? library.c_str() : absolute.c_str(),
                         std::strerror(error));
        }
        return LoadFailed;
    }
    const std::string path = resolved;
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        if (!silent)
            std::fprintf(stderr, "regsvr: cannot load %s: %s\n", library.c_str(), dlerror());
        return LoadFailed;
    }

    const char* entryName = unregister ? "DllUnregisterServer" : "DllRegisterServer";
    const auto entry = reinterpret_cast<win32::DllRegisterServerProc>(dlsym(handle, entryName));
    if (!entry) {
        if (!silent)
            std::fprintf(stderr, "regsvr: %s has no entry point %s\n", path.c_str(), entryName);
        dlclose(handle);
        return EntryPointMissing;
    }

    win32::ClearErrorInfo();
    const win32::HRESULT hr = entry();
    int status = Success;
    if (win32::FAILED(hr)) {
        status = CallFailed;
        if (!silent) {
            runtime::ErrorRecord info;
            std::string reason = win32::GetErrorInfo(hr, info) ? info.Description : win32::HResultDescription(hr);
            std::fprintf(stderr, "regsvr: %s in %s failed with status 0x%08X%s%s\n", entryName, path.c_str(),
                         static_cast<unsigned>(hr), reason.empty() ? "" : ": ", reason.c_str());
        }
    } else if (!silent) {
        std::printf("%s in %s succeeded.\n", entryName, path.c_str());
    }
    dlclose(handle);
    return status;
}
