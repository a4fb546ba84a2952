// The timer on Windows: a message-only window of the thread that starts it (Word's), whose
// WM_TIMER messages Word's own message loop delivers, so every tick runs on Word's thread between
// the user's actions and costs nothing while it waits.
#pragma once

#include <windows.h>

#include <functional>

#include "ports/timer.h"
#include "win32/gui_handles.h"

namespace telvora::win32 {

class Win32Timer final : public Timer {
public:
    Win32Timer() = default;
    ~Win32Timer() override;

    void start(std::chrono::milliseconds every, std::function<void()> tick) override;
    void stop() override;
    bool running() const override { return static_cast<bool>(tick_); }

private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void fire();

    unique_hwnd window_;
    std::function<void()> tick_;
};

}  // namespace telvora::win32
