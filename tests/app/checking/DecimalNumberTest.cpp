#include "app/checking/DecimalNumber.h"

#include "tests/app/checking/QStringPrinter.h"

#include <QString>

#include <gtest/gtest.h>

namespace
{
struct NumberCase
{
    const char16_t* text;
    int64_t rounded;
    int fractionSign;
};

const NumberCase Numbers[] = {
    {u"65", 65, 0},
    {u"  65  ", 65, 0},
    {u"+7", 7, 0},
    {u"-5", -5, 0},
    {u"0065", 65, 0},
    {u"5.", 5, 0},
    {u".5", 0, 1},
    {u"1.5", 2, -1},
    {u"65.5", 66, -1},
    {u"66.5", 66, 1},
    {u"-0.5", 0, -1},
    {u"-1.5", -2, 1},
    {u"-2.5", -2, -1},
    {u"65.50000000000000000000000000001", 66, -1}, // more digits than a double holds
    {u"255.5", 256, -1},
    {u"255.99999999999999999999", 256, -1},
    {u"256", 256, 0},
    {u"2.56e2", 256, 0},
    {u"2.555E2", 256, -1},
    {u"650e-1", 65, 0},
    {u"1e-999999999999999999999", 0, 1},
    {u"0e999999999999", 0, 0},
    {u"-0", 0, 0},
    {u"999999999999999", 999999999999999, 0},
};
} // namespace

TEST(DecimalNumber, ReadsAndRoundsHalvesToEven)
{
    for (const NumberCase& c : Numbers) {
        const QString text = QString::fromUtf16(c.text);
        const auto number = ParseDecimalNumber(text);
        ASSERT_TRUE(number.has_value()) << text.toStdString();
        EXPECT_EQ(number->Rounded, c.rounded) << text.toStdString();
        EXPECT_EQ(number->FractionSign, c.fractionSign) << text.toStdString();
        EXPECT_FALSE(number->Saturated) << text.toStdString();
    }
}

TEST(DecimalNumber, HugeValuesSaturate)
{
    for (const char16_t* text : {u"1e999999999999999999999", u"9999999999999999", u"10000000000000000000000000"}) {
        const auto number = ParseDecimalNumber(QString::fromUtf16(text));
        ASSERT_TRUE(number.has_value());
        EXPECT_TRUE(number->Saturated);
        EXPECT_TRUE(number->IsAtLeast(256));
    }
    const auto negative = ParseDecimalNumber(u"-1e30");
    ASSERT_TRUE(negative.has_value());
    EXPECT_TRUE(negative->Saturated);
    EXPECT_FALSE(negative->IsAtLeast(256));
    EXPECT_FALSE(negative->IsAtLeast(0));
}

TEST(DecimalNumber, IsAtLeastComparesTheExactValue)
{
    struct Case
    {
        const char16_t* text;
        bool atLeast256;
    };
    const Case cases[] = {
        {u"255", false},     {u"255.5", false}, {u"255.9999", false}, {u"256", true},
        {u"256.0001", true}, {u"256.5", true},  {u"2560e-1", true},   {u"-300", false},
    };
    for (const Case& c : cases) {
        const auto number = ParseDecimalNumber(QString::fromUtf16(c.text));
        ASSERT_TRUE(number.has_value());
        EXPECT_EQ(number->IsAtLeast(256), c.atLeast256) << QString::fromUtf16(c.text).toStdString();
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
