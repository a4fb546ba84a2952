// The by-name IDispatch every automation class shares, on a small class of its own: which member a
// call reaches, how its arguments are checked and read, and what goes back to the caller.
#include <gtest/gtest.h>

#include <new>

#include "base/errors.h"
#include "support.h"
#include "win32/com_variant.h"
#include "win32/dispatch_table.h"
#include "win32/handles.h"

namespace telvora::win32 {
namespace {

// Caption: a String property. Shout(text ByRef, mode): appends "!" to its first argument, then
// answers it, or fails as `mode` says. Next(n As Long): n + 1.
class Sample final : public ByNameDispatch {
public:
    Sample() : ByNameDispatch(table()) {}

    static const DispatchTable& table() {
        static const DispatchTable t = [] {
            std::vector<DispatchMember> m;
            addProperty(m, "Caption", 1, DispatchType::String);
            m.push_back({"Shout", 2, MemberKind::Method, {{DispatchType::String, true}, {DispatchType::String}},
                         DispatchType::String});
            m.push_back({"Next", 3, MemberKind::Method, {{DispatchType::Long}}, DispatchType::Long});
            return DispatchTable(std::move(m));
        }();
        return t;
    }

protected:
    Variant invokeMember(const DispatchMember& member, std::span<Variant> args) override {
        if (member.name == "Next") return Variant(args[0].toInt32() + 1);
        if (member.name == "Shout") {
            args[0] = Variant(args[0].toString() + "!");
            const std::string mode = args[1].toString();
            if (mode == "fail") throw RuntimeError(5, "Refused", "Sample");
            if (mode == "memory") throw std::bad_alloc();
            return args[0];
        }
        if (member.kind == MemberKind::PropertyPut) caption_ = args[0];
        return caption_;
    }

private:
    Variant caption_ = Variant("");
};

using test::textArgument;

class ByNameDispatchTest : public ::testing::Test {
protected:
    HRESULT invoke(DISPID id, WORD flags, std::vector<VARIANT> args, std::vector<DISPID> named = {}) {
        info.clear();
        argError = 99;
        return test::invoke(object.get(), id, flags, std::move(args), result.put(), info.get(), &argError,
                            std::move(named));
    }

    test::Apartment apartment;
    ComPtr<Sample> object = makeComObject<Sample>();
    UniqueVariant result;
    ExcepInfo info;
    UINT argError = 99;
};

TEST_F(ByNameDispatchTest, AChangedByReferenceTextGoesBackAlsoWhenTheMemberThenFails) {
    Bstr mode = makeBstr(L"ok");
    BSTR variable = makeBstr(L"hey").release();
    const VARIANT byRef = test::byReference(&variable);
    ASSERT_EQ(S_OK, invoke(2, DISPATCH_METHOD, {byRef, textArgument(mode.get())}));
    EXPECT_STREQ(L"hey!", variable);
    EXPECT_STREQ(L"hey!", V_BSTR(result.get()));

    Bstr fail = makeBstr(L"fail");
    ASSERT_EQ(DISP_E_EXCEPTION, invoke(2, DISPATCH_METHOD, {byRef, textArgument(fail.get())}));
    EXPECT_STREQ(L"hey!!", variable);
    EXPECT_EQ(static_cast<SCODE>(0x800A0005), info->scode);
    EXPECT_EQ(L"Sample", bstrText(info->bstrSource));
    EXPECT_EQ(L"Refused", bstrText(info->bstrDescription));
    ::SysFreeString(variable);

    // Memory running out inside a member is an error like any other, never a crash of the caller.
    Bstr memory = makeBstr(L"memory");
    EXPECT_EQ(DISP_E_EXCEPTION, invoke(2, DISPATCH_METHOD, {textArgument(mode.get()), textArgument(memory.get())}));
    EXPECT_EQ(static_cast<SCODE>(0x800A0007), info->scode);
}

TEST_F(ByNameDispatchTest, APropertyIsReadAndAssignedAsMacrosDoAndAMethodIsNotAssigned) {
    Bstr value = makeBstr(L"Fax");
    // VBScript and VBA name the assigned value DISPID_PROPERTYPUT; older callers pass it plainly.
    ASSERT_EQ(S_OK, invoke(1, DISPATCH_PROPERTYPUT, {textArgument(value.get())}, {DISPID_PROPERTYPUT}));
    ASSERT_EQ(S_OK, invoke(1, DISPATCH_PROPERTYGET, {}));
    EXPECT_STREQ(L"Fax", V_BSTR(result.get()));
    Bstr other = makeBstr(L"Memo");
    ASSERT_EQ(S_OK, invoke(1, DISPATCH_PROPERTYPUT, {textArgument(other.get())}));
    ASSERT_EQ(S_OK, invoke(1, DISPATCH_METHOD | DISPATCH_PROPERTYGET, {}));
    EXPECT_STREQ(L"Memo", V_BSTR(result.get()));

    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, invoke(1, DISPATCH_METHOD, {}));  // a property is not called
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND,
              invoke(1, DISPATCH_PROPERTYPUTREF, {textArgument(value.get())}, {DISPID_PROPERTYPUT}));
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND,
              invoke(3, DISPATCH_PROPERTYPUT, {textArgument(value.get())}, {DISPID_PROPERTYPUT}));
    EXPECT_EQ(DISP_E_BADPARAMCOUNT, invoke(1, DISPATCH_PROPERTYPUT, {}));
    EXPECT_EQ(DISP_E_NONAMEDARGS, invoke(1, DISPATCH_PROPERTYPUT, {textArgument(value.get())}, {7}));
    EXPECT_EQ(DISP_E_NONAMEDARGS, invoke(3, DISPATCH_METHOD, {textArgument(value.get())}, {DISPID_PROPERTYPUT}));
}

