// Buttons as the companion template's macros reach it: by name over IDispatch, with the argument
// forms VBA and VBScript pass, results as VARIANTs and run-time errors in EXCEPINFO.
#include <gtest/gtest.h>

#include <thread>

#include "support.h"
#include "win32/buttons_object.h"
#include "win32/com_variant.h"
#include "win32/dispatch_args.h"
#include "win32/handles.h"
#include "win32/module.h"

namespace telvora::win32 {
namespace {

class ButtonsDispatch : public ::testing::Test {
protected:
    test::Apartment apartment;
    ComPtr<ButtonsObject> buttons = makeComObject<ButtonsObject>();

    DISPID idOf(const wchar_t* name) {
        std::wstring copy(name);
        LPOLESTR names[] = {copy.data()};
        DISPID id = 0;
        EXPECT_EQ(S_OK, buttons->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id)) << copy;
        return id;
    }

    // Calls a method the way a macro does (method or property get), arguments in call order.
    HRESULT call(const wchar_t* name, std::vector<VARIANT> args, UniqueVariant& result, EXCEPINFO& info) {
        std::vector<VARIANT> reversed(args.rbegin(), args.rend());
        DISPPARAMS params{reversed.empty() ? nullptr : reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
        UINT argError = 0;
        return buttons->Invoke(idOf(name), IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD | DISPATCH_PROPERTYGET,
                               &params, result.put(), &info, &argError);
    }
};

VARIANT bstrArg(BSTR b) {
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_BSTR;
    V_BSTR(&v) = b;
    return v;
}

TEST_F(ButtonsDispatch, NamesResolveWithoutRegardToCaseToIdsInMethodOrder) {
    EXPECT_EQ(1, idOf(L"getAppName"));
    EXPECT_EQ(1, idOf(L"GETAPPNAME"));
    EXPECT_EQ(2, idOf(L"getsectionname"));
    EXPECT_EQ(13, idOf(L"requiredfieldcheck"));
    EXPECT_EQ(16, idOf(L"CmdFax"));
    EXPECT_EQ(22, idOf(L"WinFaxSendFax"));

    std::wstring unknown = L"cmdFly";
    LPOLESTR names[] = {unknown.data()};
    DISPID id = 0;
    EXPECT_EQ(DISP_E_UNKNOWNNAME, buttons->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id));
    EXPECT_EQ(DISPID_UNKNOWN, id);
}

// The companion template's macros know the methods by these names in this order: an id that moved
// would call another command.
TEST_F(ButtonsDispatch, EveryMethodKeepsItsPlaceInTheInterface) {
    const wchar_t* const order[] = {
        L"getAppName",    L"getSectionName", L"cmdSettings",        L"cmdHelp",       L"cmdHelpAbout",
        L"ToolsPrinter",  L"ToolsFaxMerge",  L"WinFaxDOMerge",      L"MergeFax",      L"CheckValidity",
        L"SendAllFax",    L"SendFax",        L"RequiredFieldCheck", L"IsDataLinked",  L"LoadData",
        L"cmdFax",        L"cmdFaxCompany",  L"cmdFaxName",         L"cmdFaxSubject", L"cmdFaxnumber",
        L"cmdQuickFax",   L"WinFaxSendFax",
    };
    for (DISPID i = 0; i < 22; ++i) EXPECT_EQ(i + 1, idOf(order[i])) << order[i];
    UniqueVariant result;
    DISPPARAMS none{};
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND,
              buttons->Invoke(23, IID_NULL, 0, DISPATCH_METHOD, &none, result.put(), nullptr, nullptr));
}

TEST_F(ButtonsDispatch, AnswersTextAsBstrBooleanAsVariantBoolAndNothingAsEmpty) {
    UniqueVariant result;
    EXCEPINFO info{};
    ASSERT_EQ(S_OK, call(L"getAppName", {}, result, info));
    ASSERT_EQ(VT_BSTR, V_VT(result.get()));
    EXPECT_STREQ(L"0x61645694", V_BSTR(result.get()));
    ASSERT_EQ(S_OK, call(L"getSectionName", {}, result, info));
    EXPECT_STREQ(L"Settings", V_BSTR(result.get()));

    Bstr filled = makeBstr(L" x ");
    ASSERT_EQ(S_OK, call(L"RequiredFieldCheck", {bstrArg(filled.get())}, result, info));
    ASSERT_EQ(VT_BOOL, V_VT(result.get()));
    EXPECT_EQ(VARIANT_TRUE, V_BOOL(result.get()));
    Bstr blank = makeBstr(L"   ");
    ASSERT_EQ(S_OK, call(L"RequiredFieldCheck", {bstrArg(blank.get())}, result, info));
    EXPECT_EQ(VARIANT_FALSE, V_BOOL(result.get()));

    // Help with no help file beside the add-in shows nothing and reports nothing.
    ASSERT_EQ(S_OK, call(L"cmdHelp", {}, result, info));
    EXPECT_EQ(VT_EMPTY, V_VT(result.get()));
}

