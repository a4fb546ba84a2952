// The display scaling the dialogs are laid out and drawn for: the dots per inch of the monitor a
// window is on where Windows tells each monitor's (Windows 10 from its 2017 releases on, which also
// rescale a dialog moved to another monitor), the system's otherwise. Looked up at run time, since
// older Windows, and Wine, lack some of these calls.
#pragma once

#include <windows.h>

namespace telvora::win32 {

inline constexpr UINT kDefaultDpi = USER_DEFAULT_SCREEN_DPI;

// For as long as it lives, windows this thread creates are per-monitor aware (version 2, or the
// first version where only it exists); where neither exists the process's own awareness stands.
// The thread's earlier awareness comes back when it goes.
class PerMonitorScaling {
public:
    PerMonitorScaling() noexcept;
    ~PerMonitorScaling();
    PerMonitorScaling(const PerMonitorScaling&) = delete;
    PerMonitorScaling& operator=(const PerMonitorScaling&) = delete;

private:
    HANDLE previous_ = nullptr;
};

// The dots per inch a window is drawn at.
UINT dpiOf(HWND window) noexcept;
// An icon's side in pixels at that many dots per inch.
int iconSizeAt(UINT dpi) noexcept;
// A length given in pixels at 96 dots per inch, at `dpi`.
int scaled(int pixels, UINT dpi) noexcept;

}  // namespace telvora::win32
