// Finding and answering message boxes from a thread of the test's own.
#include "word_host/message_boxes.h"

#include "win32/text.h"

namespace telvora::win32::host {
namespace {

std::wstring windowText(HWND window) {
    const int length = ::GetWindowTextLengthW(window);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(::GetWindowTextW(window, text.data(), length + 1)));
    return text;
}

std::wstring className(HWND window) {
    wchar_t name[64] = {};
    ::GetClassNameW(window, name, 64);
    return name;
}

// A message box's text is its one static control with text (the icon is a static without any).
BOOL CALLBACK collectText(HWND child, LPARAM out) {
    if (className(child) == L"Static") {
        const std::wstring text = windowText(child);
        auto& longest = *reinterpret_cast<std::wstring*>(out);
        if (text.size() > longest.size()) longest = text;
    }
    return TRUE;
}

struct Search {
    const std::wstring* title;
    std::vector<HWND> found;
};

BOOL CALLBACK findBoxes(HWND window, LPARAM param) {
    auto& search = *reinterpret_cast<Search*>(param);
    if (::IsWindowVisible(window) && className(window) == L"#32770" && windowText(window) == *search.title)
        search.found.push_back(window);
    return TRUE;
}

}  // namespace

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
        Search search{&title_, {}};
        ::EnumWindows(findBoxes, reinterpret_cast<LPARAM>(&search));
        for (HWND box : search.found) answer(box);
        ::Sleep(20);
    }
}

void MessageBoxWatcher::answer(HWND box) {
    {
        std::lock_guard lock(mutex_);
        const ULONGLONG now = ::GetTickCount64();
        const auto [entry, isNew] = answered_.emplace(box, now);
        if (isNew) {
            std::wstring text;
            ::EnumChildWindows(box, collectText, reinterpret_cast<LPARAM>(&text));
            texts_.push_back(narrow(text));
        } else if (now - entry->second < 500) {
            return;  // clicked a moment ago: give the box time to close
        }
        entry->second = now;
    }
    // Posted, not sent: the box's own thread takes the click in its modal loop.
    ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(box, IDOK)));
}

}  // namespace telvora::win32::host
