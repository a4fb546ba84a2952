// A fax sent from inside the Word-like host, as a user sends one: the template's macro calls the
// fax command, the real confirmation dialog comes up and is answered at its window, Word prints the
// letter to the fax printer, and the shared fax server (the recording double registered as the
// extended fax service's objects) receives the job; the user's printer is back and the temporary
// file gone afterwards.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "support.h"
#include "win32/text.h"
#include "word_host/fax_sending.h"
#include "word_host/machine_setup.h"
#include "word_host/shared_fax_office.h"
#include "message_boxes.h"
#include "word_host/word_host.h"

namespace telvora::win32 {
namespace {

using Lines = std::vector<std::string>;

class WordHostFaxTest : public ::testing::Test, protected host::SharedFaxOffice {};

TEST_F(WordHostFaxTest, TheFaxMacroSendsTheMarkedLetterThroughTheConfirmationDialogToTheSharedFaxServer) {
    ASSERT_TRUE(faxPrinter.installed());
    host.loadAddins();
    word->activateWindow("Letter.doc");
    ASSERT_TRUE(messages.texts().empty()) << messages.texts().front();

    const host::FaxDialogRun sent = host::faxFromTheDialog();
    EXPECT_EQ(sent.failure, "");
    EXPECT_TRUE(messages.texts().empty()) << messages.texts().front();

    // Name, company, number, subject, and no copies to file.
    EXPECT_EQ(sent.shown, (Lines{"Ann Okafor", "", "(02) 9876 5432", "Quote 42", "0"}));
    ASSERT_FALSE(word->prints().empty());
    const sim::PrintRecord& print = word->prints()[0];
    EXPECT_EQ(print.printer, "Telvora Fax");
    const std::string file = print.argument("OutputFileName").value_or(Variant()).toString();
    EXPECT_TRUE(file.ends_with("\\Pagewire.tif")) << file;
    EXPECT_FALSE(std::filesystem::exists(widen(file))) << "the faxed document was left in the temporary folder";
    EXPECT_EQ(word->activePrinter(), "Office Laser");

    const Lines calls = faxService.calls();
    const auto has = [&](const std::string& line) { return std::find(calls.begin(), calls.end(), line) != calls.end(); };
    EXPECT_TRUE(has("member=Connect positional=[BSTR:SBS01] named=[]"));
    EXPECT_TRUE(has("member=Body positional=[] named=[<put>=BSTR:" + file + "]"));
    EXPECT_TRUE(has("member=Add positional=[BSTR:0298765432,BSTR:Ann Okafor] named=[]"));
    EXPECT_TRUE(has("member=Subject positional=[] named=[<put>=BSTR:Quote 42]"));
    const auto submit = std::find(calls.begin(), calls.end(), "member=ConnectedSubmit positional=[DISPATCH:object] named=[]");
    ASSERT_NE(submit, calls.end());
    // Following starts at once: it connects to ask the server for its events, which this one has not.
    EXPECT_EQ(Lines(submit + 1, calls.end()), Lines{"member=Connect positional=[BSTR:SBS01] named=[]"});
    host.unloadAddins();
}

// The add-in asks the fax server after the fax every five seconds while Word is idle: each time,
// the recording server's job has moved on, and Word's status bar tells each step in one line.
TEST_F(WordHostFaxTest, TheFaxIsFollowedOnWordsStatusBarUntilTheFaxServerHasSentIt) {
    test::ScopedEnvironment course{L"TELVORA_RECORDER_LONGS",
                                   L"Status=2,2,256;ExtendedStatusCode=3,4,0;CurrentPage=0,1,1;Pages=1"};
    host.loadAddins();
    word->activateWindow("Letter.doc");
    ASSERT_EQ(host::faxFromTheDialog().failure, "");
    const std::string sent = "Fax to Ann Okafor: sent at ";
    EXPECT_TRUE(host::idleUntil([&] { return word->statusBar().starts_with(sent); }, 40'000)) << word->statusBar();
    // An earlier fax of this session to the same server is followed alongside: it tells the same steps.
    Lines told;
    for (const auto& line : word->statusBarTexts()) {
        const std::string step = line.starts_with(sent) ? sent : line;
        if (step.starts_with("Fax to ") && (told.empty() || told.back() != step)) told.push_back(step);
    }
    EXPECT_EQ(told, (Lines{"Fax to Ann Okafor: dialling", "Fax to Ann Okafor: sending page 1 of 1", sent}));
    host.unloadAddins();
}

// Where the fax server raises its server events, each change reaches the status bar as the server
// tells it: the add-in then asks the server only once a minute on its own, so a fax sent within a
// few seconds was followed by the events. Unloading ends the subscription.
TEST_F(WordHostFaxTest, TheFaxServersEventsBringEachStepToTheStatusBarAtOnce) {
    test::ScopedEnvironment course{L"TELVORA_RECORDER_LONGS",
                                   L"Status=2,2,256;ExtendedStatusCode=3,4,0;CurrentPage=0,1,1;Pages=1"};
    test::ScopedEnvironment events{L"TELVORA_RECORDER_EVENTS", L"1"};
    host.loadAddins();
    word->activateWindow("Letter.doc");
    ASSERT_EQ(host::faxFromTheDialog().failure, "");
    const std::string sent = "Fax to Ann Okafor: sent at ";
    EXPECT_TRUE(host::idleUntil([&] { return word->statusBar().starts_with(sent); }, 4'000)) << word->statusBar();
    host.unloadAddins();
    const Lines calls = faxService.calls();
    const auto has = [&](const std::string& line) { return std::find(calls.begin(), calls.end(), line) != calls.end(); };
    EXPECT_TRUE(has("member=ListenToServerEvents positional=[I4:66] named=[]"));
    EXPECT_TRUE(has("unadvise"));
    EXPECT_TRUE(has("member=ListenToServerEvents positional=[I4:0] named=[]"));
}

}  // namespace
}  // namespace telvora::win32
