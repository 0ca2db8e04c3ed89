#include "platform/runtime/Variant.h"

#include "platform/runtime/CheckedInt.h"
#include "platform/runtime/ErrorRecord.h"
#include "tests/platform/runtime/VariantPrinter.h"
#include "tests/support/RaisedError.h"

#include <cfloat>
#include <functional>
#include <gtest/gtest.h>
#include <limits>
#include <tuple>
#include <utility>

using runtime::Variant;
using runtime::VariantArray;
using runtime::VariantType;

namespace
{

std::vector<uint8_t> Bytes(std::initializer_list<uint8_t> bytes)
{
    return std::vector<uint8_t>(bytes);
}

} // namespace

TEST(Variant, ToLongRoundsHalvesToEvenAndReadsEveryNumberForm)
{
    // clang-format off
    const std::pair<Variant, int32_t> cases[] = {
        {2.5, 2}, {3.5, 4}, {-2.5, -2}, {-3.5, -4}, {0.5, 0}, {1.5, 2}, {2.4999, 2}, {2.5001, 3}, {2.5f, 2},
        {-2147483648.5, std::numeric_limits<int32_t>::min()}, {2147483646.5, 2147483646}, {u"2.5", 2}, {u"  12  ", 12},
        {u"\t-7\t", -7}, {u"+8", 8}, {u".5", 0}, {u"1.", 1}, {u"1e3", 1000}, {u"-1.5E+1", -15}, {u"25e-1", 2},
        {u"1D2", 100}, {u"&H10", 16}, {u"&hff", 255}, {u"&HFFFF", -1}, {u"&H8000", -32768}, {u"&H10000", 65536},
        {u"&HFFFFFFFF", -1}, {u"&H7FFFFFFF", 2147483647}, {u"&O17", 15}, {u"&17", 15}, {u"0.000000001e9", 1},
        {u"1e-400", 0}, {true, -1}, {false, 0}, {Variant(), 0}, {Variant(int16_t{-7}), -7},
    };
    // clang-format on
    for (const auto& [value, expected] : cases)
        EXPECT_EQ(runtime::ToLong(value), expected) << testing::PrintToString(value);
}

TEST(Variant, ConversionsRaiseOverflowAndTypeMismatch)
{
    // Text that is no number, then text whose number does not fit a Long.
    for (const char16_t* text :
         {u"abc", u"", u"   ", u"1.2.3", u"1e", u"-", u".", u"12abc", u"1 2", u"&H", u"&HG", u"&O8", u"\uFF11"})
        EXPECT_EQ(ErrorNumberOf([&] { runtime::ToLong(Variant(text)); }), runtime::TypeMismatch)
            << testing::PrintToString(Variant(text));
    for (const char16_t* text : {u"1e400", u"&H100000000", u"&H1234567890ABCDEF12"})
        EXPECT_EQ(ErrorNumberOf([&] { runtime::ToLong(Variant(text)); }), runtime::Overflow)
            << testing::PrintToString(Variant(text));

    VariantArray table(1, 1);
    const std::tuple<const char*, std::function<void()>, int32_t> cases[] = {
        {"long above range after rounding", [] { runtime::ToLong(2147483647.5); }, runtime::Overflow},
        {"long below range", [] { runtime::ToLong(-2147483649.0); }, runtime::Overflow},
        {"integer rounding up out of range", [] { runtime::ToInteger(32767.5); }, runtime::Overflow},
        {"integer from 40000", [] { runtime::ToInteger(40000); }, runtime::Overflow},
        {"integer from 32-bit hex", [] { runtime::ToInteger(Variant(u"&H10000")); }, runtime::Overflow},
        {"single from 1e39", [] { runtime::ToSingle(1e39); }, runtime::Overflow},
        {"double from 1e400 text", [] { runtime::ToDouble(Variant(u"1e400")); }, runtime::Overflow},
        {"long from missing", [] { runtime::ToLong(Variant::Missing()); }, runtime::TypeMismatch},
        {"long from bytes", [] { runtime::ToLong(Variant(Bytes({1}))); }, runtime::TypeMismatch},
        {"string from missing", [] { runtime::ToString(Variant::Missing()); }, runtime::TypeMismatch},
        {"string from array", [&table] { runtime::ToString(Variant(table)); }, runtime::TypeMismatch},
        {"boolean from word", [] { runtime::ToBoolean(Variant(u"yes")); }, runtime::TypeMismatch},
        {"bytes from number", [] { runtime::ToByteArray(Variant(5)); }, runtime::TypeMismatch},
        {"bytes from empty", [] { runtime::ToByteArray(Variant()); }, runtime::TypeMismatch},
        {"stored value of another type", [] { Variant(5).AsString(); }, runtime::TypeMismatch},
    };
    for (const auto& [what, conversion, error] : cases)
        EXPECT_EQ(ErrorNumberOf(conversion), error) << what;
}

