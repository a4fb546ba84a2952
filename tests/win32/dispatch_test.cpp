// Buttons as the companion template's macros reach it over IDispatch: the argument forms VBA and
// VBScript pass, read and written back, and the run-time errors a macro's Err shows. Looking names
// up, checking a call against the member and by-reference texts are the shared by-name dispatch's
// (dispatch_table_test); the identifiers are the type library's; buttons.vbs drives the same
// object from a real script.
#include <gtest/gtest.h>

#include <thread>

#include "support.h"
#include "win32/buttons_object.h"
#include "win32/com_variant.h"
#include "win32/dispatch_args.h"
#include "win32/handles.h"
#include "win32/module.h"
#include "win32/text.h"

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
    VARIANT byValue;
    V_VT(&byValue) = VT_BSTR;
    V_BSTR(&byValue) = value.get();
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

TEST_F(ButtonsDispatch, ArgumentsArePassedByTheNamesTheTypeLibraryGivesThem) {
    // VBA's b.SendFax strDeliveryNote:=n, strSendCaption:=s looks the names up with the method.
    std::wstring method = L"SendFax", note = L"STRDELIVERYNOTE", caption = L"strSendCaption", other = L"strField";
    LPOLESTR names[] = {method.data(), note.data(), caption.data()};
    DISPID ids[3] = {};
    ASSERT_EQ(S_OK, buttons->GetIDsOfNames(IID_NULL, names, 3, LOCALE_USER_DEFAULT, ids));
    EXPECT_EQ(12, ids[0]);
    EXPECT_EQ(1, ids[1]);
    EXPECT_EQ(0, ids[2]);
    LPOLESTR wrong[] = {method.data(), other.data()};
    EXPECT_EQ(DISP_E_UNKNOWNNAME, buttons->GetIDsOfNames(IID_NULL, wrong, 2, LOCALE_USER_DEFAULT, ids));

    // RequiredFieldCheck strField:=" x ": named arguments come first in rgvarg, with their DISPIDs.
    for (const wchar_t* text : {L" x ", L"  "}) {
        UniqueVariant field = toVariant(Variant(narrow(text)));
        DISPID named = 0;
        DISPPARAMS params{field.get(), &named, 1, 1};
        UniqueVariant result;
        EXCEPINFO info{};
        UINT argError = 0;
        ASSERT_EQ(S_OK, buttons->Invoke(idOf(L"RequiredFieldCheck"), IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD,
                                        &params, result.put(), &info, &argError));
        EXPECT_EQ(std::wstring(text) == L" x " ? VARIANT_TRUE : VARIANT_FALSE, V_BOOL(result.get()));
    }
    // The same argument by position and by name is one too many.
    UniqueVariant a = toVariant(Variant("a")), b = toVariant(Variant("b"));
    VARIANT both[] = {*a.get(), *b.get()};
    DISPID named = 0;
    DISPPARAMS twice{both, &named, 2, 1};
    UniqueVariant result;
    EXCEPINFO info{};
    UINT argError = 0;
    EXPECT_EQ(DISP_E_BADPARAMCOUNT, buttons->Invoke(idOf(L"RequiredFieldCheck"), IID_NULL, LOCALE_USER_DEFAULT,
                                                    DISPATCH_METHOD, &twice, result.put(), &info, &argError));
}

TEST_F(ButtonsDispatch, AnArrayOrAnObjectWhereTextIsWantedIsATypeMismatch) {
    UniqueVariant array = toVariant(Variant::array({Variant("x")}));
    VARIANT object;
    V_VT(&object) = VT_DISPATCH;
    V_DISPATCH(&object) = buttons.get();
    for (const VARIANT& arg : {*array.get(), object}) {
        UniqueVariant result;
        EXCEPINFO info{};
        EXPECT_EQ(DISP_E_TYPEMISMATCH, call(L"RequiredFieldCheck", {arg}, result, info)) << V_VT(&arg);
    }
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
