#include "app/checking/DecimalNumber.h"

#include <algorithm>
#include <string>

namespace
{
bool IsDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// Exponents are held to this size; beyond it every value is saturated or rounds to 0 anyway.
constexpr int64_t ExponentLimit = 1'000'000'000'000;
constexpr int64_t RoundedDigits = 15;
} // namespace

bool DecimalNumber::IsAtLeast(int64_t limit) const
{
    if (Saturated)
        return Rounded > 0;
    return Rounded > limit || (Rounded == limit && FractionSign >= 0);
}

std::optional<DecimalNumber> ParseDecimalNumber(QStringView text)
{
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n && text[i] == u' ')
        ++i;
    bool negative = false;
    if (i < n && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }

    // Every digit of the integer part and the fraction, in order.
    std::string mantissa;
    int64_t integerDigits = 0;
    while (i < n && IsDigit(text[i])) {
        mantissa.push_back(static_cast<char>(text[i].unicode()));
        ++integerDigits;
        ++i;
    }
    if (i < n && text[i] == u'.') {
        ++i;
        while (i < n && IsDigit(text[i])) {
            mantissa.push_back(static_cast<char>(text[i].unicode()));
            ++i;
        }
    }
    if (mantissa.empty())
        return std::nullopt;

    int64_t exponent = 0;
    if (i < n && (text[i] == u'e' || text[i] == u'E')) {
        ++i;
        bool exponentNegative = false;
        if (i < n && (text[i] == u'+' || text[i] == u'-')) {
            exponentNegative = text[i] == u'-';
            ++i;
        }
        if (i >= n || !IsDigit(text[i]))
            return std::nullopt;
        while (i < n && IsDigit(text[i])) {
            exponent = std::min(exponent * 10 + (text[i].unicode() - u'0'), ExponentLimit);
            ++i;
        }
        if (exponentNegative)
            exponent = -exponent;
    }
    while (i < n && text[i] == u' ')
        ++i;
    if (i != n)
        return std::nullopt;

    DecimalNumber number;
    const auto firstSignificant = mantissa.find_first_not_of('0');
    if (firstSignificant == std::string::npos)
        return number; // zero, whatever its sign or exponent
    const auto lastSignificant = mantissa.find_last_not_of('0');
    const std::string digits = mantissa.substr(firstSignificant, lastSignificant - firstSignificant + 1);
    const auto digitCount = static_cast<int64_t>(digits.size());
    // How many of the significant digits stand before the decimal point once the exponent is
    // applied; zero or less for a value below 1.
    const int64_t wholeDigits = integerDigits - static_cast<int64_t>(firstSignificant) + exponent;

    if (wholeDigits > RoundedDigits) {
        number.Saturated = true;
        number.Rounded = negative ? -DecimalNumber::LargestRounded : DecimalNumber::LargestRounded;
        number.FractionSign = negative ? -1 : 1;
        return number;
    }

    int64_t magnitude = 0;
    for (int64_t k = 0; k < wholeDigits; ++k)
        magnitude = magnitude * 10 + (k < digitCount ? digits[static_cast<size_t>(k)] - '0' : 0);

    int fractionSign = 0;
    if (wholeDigits < digitCount) {
        // The first fractional digit decides, unless it is a 5 with nothing after it: then
        // the value is exactly halfway and goes to the even neighbour. The digits carry no
        // trailing zeros, so any digit after the first one makes the rest non-zero.
        const int first = wholeDigits < 0 ? 0 : digits[static_cast<size_t>(wholeDigits)] - '0';
        const bool restNonZero = wholeDigits < 0 || wholeDigits + 1 < digitCount;
        const bool up = first > 5 || (first == 5 && (restNonZero || magnitude % 2 == 1));
        if (up) {
            ++magnitude;
            fractionSign = -1;
        } else {
            fractionSign = 1;
        }
    }
    number.Rounded = negative ? -magnitude : magnitude;
    number.FractionSign = negative ? -fractionSign : fractionSign;
    return number;
}
