#include "platform/hive/CurrentHive.h"
#include "platform/win32/WinTypes.h"
#include "tests/support/PrivateRegistry.h"
#include "tests/support/TestFolder.h"
#include "tests/tools/ToolRun.h"

#include <QElapsedTimer>

#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace win32;
using namespace std::string_literals;

namespace
{
// Values below HKEY_CURRENT_USER of the hive in use; a missing value is type 0 without data.
std::pair<unsigned int, std::string> Value(const std::string& key, const std::string& name)
{
    return PrivateRegistry::ReadValue(HKEY_CURRENT_USER, key, name);
}

void Set(const std::string& key, const std::string& name, DWORD type, const std::string& data)
{
    PrivateRegistry::WriteValue(HKEY_CURRENT_USER, key, name, type, data);
}

bool KeyExists(const std::string& key)
{
    return PrivateRegistry::KeyExists(HKEY_CURRENT_USER, key);
}

const std::pair<unsigned int, std::string> Missing{0, ""};

// Everything below a key (names, types, data, order), written out for comparison.
std::string Dump(const std::string& key)
{
    if (!KeyExists(key))
        return "<missing " + key + ">";
    std::string out = "[" + key + "]\n";
    for (const std::string& name : PrivateRegistry::ValueNames(HKEY_CURRENT_USER, key)) {
        const auto [type, data] = Value(key, name);
        out += name + " type " + std::to_string(type) + " = " + data + "\n";
    }
    for (const std::string& sub : PrivateRegistry::SubkeyNames(HKEY_CURRENT_USER, key))
        out += Dump(key + "\\" + sub);
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

    // The tool inherits the test's environment, so its hive.
    static ToolRun Run(const QStringList& args, const QByteArray& input = QByteArray())
    {
        return RunProgram(QStringLiteral(REG_TOOL_PATH), args, input);
    }

    // What a run that must succeed writes to its output.
    std::string Succeeds(const QStringList& args, const QByteArray& input = QByteArray())
    {
        const ToolRun result = Run(args, input);
        EXPECT_EQ(result.Exit, 0) << args.join(QLatin1Char(' ')).toStdString() << ": " << result.Err;
        return result.Out;
    }

    TestFolder folder;
    QString hivePath;
};
} // namespace

TEST_F(RegTool, AddedValuesAreStoredAndShownByType)
{
    // The type and data as typed, the type and bytes stored, the data as shown.
    const std::tuple<const char*, const char*, DWORD, std::string, const char*> cases[] = {
        {"REG_SZ", "hello world", REG_SZ, "hello world\0"s, "hello world"},
        {"REG_EXPAND_SZ", "%HOME%/x", REG_EXPAND_SZ, "%HOME%/x\0"s, "%HOME%/x"},
        {"REG_MULTI_SZ", "a\\0b", REG_MULTI_SZ, "a\0b\0\0"s, "a\\0b"},
        {"REG_DWORD", "5", REG_DWORD, "\x05\0\0\0"s, "0x5"},
        {"reg_dword", "0xffffffff", REG_DWORD, "\xff\xff\xff\xff"s, "0xffffffff"},
        {"REG_QWORD", "0x100000000", REG_QWORD, "\0\0\0\0\x01\0\0\0"s, "0x100000000"},
        {"REG_BINARY", "00ff10", REG_BINARY, "\0\xff\x10"s, "00FF10"},
        {"REG_NONE", "", REG_NONE, "", ""},
    };
    int index = 0;
    for (const auto& [type, data, code, stored, shown] : cases) {
        SCOPED_TRACE(type);
        const QString name = QStringLiteral("v%1").arg(++index);
        EXPECT_EQ(Succeeds({"add", "HKCU\\Software\\Tool", "/v", name, "/t", QString::fromLatin1(type), "/d",
                            QString::fromLatin1(data), "/f"}),
                  "The operation completed successfully.\n");
        EXPECT_EQ(Value("Software\\Tool", name.toStdString()), std::make_pair(code, stored));

        const std::string typeName = code == REG_DWORD ? "REG_DWORD" : type;
        const std::string line = "    " + name.toStdString() + "    " + typeName + "    " + shown + "\n";
        // The key is echoed as typed, with the root's full name.
        EXPECT_EQ(Succeeds({"query", "hkcu\\software\\tool", "/v", name}),
                  "\nHKEY_CURRENT_USER\\software\\tool\n" + line + "\n");
    }
}

