#include "platform/win32/GuidGenerator.h"

#include <gtest/gtest.h>
#include <set>
#include <string>

using namespace win32;

// The seam that replaces the generator is exercised by the browser integration tests, which fix
// the identifiers, make the generator fail and clear it again.
TEST(GuidGenerator, NewGuidsAreRandomVersionFourIdentifiersFromEveryByteOfTheSource)
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
