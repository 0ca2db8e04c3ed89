#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

namespace runtime
{

// The kinds of value a Variant holds. Missing stands for an optional argument the caller left
// out; Array is a two-dimensional array of Variants with both lower bounds 0.
enum class VariantType
{
    Empty,
    Missing,
    Integer,
    Long,
    Single,
    Double,
    Boolean,
    String,
    ByteArray,
    Array,
};

class VariantArray;

// A value of the program's dynamic type. Copies are deep: an array copied into a Variant is
// the copy's own, as with the original runtime's arrays.
class Variant
{
public:
    Variant() = default;
    Variant(int16_t value) : value_(std::in_place_type<int16_t>, value) {}
    Variant(int32_t value) : value_(std::in_place_type<int32_t>, value) {}
    Variant(float value) : value_(std::in_place_type<float>, value) {}
    Variant(double value) : value_(std::in_place_type<double>, value) {}
    Variant(bool value) : value_(std::in_place_type<bool>, value) {}
    Variant(std::u16string value) : value_(std::in_place_type<std::u16string>, std::move(value)) {}
    Variant(const char16_t* value) : value_(std::in_place_type<std::u16string>, value) {}
    Variant(std::vector<uint8_t> bytes) : value_(std::in_place_type<std::vector<uint8_t>>, std::move(bytes)) {}
    Variant(VariantArray array);
    // Narrow text would silently turn into a boolean through the pointer conversion.
    Variant(const char*) = delete;

    // The marker for an omitted optional argument.
    static Variant Missing();

    VariantType Type() const { return static_cast<VariantType>(value_.index()); }
    bool IsEmpty() const { return Type() == VariantType::Empty; }
    bool IsMissing() const { return Type() == VariantType::Missing; }

    // Direct access to the stored value; the type must match, else error 13.
    int16_t AsInteger() const;
    int32_t AsLong() const;
    float AsSingle() const;
    double AsDouble() const;
    bool AsBoolean() const;
    const std::u16string& AsString() const;
    const std::vector<uint8_t>& AsBytes() const;
    const VariantArray& AsArray() const;
    VariantArray& AsArray();

private:
    struct MissingTag
    {
        bool operator==(const MissingTag&) const = default;
    };

    // Owns an array and copies it deeply, so that Variant keeps value semantics although
    // VariantArray is defined after it.
    class ArrayBox
    {
    public:
        explicit ArrayBox(VariantArray array);
        ArrayBox(const ArrayBox& other);
        ArrayBox(ArrayBox&&) noexcept = default;
        ArrayBox& operator=(const ArrayBox& other);
        ArrayBox& operator=(ArrayBox&&) noexcept = default;
        ~ArrayBox();

        VariantArray& Get() const { return *array_; }

    private:
        std::unique_ptr<VariantArray> array_;
    };

    friend bool operator==(const Variant& a, const Variant& b);

    std::variant<std::monostate, MissingTag, int16_t, int32_t, float, double, bool, std::u16string,
                 std::vector<uint8_t>, ArrayBox>
        value_;
};

// A two-dimensional array of Variants, indexes (0 .. Rows-1, 0 .. Columns-1).
class VariantArray
{
public:
    VariantArray(int32_t rows, int32_t columns);

    int32_t Rows() const { return rows_; }
    int32_t Columns() const { return columns_; }
    // The upper bound of dimension 1 or 2; the lower bound is always 0.
    int32_t UBound(int dimension) const;

    // Element (row, column); an index outside the bounds raises error 9.
    Variant& At(int32_t row, int32_t column);
    const Variant& At(int32_t row, int32_t column) const;

    bool operator==(const VariantArray& other) const;

private:
    int32_t rows_;
    int32_t columns_;
    std::vector<Variant> items_;
};

// Same type and same value; arrays element by element. For tests and bookkeeping, not the
// program's own "=" (which compares across types).
bool operator==(const Variant& a, const Variant& b);

// The conversions of the original runtime. Each raises error 13 "Type mismatch" for a value
// that cannot be converted and error 6 "Overflow" for a number out of range.
std::u16string ToString(const Variant& value);
int32_t ToLong(const Variant& value);
int16_t ToInteger(const Variant& value);
bool ToBoolean(const Variant& value);
float ToSingle(const Variant& value);
double ToDouble(const Variant& value);
std::vector<uint8_t> ToByteArray(const Variant& value);

// Whether the value is a number, a boolean, Empty, or text that converts to a number.
bool IsNumeric(const Variant& value);

// Compares both values converted to text, character by character: <0, 0 or >0.
int CompareText(const Variant& a, const Variant& b);

// Rounds to the nearest integer, halves to the even neighbour (2.5 -> 2, 3.5 -> 4).
double RoundHalfEven(double value);

} // namespace runtime
