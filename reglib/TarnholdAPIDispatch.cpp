// Late binding for TarnholdAPI: names to dispatch ids, and Invoke by id onto the interface
// entries, with the by-reference arguments written back into the caller's argument list.
#include "platform/win32/AnsiCodePage.h"
#include "platform/win32/ComErrorInfo.h"
#include "reglib/TarnholdAPI.h"

namespace tarnhold
{

using runtime::Variant;
using namespace win32;

namespace
{

struct Member
{
    DISPID Id;
    std::u16string_view Name;
};

constexpr Member Members[] = {
    {DISPID_KeyPrefix, u"KeyPrefix"},           {DISPID_Root, u"Root"},
    {DISPID_GetSetting, u"GetSetting"},         {DISPID_SaveSetting, u"SaveSetting"},
    {DISPID_DeleteSetting, u"DeleteSetting"},   {DISPID_QueryValue, u"QueryValue"},
    {DISPID_GetAllSettings, u"GetAllSettings"}, {DISPID_GetAllKeys, u"GetAllKeys"},
    {DISPID_SetKeyValue, u"SetKeyValue"},       {DISPID_CreateKey, u"CreateKey"},
    {DISPID_SetValueEx, u"SetValueEx"},         {DISPID_QueryValueEx, u"QueryValueEx"},
};

char16_t FoldCase(char16_t ch)
{
    return ch >= u'A' && ch <= u'Z' ? static_cast<char16_t>(ch - u'A' + u'a') : ch;
}

bool SameName(std::u16string_view a, std::u16string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (FoldCase(a[i]) != FoldCase(b[i]))
            return false;
    }
    return true;
}

// A parameter that cannot be used: the status for Invoke and the argument's slot in rgvarg.
struct ArgumentError
{
    HRESULT Status;
    UINT Slot;
};

// The arguments of one call, addressed by parameter position (0 = first parameter).
class Arguments
{
public:
    explicit Arguments(DISPPARAMS& params) : params_(params) {}

    UINT Count() const { return params_.cArgs; }

    // The caller's entry for the parameter, or nullptr when the argument was omitted.
    Variant* Entry(UINT position) const
    {
        if (position >= params_.cArgs)
            return nullptr;
        Variant& entry = params_.rgvarg[Slot(position)];
        return entry.IsMissing() ? nullptr : &entry;
    }

    std::u16string String(UINT position, bool optional = false) const
    {
        const Variant* entry = Required(position, optional);
        if (!entry)
            return {};
        try {
            return runtime::ToString(*entry);
        } catch (const runtime::Error&) {
            throw ArgumentError{DISP_E_TYPEMISMATCH, Slot(position)};
        }
    }

    LONG Long(UINT position, bool optional = false) const
    {
        const Variant* entry = Required(position, optional);
        if (!entry)
            return 0;
        try {
            return runtime::ToLong(*entry);
        } catch (const runtime::Error&) {
            throw ArgumentError{DISP_E_TYPEMISMATCH, Slot(position)};
        }
    }

    Variant Value(UINT position, bool optional = false) const
    {
        const Variant* entry = Required(position, optional);
        return entry ? *entry : Variant::Missing();
    }

    Variant& Reference(UINT position) const { return *Required(position, false); }

private:
    UINT Slot(UINT position) const { return params_.cArgs - 1 - position; }

    Variant* Required(UINT position, bool optional) const
    {
        Variant* entry = Entry(position);
        if (!entry && !optional)
            throw ArgumentError{DISP_E_PARAMNOTOPTIONAL, position < params_.cArgs ? Slot(position) : 0};
        return entry;
    }

    DISPPARAMS& params_;
};

bool IsCall(WORD flags)
{
    return (flags & (DISPATCH_METHOD | DISPATCH_PROPERTYGET)) != 0;
}

std::u16string Widen(const std::string& text)
{
    return AnsiToUnicode(Utf8ToAnsi(text));
}

} // namespace

