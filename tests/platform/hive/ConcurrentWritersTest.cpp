#include "platform/hive/CurrentHive.h"
#include "platform/win32/Registry.h"
#include "tests/support/TestFolder.h"

#include <QProcess>
#include <QProcessEnvironment>

#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>
#include <string>

using namespace win32;

TEST(ConcurrentWriters, TwoProcessesLoseNoWrites)
{
    constexpr int Count = 1000;
    TestFolder folder;
    // Neither process finds a hive: they also race to create it.
    const QString hivePath = folder.Sub(QStringLiteral("shared.hive"));
    const QString go = folder.Sub(QStringLiteral("go"));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("STRANDMOOR_HIVE"), hivePath);

    std::unique_ptr<QProcess> writers[2];
    const char* prefixes[2] = {"first", "second"};
    for (int i = 0; i < 2; ++i) {
        writers[i] = std::make_unique<QProcess>();
        writers[i]->setProcessEnvironment(environment);
        writers[i]->start(QStringLiteral(HIVE_WRITER_PATH),
                          {QString::fromLatin1(prefixes[i]), QString::number(Count), go});
        ASSERT_TRUE(writers[i]->waitForStarted(30000));
    }
    folder.WriteFile(QStringLiteral("go"));
    for (auto& writer : writers) {
        ASSERT_TRUE(writer->waitForFinished(240000));
        EXPECT_EQ(writer->exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(writer->exitCode(), 0) << writer->readAllStandardError().toStdString();
    }

    setenv("STRANDMOOR_HIVE", hivePath.toUtf8().constData(), 1);
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
    unsetenv("STRANDMOOR_HIVE");
}
