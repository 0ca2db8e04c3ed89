#include "platform/hive/KeyName.h"

#include "platform/hive/HiveLocation.h"
#include "tests/support/ScopedVariable.h"

#include <gtest/gtest.h>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

using namespace hive;
using namespace win32;

TEST(KeyName, FoldsEveryLetterOfTheCodePage)
{
    const std::pair<std::string, std::string> cases[] = {
        {"Software", "SOFTWARE"},
        {"shell folders_1", "SHELL FOLDERS_1"},
        {"caf\xE9", "CAF\xC9"},           // é -> É
        {"\xFF", "\x9F"},                 // ÿ -> Ÿ
        {"\x9A\x9C\x9E", "\x8A\x8C\x8E"}, // š œ ž -> Š Œ Ž
        {"\xF7\xDF\xB5", "\xF7\xDF\xB5"}, // ÷, ß and µ have no upper case in the code page
        {"\xE0\xFE", "\xC0\xDE"},
    };
    for (const auto& [name, folded] : cases)
        EXPECT_EQ(FoldName(name), folded) << name;
}

TEST(KeyName, SplitsPathsAtBackslashes)
{
    const std::string longest(MaxKeyNameLength, 'k');
    const std::string tooLong = longest + "k";
    // clang-format off
    const std::tuple<const char*, LONG, std::vector<std::string>> cases[] = {
        {nullptr, ERROR_SUCCESS, {}}, {"", ERROR_SUCCESS, {}}, {"Software", ERROR_SUCCESS, {"Software"}},
        {"Software\\Orrindale\\Strandmoor", ERROR_SUCCESS, {"Software", "Orrindale", "Strandmoor"}},
        {"Software\\", ERROR_SUCCESS, {"Software"}}, {"with space\\and.dot", ERROR_SUCCESS, {"with space", "and.dot"}},
        {"\\Software", ERROR_BAD_PATHNAME, {}}, {"\\", ERROR_BAD_PATHNAME, {}}, {"a\\\\b", ERROR_BAD_PATHNAME, {}},
        {"a\\\\", ERROR_BAD_PATHNAME, {}}, {longest.c_str(), ERROR_SUCCESS, {longest}},
        {tooLong.c_str(), ERROR_INVALID_PARAMETER, {}},
    };
    // clang-format on
    for (const auto& [path, status, expected] : cases) {
        SCOPED_TRACE(path ? path : "(null)");
        std::vector<std::string> parts{"left over"};
        EXPECT_EQ(SplitKeyPath(path, parts), status);
        if (status == ERROR_SUCCESS) {
            EXPECT_EQ(parts, expected);
        }
    }
}

TEST(HiveLocation, VariableThenXdgDataThenHome)
{
    // STRANDMOOR_HIVE, XDG_DATA_HOME and HOME, and the hive they lead to.
    const std::tuple<const char*, const char*, const char*, std::string> cases[] = {
        {"/elsewhere/test.hive", "/data", "/home/u", "/elsewhere/test.hive"},
        {"", "/data", "/home/u", "/data/Strandmoor/registry.hive"},
        {nullptr, "/data", "/home/u", "/data/Strandmoor/registry.hive"},
        {nullptr, nullptr, "/home/u", "/home/u/.local/share/Strandmoor/registry.hive"},
        // A relative XDG_DATA_HOME is not valid and is ignored.
        {nullptr, "relative/data", "/home/u", "/home/u/.local/share/Strandmoor/registry.hive"},
    };
    for (const auto& [hive, xdgData, home, expected] : cases) {
        const ScopedVariable hiveVariable(HiveVariable, hive);
        const ScopedVariable xdgDataVariable("XDG_DATA_HOME", xdgData);
        const ScopedVariable homeVariable("HOME", home);
        EXPECT_EQ(HivePath(), expected);
    }
}
