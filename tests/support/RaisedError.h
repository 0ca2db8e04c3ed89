#pragma once
#include "platform/runtime/ErrorRecord.h"

#include <functional>

// The error a call raises, or an error numbered 0 when it returns.
inline runtime::Error ErrorRaisedBy(const std::function<void()>& call)
{
    try {
        call();
    } catch (const runtime::Error& error) {
        return error;
    }
    return runtime::Error(0);
}

// The error number a call raises, or 0 when it returns.
inline int ErrorNumberOf(const std::function<void()>& call)
{
    return ErrorRaisedBy(call).Number();
}