// A refused command line, or one naming what is not there, writes nothing and says why on its
// first line.
TEST_F(RegTool, RejectsBadCommandLinesAndWritesNothing)
{
    const char* const syntax = "ERROR: Invalid syntax.\n";
    const char* const missing = "ERROR: The system was unable to find the specified registry key or value.\n";
    const std::pair<QStringList, const char*> cases[] = {
        {{}, syntax},
        {{"frobnicate"}, syntax},
        {{"query"}, syntax},
        {{"query", "HKCU\\Software", "/v"}, syntax},
        {{"query", "HKCU\\Software", "/v", "a", "/ve"}, syntax},
        {{"query", "HKCU\\Software", "/x"}, syntax},
        {{"add", "HKCU\\Software\\Tool", "/d", "data"}, syntax},
        {{"add", "HKCU\\Software\\Tool", "extra"}, syntax},
        {{"add", "HKCU\\Software\\Tool", "/v", "a", "/s", "#", "/d", "data"}, syntax},
        {{"delete", "HKCU\\Software\\Tool", "/v", "a", "/va"}, syntax},
        {{"export", "HKCU\\Software"}, syntax},
        {{"export", "HKXX\\Software", "x.reg"}, "ERROR: Invalid key name.\n"},
        {{"import"}, syntax},
        {{"import", "a.reg", "-x"}, syntax},
        {{"add", "HKCU\\Software\\Tool", "/v", "n", "/t", "REG_DWORD", "/d", "abc", "/f"},
         "ERROR: The data \"abc\" is not valid for REG_DWORD.\n"},
        {{"add", "HKCU\\Software\\Tool", "/v", "n", "/t", "REG_BINARY", "/d", "123", "/f"},
         "ERROR: The data \"123\" is not valid for REG_BINARY.\n"},
        {{"add", "HKCU\\Software\\Tool", "/v", "n", "/t", "REG_WHATEVER", "/d", "1", "/f"},
         "ERROR: Invalid value type \"REG_WHATEVER\".\n"},
        {{"add", "HKXX\\Software\\Tool", "/v", "n", "/d", "1", "/f"}, "ERROR: Invalid key name.\n"},
        {{"query", "HKCU\\Software\\Nowhere"}, missing},
        {{"query", "HKCU\\Software", "/v", "nothing"}, missing},
        {{"delete", "HKCU\\Software", "/v", "nothing", "/f"}, missing},
    };
    for (const auto& [args, said] : cases) {
        SCOPED_TRACE(args.join(QLatin1Char(' ')).toStdString());
        const ToolRun result = Run(args);
        EXPECT_EQ(result.Exit, 1);
        EXPECT_EQ(result.Err.rfind(said, 0), 0u) << result.Err;
        EXPECT_EQ(result.Out, "");
    }
    EXPECT_FALSE(KeyExists("Software\\Tool"));
    const ToolRun help = Run({"add", "/?"});
    EXPECT_EQ(help.Exit, 0);
    EXPECT_NE(help.Out.find("REG ADD KeyName"), std::string::npos);
}

