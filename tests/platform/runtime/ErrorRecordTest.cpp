#include "platform/runtime/ErrorRecord.h"

#include "platform/runtime/CheckedInt.h"
#include "tests/support/RaisedError.h"

#include <gtest/gtest.h>
#include <limits>

TEST(ErrorRecord, RaisedErrorsCarryTheStandardDescriptionAndTheDefaultSource)
{
    struct Case
    {
        int32_t Number;
        const char* Description;
    };
    // clang-format off
    const Case cases[] = {
        {5, "Invalid procedure call or argument"}, {6, "Overflow"}, {13, "Type mismatch"}, {53, "File not found"},
        {58, "File already exists"}, {70, "Permission denied"}, {75, "Path/File access error"}, {76, "Path not found"},
        {91, "Object variable or With block variable not set"},
    };
    // clang-format on
    for (const Case& c : cases) {
        const runtime::Error error(c.Number);
        EXPECT_EQ(error.Number(), c.Number);
        EXPECT_EQ(error.Description(), c.Description);
        EXPECT_EQ(error.Source(), runtime::DefaultErrorSource());
    }
    const runtime::Error own(-2147221164, "Class not registered", "Tarnhold");
    EXPECT_EQ(own.Number(), -2147221164);
    EXPECT_STREQ(own.what(), "Class not registered");
    EXPECT_EQ(own.Source(), "Tarnhold");
}

TEST(CheckedInt, SixteenBitValuesThatDoNotFitRaiseOverflow)
{
    struct Case
    {
        int64_t Value;
        bool Fits;
    };
    const Case cases[] = {{0, true},
                          {32767, true},
                          {-32768, true},
                          {32768, false},
                          {-32769, false},
                          {1LL << 40, false},
                          {std::numeric_limits<int64_t>::min(), false}};
    for (const Case& c : cases) {
        if (c.Fits) {
            EXPECT_EQ(runtime::CheckedInt16(c.Value), c.Value);
        } else {
            EXPECT_EQ(ErrorNumberOf([&] { runtime::CheckedInt16(c.Value); }), runtime::Overflow) << c.Value;
        }
    }
    EXPECT_EQ(runtime::AddInt16(32766, 1), 32767);
    EXPECT_THROW(runtime::AddInt16(32767, 1), runtime::Error);
    EXPECT_THROW(runtime::AddInt16(-32768, -1), runtime::Error);
}
