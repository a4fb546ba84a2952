// The Windows timer.
#include "win32/win32_timer.h"

#include "base/errors.h"
#include "win32/module.h"

namespace telvora::win32 {
namespace {

constexpr const wchar_t* kWindowClass = L"TelvoraTimerWindow";
constexpr UINT_PTR kTimerId = 1;

}  // namespace

Win32Timer::~Win32Timer() {
    if (window_) ::KillTimer(window_.get(), kTimerId);
}

void Win32Timer::start(std::chrono::milliseconds every, std::function<void()> tick) {
    if (!window_) {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = &Win32Timer::windowProc;
        windowClass.hInstance = module::instance();
        windowClass.lpszClassName = kWindowClass;
        // A second registration of the same class (another timer of this module) is no error.
        if (!::RegisterClassExW(&windowClass) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
            throw RuntimeError(static_cast<std::int32_t>(HRESULT_FROM_WIN32(::GetLastError())),
                               "The timer's window class could not be registered.", "Telvora");
        window_.reset(::CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                        module::instance(), nullptr));
        if (!window_)
            throw RuntimeError(static_cast<std::int32_t>(HRESULT_FROM_WIN32(::GetLastError())),
                               "The timer's window could not be created.", "Telvora");
        ::SetWindowLongPtrW(window_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    tick_ = std::move(tick);
    if (!::SetTimer(window_.get(), kTimerId, static_cast<UINT>(every.count()), nullptr)) {
        tick_ = nullptr;
        throw RuntimeError(static_cast<std::int32_t>(HRESULT_FROM_WIN32(::GetLastError())),
                           "The timer could not be set.", "Telvora");
    }
}

void Win32Timer::stop() {
    if (window_) ::KillTimer(window_.get(), kTimerId);
    tick_ = nullptr;
}

void Win32Timer::fire() {
    if (!tick_) return;
    // A tick that stops the timer runs to its end on its own copy.
    const std::function<void()> tick = tick_;
    try {
        tick();
    } catch (...) {
        // Nothing may leave a window procedure; a tick that fails is tried again at the next one.
    }
}

LRESULT CALLBACK Win32Timer::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER && wParam == kTimerId) {
        if (auto* self = reinterpret_cast<Win32Timer*>(::GetWindowLongPtrW(window, GWLP_USERDATA))) self->fire();
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace telvora::win32
