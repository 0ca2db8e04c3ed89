#include "platform/hive/CurrentHive.h"
#include "platform/win32/Registry.h"
#include "tests/support/TestFolder.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>

#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace win32;

namespace
{
struct RunResult
{
    int Exit = -1;
    std::string Out;
    std::string Err;
};

std::string Bytes(std::initializer_list<int> values)
{
    std::string out;
    for (int v : values)
        out.push_back(static_cast<char>(v));
    return out;
}

// Each test has its own hive file, used both by the tool it runs and by the registry
// functions it checks with.
class RegTool : public ::testing::Test
{
protected:
    void SetUp() override { UseHive(folder.Sub(QStringLiteral("registry.hive"))); }
    void TearDown() override
    {
        hive::ResetForTests();
        unsetenv("STRANDMOOR_HIVE");
    }

    void UseHive(const QString& path)
    {
        hivePath = path;
        setenv("STRANDMOOR_HIVE", path.toUtf8().constData(), 1);
    }

    RunResult Run(const QStringList& args, const QByteArray& input = QByteArray(),
                  const QString& program = QStringLiteral(REG_TOOL_PATH), const QString& workingFolder = QString())
    {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("STRANDMOOR_HIVE"), hivePath);
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(workingFolder);
        process.start(program, args);
        EXPECT_TRUE(process.waitForStarted(30000));
        process.write(input);
        process.closeWriteChannel();
        EXPECT_TRUE(process.waitForFinished(60000));
        RunResult result;
        result.Exit = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        result.Out = process.readAllStandardOutput().toStdString();
        result.Err = process.readAllStandardError().toStdString();
        return result;
    }

    // The value as the registry functions see it; type 0xFFFFFFFF when it is missing.
    std::pair<DWORD, std::string> Value(const char* key, const char* name)
    {
        HKEY h = 0;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, key, 0, KEY_READ, &h) != ERROR_SUCCESS)
            return {0xFFFFFFFFu, ""};
        DWORD type = 0;
        DWORD size = 0;
        std::string data;
        if (RegQueryValueExA(h, name, nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
            data.resize(size);
            RegQueryValueExA(h, name, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size);
        } else {
            type = 0xFFFFFFFFu;
        }
        RegCloseKey(h);
        return {type, data};
    }

    void Set(HKEY key, const char* name, DWORD type, const std::string& data)
    {
        ASSERT_EQ(RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                                 static_cast<DWORD>(data.size())),
                  ERROR_SUCCESS);
    }

    HKEY Create(const char* path)
    {
        HKEY h = 0;
        EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h, nullptr),
                  ERROR_SUCCESS);
        return h;
    }

    bool KeyExists(const char* path)
    {
        HKEY h = 0;
        const bool found = RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &h) == ERROR_SUCCESS;
        RegCloseKey(h);
        return found;
    }

    TestFolder folder;
    QString hivePath;
};

