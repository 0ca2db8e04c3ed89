#pragma once
#include "platform/runtime/ErrorRecord.h"
#include "platform/win32/ComResult.h"

// Error info: what a failed interface call tells its caller beyond the status, namely the
// error's number, description and source. It is kept per thread, together with the status it
// belongs to, so a caller never takes stale info from an earlier failure for a new one.
namespace win32
{

// Server side: records the info for the failure `hr` about to be returned.
void SetErrorInfo(HRESULT hr, const runtime::ErrorRecord& info);
// Forgets any recorded info (done on entry to every interface call).
void ClearErrorInfo();
// Caller side: takes the info recorded for `hr`; false when there is none for that status.
bool GetErrorInfo(HRESULT hr, runtime::ErrorRecord& info);

// The status an interface entry returns for a run-time error: the error number in the
// control facility (13 becomes 0x800A000D); a number that is already a status stays itself.
HRESULT HResultFromErrorNumber(int32_t number);
// The error number a caller sees for a failed status: the reverse of the above.
int32_t ErrorNumberFromHResult(HRESULT hr);

// Server side: records `error` as error info and returns the matching failed status. Every
// interface entry ends its catch with this, so no exception crosses the module boundary.
HRESULT ReportError(const runtime::Error& error);

// Caller side: raises the failure of a call as the program's own error, with the callee's
// number, description and source when it left error info, else with the status's own text.
void ThrowIfFailed(HRESULT hr);

} // namespace win32
