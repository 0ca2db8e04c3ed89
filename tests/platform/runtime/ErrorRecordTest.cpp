#include "platform/runtime/ErrorRecord.h"

#include "platform/runtime/CheckedInt.h"
#include "tests/support/RaisedError.h"

#include <gtest/gtest.h>
#include <limits>
#include <utility>

TEST(ErrorRecord, RaisedErrorsCarryTheStandardDescriptionAndTheDefaultSource)
{
    // clang-format off
    const std::pair<int32_t, const char*> cases[] = {
        {5, "Invalid procedure call or argument"}, {6, "Overflow"}, {13, "Type mismatch"}, {53, "File not found"},
        {58, "File already exists"}, {70, "Permission denied"}, {75, "Path/File access error"}, {76, "Path not found"},
        {91, "Object variable or With block variable not set"},
    };
    // clang-format on
    for (const auto& [number, description] : cases) {
        const runtime::Error error(number);
        EXPECT_EQ(error.Number(), number);
        EXPECT_EQ(error.Description(), description);
        EXPECT_EQ(error.Source(), runtime::DefaultErrorSource());
    }
    const runtime::Error own(-2147221164, "Class not registered", "Tarnhold");
    EXPECT_EQ(own.Number(), -2147221164);
    EXPECT_STREQ(own.what(), "Class not registered");
    EXPECT_EQ(own.Source(), "Tarnhold");
}

TEST(CheckedInt, SixteenBitValuesThatDoNotFitRaiseOverflow)
{
    for (int64_t value : {0, 32767, -32768})
        EXPECT_EQ(runtime::CheckedInt16(value), value);
    for (int64_t value : std::initializer_list<int64_t>{32768, -32769, 1LL << 40, std::numeric_limits<int64_t>::min()})
        EXPECT_EQ(ErrorNumberOf([&] { runtime::CheckedInt16(value); }), runtime::Overflow) << value;
    EXPECT_EQ(runtime::AddInt16(32766, 1), 32767);
    EXPECT_THROW(runtime::AddInt16(32767, 1), runtime::Error);
    EXPECT_THROW(runtime::AddInt16(-32768, -1), runtime::Error);
}
