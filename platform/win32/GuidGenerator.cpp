#include "platform/win32/GuidGenerator.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/random.h>
#include <unistd.h>
#include <utility>

namespace win32
{

namespace
{
std::function<HRESULT(GUID*)>& Replacement()
{
    static std::function<HRESULT(GUID*)> generator;
    return generator;
}

// The device, for kernels older than the getrandom call.
bool ReadRandomDevice(unsigned char* bytes, size_t size)
{
    const int fd = ::open("/dev/urandom", O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    size_t done = 0;
    while (done < size) {
        const ssize_t got = ::read(fd, bytes + done, size - done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        done += static_cast<size_t>(got);
    }
    ::close(fd);
    return done == size;
}
} // namespace

bool ReadSystemRandom(void* bytes, size_t size)
{
    auto* out = static_cast<unsigned char*>(bytes);
    size_t done = 0;
    while (done < size) {
        const ssize_t got = ::getrandom(out + done, size - done, 0);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            if (errno == ENOSYS)
                return ReadRandomDevice(out + done, size - done);
            return false;
        }
        done += static_cast<size_t>(got);
    }
    return true;
}

HRESULT CoCreateGuid(GUID* pguid)
{
    if (!pguid)
        return E_POINTER;
    if (Replacement())
        return Replacement()(pguid);

    unsigned char bytes[16];
    if (!ReadSystemRandom(bytes, sizeof bytes))
        return E_FAIL;
    GUID guid;
    std::memcpy(&guid.Data1, bytes, 4);
    std::memcpy(&guid.Data2, bytes + 4, 2);
    std::memcpy(&guid.Data3, bytes + 6, 2);
    std::memcpy(guid.Data4, bytes + 8, 8);
    // Mark it as a random identifier, as every generator of this kind does: version 4 in the
    // top four bits of the third field, the variant bits 10 at the top of the last field's first byte.
    guid.Data3 = static_cast<WORD>((guid.Data3 & 0x0FFF) | 0x4000);
    guid.Data4[0] = static_cast<BYTE>((guid.Data4[0] & 0x3F) | 0x80);
    *pguid = guid;
    return S_OK;
}

void SetGuidGenerator(std::function<HRESULT(GUID*)> generator)
{
    Replacement() = std::move(generator);
}

} // namespace win32
