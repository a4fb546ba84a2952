// Finding and answering message boxes from a thread of the test's own.
#include "message_boxes.h"

#include "user_script.h"
#include "win32/text.h"

namespace telvora::win32::host {

MessageBoxWatcher::MessageBoxWatcher(std::wstring title) : title_(std::move(title)), thread_([this] { run(); }) {}

MessageBoxWatcher::~MessageBoxWatcher() {
    stop_ = true;
    thread_.join();
}

std::vector<std::string> MessageBoxWatcher::texts() const {
    std::lock_guard lock(mutex_);
    return texts_;
}

void MessageBoxWatcher::run() {
    while (!stop_) {
        {
            // A box gone frees its handle, which a later box may get again.
            std::lock_guard lock(mutex_);
            std::erase_if(answered_, [](const auto& entry) { return !::IsWindow(entry.first); });
        }
        for (HWND box : test::visibleDialogs(0))
            if (test::windowTextOf(box) == title_) answer(box);
        ::Sleep(20);
    }
}

void MessageBoxWatcher::answer(HWND box) {
    {
        std::lock_guard lock(mutex_);
        const ULONGLONG now = ::GetTickCount64();
        const auto [entry, isNew] = answered_.emplace(box, now);
        if (isNew) {
            texts_.push_back(narrow(test::messageText(box)));
        } else if (now - entry->second < 500) {
            return;  // clicked a moment ago: give the box time to close
        }
        entry->second = now;
    }
    // Posted, not sent: the box's own thread takes the click in its modal loop.
    ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(box, IDOK)));
}

}  // namespace telvora::win32::host
