#include "platform/win32/ComResult.h"

namespace win32
{

std::string HResultDescription(HRESULT hr)
{
    switch (hr) {
    case E_NOTIMPL:
        return "Not implemented";
    case E_NOINTERFACE:
        return "No such interface supported";
    case E_POINTER:
        return "Invalid pointer";
    case E_FAIL:
        return "Unspecified error";
    case E_UNEXPECTED:
        return "Catastrophic failure";
    case E_OUTOFMEMORY:
        return "Out of memory";
    case E_INVALIDARG:
        return "The parameter is incorrect";
    case CLASS_E_NOAGGREGATION:
        return "Class does not support aggregation";
    case CLASS_E_CLASSNOTAVAILABLE:
        return "Class not available";
    case REGDB_E_READREGDB:
        return "The registry cannot be read";
    case REGDB_E_CLASSNOTREG:
        return "Class not registered";
    case CO_E_DLLNOTFOUND:
        return "The server library could not be found";
    case CO_E_ERRORINDLL:
        return "Error in the server library";
    case CO_E_CLASSSTRING:
        return "Invalid class string";
    case SELFREG_E_TYPELIB:
        return "The type library could not be registered";
    case SELFREG_E_CLASS:
        return "The class could not be registered";
    case DISP_E_MEMBERNOTFOUND:
        return "Member not found";
    case DISP_E_PARAMNOTFOUND:
        return "Parameter not found";
    case DISP_E_TYPEMISMATCH:
        return "Type mismatch";
    case DISP_E_UNKNOWNNAME:
        return "Unknown name";
    case DISP_E_EXCEPTION:
        return "Exception occurred";
    case DISP_E_BADINDEX:
        return "Invalid index";
    case DISP_E_BADPARAMCOUNT:
        return "Invalid number of parameters";
    case DISP_E_PARAMNOTOPTIONAL:
        return "Parameter not optional";
    default:
        return {};
    }
}

} // namespace win32
