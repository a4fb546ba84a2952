// Per-monitor awareness and the dots per inch of a window, through whichever calls this Windows has.
#include "win32/display_scaling.h"

namespace telvora::win32 {
namespace {

// The awareness contexts are pseudo-handles of fixed values.
const HANDLE kPerMonitorAwareV2 = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4));
const HANDLE kPerMonitorAware = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-3));

template <class Function>
Function user32(const char* name) noexcept {
    const HMODULE module = ::GetModuleHandleW(L"user32.dll");
    return module ? reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name))) : nullptr;
}

using SetThreadDpiAwarenessContextFn = HANDLE(WINAPI*)(HANDLE);
using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);

}  // namespace

PerMonitorScaling::PerMonitorScaling() noexcept {
    if (const auto set = user32<SetThreadDpiAwarenessContextFn>("SetThreadDpiAwarenessContext")) {
        previous_ = set(kPerMonitorAwareV2);
        if (!previous_) previous_ = set(kPerMonitorAware);
    }
}

PerMonitorScaling::~PerMonitorScaling() {
    if (!previous_) return;
    if (const auto set = user32<SetThreadDpiAwarenessContextFn>("SetThreadDpiAwarenessContext")) (void)set(previous_);
}

UINT dpiOf(HWND window) noexcept {
    if (const auto get = user32<GetDpiForWindowFn>("GetDpiForWindow"); get && window) {
        if (const UINT dpi = get(window)) return dpi;
    }
    UINT dpi = kDefaultDpi;
    if (HDC screen = ::GetDC(nullptr)) {
        dpi = static_cast<UINT>(::GetDeviceCaps(screen, LOGPIXELSY));
        ::ReleaseDC(nullptr, screen);
    }
    return dpi ? dpi : kDefaultDpi;
}

int iconSizeAt(UINT dpi) noexcept {
    if (const auto get = user32<GetSystemMetricsForDpiFn>("GetSystemMetricsForDpi")) {
        if (const int size = get(SM_CXICON, dpi)) return size;
    }
    return scaled(::GetSystemMetrics(SM_CXICON) * static_cast<int>(kDefaultDpi) / static_cast<int>(dpiOf(nullptr)), dpi);
}

int scaled(int pixels, UINT dpi) noexcept { return ::MulDiv(pixels, static_cast<int>(dpi), static_cast<int>(kDefaultDpi)); }

}  // namespace telvora::win32
