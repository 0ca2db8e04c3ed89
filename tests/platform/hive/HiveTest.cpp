#include "platform/hive/Hive.h"

#include "platform/hive/CurrentHive.h"
#include "platform/hive/KeyName.h"
#include "platform/win32/Registry.h"
#include "tests/support/ScopedVariable.h"
#include "tests/support/TestFolder.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cstdio>
#include <gtest/gtest.h>
#include <map>
#include <random>
#include <sqlite3.h>
#include <string>
#include <sys/wait.h>
#include <tuple>
#include <unistd.h>

using namespace hive;
using namespace win32;

namespace
{
const std::vector<std::string> ShellFolders = {"Software",       "Microsoft", "Windows",
                                               "CurrentVersion", "Explorer",  "Shell Folders"};

using Rows = std::vector<std::vector<std::string>>;

// Runs SQL on a file directly, as another program would; the rows it gives, as text.
Rows RunSql(const QString& path, const char* sql)
{
    Rows rows;
    sqlite3* db = nullptr;
    EXPECT_EQ(sqlite3_open(path.toUtf8().constData(), &db), SQLITE_OK);
    const auto collect = [](void* out, int count, char** values, char**) {
        auto& row = static_cast<Rows*>(out)->emplace_back();
        for (int i = 0; i < count; ++i)
            row.emplace_back(values[i] ? values[i] : "<null>");
        return 0;
    };
    char* message = nullptr;
    EXPECT_EQ(sqlite3_exec(db, sql, collect, &rows, &message), SQLITE_OK) << (message ? message : "");
    sqlite3_free(message);
    sqlite3_close(db);
    return rows;
}

// Creates (or opens) a key below a root; 0 when that fails.
KeyId MakeKey(Hive& hive, const std::vector<std::string>& path, HKEY root = HKEY_CURRENT_USER)
{
    KeyId key = 0;
    bool created = false;
    EXPECT_EQ(hive.CreateKey(Hive::RootKey(root), path, true, key, created), ERROR_SUCCESS);
    return key;
}

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
class HiveFile : public ::testing::Test
{
protected:
    void TearDown() override { hive::ResetForTests(); }

    std::unique_ptr<Hive> Open(const QString& path)
    {
        LONG status = ERROR_SUCCESS;
        std::string error;
        auto hive = Hive::Open(path.toStdString(), status, error);
        EXPECT_EQ(status, ERROR_SUCCESS) << error;
        return hive;
    }

    // Makes a hive file of some 40 pages and closes it again.
    void MakeHive(const QString& path)
    {
        auto hive = Open(path);
        ASSERT_NE(hive, nullptr);
        for (int i = 0; i < 300; ++i) {
            const KeyId key = MakeKey(*hive, {"Software", "K" + std::to_string(i % 30)});
            ASSERT_EQ(hive->SetValue(key, "v" + std::to_string(i), REG_SZ, std::string(100, 'd')), ERROR_SUCCESS);
        }
    }

    TestFolder folder;
    // The hive seeds the favorites folder below HOME.
    const QString home = folder.MakeFolder(QStringLiteral("home"));
    const ScopedVariable homeVariable{"HOME", home.toUtf8().constData()};
    // Some tests point the registry functions at a hive of their own.
    const ScopedVariable hiveVariable{"STRANDMOOR_HIVE", nullptr};
};
} // namespace

