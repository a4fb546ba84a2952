// The add-in connection: Word's application object over automation, its events through a
// connection point, and the start-up's logic in the portable connection.
#include "win32/pagewire_object.h"

#include "base/errors.h"
#include "win32/automation.h"
#include "win32/event_sink.h"
#include "win32/module.h"
#include "word_automation/word_application.h"

namespace telvora::win32 {
namespace {

// The custom arguments are arrays Word passes by reference and the add-in never reads.
constexpr DispatchParam kCustom{DispatchType::Array, true};
constexpr DispatchParam kObject{DispatchType::Object};
constexpr DispatchParam kMode{DispatchType::Long};
constexpr const char* kWordSource = "Microsoft Word";

}  // namespace

PagewireObject::PagewireObject() : TableDispatch(table()), connection_(module::addin()) {}

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

Variant PagewireObject::invokeMember(const DispatchMember& member, std::span<Variant> args) {
    if (member.id == 1) {
        const auto application = args[0].toObject();
        const auto* dispatch = dynamic_cast<const DispatchObject*>(application.get());
        if (!dispatch) throw RuntimeError::standard(err::TypeMismatch);
        connect(dispatch->get());
    } else if (member.id == 2) {
        connection_.OnDisconnection();
    }
    return Variant();
}

void PagewireObject::connect(IDispatch* application) {
    if (!application) throw RuntimeError::objectNotSet();
    auto events = std::make_shared<ConnectionPointEvents>(ComPtr<IDispatch>::addRef(application),
                                                          kDiidApplicationEvents2, kWordSource);
    auto word = word_automation::wordApplication(
        std::make_shared<DispatchObject>(ComPtr<IDispatch>::addRef(application), kWordSource), std::move(events));
    connection_.OnConnection(std::move(word));
}

HRESULT PagewireObject::OnConnection(IDispatch* application, ext_ConnectMode, IDispatch*, SAFEARRAY**) noexcept {
    if (!application) return E_INVALIDARG;
    return barrier([&] { connect(application); });
}

HRESULT PagewireObject::OnDisconnection(ext_DisconnectMode, SAFEARRAY**) noexcept {
    return barrier([&] { connection_.OnDisconnection(); });
}

HRESULT PagewireObject::OnAddInsUpdate(SAFEARRAY**) noexcept { return S_OK; }
HRESULT PagewireObject::OnStartupComplete(SAFEARRAY**) noexcept { return S_OK; }
HRESULT PagewireObject::OnBeginShutdown(SAFEARRAY**) noexcept { return S_OK; }

}  // namespace telvora::win32