TEST_F(ButtonsDispatch, TakesStringsAndNumbersByValueByReferenceAndInsideVariants) {
    Bstr blank = makeBstr(L"  ");
    BSTR blankRef = blank.get();
    VARIANT byRefBstr;
    V_VT(&byRefBstr) = VT_BYREF | VT_BSTR;
    V_BSTRREF(&byRefBstr) = &blankRef;

    VARIANT inner = bstrArg(blank.get());
    VARIANT byRefVariant;
    V_VT(&byRefVariant) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(&byRefVariant) = &inner;

    VARIANT number;
    V_VT(&number) = VT_I2;
    V_I2(&number) = 0;

    UniqueVariant result;
    EXCEPINFO info{};
    ASSERT_EQ(S_OK, call(L"RequiredFieldCheck", {byRefBstr}, result, info));
    EXPECT_EQ(VARIANT_FALSE, V_BOOL(result.get()));
    ASSERT_EQ(S_OK, call(L"RequiredFieldCheck", {byRefVariant}, result, info));
    EXPECT_EQ(VARIANT_FALSE, V_BOOL(result.get()));
    ASSERT_EQ(S_OK, call(L"RequiredFieldCheck", {number}, result, info));
    EXPECT_EQ(VARIANT_TRUE, V_BOOL(result.get()));  // the text "0" is not blank
}

TEST(DispatchArguments, IntegersOfEveryWidthBecomeTheirExactDecimalText) {
    VARIANT v;
    V_VT(&v) = VT_UI1;
    V_UI1(&v) = 200;
    EXPECT_EQ("200", argumentText(v));
    V_VT(&v) = VT_I1;
    V_I1(&v) = -5;
    EXPECT_EQ("-5", argumentText(v));
    V_VT(&v) = VT_I4;
    V_I4(&v) = -2147483647 - 1;
    EXPECT_EQ("-2147483648", argumentText(v));
    V_VT(&v) = VT_UI4;
    V_UI4(&v) = 4294967295u;
    EXPECT_EQ("4294967295", argumentText(v));
    V_VT(&v) = VT_I8;
    V_I8(&v) = 1234567890123456789LL;
    EXPECT_EQ("1234567890123456789", argumentText(v));
    LONG referenced = 42;
    V_VT(&v) = VT_BYREF | VT_I4;
    V_I4REF(&v) = &referenced;
    EXPECT_EQ("42", argumentText(v));
    VARIANT inner;
    V_VT(&inner) = VT_I2;
    V_I2(&inner) = 7;
    V_VT(&v) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(&v) = &inner;
    EXPECT_EQ("7", argumentText(v));
    V_VT(&v) = VT_BOOL;
    V_BOOL(&v) = VARIANT_TRUE;
    EXPECT_EQ("True", argumentText(v));
}

