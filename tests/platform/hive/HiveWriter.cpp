// Writes COUNT values named PREFIX0000.. into HKCU\Software\Race of the hive STRANDMOOR_HIVE
// names, one registry call per value, after the file GO appears. Every 10th value also
// creates a subkey. Exits non-zero at the first failure.
#include "platform/win32/Registry.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <thread>

using namespace win32;

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: hive_writer PREFIX COUNT GO\n");
        return 2;
    }
    const std::string prefix = argv[1];
    const int count = std::atoi(argv[2]);
    // Both writers start together, so their writes interleave.
    struct stat info;
    for (int wait = 0; stat(argv[3], &info) != 0; ++wait) {
        if (wait > 3000)
            return 3;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    HKEY key = 0;
    LONG status =
        RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Race", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    if (status != ERROR_SUCCESS) {
        std::fprintf(stderr, "create: %d\n", status);
        return 1;
    }
    for (int i = 0; i < count; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, "%s%04d", prefix.c_str(), i);
        const DWORD data = static_cast<DWORD>(i);
        status = RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof data);
        if (status == ERROR_SUCCESS && i % 10 == 0) {
            HKEY sub = 0;
            status = RegCreateKeyExA(key, name, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &sub, nullptr);
            RegCloseKey(sub);
        }
        if (status != ERROR_SUCCESS) {
            std::fprintf(stderr, "write %s: %d\n", name, status);
            return 1;
        }
    }
    RegCloseKey(key);
    return 0;
}
