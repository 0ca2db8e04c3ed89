#include "tests/support/Privileges.h"

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace
{
constexpr unsigned int Bypassing = (1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH) | (1u << CAP_FOWNER);

bool Capabilities(__user_cap_data_struct (&data)[2], bool set)
{
    __user_cap_header_struct header{};
    header.version = _LINUX_CAPABILITY_VERSION_3;
    header.pid = 0;
    return syscall(set ? SYS_capset : SYS_capget, &header, data) == 0;
}
} // namespace

ScopedFilePermissions::ScopedFilePermissions()
{
    __user_cap_data_struct data[2]{};
    if (!Capabilities(data, false))
        return;
    saved_[0] = data[0].effective;
    saved_[1] = data[1].effective;
    if ((data[0].effective & Bypassing) == 0)
        return;
    data[0].effective &= ~Bypassing;
    changed_ = Capabilities(data, true);
}

ScopedFilePermissions::~ScopedFilePermissions()
{
    if (!changed_)
        return;
    __user_cap_data_struct data[2]{};
    if (!Capabilities(data, false))
        return;
    data[0].effective = saved_[0];
    data[1].effective = saved_[1];
    Capabilities(data, true);
}
