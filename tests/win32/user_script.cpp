// The main-thread user script and the input it sends.
#include "user_script.h"

#include <algorithm>
#include <stdexcept>

namespace telvora::win32::test {
namespace {

constexpr wchar_t kTimerClass[] = L"TelvoraTestUserScript";
constexpr UINT_PTR kTimer = 1;
constexpr UINT kTickMilliseconds = 10;
// How often a failed script tries again to close what it left open.
constexpr UINT kGiveUpMilliseconds = 500;

void registerTimerClass(WNDPROC proc) {
    WNDCLASSEXW cls{};
    cls.cbSize = sizeof cls;
    cls.lpfnWndProc = proc;
    cls.hInstance = ::GetModuleHandleW(nullptr);
    cls.lpszClassName = kTimerClass;
    if (!::RegisterClassExW(&cls) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        throw std::runtime_error("cannot register the user script's window class");
}

void send(std::vector<INPUT> inputs) {
    ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

INPUT keyInput(WORD key, bool up) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = key;
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return in;
}

BOOL CALLBACK collectDialog(HWND w, LPARAM p) {
    wchar_t cls[16] = {};
    ::GetClassNameW(w, cls, 16);
    if (::IsWindowVisible(w) && std::wstring(cls) == L"#32770") reinterpret_cast<std::vector<HWND>*>(p)->push_back(w);
    return TRUE;
}

}  // namespace

Step act(std::function<void()> action) {
    return {[action = std::move(action)] {
                action();
                return true;
            },
            ""};
}

Step until(std::function<bool()> condition, std::string what) { return {std::move(condition), std::move(what)}; }

UserScript::UserScript(std::vector<Step> steps, std::function<void()> giveUp)
    : steps_(std::move(steps)), giveUp_(std::move(giveUp)) {
    registerTimerClass(&UserScript::windowProc);
    timerWindow_.reset(::CreateWindowExW(0, kTimerClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                         ::GetModuleHandleW(nullptr), nullptr));
    if (!timerWindow_) throw std::runtime_error("cannot create the user script's window");
    ::SetWindowLongPtrW(timerWindow_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    ::SetTimer(timerWindow_.get(), kTimer, kTickMilliseconds, nullptr);
    deadline_ = std::chrono::steady_clock::now() + std::chrono::seconds(5);
}

UserScript::~UserScript() {
    if (timerWindow_) ::KillTimer(timerWindow_.get(), kTimer);
}

LRESULT CALLBACK UserScript::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER) {
        if (auto* self = reinterpret_cast<UserScript*>(::GetWindowLongPtrW(window, GWLP_USERDATA))) self->tick();
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

void UserScript::tick() {
    // Steps send their input asynchronously; a step still running when a nested message loop
    // ticks again is not entered twice.
    if (running_) return;
    if (finished()) {
        // A script that failed keeps closing what it left open until the test is over: a dialog
        // that came up late, or one a message box kept from closing, would otherwise hold the
        // test in its modal loop for good.
        if (!failure_.empty() && giveUp_) giveUp_();
        return;
    }
    running_ = true;
    struct Done {
        bool& running;
        ~Done() { running = false; }
    } done{running_};
    bool stepDone = false;
    std::string problem;
    try {
        stepDone = steps_[next_].run();
    } catch (const std::exception& e) {
        problem = std::string("step ") + std::to_string(next_ + 1) + " raised: " + e.what();
    } catch (...) {
        problem = "step " + std::to_string(next_ + 1) + " raised";
    }
    if (!problem.empty() || (!stepDone && std::chrono::steady_clock::now() > deadline_)) {
        failure_ = !problem.empty() ? problem
                                    : "step " + std::to_string(next_ + 1) + " timed out waiting for " +
                                          steps_[next_].waitingFor;
        next_ = steps_.size();
        ::SetTimer(timerWindow_.get(), kTimer, kGiveUpMilliseconds, nullptr);
        if (giveUp_) giveUp_();
        return;
    }
    if (stepDone) {
        ++next_;
        deadline_ = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        if (finished()) {
            ::KillTimer(timerWindow_.get(), kTimer);
            if (giveUp_) giveUp_();
        }
    }
}

void pressKey(WORD key, bool alt, bool shift) {
    std::vector<INPUT> inputs;
    if (alt) inputs.push_back(keyInput(VK_MENU, false));
    if (shift) inputs.push_back(keyInput(VK_SHIFT, false));
    inputs.push_back(keyInput(key, false));
    inputs.push_back(keyInput(key, true));
    if (shift) inputs.push_back(keyInput(VK_SHIFT, true));
    if (alt) inputs.push_back(keyInput(VK_MENU, true));
    send(std::move(inputs));
}

void typeText(const std::wstring& text) {
    std::vector<INPUT> inputs;
    for (wchar_t c : text) {
        INPUT in{};
        in.type = INPUT_KEYBOARD;
        in.ki.wScan = c;
        in.ki.dwFlags = KEYEVENTF_UNICODE;
        inputs.push_back(in);
        in.ki.dwFlags |= KEYEVENTF_KEYUP;
        inputs.push_back(in);
    }
    send(std::move(inputs));
}

void clickAt(HWND control) {
    RECT r{};
    ::GetWindowRect(control, &r);
    const int x = (r.left + r.right) / 2;
    const int y = (r.top + r.bottom) / 2;
    const int width = ::GetSystemMetrics(SM_CXSCREEN);
    const int height = ::GetSystemMetrics(SM_CYSCREEN);
    std::vector<INPUT> inputs(3);
    for (auto& in : inputs) {
        in.type = INPUT_MOUSE;
        in.mi.dx = static_cast<LONG>((x * 65535LL + width / 2) / std::max(width - 1, 1));
        in.mi.dy = static_cast<LONG>((y * 65535LL + height / 2) / std::max(height - 1, 1));
    }
    inputs[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_ABSOLUTE;
    inputs[2].mi.dwFlags = MOUSEEVENTF_LEFTUP | MOUSEEVENTF_ABSOLUTE;
    send(std::move(inputs));
}

std::vector<HWND> visibleDialogs(DWORD thread) {
    std::vector<HWND> found;
    if (thread) {
        ::EnumThreadWindows(thread, &collectDialog, reinterpret_cast<LPARAM>(&found));
    } else {
        ::EnumWindows(&collectDialog, reinterpret_cast<LPARAM>(&found));
    }
    return found;
}

HWND otherDialog(HWND except, DWORD thread) {
    for (HWND dialog : visibleDialogs(thread))
        if (dialog != except) return dialog;
    return nullptr;
}

std::wstring windowTextOf(HWND window) {
    wchar_t buffer[1024] = {};
    ::GetWindowTextW(window, buffer, 1024);
    return buffer;
}

std::wstring messageText(HWND box) {
    // A message box shows its text in the static control 0xFFFF.
    return windowTextOf(::GetDlgItem(box, 0xFFFF));
}

}  // namespace telvora::win32::test
