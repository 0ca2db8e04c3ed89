#pragma once
#include "platform/runtime/Variant.h"
#include "platform/win32/AnsiCodePage.h"

#include <ostream>

namespace runtime
{

// Lets test failures show a Variant as its type and value.
inline void PrintTo(const Variant& value, std::ostream* out)
{
    static const char* const names[] = {"Empty",  "Missing", "Integer", "Long",      "Single",
                                        "Double", "Boolean", "String",  "ByteArray", "Array"};
    *out << names[static_cast<int>(value.Type())];
    switch (value.Type()) {
    case VariantType::Empty:
    case VariantType::Missing:
        return;
    case VariantType::ByteArray:
        *out << "{";
        for (uint8_t byte : value.AsBytes())
            *out << " " << static_cast<int>(byte);
        *out << " }";
        return;
    case VariantType::Array:
        *out << "(" << value.AsArray().Rows() << "x" << value.AsArray().Columns() << ")";
        return;
    default:
        *out << "(" << win32::AnsiToUtf8(win32::UnicodeToAnsi(ToString(value))) << ")";
        return;
    }
}

} // namespace runtime
