// The three fax adapters as the fax software sees them: the fax each queues (number, recipient,
// schedule, receipt, body), what it answers the caller (the jobs' identifiers, stopped, failed), the
// types the fax software is given where they matter, and what the user and a macro are told when
// the fax software refuses.
#include "backends/fax_adapters.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "support/error_number.h"
#include "support/fax_calls.h"
#include "support/recording_automation.h"
#include "support/sim_addin.h"

namespace telvora {
namespace {

using Lines = std::vector<std::string>;
using sim::fax_error::UnsupportedType;
const std::string kImage("II*\0fax image", 13);
constexpr const char* kTif = "C:\\Temp\\Pagewire.tif";

class FaxAdapterTest : public testing::SimAddinTest {
protected:
    FaxAdapterTest() {
        machine.setComputerName("SIMPC");
        platform.writeFile(kTif, kImage);
        fax.faxServiceInstalled = fax.extendedFaxInstalled = fax.winFaxInstalled = true;
    }

    // A fax as the sending step fills it.
    static FaxDetails details(const std::string& server = "SIMPC") {
        FaxDetails d;
        d.faxServerName = server;
        d.recipientCompany = "Smith & Co";
        d.recipientName = "Ann Smith";
        d.faxNumber = "90123456";
        d.coverpageSubject = "Quote 42";
        d.sendFileName = kTif;
        return d;
    }
    // The assignments and calls made to objects of one class, without the object's number.
    Lines callsTo(const std::string& object) const {
        Lines lines;
        for (const auto& c : fax.calls) {
            if (c.object != object) continue;
            const std::string line = testing::describeFaxCall(c);
            lines.push_back(line.substr(line.find(' ') + 1));
        }
        return lines;
    }
    std::string put(const std::string& object, const std::string& member) const {
        for (const auto& line : callsTo(object))
            if (line.starts_with("put " + member + "(")) return line;
        return "";
    }
    // Objects made by a test double, to see that Send lets each of them go.
    void serveRecorders(const std::string& progId,
                        std::function<void(testing::RecordingAutomationObject&)> setUp = {}) {
        automation.install(progId, [this, setUp] {
            auto object = std::make_shared<testing::RecordingAutomationObject>();
            if (setUp) setUp(*object);
            made_.push_back(object);
            return object;
        });
    }
    bool everyRecorderReleased() const {
        return std::all_of(made_.begin(), made_.end(), [](const auto& w) { return w.expired(); });
    }

private:
    std::vector<std::weak_ptr<AutomationObject>> made_;
};

// What each fax service is handed from the confirmation, its schedule and receipt, and the job
// identifiers it answers are the sending step's and the following's tests; here what the adapters
// alone decide.

// --- Fax: the Windows fax service -------------------------------------------------------------------

TEST_F(FaxAdapterTest, FaxQueuesOnTheLocalFaxServiceWithEveryDetail) {
    FaxDetails job = details("SHAREDFAX");  // another machine: the old fax service only serves this one
    job.senderName = "Bob";
    EXPECT_TRUE(submitToFaxService(addin, job).sent());
    ASSERT_EQ(fax.jobs.size(), 1u);
    EXPECT_EQ(fax.jobs[0].server, "SIMPC");
    // Every detail the class carries reaches the fax document, flags as Booleans.
    EXPECT_EQ(put("FaxServer.FaxDoc", "SenderName"), "put SenderName(BSTR:Bob)");
    EXPECT_EQ(put("FaxServer.FaxDoc", "ServerCoverpage"), "put ServerCoverpage(BOOL:False)");
    EXPECT_EQ(callsTo("FaxServer.FaxDoc").size(), 30u) << "created, 28 properties, Send";
}

TEST_F(FaxAdapterTest, FaxRaisesTheFaxServicesErrorAsItCameAndTheTwoReportErrorsAsInvalidReportName) {
    FaxDetails job = details();
    job.sendFileName = "C:\\Temp\\Missing.tif";
    const RuntimeError missing = testing::errorRaisedBy([&] { (void)submitToFaxService(addin, job); });
    EXPECT_EQ(missing.number(), sim::fax_error::FileNotFound);
    EXPECT_EQ(missing.source(), "FaxServer.FaxServer");
    EXPECT_EQ(missing.description(), "The system cannot find the file specified.");

    job.sendFileName = kTif;
    for (std::int32_t number : {2103, 2451}) {
        fax.submissionRefused = number;
        const RuntimeError e = testing::errorRaisedBy([&] { (void)submitToFaxService(addin, job); });
        EXPECT_EQ(e.number(), -2147221500) << number;
        EXPECT_EQ(e.source(), "fxFax.Send") << number;
        EXPECT_EQ(e.description(), "Invalid ReportName") << number;
    }
    fax.submissionRefused = 2104;
    EXPECT_EQ(testing::errorOf([&] { (void)submitToFaxService(addin, job); }), 2104);
    EXPECT_TRUE(fax.jobs.empty());
}

// --- FaxSBS: the extended fax service ------------------------------------------------------------

TEST_F(FaxAdapterTest, FaxSbsHandsTheSendTimeOverAsADate) {
    FaxDetails job = details();
    setFaxSchedule(FaxAdapterKind::FaxSbs, job, "12/25/2008 2:30:00 PM");
    EXPECT_TRUE(submitToExtendedFax(addin, job).sent());
    // A Date, not a text the service would read in its own way (month names, "PM").
    EXPECT_EQ(put("FAXCOMEX.FaxDocument", "ScheduleTime"), "put ScheduleTime(DATE:39807.604167)");
    EXPECT_EQ(fax.jobs.at(0).schedule, "12/25/2008 2:30:00 PM");
    EXPECT_FALSE(job.blnStopFax);
}

TEST_F(FaxAdapterTest, FaxSbsChoosesOneReceiptAndOneScheduleWhenSeveralAreAsked) {
    const struct {
        const char* what;
        OsVersion system;
        bool email, popUp, notificationDisabled;
        sim::ReceiptKind receipt;
    } receipts[] = {
        {"nothing asked", sim::windows::XP, false, false, false, sim::ReceiptKind::None},
        {"pop-up", sim::windows::XP, false, true, false, sim::ReceiptKind::PopUp},
        // The messenger service that carried them is gone from Windows Vista on.
        {"pop-up where none is delivered", sim::windows::W10, false, true, false, sim::ReceiptKind::None},
        {"e-mail wins over pop-up", sim::windows::XP, true, true, false, sim::ReceiptKind::Email},
        {"notification turned off earlier", sim::windows::XP, true, false, true, sim::ReceiptKind::None},
    };
    for (const auto& c : receipts) {
        machine.runWindows(c.system);
        addin.notificationDisabled = c.notificationDisabled;
        FaxDetails job = details();
        job.email = c.email;
        job.emailAddress = "a@b.example";
        job.popUpMsg = c.popUp;
        EXPECT_TRUE(submitToExtendedFax(addin, job).sent()) << c.what;
        EXPECT_EQ(fax.jobs.back().receipt, c.receipt) << c.what;
    }

    addin.notificationDisabled = false;
    const struct {
        const char* schedule;
        const char* sentAt;
    } schedules[] = {
        {"Now", "Now"},
        // The discount period wins over the send time the text also sets.
        {"Discount", "Discount"},
        {"1/5/2009 08:00", "1/5/2009 8:00:00 AM"},
    };
    for (const auto& c : schedules) {
        FaxDetails job = details();
        setFaxSchedule(FaxAdapterKind::FaxSbs, job, c.schedule);
        (void)submitToExtendedFax(addin, job);
        EXPECT_EQ(fax.jobs.back().schedule, c.sentAt) << c.schedule;
    }
}

TEST_F(FaxAdapterTest, ServerWithoutNotificationsAsksOnceAndAfterYesSendsThisAndLaterFaxesWithoutReceipt) {
    fax.receiptsRefused = true;
    user.answer(MsgResult::Yes);
    FaxDetails job = details();
    setFaxDeliveryNote(job, "Email: a@b.example");
    EXPECT_TRUE(submitToExtendedFax(addin, job).sent());

    expectMessage(onlyMessage(),
                  "Note: Delivery Notification feature is disabled on the server. You will not receive the delivery note "
                  "of the successful or failed fax.\r\nDo you wish to continue sending fax without notification?\r\n\r\n"
                  "Click Yes to send the fax(es).\r\nClick No to cancel the fax(es).",
                  MsgIcon::Question, MsgButtons::YesNo);
    ASSERT_EQ(fax.jobs.size(), 1u);
    EXPECT_EQ(fax.jobs[0].receipt, sim::ReceiptKind::None) << "the refused submission is made again, without a receipt";
    EXPECT_FALSE(job.blnStopFax);
    EXPECT_TRUE(addin.notificationDisabled);

    // The next fax of the same run: no second question, no receipt asked.
    FaxDetails next = details();
    setFaxDeliveryNote(next, "Email: a@b.example");
    EXPECT_TRUE(submitToExtendedFax(addin, next).sent());
    EXPECT_EQ(user.messages().size(), 1u);
    EXPECT_EQ(fax.jobs.size(), 2u);
}

TEST_F(FaxAdapterTest, ServerWithoutNotificationsAndTheUserSaysNoStopsTheFaxAndTheRun) {
    fax.receiptsRefused = true;
    user.answer(MsgResult::No);
    FaxDetails job = details();
    setFaxDeliveryNote(job, "Email: a@b.example");
    const SendOutcome outcome = submitToExtendedFax(addin, job);
    EXPECT_EQ(outcome.result, SendOutcome::Result::Stopped);
    EXPECT_TRUE(outcome.endsRun);
    EXPECT_TRUE(fax.jobs.empty());
    EXPECT_TRUE(job.blnStopFax);
    EXPECT_FALSE(addin.notificationDisabled);
}

TEST_F(FaxAdapterTest, FaxSbsTellsTheUserWhyTheFaxWasNotSentAndEndsTheRun) {
    const std::string wrongDriver =
        "You have chosen an incorrect fax printer driver. Please select the correct Fax Printer from the Telvora "
        "Settings window.\r\n\r\nThe faxing will be aborted.";
    const struct {
        const char* what;
        std::function<void(FaxDetails&)> arrange;
        std::string message;
    } cases[] = {
        {"a file printed by an ordinary printer",
         [this](FaxDetails&) { fax.submissionRefused = sim::fax_error::InvalidData; }, wrongDriver},
        {"a file of no fax format", [this](FaxDetails&) { fax.submissionRefused = sim::fax_error::NoAssociation; },
         wrongDriver},
        {"a mistyped server name", [](FaxDetails& job) { job.faxServerName = "SBSO1"; },
         "Error number: 800706BA, The RPC server is unavailable."},
        {"a missing file", [](FaxDetails& job) { job.sendFileName = "C:\\x.tif"; },
         "Error number: 80070002, The system cannot find the file specified."},
        {"no extended fax service", [this](FaxDetails&) { fax.extendedFaxInstalled = false; },
         "Error number: 1AD, ActiveX component can't create object"},
        // The service itself refuses a recipient without a number.
        {"no number", [](FaxDetails& job) { job.faxNumber.clear(); },
         "Error number: 80070057, The parameter is incorrect."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fax.submissionRefused.reset();
        fax.extendedFaxInstalled = true;
        FaxDetails job = details();
        c.arrange(job);
        const std::size_t shown = user.messages().size();
        const SendOutcome outcome = submitToExtendedFax(addin, job);
        ASSERT_EQ(user.messages().size(), shown + 1);
        expectMessage(user.messages().back(), c.message, MsgIcon::Exclamation);
        EXPECT_EQ(outcome.result, SendOutcome::Result::Failed);
        EXPECT_EQ(outcome.why, c.message);
        EXPECT_TRUE(outcome.endsRun);
        EXPECT_TRUE(job.blnStopFax);
        EXPECT_TRUE(fax.jobs.empty());
    }
}

// What the dialog's texts make of a fax is the sending step's test (the receipt, the schedule on
// each fax service); here what a FaxSBS object of a macro starts with.
TEST_F(FaxAdapterTest, EachDeliveryTextStartsFromNoReceiptAndAMacrosFaxSbsFromTheLastServer) {
    FaxDetails job = details();
    setFaxDeliveryNote(job, "Email: ann@example.com");
    setFaxDeliveryNote(job, "PopUp");
    EXPECT_TRUE(job.popUpMsg);
    EXPECT_FALSE(job.email);
    EXPECT_EQ(newFaxSbsDetails(addin).serverName, "") << "no fax was sent yet";
    addin.sharedFaxServer = "SBS01";
    EXPECT_EQ(newFaxSbsDetails(addin).serverName, "SBS01");
}

// --- WinFax: a file handed over as an attachment -----------------------------------------------------

TEST_F(FaxAdapterTest, WinFaxAttachesTheFileSendsAndWaitsForWinFaxWithoutSpinning) {
    fax.winFaxPollsBeforeReady = 3;
    FaxDetails job = details();
    job.discountSend = true;  // accepted and not used
    EXPECT_TRUE(submitToWinFax(addin, job).sent());

    ASSERT_EQ(fax.jobs.size(), 1u);
    EXPECT_EQ(fax.jobs[0].software, "WinFax.SDKSend");
    EXPECT_EQ(fax.jobs[0].number, "90123456");
    EXPECT_EQ(fax.jobs[0].company, "Smith & Co");
    EXPECT_EQ(fax.jobs[0].subject, "Today's fax");
    EXPECT_EQ(fax.jobs[0].schedule, "Now");
    EXPECT_EQ(fax.jobs[0].body, kImage);
    // Between two polls Word handled its messages and the add-in rested.
    EXPECT_EQ(platform.yields, 3);
    EXPECT_EQ(platform.rested, std::chrono::milliseconds(3 * 75));
    EXPECT_TRUE(user.messages().empty());
}

TEST_F(FaxAdapterTest, AFaxWinFaxRefusesIsReportedAtOnceAndASilentOneIsNotWaitedForForever) {
    // WinFax answers Send with a failure for a file that is not there: no wait, its status raised.
    FaxDetails job = details();
    job.sendFileName = "C:\\Temp\\Gone.tif";
    const auto started = platform.clock;
    const RuntimeError refused = testing::errorRaisedBy([&] { (void)submitToWinFax(addin, job); });
    EXPECT_EQ(refused.number(), 1);
    EXPECT_EQ(refused.source(), "WinFax.SDKSend");
    EXPECT_EQ(refused.description(), "WinFax refused Send (status 1).");
    EXPECT_EQ(platform.clock, started);
    EXPECT_TRUE(user.messages().empty());

    // A WinFax that never answers ready: without a limit Word would hang.
    fax.winFaxPollsBeforeReady = 1000000;
    job.sendFileName = kTif;
    user.answer(MsgResult::Retry);
    user.answer(MsgResult::Cancel);
    const RuntimeError stopped = testing::errorRaisedBy([&] { (void)submitToWinFax(addin, job); });
    EXPECT_EQ(stopped.number(), 18);
    EXPECT_EQ(stopped.source(), "Telvora.WinFax");
    ASSERT_EQ(user.messages().size(), 2u);
    const auto& message = user.messages()[0];
    EXPECT_EQ(message.prompt,
              "WinFax has not answered for a minute. Click Retry to keep waiting or Cancel to stop this fax.");
    EXPECT_EQ(message.buttons, MsgButtons::RetryCancel);
    EXPECT_EQ(platform.clock - started, std::chrono::seconds(120)) << "Retry waits another minute";
}

// --- The three classes alike ---------------------------------------------------------------------------

TEST_F(FaxAdapterTest, EachAdapterLetsTheFaxSoftwareGoWhenItFails) {
    serveRecorders("FaxServer.FaxServer", [](auto& server) { server.failOn("GetPorts", RuntimeError(5, "x")); });
    EXPECT_EQ(testing::errorOf([&] { (void)submitToFaxService(addin, details()); }), 5);

    serveRecorders("FAXCOMEX.FaxDocument");
    serveRecorders("FAXCOMEX.FaxServer",
                   [](auto& server) { server.failOn("Connect", RuntimeError(UnsupportedType, "refused", "FAXCOMEX")); });
    user.answer(MsgResult::No);
    FaxDetails sbs = details();
    (void)submitToExtendedFax(addin, sbs);

    // WinFax's own report error reaches a macro as the old interface's.
    serveRecorders("WinFax.SDKSend", [](auto& sdk) { sdk.failOn("SetNumber", RuntimeError(2103, "Report", "WinFax")); });
    EXPECT_EQ(testing::errorOf([&] { (void)submitToWinFax(addin, details()); }), -2147221500);
    EXPECT_TRUE(everyRecorderReleased());
}

}  // namespace
}  // namespace telvora
