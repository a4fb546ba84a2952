// A HylaFAX server chosen and used as a user does it in the real DLL, under Wine: the setup
// dialog's fourth choice refuses a port that is none and stores the server, and the fax command in
// the Word-like host prints the marked letter and queues it on the private HylaFAX server the
// tests start (its queue files read through Wine's drive Z:).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support.h"
#include "support/hylafax_queue.h"
#include "user_script.h"
#include "core/settings.h"
#include "win32/automation.h"
#include "win32/registry_settings_store.h"
#include "win32/text.h"
#include "word_host/fax_sending.h"
#include "word_host/shared_fax_office.h"
#include "word_host/word_host.h"

namespace telvora::win32 {
namespace {

using Lines = std::vector<std::string>;

const std::string kImageFile = "Z:" TELVORA_TEST_DATA "/two-page-fax.tif";

// The fax printer writes the same two-page fax image for every print, as a fax driver writes one.
class FaxImageDriver final : public sim::PrinterDriver {
public:
    void printToFile(const sim::PrintJob&, const std::filesystem::path& file) override {
        std::ofstream(file, std::ios::binary) << telvora::testing::fileText(kImageFile);
    }
};

std::string stored(const std::string& key) { return RegistrySettingsStore().GetSetting(kAppName, kSectionName, key); }

class WordHostHylafaxTest : public ::testing::Test, protected host::FaxReadyMachine {};

TEST_F(WordHostHylafaxTest, TheSetupDialogStoresTheHylafaxServerOnceItsPortIsOne) {
    host::StoredSetting faxType{"FaxType", "1"};
    host::StoredSetting host{"HylafaxHost", ""};
    host::StoredSetting port{"HylafaxPort", ""};
    host::StoredSetting user{"HylafaxUser", ""};
    ASSERT_TRUE(faxPrinter.installed());
    HWND dialog = nullptr;
    // The edit boxes in the order of the dialog: server name, HylaFAX host, port, user, prefix, copies.
    const auto type = [&](int box, const wchar_t* text) {
        ::SendMessageW(host::editBoxes(dialog).at(box), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
    };
    test::UserScript script(
        {test::until([&] { return (dialog = host::dialogCaptioned(L"Telvora Settings")) != nullptr; }, "the settings dialog"),
         test::act([&] {
             ::SendMessageW(host::childWithText(dialog, L"HylaFAX server"), BM_CLICK, 0, 0);
             type(1, L" fax.example ");
             type(2, L"70000");
             type(3, L"clerk");
             ::PostMessageW(host::childWithText(dialog, L"&OK"), BM_CLICK, 0, 0);
         }),
         test::until([&] { return messages.texts().size() == 1; }, "the message about the port"),
         test::act([&] {
             type(2, L"4600");
             ::PostMessageW(host::childWithText(dialog, L"&OK"), BM_CLICK, 0, 0);
         }),
         test::until([&] { return host::dialogCaptioned(L"Telvora Settings") == nullptr; }, "the dialog to close")},
        [] {
            if (HWND left = host::dialogCaptioned(L"Telvora Settings")) ::PostMessageW(left, WM_CLOSE, 0, 0);
        });
    Win32Automation automation;
    (void)automation.create("Telvora.Buttons")->call("ToolsPrinter");
    EXPECT_EQ(script.failure(), "");
    EXPECT_EQ(messages.texts(), Lines{"The HylaFAX server's port must be a number from 1 to 65535 (usually 4559)."});
    EXPECT_EQ(stored("FaxType"), "4");
    EXPECT_EQ(stored("HylafaxHost"), "fax.example");
    EXPECT_EQ(stored("HylafaxPort"), "4600");
    EXPECT_EQ(stored("HylafaxUser"), "clerk");
}

TEST_F(WordHostHylafaxTest, TheFaxMacroQueuesTheMarkedLetterOnTheRealServer) {
    const auto spool = telvora::testing::HylafaxSpool::find("Z:");
    if (!spool) GTEST_SKIP() << "SKIPPED: no HylaFAX server was started (see the output of hylafax_server_start)";
    host::StoredSetting faxType{"FaxType", "4"};
    host::StoredSetting host{"HylafaxHost", "127.0.0.1"};
    host::StoredSetting port{"HylafaxPort", std::to_string(spool->port)};
    host::StoredSetting user{"HylafaxUser", "clerk"};
    auto word = host::wordOnThisMachine(std::make_shared<FaxImageDriver>());
    word->open(host::markedLetter());
    host::WordHost wordHost{word};
    wordHost.loadAddins();
    word->activateWindow("Letter.doc");

    const host::FaxDialogRun sent = host::faxFromTheDialog();
    EXPECT_EQ(sent.failure, "");
    EXPECT_TRUE(messages.texts().empty()) << messages.texts().front();
    ASSERT_FALSE(word->prints().empty());
    const std::string file = word->prints()[0].argument("OutputFileName").value_or(Variant()).toString();
    EXPECT_FALSE(std::filesystem::exists(widen(file))) << "the faxed document was left in the temporary folder";
    EXPECT_EQ(word->activePrinter(), "Office Laser");

    // The newest job queued for this letter's number is this fax.
    std::string jobId;
    for (const auto& entry : std::filesystem::directory_iterator(spool->path + "/sendq")) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with("q") && spool->queued(name.substr(1))["number"] == "0298765432" &&
            (jobId.empty() || std::stoi(name.substr(1)) > std::stoi(jobId)))
            jobId = name.substr(1);
    }
    ASSERT_FALSE(jobId.empty()) << "no job for 0298765432 in " << spool->path << "/sendq";
    const HylafaxFax expected{telvora::testing::fileText(kImageFile), "0298765432", "Ann Okafor", "", "Quote 42", {}, ""};
    telvora::testing::expectQueuedAsSent(*spool, jobId, expected);
    wordHost.unloadAddins();
}

}  // namespace
}  // namespace telvora::win32
