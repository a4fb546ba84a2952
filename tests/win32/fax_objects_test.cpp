// Fax, FaxSBS and WinFax as a macro reaches them: created by the class factory, called by name.
// Each property's place and type are the type library's (its test holds the class tables to it);
// here every property holds its own value.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support.h"
#include "win32/class_ids.h"
#include "win32/com_variant.h"
#include "win32/fax_objects.h"
#include "win32/handles.h"
#include "win32/server.h"
#include "win32/text.h"

namespace telvora::win32 {
namespace {

struct FaxClassCase {
    const CLSID* clsid;
    const char* progId;
    const FaxJobClass& (*faxClass)();
};

// An object of the class under test, driven as late-bound callers drive it.
class AutomationClassTest : public ::testing::Test {
protected:
    void create(const CLSID& clsid) {
        ComPtr<IClassFactory> factory;
        ASSERT_EQ(S_OK, getClassObject(clsid, IID_IClassFactory, factory.putVoid()));
        ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IDispatch, object.putVoid()));
    }
    HRESULT invoke(const std::wstring& name, WORD flags, std::vector<VARIANT> args) {
        const bool isPut = flags == DISPATCH_PROPERTYPUT;
        info.clear();
        return test::invoke(object.get(), test::idOf(object.get(), name), flags, std::move(args),
                            isPut ? nullptr : result.put(), info.get(), nullptr,
                            isPut ? std::vector<DISPID>{DISPID_PROPERTYPUT} : std::vector<DISPID>{});
    }
    HRESULT assign(const std::wstring& name, const Variant& value) {
        UniqueVariant v = toVariant(value);
        return invoke(name, DISPATCH_PROPERTYPUT, {*v.get()});
    }
    // What a macro reads: the property's value as its VARIANT.
    Variant read(const std::wstring& name) {
        EXPECT_EQ(S_OK, invoke(name, DISPATCH_PROPERTYGET | DISPATCH_METHOD, {})) << narrow(name);
        return fromVariant(*result.get());
    }

    test::Apartment apartment;
    ComPtr<IDispatch> object;
    UniqueVariant result;
    ExcepInfo info;
};

class FaxClasses : public AutomationClassTest, public ::testing::WithParamInterface<FaxClassCase> {};

// A property wired to another's slot would send the fax to the wrong number or recipient.
TEST_P(FaxClasses, EveryPropertyStartsEmptyOrFalseAndKeepsWhatAMacroAssignsByAnySpellingOfItsName) {
    create(*GetParam().clsid);
    std::vector<std::pair<std::wstring, bool>> properties;  // name, whether it is a String
    for (const auto& m : GetParam().faxClass().table.members())
        if (m.kind == MemberKind::PropertyGet) properties.emplace_back(widen(m.name), m.result == DispatchType::String);
    ASSERT_FALSE(properties.empty());
    const auto valueOf = [](std::size_t i, bool text) { return text ? Variant("value " + std::to_string(i)) : Variant(true); };
    for (std::size_t i = 0; i < properties.size(); ++i) {
        const auto& [name, text] = properties[i];
        EXPECT_EQ(text ? Variant("") : Variant(false), read(name)) << narrow(name);
        std::wstring upper = name;
        for (auto& c : upper) c = static_cast<wchar_t>(::towupper(c));
        ASSERT_EQ(S_OK, assign(upper, valueOf(i, text))) << narrow(name);
    }
    for (std::size_t i = 0; i < properties.size(); ++i)
        EXPECT_EQ(valueOf(i, properties[i].second), read(properties[i].first)) << narrow(properties[i].first);
}

INSTANTIATE_TEST_SUITE_P(Telvora, FaxClasses,
                         ::testing::Values(FaxClassCase{&kClsidFax, "Telvora.Fax", &faxClass},
                                           FaxClassCase{&kClsidFaxSBS, "Telvora.FaxSBS", &faxSbsClass},
                                           FaxClassCase{&kClsidWinFax, "Telvora.WinFax", &winFaxClass}),
                         [](const auto& info) { return std::string(info.param.progId).substr(8); });

