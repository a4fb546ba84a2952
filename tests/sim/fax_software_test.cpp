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

// What each fax keeps of its schedule and receipt is the fax adapters' test; here what the service
// refuses.
TEST_F(FaxSoftwareTest, TheExtendedFaxServiceRefusesAPopUpReceiptWhereNoneIsDeliveredAndATextForADate) {
    fax.extendedFaxInstalled = true;
    auto server = connectedExtendedServer("");
    // From Windows Vista on the service delivers no pop-up receipt and refuses to be asked for one.
    machine.runWindows(windows::W10);
    auto doc = extendedDocument();
    doc->put("ReceiptType", Variant(std::int32_t{4}));
    EXPECT_EQ(errorOf([&] { doc->call("ConnectedSubmit", {Variant(server)}); }), fax_error::InvalidParameter);
    // A value the Date property cannot take is refused as a type-library server refuses it.
    EXPECT_EQ(errorOf([&] { doc->put("ScheduleTime", Variant("next Tuesday")); }), err::TypeMismatch);
    EXPECT_TRUE(fax.jobs.empty());
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