TEST_F(ByNameDispatchTest, AnArgumentOfTheWrongTypeIsNamedByItsPlaceInTheCall) {
    Bstr word = makeBstr(L"seven");
    // A text that is no number where a Long is expected.
    EXPECT_EQ(DISP_E_TYPEMISMATCH, invoke(3, DISPATCH_METHOD, {textArgument(word.get())}));
    EXPECT_EQ(0u, argError);
    // rgvarg holds the arguments in reverse: the first argument has the highest index.
    const VARIANT anObject = test::objectArgument(object.get());
    EXPECT_EQ(DISP_E_TYPEMISMATCH, invoke(2, DISPATCH_METHOD, {anObject, textArgument(word.get())}));
    EXPECT_EQ(1u, argError);
    EXPECT_EQ(DISP_E_TYPEMISMATCH, invoke(2, DISPATCH_METHOD, {textArgument(word.get()), anObject}));
    EXPECT_EQ(0u, argError);

    // A number too large for a Long is the macro's overflow, reported as an error of the call.
    VARIANT huge;
    V_VT(&huge) = VT_R8;
    V_R8(&huge) = 1e12;
    EXPECT_EQ(DISP_E_EXCEPTION, invoke(3, DISPATCH_METHOD, {huge}));
    EXPECT_EQ(static_cast<SCODE>(0x800A0006), info->scode);
    VARIANT n;
    V_VT(&n) = VT_I2;
    V_I2(&n) = 41;
    ASSERT_EQ(S_OK, invoke(3, DISPATCH_METHOD, {n}));
    ASSERT_EQ(VT_I4, V_VT(result.get()));
    EXPECT_EQ(42, V_I4(result.get()));
}

TEST_F(ByNameDispatchTest, AParameterNameIsUnknownButTheMemberIsStillFound) {
    // A macro naming an argument (Shout Text:="x") learns that the name is the problem.
    std::wstring member = L"sHOUT", parameter = L"Text";
    LPOLESTR names[] = {member.data(), parameter.data()};
    DISPID ids[2] = {0, 0};
    EXPECT_EQ(DISP_E_UNKNOWNNAME, object->GetIDsOfNames(IID_NULL, names, 2, 0, ids));
    EXPECT_EQ(2, ids[0]);
    EXPECT_EQ(DISPID_UNKNOWN, ids[1]);
}

}  // namespace
}  // namespace telvora::win32
