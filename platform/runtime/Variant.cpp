#include "platform/runtime/Variant.h"
#include "platform/runtime/HexDigit.h"

#include "platform/runtime/ErrorRecord.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <string_view>

namespace runtime
{

namespace
{

constexpr int32_t SubscriptOutOfRange = 9;

[[noreturn]] void RaiseTypeMismatch()
{
    throw Error(TypeMismatch);
}

[[noreturn]] void RaiseOverflow()
{
    throw Error(Overflow);
}

bool IsBlank(char ch)
{
    return ch == ' ' || ch == '\t';
}

bool IsDigit(char ch)
{
    return ch >= '0' && ch <= '9';
}

// The text as single bytes with the surrounding blanks removed; nothing when it holds a
// character no number can contain.
std::optional<std::string> NumberCharacters(std::u16string_view text)
{
    std::string ascii;
    ascii.reserve(text.size());
    for (char16_t ch : text) {
        if (ch > 0x7F)
            return std::nullopt;
        ascii.push_back(static_cast<char>(ch));
    }
    size_t first = 0;
    while (first < ascii.size() && IsBlank(ascii[first]))
        ++first;
    size_t last = ascii.size();
    while (last > first && IsBlank(ascii[last - 1]))
        --last;
    return ascii.substr(first, last - first);
}

enum class ParseOutcome
{
    Number,
    NotANumber,
    OutOfRange,
};

struct ParsedNumber
{
    ParseOutcome Outcome = ParseOutcome::NotANumber;
    double Value = 0;
};

// "&H1F", "&O17" or "&17". Like the original runtime, a value that fits in 16 bits is taken
// as a 16-bit signed number (so "&HFFFF" is -1), else as a 32-bit signed one.
ParsedNumber ParsePrefixedNumber(std::string_view text)
{
    int base = 8;
    size_t pos = 1;
    if (pos < text.size() && (text[pos] == 'H' || text[pos] == 'h')) {
        base = 16;
        ++pos;
    } else if (pos < text.size() && (text[pos] == 'O' || text[pos] == 'o')) {
        ++pos;
    }
    if (pos == text.size())
        return {};
    uint64_t value = 0;
    bool tooLarge = false;
    for (; pos < text.size(); ++pos) {
        const int digit = runtime::HexDigitValue(text[pos]);
        if (digit < 0 || digit >= base)
            return {};
        value = value * static_cast<uint64_t>(base) + static_cast<uint64_t>(digit);
        if (value > 0xFFFFFFFFu)
            tooLarge = true;
        if (tooLarge)
            value = 0xFFFFFFFFu + 1;
    }
    if (tooLarge)
        return {ParseOutcome::OutOfRange, 0};
    if (value <= 0xFFFFu)
        return {ParseOutcome::Number, static_cast<double>(static_cast<int16_t>(static_cast<uint16_t>(value)))};
    return {ParseOutcome::Number, static_cast<double>(static_cast<int32_t>(static_cast<uint32_t>(value)))};
}

// Sign, digits with an optional decimal point, optional exponent (E or D).
ParsedNumber ParseDecimalNumber(std::string_view text)
{
    std::string normal;
    size_t pos = 0;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        if (text[pos] == '-')
            normal.push_back('-');
        ++pos;
    }
    size_t digits = 0;
    // Position of the first significant digit relative to the decimal point, to tell an
    // overflow from an underflow when the value is out of range.
    int64_t magnitude = 0;
    bool seenSignificant = false;
    bool seenPoint = false;
    for (; pos < text.size(); ++pos) {
        const char ch = text[pos];
        if (IsDigit(ch)) {
            ++digits;
            if (ch != '0' && !seenSignificant)
                seenSignificant = true;
            if (seenSignificant && !seenPoint)
                ++magnitude;
            if (!seenSignificant && seenPoint)
                --magnitude;
            normal.push_back(ch);
        } else if (ch == '.' && !seenPoint) {
            seenPoint = true;
            normal.push_back('.');
        } else {
            break;
        }
    }
    if (digits == 0)
        return {};
    int64_t exponent = 0;
    if (pos < text.size() && (text[pos] == 'E' || text[pos] == 'e' || text[pos] == 'D' || text[pos] == 'd')) {
        ++pos;
        normal.push_back('e');
        bool negative = false;
        if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
            negative = text[pos] == '-';
            normal.push_back(text[pos]);
            ++pos;
        }
        size_t exponentDigits = 0;
        for (; pos < text.size() && IsDigit(text[pos]); ++pos) {
            ++exponentDigits;
            normal.push_back(text[pos]);
            if (exponent < 100000)
                exponent = exponent * 10 + (text[pos] - '0');
        }
        if (exponentDigits == 0)
            return {};
        if (negative)
            exponent = -exponent;
    }
    if (pos != text.size())
        return {};
    if (!seenSignificant)
        return {ParseOutcome::Number, 0.0};