TEST(Variant, ToIntegerAndToSingleRoundIntoTheirRange)
{
    EXPECT_EQ(runtime::ToInteger(32766.5), 32766);
    EXPECT_EQ(runtime::ToInteger(-32768.5), -32768);
    EXPECT_EQ(runtime::ToInteger(Variant(u"&HFFFF")), -1);
    EXPECT_EQ(runtime::ToInteger(Variant(u"1500")), 1500);
    EXPECT_EQ(runtime::ToInteger(Variant(int32_t{-32768})), -32768);
    EXPECT_EQ(runtime::ToSingle(Variant(u"3.5")), 3.5f);
    EXPECT_EQ(runtime::ToSingle(0.1), 0.1f);
    EXPECT_EQ(runtime::ToSingle(static_cast<double>(FLT_MAX)), FLT_MAX);
    EXPECT_EQ(runtime::ToSingle(-static_cast<double>(FLT_MAX)), -FLT_MAX);
    EXPECT_EQ(runtime::ToSingle(true), -1.0f);
}

TEST(Variant, ToStringFormatsNumbersWithTheirSignificantDigitsAndBytesAsText)
{
    // clang-format off
    const std::pair<Variant, std::u16string> cases[] = {
        {Variant(), u""}, {Variant(int16_t{-5}), u"-5"}, {Variant(int32_t{-2147483647 - 1}), u"-2147483648"},
        {0.5, u"0.5"}, {-0.5, u"-0.5"}, {-0.0, u"0"}, {100.0, u"100"}, {2.25, u"2.25"}, {1e15, u"1E+15"},
        {123456789012345.0, u"123456789012345"}, {1e20, u"1E+20"}, {0.0001, u"0.0001"}, {1e-5, u"1E-05"},
        {1.0 / 3.0, u"0.333333333333333"}, {0.1f, u"0.1"}, {1234567.0f, u"1234567"}, {1e7f, u"1E+07"},
        {12345678.0f, u"1.234568E+07"}, {true, u"True"}, {false, u"False"}, {u"text", u"text"},
        {Variant(Bytes({0x61, 0x00, 0x62, 0x00})), u"ab"}, {Variant(Bytes({0x61})), u"a"},
        {Variant(Bytes({0xAC, 0x20})), u"\u20AC"},
    };
    // clang-format on
    for (const auto& [value, expected] : cases)
        EXPECT_EQ(runtime::ToString(value), expected) << testing::PrintToString(value);
    // Numbers of up to fifteen significant digits come back exactly from their text.
    for (double value : {0.1, -123.456, 1e-7, 9.87654321e100, 2147483647.0}) {
        SCOPED_TRACE(value);
        EXPECT_EQ(runtime::ToDouble(Variant(runtime::ToString(value))), value);
    }
    // A string as bytes is its code units, low byte first.
    EXPECT_EQ(runtime::ToByteArray(Variant(u"a\u20AC")), Bytes({0x61, 0x00, 0xAC, 0x20}));
    EXPECT_EQ(runtime::ToByteArray(Variant(u"")), Bytes({}));
    EXPECT_EQ(runtime::ToByteArray(Variant(Bytes({1, 2, 3}))), Bytes({1, 2, 3}));
}

