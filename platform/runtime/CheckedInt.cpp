#include "platform/runtime/CheckedInt.h"

#include "platform/runtime/ErrorRecord.h"

#include <limits>

namespace runtime
{

int16_t CheckedInt16(int64_t value)
{
    if (value < std::numeric_limits<int16_t>::min() || value > std::numeric_limits<int16_t>::max())
        throw Error(Overflow);
    return static_cast<int16_t>(value);
}

int16_t AddInt16(int16_t a, int16_t b)
{
    return CheckedInt16(static_cast<int64_t>(a) + static_cast<int64_t>(b));
}

} // namespace runtime
