#include "platform/hive/CurrentHive.h"

#include "platform/hive/HiveLocation.h"

#include <mutex>

namespace hive
{

namespace
{
std::mutex Lock;
std::shared_ptr<Hive> Current;
std::string LastError;
} // namespace

std::shared_ptr<Hive> CurrentHive(win32::LONG& status)
{
    std::lock_guard guard(Lock);
    const std::string path = HivePath();
    if (path.empty()) {
        Current.reset();
        LastError = std::string("No registry hive can be found: neither ") + HiveVariable + " nor HOME is set.";
        status = win32::ERROR_CANTOPEN;
        return nullptr;
    }
    if (Current && Current->Path() == path) {
        status = win32::ERROR_SUCCESS;
        return Current;
    }
    Current.reset();
    std::string error;
    std::unique_ptr<Hive> opened = Hive::Open(path, status, error);
    if (!opened) {
        LastError = error;
        return nullptr;
    }
    LastError.clear();
    Current = std::move(opened);
    return Current;
}

std::string LastOpenError()
{
    std::shared_ptr<Hive> open;
    {
        std::lock_guard guard(Lock);
        if (!Current)
            return LastError;
        open = Current;
    }
    return open->Damage();
}

win32::LONG RunAsOne(bool write, const std::function<win32::LONG()>& work)
{
    win32::LONG status = win32::ERROR_SUCCESS;
    const std::shared_ptr<Hive> current = CurrentHive(status);
    return current ? current->RunAsOne(write, work) : status;
}

void ResetForTests()
{
    std::lock_guard guard(Lock);
    Current.reset();
    LastError.clear();
}

} // namespace hive