// Commands in turn on one key: the answer typed at its prompt, its exit and all it writes. A
// query after each change shows what the change left.
TEST_F(RegTool, QueriesAndDeletesOnlyWhatTheUserAgreesTo)
{
    Set("Software\\Tool", "", REG_SZ, "dflt\0"s);
    Set("Software\\Tool", "b", REG_DWORD, "\x07\0\0\0"s);
    Set("Software\\Tool\\Inner", "deep", REG_SZ, "x\0"s);
    // Control characters are shown escaped: one value is one line.
    Set("Software\\Tool\\Inner", "line\nbreak", REG_SZ, "tab\there\x1B[2J\x81\0"s);

    const QString tool = QStringLiteral("HKCU\\Software\\Tool");
    const std::string software = "\nHKEY_CURRENT_USER\\Software\n";
    const std::string key = "\nHKEY_CURRENT_USER\\Software\\Tool\n";
    const std::string inner = "\nHKEY_CURRENT_USER\\Software\\Tool\\Inner\n";
    const std::string deep = "    deep    REG_SZ    x\n";
    const std::string innerValues = deep + "    line\\nbreak    REG_SZ    tab\\there\\x1B[2J\\x81\n\n";
    const std::string dflt = "    (Default)    REG_SZ    dflt\n";
    const std::string b = "    b    REG_DWORD    0x7\n";
    const std::string removeKey = "Permanently delete the registry key HKEY_CURRENT_USER\\Software\\Tool (Yes/No)?";
    const std::string done = "The operation completed successfully.\n";
    const std::string canceled = " The operation was canceled by the user.\n";
    const std::tuple<QStringList, QByteArray, int, std::string> steps[] = {
        {{"query", tool}, {}, 0, key + dflt + b + inner},
        {{"query", tool, "/s"}, {}, 0, key + dflt + b + inner + innerValues},
        {{"query", tool, "/v", "deep", "/s"}, {}, 0, inner + deep + "\nEnd of search: 1 match(es) found.\n"},
        // Switches start with "/" or "-".
        {{"query", tool, "-ve"}, {}, 0, key + dflt + "\n"},
        // No answer at all (input closed) is no as well.
        {{"add", tool, "/v", "b", "/d", "new"}, "n\n", 1, "Value b exists, overwrite(Yes/No)?" + canceled},
        {{"delete", tool, "/v", "b"}, {}, 1, "Delete the registry value b (Yes/No)?" + canceled},
        {{"delete", tool}, {}, 1, removeKey + canceled},
        {{"query", tool, "/v", "b"}, {}, 0, key + b + "\n"},
        {{"add", tool, "/v", "b", "/d", "new"}, "Yes\n", 0, "Value b exists, overwrite(Yes/No)? " + done},
        {{"query", tool, "/v", "b"}, {}, 0, key + "    b    REG_SZ    new\n\n"},
        {{"delete", tool, "/v", "b", "/f"}, {}, 0, done},
        {{"query", tool}, {}, 0, key + dflt + inner},
        // All values of the key go, its subkeys stay.
        {{"delete", tool, "/va", "/f"}, {}, 0, done},
        {{"query", tool, "/s"}, {}, 0, key + inner + innerValues},
        // A key goes with everything below it; a root never does.
        {{"delete", tool}, "y\n", 0, removeKey + " " + done},
        {{"delete", "HKCU", "/f"}, {}, 1, "ERROR: Invalid key name.\nType \"REG DELETE /?\" for usage.\n"},
        {{"query", "HKCU\\Software"}, {}, 0, software + "\nHKEY_CURRENT_USER\\Software\\Microsoft\n"},
    };
    for (const auto& [args, answer, exit, written] : steps) {
        const ToolRun result = Run(args, answer);
        EXPECT_EQ(result.Exit, exit) << args.join(QLatin1Char(' ')).toStdString();
        EXPECT_EQ(result.Out + result.Err, written) << args.join(QLatin1Char(' ')).toStdString();
    }
}

