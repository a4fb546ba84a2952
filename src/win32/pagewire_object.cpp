// The add-in connection's dispatch table.
#include "win32/pagewire_object.h"

#include "base/errors.h"

namespace telvora::win32 {
namespace {

// The custom arguments are arrays Word passes by reference and the add-in never reads.
constexpr DispatchParam kCustom{DispatchType::Array, true};
constexpr DispatchParam kObject{DispatchType::Object};
constexpr DispatchParam kMode{DispatchType::Long};

}  // namespace

PagewireObject::PagewireObject() : ByNameDispatch(table()) {}

const DispatchTable& PagewireObject::table() {
    static const DispatchTable table({
        {"OnConnection", 1, MemberKind::Method, {kObject, kMode, kObject, kCustom}},
        {"OnDisconnection", 2, MemberKind::Method, {kMode, kCustom}},
        {"OnAddInsUpdate", 3, MemberKind::Method, {kCustom}},
        {"OnStartupComplete", 4, MemberKind::Method, {kCustom}},
        {"OnBeginShutdown", 5, MemberKind::Method, {kCustom}},
    });
    return table;
}

Variant PagewireObject::invokeMember(const DispatchMember& member, std::span<Variant>) {
    throw RuntimeError::notAvailableYet("Telvora.Pagewire." + member.name, "Telvora.Pagewire");
}

}  // namespace telvora::win32
