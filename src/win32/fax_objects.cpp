// The fax job classes' dispatch tables and their objects.
#include "win32/fax_objects.h"

#include "backends/fax_adapters.h"
#include "win32/class_ids.h"
#include "win32/module.h"

namespace telvora::win32 {
namespace {

const IID& interfaceOf(FaxAdapterKind kind) {
    switch (kind) {
    case FaxAdapterKind::FaxSbs: return kDiidFaxSBS;
    case FaxAdapterKind::WinFax: return kDiidWinFax;
    case FaxAdapterKind::Fax: break;
    }
    return kDiidFax;
}

FaxJobClass makeClass(const FaxAdapterClass& adapter) {
    std::vector<DispatchMember> members;
    DISPID id = 0;
    for (const auto& p : adapter.properties)
        addProperty(members, p.name, ++id, p.isFlag() ? DispatchType::Boolean : DispatchType::String);
    members.push_back({"Send", id + 1, MemberKind::Method, {}, DispatchType::None});
    return FaxJobClass{adapter, std::string(adapter.progId), DispatchTable(std::move(members), interfaceOf(adapter.kind))};
}

FaxDetails newDetails(const FaxAdapterClass& adapter) {
    if (adapter.kind == FaxAdapterKind::FaxSbs) return newFaxSbsDetails(module::addin());
    return FaxDetails{};
}

}  // namespace

const FaxJobClass& faxClass() {
    static const FaxJobClass c = makeClass(telvora::faxClass());
    return c;
}

const FaxJobClass& faxSbsClass() {
    static const FaxJobClass c = makeClass(telvora::faxSbsClass());
    return c;
}

const FaxJobClass& winFaxClass() {
    static const FaxJobClass c = makeClass(telvora::winFaxClass());
    return c;
}

FaxJobObject::FaxJobObject(const FaxJobClass& faxClass)
    : ByNameDispatch(faxClass.table), class_(faxClass), details_(newDetails(faxClass.adapter)) {}

Variant FaxJobObject::invokeMember(const DispatchMember& member, std::span<Variant> args) {
    const FaxAdapterClass& adapter = class_.adapter;
    const auto index = static_cast<std::size_t>(member.id - 1);
    switch (member.kind) {
    case MemberKind::PropertyGet: return adapter.properties.at(index).read(details_);
    case MemberKind::PropertyPut: adapter.properties.at(index).write(details_, args[0]); return Variant();
    case MemberKind::Method: break;
    }
    Addin& addin = module::addin();
    const SendOutcome outcome = submitFax(addin, adapter.kind, details_);
    if (adapter.kind == FaxAdapterKind::FaxSbs && !outcome.sent()) addin.session.merge.records = 0;
    return Variant();
}

}  // namespace telvora::win32
