// Message boxes through MessageBoxW; forms through the form window and a modal message loop.
#include "win32/win32_ui.h"

#include <algorithm>

#include "app/reports.h"
#include "base/errors.h"
#include "win32/com_errors.h"
#include "win32/display_scaling.h"
#include "win32/form_window.h"
#include "win32/text.h"

namespace telvora::win32 {
namespace {

UINT styleOf(MsgButtons buttons, MsgIcon icon) {
    UINT style = 0;
    switch (buttons) {
    case MsgButtons::OK: style |= MB_OK; break;
    case MsgButtons::OKCancel: style |= MB_OKCANCEL; break;
    case MsgButtons::YesNo: style |= MB_YESNO; break;
    case MsgButtons::RetryCancel: style |= MB_RETRYCANCEL; break;
    }
    switch (icon) {
    case MsgIcon::None: break;
    case MsgIcon::Critical: style |= MB_ICONHAND; break;
    case MsgIcon::Question: style |= MB_ICONQUESTION; break;
    case MsgIcon::Exclamation: style |= MB_ICONEXCLAMATION; break;
    case MsgIcon::Information: style |= MB_ICONASTERISK; break;
    }
    // Like a macro's MsgBox: in front of Word, not hidden behind it.
    return style | MB_SETFOREGROUND | MB_TASKMODAL;
}

HINSTANCE thisModule() noexcept {
    HMODULE module = nullptr;
    ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<LPCWSTR>(&thisModule), &module);
    return module;
}

bool inThisProcess(HWND window) noexcept {
    DWORD process = 0;
    return window && ::GetWindowThreadProcessId(window, &process) && process == ::GetCurrentProcessId();
}

}  // namespace

Win32Ui::Win32Ui() : module_(thisModule()) {}

MsgResult Win32Ui::messageBox(const std::string& prompt, MsgButtons buttons, MsgIcon icon, const std::string& title) {
    // Owned by the dialog or window the user is working in, which therefore gets the keyboard back
    // (with its focus where it was) when the box closes.
    const int answer =
        ::MessageBoxW(chooseOwner(), widen(prompt).c_str(), widen(title).c_str(), styleOf(buttons, icon));
    switch (answer) {
    case IDOK: return MsgResult::OK;
    case IDYES: return MsgResult::Yes;
    case IDNO: return MsgResult::No;
    case IDCANCEL: return MsgResult::Cancel;
    case IDRETRY: return MsgResult::Retry;
    case 0: throw errorFromHresult(HRESULT_FROM_WIN32(::GetLastError()));
    default:
        // Closing a Yes/No box is not possible; any other answer counts as the safe choice.
        return buttons == MsgButtons::YesNo ? MsgResult::No : MsgResult::Cancel;
    }
}

void Win32Ui::runModal(Form& form) {
    if (!form.visible() || !form.loaded()) return;
    // Laid out and drawn for the monitor the dialog is on, whatever scaling Word itself runs with.
    const PerMonitorScaling scaling;
    for (FormWindow* session : sessions_) {
        if (!session->shows(form)) continue;
        if (session->onScreen()) throw RuntimeError::standard(err::FormAlreadyShown);
        session->show();
        runLoop(*session);
        return;
    }
    FormWindow window(form, chooseOwner(), module_, [this](const RuntimeError& e) { ReportError(*this, e); });
    sessions_.push_back(&window);
    struct Pop {
        std::vector<FormWindow*>& sessions;
        ~Pop() { sessions.pop_back(); }
    } pop{sessions_};
    window.show();
    runLoop(window);
}

void Win32Ui::runLoop(FormWindow& window) {
    while (window.showing()) {
        MSG msg;
        const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == -1) break;
        if (got == 0) {
            // Word is closing: end the dialog and leave the quit message for Word's own loop.
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (FormWindow* target = sessionFor(msg.hwnd); target && target->translate(msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

// The innermost dialog on screen, else the window the first dialog was given, else the window
// the user is working in when this process owns it.
HWND Win32Ui::chooseOwner() const noexcept {
    for (auto it = sessions_.rbegin(); it != sessions_.rend(); ++it) {
        if ((*it)->onScreen()) return (*it)->handle();
    }
    if (!sessions_.empty()) return sessions_.front()->owner();
    if (HWND active = ::GetActiveWindow(); active && ::IsWindowVisible(active)) return active;
    if (HWND foreground = ::GetForegroundWindow(); inThisProcess(foreground)) return foreground;
    return nullptr;
}

FormWindow* Win32Ui::sessionFor(HWND window) const noexcept {
    if (!window) return nullptr;
    for (auto it = sessions_.rbegin(); it != sessions_.rend(); ++it) {
        const HWND dialog = (*it)->handle();
        if (window == dialog || ::IsChild(dialog, window)) return *it;
    }
    return nullptr;
}

HWND Win32Ui::windowOf(const Form& form) const noexcept {
    for (FormWindow* session : sessions_) {
        if (session->shows(form)) return session->handle();
    }
    return nullptr;
}

HWND Win32Ui::windowOf(const Control& control) const noexcept {
    for (FormWindow* session : sessions_) {
        if (session->shows(control.form())) return session->handleOf(control);
    }
    return nullptr;
}

}  // namespace telvora::win32
