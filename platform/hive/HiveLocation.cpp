#include "platform/hive/HiveLocation.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>
#include <vector>

namespace hive
{

namespace
{
std::string Variable(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}
} // namespace

std::string HomeFolder()
{
    std::string home = Variable("HOME");
    if (!home.empty())
        return home;
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<size_t>(size) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_dir)
        return found->pw_dir;
    return {};
}

std::string HivePath()
{
    std::string path = Variable(HiveVariable);
    if (!path.empty())
        return path;
    // A relative XDG_DATA_HOME is invalid by the XDG rules and must be ignored.
    std::string data = Variable("XDG_DATA_HOME");
    if (data.empty() || data.front() != '/') {
        const std::string home = HomeFolder();
        if (home.empty())
            return {};
        data = home + "/.local/share";
    }
    return data + "/Strandmoor/registry.hive";
}

} // namespace hive
