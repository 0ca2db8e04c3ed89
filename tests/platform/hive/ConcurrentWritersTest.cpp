#include "platform/hive/CurrentHive.h"
#include "platform/win32/Registry.h"
#include "tests/support/ScopedVariable.h"
#include "tests/support/TestFolder.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

using namespace win32;

namespace
{
// Writes `count` values named <prefix>0000.. into HKCU\Software\Race, one registry call per value;
// every 10th value also creates a subkey. False at the first failure. Runs in a child process.
bool WriteValues(const char* prefix, int count)
{
    HKEY key = 0;
    LONG status =
        RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Race", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    int written = 0;
    for (; written < count && status == ERROR_SUCCESS; ++written) {
        char name[64];
        std::snprintf(name, sizeof name, "%s%04d", prefix, written);
        const DWORD data = static_cast<DWORD>(written);
        status = RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof data);
        if (status == ERROR_SUCCESS && written % 10 == 0) {
            HKEY sub = 0;
            status = RegCreateKeyExA(key, name, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &sub, nullptr);
            RegCloseKey(sub);
        }
    }
    RegCloseKey(key);
    if (status != ERROR_SUCCESS)
        std::fprintf(stderr, "writer %s: status %d after %d values\n", prefix, status, written);
    return status == ERROR_SUCCESS;
}
} // namespace

TEST(ConcurrentWriters, TwoProcessesLoseNoWrites)
{
    constexpr int Count = 1000;
    TestFolder folder;
    // Neither process finds a hive: they also race to create it.
    const ScopedVariable hive("STRANDMOOR_HIVE", folder.Sub(QStringLiteral("shared.hive")).toUtf8().constData());
    hive::ResetForTests();

    // Both writers wait until the pipe closes, so their writes interleave.
    int go[2];
    ASSERT_EQ(pipe(go), 0);
    const char* prefixes[2] = {"first", "second"};
    pid_t writers[2];
    for (int i = 0; i < 2; ++i) {
        writers[i] = fork();
        ASSERT_GE(writers[i], 0);
        if (writers[i] == 0) {
            close(go[1]);
            char byte = 0;
            const bool written = read(go[0], &byte, 1) == 0 && WriteValues(prefixes[i], Count);
            _exit(written ? 0 : 1);
        }
    }
    close(go[0]);
    close(go[1]);
    for (pid_t writer : writers) {
        int status = -1;
        ASSERT_EQ(waitpid(writer, &status, 0), writer);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a writer failed, status " << status;
    }

    HKEY key = 0;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Race", 0, KEY_READ, &key), ERROR_SUCCESS);
    DWORD values = 0;
    DWORD subkeys = 0;
    ASSERT_EQ(RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr, nullptr,
                               nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(values, 2u * Count);
    EXPECT_EQ(subkeys, 2u * Count / 10);
    for (const char* prefix : prefixes) {
        for (int i = 0; i < Count; ++i) {
            char name[64];
            std::snprintf(name, sizeof name, "%s%04d", prefix, i);
            DWORD data = 0xFFFFFFFF;
            DWORD size = sizeof data;
            ASSERT_EQ(RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&data), &size),
                      ERROR_SUCCESS)
                << name;
            EXPECT_EQ(data, static_cast<DWORD>(i)) << name;
        }
    }
    RegCloseKey(key);
    hive::ResetForTests();
}
