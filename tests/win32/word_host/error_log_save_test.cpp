// The fax merge's error log saved as a user saves it on Windows: the real "Error Log" dialog, its
// Save As button, the common save dialog answered at its window, and the file on disk in the
// system's ANSI code page with CR LF line ends, whatever the names in the customer list hold.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "support/memory_settings_store.h"
#include "merge/error_log.h"
#include "support.h"
#include "user_script.h"
#include "win32/automation.h"
#include "win32/text.h"
#include "win32/win32_platform.h"
#include "win32/win32_ui.h"
#include "sim/word/word_processor.h"

#include <dlgs.h>

namespace telvora::win32 {
namespace {

using test::act;
using test::until;

HWND childWithText(HWND dialog, const std::wstring& text) {
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (test::windowTextOf(child) == text) return child;
    }
    return nullptr;
}

std::string bytesOf(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(ErrorLogOnWindows, SaveAsWritesTheHeadingRuleAndEntriesInTheAnsiCodePage) {
    if (!::GetEnvironmentVariableW(L"DISPLAY", nullptr, 0)) GTEST_SKIP() << "no display";
    // The bytes below are Windows-1252's, the code page of a Western European system.
    ASSERT_EQ(1252u, ::GetACP());

    const std::wstring file = test::scratchFile(L"telvora-errors") + L".txt";
    ::DeleteFileW(file.c_str());

    testing::MemorySettingsStore settings;
    Win32Automation automation;
    Win32Ui ui;
    Win32Platform platform;
    Addin addin{Ports{settings, automation, ui, platform}};
    addin.setWord(std::make_shared<sim::WordProcessor>(sim::WordProcessorOptions{sim::MachinePaths("C:\\")}));

    // A name with letters the code page has, and a company with one it has nothing like.
    const std::string entry = ErrorLogEntry(kInvalidNumberReason, "Zo\xC3\xAB \xC3\x85ngstr\xC3\xB6m",
                                            "\xE6\x9D\xB1 Tiles", "Price list", "call office");
    frmErrorLog log{addin};
    log.load();
    log.lstLog.addItem(entry);

    HWND logWindow = nullptr;
    HWND saveDialog = nullptr;
    test::UserScript user(
        {until([&] { return (logWindow = ::FindWindowW(L"#32770", L"Error Log")) != nullptr; }, "the error log"),
         act([&] { ::PostMessageW(childWithText(logWindow, L"&Save As"), BM_CLICK, 0, 0); }),
         until([&] { return (saveDialog = test::otherDialog(logWindow)) != nullptr; }, "the save dialog"),
         act([&] { EXPECT_EQ(L"Save Errorlog As", test::windowTextOf(saveDialog)); }),
         act([&] {
             HWND box = ::GetDlgItem(saveDialog, cmb13);
             if (!box) box = ::GetDlgItem(saveDialog, edt1);
             ::SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(file.c_str()));
             ::PostMessageW(saveDialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
         }),
         until([&] { return ::GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES && !::IsWindow(saveDialog); },
               "the saved file"),
         act([&] { ::PostMessageW(childWithText(logWindow, L"&Cancel"), BM_CLICK, 0, 0); }),
         until([&] { return !::IsWindowVisible(logWindow); }, "the error log closed by Cancel")},
        [&] {
            if (saveDialog && ::IsWindow(saveDialog)) ::PostMessageW(saveDialog, WM_COMMAND, IDCANCEL, 0);
            log.hide();
        });
    log.showModal(ui);
    EXPECT_EQ("", user.failure());
    EXPECT_EQ(errorlog::Cancel, log.tag());

    const std::string saved = bytesOf(file);
    ::DeleteFileW(file.c_str());
    std::string expectedEntry = entry;
    const auto replace = [&](const std::string& utf8, const std::string& ansi) {
        expectedEntry.replace(expectedEntry.find(utf8), utf8.size(), ansi);
    };
    replace("\xC3\xAB", "\xEB");
    replace("\xC3\x85", "\xC5");
    replace("\xC3\xB6", "\xF6");
    replace("\xE6\x9D\xB1", "?");
    EXPECT_EQ(ErrorLogHeading() + "\r\n" + ErrorLogRule() + "\r\n" + expectedEntry + "\r\n", saved);
}

}  // namespace
}  // namespace telvora::win32
