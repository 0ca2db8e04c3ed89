#include "app/checking/DecimalNumber.h"

#include "tests/app/checking/QStringPrinter.h"

#include <QString>

#include <gtest/gtest.h>
#include <tuple>

TEST(DecimalNumber, ReadsRoundsHalvesToEvenAndComparesTheExactValue)
{
    constexpr int64_t Held = DecimalNumber::LargestRounded;
    // The text, the number rounded, the sign of what rounding dropped, at least 256, saturated.
    const std::tuple<const char16_t*, int64_t, int, bool, bool> cases[] = {
        {u"65", 65, 0, false, false},
        {u"  65  ", 65, 0, false, false},
        {u"+7", 7, 0, false, false},
        {u"-5", -5, 0, false, false},
        {u"0065", 65, 0, false, false},
        {u"5.", 5, 0, false, false},
        {u".5", 0, 1, false, false},
        {u"1.5", 2, -1, false, false},
        {u"65.5", 66, -1, false, false},
        {u"66.5", 66, 1, false, false},
        {u"-0.5", 0, -1, false, false},
        {u"-1.5", -2, 1, false, false},
        {u"-2.5", -2, -1, false, false},
        {u"65.50000000000000000000000000001", 66, -1, false, false}, // more digits than a double holds
        {u"255", 255, 0, false, false},
        {u"255.5", 256, -1, false, false},
        {u"255.9999", 256, -1, false, false},
        {u"255.99999999999999999999", 256, -1, false, false},
        {u"256", 256, 0, true, false},
        {u"256.0001", 256, 1, true, false},
        {u"256.5", 256, 1, true, false},
        {u"2.56e2", 256, 0, true, false},
        {u"2560e-1", 256, 0, true, false},
        {u"2.555E2", 256, -1, false, false},
        {u"650e-1", 65, 0, false, false},
        {u"-300", -300, 0, false, false},
        {u"1e-999999999999999999999", 0, 1, false, false},
        {u"0e999999999999", 0, 0, false, false},
        {u"-0", 0, 0, false, false},
        {u"999999999999999", 999999999999999, 0, true, false},
        // Beyond what is held: saturated, but still on the right side of any limit.
        {u"1e999999999999999999999", Held, 0, true, true},
        {u"9999999999999999", Held, 0, true, true},
        {u"10000000000000000000000000", Held, 0, true, true},
        {u"-1e30", -Held, 0, false, true},
    };
    for (const auto& [text, rounded, fractionSign, atLeast256, saturated] : cases) {
        SCOPED_TRACE(QString::fromUtf16(text).toStdString());
        const auto number = ParseDecimalNumber(QString::fromUtf16(text));
        ASSERT_TRUE(number.has_value());
        EXPECT_EQ(number->Saturated, saturated);
        EXPECT_EQ(number->IsAtLeast(256), atLeast256);
        if (saturated) {
            EXPECT_EQ(number->IsAtLeast(0), rounded > 0);
            continue;
        }
        EXPECT_EQ(number->Rounded, rounded);
        EXPECT_EQ(number->FractionSign, fractionSign);
    }
}

TEST(DecimalNumber, RefusesWhatIsNotADecimalNumber)
{
    for (const char16_t* text :
         {u"",      u"   ",  u"x41", u"x",    u"4 1",  u"1e",           u"1e+",          u"e5",
          u"+",     u"-",    u".",   u"-.",   u"--1",  u"+-1",          u"0x41",         u"1,5",
          u"1.2.3", u"&H41", u"65;", u"\t65", u"65\n", u"\u0661\u0662", u"\uFF16\uFF15", u"1 e5"}) {
        EXPECT_FALSE(ParseDecimalNumber(QString::fromUtf16(text)).has_value())
            << QString::fromUtf16(text).toStdString();
    }
}
