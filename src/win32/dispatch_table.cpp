// The by-name IDispatch shared by the automation classes.
#include "win32/dispatch_table.h"

#include "base/errors.h"
#include "base/text.h"
#include "win32/com_errors.h"
#include "win32/text.h"

namespace telvora::win32 {
namespace {

// What any call must satisfy before its arguments are read.
HRESULT checkShape(const DispatchMember& member, const DISPPARAMS& p) noexcept {
    if ((p.cArgs > 0 && !p.rgvarg) || p.cNamedArgs > p.cArgs || (p.cNamedArgs > 0 && !p.rgdispidNamedArgs))
        return E_INVALIDARG;
    // The one named argument any member takes is the value of a property assignment.
    for (UINT i = 0; i < p.cNamedArgs; ++i) {
        if (member.kind != MemberKind::PropertyPut || p.rgdispidNamedArgs[i] != DISPID_PROPERTYPUT)
            return DISP_E_NONAMEDARGS;
    }
    if (p.cArgs != member.params.size()) return DISP_E_BADPARAMCOUNT;
    return S_OK;
}

// The arguments in call order (rgvarg holds the last one first). A value that cannot become its
// parameter's type is DISP_E_TYPEMISMATCH with its place in rgvarg; any other error raises.
HRESULT readArguments(const DispatchMember& member, const DISPPARAMS& p, std::vector<Variant>& args, UINT* argError) {
    for (std::size_t i = 0; i < member.params.size(); ++i) {
        const UINT slot = p.cArgs - 1 - static_cast<UINT>(i);
        try {
            args.push_back(readArgument(p.rgvarg[slot], member.params[i].type));
        } catch (const RuntimeError& e) {
            if (e.number() != err::TypeMismatch) throw;
            if (argError) *argError = slot;
            return DISP_E_TYPEMISMATCH;
        }
    }
    return S_OK;
}

void writeBack(const DispatchMember& member, DISPPARAMS& p, const std::vector<Variant>& before,
               const std::vector<Variant>& after) {
    for (std::size_t i = 0; i < member.params.size(); ++i) {
        const DispatchParam& param = member.params[i];
        if (!param.byRef || param.type != DispatchType::String || after[i] == before[i]) continue;
        writeBackText(p.rgvarg[p.cArgs - 1 - i], after[i].toString());
    }
}

}  // namespace

DISPID DispatchTable::idOf(std::string_view name) const noexcept {
    for (const auto& m : members_) {
        if (equalsIgnoringCase(m.name, name)) return m.id;
    }
    return DISPID_UNKNOWN;
}

const DispatchMember* DispatchTable::find(DISPID id, WORD flags) const noexcept {
    const DispatchMember* method = nullptr;
    const DispatchMember* get = nullptr;
    const DispatchMember* put = nullptr;
    for (const auto& m : members_) {
        if (m.id != id) continue;
        switch (m.kind) {
        case MemberKind::Method: method = &m; break;
        case MemberKind::PropertyGet: get = &m; break;
        case MemberKind::PropertyPut: put = &m; break;
        }
    }
    if (flags & DISPATCH_PROPERTYPUT) return put;
    if ((flags & DISPATCH_METHOD) && method) return method;
    if (flags & DISPATCH_PROPERTYGET) return get ? get : method;
    return nullptr;
}

void addProperty(std::vector<DispatchMember>& members, std::string_view name, DISPID id, DispatchType type) {
    members.push_back({std::string(name), id, MemberKind::PropertyGet, {}, type});
    members.push_back({std::string(name), id, MemberKind::PropertyPut, {{type}}, DispatchType::None});
}

HRESULT tableGetIDsOfNames(const DispatchTable& table, REFIID riid, LPOLESTR* names, UINT count,
                           DISPID* ids) noexcept {
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    if (!names || !ids || count == 0) return E_INVALIDARG;
    for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
    return barrier([&] {
        ids[0] = names[0] ? table.idOf(narrow(names[0])) : DISPID_UNKNOWN;
        // No member has named parameters, so any further name is unknown.
        return ids[0] == DISPID_UNKNOWN || count > 1 ? DISP_E_UNKNOWNNAME : S_OK;
    });
}

HRESULT tableInvoke(const DispatchTable& table, const MemberBody& body, DISPID id, REFIID riid, WORD flags,
                    DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception, UINT* argError) noexcept {
    if (result) ::VariantInit(result);
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    const DispatchMember* member = table.find(id, flags);
    if (!member) return DISP_E_MEMBERNOTFOUND;
    DISPPARAMS none{};
    DISPPARAMS& p = params ? *params : none;
    if (const HRESULT hr = checkShape(*member, p); FAILED(hr)) return hr;
    return barrier(
        [&]() -> HRESULT {
            std::vector<Variant> args;
            if (const HRESULT hr = readArguments(*member, p, args, argError); FAILED(hr)) return hr;
            const std::vector<Variant> before = args;
            Variant answer;
            try {
                answer = body(*member, args);
            } catch (...) {
                // A member may change its by-reference arguments before it fails; the caller sees that too.
                ignoreErrors([&] { writeBack(*member, p, before, args); });
                throw;
            }
            writeBack(*member, p, before, args);
            if (result) resultVariant(answer, member->result).releaseTo(result);
            return S_OK;
        },
        exception);
}

}  // namespace telvora::win32
