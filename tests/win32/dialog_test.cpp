// The common file dialogs and message boxes on a real window system, driven from a second thread
// the way a user would: type, click, answer.
#include <gtest/gtest.h>

#include <windows.h>
#include <dlgs.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

#include "support.h"
#include "user_script.h"
#include "win32/text.h"
#include "win32/win32_platform.h"
#include "win32/win32_ui.h"

namespace telvora::win32 {
namespace {

using namespace std::chrono_literals;

HWND waitForDialog(DWORD thread, HWND except = nullptr) {
    for (auto end = std::chrono::steady_clock::now() + 10s; std::chrono::steady_clock::now() < end;) {
        if (HWND w = test::otherDialog(except, thread)) return w;
        std::this_thread::sleep_for(20ms);
    }
    return nullptr;
}

void click(HWND dialog, int id) { ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

// Types the file name into an open or save dialog (an edit box or, in the Explorer style, a combo).
void typeFileName(HWND dialog, const std::wstring& name) {
    HWND box = ::GetDlgItem(dialog, cmb13);
    if (!box) box = ::GetDlgItem(dialog, edt1);
    ::SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()));
}

class Dialogs : public ::testing::Test {
protected:
    void SetUp() override {
        if (!::GetEnvironmentVariableW(L"DISPLAY", nullptr, 0)) GTEST_SKIP() << "no display";
        existing = narrow(test::scratchFile(L"telvora-log")) + ".txt";
        platform.writeFile(existing, "old log");
    }
    void TearDown() override {
        if (!existing.empty()) platform.deleteFile(existing);
    }

    Win32Platform platform;
    Win32Ui ui;
    std::string existing;
    const DWORD self = ::GetCurrentThreadId();
};

TEST_F(Dialogs, SavingOverAnExistingFileAsksFirstAndKeepsTheChoice) {
    std::atomic<bool> asked{false};
    auto user = std::async(std::launch::async, [&] {
        HWND dialog = waitForDialog(self);
        if (!dialog) return;
        typeFileName(dialog, widen(existing));
        click(dialog, IDOK);
        // The dialog must ask before replacing; the user says yes.
        if (HWND prompt = waitForDialog(self, dialog)) {
            asked = true;
            click(prompt, IDYES);
        }
    });
    FileDialogRequest request{"Save Error Log", {{"Text File", "*.txt"}}, "txt", narrow(test::programFolder()), ""};
    const auto chosen = platform.saveFileDialog(request);
    user.wait();
    EXPECT_TRUE(asked);
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(existing, *chosen);
    EXPECT_EQ("old log", platform.readFile(existing));  // choosing is not writing
}

TEST_F(Dialogs, ADefaultExtensionIsAddedAndCancellingChoosesNothing) {
    const std::string folder = narrow(test::programFolder());
    auto user = std::async(std::launch::async, [&] {
        if (HWND dialog = waitForDialog(self)) {
            typeFileName(dialog, L"errors");
            click(dialog, IDOK);
        }
    });
    const auto chosen = platform.saveFileDialog({"Save Error Log", {{"Text File", "*.txt"}}, "txt", folder, ""});
    user.wait();
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(folder + "\\errors.txt", *chosen);

    auto cancel = std::async(std::launch::async, [&] {
        if (HWND dialog = waitForDialog(self)) click(dialog, IDCANCEL);
    });
    EXPECT_FALSE(platform.openFileDialog({"Open", {}, "", folder, ""}).has_value());
    cancel.wait();
}

TEST_F(Dialogs, AMessageBoxShowsItsTextAndAnswersWithTheButtonPressed) {
    std::wstring text;
    auto user = std::async(std::launch::async, [&] {
        if (HWND box = waitForDialog(self)) {
            text = test::messageText(box);
            click(box, IDNO);
        }
    });
    EXPECT_EQ(MsgResult::No, ui.messageBox("Print a copy?", MsgButtons::YesNo, MsgIcon::Question, "Telvora"));
    user.wait();
    EXPECT_EQ(L"Print a copy?", text);
}

}  // namespace
}  // namespace telvora::win32
