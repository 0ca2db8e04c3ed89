#include "platform/win32/ComErrorInfo.h"

#include <optional>

namespace win32
{

namespace
{

struct RecordedError
{
    HRESULT Status = S_OK;
    runtime::ErrorRecord Info;
};

std::optional<RecordedError>& ThreadErrorInfo()
{
    thread_local std::optional<RecordedError> recorded;
    return recorded;
}

} // namespace

void SetErrorInfo(HRESULT hr, const runtime::ErrorRecord& info)
{
    ThreadErrorInfo() = RecordedError{hr, info};
}

void ClearErrorInfo()
{
    ThreadErrorInfo().reset();
}

bool GetErrorInfo(HRESULT hr, runtime::ErrorRecord& info)
{
    std::optional<RecordedError>& recorded = ThreadErrorInfo();
    if (!recorded || recorded->Status != hr)
        return false;
    info = std::move(recorded->Info);
    recorded.reset();
    return true;
}

HRESULT HResultFromErrorNumber(int32_t number)
{
    if (number < 0)
        return number;
    if (number > 0 && number <= 0xFFFF)
        return MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, static_cast<DWORD>(number));
    return E_FAIL;
}

int32_t ErrorNumberFromHResult(HRESULT hr)
{
    if (FAILED(hr) && HRESULT_FACILITY(hr) == FACILITY_CONTROL)
        return static_cast<int32_t>(HRESULT_CODE(hr));
    return hr;
}

HRESULT ReportError(const runtime::Error& error)
{
    const HRESULT hr = HResultFromErrorNumber(error.Number());
    SetErrorInfo(hr, error.Record());
    return hr;
}

void ThrowIfFailed(HRESULT hr)
{
    if (SUCCEEDED(hr))
        return;
    runtime::ErrorRecord info;
    if (GetErrorInfo(hr, info)) {
        if (info.Number == 0)
            info.Number = ErrorNumberFromHResult(hr);
        if (info.Source.empty())
            info.Source = runtime::DefaultErrorSource();
        throw runtime::Error(std::move(info));
    }
    const int32_t number = ErrorNumberFromHResult(hr);
    std::string description =
        HRESULT_FACILITY(hr) == FACILITY_CONTROL ? runtime::StandardDescription(number) : HResultDescription(hr);
    if (description.empty())
        description = "Automation error";
    throw runtime::Error(number, std::move(description));
}

} // namespace win32
