// Buttons as the companion template's macros reach it over IDispatch: the argument forms VBA and
// VBScript pass, read and written back, and the run-time errors a macro's Err shows. Looking names
// up, checking a call against the member and by-reference texts are the shared by-name dispatch's
// (dispatch_table_test); the identifiers are the type library's; buttons.vbs drives the same
// object from a real script (a Null text among what it checks).
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

    // Calls a method the way a macro does (method or property get), arguments in call order.
    HRESULT call(const wchar_t* name, std::vector<VARIANT> args, std::vector<DISPID> named = {}) {
        UINT argError = 0;
        info.clear();
        return test::invoke(buttons.get(), test::idOf(buttons.get(), name), DISPATCH_METHOD | DISPATCH_PROPERTYGET,
                            std::move(args), result.put(), info.get(), &argError, std::move(named));
    }

    UniqueVariant result;
    ExcepInfo info;
};

TEST(DispatchArguments, IntegersOfEveryWidthBecomeTheirExactDecimalText) {
    LONG referenced = 42;
    VARIANT inner;
    V_VT(&inner) = VT_I2;
    V_I2(&inner) = 7;
    VARIANT v[8];
    V_VT(&v[0]) = VT_UI1, V_UI1(&v[0]) = 200;
    V_VT(&v[1]) = VT_I1, V_I1(&v[1]) = -5;
    V_VT(&v[2]) = VT_I4, V_I4(&v[2]) = -2147483647 - 1;
    V_VT(&v[3]) = VT_UI4, V_UI4(&v[3]) = 4294967295u;
    V_VT(&v[4]) = VT_I8, V_I8(&v[4]) = 1234567890123456789LL;
    V_VT(&v[5]) = VT_BYREF | VT_I4, V_I4REF(&v[5]) = &referenced;
    V_VT(&v[6]) = VT_BYREF | VT_VARIANT, V_VARIANTREF(&v[6]) = &inner;
    V_VT(&v[7]) = VT_BOOL, V_BOOL(&v[7]) = VARIANT_TRUE;
    const char* texts[] = {"200", "-5", "-2147483648", "4294967295", "1234567890123456789", "42", "7", "True"};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(texts[i], argumentText(v[i])) << "variant type " << V_VT(&v[i]);
}

TEST(DispatchArguments, AChangedTextGoesBackOnlyToAnArgumentPassedByReference) {
    // A ByRef String of VBA.
    BSTR variable = makeBstr(L"one").release();
    VARIANT byRefString = test::byReference(&variable);
    writeBackText(byRefString, "uno");
    EXPECT_STREQ(L"uno", variable);
    ::SysFreeString(variable);

    // VBScript's variables, holding a text or a number: either way the variable takes the text.
    for (VARTYPE held : {VT_BSTR, VT_I2}) {
        UniqueVariant inner = held == VT_BSTR ? toVariant(Variant("two")) : toVariant(Variant(std::int16_t{3}));
        VARIANT byRefVariant = test::byReference(inner.get());
        writeBackText(byRefVariant, "dos");
        ASSERT_EQ(VT_BSTR, V_VT(inner.get()));
        EXPECT_STREQ(L"dos", V_BSTR(inner.get()));
    }

    // A Variant variable holding a ByRef String (a VBA caller's String passed on).
    BSTR nested = makeBstr(L"three").release();
    VARIANT inner = test::byReference(&nested);
    VARIANT byRefVariant = test::byReference(&inner);
    writeBackText(byRefVariant, "tres");
    EXPECT_STREQ(L"tres", nested);
    ::SysFreeString(nested);

    // By value: the caller's variable is out of reach and the argument stays as it was.
    Bstr value = makeBstr(L"same");
    VARIANT byValue = test::textArgument(value.get());
    writeBackText(byValue, "changed");
    EXPECT_EQ(value.get(), V_BSTR(&byValue));
    EXPECT_STREQ(L"same", value.get());
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
        ASSERT_EQ(S_OK, call(L"RequiredFieldCheck", {*field.get()}, {0}));
        EXPECT_EQ(std::wstring(text) == L" x " ? VARIANT_TRUE : VARIANT_FALSE, V_BOOL(result.get()));
    }
    // The same argument by position and by name is one too many.
    UniqueVariant a = toVariant(Variant("a")), b = toVariant(Variant("b"));
    EXPECT_EQ(DISP_E_BADPARAMCOUNT, call(L"RequiredFieldCheck", {*a.get(), *b.get()}, {0}));
}

TEST_F(ButtonsDispatch, AnArrayOrAnObjectWhereTextIsWantedIsATypeMismatch) {
    UniqueVariant array = toVariant(Variant::array({Variant("x")}));
    const VARIANT object = test::objectArgument(buttons.get());
    for (const VARIANT& arg : {*array.get(), object})
        EXPECT_EQ(DISP_E_TYPEMISMATCH, call(L"RequiredFieldCheck", {arg})) << V_VT(&arg);
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
