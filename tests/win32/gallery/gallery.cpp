// The gallery: every dialog of the add-in built from its samples on a simulated machine, shown as
// a real Windows dialog, photographed into a PNG and closed. Usage: telvora_gallery <folder>.
// Prints one line per picture; exits with the number of samples that could not be photographed.
// A message box while a sample is built or shown counts as a failure (a sample shows its dialog
// as the user first sees it, not behind a question): it is answered with its safe choice and
// its text printed.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "base/errors.h"
#include "screenshot.h"
#include "support/dialog_samples.h"
#include "user_script.h"
#include "win32/text.h"
#include "win32/win32_ui.h"

namespace telvora::win32 {
namespace {

using test::act;
using test::until;

// Answers a message box with its safe choice and tells what it said.
std::string dismiss(HWND box) {
    const std::string text = narrow(test::messageText(box));
    const int safe = ::GetDlgItem(box, IDCANCEL) ? IDCANCEL : ::GetDlgItem(box, IDNO) ? IDNO : IDOK;
    ::PostMessageW(box, WM_COMMAND, safe, 0);
    return text;
}

// Photographs one sample; answers what went wrong ("" when the picture was taken).
std::string photograph(const testing::DialogSample& sample, Win32Ui& ui, const std::wstring& file) {
    std::string problem;
    std::unique_ptr<Form> form;
    HWND shown = nullptr;
    std::chrono::steady_clock::time_point shownAt;
    const auto messageBoxes = [&] {
        if (HWND box = test::otherDialog(form ? ui.windowOf(*form) : nullptr)) {
            problem += "a message box was shown: " + dismiss(box) + "\n";
            return true;
        }
        return false;
    };
    test::UserScript script(
        {until(
             [&] {
                 if (messageBoxes()) return false;
                 shown = form ? ui.windowOf(*form) : nullptr;
                 if (shown && ::IsWindowVisible(shown)) shownAt = std::chrono::steady_clock::now();
                 return shown && ::IsWindowVisible(shown);
             },
             "the dialog"),
         // Wine hands what a window painted to the display in batches, at the latest when the
         // program has been idle for a moment; the picture waits for that.
         until([&] { return std::chrono::steady_clock::now() - shownAt > std::chrono::milliseconds(200); },
               "the dialog to reach the display"),
         act([&] {
             if (messageBoxes()) return;
             try {
                 test::saveScreenshot(shown, file);
             } catch (const std::exception& e) {
                 problem += std::string("no picture: ") + e.what() + "\n";
             }
         })},
        [&] {
            if (form && form->visible()) form->hide();
        });
    try {
        testing::SampleMachine machine(ui);
        form = sample.make(machine);
        if (!form) return "the sample built no dialog";
        if (form->name() != sample.formName) problem += "the sample built " + form->name() + "\n";
        form->showModal(ui);
    } catch (...) {
        const RuntimeError e = currentAsRuntimeError();
        problem += "error " + std::to_string(e.number()) + ": " + e.description() + "\n";
    }
    if (!script.failure().empty()) problem += script.failure() + "\n";
    return problem;
}

}  // namespace

// Photographs every sample; answers how many failed.
int photographAll(const std::wstring& folder) {
    int failed = 0;
    int pictures = 0;
    Win32Ui ui;
    for (const auto& sample : testing::dialogSamples()) {
        const std::string name = sample.formName + (sample.variant.empty() ? "" : "-" + sample.variant);
        const std::string problem = photograph(sample, ui, folder + L"\\" + widen(name) + L".png");
        if (problem.empty()) {
            ++pictures;
            std::printf("%s.png\n", name.c_str());
        } else {
            ++failed;
            std::printf("%s: FAILED\n%s", name.c_str(), problem.c_str());
        }
    }
    std::printf("%d picture(s), %d failure(s)\n", pictures, failed);
    return failed;
}

}  // namespace telvora::win32

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: telvora_gallery <folder for the pictures>\n");
        return 100;
    }
    if (FAILED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 101;
    const std::wstring folder = argv[1];
    ::CreateDirectoryW(folder.c_str(), nullptr);
    // Only today's dialogs: pictures of dialogs since renamed or removed go.
    WIN32_FIND_DATAW found{};
    const HANDLE search = ::FindFirstFileW((folder + L"\\*.png").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            ::DeleteFileW((folder + L"\\" + found.cFileName).c_str());
        } while (::FindNextFileW(search, &found));
        ::FindClose(search);
    }
    const int failed = telvora::win32::photographAll(folder);
    ::CoUninitialize();
    return failed;
}
