#pragma once
#include "platform/runtime/ErrorRecord.h"
#include "platform/win32/ComErrorInfo.h"

#include <exception>
#include <new>

namespace tarnhold
{

// The source named in the error info of every failure raised inside the library.
inline constexpr char ErrorSource[] = "Tarnhold.TarnholdAPI";

// The error a failed entry reports, with the library named as its source.
inline win32::HRESULT ReportEntryError(runtime::ErrorRecord record)
{
    record.Source = ErrorSource;
    return win32::ReportError(runtime::Error(std::move(record)));
}

// Runs the body of an interface entry. A run-time error becomes a failed status with error
// info; nothing thrown inside ever leaves through the interface.
template <typename Body> win32::HRESULT GuardEntry(Body&& body) noexcept
{
    win32::ClearErrorInfo();
    try {
        body();
        return win32::S_OK;
    } catch (const runtime::Error& error) {
        return ReportEntryError(error.Record());
    } catch (const std::bad_alloc&) {
        return ReportEntryError({7, "Out of memory", {}});
    } catch (const std::exception& error) {
        return ReportEntryError({win32::E_FAIL, error.what(), {}});
    } catch (...) {
        return ReportEntryError({win32::E_UNEXPECTED, "Unexpected failure", {}});
    }
}

} // namespace tarnhold
