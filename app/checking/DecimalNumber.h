#pragma once
#include <QStringView>

#include <cstdint>
#include <optional>

// A number written in decimal, as the reply's status and the title's numeric references are:
// optional spaces around it, an optional sign, digits with an optional fraction, and an
// optional exponent (" 200", "-5", "65.5", ".5", "2.5e2").
struct DecimalNumber
{
    // The value rounded to an integer, halves to even, held to +-LargestRounded: a value
    // beyond that is reported there with Saturated set.
    int64_t Rounded = 0;
    // The sign (-1, 0, +1) of the value minus Rounded, so that 255.5 (rounded to 256) can be
    // told from 256 itself.
    int FractionSign = 0;
    bool Saturated = false;

    static constexpr int64_t LargestRounded = 1'000'000'000'000'000;

    // Whether the exact value is at least limit (limit within +-LargestRounded).
    bool IsAtLeast(int64_t limit) const;
};

// Reads text that holds one decimal number and nothing else. Exact for any length of digits
// and any exponent: no binary floating point is involved, so halves round as written.
std::optional<DecimalNumber> ParseDecimalNumber(QStringView text);
