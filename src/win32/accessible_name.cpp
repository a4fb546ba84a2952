// The system's accessible object of a window with the name replaced, served through WM_GETOBJECT.
#include "win32/accessible_name.h"

#include <oleacc.h>

#include <memory>
#include <new>

#include "win32/com_errors.h"
#include "win32/com_object.h"
#include "win32/handles.h"

namespace telvora::win32 {
namespace {

constexpr const wchar_t* kNameProperty = L"Telvora.AccessibleName";

struct Naming {
    WNDPROC previous;
    std::function<std::wstring()> name;
};

bool isSelf(const VARIANT& child) noexcept { return V_VT(&child) == VT_I4 && V_I4(&child) == CHILDID_SELF; }

// Everything the system says of the window, but its own name.
class NamedAccessible final : public ComObject<IAccessible> {
public:
    NamedAccessible(ComPtr<IAccessible> system, std::wstring name) : system_(std::move(system)), name_(std::move(name)) {}

    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) noexcept override {
        if (!isSelf(child)) return system_->get_accName(child, name);
        if (!name) return E_POINTER;
        return barrier([&] { *name = makeBstr(name_).release(); });
    }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) noexcept override { return system_->GetTypeInfoCount(count); }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) noexcept override {
        return system_->GetTypeInfo(index, locale, info);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) noexcept override {
        return system_->GetIDsOfNames(riid, names, count, locale, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID locale, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* exception, UINT* argError) noexcept override {
        return system_->Invoke(id, riid, locale, flags, params, result, exception, argError);
    }
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) noexcept override { return system_->get_accParent(parent); }
    HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) noexcept override { return system_->get_accChildCount(count); }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) noexcept override {
        return system_->get_accChild(child, object);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) noexcept override { return system_->get_accValue(child, value); }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) noexcept override {
        return system_->get_accDescription(child, text);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) noexcept override { return system_->get_accRole(child, role); }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) noexcept override {
        return system_->get_accState(child, state);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) noexcept override { return system_->get_accHelp(child, help); }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) noexcept override {
        return system_->get_accHelpTopic(file, child, topic);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* keys) noexcept override {
        return system_->get_accKeyboardShortcut(child, keys);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) noexcept override { return system_->get_accFocus(child); }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) noexcept override { return system_->get_accSelection(children); }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) noexcept override {
        return system_->get_accDefaultAction(child, action);
    }
    HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT child) noexcept override { return system_->accSelect(flags, child); }
    HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height, VARIANT child) noexcept override {
        return system_->accLocation(left, top, width, height, child);
    }
    HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) noexcept override {
        return system_->accNavigate(direction, start, end);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* child) noexcept override { return system_->accHitTest(x, y, child); }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) noexcept override { return system_->accDoDefaultAction(child); }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) noexcept override { return system_->put_accName(child, name); }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) noexcept override { return system_->put_accValue(child, value); }

private:
    ComPtr<IAccessible> system_;
    std::wstring name_;
};

LRESULT CALLBACK namedWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* naming = static_cast<Naming*>(::GetPropW(window, kNameProperty));
    if (!naming) return ::DefWindowProcW(window, message, wParam, lParam);
    const WNDPROC previous = naming->previous;
    if (message == WM_GETOBJECT && static_cast<LONG>(lParam) == OBJID_CLIENT) {
        ComPtr<IAccessible> system;
        if (SUCCEEDED(::CreateStdAccessibleObject(window, OBJID_CLIENT, __uuidof(IAccessible), system.putVoid()))) {
            try {
                auto named = makeComObject<NamedAccessible>(std::move(system), naming->name());
                return ::LresultFromObject(__uuidof(IAccessible), wParam, named.get());
            } catch (...) {
                // Without memory for the name the system's own description answers.
            }
        }
    } else if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
        ::RemovePropW(window, kNameProperty);
        delete naming;
    }
    return ::CallWindowProcW(previous, window, message, wParam, lParam);
}

}  // namespace

void giveAccessibleName(HWND window, std::function<std::wstring()> name) {
    if (auto* naming = static_cast<Naming*>(::GetPropW(window, kNameProperty))) {
        naming->name = std::move(name);
        return;
    }
    auto naming = std::make_unique<Naming>(Naming{nullptr, std::move(name)});
    if (!::SetPropW(window, kNameProperty, naming.get())) throw errorFromHresult(HRESULT_FROM_WIN32(::GetLastError()));
    naming->previous = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&namedWindowProc)));
    if (!naming->previous) {
        ::RemovePropW(window, kNameProperty);
        throw errorFromHresult(HRESULT_FROM_WIN32(::GetLastError()));
    }
    (void)naming.release();
}

}  // namespace telvora::win32
