#include "reglib/ServerModule.h"

#include <atomic>

namespace tarnhold
{

namespace
{
std::atomic<long> liveObjects{0};
std::atomic<long> locks{0};
} // namespace

void ObjectCreated()
{
    ++liveObjects;
}

void ObjectDestroyed()
{
    --liveObjects;
}

void LockModule(bool lock)
{
    if (lock) {
        ++locks;
        return;
    }
    // An unmatched unlock must not let the count go negative and unload a library in use.
    long current = locks.load();
    while (current > 0 && !locks.compare_exchange_weak(current, current - 1)) {
    }
}

bool ModuleInUse()
{
    return liveObjects.load() > 0 || locks.load() > 0;
}

} // namespace tarnhold