TEST_F(RegTool, ExportThenImportIntoAnEmptyHiveRoundTripsEveryType)
{
    std::string allBytes;
    for (int i = 0; i < 256; ++i)
        allBytes.push_back(static_cast<char>(i));
    const std::pair<const char*, std::pair<DWORD, std::string>> values[] = {
        {"", {REG_SZ, "default\0"s}},
        {"plain", {REG_SZ, "C:\\dir \"quoted\" caf\xE9 \x80\0"s}},
        {"lines", {REG_SZ, "one\r\ntwo\0"s}},
        {"unterminated", {REG_SZ, "abc"}},
        {"empty", {REG_SZ, "\0"s}},
        {"nothing", {REG_SZ, ""}},
        {"inner zero", {REG_SZ, "a\0b\0"s}},
        {"expand", {REG_EXPAND_SZ, "%HOME%\\x\xE9\0"s}},
        {"multi", {REG_MULTI_SZ, "a\0b\xFF\0\0"s}},
        {"binary", {REG_BINARY, allBytes}},
        {"empty binary", {REG_BINARY, ""}},
        {"dword", {REG_DWORD, "\x78\x56\x34\x12"s}},
        {"odd dword", {REG_DWORD, "\x01\x02"s}},
        {"big", {REG_DWORD_BIG_ENDIAN, "\0\0\x01\x02"s}},
        {"qword", {REG_QWORD, "\x01\x02\x03\x04\x05\x06\x07\x08"s}},
        {"none", {REG_NONE, "\0"s}},
        {"link", {REG_LINK, "ln"}},
        {"private type", {0x7F001, "\xAA\xBB"s}},
        {"Name \"quoted\" \\ \xE9", {REG_SZ, "x\0"s}},
    };
    for (const auto& [name, value] : values)
        Set("Software\\Round", name, value.first, value.second);
    Succeeds({"add", "HKCU\\Software\\Round\\Empty subkey", "/f"});
    Set("Software\\Round\\sub\\Deeper", "n", REG_DWORD, "\x01\0\0\0"s);
    const std::string original = Dump("Software\\Round");
    // A name with a line break cannot stand in the file: it is left out and reported.
    Set("Software\\Round", "two\nlines", REG_SZ, "2\0"s);

    const QString file = folder.Sub(QStringLiteral("round.reg"));
    const ToolRun exported = Run({"export", "HKCU\\Software\\Round", file});
    EXPECT_EQ(exported.Exit, 1);
    EXPECT_EQ(exported.Err, "ERROR: the value two\\nlines of HKEY_CURRENT_USER\\Software\\Round has a line break in "
                            "its name and was not exported.\n");
    const QByteArray content = folder.ReadFile(QStringLiteral("round.reg"));
    ASSERT_TRUE(content.startsWith(QByteArray("\xFF\xFEW\0i\0n\0d\0o\0w\0s\0", 16)));
    // Lines stay short enough to read.
    const QString text(reinterpret_cast<const QChar*>(content.constData() + 2), (content.size() - 2) / 2);
    for (const QString& line : text.split(QStringLiteral("\r\n")))
        EXPECT_LE(line.size(), 80) << line.toStdString();

    UseHive(folder.Sub(QStringLiteral("empty.hive")));
    ASSERT_EQ(Dump("Software\\Round"), "<missing Software\\Round>");
    Succeeds({"import", file});
    EXPECT_EQ(Dump("Software\\Round"), original);

    // An existing file is replaced only when the user agrees.
    const ToolRun again = Run({"export", "HKCU\\Software\\Round\\sub", file}, "no\n");
    EXPECT_EQ(again.Exit, 1);
    EXPECT_EQ(folder.ReadFile(QStringLiteral("round.reg")), content);
    Succeeds({"export", "HKCU\\Software\\Round\\sub", file, "/y"});
    EXPECT_NE(folder.ReadFile(QStringLiteral("round.reg")), content);

    // A file in the older format deletes keys and values, and its text is ANSI.
    const QString edit =
        folder.WriteFile(QStringLiteral("edit.reg"), "REGEDIT4\r\n\r\n"
                                                     "[-HKEY_CURRENT_USER\\Software\\Round\\sub]\r\n\r\n"
                                                     "[HKEY_CURRENT_USER\\Software\\Round]\r\n"
                                                     "\"plain\"=-\r\n"
                                                     "\"new\"=\"caf\xE9\"\r\n"
                                                     "[-HKEY_CURRENT_USER\\Software\\Never there]\r\n");
    Succeeds({"import", edit});
    EXPECT_FALSE(KeyExists("Software\\Round\\sub"));
    EXPECT_TRUE(KeyExists("Software\\Round\\Empty subkey"));
    EXPECT_EQ(Value("Software\\Round", "plain"), Missing);
    EXPECT_EQ(Value("Software\\Round", "lines").first, REG_SZ);
    EXPECT_EQ(Value("Software\\Round", "new").second, "caf\xE9\0"s);
}

