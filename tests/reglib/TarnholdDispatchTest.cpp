// Late-bound calls: members by name and dispatch id, arguments as Variants, last one first.
#include "tests/reglib/TarnholdFixture.h"

#include <utility>

using runtime::Variant;
using namespace win32;

class TarnholdDispatchTest : public TarnholdTest
{
protected:
    void SetUp() override
    {
        TarnholdTest::SetUp();
        ASSERT_EQ(api.As(dispatch), S_OK);
    }

    void TearDown() override
    {
        dispatch.Reset();
        TarnholdTest::TearDown();
    }

    // Calls a member with the arguments in the caller's order; `args` receives what the member
    // wrote back.
    HRESULT Call(DISPID member, WORD flags, std::vector<Variant>& args, Variant* result = nullptr,
                 EXCEPINFO* exception = nullptr, UINT* argError = nullptr)
    {
        std::vector<Variant> reversed(args.rbegin(), args.rend());
        DISPPARAMS params;
        params.rgvarg = reversed.data();
        params.cArgs = static_cast<UINT>(reversed.size());
        DISPID named = DISPID_PROPERTYPUT;
        if (flags == DISPATCH_PROPERTYPUT) {
            params.rgdispidNamedArgs = &named;
            params.cNamedArgs = 1;
        }
        const HRESULT hr = dispatch->Invoke(member, GUID_NULL, 0, flags, &params, result, exception, argError);
        args.assign(reversed.rbegin(), reversed.rend());
        return hr;
    }

    ComPtr<IDispatch> dispatch;
};

TEST_F(TarnholdDispatchTest, NamesGiveTheirDispatchIdsWithoutRegardToCase)
{
    const std::pair<const char16_t*, DISPID> cases[] = {
        {u"KeyPrefix", 0x40030000},      {u"ROOT", 0x40030001},          {u"getsetting", 0x60030001},
        {u"SaveSetting", 0x60030002},    {u"DeleteSetting", 0x60030003}, {u"QueryValue", 0x60030004},
        {u"GetAllSettings", 0x60030005}, {u"GetAllKeys", 0x60030006},    {u"SetKeyValue", 0x60030007},
        {u"CreateKey", 0x60030008},      {u"SetValueEx", 0x6003000B},    {u"QueryValueEx", 0x6003000C},
    };
    for (const auto& [name, expected] : cases) {
        DISPID id = 0;
        EXPECT_EQ(dispatch->GetIDsOfNames(GUID_NULL, &name, 1, 0, &id), S_OK);
        EXPECT_EQ(id, expected);
    }
    const char16_t* privateMembers[] = {u"BuildKeyPath", u"OpenSectionKey", u"Class_Initialize"};
    for (const char16_t* name : privateMembers) {
        DISPID id = 0;
        EXPECT_EQ(dispatch->GetIDsOfNames(GUID_NULL, &name, 1, 0, &id), DISP_E_UNKNOWNNAME);
        EXPECT_EQ(id, DISPID_UNKNOWN);
    }
    UINT count = 9;
    EXPECT_EQ(dispatch->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 0u);
}

TEST_F(TarnholdDispatchTest, PropertiesAreReadAndWrittenById)
{
    std::vector<Variant> none;
    Variant root;
    ASSERT_EQ(Call(tarnhold::DISPID_Root, DISPATCH_PROPERTYGET, none, &root), S_OK);
    EXPECT_EQ(root, Variant(static_cast<int32_t>(0x80000001u)));

    std::vector<Variant> prefix{Variant(u"Software\\")};
    ASSERT_EQ(Call(tarnhold::DISPID_KeyPrefix, DISPATCH_PROPERTYPUT, prefix), S_OK);
    std::vector<Variant> machine{Variant(u"&H80000002")};
    ASSERT_EQ(Call(tarnhold::DISPID_Root, DISPATCH_PROPERTYPUT, machine), S_OK);

    std::u16string keyPrefix;
    ASSERT_EQ(api->get_KeyPrefix(&keyPrefix), S_OK);
    EXPECT_EQ(keyPrefix, u"Software\\");
    Variant readBack;
    ASSERT_EQ(Call(tarnhold::DISPID_KeyPrefix, DISPATCH_PROPERTYGET | DISPATCH_METHOD, none, &readBack), S_OK);
    EXPECT_EQ(readBack, Variant(u"Software\\"));
    LONG rootValue = 0;
    ASSERT_EQ(api->get_Root(&rootValue), S_OK);
    EXPECT_EQ(rootValue, tarnhold::HKEY_LOCAL_MACHINE);
}