// A new hive names the favorites folder and creates it; reopened, it keeps its data and is not
// seeded again.
TEST_F(HiveFile, NewHiveIsSeededOnceAndKeepsItsData)
{
    const QString path = folder.Sub(QStringLiteral("not/yet/there/registry.hive"));
    {
        auto hive = Open(path);
        ASSERT_NE(hive, nullptr);
        EXPECT_TRUE(QFileInfo::exists(path));

        // Every predefined root, and nothing past them, is a key of its own.
        for (HKEY root = HKEY_CLASSES_ROOT - 1; root <= HKEY_DYN_DATA + 1; ++root) {
            const bool predefined = root >= HKEY_CLASSES_ROOT && root <= HKEY_DYN_DATA;
            EXPECT_EQ(Hive::IsRoot(root), predefined) << root;
            KeyId key = 0;
            if (predefined) {
                EXPECT_EQ(hive->FindKey(Hive::RootKey(root), {}, key), ERROR_SUCCESS) << root;
            }
        }
        KeyId key = 0;
        ASSERT_EQ(hive->FindKey(Hive::RootKey(HKEY_CURRENT_USER), ShellFolders, key), ERROR_SUCCESS);
        StoredValue value;
        ASSERT_EQ(hive->GetValue(key, "favorites", value), ERROR_SUCCESS);
        EXPECT_EQ(value.Name, "Favorites");
        EXPECT_EQ(value.Type, REG_SZ);
        EXPECT_EQ(value.Data, (home + QStringLiteral("/Favorites")).toStdString() + '\0');
        EXPECT_TRUE(QFileInfo(home + QStringLiteral("/Favorites")).isDir());

        ASSERT_EQ(hive->DeleteValue(key, "Favorites"), ERROR_SUCCESS);
        key = MakeKey(*hive, {"Software", "Kept"}, HKEY_LOCAL_MACHINE);
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

// Whatever the file holds, every read and write is refused with a clear error naming the file,
// and the file stays exactly as it was.
TEST_F(HiveFile, FileThatIsNotASoundHiveIsReportedAndLeftUntouched)
{
    const QString whole = folder.Sub(QStringLiteral("whole.hive"));
    MakeHive(whole);
    const QByteArray hive = folder.ReadFile(QStringLiteral("whole.hive"));
    ASSERT_GT(hive.size(), 16 * 4096);
    QByteArray overwritten = hive;
    for (int i = 0; i < 8192; ++i)
        overwritten[hive.size() / 2 + i] = static_cast<char>(i * 7);
    QByteArray garbage;
    for (int i = 0; i < 5000; ++i)
        garbage.append(static_cast<char>((i * 7919) % 251));
    const QString database = folder.Sub(QStringLiteral("other.db"));
    RunSql(database, "CREATE TABLE t(x); INSERT INTO t VALUES(1);");
    const QString newer = folder.Sub(QStringLiteral("newer.hive"));
    MakeHive(newer);
    RunSql(newer, "PRAGMA user_version = 2;");
    const auto write = [this](const char* name, const QByteArray& bytes) {
        return folder.WriteFile(QString::fromLatin1(name), bytes);
    };
    // What the file is, where it is, and the reason the error gives.
    const std::tuple<const char*, QString, const char*> cases[] = {
        {"garbage", write("garbage.hive", garbage), "is not a registry hive"},
        {"text", write("notes.txt", "[section]\nkey=value\n"), "is not a registry hive"},
        {"another program's database", database, "is not a registry hive"},
        {"newer layout", newer, "newer version"},
        {"truncated in its header", write("header.hive", hive.left(60)), "is not a registry hive"},
        {"truncated after a page", write("page.hive", hive.left(4096 + 100)), "is damaged"},
        {"truncated in half", write("half.hive", hive.left(hive.size() / 2)), "is damaged"},
        {"middle pages overwritten", write("overwritten.hive", overwritten), "is damaged"},
        // Left by a hive that lost its contents; making it new would lose the rest unseen.
        {"empty", write("empty.hive", QByteArray()), "Delete the file to start afresh"},
    };
    for (const auto& [what, path, reason] : cases) {
        SCOPED_TRACE(what);
        const QByteArray before = folder.ReadFile(QDir(folder.Path()).relativeFilePath(path));

        LONG status = ERROR_SUCCESS;
        std::string error;
        EXPECT_EQ(Hive::Open(path.toStdString(), status, error), nullptr);
        EXPECT_EQ(status, ERROR_BADDB);
        EXPECT_NE(error.find(path.toStdString()), std::string::npos) << error;
        EXPECT_NE(error.find(reason), std::string::npos) << error;
        EXPECT_NE(error.find("left as it is"), std::string::npos) << error;

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
        EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, &key), ERROR_BADDB);
        EXPECT_EQ(hive::LastOpenError(), error);

        const QByteArray after = folder.ReadFile(QDir(folder.Path()).relativeFilePath(path));
        EXPECT_EQ(after, before);
    }
}