HRESULT TarnholdAPI::GetTypeInfoCount(UINT* pctinfo)
{
    if (!pctinfo)
        return E_POINTER;
    // Names and dispatch ids come from GetIDsOfNames; there is no type information object.
    *pctinfo = 0;
    return S_OK;
}

HRESULT TarnholdAPI::GetTypeInfo(UINT /*iTInfo*/, LCID /*lcid*/, void** ppTInfo)
{
    if (!ppTInfo)
        return E_POINTER;
    *ppTInfo = nullptr;
    return DISP_E_BADINDEX;
}

HRESULT TarnholdAPI::GetIDsOfNames(REFIID riid, const char16_t* const* rgszNames, UINT cNames, LCID /*lcid*/,
                                   DISPID* rgDispId)
{
    if (!rgszNames || !rgDispId)
        return E_POINTER;
    if (riid != GUID_NULL)
        return DISP_E_UNKNOWNINTERFACE;
    if (cNames == 0)
        return E_INVALIDARG;
    HRESULT hr = S_OK;
    // The first name is the member; further names would be parameter names, which calls by
    // position do not need.
    for (UINT i = 0; i < cNames; ++i)
        rgDispId[i] = DISPID_UNKNOWN;
    if (cNames > 1)
        hr = DISP_E_UNKNOWNNAME;
    if (!rgszNames[0])
        return DISP_E_UNKNOWNNAME;
    for (const Member& member : Members) {
        if (SameName(rgszNames[0], member.Name)) {
            rgDispId[0] = member.Id;
            return hr;
        }
    }
    return DISP_E_UNKNOWNNAME;
}

