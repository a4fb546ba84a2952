// Faxing the marked letter through the Fax dialog, for the tests of the host and of the setup program.
#include "word_host/fax_sending.h"

#include <windows.h>

#include "sim/word/document_builder.h"
#include "support.h"
#include "user_script.h"
#include "win32/automation.h"
#include "win32/text.h"

namespace telvora::win32::host {
HWND dialogCaptioned(const wchar_t* caption) {
    HWND dialog = ::FindWindowW(L"#32770", caption);
    return dialog && ::IsWindowVisible(dialog) ? dialog : nullptr;
}

std::vector<HWND> editBoxes(HWND dialog) {
    std::vector<HWND> edits;
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        wchar_t cls[16] = {};
        ::GetClassNameW(child, cls, 16);
        if (std::wstring(cls) == L"Edit") edits.push_back(child);
    }
    return edits;
}

HWND childWithText(HWND dialog, const std::wstring& text) {
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (test::windowTextOf(child) == text) return child;
    }
    return nullptr;
}

std::shared_ptr<sim::WordProcessor> wordOnThisMachine(std::shared_ptr<sim::PrinterDriver> faxDriver) {
    auto word = std::make_shared<sim::WordProcessor>(sim::WordProcessorOptions{sim::MachinePaths("C:\\")});
    word->installPrinter("Office Laser");
    word->installPrinter("Telvora Fax", std::move(faxDriver));
    return word;
}

sim::DocumentModel markedLetter() {
    return sim::DocumentBuilder("Letter.doc")
        .styled("tlvRecipientName", "Ann Okafor")
        .text("\r")
        .styled("tlvFaxNumber", "(02) 9876 5432")
        .text("\r")
        .styled("tlvSubject", "Quote 42")
        .text("\rPlease find our quote below.")
        .build();
}

FaxDialogRun faxFromTheDialog() {
    FaxDialogRun run;
    HWND dialog = nullptr;
    test::UserScript user(
        {test::until([&] { return (dialog = dialogCaptioned(L"Fax")) != nullptr; }, "the Fax dialog"),
         test::act([&] {
             for (HWND edit : editBoxes(dialog)) run.shown.push_back(narrow(test::windowTextOf(edit)));
             ::PostMessageW(childWithText(dialog, L"&Fax"), BM_CLICK, 0, 0);
         })},
        [] {
            if (HWND left = dialogCaptioned(L"Fax")) ::PostMessageW(left, WM_CLOSE, 0, 0);
        });
    Win32Automation automation;
    (void)automation.create("Telvora.Buttons")->call("cmdFax");
    run.failure = user.failure();
    return run;
}

}  // namespace telvora::win32::host
