// Acting as the user on the dialogs this thread shows, from inside their modal loop: a script of
// steps run one per timer tick, each after everything the previous step caused has been handled
// (input and posted messages come before timer ticks). A step may wait for something (a dialog
// appearing) by answering false; it is tried again until it is done or five seconds pass.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "win32/gui_handles.h"

namespace telvora::win32::test {

struct Step {
    std::function<bool()> run;  // true when done
    std::string waitingFor;     // named when the step times out
};

// A step that simply does something.
Step act(std::function<void()> action);
// A step that waits until the condition holds.
Step until(std::function<bool()> condition, std::string what);

class UserScript {
public:
    // `giveUp` runs when the script ends, done or failed, to close whatever it left open, so a
    // failing test never hangs in a modal loop; after a failure it runs again every half second
    // for as long as the script lives.
    UserScript(std::vector<Step> steps, std::function<void()> giveUp);
    ~UserScript();
    UserScript(const UserScript&) = delete;
    UserScript& operator=(const UserScript&) = delete;

    bool finished() const noexcept { return next_ >= steps_.size(); }
    // What went wrong ("" when every step ran): a step that timed out names what it waited for.
    const std::string& failure() const noexcept { return failure_; }

private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void tick();

    std::vector<Step> steps_;
    std::function<void()> giveUp_;
    std::size_t next_ = 0;
    bool running_ = false;
    std::chrono::steady_clock::time_point deadline_;
    std::string failure_;
    unique_hwnd timerWindow_;
};

// Real keyboard and mouse input, as the window system delivers a person's.
void pressKey(WORD key, bool alt = false, bool shift = false);
void typeText(const std::wstring& text);
void clickAt(HWND control);

// The visible message boxes and other dialogs of a thread (0: of every process).
std::vector<HWND> visibleDialogs(DWORD thread);
// A visible dialog of a thread (this one unless named) that is not `except`, or null.
HWND otherDialog(HWND except, DWORD thread = ::GetCurrentThreadId());
// The text and title of a message box.
std::wstring messageText(HWND box);
std::wstring windowTextOf(HWND window);

}  // namespace telvora::win32::test
