// The by-name IDispatch shared by the automation classes.
#include "win32/dispatch_table.h"

#include <algorithm>

#include "base/errors.h"
#include "base/text.h"
#include "win32/com_errors.h"
#include "win32/module.h"
#include "win32/text.h"

namespace telvora::win32 {
namespace {

// Where each of a member's parameters is in rgvarg: positional arguments fill the parameters from
// the first on (rgvarg holds the last one first), named ones the parameters their DISPIDs name (a
// parameter's DISPID is its position), and a property assignment's value is its last parameter.
// Fails as IDispatch::Invoke documents for a call that does not fit the member.
HRESULT placeArguments(const DispatchMember& member, const DISPPARAMS& p, std::vector<VARIANT*>& slots,
                       UINT* argError) noexcept {
    if ((p.cArgs > 0 && !p.rgvarg) || p.cNamedArgs > p.cArgs || (p.cNamedArgs > 0 && !p.rgdispidNamedArgs))
        return E_INVALIDARG;
    if (p.cArgs != member.params.size()) return DISP_E_BADPARAMCOUNT;
    slots.assign(member.params.size(), nullptr);
    const UINT positional = p.cArgs - p.cNamedArgs;
    for (UINT i = 0; i < positional; ++i) slots[i] = &p.rgvarg[p.cArgs - 1 - i];
    for (UINT j = 0; j < p.cNamedArgs; ++j) {
        const DISPID id = p.rgdispidNamedArgs[j];
        std::size_t slot = member.params.size();
        if (member.kind == MemberKind::PropertyPut) {
            if (id == DISPID_PROPERTYPUT) slot = member.params.size() - 1;
        } else if (id >= 0 && static_cast<std::size_t>(id) < member.params.size() && !member.params[id].name.empty()) {
            slot = static_cast<std::size_t>(id);
        }
        if (slot == member.params.size()) {
            if (argError) *argError = j;
            const bool named = std::any_of(member.params.begin(), member.params.end(),
                                           [](const DispatchParam& p) { return !p.name.empty(); });
            return member.kind == MemberKind::PropertyPut || !named ? DISP_E_NONAMEDARGS : DISP_E_PARAMNOTFOUND;
        }
        if (slots[slot]) return DISP_E_BADPARAMCOUNT;  // given twice, so another is missing
        slots[slot] = &p.rgvarg[j];
    }
    return S_OK;
}

// The arguments in parameter order. A value that cannot become its parameter's type is
// DISP_E_TYPEMISMATCH with its place in rgvarg; any other error raises.
HRESULT readArguments(const DispatchMember& member, const DISPPARAMS& p, const std::vector<VARIANT*>& slots,
                      std::vector<Variant>& args, UINT* argError) {
    for (std::size_t i = 0; i < member.params.size(); ++i) {
        try {
            args.push_back(readArgument(*slots[i], member.params[i].type));
        } catch (const RuntimeError& e) {
            if (e.number() != err::TypeMismatch) throw;
            if (argError) *argError = static_cast<UINT>(slots[i] - p.rgvarg);
            return DISP_E_TYPEMISMATCH;
        }
    }
    return S_OK;
}

void writeBack(const DispatchMember& member, const std::vector<VARIANT*>& slots, const std::vector<Variant>& before,
               const std::vector<Variant>& after) {
    for (std::size_t i = 0; i < member.params.size(); ++i) {
        const DispatchParam& param = member.params[i];
        if (!param.byRef || param.type != DispatchType::String || after[i] == before[i]) continue;
        writeBackText(*slots[i], after[i].toString());
    }
}

}  // namespace

DISPID DispatchTable::idOf(std::string_view name) const noexcept {
    for (const auto& m : members_) {
        if (equalsIgnoringCase(m.name, name)) return m.id;
    }
    return DISPID_UNKNOWN;
}

DISPID DispatchTable::paramIdOf(DISPID member, std::string_view name) const noexcept {
    for (const auto& m : members_) {
        if (m.id != member || m.kind == MemberKind::PropertyPut) continue;
        for (std::size_t i = 0; i < m.params.size(); ++i) {
            if (!m.params[i].name.empty() && equalsIgnoringCase(m.params[i].name, name)) return static_cast<DISPID>(i);
        }
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
        if (ids[0] == DISPID_UNKNOWN) return DISP_E_UNKNOWNNAME;
        // A parameter's identifier is its position, as a type library numbers them.
        HRESULT hr = S_OK;
        for (UINT i = 1; i < count; ++i) {
            ids[i] = names[i] ? table.paramIdOf(ids[0], narrow(names[i])) : DISPID_UNKNOWN;
            if (ids[i] == DISPID_UNKNOWN) hr = DISP_E_UNKNOWNNAME;
        }
        return hr;
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
    std::vector<VARIANT*> slots;
    if (const HRESULT hr = placeArguments(*member, p, slots, argError); FAILED(hr)) return hr;
    return barrier(
        [&]() -> HRESULT {
            std::vector<Variant> args;
            if (const HRESULT hr = readArguments(*member, p, slots, args, argError); FAILED(hr)) return hr;
            const std::vector<Variant> before = args;
            Variant answer;
            try {
                answer = body(*member, args);
            } catch (...) {
                // A member may change its by-reference arguments before it fails; the caller sees that too.
                ignoreErrors(module::addin().diagnostics(), [&] { writeBack(*member, slots, before, args); });
                throw;
            }
            writeBack(*member, slots, before, args);
            if (result) resultVariant(answer, member->result).releaseTo(result);
            return S_OK;
        },
        exception);
}

}  // namespace telvora::win32
