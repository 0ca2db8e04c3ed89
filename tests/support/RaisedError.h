#pragma once
#include "platform/runtime/ErrorRecord.h"

#include <functional>

// The error number a call raises, or 0 when it returns.
inline int ErrorNumberOf(const std::function<void()>& call)
{
    try {
        call();
    } catch (const runtime::Error& error) {
        return error.Number();
    }
    return 0;
}
