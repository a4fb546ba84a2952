// The type library a macro author references, found through its registration: it describes every
// member the classes' dispatch answers with the same identifier, kind, argument and result types
// and order, and serves early binding, where a macro takes the identifiers from the library alone.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "support.h"
#include "win32/buttons_object.h"
#include "win32/class_ids.h"
#include "win32/fax_objects.h"
#include "win32/handles.h"
#include "win32/text.h"

namespace telvora::win32 {
namespace {

struct DescribedClass {
    const wchar_t* coclass;
    const CLSID& clsid;
    const IID& interfaceId;
    const DispatchTable& table;
};

// A function description, given back to its type information when it goes.
struct FuncDescRelease {
    ITypeInfo* info;
    void operator()(FUNCDESC* d) const noexcept { info->ReleaseFuncDesc(d); }
};

// The variant type a parameter or result of `type` has in the library; a by-reference text is a
// pointer to a BSTR. What the dispatch answers for "no result" (Empty) is a VARIANT or nothing.
bool sameType(const TYPEDESC& t, DispatchType type, bool byRef) {
    if (byRef) return t.vt == VT_PTR && t.lptdesc && sameType(*t.lptdesc, type, false);
    switch (type) {
    case DispatchType::String: return t.vt == VT_BSTR;
    case DispatchType::Boolean: return t.vt == VT_BOOL;
    case DispatchType::Long: return t.vt == VT_I4;
    case DispatchType::Object: return t.vt == VT_DISPATCH;
    case DispatchType::None: return t.vt == VT_VARIANT || t.vt == VT_VOID;
    case DispatchType::Array: return t.vt == VT_VARIANT;
    }
    return false;
}

class TypeLibrary : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(S_OK, ::LoadRegTypeLib(kLibidTelvora, 1, 0, 0, library.put())); }

    // The dispatch interface the library gives a class as its default, as the macro editor finds it.
    ComPtr<ITypeInfo> defaultInterface(const CLSID& clsid) {
        ComPtr<ITypeInfo> coclass;
        ComPtr<ITypeInfo> dispatch;
        HREFTYPE ref = 0;
        EXPECT_EQ(S_OK, library->GetTypeInfoOfGuid(clsid, coclass.put()));
        if (!coclass) return dispatch;
        EXPECT_EQ(S_OK, coclass->GetRefTypeOfImplType(0, &ref));
        EXPECT_EQ(S_OK, coclass->GetRefTypeInfo(ref, dispatch.put()));
        return dispatch;
    }

    // The identifier early binding calls a member by: taken from the library, never from the object.
    MEMBERID libraryId(ITypeInfo* info, const wchar_t* name) {
        std::wstring copy(name);
        LPOLESTR names[] = {copy.data()};
        MEMBERID id = MEMBERID_NIL;
        EXPECT_EQ(S_OK, info->GetIDsOfNames(names, 1, &id)) << copy;
        return id;
    }

    test::Apartment apartment;
    ComPtr<ITypeLib> library;
};

TEST_F(TypeLibrary, DescribesEveryMemberAsTheDispatchAnswersIt) {
    const DescribedClass classes[] = {
        {L"Buttons", kClsidButtons, kDiidButtons, ButtonsObject::table()},
        {L"Fax", kClsidFax, kDiidFax, faxClass().table},
        {L"FaxSBS", kClsidFaxSBS, kDiidFaxSBS, faxSbsClass().table},
        {L"WinFax", kClsidWinFax, kDiidWinFax, winFaxClass().table},
    };
    for (const auto& c : classes) {
        SCOPED_TRACE(narrow(c.coclass));
        ComPtr<ITypeInfo> info = defaultInterface(c.clsid);
        ASSERT_TRUE(info);
        TYPEATTR* attr = nullptr;
        ASSERT_EQ(S_OK, info->GetTypeAttr(&attr));
        const TYPEKIND kind = attr->typekind;
        const GUID guid = attr->guid;
        const WORD count = attr->cFuncs;
        info->ReleaseTypeAttr(attr);
        EXPECT_EQ(TKIND_DISPATCH, kind);  // no vtable: the object is called through IDispatch only
        EXPECT_TRUE(::IsEqualGUID(c.interfaceId, guid));

        // Member i of the library is member i of the dispatch table: the order is the interface's.
        const auto members = c.table.members();
        ASSERT_EQ(members.size(), count);
        for (UINT i = 0; i < count; ++i) {
            const auto& member = members[i];
            SCOPED_TRACE(member.name);
            FUNCDESC* raw = nullptr;
            ASSERT_EQ(S_OK, info->GetFuncDesc(i, &raw));
            const std::unique_ptr<FUNCDESC, FuncDescRelease> d(raw, FuncDescRelease{info.get()});
            Bstr name;
            EXPECT_EQ(S_OK, info->GetDocumentation(d->memid, name.put(), nullptr, nullptr, nullptr));
            EXPECT_EQ(widen(member.name), bstrText(name.get()));
            EXPECT_EQ(member.id, d->memid);
            EXPECT_EQ(member.kind == MemberKind::PropertyGet   ? INVOKE_PROPERTYGET
                      : member.kind == MemberKind::PropertyPut ? INVOKE_PROPERTYPUT
                                                               : INVOKE_FUNC,
                      d->invkind);
            ASSERT_EQ(member.params.size(), static_cast<std::size_t>(d->cParams));
            for (std::size_t p = 0; p < member.params.size(); ++p) {
                EXPECT_TRUE(sameType(d->lprgelemdescParam[p].tdesc, member.params[p].type, member.params[p].byRef))
                    << "parameter " << p << " has variant type " << d->lprgelemdescParam[p].tdesc.vt;
            }
            EXPECT_TRUE(sameType(d->elemdescFunc.tdesc, member.result, false))
                << "result has variant type " << d->elemdescFunc.tdesc.vt;
        }
    }
}

// What an early-bound macro does: `Dim b As New Telvora.Buttons` asks the new object for the
// library's interface and calls it by the library's identifiers, passing a String variable by
// reference. (The fax classes' properties answer the library's identifiers, which the test above
// holds to the dispatch tables, as their late-bound test assigns them.)
TEST_F(TypeLibrary, AnEarlyBoundMacroCallsTheCommandsThroughIt) {
    ComPtr<IUnknown> created;
    ASSERT_EQ(S_OK, ::CoCreateInstance(kClsidButtons, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, created.putVoid()));
    ComPtr<IDispatch> buttons;
    ASSERT_EQ(S_OK, created->QueryInterface(kDiidButtons, buttons.putVoid()));
    ComPtr<ITypeInfo> buttonsInfo = defaultInterface(kClsidButtons);
    ASSERT_TRUE(buttonsInfo);

    UniqueVariant result;
    Bstr field;
    BSTR* slot = field.put();
    *slot = ::SysAllocString(L" x ");
    ASSERT_EQ(S_OK, test::invoke(buttons.get(), libraryId(buttonsInfo.get(), L"RequiredFieldCheck"), DISPATCH_METHOD,
                                 {test::byReference(slot)}, result.put()));
    ASSERT_EQ(VT_BOOL, V_VT(result.get()));
    EXPECT_EQ(VARIANT_TRUE, V_BOOL(result.get()));
    EXPECT_EQ(L" x ", bstrText(field.get()));

    // Another class's interface is not this one's.
    ComPtr<IDispatch> wrong;
    EXPECT_EQ(E_NOINTERFACE, created->QueryInterface(kDiidFax, wrong.putVoid()));
}

}  // namespace
}  // namespace telvora::win32
