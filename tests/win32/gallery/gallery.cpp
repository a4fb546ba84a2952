// The gallery: every dialog of the add-in built from its samples on a simulated machine, shown as
// a real Windows dialog, photographed into a PNG and closed. Usage: telvora_gallery <folder>.
// Prints one line per picture; exits with the number of samples that could not be photographed.
// A message box while a sample is built or shown counts as a failure (a sample shows its dialog
// as the user first sees it, not behind a question): it is answered with its safe choice and
// its text printed.
#include <windows.h>
#include <oleacc.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "base/errors.h"
#include "screenshot.h"
#include "support.h"
#include "support/dialog_samples.h"
#include "user_script.h"
#include "win32/fax_preview_window.h"
#include "win32/handles.h"
#include "win32/text.h"
#include "win32/win32_ui.h"

namespace telvora::win32 {
namespace {

using test::act;
using test::until;

// The accessible name a screen reader hears for a window.
std::string accessibleName(HWND window) {
    ComPtr<IAccessible> accessible;
    BSTR name = nullptr;
    VARIANT self;
    ::VariantInit(&self);
    V_VT(&self) = VT_I4;
    V_I4(&self) = CHILDID_SELF;
    if (SUCCEEDED(::AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                               accessible.putVoid())))
        (void)accessible->get_accName(self, &name);
    const std::string said = name ? narrow(name) : std::string();
    ::SysFreeString(name);
    return said;
}

// What a screen reader says for each control the user can reach: its accessible name, read through
// Active Accessibility. Answers the controls without one, and the boxes named by what they hold
// (the system's own name for a combo box) rather than by their label.
std::string unnamedControls(const Form& form, Win32Ui& ui) {
    std::string unnamed;
    for (const auto& c : form.controls()) {
        const ControlKind kind = c->kind();
        if (!c->visible() || kind == ControlKind::Label || kind == ControlKind::Frame || kind == ControlKind::Line ||
            kind == ControlKind::Picture)
            continue;
        const std::string said = accessibleName(ui.windowOf(*c));
        const bool input = kind == ControlKind::TextBox || kind == ControlKind::ComboBox || kind == ControlKind::ListBox;
        if (said.empty() || (input && !c->text().empty() && said == c->text())) unnamed += " " + c->name() + " (\"" + said + "\")";
    }
    return unnamed;
}

// Photographs one sample; answers what went wrong ("" when the picture was taken).
std::string photograph(const testing::DialogSample& sample, Win32Ui& ui, const std::wstring& file) {
    std::string problem;
    std::unique_ptr<Form> form;
    HWND shown = nullptr;
    std::chrono::steady_clock::time_point shownAt;
    const auto messageBoxes = [&] {
        if (HWND box = test::otherDialog(form ? ui.windowOf(*form) : nullptr)) {
            problem += "a message box was shown: " + narrow(test::messageText(box)) + "\n";
            const int safe = ::GetDlgItem(box, IDCANCEL) ? IDCANCEL : ::GetDlgItem(box, IDNO) ? IDNO : IDOK;
            ::PostMessageW(box, WM_COMMAND, safe, 0);
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
             if (const std::string unnamed = unnamedControls(*form, ui); !unnamed.empty())
                 problem += "no accessible name:" + unnamed + "\n";
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

// Photographs the fax preview of a two-page fax image; answers what went wrong ("" when the
// picture was taken).
std::string photographPreview(const std::wstring& file) {
    std::string problem;
    HWND shown = nullptr;
    std::chrono::steady_clock::time_point shownAt;
    Win32FaxPreview preview;
    preview.onShown = [&](HWND window) {
        shown = window;
        shownAt = std::chrono::steady_clock::now();
    };
    test::UserScript script(
        {until([&] { return shown && ::IsWindowVisible(shown); }, "the preview"),
         until([&] { return std::chrono::steady_clock::now() - shownAt > std::chrono::milliseconds(300); },
               "the preview to reach the display"),
         act([&] {
             try {
                 test::saveScreenshot(shown, file);
             } catch (const std::exception& e) {
                 problem += std::string("no picture: ") + e.what() + "\n";
             }
             for (const int id : {preview_id::Pages, preview_id::Zoom, preview_id::Page}) {
                 if (accessibleName(::GetDlgItem(shown, id)).empty())
                     problem += "no accessible name: control " + std::to_string(id) + "\n";
             }
         })},
        [&] {
            if (shown && ::IsWindow(shown)) ::PostMessageW(shown, WM_CLOSE, 0, 0);
        });
    try {
        (void)preview.showFaxPreview({"Z:" TELVORA_TEST_DATA "/two-page-fax.tif", "Ann Okafor", "0893351234", 3});
    } catch (...) {
        const RuntimeError e = currentAsRuntimeError();
        problem += "error " + std::to_string(e.number()) + ": " + e.description() + "\n";
    }
    if (!script.failure().empty()) problem += script.failure() + "\n";
    return problem;
}

}  // namespace

// Photographs every sample at the display scaling this process was started with; `suffix` follows
// each picture's name ("" at 100 %). Answers how many failed.
int photographAll(const std::wstring& folder, const std::string& suffix) {
    int failed = 0;
    const auto report = [&](const std::string& name, const std::string& problem) {
        if (problem.empty()) {
            std::printf("%s.png\n", name.c_str());
        } else {
            ++failed;
            std::printf("%s: FAILED\n%s", name.c_str(), problem.c_str());
        }
        std::fflush(stdout);
    };
    Win32Ui ui;
    for (const auto& sample : testing::dialogSamples()) {
        const std::string name = sample.formName + (sample.variant.empty() ? "" : "-" + sample.variant) + suffix;
        report(name, photograph(sample, ui, folder + L"\\" + widen(name) + L".png"));
    }
    const std::string preview = "FaxPreview" + suffix;
    report(preview, photographPreview(folder + L"\\" + widen(preview) + L".png"));
    return failed;
}

// The display scalings the gallery shows every dialog at, as Windows offers them, and the dots per
// inch each means.
constexpr std::pair<int, DWORD> kScalings[] = {{100, 96}, {150, 144}, {200, 192}};
constexpr const wchar_t* kDesktopKey = L"Control Panel\\Desktop";

// A program takes the screen's dots per inch from the user's desktop setting as it starts: the
// gallery starts itself once per scaling with the setting changed, and puts the setting back.
int photographAtEveryScaling(const std::wstring& folder) {
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    unique_hkey desktop;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, kDesktopKey, 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr,
                          desktop.put(), nullptr) != ERROR_SUCCESS)
        return 102;
    DWORD before = 0;
    DWORD size = sizeof before;
    const bool hadSetting = ::RegQueryValueExW(desktop.get(), L"LogPixels", nullptr, nullptr,
                                               reinterpret_cast<BYTE*>(&before), &size) == ERROR_SUCCESS;
    int failed = 0;
    for (const auto& [percent, dpi] : kScalings) {
        ::RegSetValueExW(desktop.get(), L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof dpi);
        std::wstring command = L"\"";
        command.append(self).append(L"\" \"").append(folder).append(L"\" ").append(std::to_wstring(percent));
        const int code = test::runProgram(command, nullptr, 300000);
        std::printf("at %d %%: %s\n", percent, code == 0 ? "every dialog photographed" : "FAILED");
        failed += code != 0;
    }
    if (hadSetting) {
        ::RegSetValueExW(desktop.get(), L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&before), sizeof before);
    } else {
        ::RegDeleteValueW(desktop.get(), L"LogPixels");
    }
    return failed;
}

}  // namespace telvora::win32

// Usage: telvora_gallery <folder>: every dialog at 100, 150 and 200 % ("<dialog>.png",
// "<dialog>@150.png", "<dialog>@200.png"); telvora_gallery <folder> <percent> photographs at the
// scaling the program was started with, naming the pictures for `percent`.
int wmain(int argc, wchar_t** argv) {
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: telvora_gallery <folder for the pictures> [percent]\n");
        return 100;
    }
    if (FAILED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 101;
    const std::wstring folder = argv[1];
    int failed = 0;
    if (argc == 3) {
        const std::string percent = telvora::win32::narrow(argv[2]);
        std::string suffix;
        if (percent != "100") suffix.append("@").append(percent);
        failed = telvora::win32::photographAll(folder, suffix);
    } else {
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
        failed = telvora::win32::photographAtEveryScaling(folder);
        std::printf("%s\n", failed == 0 ? "gallery: every dialog at every scaling" : "gallery: FAILED");
    }
    ::CoUninitialize();
    return failed;
}
