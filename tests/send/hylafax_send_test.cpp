// Faxing through a HylaFAX server as a user meets it: a marked letter confirmed and queued on the
// (fake) server with the job's details, a given time in universal time, the receipt address, and
// every failure told in the user's terms with the printer and the temporary folder as they were.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>

#include "send/fax_commands.h"
#include "send/send_fax.h"
#include "sim/posix_network.h"
#include "support/fake_hylafax_server.h"
#include "support/faxing.h"

namespace telvora {
namespace {

using Lines = std::vector<std::string>;
using sim::click;
using testing::FakeServer;
using testing::kFaxFile;
using testing::kUsersPrinter;

// A fine-resolution fax image header, as the fax printer writes it.
const std::string kImage = std::string("II*\0\x08\0\0\0\x01\0\x1b\x01\x05\0\x01\0\0\0\x1a\0\0\0\0\0\0\0\xc4\0\0\0\x01\0\0\0", 34);
constexpr const char* kHylafaxPrinter = "HylaFAX Printer";

class FaxImageDriver final : public sim::PrinterDriver {
public:
    void printToFile(const sim::PrintJob&, const std::filesystem::path& file) override {
        std::ofstream(file, std::ios::binary) << kImage;
    }
};

class HylafaxSendTest : public testing::FaxingTest {
protected:
    HylafaxSendTest() {
        hylafax.setWord(word);
        word->installPrinter(kHylafaxPrinter, std::make_shared<FaxImageDriver>());
        machine.setPrinters({kUsersPrinter, testing::kFaxPrinter, testing::kCopyPrinter, kHylafaxPrinter});
        save(keys::Printer, kHylafaxPrinter);
        save(keys::FaxType, "4");
        save(keys::HylafaxHost, "127.0.0.1");
        save(keys::HylafaxPort, std::to_string(server.port()));
        save(keys::HylafaxUser, "clerk");
        openLetter();
    }
    // The job's parameters as the server was told them ("DIALSTRING \"0029876\"").
    Lines parameters() {
        server.finish();
        Lines told;
        for (const auto& c : server.commands)
            if (c.starts_with("JPARM ")) told.push_back(c.substr(6));
        return told;
    }
    void expectMachineAsBefore() {
        EXPECT_EQ(word->activePrinter(), kUsersPrinter);
        EXPECT_FALSE(platform.fileExists(kFaxFile));
    }

    FakeServer server;
    sim::PosixNetwork network;
    Addin hylafax{Ports{store, automation, user, platform, &machine.dateTimes, nullptr, &network}};
    FaxJob job{"(02) 98 76", "Ann\rOkafor", "Okafor & Sons", "Quote 42", {}};
};

TEST_F(HylafaxSendTest, AConfirmedLetterIsQueuedOnTheServerWithTheSavedEmailReceipt) {
    save(keys::DialOutLine, "0");
    save(keys::YnoSave, "1");
    save(keys::Email, "True");
    save(keys::EmailAddress, " ann@okafor.example ");
    fileCopies(2);
    user.onForm("frmSendConfirm", {click("cmdFaxOnly")});
    FaxCommand(hylafax);

    EXPECT_TRUE(user.messages().empty());
    EXPECT_EQ(server.upload, kImage) << "the fax printer's image is what was uploaded";
    EXPECT_EQ(parameters(), (Lines{"DIALSTRING \"00298765432\"", "TOUSER \"Ann Okafor\"", "TOCOMPANY \"Okafor & Sons\"",
                                   "REGARDING \"Quote 42\"", "SENDTIME NOW", "LASTTIME 000300",
                                   "NOTIFYADDR \"ann@okafor.example\"", "NOTIFY DONE", "VRES 196",
                                   "DOCUMENT /tmp/doc9.tif"}));
    const Lines prints = printLines();
    ASSERT_EQ(prints.size(), 2u);
    EXPECT_EQ(prints[1], "Filing Copier: Copies:=I2:2, PrintToFile:=BOOL:False, Range:=I4:0, Background:=BOOL:False");
    expectMachineAsBefore();
}

TEST_F(HylafaxSendTest, AGivenTimeIsSentInUniversalTimeAndTheJobIdComesBack) {
    platform.zoneOffset = std::chrono::minutes(60);  // the machine's clock is an hour ahead
    const SendOutcome outcome = SendFax(hylafax, job, "06-Dec-2026 03:30:07 PM", "Email:  ann@okafor.example ");
    EXPECT_TRUE(outcome.sent());
    EXPECT_EQ(outcome.jobIds, Lines{"42"});
    const Lines told = parameters();
    EXPECT_NE(std::find(told.begin(), told.end(), "SENDTIME 202612061430"), told.end());
    EXPECT_NE(std::find(told.begin(), told.end(), "NOTIFYADDR \"ann@okafor.example\""), told.end())
        << "the address asked for with this fax";
    expectMachineAsBefore();
}

TEST_F(HylafaxSendTest, TheDiscountPeriodIsRefusedBeforeAnythingIsPrintedOrSent) {
    EXPECT_TRUE(SendFax(hylafax, job, "Discount", "").endsRun) << "every record of a merge would be refused alike";
    ASSERT_EQ(user.messages().size(), 1u);
    EXPECT_EQ(user.messages()[0].prompt,
              "The HylaFAX fax server cannot send a fax \"When discount applies\": it keeps no discount period that "
              "Telvora could ask for. Please schedule the fax \"Now\" or at a time you specify, and send it again.");
    EXPECT_TRUE(word->prints().empty());
    server.finish();
    EXPECT_TRUE(server.commands.empty()) << "the server was never called";
}

// Each refusal's reason is the client's test; here what the sending step makes of one.
TEST_F(HylafaxSendTest, AFailureIsToldWithTheServersReasonAndLeavesTheMachineAsItWas) {
    FakeServer failing(std::map<std::string, std::string>{{"JPARM DIALSTRING", "503 Bad dialstring."}});
    save(keys::HylafaxPort, std::to_string(failing.port()));
    job.filing = FilingCopies{true, testing::kCopyPrinter, 1};
    const SendOutcome outcome = SendFax(hylafax, job, "Now", "");
    const std::string told =
        "The fax server 127.0.0.1:" + std::to_string(failing.port()) + " refused the number: 503 Bad dialstring.";
    EXPECT_EQ(onlyMessage().prompt, "The fax to 029876 was not sent.\r\n\r\n" + told);
    EXPECT_EQ(outcome.why, told);
    EXPECT_EQ(word->prints().size(), 1u) << "the fax image only: no filing copies of a fax not sent";
    expectMachineAsBefore();
}

}  // namespace
}  // namespace telvora
