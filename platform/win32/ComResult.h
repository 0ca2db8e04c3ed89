#pragma once
#include "platform/win32/WinTypes.h"

#include <string>

// COM status codes: bit 31 set means failure; the facility says where a code comes from.
namespace win32
{

constexpr bool SUCCEEDED(HRESULT hr)
{
    return hr >= 0;
}

constexpr bool FAILED(HRESULT hr)
{
    return hr < 0;
}

constexpr DWORD SEVERITY_ERROR = 1;
constexpr DWORD FACILITY_DISPATCH = 2;
constexpr DWORD FACILITY_ITF = 4;
constexpr DWORD FACILITY_WIN32 = 7;
// Run-time errors of a component carry their error number in this facility.
constexpr DWORD FACILITY_CONTROL = 10;

constexpr HRESULT MAKE_HRESULT(DWORD severity, DWORD facility, DWORD code)
{
    return static_cast<HRESULT>((severity << 31) | (facility << 16) | (code & 0xFFFFu));
}

constexpr DWORD HRESULT_FACILITY(HRESULT hr)
{
    return (static_cast<DWORD>(hr) >> 16) & 0x1FFFu;
}

constexpr DWORD HRESULT_CODE(HRESULT hr)
{
    return static_cast<DWORD>(hr) & 0xFFFFu;
}

constexpr HRESULT HRESULT_FROM_WIN32(LONG error)
{
    return error <= 0 ? static_cast<HRESULT>(error)
                      : MAKE_HRESULT(SEVERITY_ERROR, FACILITY_WIN32, static_cast<DWORD>(error));
}

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001u);
constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003u);
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT E_UNEXPECTED = static_cast<HRESULT>(0x8000FFFFu);
constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);
constexpr HRESULT CLASS_E_NOAGGREGATION = static_cast<HRESULT>(0x80040110u);
constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = static_cast<HRESULT>(0x80040111u);
constexpr HRESULT REGDB_E_READREGDB = static_cast<HRESULT>(0x80040150u);
constexpr HRESULT REGDB_E_CLASSNOTREG = static_cast<HRESULT>(0x80040154u);
constexpr HRESULT CO_E_DLLNOTFOUND = static_cast<HRESULT>(0x800401F8u);
constexpr HRESULT CO_E_ERRORINDLL = static_cast<HRESULT>(0x800401F9u);
constexpr HRESULT CO_E_CLASSSTRING = static_cast<HRESULT>(0x800401F3u);
constexpr HRESULT SELFREG_E_TYPELIB = static_cast<HRESULT>(0x80040200u);
constexpr HRESULT SELFREG_E_CLASS = static_cast<HRESULT>(0x80040201u);
constexpr HRESULT DISP_E_UNKNOWNINTERFACE = static_cast<HRESULT>(0x80020001u);
constexpr HRESULT DISP_E_MEMBERNOTFOUND = static_cast<HRESULT>(0x80020003u);
constexpr HRESULT DISP_E_PARAMNOTFOUND = static_cast<HRESULT>(0x80020004u);
constexpr HRESULT DISP_E_TYPEMISMATCH = static_cast<HRESULT>(0x80020005u);
constexpr HRESULT DISP_E_UNKNOWNNAME = static_cast<HRESULT>(0x80020006u);
constexpr HRESULT DISP_E_EXCEPTION = static_cast<HRESULT>(0x80020009u);
constexpr HRESULT DISP_E_BADINDEX = static_cast<HRESULT>(0x8002000Bu);
constexpr HRESULT DISP_E_BADPARAMCOUNT = static_cast<HRESULT>(0x8002000Eu);
constexpr HRESULT DISP_E_PARAMNOTOPTIONAL = static_cast<HRESULT>(0x8002000Fu);

// The text a caller shows for a status that came without error info; empty for codes the
// layer does not know.
std::string HResultDescription(HRESULT hr);

} // namespace win32