TEST_F(TarnholdDispatchTest, SaveSettingAndQueryValueExWriteBackIntoTheirArguments)
{
    std::vector<Variant> prefix{Variant(u"Software\\")};
    ASSERT_EQ(Call(tarnhold::DISPID_KeyPrefix, DISPATCH_PROPERTYPUT, prefix), S_OK);

    std::vector<Variant> numeric{Variant(u"Orrindale"), Variant(u"Strandmoor"), Variant(u"Timeout"), Variant(1500),
                                 Variant(0)};
    ASSERT_EQ(Call(tarnhold::DISPID_SaveSetting, DISPATCH_METHOD, numeric), S_OK);
    EXPECT_EQ(numeric[4], Variant(4));
    EXPECT_EQ(numeric[3], Variant(1500));
    EXPECT_EQ(ReadRaw(HKEY_CURRENT_USER, "Software\\Orrindale\\Strandmoor", "Timeout").Data, Dword(1500));

    std::vector<Variant> text{Variant(u"Orrindale"), Variant(u"Strandmoor"), Variant(u"ToolMenuGUID"),
                              Variant(u"{744BA66A-6E81-4DF6-85CE-4413AD6695EA}"), Variant(int16_t{0})};
    ASSERT_EQ(Call(tarnhold::DISPID_SaveSetting, DISPATCH_METHOD, text), S_OK);
    EXPECT_EQ(text[4], Variant(1));
    EXPECT_EQ(ReadRaw(HKEY_CURRENT_USER, "Software\\Orrindale\\Strandmoor", "ToolMenuGUID").Type, REG_SZ);

    // Without the optional type the class still chooses; there is nothing to write back.
    std::vector<Variant> omitted{Variant(u"Orrindale"), Variant(u"Strandmoor"), Variant(u"Flag"), Variant(true)};
    ASSERT_EQ(Call(tarnhold::DISPID_SaveSetting, DISPATCH_METHOD, omitted), S_OK);
    EXPECT_EQ(ReadRaw(HKEY_CURRENT_USER, "Software\\Orrindale\\Strandmoor", "Flag").Data, Dword(0xFFFFFFFFu));

    std::vector<Variant> read{Variant(u"Orrindale"), Variant(u"Strandmoor"), Variant(u"Timeout"), Variant(1000)};
    Variant value;
    ASSERT_EQ(Call(tarnhold::DISPID_GetSetting, DISPATCH_METHOD | DISPATCH_PROPERTYGET, read, &value), S_OK);
    EXPECT_EQ(value, Variant(1500));
    std::vector<Variant> readMissing{Variant(u"Orrindale"), Variant(u"Strandmoor"), Variant(u"Nothing")};
    ASSERT_EQ(Call(tarnhold::DISPID_GetSetting, DISPATCH_METHOD, readMissing, &value), S_OK);
    EXPECT_TRUE(value.IsMissing());

    // QueryValueEx writes the value it read straight into the caller's argument.
    HKEY key = 0;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Orrindale\\Strandmoor", 0, KEY_READ, &key), ERROR_SUCCESS);
    std::vector<Variant> args{Variant(static_cast<int32_t>(key)), Variant(u"Timeout"), Variant()};
    ASSERT_EQ(Call(tarnhold::DISPID_QueryValueEx, DISPATCH_METHOD, args, &value), S_OK);
    EXPECT_EQ(value, Variant(0));
    EXPECT_EQ(args[2], Variant(1500));
    RegCloseKey(key);
}

TEST_F(TarnholdDispatchTest, ARunTimeErrorComesBackAsAnExceptionWithItsErrorInfo)
{
    std::vector<Variant> args{Variant(static_cast<int32_t>(0x80000001u)), Variant(u"x"), Variant(4), Variant(u"abc")};
    EXCEPINFO exception;
    Variant result;
    const HRESULT hr = Call(tarnhold::DISPID_SetValueEx, DISPATCH_METHOD, args, &result, &exception);
    EXPECT_EQ(hr, DISP_E_EXCEPTION);
    EXPECT_EQ(exception.scode, static_cast<HRESULT>(0x800A000Du));
    EXPECT_EQ(exception.bstrDescription, u"Type mismatch");
    EXPECT_EQ(exception.bstrSource, u"Tarnhold.TarnholdAPI");
}

TEST_F(TarnholdDispatchTest, BadCallsAreRefusedBeforeTheMemberRuns)
{
    std::vector<Variant> tooFew{Variant(u"Orrindale"), Variant(u"Strandmoor")};
    EXPECT_EQ(Call(tarnhold::DISPID_GetSetting, DISPATCH_METHOD, tooFew), DISP_E_BADPARAMCOUNT);
    std::vector<Variant> tooMany{Variant(u"a"), Variant(u"b"), Variant(u"c")};
    EXPECT_EQ(Call(tarnhold::DISPID_QueryValue, DISPATCH_METHOD, tooMany), DISP_E_BADPARAMCOUNT);
    std::vector<Variant> none;
    EXPECT_EQ(Call(0x60030009, DISPATCH_METHOD, none), DISP_E_MEMBERNOTFOUND);
    std::vector<Variant> putOnMethod{Variant(u"a")};
    EXPECT_EQ(Call(tarnhold::DISPID_CreateKey, DISPATCH_PROPERTYPUT, putOnMethod), DISP_E_MEMBERNOTFOUND);

    std::vector<Variant> missingRequired{Variant(u"a"), Variant::Missing(), Variant(u"c")};
    UINT argError = 99;
    EXPECT_EQ(Call(tarnhold::DISPID_GetSetting, DISPATCH_METHOD, missingRequired, nullptr, nullptr, &argError),
              DISP_E_PARAMNOTOPTIONAL);
    EXPECT_EQ(argError, 1u);

    std::vector<Variant> badRoot{Variant(u"not a number")};
    EXPECT_EQ(Call(tarnhold::DISPID_Root, DISPATCH_PROPERTYPUT, badRoot, nullptr, nullptr, &argError),
              DISP_E_TYPEMISMATCH);
    LONG root = 0;
    ASSERT_EQ(api->get_Root(&root), S_OK);
    EXPECT_EQ(root, tarnhold::Hkey_Current_User);

    DISPPARAMS params;
    EXPECT_EQ(dispatch->Invoke(tarnhold::DISPID_Root, IID_IDispatch, 0, DISPATCH_PROPERTYGET, &params, nullptr, nullptr,
                               nullptr),
              DISP_E_UNKNOWNINTERFACE);
}
