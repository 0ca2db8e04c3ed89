#include "platform/hive/Hive.h"

#include "platform/hive/CurrentHive.h"
#include "platform/win32/Registry.h"
#include "tests/support/TestFolder.h"

#include <QDir>
#include <QFileInfo>

#include <cstdlib>
#include <functional>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <string>

using namespace hive;
using namespace win32;

namespace
{
const std::vector<std::string> ShellFolders = {"Software",       "Microsoft", "Windows",
                                               "CurrentVersion", "Explorer",  "Shell Folders"};

// Runs SQL on a file directly, as another program would.
void RunSql(const QString& path, const char* sql)
{
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.toUtf8().constData(), &db), SQLITE_OK);
    char* message = nullptr;
    EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, &message), SQLITE_OK) << (message ? message : "");
    sqlite3_free(message);
    sqlite3_close(db);
}

// Makes a hive file and closes it again.
void MakeHive(const QString& path)
{
    LONG status = ERROR_SUCCESS;
    std::string error;
    ASSERT_NE(Hive::Open(path.toStdString(), status, error), nullptr) << error;
}

class HiveFile : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const char* old = std::getenv("HOME");
        oldHome = old ? old : "";
        home = folder.MakeFolder(QStringLiteral("home"));
        setenv("HOME", home.toUtf8().constData(), 1);
    }
    void TearDown() override
    {
        hive::ResetForTests();
        unsetenv("STRANDMOOR_HIVE");
        setenv("HOME", oldHome.c_str(), 1);
    }

    std::unique_ptr<Hive> Open(const QString& path)
    {
        LONG status = ERROR_SUCCESS;
        std::string error;
        auto hive = Hive::Open(path.toStdString(), status, error);
        EXPECT_EQ(status, ERROR_SUCCESS) << error;
        return hive;
    }

    TestFolder folder;
    QString home;
    std::string oldHome;
};
} // namespace

TEST_F(HiveFile, NewHiveNamesTheFavoritesFolderAndCreatesIt)
{
    const QString path = folder.Sub(QStringLiteral("not/yet/there/registry.hive"));
    auto hive = Open(path);
    ASSERT_NE(hive, nullptr);
    EXPECT_TRUE(QFileInfo::exists(path));

    KeyId key = 0;
    ASSERT_EQ(hive->FindKey(Hive::RootKey(HKEY_CURRENT_USER), ShellFolders, key), ERROR_SUCCESS);
    StoredValue value;
    ASSERT_EQ(hive->GetValue(key, "favorites", value), ERROR_SUCCESS);
    EXPECT_EQ(value.Name, "Favorites");
    EXPECT_EQ(value.Type, REG_SZ);
    EXPECT_EQ(value.Data, (home + QStringLiteral("/Favorites")).toStdString() + '\0');
    EXPECT_TRUE(QFileInfo(home + QStringLiteral("/Favorites")).isDir());
}

