// IDispatch by name, written once for every automation class of the add-in: each class declares
// its members in a table (name, DISPID, kind, argument types, result type, in declared order) and
// supplies what a member does; looking names up, checking a call's flags and arguments, reading the
// arguments in the forms macros pass, writing changed texts back and reporting errors happen here.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <span>
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
    explicit DispatchTable(std::vector<DispatchMember> members) : members_(std::move(members)) {}

    std::span<const DispatchMember> members() const noexcept { return members_; }
    // The DISPID of a member, its name compared without regard to letter case as macros call it;
    // DISPID_UNKNOWN when there is none.
    DISPID idOf(std::string_view name) const noexcept;
    // The member a call with these DISPATCH_ flags addresses; null when there is none. A method read
    // like a property (a macro leaving out the parentheses) is a call of the method.
    const DispatchMember* find(DISPID id, WORD flags) const noexcept;

private:
    std::vector<DispatchMember> members_;
};

// Appends a property a macro reads and assigns: its get and its put.
void addProperty(std::vector<DispatchMember>& members, std::string_view name, DISPID id, DispatchType type);

// The IDispatch of an automation class whose members its table declares. Late binding only: the
// class offers no type information.
class ByNameDispatch : public ComObject<IDispatch> {
public:
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) noexcept final;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) noexcept final;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) noexcept final;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID locale, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* exception, UINT* argError) noexcept final;

protected:
    // `table` must outlive the object (the classes keep theirs for the life of the process).
    explicit ByNameDispatch(const DispatchTable& table) noexcept : table_(table) {}

    // Does what `member` does. `args` holds its parameters in order, read as their declared types
    // (a String as text, a Boolean as bool, ...); a by-reference String it changes goes back to the
    // caller, also when it then raises. The answer is turned into the declared result type; a
    // run-time error it raises reaches the caller's Err object.
    virtual Variant invokeMember(const DispatchMember& member, std::span<Variant> args) = 0;

private:
    const DispatchTable& table_;
};

}  // namespace telvora::win32
