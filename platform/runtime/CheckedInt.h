#pragma once
#include <cstdint>

namespace runtime
{

// Counters, positions and time-outs are 16-bit signed; a value that does not fit raises
// error 6 "Overflow" instead of wrapping.
int16_t CheckedInt16(int64_t value);
int16_t AddInt16(int16_t a, int16_t b);

} // namespace runtime