TEST_F(HiveFile, UnusableLocationCannotBeOpened)
{
    const QString file = folder.WriteFile(QStringLiteral("plain file"), "x");
    // A sound hive whose write-ahead log cannot be made beside it.
    const QString noLog = folder.Sub(QStringLiteral("nolog.hive"));
    MakeHive(noLog);
    folder.MakeFolder(QStringLiteral("nolog.hive-wal"));
    for (const QString& path :
         {file + QStringLiteral("/registry.hive"), folder.MakeFolder(QStringLiteral("dir")), noLog}) {
        SCOPED_TRACE(path.toStdString());
        LONG status = ERROR_SUCCESS;
        std::string error;
        EXPECT_EQ(Hive::Open(path.toStdString(), status, error), nullptr);
        EXPECT_EQ(status, ERROR_CANTOPEN);
        EXPECT_FALSE(error.empty());
    }
    EXPECT_EQ(folder.ReadFile(QStringLiteral("plain file")), "x");
}

// Opening a key that exists takes no write lock, so it goes on while another process writes.
TEST_F(HiveFile, ExistingKeysOpenWhileAnotherProcessWrites)
{
    const QString path = folder.Sub(QStringLiteral("registry.hive"));
    auto hive = Open(path);
    ASSERT_NE(hive, nullptr);
    const KeyId key = MakeKey(*hive, {"Software", "Busy"});
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(path.toUtf8().constData(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    KeyId again = 0;
    bool created = true;
    EXPECT_EQ(hive->CreateKey(Hive::RootKey(HKEY_CURRENT_USER), {"software", "BUSY"}, true, again, created),
              ERROR_SUCCESS);
    EXPECT_EQ(again, key);
    EXPECT_FALSE(created);
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
}

// Damage that shows only after the hive was opened is kept: from then on every write is refused.
TEST_F(HiveFile, DamageFoundInUseRefusesEveryWrite)
{
    const QString path = folder.Sub(QStringLiteral("registry.hive"));
    auto hive = Open(path);
    ASSERT_NE(hive, nullptr);
    KeyId key = 0;
    ASSERT_EQ(hive->FindKey(Hive::RootKey(HKEY_CURRENT_USER), ShellFolders, key), ERROR_SUCCESS);
    // The values' table is pointed at the b-tree of an index; a new table makes the hive see it.
    RunSql(path, "PRAGMA writable_schema = ON; UPDATE sqlite_schema SET rootpage = (SELECT rootpage FROM "
                 "sqlite_schema WHERE name = 'reg_values_by_name') WHERE name = 'reg_values'; "
                 "CREATE TABLE bump(x); DROP TABLE bump;");
    StoredValue value;
    EXPECT_EQ(hive->GetValue(key, "Favorites", value), ERROR_BADDB);
    EXPECT_NE(hive->Damage().find("is damaged"), std::string::npos) << hive->Damage();
    bool created = false;
    EXPECT_EQ(hive->CreateKey(Hive::RootKey(HKEY_CURRENT_USER), {"New"}, true, key, created), ERROR_BADDB);
    EXPECT_EQ(hive->FindKey(Hive::RootKey(HKEY_CURRENT_USER), {"New"}, key), ERROR_FILE_NOT_FOUND);
}

// The file keeps names and string data as readable text, and any other data as bytes.
TEST_F(HiveFile, StringsAreStoredAsTextInTheFile)
{
    const QString path = folder.Sub(QStringLiteral("registry.hive"));
    {
        auto hive = Open(path);
        ASSERT_NE(hive, nullptr);
        const KeyId key = MakeKey(*hive, {"Caf\xE9"});
        ASSERT_EQ(hive->SetValue(key, "na\xEFve", REG_SZ, std::string("\x80uro\0", 5)), ERROR_SUCCESS);
        ASSERT_EQ(hive->SetValue(key, "bytes", REG_BINARY, std::string("\x80\0", 2)), ERROR_SUCCESS);
    }
    // Names and text as UTF-8 ("€uro" with its terminator), other data as bytes.
    EXPECT_EQ(
        RunSql(path, "SELECT k.name, v.name, typeof(v.data), hex(v.data) FROM reg_values v "
                     "JOIN reg_keys k ON k.id = v.key WHERE k.name LIKE 'Caf%' ORDER BY v.id"),
        (Rows{{"Caf\xC3\xA9", "na\xC3\xAFve", "text", "E282AC75726F00"}, {"Caf\xC3\xA9", "bytes", "blob", "8000"}}));
}

// A key may lie 512 levels below its root, counted from the root whichever key a path starts at;
// a deeper one is refused and nothing of its path is made.
TEST_F(HiveFile, KeysDeeperThan512LevelsAreRefused)
{
    auto hive = Open(folder.Sub(QStringLiteral("registry.hive")));
    ASSERT_NE(hive, nullptr);
    std::vector<std::string> path(500, "L");
    path[0] = "Software";
    const KeyId deep = MakeKey(*hive, path);
    const std::vector<std::string> twelve = {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12"};
    std::vector<std::string> thirteen = twelve;
    thirteen.push_back("13");
    KeyId key = 0;
    bool created = false;
    EXPECT_EQ(hive->CreateKey(deep, thirteen, true, key, created), ERROR_BADKEY);
    EXPECT_EQ(hive->FindKey(deep, {"1"}, key), ERROR_FILE_NOT_FOUND);
    path.insert(path.end(), thirteen.begin(), thirteen.end());
    EXPECT_EQ(hive->CreateKey(Hive::RootKey(HKEY_CURRENT_USER), path, true, key, created), ERROR_BADKEY);
    ASSERT_EQ(hive->CreateKey(deep, twelve, true, key, created), ERROR_SUCCESS);
    // A key already there is opened however deep the path to it is.
    EXPECT_EQ(hive->CreateKey(deep, twelve, true, key, created), ERROR_SUCCESS);
    EXPECT_FALSE(created);
}

// Random changes to one key, some of them in transactions that fail and take back everything,
// some between the steps of a listing, against a model of the key: after every step the hive
// lists, counts and reads exactly what the model holds.
TEST_F(HiveFile, RandomChangesMatchAModel)
{
    auto hive = Open(folder.Sub(QStringLiteral("registry.hive")));
    ASSERT_NE(hive, nullptr);
    // Another process's changes come through a second hive on the same file.
    auto other = Open(folder.Sub(QStringLiteral("registry.hive")));
    Hive* writer = hive.get();
    const KeyId top = MakeKey(*hive, {"Model"});
    struct Model
    {
        std::map<std::string, std::string> SubKeys; // folded name -> first spelling
        std::vector<StoredValue> Values;            // in creation order
    } model;
    const char* names[] = {"alpha", "Beta", "gamma_2", "d", "a longer name here", "Zulu", "_x", "\xE9t\xE9"};
    std::mt19937 random(20);
    const auto pick = [&] {
        std::string name = names[random() % std::size(names)];
        if (random() % 2)
            name = FoldName(name);
        return name;
    };
    const auto change = [&](Model& m) {
        const std::string name = pick();
        const std::string fold = FoldName(name);
        KeyId key = 0;
        bool made = false;
        const auto found = std::find_if(m.Values.begin(), m.Values.end(),
                                        [&](const StoredValue& v) { return FoldName(v.Name) == fold; });
        switch (random() % 4) {
        case 0:
            ASSERT_EQ(writer->CreateKey(top, {name}, true, key, made), ERROR_SUCCESS);
            EXPECT_EQ(made, m.SubKeys.emplace(fold, name).second);
            break;
        case 1:
            EXPECT_EQ(writer->DeleteKey(top, {name}), m.SubKeys.erase(fold) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND);
            break;
        case 2: {
            const std::string data(random() % 50, 'x');
            ASSERT_EQ(writer->SetValue(top, name, REG_BINARY, data), ERROR_SUCCESS);
            if (found == m.Values.end())
                m.Values.push_back({name, REG_BINARY, data});
            else
                found->Data = data;
            break;
        }
        default: {
            EXPECT_EQ(writer->DeleteValue(top, name), found == m.Values.end() ? ERROR_FILE_NOT_FOUND : ERROR_SUCCESS);
            if (found != m.Values.end())
                m.Values.erase(found);
        }
        }
    };
    const auto compare = [&](DWORD from) {
        std::vector<std::string> keys;
        size_t longestKey = 0;
        for (const auto& [fold, name] : model.SubKeys) {
            keys.push_back(name);
            longestKey = std::max(longestKey, name.size());
        }
        StoredKey subkey;
        // Each index is asked twice, as a caller does that learns the size first.
        for (DWORD i = 2 * from; i < 2 * keys.size(); ++i) {
            ASSERT_EQ(hive->SubKeyAt(top, i / 2, subkey), ERROR_SUCCESS);
            EXPECT_EQ(subkey.Name, keys[i / 2]);
            EXPECT_GT(subkey.LastWriteTime, 0u);
        }
        EXPECT_EQ(hive->SubKeyAt(top, static_cast<DWORD>(keys.size()), subkey), ERROR_NO_MORE_ITEMS);
        StoredValue value;
        size_t longest = 0;
        for (DWORD i = 0; i < model.Values.size(); ++i) {
            ASSERT_EQ(hive->ValueAt(top, i, value), ERROR_SUCCESS);
            EXPECT_EQ(value.Name, model.Values[i].Name);
            EXPECT_EQ(value.Type, REG_BINARY);
            EXPECT_EQ(value.Data, model.Values[i].Data);
            ASSERT_EQ(hive->GetValue(top, FoldName(value.Name), value), ERROR_SUCCESS);
            EXPECT_EQ(value.Data, model.Values[i].Data);
            longest = std::max(longest, model.Values[i].Data.size());
        }
        EXPECT_EQ(hive->ValueAt(top, static_cast<DWORD>(model.Values.size()), value), ERROR_NO_MORE_ITEMS);
        KeyInfo info;
        ASSERT_EQ(hive->QueryInfo(top, info), ERROR_SUCCESS);
        EXPECT_EQ(info.SubKeys, keys.size());
        EXPECT_EQ(info.Values, model.Values.size());
        EXPECT_EQ(info.MaxValueLen, longest);
        EXPECT_EQ(info.MaxSubKeyLen, longestKey);
    };
    for (int step = 0; step < 300 && !HasFailure(); ++step) {
        SCOPED_TRACE(step);
        if (step % 10 == 9) {
            // A transaction that fails half-way leaves no trace.
            Model scratch = model;
            EXPECT_EQ(hive->RunAsOne(true,
                                     [&] {
                                         for (int i = 0; i < 3; ++i)
                                             change(scratch);
                                         return ERROR_CANTWRITE;
                                     }),
                      ERROR_CANTWRITE);
        } else if ((step % 10 == 4 || step % 10 == 7) && !model.SubKeys.empty()) {
            // A listing goes on correctly after a change between two of its steps, made here or
            // by another process.
            StoredKey first;
            ASSERT_EQ(hive->SubKeyAt(top, 0, first), ERROR_SUCCESS);
            writer = step % 10 == 4 ? hive.get() : other.get();
            change(model);
            writer = hive.get();
            compare(1);
        } else {
            change(model);
        }
        compare(0);
    }
    // Neither a root nor a key with subkeys is deleted.
    EXPECT_EQ(hive->DeleteKey(Hive::RootKey(HKEY_USERS), {}), ERROR_ACCESS_DENIED);
    KeyId key = 0;
    bool created = false;
    ASSERT_EQ(hive->CreateKey(top, {"child", "grandchild"}, true, key, created), ERROR_SUCCESS);
    EXPECT_EQ(hive->DeleteKey(top, {"child"}), ERROR_ACCESS_DENIED);
}

TEST_F(HiveFile, TwoProcessesWritingAtOnceLoseNoWrites)
{
    constexpr int Count = 1000;
    // Neither process finds a hive: they also race to create it.
    setenv("STRANDMOOR_HIVE", folder.Sub(QStringLiteral("shared.hive")).toUtf8().constData(), 1);

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
}