TEST(Variant, ToBooleanReadsWordsAndNumbers)
{
    const std::pair<Variant, bool> cases[] = {
        {u"True", true}, {u" false ", false}, {u"TRUE", true}, {u"0", false},      {u"-1", true},
        {u"&H0", false}, {0.5, true},         {0, false},      {Variant(), false}, {true, true},
    };
    for (const auto& [value, expected] : cases)
        EXPECT_EQ(runtime::ToBoolean(value), expected) << testing::PrintToString(value);
}

TEST(Variant, IsNumericAcceptsNumbersBooleansEmptyAndNumericText)
{
    // clang-format off
    const std::pair<Variant, bool> cases[] = {
        {u"123", true}, {u" -1.5e3 ", true}, {u"&HFF", true}, {u"{B04D2094-18FF-4A8C-A759-A1900518CEF7}", false},
        {u"", false}, {u"1e400", false}, {u"12abc", false}, {Variant(), true}, {true, true}, {2.5f, true},
        {Variant(int16_t{1}), true}, {Variant::Missing(), false}, {Variant(Bytes({1})), false},
        {Variant(VariantArray(1, 1)), false},
    };
    // clang-format on
    for (const auto& [value, expected] : cases)
        EXPECT_EQ(runtime::IsNumeric(value), expected) << testing::PrintToString(value);
}

TEST(Variant, CompareTextComparesTheTextForms)
{
    EXPECT_EQ(runtime::CompareText(Variant(), Variant(u"")), 0);
    EXPECT_NE(runtime::CompareText(Variant(0), Variant(u"")), 0);
    EXPECT_EQ(runtime::CompareText(Variant(10), Variant(u"10")), 0);
    EXPECT_LT(runtime::CompareText(Variant(u"a"), Variant(u"b")), 0);
    EXPECT_GT(runtime::CompareText(Variant(u"b"), Variant(u"B")), 0);
    EXPECT_GT(runtime::CompareText(Variant(Bytes({0, 0})), Variant(u"")), 0);
}

TEST(Variant, ArraysAreCopiedDeeplyAndCheckTheirBounds)
{
    VariantArray table(2, 3);
    EXPECT_EQ(table.UBound(1), 1);
    EXPECT_EQ(table.UBound(2), 2);
    table.At(1, 2) = Variant(u"corner");
    Variant original(table);
    Variant copy = original;
    copy.AsArray().At(1, 2) = 5;
    EXPECT_EQ(original.AsArray().At(1, 2), Variant(u"corner"));
    EXPECT_EQ(copy.AsArray().At(1, 2), Variant(5));
    EXPECT_TRUE(original.AsArray().At(0, 0).IsEmpty());

    Variant assigned;
    assigned = original;
    EXPECT_EQ(assigned, original);
    original.AsArray().At(0, 0) = true;
    EXPECT_FALSE(assigned == original);

    const std::pair<int32_t, int32_t> outside[] = {{2, 0}, {0, 3}, {-1, 0}, {0, -1}};
    for (auto [row, column] : outside)
        EXPECT_EQ(ErrorNumberOf([&] { table.At(row, column); }), 9) << row << "," << column;
}

TEST(Variant, EqualityNeedsTheSameTypeAndValue)
{
    EXPECT_EQ(Variant(5), Variant(5));
    EXPECT_FALSE(Variant(5) == Variant(int16_t{5}));
    EXPECT_FALSE(Variant(5) == Variant(u"5"));
    EXPECT_FALSE(Variant() == Variant::Missing());
    EXPECT_EQ(Variant::Missing(), Variant::Missing());
    EXPECT_EQ(Variant(Bytes({1, 2})), Variant(Bytes({1, 2})));
    EXPECT_EQ(Variant(u"x").Type(), VariantType::String);
}

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