// A file that cannot be imported whole imports nothing, also when its fault shows only as it is
// applied, and the message says where and what is wrong.
TEST_F(RegTool, HostileImportFilesChangeNothing)
{
    Set("Software\\Kept", "k", REG_SZ, "1\0"s);
    const std::string head = "Windows Registry Editor Version 5.00\n[-HKEY_CURRENT_USER\\Software\\Kept]\n"
                             "[HKEY_CURRENT_USER\\Software\\Hostile]\n\"a\"=\"1\"\n";
    std::string deep = "[HKEY_CURRENT_USER\\Software\\Hostile";
    for (int depth = 3; depth <= 513; ++depth)
        deep += "\\L";
    // What the file holds (none: it is a folder or missing) and what the message says.
    const std::tuple<const char*, std::string, std::vector<std::string>> cases[] = {
        {"513 levels deep", head + deep + "]\n", {"line 5: ", "more than 512 levels"}},
        {"long value name", head + "\"" + std::string(17000, 'n') + "\"=\"x\"\n", {"line 5: Invalid value name"}},
        {"long key name", head + "[HKCU\\Software\\" + std::string(300, 'k') + "]\n", {"line 5: ", "255 characters"}},
        {"continued past the end", head + "\"b\"=hex:01,02,\\\n", {"line 5: the data continues past the end"}},
        {"bad number", head + "\"b\"=dword:not a number\n", {"line 5: "}},
        {"a folder", "", {"it is a folder"}},
        {"no such file", "", {"Error opening the file"}},
    };
    for (const auto& [what, text, message] : cases) {
        SCOPED_TRACE(what);
        const QString name = QString::fromLatin1(what) + QStringLiteral(".reg");
        const QString file = text.empty() ? (what[0] == 'a' ? folder.MakeFolder(name) : folder.Sub(name))
                                          : folder.WriteFile(name, QByteArray::fromStdString(text));
        const ToolRun result = Run({"import", file});
        EXPECT_EQ(result.Exit, 1);
        for (const std::string& said : message)
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
            const ToolRun result = Run(args);
            EXPECT_EQ(result.Exit, 0) << result.Err;
            EXPECT_LT(timer.elapsed(), BoundMs) << args.join(QLatin1Char(' ')).toStdString();
            return result;
        };
        timed({"import", file});
        const ToolRun listed = timed({"query", "HKCU\\Software\\Tree", "/s"});
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
        EXPECT_EQ(Value(last, "v"), std::make_pair(REG_DWORD, "\x09\0\0\0"s));
        EXPECT_EQ(PrivateRegistry::SubkeyNames(HKEY_CURRENT_USER, "Software\\Tree").size(), deep ? 1u : 100000u);
    }
}

// The tool reads nothing from and writes nothing into a hive that is not sound, and its
// message names the file. Telling a damaged or emptied hive from a sound one is the hive's own
// test; this one shows the tool passes the reason on.
TEST_F(RegTool, FileThatIsNotASoundHiveIsReportedAndLeftAlone)
{
    const QByteArray text = "this is a text file, not a registry hive\n";
    UseHive(folder.WriteFile(QStringLiteral("notes.txt"), text));
    for (const QStringList& args : {QStringList{"query", "HKCU\\Software", "/s"},
                                    QStringList{"add", "HKCU\\Software\\X", "/v", "a", "/d", "1", "/f"}}) {
        const ToolRun result = Run(args);
        EXPECT_EQ(result.Exit, 1);
        EXPECT_NE(result.Err.find("is not a registry hive"), std::string::npos) << result.Err;
        EXPECT_NE(result.Err.find(hivePath.toStdString()), std::string::npos) << result.Err;
    }
    EXPECT_EQ(folder.ReadFile(QStringLiteral("notes.txt")), text);
}

// A bare library name is a file in the current folder, never the copy the tool's own search
// path would find.
TEST_F(RegTool, RegsvrLoadsOnlyTheNamedFile)
{
    const QString empty = folder.MakeFolder(QStringLiteral("empty"));
    const ToolRun result = RunProgram(QStringLiteral(REGSVR_TOOL_PATH), {"Tarnhold.so"}, {}, empty);
    EXPECT_EQ(result.Exit, 3);
    EXPECT_NE(result.Err.find((empty + QStringLiteral("/Tarnhold.so")).toStdString()), std::string::npos) << result.Err;
    EXPECT_FALSE(PrivateRegistry::KeyExists(HKEY_CLASSES_ROOT, "CLSID"));
}
