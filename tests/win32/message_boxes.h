// The user in front of the Windows tests: answers every message box with a given title that any
// process shows, as a click on its OK button would, and keeps what each one said.
#pragma once

#include <windows.h>

#include <atomic>
#include <mutex>
#include <map>
#include <string>
#include <thread>
#include <vector>

namespace telvora::win32::host {

class MessageBoxWatcher {
public:
    explicit MessageBoxWatcher(std::wstring title = L"Telvora");
    ~MessageBoxWatcher();
    MessageBoxWatcher(const MessageBoxWatcher&) = delete;
    MessageBoxWatcher& operator=(const MessageBoxWatcher&) = delete;

    // The text of each box answered so far, in the order they appeared.
    std::vector<std::string> texts() const;

private:
    void run();
    void answer(HWND box);

    std::wstring title_;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::vector<std::string> texts_;
    std::map<HWND, ULONGLONG> answered_;  // box -> when it was last clicked
    std::thread thread_;
};

}  // namespace telvora::win32::host