    double value = 0;
    const auto result = std::from_chars(normal.data(), normal.data() + normal.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        if (magnitude + exponent > 0)
            return {ParseOutcome::OutOfRange, 0};
        return {ParseOutcome::Number, 0.0};
    }
    if (result.ec != std::errc() || result.ptr != normal.data() + normal.size() || !std::isfinite(value))
        return {ParseOutcome::OutOfRange, 0};
    return {ParseOutcome::Number, value};
}

ParsedNumber ParseNumber(std::u16string_view text)
{
    const std::optional<std::string> chars = NumberCharacters(text);
    if (!chars || chars->empty())
        return {};
    if ((*chars)[0] == '&')
        return ParsePrefixedNumber(*chars);
    return ParseDecimalNumber(*chars);
}

double StringToDouble(const std::u16string& text)
{
    const ParsedNumber parsed = ParseNumber(text);
    if (parsed.Outcome == ParseOutcome::OutOfRange)
        RaiseOverflow();
    if (parsed.Outcome == ParseOutcome::NotANumber)
        RaiseTypeMismatch();
    return parsed.Value;
}

std::u16string Widen(std::string_view ascii)
{
    return std::u16string(ascii.begin(), ascii.end());
}

// Formats like the original runtime: up to `precision` significant digits, no trailing zeros,
// scientific notation ("1E+15", "1E-05") outside the range the digits can show plainly.
template <typename Float> std::u16string FormatFloat(Float value, int precision)
{
    if (value == 0)
        return u"0";
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, precision);
    std::string text(buffer, result.ptr);
    for (char& ch : text) {
        if (ch == 'e')
            ch = 'E';
    }
    return Widen(text);
}

template <typename Int> Int RoundToInteger(double value)
{
    if (!std::isfinite(value))
        RaiseOverflow();
    const double rounded = RoundHalfEven(value);
    if (rounded < static_cast<double>(std::numeric_limits<Int>::min()) ||
        rounded > static_cast<double>(std::numeric_limits<Int>::max()))
        RaiseOverflow();
    return static_cast<Int>(rounded);
}

bool EqualsIgnoringCase(std::u16string_view text, std::u16string_view lowerWord)
{
    if (text.size() != lowerWord.size())
        return false;
    for (size_t i = 0; i < text.size(); ++i) {
        char16_t ch = text[i];
        if (ch >= u'A' && ch <= u'Z')
            ch = static_cast<char16_t>(ch - u'A' + u'a');
        if (ch != lowerWord[i])
            return false;
    }
    return true;
}