// Everything below a key (names, types, data, order), written out for comparison.
std::string Dump(HKEY parent, const std::string& path)
{
    HKEY key = 0;
    if (RegOpenKeyExA(parent, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return "<missing " + path + ">";
    std::string out = "[" + path + "]\n";
    for (DWORD i = 0;; ++i) {
        char name[512];
        DWORD nameLength = sizeof name;
        std::string data(70000, '\0');
        DWORD size = static_cast<DWORD>(data.size());
        DWORD type = 0;
        if (RegEnumValueA(key, i, name, &nameLength, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size) !=
            ERROR_SUCCESS)
            break;
        out += std::string(name, nameLength) + " type " + std::to_string(type) + " = ";
        for (DWORD k = 0; k < size; ++k)
            out += std::to_string(static_cast<unsigned char>(data[k])) + ",";
        out += "\n";
    }
    for (DWORD i = 0;; ++i) {
        char name[256];
        DWORD length = sizeof name;
        if (RegEnumKeyExA(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        out += Dump(parent, path + "\\" + std::string(name, length));
    }
    RegCloseKey(key);
    return out;
}
} // namespace

TEST_F(RegTool, AddedValuesAreStoredAndShownByType)
{
    struct Case
    {
        const char* Type;
        const char* Data;
        DWORD Code;
        std::string Stored;
        const char* Shown;
    };
    const Case cases[] = {
        {"REG_SZ", "hello world", REG_SZ, std::string("hello world\0", 12), "hello world"},
        {"REG_EXPAND_SZ", "%HOME%/x", REG_EXPAND_SZ, std::string("%HOME%/x\0", 9), "%HOME%/x"},
        {"REG_MULTI_SZ", "a\\0b", REG_MULTI_SZ, std::string("a\0b\0\0", 5), "a\\0b"},
        {"REG_DWORD", "5", REG_DWORD, Bytes({5, 0, 0, 0}), "0x5"},
        {"reg_dword", "0xffffffff", REG_DWORD, Bytes({255, 255, 255, 255}), "0xffffffff"},
        {"REG_QWORD", "0x100000000", REG_QWORD, Bytes({0, 0, 0, 0, 1, 0, 0, 0}), "0x100000000"},
        {"REG_BINARY", "00ff10", REG_BINARY, Bytes({0, 255, 16}), "00FF10"},
        {"REG_NONE", "", REG_NONE, "", ""},
    };
    int index = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Type);
        const QString name = QStringLiteral("v%1").arg(++index);
        const RunResult add = Run({"add", "HKCU\\Software\\Tool", "/v", name, "/t", QString::fromLatin1(c.Type), "/d",
                                   QString::fromLatin1(c.Data), "/f"});
        ASSERT_EQ(add.Exit, 0) << add.Err;
        EXPECT_EQ(add.Out, "The operation completed successfully.\n");
        const auto stored = Value("Software\\Tool", name.toStdString().c_str());
        EXPECT_EQ(stored.first, c.Code);
        EXPECT_EQ(stored.second, c.Stored);

        const RunResult query = Run({"query", "hkcu\\software\\tool", "/v", name});
        ASSERT_EQ(query.Exit, 0) << query.Err;
        const std::string typeName = c.Code == REG_DWORD ? "REG_DWORD" : c.Type;
        // The key is echoed as typed, with the root's full name.
        EXPECT_EQ(query.Out, "\nHKEY_CURRENT_USER\\software\\tool\n    " + name.toStdString() + "    " + typeName +
                                 "    " + c.Shown + "\n\n");
    }
}

TEST_F(RegTool, SetsTheFavoritesFolder)
{
    const char* key = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
    // A new hive already names the Favorites folder in the home folder.
    const RunResult before =
        Run({"query", QString::fromLatin1("HKCU\\") + QString::fromLatin1(key), "/v", "Favorites"});
    ASSERT_EQ(before.Exit, 0) << before.Err;
    EXPECT_NE(before.Out.find("    Favorites    REG_SZ    " + std::string(std::getenv("HOME")) + "/Favorites\n"),
              std::string::npos)
        << before.Out;

    const QString favorites = folder.MakeFolder(QStringLiteral("Mine/Favorites"));
    const RunResult add = Run({"add", QString::fromLatin1("HKCU\\") + QString::fromLatin1(key), "/v", "Favorites", "/t",
                               "REG_SZ", "/d", favorites, "/f"});
    ASSERT_EQ(add.Exit, 0) << add.Err;
    EXPECT_EQ(Value(key, "Favorites"), std::make_pair(REG_SZ, favorites.toStdString() + '\0'));
}

TEST_F(RegTool, BadDataOrTypeWritesNothing)
{
    const QStringList bad[] = {
        {"add", "HKCU\\Software\\Tool", "/v", "n", "/t", "REG_DWORD", "/d", "abc", "/f"},
        {"add", "HKCU\\Software\\Tool", "/v", "n", "/t", "REG_DWORD", "/d", "-1", "/f"},
        {"add", "HKCU\\Software\\Tool", "/v", "n", "/t", "REG_BINARY", "/d", "123", "/f"},
        {"add", "HKCU\\Software\\Tool", "/v", "n", "/t", "REG_WHATEVER", "/d", "1", "/f"},
        {"add", "HKXX\\Software\\Tool", "/v", "n", "/d", "1", "/f"},
    };
    for (const QStringList& args : bad) {
        SCOPED_TRACE(args.join(QLatin1Char(' ')).toStdString());
        const RunResult result = Run(args);
        EXPECT_EQ(result.Exit, 1);
        EXPECT_EQ(result.Err.rfind("ERROR: ", 0), 0u) << result.Err;
    }
    EXPECT_FALSE(KeyExists("Software\\Tool"));
}

TEST_F(RegTool, AsksBeforeOverwritingOrDeleting)
{
    HKEY key = Create("Software\\Tool");
    Set(key, "n", REG_SZ, std::string("old\0", 4));
    RegCloseKey(key);

    RunResult result = Run({"add", "HKCU\\Software\\Tool", "/v", "n", "/d", "new"}, "n\n");
    EXPECT_EQ(result.Exit, 1);
    EXPECT_NE(result.Out.find("Value n exists, overwrite(Yes/No)?"), std::string::npos) << result.Out;
    EXPECT_EQ(Value("Software\\Tool", "n").second, std::string("old\0", 4));

    // No answer at all (input closed) is no as well.
    result = Run({"delete", "HKCU\\Software\\Tool", "/v", "n"});
    EXPECT_EQ(result.Exit, 1);
    EXPECT_EQ(Value("Software\\Tool", "n").second, std::string("old\0", 4));

    result = Run({"add", "HKCU\\Software\\Tool", "/v", "n", "/d", "new"}, "Yes\n");
    EXPECT_EQ(result.Exit, 0) << result.Err;
    EXPECT_EQ(Value("Software\\Tool", "n").second, std::string("new\0", 4));

    result = Run({"delete", "HKCU\\Software\\Tool"}, "y\n");
    EXPECT_EQ(result.Exit, 0) << result.Err;
    EXPECT_FALSE(KeyExists("Software\\Tool"));
}

TEST_F(RegTool, QueriesKeysValuesAndTrees)
{
    HKEY key = Create("Software\\Tool");
    Set(key, "", REG_SZ, std::string("dflt\0", 5));
    Set(key, "b", REG_DWORD, Bytes({7, 0, 0, 0}));
    RegCloseKey(key);
    key = Create("Software\\Tool\\Inner");
    Set(key, "deep", REG_SZ, std::string("x\0", 2));
    // Control characters are shown escaped: one value is one line.
    Set(key, "line\nbreak", REG_SZ, std::string("tab\there\x1B[2J\x81\0", 15));
    RegCloseKey(key);

    RunResult result = Run({"query", "HKCU\\Software\\Tool"});
    ASSERT_EQ(result.Exit, 0) << result.Err;
    EXPECT_EQ(result.Out, "\nHKEY_CURRENT_USER\\Software\\Tool\n"
                          "    (Default)    REG_SZ    dflt\n"
                          "    b    REG_DWORD    0x7\n"
                          "\n"
                          "HKEY_CURRENT_USER\\Software\\Tool\\Inner\n");

    result = Run({"query", "HKCU\\Software\\Tool", "/s"});
    ASSERT_EQ(result.Exit, 0) << result.Err;
    EXPECT_EQ(result.Out, "\nHKEY_CURRENT_USER\\Software\\Tool\n"
                          "    (Default)    REG_SZ    dflt\n"
                          "    b    REG_DWORD    0x7\n"
                          "\n"
                          "HKEY_CURRENT_USER\\Software\\Tool\\Inner\n"
                          "    deep    REG_SZ    x\n"
                          "    line\\nbreak    REG_SZ    tab\\there\\x1B[2J\\x81\n"
                          "\n");

    result = Run({"query", "HKCU\\Software\\Tool", "/v", "deep", "/s"});
    ASSERT_EQ(result.Exit, 0) << result.Err;
    EXPECT_NE(result.Out.find("End of search: 1 match(es) found."), std::string::npos) << result.Out;

    result = Run({"query", "HKCU\\Software\\Tool", "/ve"});
    ASSERT_EQ(result.Exit, 0) << result.Err;
    EXPECT_NE(result.Out.find("(Default)    REG_SZ    dflt"), std::string::npos);

    for (const QStringList& missing : {QStringList{"query", "HKCU\\Software\\Nowhere"},
                                       QStringList{"query", "HKCU\\Software\\Tool", "/v", "nothing"}}) {
        result = Run(missing);
        EXPECT_EQ(result.Exit, 1);
        EXPECT_EQ(result.Err, "ERROR: The system was unable to find the specified registry key or value.\n");
        EXPECT_TRUE(result.Out.empty());
    }
}

TEST_F(RegTool, DeletesValuesKeysAndWholeTrees)
{
    HKEY key = Create("Software\\Tool\\A\\B");
    RegCloseKey(key);
    key = Create("Software\\Tool");
    Set(key, "one", REG_SZ, std::string("1\0", 2));
    Set(key, "two", REG_SZ, std::string("2\0", 2));
    Set(key, "three", REG_SZ, std::string("3\0", 2));
    RegCloseKey(key);

    EXPECT_EQ(Run({"delete", "HKCU\\Software\\Tool", "/v", "one", "/f"}).Exit, 0);
    EXPECT_EQ(Value("Software\\Tool", "one").first, 0xFFFFFFFFu);
    EXPECT_EQ(Value("Software\\Tool", "two").first, REG_SZ);
    EXPECT_EQ(Run({"delete", "HKCU\\Software\\Tool", "/v", "one", "/f"}).Exit, 1);

    EXPECT_EQ(Run({"delete", "HKCU\\Software\\Tool", "/va", "/f"}).Exit, 0);
    EXPECT_EQ(Value("Software\\Tool", "two").first, 0xFFFFFFFFu);
    EXPECT_EQ(Value("Software\\Tool", "three").first, 0xFFFFFFFFu);
    EXPECT_TRUE(KeyExists("Software\\Tool\\A\\B"));

    // A key with subkeys goes with everything below it; a root never does.
    EXPECT_EQ(Run({"delete", "HKCU\\Software\\Tool", "/f"}).Exit, 0);
    EXPECT_FALSE(KeyExists("Software\\Tool"));
    EXPECT_TRUE(KeyExists("Software"));
    const RunResult root = Run({"delete", "HKCU", "/f"});
    EXPECT_EQ(root.Exit, 1);
    EXPECT_TRUE(KeyExists("Software\\Microsoft"));
}

TEST_F(RegTool, ExportThenImportIntoAnEmptyHiveRoundTripsEveryType)
{
    std::string allBytes;
    for (int i = 0; i < 256; ++i)
        allBytes.push_back(static_cast<char>(i));
    HKEY key = Create("Software\\Round");
    Set(key, "", REG_SZ, std::string("default\0", 8));
    Set(key, "plain", REG_SZ, std::string("C:\\dir \"quoted\" caf\xE9 \x80", 22) + '\0');
    Set(key, "lines", REG_SZ, std::string("one\r\ntwo\0", 9));
    Set(key, "unterminated", REG_SZ, "abc");
    Set(key, "expand", REG_EXPAND_SZ, std::string("%HOME%\\x\0", 9));
    Set(key, "multi", REG_MULTI_SZ, std::string("a\0b\xFF\0\0", 6));
    Set(key, "binary", REG_BINARY, allBytes);
    Set(key, "empty binary", REG_BINARY, "");
    Set(key, "dword", REG_DWORD, Bytes({0x78, 0x56, 0x34, 0x12}));
    Set(key, "odd dword", REG_DWORD, Bytes({1, 2}));
    Set(key, "big", REG_DWORD_BIG_ENDIAN, Bytes({0, 0, 1, 2}));
    Set(key, "qword", REG_QWORD, Bytes({1, 2, 3, 4, 5, 6, 7, 8}));
    Set(key, "none", REG_NONE, Bytes({0}));
    Set(key, "link", REG_LINK, "ln");
    Set(key, "private type", 0x7F001, Bytes({0xAA, 0xBB}));
    Set(key, "Name \"quoted\" \\ \xE9", REG_SZ, std::string("x\0", 2));
    RegCloseKey(key);
    RegCloseKey(Create("Software\\Round\\Empty subkey"));
    key = Create("Software\\Round\\sub\\Deeper");
    Set(key, "n", REG_DWORD, Bytes({1, 0, 0, 0}));
    RegCloseKey(key);
    const std::string original = Dump(HKEY_CURRENT_USER, "Software\\Round");

    const QString file = folder.Sub(QStringLiteral("round.reg"));
    const RunResult exported = Run({"export", "HKCU\\Software\\Round", file});
    ASSERT_EQ(exported.Exit, 0) << exported.Err;
    const QByteArray content = folder.ReadFile(QStringLiteral("round.reg"));
    const QByteArray header = QByteArray("\xFF\xFEW\0i\0n\0d\0o\0w\0s\0", 16);
    EXPECT_TRUE(content.startsWith(header));

    UseHive(folder.Sub(QStringLiteral("empty.hive")));
    ASSERT_EQ(Dump(HKEY_CURRENT_USER, "Software\\Round"), "<missing Software\\Round>");
    const RunResult imported = Run({"import", file});
    ASSERT_EQ(imported.Exit, 0) << imported.Err;
    EXPECT_EQ(Dump(HKEY_CURRENT_USER, "Software\\Round"), original);

    // An existing file is replaced only when the user agrees.
    const RunResult again = Run({"export", "HKCU\\Software\\Round\\sub", file}, "no\n");
    EXPECT_EQ(again.Exit, 1);
    EXPECT_EQ(folder.ReadFile(QStringLiteral("round.reg")), content);
    EXPECT_EQ(Run({"export", "HKCU\\Software\\Round\\sub", file, "/y"}).Exit, 0);
    EXPECT_NE(folder.ReadFile(QStringLiteral("round.reg")), content);
}

TEST_F(RegTool, ImportAppliesDeletionsFromAnAnsiFile)
{
    HKEY key = Create("Software\\Old\\Child");
    RegCloseKey(key);
    key = Create("Software\\Kept");
    Set(key, "gone", REG_SZ, std::string("x\0", 2));
    Set(key, "stays", REG_SZ, std::string("y\0", 2));
    RegCloseKey(key);

    const QString file =
        folder.WriteFile(QStringLiteral("edit.reg"), "REGEDIT4\r\n\r\n"
                                                     "[-HKEY_CURRENT_USER\\Software\\Old]\r\n\r\n"
                                                     "[HKEY_CURRENT_USER\\Software\\Kept]\r\n"
                                                     "\"gone\"=-\r\n"
                                                     "\"new\"=\"caf\xE9\"\r\n"
                                                     "[-HKEY_CURRENT_USER\\Software\\Never there]\r\n");
    const RunResult result = Run({"import", file});
    ASSERT_EQ(result.Exit, 0) << result.Err;
    EXPECT_FALSE(KeyExists("Software\\Old"));
    EXPECT_EQ(Value("Software\\Kept", "gone").first, 0xFFFFFFFFu);
    EXPECT_EQ(Value("Software\\Kept", "stays").first, REG_SZ);
    EXPECT_EQ(Value("Software\\Kept", "new").second, std::string("caf\xE9\0", 5));
}

// A file that cannot be imported whole imports nothing, also when its fault shows only as it is
// applied, and the message says where and what is wrong.
TEST_F(RegTool, HostileImportFilesChangeNothing)
{
    RegCloseKey(Create("Software\\Kept"));
    const std::string head = "Windows Registry Editor Version 5.00\n[-HKEY_CURRENT_USER\\Software\\Kept]\n"
                             "[HKEY_CURRENT_USER\\Software\\Hostile]\n\"a\"=\"1\"\n";
    std::string deep = "[HKEY_CURRENT_USER\\Software\\Hostile";
    for (int depth = 3; depth <= 513; ++depth)
        deep += "\\L";
    struct Case
    {
        const char* Name;
        std::string Text;
        std::vector<std::string> Said;
    };
    const Case cases[] = {
        {"513 levels deep", head + deep + "]\n", {"line 5: ", "more than 512 levels"}},
        {"long value name", head + "\"" + std::string(17000, 'n') + "\"=\"x\"\n", {"line 5: Invalid value name"}},
        {"long key name", head + "[HKCU\\Software\\" + std::string(300, 'k') + "]\n", {"line 5: ", "255 characters"}},
        {"continued past the end", head + "\"b\"=hex:01,02,\\\n", {"line 5: the data continues past the end"}},
        {"bad number", head + "\"b\"=dword:not a number\n", {"line 5: "}},
        {"a folder", "", {"it is a folder"}},
        {"no such file", "", {"Error opening the file"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        const QString name = QString::fromLatin1(c.Name) + QStringLiteral(".reg");
        const QString file = c.Text.empty() ? (c.Name[0] == 'a' ? folder.MakeFolder(name) : folder.Sub(name))
                                            : folder.WriteFile(name, QByteArray::fromStdString(c.Text));
        const RunResult result = Run({"import", file});
        EXPECT_EQ(result.Exit, 1);
        for (const std::string& said : c.Said)
            EXPECT_NE(result.Err.find(said), std::string::npos) << result.Err;
        EXPECT_FALSE(KeyExists("Software\\Hostile"));
        EXPECT_TRUE(KeyExists("Software\\Kept"));
    }
}

// A tree 500 levels deep and one 100,000 keys wide go through every command whole, in time
// in proportion to their size. The bound is some ten times what they take here (the hive
// benchmark measures them), far below what work growing with depth times size would take.
TEST_F(RegTool, DeepAndWideTreesGoThroughEveryCommand)
{
    constexpr qint64 BoundMs = 20000;
    for (const bool deep : {true, false}) {
        SCOPED_TRACE(deep ? "deep" : "wide");
        const int sections = deep ? 499 : 100000; // Tree and the keys below it, or the keys below Tree
        std::string text = "Windows Registry Editor Version 5.00\r\n";
        std::string name = "HKEY_CURRENT_USER\\Software\\Tree";
        for (int i = 0; i < sections; ++i) {
            const std::string key = deep ? name : name + "\\K" + std::to_string(i);
            text += "\r\n[" + key + "]\r\n\"v\"=dword:" + std::to_string((i + deep) % 10) + "\r\n";
            if (deep)
                name += "\\L";
        }
        UseHive(folder.Sub(deep ? QStringLiteral("deep.hive") : QStringLiteral("wide.hive")));
        const QString file = folder.WriteFile(QStringLiteral("tree.reg"), QByteArray::fromStdString(text));
        const QString exported = folder.Sub(QStringLiteral("exported.reg"));
        QElapsedTimer timer;
        const auto timed = [&](const QStringList& args) {
            timer.start();
            const RunResult result = Run(args);
            EXPECT_EQ(result.Exit, 0) << result.Err;
            EXPECT_LT(timer.elapsed(), BoundMs) << args.join(QLatin1Char(' ')).toStdString();
            return result;
        };
        timed({"import", file});
        const RunResult listed = timed({"query", "HKCU\\Software\\Tree", "/s"});
        size_t listedKeys = 0;
        for (size_t at = listed.Out.find("\nHKEY_"); at != std::string::npos; at = listed.Out.find("\nHKEY_", at + 1))
            ++listedKeys;
        EXPECT_EQ(listedKeys, static_cast<size_t>(deep ? sections : sections + 1));
        timed({"export", "HKCU\\Software\\Tree", exported, "/y"});
        timed({"delete", "HKCU\\Software\\Tree", "/f"});
        EXPECT_FALSE(KeyExists("Software\\Tree"));
        EXPECT_TRUE(KeyExists("Software"));
        timed({"import", exported});
        const std::string last = deep ? name.substr(18, name.size() - 20) : "Software\\Tree\\K99999";
        EXPECT_EQ(Value(last.c_str(), "v"), std::make_pair(REG_DWORD, Bytes({9, 0, 0, 0})));
        HKEY key = 0;
        ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Tree", 0, KEY_READ, &key), ERROR_SUCCESS);
        DWORD subkeys = 0;
        RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                         nullptr);
        RegCloseKey(key);
        EXPECT_EQ(subkeys, deep ? 1u : 100000u);
    }
}

TEST_F(RegTool, ExportReportsNamesItCannotWrite)
{
    HKEY key = Create("Software\\Odd");
    Set(key, "fine", REG_SZ, std::string("1\0", 2));
    Set(key, "two\nlines", REG_SZ, std::string("2\0", 2));
    RegCloseKey(key);
    const QString file = folder.Sub(QStringLiteral("odd.reg"));
    const RunResult result = Run({"export", "HKCU\\Software\\Odd", file});
    EXPECT_EQ(result.Exit, 1);
    EXPECT_NE(result.Err.find("was not exported"), std::string::npos) << result.Err;

    UseHive(folder.Sub(QStringLiteral("other.hive")));
    ASSERT_EQ(Run({"import", file}).Exit, 0);
    EXPECT_EQ(Value("Software\\Odd", "fine").second, std::string("1\0", 2));
    EXPECT_EQ(Value("Software\\Odd", "two\nlines").first, 0xFFFFFFFFu);
}

TEST_F(RegTool, RejectsInvalidCommandLines)
{
    const QStringList invalid[] = {
        {},
        {"frobnicate"},
        {"query"},
        {"query", "HKCU\\Software", "/v"},
        {"query", "HKCU\\Software", "/v", "a", "/ve"},
        {"query", "HKCU\\Software", "/x"},
        {"add", "HKCU\\Software\\X", "/d", "data"},
        {"add", "HKCU\\Software\\X", "/v", "a", "/s", "#", "/d", "data"},
        {"delete", "HKCU\\Software\\X", "/v", "a", "/va"},
        {"export", "HKCU\\Software"},
        {"import"},
    };
    for (const QStringList& args : invalid) {
        SCOPED_TRACE(args.join(QLatin1Char(' ')).toStdString());
        const RunResult result = Run(args);
        EXPECT_EQ(result.Exit, 1);
        EXPECT_EQ(result.Err.rfind("ERROR: Invalid syntax.\n", 0), 0u) << result.Err;
    }
    const RunResult help = Run({"add", "/?"});
    EXPECT_EQ(help.Exit, 0);
    EXPECT_NE(help.Out.find("REG ADD KeyName"), std::string::npos);
}

// The tool reads nothing from and writes nothing into a hive that is not sound, and its
// message names the file.
TEST_F(RegTool, FileThatIsNotASoundHiveIsReportedAndLeftAlone)
{
    HKEY key = Create("Software\\Filler");
    for (int i = 0; i < 400; ++i)
        Set(key, ("v" + std::to_string(i)).c_str(), REG_SZ, std::string(100, 'x'));
    RegCloseKey(key);
    hive::ResetForTests();
    QByteArray damaged = folder.ReadFile(QStringLiteral("registry.hive"));
    damaged.replace(damaged.size() / 2, 8192, QByteArray(8192, '\x5A'));
    const struct
    {
        QString Name;
        QByteArray Bytes;
        const char* Said;
    } cases[] = {
        {QStringLiteral("notes.txt"), "this is a text file, not a registry hive\n", "is not a registry hive"},
        {QStringLiteral("damaged.hive"), damaged, "is damaged"},
        {QStringLiteral("empty.hive"), QByteArray(), "Delete the file to start afresh"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Said);
        UseHive(folder.WriteFile(c.Name, c.Bytes));
        for (const QStringList& args : {QStringList{"query", "HKCU\\Software", "/s"},
                                        QStringList{"add", "HKCU\\Software\\X", "/v", "a", "/d", "1", "/f"}}) {
            const RunResult result = Run(args);
            EXPECT_EQ(result.Exit, 1);
            EXPECT_NE(result.Err.find(c.Said), std::string::npos) << result.Err;
            EXPECT_NE(result.Err.find(hivePath.toStdString()), std::string::npos) << result.Err;
        }
        EXPECT_EQ(folder.ReadFile(c.Name), c.Bytes);
    }
}

// A bare library name is a file in the current folder, never the copy the tool's own search
// path would find.
TEST_F(RegTool, RegsvrLoadsOnlyTheNamedFile)
{
    const QString empty = folder.MakeFolder(QStringLiteral("empty"));
    const RunResult result = Run({"Tarnhold.so"}, {}, QStringLiteral(REGSVR_TOOL_PATH), empty);
    EXPECT_EQ(result.Exit, 3);
    EXPECT_NE(result.Err.find((empty + QStringLiteral("/Tarnhold.so")).toStdString()), std::string::npos) << result.Err;
    HKEY key = 0;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, "CLSID", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
}
