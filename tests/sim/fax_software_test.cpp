// The simulated fax software behaves as the real software does where the add-in relies on it:
// what can be created, what a submission needs, what it keeps of a fax, and how it fails.
#include "sim/fax_software.h"

#include <gtest/gtest.h>

#include "sim/sim_machine.h"
#include "support/error_number.h"
#include "base/text.h"
#include "support/sim_addin.h"

namespace telvora::sim {
namespace {

using testing::errorOf;
using Object = std::shared_ptr<AutomationObject>;
const std::string kImage("II*\0fax image", 13);

class FaxSoftwareTest : public ::testing::Test {
protected:
    FaxSoftwareTest() {
        machine.setComputerName("PC1");
        machine.platform.writeFile("C:\\Temp\\Pagewire.tif", kImage);
    }

    Object create(const std::string& progId) { return machine.automation.create(progId); }
    Object connectedExtendedServer(const std::string& name) {
        auto server = create("FAXCOMEX.FaxServer");
        server->call("Connect", {Variant(name)});
        return server;
    }
    // A document for one recipient, ready to submit.
    Object extendedDocument() {
        auto doc = create("FAXCOMEX.FaxDocument");
        doc->put("Body", Variant("C:\\Temp\\Pagewire.tif"));
        doc->get("Recipients").toObject()->call("Add", {Variant("0123 4567"), Variant("Ann Smith")});
        doc->put("Subject", Variant("Quote 42"));
        return doc;
    }

