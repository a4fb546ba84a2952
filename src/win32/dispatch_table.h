// IDispatch by name, written once for every automation class of the add-in: each class declares
// its members in a table (name, DISPID, kind, argument types, result type, in declared order) and
// supplies what a member does; looking names up, checking a call's flags and arguments, reading the
// arguments in the forms macros pass, writing changed texts back and reporting errors happen here.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <functional>
#include <tuple>
#include <span>
#include <type_traits>
#include <string>
#include <string_view>
#include <vector>

#include "base/variant.h"
#include "win32/com_object.h"
#include "win32/dispatch_args.h"

namespace telvora::win32 {

enum class MemberKind { Method, PropertyGet, PropertyPut };

struct DispatchParam {
    DispatchType type;
    bool byRef = false;  // a String the member changes goes back to the caller's variable
    // The name the type library gives it, by which a macro may pass it (`strField:=x`); a
    // parameter without one is passed by position only.
    std::string name = {};
};

struct DispatchMember {
    std::string name;
    DISPID id;
    MemberKind kind;
    std::vector<DispatchParam> params;  // a property put has one: the value assigned
    DispatchType result = DispatchType::None;
};

class DispatchTable {
public:
    // The members in declared order. A property a macro both reads and assigns is two members, a
    // get and a put, with one name and one DISPID.
    // `interfaceId` is the dispatch interface the type library declares for the class (IID_NULL:
    // none); an early-bound macro asks the object for it.
    explicit DispatchTable(std::vector<DispatchMember> members, const IID& interfaceId = IID_NULL)
        : members_(std::move(members)), interfaceId_(interfaceId) {}

    std::span<const DispatchMember> members() const noexcept { return members_; }
    const IID& interfaceId() const noexcept { return interfaceId_; }
    // The DISPID of a member, its name compared without regard to letter case as macros call it;
    // DISPID_UNKNOWN when there is none.
    DISPID idOf(std::string_view name) const noexcept;
    // The identifier of a named parameter of the member (its position, counted from 0), the name
    // compared without regard to letter case; DISPID_UNKNOWN when the member has no such parameter.
    DISPID paramIdOf(DISPID member, std::string_view name) const noexcept;
    // The member a call with these DISPATCH_ flags addresses; null when there is none. A method read
    // like a property (a macro leaving out the parentheses) is a call of the method.
    const DispatchMember* find(DISPID id, WORD flags) const noexcept;

private:
    std::vector<DispatchMember> members_;
    IID interfaceId_;
};

// Appends a property a macro reads and assigns: its get and its put.
void addProperty(std::vector<DispatchMember>& members, std::string_view name, DISPID id, DispatchType type);

// IDispatch's answers for an object that offers no type information (late binding only).
[[nodiscard]] inline HRESULT noTypeInfoCount(UINT* count) noexcept {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}
[[nodiscard]] inline HRESULT noTypeInfo(ITypeInfo** info) noexcept {
    if (info) *info = nullptr;
    return DISP_E_BADINDEX;
}

// What a member does, given its arguments read as their declared types.
using MemberBody = std::function<Variant(const DispatchMember& member, std::span<Variant> args)>;

// IDispatch::GetIDsOfNames and IDispatch::Invoke for a class whose members `table` declares.
[[nodiscard]] HRESULT tableGetIDsOfNames(const DispatchTable& table, REFIID riid, LPOLESTR* names, UINT count,
                                         DISPID* ids) noexcept;
[[nodiscard]] HRESULT tableInvoke(const DispatchTable& table, const MemberBody& body, DISPID id, REFIID riid,
                                  WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                  UINT* argError) noexcept;

// The IDispatch of an automation class whose members its table declares, on `Interfaces`: IDispatch
// itself, or dual interfaces derived from it (whose own methods the class implements too), all of
// which answer their IDispatch methods from the one table. Late binding only: the class offers no
// type information.
template <class... Interfaces>
class TableDispatch : public ComObject<Interfaces...> {
    using Primary = std::tuple_element_t<0, std::tuple<Interfaces...>>;

public:
    // A dual interface answers IDispatch as well, with the same object; so does the class's dispatch
    // interface of the type library, which is IDispatch under the class's own identifier.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) noexcept override {
        const bool typeLibInterface = riid == table_.interfaceId() && riid != IID_NULL;
        if (object && (typeLibInterface || (!std::is_same_v<Primary, IDispatch> && riid == IID_IDispatch))) {
            *object = static_cast<IDispatch*>(static_cast<Primary*>(this));
            this->AddRef();
            return S_OK;
        }
        return ComObject<Interfaces...>::QueryInterface(riid, object);
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) noexcept final { return noTypeInfoCount(count); }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) noexcept final { return noTypeInfo(info); }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID,
                                            DISPID* ids) noexcept final {
        return tableGetIDsOfNames(table_, riid, names, count, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* exception, UINT* argError) noexcept final {
        return tableInvoke(
            table_, [this](const DispatchMember& member, std::span<Variant> args) { return invokeMember(member, args); },
            id, riid, flags, params, result, exception, argError);
    }

protected:
    // `table` must outlive the object (the classes keep theirs for the life of the process).
    explicit TableDispatch(const DispatchTable& table) noexcept : table_(table) {}

    // Does what `member` does. `args` holds its parameters in order, read as their declared types
    // (a String as text, a Boolean as bool, ...); a by-reference String it changes goes back to the
    // caller, also when it then raises. The answer is turned into the declared result type; a
    // run-time error it raises reaches the caller's Err object.
    virtual Variant invokeMember(const DispatchMember& member, std::span<Variant> args) = 0;

private:
    const DispatchTable& table_;
};

// The automation classes that are IDispatch alone.
using ByNameDispatch = TableDispatch<IDispatch>;

}  // namespace telvora::win32
