#include "platform/hive/KeyName.h"

#include "platform/hive/HiveLocation.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

using namespace hive;
using namespace win32;

namespace
{
// Sets or clears one environment variable and puts it back afterwards.
class ScopedVariable
{
public:
    ScopedVariable(const char* name, const char* value) : name_(name)
    {
        if (const char* old = std::getenv(name))
            old_ = old;
        Put(name_, value);
    }
    ~ScopedVariable() { Put(name_, old_ ? old_->c_str() : nullptr); }

private:
    static void Put(const char* name, const char* value)
    {
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }

    const char* name_;
    std::optional<std::string> old_;
};
} // namespace

TEST(KeyName, FoldsEveryLetterOfTheCodePage)
{
    struct Case
    {
        std::string Name;
        std::string Folded;
    };
    const Case cases[] = {
        {"Software", "SOFTWARE"},
        {"shell folders_1", "SHELL FOLDERS_1"},
        {"caf\xE9", "CAF\xC9"},           // é -> É
        {"\xFF", "\x9F"},                 // ÿ -> Ÿ
        {"\x9A\x9C\x9E", "\x8A\x8C\x8E"}, // š œ ž -> Š Œ Ž
        {"\xF7\xDF\xB5", "\xF7\xDF\xB5"}, // ÷, ß and µ have no upper case in the code page
        {"\xE0\xFE", "\xC0\xDE"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FoldName(c.Name), c.Folded) << c.Name;
}

TEST(KeyName, SplitsPathsAtBackslashes)
{
    struct Case
    {
        const char* Path;
        LONG Status;
        std::vector<std::string> Parts;
    };
    const std::string longest(MaxKeyNameLength, 'k');
    const std::string tooLong = longest + "k";
    // clang-format off
    const Case cases[] = {
        {nullptr, ERROR_SUCCESS, {}}, {"", ERROR_SUCCESS, {}}, {"Software", ERROR_SUCCESS, {"Software"}},
        {"Software\\Orrindale\\Strandmoor", ERROR_SUCCESS, {"Software", "Orrindale", "Strandmoor"}},
        {"Software\\", ERROR_SUCCESS, {"Software"}}, {"with space\\and.dot", ERROR_SUCCESS, {"with space", "and.dot"}},
        {"\\Software", ERROR_BAD_PATHNAME, {}}, {"\\", ERROR_BAD_PATHNAME, {}}, {"a\\\\b", ERROR_BAD_PATHNAME, {}},
        {"a\\\\", ERROR_BAD_PATHNAME, {}}, {longest.c_str(), ERROR_SUCCESS, {longest}},
        {tooLong.c_str(), ERROR_INVALID_PARAMETER, {}},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Path ? c.Path : "(null)");
        std::vector<std::string> parts{"left over"};
        EXPECT_EQ(SplitKeyPath(c.Path, parts), c.Status);
        if (c.Status == ERROR_SUCCESS) {
            EXPECT_EQ(parts, c.Parts);
        }
    }
}

TEST(HiveLocation, VariableThenXdgDataThenHome)
{
    struct Case
    {
        const char* Hive;
        const char* XdgData;
        const char* Home;
        std::string Expected;
    };
    const Case cases[] = {
        {"/elsewhere/test.hive", "/data", "/home/u", "/elsewhere/test.hive"},
        {"", "/data", "/home/u", "/data/Strandmoor/registry.hive"},
        {nullptr, "/data", "/home/u", "/data/Strandmoor/registry.hive"},
        {nullptr, nullptr, "/home/u", "/home/u/.local/share/Strandmoor/registry.hive"},
        // A relative XDG_DATA_HOME is not valid and is ignored.
        {nullptr, "relative/data", "/home/u", "/home/u/.local/share/Strandmoor/registry.hive"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Expected);
        const ScopedVariable hive(HiveVariable, c.Hive);
        const ScopedVariable xdgData("XDG_DATA_HOME", c.XdgData);
        const ScopedVariable home("HOME", c.Home);
        EXPECT_EQ(HivePath(), c.Expected);
    }
}