    testing::ScratchFolder scratch;
    SimMachine machine{scratch.path()};
    FaxSoftware& fax = machine.fax;
};

TEST_F(FaxSoftwareTest, OnlyInstalledSoftwareCanBeCreatedAndItsIdentifiersIgnoreCase) {
    const char* all[] = {"FaxServer.FaxServer", "FAXCOMEX.FaxServer", "FAXCOMEX.FaxDocument", "WinFax.SDKSend8.0",
                         "WinFax.SDKSend"};
    for (const char* progId : all) EXPECT_EQ(errorOf([&] { create(progId); }), err::CannotCreateObject) << progId;
    fax.faxServiceInstalled = fax.extendedFaxInstalled = fax.winFaxInstalled = true;
    for (const char* progId : all) EXPECT_NE(create(lowerAscii(progId)), nullptr) << progId;
    EXPECT_EQ(errorOf([&] { create("FAXCOMEX.FaxServer.1x"); }), err::CannotCreateObject);
}

TEST_F(FaxSoftwareTest, AMemberTheSoftwareLacksFailsAsLateBindingDoes) {
    fax.extendedFaxInstalled = true;
    auto server = create("FAXCOMEX.FaxServer");
    EXPECT_EQ(errorOf([&] { server->call("Conect", {Variant("PC1")}); }), err::MemberNotFound);
    EXPECT_EQ(errorOf([&] { server->put("ServerName", Variant("PC1")); }), err::MemberNotFound);
    EXPECT_EQ(errorOf([&] { server->call("Connect"); }), 449) << "the server name is not optional";
    EXPECT_EQ(errorOf([&] { server->call("GetDevices"); }), fax_error::NotConnected) << "asked before connecting";
    EXPECT_EQ(errorOf([&] { server->call("connect", {Variant("pc1")}); }), 0);
}

TEST_F(FaxSoftwareTest, TheOldFaxServiceRefusesAMissingFileAndAFailingServiceQueuesNothing) {
    fax.faxServiceInstalled = true;
    auto server = create("FaxServer.FaxServer");
    server->call("Connect", {}, {{"ServerName", Variant("PC1")}});
    EXPECT_EQ(errorOf([&] { server->call("CreateDocument", {Variant("C:\\Temp\\missing.tif")}); }),
              fax_error::FileNotFound);
    EXPECT_EQ(errorOf([&] { server->call("CreateDocument", {Variant("")}); }), fax_error::FileNotFound);
    fax.submissionRefused = fax_error::InvalidData;
    auto doc = server->call("CreateDocument", {Variant("C:\\Temp\\Pagewire.tif")}).toObject();
    EXPECT_EQ(errorOf([&] { doc->call("Send"); }), fax_error::InvalidData);
    EXPECT_TRUE(fax.jobs.empty());
}

TEST_F(FaxSoftwareTest, TheExtendedFaxServiceKeepsScheduleAndReceiptOfEachFax) {
    machine.runWindows(windows::XP);  // still delivers pop-up receipts
    fax.extendedFaxInstalled = true;
    fax.reachableServers = {"SBS01"};
    auto server = connectedExtendedServer("sbs01");
    const struct {
        std::int32_t scheduleType;
        std::int32_t receiptType;
        const char* schedule;
        ReceiptKind receipt;
        const char* address;
    } cases[] = {{0, 0, "Now", ReceiptKind::None, ""},
                 {2, 4, "Discount", ReceiptKind::PopUp, ""},
                 {1, 1, "12/25/2008 2:30:00 PM", ReceiptKind::Email, "ann@example.com"}};
    for (const auto& c : cases) {
        auto doc = extendedDocument();
        doc->put("ScheduleTime", Variant("12/25/2008 2:30:00 PM"));
        doc->put("ScheduleType", Variant(c.scheduleType));
        doc->put("ReceiptType", Variant(c.receiptType));
        doc->put("ReceiptAddress", Variant("ann@example.com"));
        // A text put into the Date property is read as the service reads it (here in English (US)).
        const Variant ids = doc->call("ConnectedSubmit", {Variant(server)});
        const SubmittedFax& job = fax.jobs.back();
        ASSERT_EQ(ids.elements().size(), 1u) << "one job identifier per recipient";
        EXPECT_EQ(ids.elements()[0], Variant(job.jobId));
        EXPECT_EQ(job.server, "sbs01");
        EXPECT_EQ(job.number, "0123 4567");
        EXPECT_EQ(job.recipient, "Ann Smith");
        EXPECT_EQ(job.subject, "Quote 42");
        EXPECT_EQ(std::tie(job.schedule, job.receipt, job.receiptAddress), std::tie(c.schedule, c.receipt, c.address));
        EXPECT_EQ(job.body, kImage);
    }
    EXPECT_EQ(fax.jobs.size(), 3u);

    // From Windows Vista on the service delivers no pop-up receipt and refuses to be asked for one.
    machine.runWindows(windows::W10);
    auto doc = extendedDocument();
    doc->put("ReceiptType", Variant(std::int32_t{4}));
    EXPECT_EQ(errorOf([&] { doc->call("ConnectedSubmit", {Variant(server)}); }), fax_error::InvalidParameter);
    // A value the Date property cannot take is refused as a type-library server refuses it.
    EXPECT_EQ(errorOf([&] { doc->put("ScheduleTime", Variant("next Tuesday")); }), err::TypeMismatch);
}

TEST_F(FaxSoftwareTest, AnUnreachableServerRefusesTheConnection) {
    fax.extendedFaxInstalled = true;
    fax.reachableServers = {"SBS01"};
    auto server = create("FAXCOMEX.FaxServer");
    try {
        server->call("Connect", {Variant("SBS02")});
        ADD_FAILURE() << "an unknown server answered";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), -2147023174);
        EXPECT_EQ(e.description(), "The RPC server is unavailable.");
    }
    fax.localServiceAnswers = false;
    EXPECT_EQ(errorOf([&] { server->call("Connect", {Variant("PC1")}); }), fax_error::RpcServerUnavailable);
    EXPECT_EQ(errorOf([&] { server->call("Connect", {Variant("SBS01")}); }), 0);
}

TEST_F(FaxSoftwareTest, AServerWithoutNotificationsRefusesAReceiptButTakesTheFaxWithoutOne) {
    fax.extendedFaxInstalled = true;
    fax.receiptsRefused = true;
    auto server = connectedExtendedServer("");
    auto doc = extendedDocument();
    doc->put("ReceiptType", Variant(std::int32_t{4}));
    EXPECT_EQ(errorOf([&] { doc->call("ConnectedSubmit", {Variant(server)}); }), fax_error::UnsupportedType);
    EXPECT_TRUE(fax.jobs.empty());
    doc->put("ReceiptType", Variant(std::int32_t{0}));
    doc->call("ConnectedSubmit", {Variant(server)});
    ASSERT_EQ(fax.jobs.size(), 1u);
    EXPECT_EQ(fax.jobs[0].server, "PC1") << "an empty name is this computer";
}