TEST_F(HiveFile, ReopenedHiveKeepsItsDataAndIsNotSeededAgain)
{
    const QString path = folder.Sub(QStringLiteral("registry.hive"));
    {
        auto hive = Open(path);
        ASSERT_NE(hive, nullptr);
        KeyId key = 0;
        ASSERT_EQ(hive->FindKey(Hive::RootKey(HKEY_CURRENT_USER), ShellFolders, key), ERROR_SUCCESS);
        ASSERT_EQ(hive->DeleteValue(key, "Favorites"), ERROR_SUCCESS);
        bool created = false;
        ASSERT_EQ(hive->CreateKey(Hive::RootKey(HKEY_LOCAL_MACHINE), {"Software", "Kept"}, true, key, created),
                  ERROR_SUCCESS);
        ASSERT_EQ(hive->SetValue(key, "v", REG_BINARY, "\x01\x02"), ERROR_SUCCESS);
    }
    QDir(home).rmdir(QStringLiteral("Favorites"));

    auto hive = Open(path);
    ASSERT_NE(hive, nullptr);
    KeyId key = 0;
    ASSERT_EQ(hive->FindKey(Hive::RootKey(HKEY_CURRENT_USER), ShellFolders, key), ERROR_SUCCESS);
    StoredValue value;
    EXPECT_EQ(hive->GetValue(key, "Favorites", value), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(QFileInfo::exists(home + QStringLiteral("/Favorites")));
    ASSERT_EQ(hive->FindKey(Hive::RootKey(HKEY_LOCAL_MACHINE), {"SOFTWARE", "kept"}, key), ERROR_SUCCESS);
    ASSERT_EQ(hive->GetValue(key, "V", value), ERROR_SUCCESS);
    EXPECT_EQ(value.Data, "\x01\x02");
}

TEST_F(HiveFile, EmptyFileBecomesAHive)
{
    const QString path = folder.WriteFile(QStringLiteral("registry.hive"));
    auto hive = Open(path);
    ASSERT_NE(hive, nullptr);
    KeyId key = 0;
    EXPECT_EQ(hive->FindKey(Hive::RootKey(HKEY_CURRENT_USER), ShellFolders, key), ERROR_SUCCESS);
}

// Whatever the file holds, the answer is a clear error and the file stays exactly as it was.
TEST_F(HiveFile, FileThatIsNotAHiveIsReportedAndLeftUntouched)
{
    struct Case
    {
        const char* Name;
        std::function<QString()> Make;
        const char* Reason;
    };
    const Case cases[] = {
        {"garbage",
         [&] {
             QByteArray bytes;
             for (int i = 0; i < 5000; ++i)
                 bytes.append(static_cast<char>((i * 7919) % 251));
             return folder.WriteFile(QStringLiteral("garbage.hive"), bytes);
         },
         "is not a registry hive"},
        {"text", [&] { return folder.WriteFile(QStringLiteral("notes.txt"), "[section]\nkey=value\n"); },
         "is not a registry hive"},
        {"another program's database",
         [&] {
             const QString path = folder.Sub(QStringLiteral("other.db"));
             RunSql(path, "CREATE TABLE t(x); INSERT INTO t VALUES(1);");
             return path;
         },
         "is not a registry hive"},
        {"newer layout",
         [&] {
             const QString path = folder.Sub(QStringLiteral("newer.hive"));
             MakeHive(path);
             RunSql(path, "PRAGMA user_version = 2;");
             return path;
         },
         "newer version"},
        {"truncated hive",
         [&] {
             const QString path = folder.Sub(QStringLiteral("whole.hive"));
             MakeHive(path);
             return folder.WriteFile(QStringLiteral("truncated.hive"),
                                     folder.ReadFile(QStringLiteral("whole.hive")).left(4096 + 100));
         },
         "registry hive"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        const QString path = c.Make();
        const QByteArray before =
            QFileInfo(path).exists() ? folder.ReadFile(QDir(folder.Path()).relativeFilePath(path)) : QByteArray();
        ASSERT_FALSE(before.isEmpty());

        LONG status = ERROR_SUCCESS;
        std::string error;
        EXPECT_EQ(Hive::Open(path.toStdString(), status, error), nullptr);
        EXPECT_EQ(status, ERROR_BADDB);
        EXPECT_NE(error.find(path.toStdString()), std::string::npos) << error;
        EXPECT_NE(error.find(c.Reason), std::string::npos) << error;

        // The registry functions answer with the status and keep the reason for the caller.
        setenv("STRANDMOOR_HIVE", path.toUtf8().constData(), 1);
        HKEY key = 0x1234;
        EXPECT_EQ(
            RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\X", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_BADDB);
        EXPECT_EQ(key, 0u);
        const BYTE data[] = {1};
        EXPECT_EQ(RegSetValueExA(HKEY_CURRENT_USER, "v", 0, REG_BINARY, data, 1), ERROR_BADDB);
        EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "Software"), ERROR_BADDB);
        EXPECT_EQ(hive::LastOpenError(), error);

        const QByteArray after = folder.ReadFile(QDir(folder.Path()).relativeFilePath(path));
        EXPECT_EQ(after, before);
    }
}

TEST_F(HiveFile, UnusableLocationCannotBeOpened)
{
    const QString file = folder.WriteFile(QStringLiteral("plain file"), "x");
    for (const QString& path : {file + QStringLiteral("/registry.hive"), folder.MakeFolder(QStringLiteral("dir"))}) {
        SCOPED_TRACE(path.toStdString());
        LONG status = ERROR_SUCCESS;
        std::string error;
        EXPECT_EQ(Hive::Open(path.toStdString(), status, error), nullptr);
        EXPECT_EQ(status, ERROR_CANTOPEN);
        EXPECT_FALSE(error.empty());
    }
    EXPECT_EQ(folder.ReadFile(QStringLiteral("plain file")), "x");
}

// The file keeps names and string data as readable text, and any other data as bytes.
TEST_F(HiveFile, StringsAreStoredAsTextInTheFile)
{
    const QString path = folder.Sub(QStringLiteral("registry.hive"));
    {
        auto hive = Open(path);
        ASSERT_NE(hive, nullptr);
        KeyId key = 0;
        bool created = false;
        ASSERT_EQ(hive->CreateKey(Hive::RootKey(HKEY_CURRENT_USER), {"Caf\xE9"}, true, key, created), ERROR_SUCCESS);
        ASSERT_EQ(hive->SetValue(key, "na\xEFve", REG_SZ, std::string("\x80uro\0", 5)), ERROR_SUCCESS);
        ASSERT_EQ(hive->SetValue(key, "bytes", REG_BINARY, std::string("\x80\0", 2)), ERROR_SUCCESS);
    }
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.toUtf8().constData(), &db), SQLITE_OK);
    sqlite3_stmt* stmt = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db,
                                 "SELECT k.name, v.name, typeof(v.data), hex(v.data) FROM reg_values v "
                                 "JOIN reg_keys k ON k.id = v.key WHERE k.name LIKE 'Caf%' ORDER BY v.id",
                                 -1, &stmt, nullptr),
              SQLITE_OK);
    const auto text = [&](int column) {
        return std::string(reinterpret_cast<const char*>(sqlite3_column_text(stmt, column)));
    };
    ASSERT_EQ(sqlite3_step(stmt), SQLITE_ROW);
    EXPECT_EQ(text(0), "Caf\xC3\xA9");
    EXPECT_EQ(text(1), "na\xC3\xAFve");
    EXPECT_EQ(text(2), "text");
    EXPECT_EQ(text(3), "E282AC75726F00"); // "€uro" and its terminator, in UTF-8
    ASSERT_EQ(sqlite3_step(stmt), SQLITE_ROW);
    EXPECT_EQ(text(2), "blob");
    EXPECT_EQ(text(3), "8000");
    sqlite3_finalize(stmt);
    sqlite3_close(db);
}
