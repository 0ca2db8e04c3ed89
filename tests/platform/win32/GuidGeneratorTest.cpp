#include "platform/win32/GuidGenerator.h"

#include <gtest/gtest.h>
#include <set>
#include <string>

namespace
{
using namespace win32;

class GuidGeneratorTest : public ::testing::Test
{
protected:
    ~GuidGeneratorTest() override { SetGuidGenerator({}); }
};
} // namespace

TEST_F(GuidGeneratorTest, NewGuidsAreRandomVersionFourIdentifiersFromEveryByteOfTheSource)
{
    std::set<std::string> seen;
    for (int i = 0; i < 64; ++i) {
        GUID guid;
        ASSERT_EQ(CoCreateGuid(&guid), S_OK);
        EXPECT_EQ(guid.Data3 >> 12, 4) << GuidToString(guid);
        EXPECT_EQ(guid.Data4[0] & 0xC0, 0x80) << GuidToString(guid);
        seen.insert(GuidToString(guid));
    }
    EXPECT_EQ(seen.size(), 64u);
    EXPECT_EQ(CoCreateGuid(nullptr), E_POINTER);

    // Two reads of 4 KiB agreeing, or one staying all zero, would mean bytes were left unfilled.
    std::string first(4096, '\0');
    std::string second(4096, '\0');
    ASSERT_TRUE(ReadSystemRandom(first.data(), first.size()));
    ASSERT_TRUE(ReadSystemRandom(second.data(), second.size()));
    EXPECT_NE(first, second);
    EXPECT_NE(first.find_first_not_of('\0', 4000), std::string::npos);
    EXPECT_TRUE(ReadSystemRandom(nullptr, 0));
}

TEST_F(GuidGeneratorTest, TheSeamReplacesTheGeneratorUntilItIsCleared)
{
    const GUID fixed{0x12345678, 0x9ABC, 0xDEF0, {1, 2, 3, 4, 5, 6, 7, 8}};
    SetGuidGenerator([&](GUID* guid) {
        *guid = fixed;
        return S_OK;
    });
    GUID guid;
    ASSERT_EQ(CoCreateGuid(&guid), S_OK);
    EXPECT_EQ(guid, fixed);

    SetGuidGenerator([](GUID*) { return E_FAIL; });
    EXPECT_EQ(CoCreateGuid(&guid), E_FAIL);

    SetGuidGenerator({});
    ASSERT_EQ(CoCreateGuid(&guid), S_OK);
    EXPECT_NE(guid, fixed);
}
