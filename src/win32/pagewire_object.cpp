// The add-in connection: Word's application object over automation, its events through a
// connection point, the start-up's logic in the portable connection, and the ribbon's callbacks.
#include "win32/pagewire_object.h"

#include <olectl.h>

#include "base/errors.h"
#include "win32/automation.h"
#include "win32/com_variant.h"
#include "win32/display_scaling.h"
#include "win32/event_sink.h"
#include "win32/module.h"
#include "win32/text.h"
#include "word_automation/word_application.h"

namespace telvora::win32 {
namespace {

// The custom arguments are arrays Word passes by reference and the add-in never reads.
constexpr DispatchParam kCustom{DispatchType::Array, true};
constexpr DispatchParam kObject{DispatchType::Object};
constexpr DispatchParam kMode{DispatchType::Long};
constexpr DispatchParam kText{DispatchType::String};
constexpr const char* kWordSource = "Microsoft Word";

enum : DISPID { kGetCustomUi = 6, kRibbonLoad, kRibbonAction, kRibbonImage, kRibbonEnabled };

// Word's application events as the Word port receives them, and besides every change of the open
// documents, after which the ribbon asks again which buttons can be clicked.
class DocumentChangeEvents final : public AutomationEvents {
public:
    DocumentChangeEvents(std::shared_ptr<AutomationEvents> events, std::function<void()> changed)
        : events_(std::move(events)), changed_(std::move(changed)) {}

    void subscribe(Handler handler) override {
        events_->subscribe([handler = std::move(handler), changed = changed_](MemberId event, const Args& args) {
            handler(event, args);
            if (event == kDispidDocumentChange) changed();
        });
    }
    void unsubscribe() noexcept override { events_->unsubscribe(); }

private:
    std::shared_ptr<AutomationEvents> events_;
    std::function<void()> changed_;
};

// The control Word hands to a ribbon callback.
AutomationObject& controlOf(const Variant& argument) {
    const auto& control = argument.get<Variant::Object>();
    if (!control) throw RuntimeError::objectNotSet();
    return *control;
}

}  // namespace

PagewireObject::PagewireObject() : TableDispatch(table()), connection_(module::addin()) {}

const DispatchTable& PagewireObject::table() {
    static const DispatchTable table({
        {"OnConnection", 1, MemberKind::Method, {kObject, kMode, kObject, kCustom}},
        {"OnDisconnection", 2, MemberKind::Method, {kMode, kCustom}},
        {"OnAddInsUpdate", 3, MemberKind::Method, {kCustom}},
        {"OnStartupComplete", 4, MemberKind::Method, {kCustom}},
        {"OnBeginShutdown", 5, MemberKind::Method, {kCustom}},
        // Word calls GetCustomUI through the interface's table; by name it answers the same.
        {"GetCustomUI", kGetCustomUi, MemberKind::Method, {kText}, DispatchType::String},
        {ribbon_callback::OnLoad, kRibbonLoad, MemberKind::Method, {kObject}},
        {ribbon_callback::OnAction, kRibbonAction, MemberKind::Method, {kObject}},
        {ribbon_callback::GetImage, kRibbonImage, MemberKind::Method, {kObject}, DispatchType::Object},
        {ribbon_callback::GetEnabled, kRibbonEnabled, MemberKind::Method, {kObject}, DispatchType::Boolean},
    });
    return table;
}

Variant PagewireObject::invokeMember(const DispatchMember& member, std::span<Variant> args) {
    switch (member.id) {
    case 1: {
        const auto application = args[0].toObject();
        const auto* dispatch = dynamic_cast<const DispatchObject*>(application.get());
        if (!dispatch) throw RuntimeError::standard(err::TypeMismatch);
        connect(dispatch->get());
        return Variant();
    }
    case 2: connection_.OnDisconnection(); return Variant();
    case kGetCustomUi: return Variant(connection_.GetCustomUI(args[0].toString()));
    case kRibbonLoad: connection_.RibbonLoaded(args[0].toObject()); return Variant();
    case kRibbonAction: connection_.RibbonAction(controlOf(args[0])); return Variant();
    case kRibbonImage: return ribbonPicture(connection_.RibbonButtonOf(controlOf(args[0])));
    case kRibbonEnabled: return Variant(connection_.RibbonEnabled(controlOf(args[0])));
    default: return Variant();
    }
}

void PagewireObject::connect(IDispatch* application) {
    if (!application) throw RuntimeError::objectNotSet();
    auto events = std::make_shared<DocumentChangeEvents>(
        std::make_shared<ConnectionPointEvents>(ComPtr<IDispatch>::addRef(application), kDiidApplicationEvents2,
                                                kWordSource),
        [this] { connection_.RefreshRibbon(); });
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

HRESULT PagewireObject::GetCustomUI(BSTR ribbonId, BSTR* ribbonXml) noexcept {
    if (!ribbonXml) return E_POINTER;
    *ribbonXml = nullptr;
    return barrier([&] {
        const std::string xml = connection_.GetCustomUI(narrow(ribbonId ? std::wstring_view(ribbonId) : std::wstring_view()));
        *ribbonXml = makeBstr(widen(xml)).release();
    });
}

Variant ribbonPicture(const RibbonButton& button) {
    // Scaled screens get the larger picture drawn for them rather than a small one blown up.
    constexpr int kScaledDpi = 144;
    const std::wstring name = widen(button.image) + (button.large || dpiOf(nullptr) >= kScaledDpi ? L"32" : L"16");
    auto* bitmap = static_cast<HBITMAP>(
        ::LoadImageW(module::instance(), name.c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!bitmap) throw errorFromHresult(HRESULT_FROM_WIN32(::GetLastError()));
    PICTDESC description{};
    description.cbSizeofstruct = sizeof description;
    description.picType = PICTYPE_BITMAP;
    description.bmp.hbitmap = bitmap;
    ComPtr<IDispatch> picture;
    // The picture owns the bitmap from here on, and deletes it when Word lets go of the picture.
    const HRESULT hr = ::OleCreatePictureIndirect(&description, IID_IPictureDisp, TRUE, picture.putVoid());
    if (FAILED(hr)) {
        ::DeleteObject(bitmap);
        throw errorFromHresult(hr);
    }
    return Variant(std::static_pointer_cast<AutomationObject>(std::make_shared<DispatchObject>(std::move(picture), kAppTitle)));
}

}  // namespace telvora::win32