TEST_F(FaxSoftwareTest, ASubmissionIsRefusedForAMissingBodyAnUnconnectedServerOrWhenTheSwitchSays) {
    fax.extendedFaxInstalled = true;
    auto doc = extendedDocument();
    EXPECT_EQ(errorOf([&] { doc->call("ConnectedSubmit", {Variant(create("FAXCOMEX.FaxServer"))}); }),
              fax_error::NotConnected);
    auto server = connectedExtendedServer("PC1");
    for (std::int32_t refusal : {fax_error::InvalidData, fax_error::NoAssociation, std::int32_t{-2147467259}}) {
        fax.submissionRefused = refusal;
        EXPECT_EQ(errorOf([&] { doc->call("ConnectedSubmit", {Variant(server)}); }), refusal);
    }
    fax.submissionRefused.reset();
    doc->put("Body", Variant("C:\\Temp\\gone.tif"));
    EXPECT_EQ(errorOf([&] { doc->call("ConnectedSubmit", {Variant(server)}); }), fax_error::FileNotFound);
    EXPECT_TRUE(fax.jobs.empty());
}

TEST_F(FaxSoftwareTest, WinFaxTakesThePrintOnlyAfterSendingAndTheAskedNumberOfPolls) {
    fax.winFaxInstalled = true;
    fax.winFaxPollsBeforeReady = 3;
    fax.winFaxPollsBeforeFiled = 1;
    auto winfax = create("WinFax.SDKSend8.0");
    EXPECT_EQ(winfax->call("IsReadyToPrint"), Variant(std::int16_t{0})) << "nothing was sent yet";
    winfax->call("SetClientID", {Variant("Client Name")});
    winfax->call("SetDate", {Variant("12/25/08")});
    winfax->call("SetTime", {Variant("14:30:00")});
    winfax->call("SetNumber", {Variant("9091234567")});
    winfax->call("SetSubject", {Variant("Quote 42")});
    winfax->call("SetCompany", {Variant("Smith & Co")});
    winfax->call("SetTo", {Variant("Ann Smith")});
    winfax->call("AddRecipient");
    winfax->call("SetPrintFromApp", {Variant(std::int16_t{1})});
    winfax->call("ShowSendScreen", {Variant(std::int16_t{0})});
    EXPECT_EQ(winfax->call("Send", {Variant(std::int16_t{1})}), Variant(std::int16_t{0}));
    for (int i = 0; i < 3; ++i) EXPECT_EQ(winfax->call("IsReadyToPrint"), Variant(std::int16_t{0})) << i;
    EXPECT_EQ(winfax->call("IsReadyToPrint"), Variant(std::int16_t{1}));
    EXPECT_EQ(winfax->call("IsEntryIDReady", {Variant(std::int16_t{0})}), Variant(std::int16_t{0}));
    EXPECT_EQ(winfax->call("IsEntryIDReady", {Variant(std::int16_t{0})}), Variant(std::int16_t{1}));

    ASSERT_EQ(fax.jobs.size(), 1u);
    const SubmittedFax& job = fax.jobs[0];
    EXPECT_EQ(job.number, "9091234567");
    EXPECT_EQ(job.company, "Smith & Co");
    EXPECT_EQ(job.subject, "Quote 42");
    EXPECT_EQ(job.schedule, "12/25/08 14:30:00");
    EXPECT_TRUE(job.bodyPrintedByApplication);
}

TEST_F(FaxSoftwareTest, WinFaxSendsAnAttachedFileOffPeakAndNothingWithoutARecipient) {
    fax.winFaxInstalled = true;
    auto winfax = create("WinFax.SDKSend");
    winfax->call("SetNumber", {Variant("555")});
    winfax->call("AddAttachmentFile", {Variant("C:\\Temp\\Pagewire.tif")});
    EXPECT_EQ(winfax->call("Send", {Variant(std::int16_t{0})}), Variant(std::int16_t{1})) << "no recipient added";
    EXPECT_TRUE(fax.jobs.empty());
    winfax->call("AddRecipient");
    winfax->call("SetOffPeak", {Variant(std::int16_t{1})});
    winfax->call("Send", {Variant(std::int16_t{0})});
    ASSERT_EQ(fax.jobs.size(), 1u);
    EXPECT_EQ(fax.jobs[0].schedule, "Discount");
    EXPECT_EQ(fax.jobs[0].body, kImage);
    EXPECT_FALSE(fax.jobs[0].bodyPrintedByApplication);
}

}  // namespace
}  // namespace telvora::sim