TEST(DispatchArguments, AChangedTextGoesBackOnlyToAnArgumentPassedByReference) {
    // A ByRef String of VBA.
    BSTR variable = makeBstr(L"one").release();
    VARIANT byRefString;
    V_VT(&byRefString) = VT_BYREF | VT_BSTR;
    V_BSTRREF(&byRefString) = &variable;
    writeBackText(byRefString, "uno");
    EXPECT_STREQ(L"uno", variable);
    ::SysFreeString(variable);

    // VBScript's variables, holding a text or a number: either way the variable takes the text.
    for (VARTYPE held : {VT_BSTR, VT_I2}) {
        UniqueVariant inner = held == VT_BSTR ? toVariant(Variant("two")) : toVariant(Variant(std::int16_t{3}));
        VARIANT byRefVariant;
        V_VT(&byRefVariant) = VT_BYREF | VT_VARIANT;
        V_VARIANTREF(&byRefVariant) = inner.get();
        writeBackText(byRefVariant, "dos");
        ASSERT_EQ(VT_BSTR, V_VT(inner.get()));
        EXPECT_STREQ(L"dos", V_BSTR(inner.get()));
    }

    // A Variant variable holding a ByRef String (a VBA caller's String passed on).
    BSTR nested = makeBstr(L"three").release();
    VARIANT inner;
    V_VT(&inner) = VT_BYREF | VT_BSTR;
    V_BSTRREF(&inner) = &nested;
    VARIANT byRefVariant;
    V_VT(&byRefVariant) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(&byRefVariant) = &inner;
    writeBackText(byRefVariant, "tres");
    EXPECT_STREQ(L"tres", nested);
    ::SysFreeString(nested);

    // By value: the caller's variable is out of reach and the argument stays as it was.
    Bstr value = makeBstr(L"same");
    VARIANT byValue = bstrArg(value.get());
    writeBackText(byValue, "changed");
    EXPECT_EQ(value.get(), V_BSTR(&byValue));
    EXPECT_STREQ(L"same", value.get());
}

TEST_F(ButtonsDispatch, ANullTextIsInvalidUseOfNullAsTheMacrosErrShowsIt) {
    VARIANT null;
    V_VT(&null) = VT_NULL;
    VARIANT variable;  // a VBScript variable holding Null
    V_VT(&variable) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(&variable) = &null;
    for (const VARIANT& arg : {null, variable}) {
        UniqueVariant result;
        EXCEPINFO info{};
        ASSERT_EQ(DISP_E_EXCEPTION, call(L"RequiredFieldCheck", {arg}, result, info));
        Bstr source(info.bstrSource), description(info.bstrDescription);
        EXPECT_EQ(static_cast<SCODE>(0x800A005E), info.scode);  // Err.Number 94
        EXPECT_EQ(L"Invalid use of Null", bstrText(description.get()));
        EXPECT_EQ(VT_EMPTY, V_VT(result.get()));
    }
}

TEST_F(ButtonsDispatch, RefusesCallsThatDoNotMatchAMethod) {
    UniqueVariant result;
    EXCEPINFO info{};
    EXPECT_EQ(DISP_E_BADPARAMCOUNT, call(L"RequiredFieldCheck", {}, result, info));
    Bstr a = makeBstr(L"a");
    EXPECT_EQ(DISP_E_BADPARAMCOUNT, call(L"getAppName", {bstrArg(a.get())}, result, info));

    // An object where a text is expected.
    VARIANT object;
    V_VT(&object) = VT_DISPATCH;
    V_DISPATCH(&object) = buttons.get();
    DISPPARAMS params{&object, nullptr, 1, 0};
    UINT argError = 99;
    EXPECT_EQ(DISP_E_TYPEMISMATCH, buttons->Invoke(idOf(L"RequiredFieldCheck"), IID_NULL, 0, DISPATCH_METHOD, &params,
                                                   result.put(), &info, &argError));
    EXPECT_EQ(0u, argError);

    DISPID named = 1;
    VARIANT text = bstrArg(a.get());
    DISPPARAMS withName{&text, &named, 1, 1};
    EXPECT_EQ(DISP_E_NONAMEDARGS,
              buttons->Invoke(idOf(L"RequiredFieldCheck"), IID_NULL, 0, DISPATCH_METHOD, &withName, result.put(), &info, nullptr));

    DISPID put = DISPID_PROPERTYPUT;
    DISPPARAMS assignment{&text, &put, 1, 1};
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND,
              buttons->Invoke(idOf(L"getAppName"), IID_NULL, 0, DISPATCH_PROPERTYPUT, &assignment, nullptr, &info, nullptr));
    DISPPARAMS none{};
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, buttons->Invoke(999, IID_NULL, 0, DISPATCH_METHOD, &none, result.put(), &info, nullptr));
}

TEST(AddinState, IsCreatedOnceAndSharedByEveryThread) {
    Addin* seen[4] = {};
    std::vector<std::thread> threads;
    for (auto& slot : seen) threads.emplace_back([&slot] { slot = &module::addin(); });
    for (auto& t : threads) t.join();
    for (auto* a : seen) EXPECT_EQ(seen[0], a);
    EXPECT_EQ(seen[0], &module::addin());
}

}  // namespace
}  // namespace telvora::win32