std::u16string_view TrimBlanks(std::u16string_view text)
{
    while (!text.empty() && (text.front() == u' ' || text.front() == u'\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == u' ' || text.back() == u'\t'))
        text.remove_suffix(1);
    return text;
}

} // namespace

Variant::ArrayBox::ArrayBox(VariantArray array) : array_(std::make_unique<VariantArray>(std::move(array))) {}

Variant::ArrayBox::ArrayBox(const ArrayBox& other) : array_(std::make_unique<VariantArray>(*other.array_)) {}

Variant::ArrayBox& Variant::ArrayBox::operator=(const ArrayBox& other)
{
    if (this != &other)
        array_ = std::make_unique<VariantArray>(*other.array_);
    return *this;
}

Variant::ArrayBox::~ArrayBox() = default;

Variant::Variant(VariantArray array) : value_(std::in_place_type<ArrayBox>, std::move(array)) {}

Variant Variant::Missing()
{
    Variant missing;
    missing.value_.emplace<MissingTag>();
    return missing;
}

int16_t Variant::AsInteger() const
{
    if (Type() != VariantType::Integer)
        RaiseTypeMismatch();
    return std::get<int16_t>(value_);
}

int32_t Variant::AsLong() const
{
    if (Type() != VariantType::Long)
        RaiseTypeMismatch();
    return std::get<int32_t>(value_);
}

float Variant::AsSingle() const
{
    if (Type() != VariantType::Single)
        RaiseTypeMismatch();
    return std::get<float>(value_);
}

double Variant::AsDouble() const
{
    if (Type() != VariantType::Double)
        RaiseTypeMismatch();
    return std::get<double>(value_);
}

bool Variant::AsBoolean() const
{
    if (Type() != VariantType::Boolean)
        RaiseTypeMismatch();
    return std::get<bool>(value_);
}

const std::u16string& Variant::AsString() const
{
    if (Type() != VariantType::String)
        RaiseTypeMismatch();
    return std::get<std::u16string>(value_);
}

const std::vector<uint8_t>& Variant::AsBytes() const
{
    if (Type() != VariantType::ByteArray)
        RaiseTypeMismatch();
    return std::get<std::vector<uint8_t>>(value_);
}

const VariantArray& Variant::AsArray() const
{
    if (Type() != VariantType::Array)
        RaiseTypeMismatch();
    return std::get<ArrayBox>(value_).Get();
}

VariantArray& Variant::AsArray()
{
    if (Type() != VariantType::Array)
        RaiseTypeMismatch();
    return std::get<ArrayBox>(value_).Get();
}

bool operator==(const Variant& a, const Variant& b)
{
    if (a.Type() != b.Type())
        return false;
    if (a.Type() == VariantType::Array)
        return a.AsArray() == b.AsArray();
    if (a.Type() == VariantType::Single || a.Type() == VariantType::Double) {
        return ToDouble(a) == ToDouble(b);
    }
    return std::visit(
        [&b](const auto& left) {
            using T = std::decay_t<decltype(left)>;
            if constexpr (std::is_same_v<T, Variant::ArrayBox>)
                return false;
            else
                return left == std::get<T>(b.value_);
        },
        a.value_);
}

VariantArray::VariantArray(int32_t rows, int32_t columns) : rows_(rows), columns_(columns)
{
    if (rows < 0 || columns < 0)
        throw Error(SubscriptOutOfRange, "Subscript out of range");
    items_.resize(static_cast<size_t>(rows) * static_cast<size_t>(columns));
}

int32_t VariantArray::UBound(int dimension) const
{
    if (dimension == 1)
        return rows_ - 1;
    if (dimension == 2)
        return columns_ - 1;
    throw Error(SubscriptOutOfRange, "Subscript out of range");
}

Variant& VariantArray::At(int32_t row, int32_t column)
{
    return const_cast<Variant&>(static_cast<const VariantArray&>(*this).At(row, column));
}

const Variant& VariantArray::At(int32_t row, int32_t column) const
{
    if (row < 0 || row >= rows_ || column < 0 || column >= columns_)
        throw Error(SubscriptOutOfRange, "Subscript out of range");
    return items_[static_cast<size_t>(row) * static_cast<size_t>(columns_) + static_cast<size_t>(column)];
}

bool VariantArray::operator==(const VariantArray& other) const
{
    return rows_ == other.rows_ && columns_ == other.columns_ && items_ == other.items_;
}

double RoundHalfEven(double value)
{
    const double below = std::floor(value);
    const double fraction = value - below;
    if (fraction < 0.5)
        return below;
    if (fraction > 0.5)
        return below + 1;
    return std::fmod(below, 2.0) == 0 ? below : below + 1;
}

std::u16string ToString(const Variant& value)
{
    switch (value.Type()) {
    case VariantType::Empty:
        return {};
    case VariantType::Integer:
        return Widen(std::to_string(value.AsInteger()));
    case VariantType::Long:
        return Widen(std::to_string(value.AsLong()));
    case VariantType::Single:
        return FormatFloat(value.AsSingle(), 7);
    case VariantType::Double:
        return FormatFloat(value.AsDouble(), 15);
    case VariantType::Boolean:
        return value.AsBoolean() ? u"True" : u"False";
    case VariantType::String:
        return value.AsString();
    case VariantType::ByteArray: {
        // The bytes are the string's own UTF-16 code units, low byte first; an odd last
        // byte is a character of its own.
        const std::vector<uint8_t>& bytes = value.AsBytes();
        std::u16string text;
        text.reserve((bytes.size() + 1) / 2);
        for (size_t i = 0; i < bytes.size(); i += 2) {
            const unsigned high = i + 1 < bytes.size() ? bytes[i + 1] : 0u;
            text.push_back(static_cast<char16_t>(bytes[i] | (high << 8)));
        }
        return text;
    }
    case VariantType::Missing:
    case VariantType::Array:
        break;
    }
    RaiseTypeMismatch();
}

double ToDouble(const Variant& value)
{
    switch (value.Type()) {
    case VariantType::Empty:
        return 0;
    case VariantType::Integer:
        return value.AsInteger();
    case VariantType::Long:
        return value.AsLong();
    case VariantType::Single:
        return value.AsSingle();
    case VariantType::Double:
        return value.AsDouble();
    case VariantType::Boolean:
        return value.AsBoolean() ? -1 : 0;
    case VariantType::String:
        return StringToDouble(value.AsString());
    case VariantType::Missing:
    case VariantType::ByteArray:
    case VariantType::Array:
        break;
    }
    RaiseTypeMismatch();
}

int32_t ToLong(const Variant& value)
{
    return RoundToInteger<int32_t>(ToDouble(value));
}

int16_t ToInteger(const Variant& value)
{
    return RoundToInteger<int16_t>(ToDouble(value));
}

float ToSingle(const Variant& value)
{
    if (value.Type() == VariantType::Single)
        return value.AsSingle();
    const double number = ToDouble(value);
    constexpr double largest = std::numeric_limits<float>::max();
    // Halfway between the largest single and the next power of two: from here on the
    // value rounds to infinity.
    constexpr double overflowFrom = 0x1.ffffffp127;
    if (std::fabs(number) >= overflowFrom)
        RaiseOverflow();
    if (std::fabs(number) > largest)
        return static_cast<float>(std::copysign(largest, number));
    return static_cast<float>(number);
}

bool ToBoolean(const Variant& value)
{
    if (value.Type() == VariantType::Boolean)
        return value.AsBoolean();
    if (value.Type() == VariantType::String) {
        const std::u16string_view text = TrimBlanks(value.AsString());
        if (EqualsIgnoringCase(text, u"true"))
            return true;
        if (EqualsIgnoringCase(text, u"false"))
            return false;
    }
    return ToDouble(value) != 0;
}

std::vector<uint8_t> ToByteArray(const Variant& value)
{
    if (value.Type() == VariantType::ByteArray)
        return value.AsBytes();
    if (value.Type() == VariantType::String) {
        const std::u16string& text = value.AsString();
        std::vector<uint8_t> bytes;
        bytes.reserve(text.size() * 2);
        for (char16_t ch : text) {
            bytes.push_back(static_cast<uint8_t>(ch & 0xFF));
            bytes.push_back(static_cast<uint8_t>(ch >> 8));
        }
        return bytes;
    }
    RaiseTypeMismatch();
}

bool IsNumeric(const Variant& value)
{
    switch (value.Type()) {
    case VariantType::Empty:
    case VariantType::Integer:
    case VariantType::Long:
    case VariantType::Single:
    case VariantType::Double:
    case VariantType::Boolean:
        return true;
    case VariantType::String:
        return ParseNumber(value.AsString()).Outcome == ParseOutcome::Number;
    case VariantType::Missing:
    case VariantType::ByteArray:
    case VariantType::Array:
        break;
    }
    return false;
}

int CompareText(const Variant& a, const Variant& b)
{
    const int order = ToString(a).compare(ToString(b));
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

} // namespace runtime