class FaxProperties : public AutomationClassTest {
protected:
    void SetUp() override { create(kClsidFaxSBS); }
};

TEST_F(FaxProperties, ABooleanPropertyTakesWhatAMacrosBooleanTakes) {
    const std::pair<Variant, bool> accepted[] = {
        {Variant(true), true},         {Variant("True"), true},   {Variant(" false "), false},
        {Variant(std::int16_t{1}), true}, {Variant(std::int16_t{0}), false}, {Variant("0"), false},
        {Variant("-1"), true},         {Variant(2.5), true},      {Variant(), false},
    };
    for (const auto& [value, expected] : accepted) {
        ASSERT_EQ(S_OK, assign(L"Email", value)) << value.toString();
        EXPECT_EQ(Variant(expected), read(L"Email")) << value.toString();
    }
    // A text that is no Boolean is a type mismatch and leaves the property as it was.
    ASSERT_EQ(S_OK, assign(L"Email", Variant(true)));
    EXPECT_EQ(DISP_E_TYPEMISMATCH, assign(L"Email", Variant("yes")));
    EXPECT_EQ(Variant(true), read(L"Email"));
    // Null is the macro's "Invalid use of Null".
    EXPECT_EQ(DISP_E_EXCEPTION, assign(L"Email", Variant(Null{})));
    EXPECT_EQ(static_cast<SCODE>(0x800A005E), info->scode);
    EXPECT_EQ(Variant(true), read(L"Email"));
}

TEST_F(FaxProperties, AStringPropertyTakesNumbersAndBooleansAsTheirTextButNotNull) {
    ASSERT_EQ(S_OK, assign(L"FaxNumber", Variant(std::int32_t{1234567})));
    EXPECT_EQ(Variant("1234567"), read(L"FaxNumber"));
    ASSERT_EQ(S_OK, assign(L"SpecificTime", Variant(true)));
    EXPECT_EQ(Variant("True"), read(L"SpecificTime"));
    // A VBScript variable passed by reference.
    UniqueVariant held = toVariant(Variant("Zoë – 日本"));
    ASSERT_EQ(S_OK, invoke(L"RecipientName", DISPATCH_PROPERTYPUT, {test::byReference(held.get())}));
    EXPECT_EQ(Variant("Zoë – 日本"), read(L"RecipientName"));
    EXPECT_EQ(DISP_E_EXCEPTION, assign(L"RecipientName", Variant(Null{})));
    EXPECT_EQ(static_cast<SCODE>(0x800A005E), info->scode);
    EXPECT_EQ(Variant("Zoë – 日本"), read(L"RecipientName"));
}

TEST_F(FaxProperties, EachObjectHoldsAFaxJobOfItsOwn) {
    ASSERT_EQ(S_OK, assign(L"FaxNumber", Variant("111")));
    ComPtr<IDispatch> first = std::move(object);
    create(kClsidFaxSBS);
    EXPECT_EQ(Variant(""), read(L"FaxNumber"));
    object = std::move(first);
    EXPECT_EQ(Variant("111"), read(L"FaxNumber"));
}

TEST_F(AutomationClassTest, SendOnAMachineWithoutTheFaxSoftwareRaisesThatItCannotBeCreated) {
    const std::pair<const CLSID*, const wchar_t*> cases[] = {{&kClsidFax, L"FaxServer.FaxServer"},
                                                             {&kClsidWinFax, L"WinFax.SDKSend"}};
    for (const auto& [clsid, software] : cases) {
        create(*clsid);
        ASSERT_EQ(DISP_E_EXCEPTION, invoke(L"Send", DISPATCH_METHOD, {})) << narrow(software);
        EXPECT_EQ(static_cast<SCODE>(0x800A01AD), info->scode);  // 429
        EXPECT_EQ(software, bstrText(info->bstrSource));
    }
}

}  // namespace
}  // namespace telvora::win32