HRESULT TarnholdAPI::Invoke(DISPID dispIdMember, REFIID riid, LCID /*lcid*/, WORD wFlags, DISPPARAMS* pDispParams,
                            Variant* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr)
{
    if (!pDispParams || (pDispParams->cArgs > 0 && !pDispParams->rgvarg))
        return E_POINTER;
    if (riid != GUID_NULL)
        return DISP_E_UNKNOWNINTERFACE;
    ClearErrorInfo();
    HRESULT hr = E_UNEXPECTED;
    try {
        hr = InvokeMember(dispIdMember, wFlags, *pDispParams, pVarResult, puArgErr);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    // A run-time error inside the member: reported as an exception of the call, with the
    // member's error info both in EXCEPINFO and for the caller's error handling.
    runtime::ErrorRecord info;
    if (FAILED(hr) && GetErrorInfo(hr, info)) {
        if (pExcepInfo) {
            *pExcepInfo = EXCEPINFO{};
            pExcepInfo->scode = hr;
            pExcepInfo->bstrSource = Widen(info.Source);
            pExcepInfo->bstrDescription = Widen(info.Description);
        }
        SetErrorInfo(DISP_E_EXCEPTION, info);
        return DISP_E_EXCEPTION;
    }
    return hr;
}

HRESULT TarnholdAPI::InvokeMember(DISPID member, WORD flags, DISPPARAMS& params, Variant* result, UINT* argError)
{
    const bool put = (flags & DISPATCH_PROPERTYPUT) != 0;
    if (params.cNamedArgs > 0 && !(put && params.cNamedArgs == 1 && params.rgdispidNamedArgs &&
                                   params.rgdispidNamedArgs[0] == DISPID_PROPERTYPUT))
        return DISP_E_NONAMEDARGS;

    const Arguments args(params);
    // Parameters each member takes at least and at most.
    auto counted = [&args](UINT least, UINT most) { return args.Count() >= least && args.Count() <= most; };
    Variant value;
    LONG number = 0;
    HRESULT hr = DISP_E_MEMBERNOTFOUND;
    try {
        switch (member) {
        case DISPID_KeyPrefix:
            if (put) {
                if (!counted(1, 1))
                    return DISP_E_BADPARAMCOUNT;
                return put_KeyPrefix(args.String(0));
            }
            if (!IsCall(flags))
                return DISP_E_MEMBERNOTFOUND;
            if (!counted(0, 0))
                return DISP_E_BADPARAMCOUNT;
            {
                std::u16string prefix;
                hr = get_KeyPrefix(&prefix);
                value = std::move(prefix);
            }
            break;
        case DISPID_Root:
            if (put) {
                if (!counted(1, 1))
                    return DISP_E_BADPARAMCOUNT;
                return put_Root(args.Long(0));
            }
            if (!IsCall(flags))
                return DISP_E_MEMBERNOTFOUND;
            if (!counted(0, 0))
                return DISP_E_BADPARAMCOUNT;
            hr = get_Root(&number);
            value = number;
            break;
        case DISPID_GetSetting:
            if (!IsCall(flags))
                return DISP_E_MEMBERNOTFOUND;
            if (!counted(3, 4))
                return DISP_E_BADPARAMCOUNT;
            hr = GetSetting(args.String(0), args.String(1), args.String(2), args.Value(3, true), &value);
            break;
        case DISPID_SaveSetting: {
            if (!IsCall(flags))
                return DISP_E_MEMBERNOTFOUND;
            if (!counted(4, 5))
                return DISP_E_BADPARAMCOUNT;
            Variant* typeEntry = args.Entry(4);
            LONG valueType = args.Long(4, true);
            hr = SaveSetting(args.String(0), args.String(1), args.String(2), args.Value(3),
                             typeEntry ? &valueType : nullptr);
            if (typeEntry)
                *typeEntry = valueType;
            break;
        }
        case DISPID_DeleteSetting:
            if (!IsCall(flags))
                return DISP_E_MEMBERNOTFOUND;
            if (!counted(2, 3))
                return DISP_E_BADPARAMCOUNT;
            hr = DeleteSetting(args.String(0), args.String(1), args.String(2, true));
            break;
        case DISPID_QueryValue:
            if (!IsCall(flags))
                return DISP_E_MEMBERNOTFOUND;
            if (!counted(2, 2))
                return DISP_E_BADPARAMCOUNT;
            hr = QueryValue(args.String(0), args.String(1), &value);
            break;
        case DISPID_GetAllSettings:
        case DISPID_GetAllKeys:
            if (!IsCall(flags))
                return DISP_E_MEMBERNOTFOUND;
            if (!counted(1, 2))
                return DISP_E_BADPARAMCOUNT;
            hr = member == DISPID_GetAllSettings ? GetAllSettings(args.String(0), args.String(1, true), &value)
                                                 : GetAllKeys(args.String(0), args.String(1, true), &value);
            break;
        case DISPID_SetKeyValue:
            if (!IsCall(flags))
                return DISP_E_MEMBERNOTFOUND;
            if (!counted(4, 4))
                return DISP_E_BADPARAMCOUNT;
            hr = SetKeyValue(args.String(0), args.String(1), args.Value(2), args.Long(3));
            break;
        case DISPID_CreateKey:
            if (!IsCall(flags))
                return DISP_E_MEMBERNOTFOUND;
            if (!counted(1, 1))
                return DISP_E_BADPARAMCOUNT;
            hr = CreateKey(args.String(0));
            break;
        case DISPID_SetValueEx:
            if (!IsCall(flags))
                return DISP_E_MEMBERNOTFOUND;
            if (!counted(4, 4))
                return DISP_E_BADPARAMCOUNT;
            hr = SetValueEx(args.Long(0), args.String(1), args.Long(2), args.Value(3), &number);
            value = number;
            break;
        case DISPID_QueryValueEx:
            if (!IsCall(flags))
                return DISP_E_MEMBERNOTFOUND;
            if (!counted(3, 3))
                return DISP_E_BADPARAMCOUNT;
            // vValue is written straight into the caller's entry.
            hr = QueryValueEx(args.Long(0), args.String(1), &args.Reference(2), &number);
            value = number;
            break;
        default:
            return DISP_E_MEMBERNOTFOUND;
        }
    } catch (const ArgumentError& error) {
        if (argError)
            *argError = error.Slot;
        return error.Status;
    }
    if (SUCCEEDED(hr) && result)
        *result = std::move(value);
    return hr;
}

} // namespace tarnhold
