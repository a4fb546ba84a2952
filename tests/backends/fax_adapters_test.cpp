// The three fax adapters as the fax software sees them: what each asks of it and in which order,
// with which types, what a job carries, and what the user and the caller are told when the fax
// software refuses.
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

    // A job as the sending step fills it.
    static void fill(FaxAdapterJob& job, const std::string& server = "SIMPC") {
        job.set("FaxServerName", Variant(server));
        job.set("RecipientCompany", Variant("Smith & Co"));
        job.set("RecipientName", Variant("Ann Smith"));
        job.set("FaxNumber", Variant("90123456"));
        job.set("CoverpageSubject", Variant("Quote 42"));
        job.set("SendFileName", Variant(kTif));
    }
    FaxAdapterJob sbsJob() {
        FaxAdapterJob job = newFaxSbsJob(addin);
        fill(job);
        return job;
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
    Lines receiptAndSchedulePuts() const {
        Lines lines;
        for (const auto& line : callsTo("FAXCOMEX.FaxDocument")) {
            if (line.starts_with("put Receipt") || line.starts_with("put Schedule")) lines.push_back(line);
        }
        return lines;
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
    std::size_t recordersMade() const { return made_.size(); }

private:
    std::vector<std::weak_ptr<AutomationObject>> made_;
};

// --- Fax: the Windows fax service -------------------------------------------------------------------

TEST_F(FaxAdapterTest, FaxSendsToTheLocalFaxServiceInTheServicesOrderWithStringsAndThreeFlags) {
    FaxAdapterJob job(faxClass());
    fill(job, "SHAREDFAX");  // another machine: the old fax service only serves this one
    job.set("SenderName", Variant("Bob"));
    job.set("DiscountSend", Variant(true));
    sendThroughFaxService(addin, job);

    Lines expected = {"FaxServer.FaxServer#1 created",
                      "FaxServer.FaxServer#1 call Connect(ServerName:=BSTR:SIMPC)",
                      "FaxServer.FaxServer#1 call GetPorts",
                      "FaxServer.FaxPorts#2 created",
                      "FaxServer.FaxServer#1 call CreateDocument(BSTR:C:\\Temp\\Pagewire.tif)",
                      "FaxServer.FaxDoc#3 created"};
    const std::pair<const char*, const char*> puts[] = {
        {"FaxNumber", "BSTR:90123456"}, {"RecipientAddress", "BSTR:"}, {"RecipientCity", "BSTR:"},
        {"RecipientCompany", "BSTR:Smith & Co"}, {"RecipientCountry", "BSTR:"}, {"RecipientDepartment", "BSTR:"},
        {"RecipientHomePhone", "BSTR:"}, {"RecipientName", "BSTR:Ann Smith"}, {"RecipientOffice", "BSTR:"},
        {"RecipientOfficePhone", "BSTR:"}, {"RecipientState", "BSTR:"}, {"RecipientTitle", "BSTR:"},
        {"RecipientZip", "BSTR:"}, {"SenderAddress", "BSTR:"}, {"SenderCompany", "BSTR:"},
        {"SenderDepartment", "BSTR:"}, {"SenderFax", "BSTR:"}, {"SenderHomePhone", "BSTR:"},
        {"SenderName", "BSTR:Bob"}, {"SenderOffice", "BSTR:"}, {"SenderOfficePhone", "BSTR:"},
        {"SenderTitle", "BSTR:"}, {"ServerCoverpage", "BOOL:False"}, {"SendCoverpage", "BOOL:False"},
        {"CoverpageName", "BSTR:"}, {"CoverpageSubject", "BSTR:Quote 42"}, {"CoverpageNote", "BSTR:"},
        {"DiscountSend", "BOOL:True"},
    };
    for (const auto& [name, value] : puts)
        expected.push_back(std::string("FaxServer.FaxDoc#3 put ") + name + "(" + value + ")");
    expected.push_back("FaxServer.FaxDoc#3 call Send");
    EXPECT_EQ(testing::faxCallLines(fax), expected);
    EXPECT_EQ(job.jobIds, Lines{"1"}) << "the number of the job the service queued, answered as a Long";

    ASSERT_EQ(fax.jobs.size(), 1u);
    EXPECT_EQ(fax.jobs[0].server, "SIMPC");
    EXPECT_EQ(fax.jobs[0].number, "90123456");
    EXPECT_EQ(fax.jobs[0].schedule, "Discount");
    EXPECT_EQ(fax.jobs[0].body, kImage) << "the job keeps the document even after the file is deleted";
}

TEST_F(FaxAdapterTest, FaxRaisesTheFaxServicesErrorAsItCameAndTheTwoReportErrorsAsInvalidReportName) {
    FaxAdapterJob job(faxClass());
    fill(job);
    job.set("SendFileName", Variant("C:\\Temp\\Missing.tif"));
    try {
        sendThroughFaxService(addin, job);
        ADD_FAILURE() << "a missing file was not reported";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), sim::fax_error::FileNotFound);
        EXPECT_EQ(e.source(), "FaxServer.FaxServer");
        EXPECT_EQ(e.description(), "The system cannot find the file specified.");
    }
    EXPECT_TRUE(fax.jobs.empty());

    job.set("SendFileName", Variant(kTif));
    for (std::int32_t number : {2103, 2451}) {
        fax.submissionRefused = number;
        try {
            sendThroughFaxService(addin, job);
            ADD_FAILURE() << number << " was not reported";
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.number(), -2147221500) << number;
            EXPECT_EQ(e.source(), "fxFax.Send") << number;
            EXPECT_EQ(e.description(), "Invalid ReportName") << number;
        }
    }
    fax.submissionRefused = 2104;
    EXPECT_EQ(testing::errorOf([&] { sendThroughFaxService(addin, job); }), 2104);
    EXPECT_TRUE(fax.jobs.empty());
}

// --- FaxSBS: the extended fax service ------------------------------------------------------------

TEST_F(FaxAdapterTest, FaxSbsSubmitsToTheNamedServerInTheServicesOrder) {
    fax.reachableServers = {"SBS01"};
    FaxAdapterJob job = sbsJob();
    job.set("FaxServerName", Variant("SBS01"));
    job.set("RecipientCompany", Variant("ignored by this service"));
    setFaxSchedule(job, "12/25/2008 2:30:00 PM");
    setFaxDeliveryNote(job, "Email: ann@example.com");
    sendThroughExtendedFax(addin, job);

    EXPECT_EQ(testing::faxCallLines(fax),
              (Lines{"FAXCOMEX.FaxDocument#1 created",
                     "FAXCOMEX.FaxServer#2 created",
                     "FAXCOMEX.FaxServer#2 call Connect(BSTR:SBS01)",
                     "FAXCOMEX.FaxDocument#1 put Body(BSTR:C:\\Temp\\Pagewire.tif)",
                     "FAXCOMEX.FaxDocument#1 put Priority(I4:1)",
                     "FAXCOMEX.FaxDocument#1 get Recipients",
                     "FAXCOMEX.FaxRecipients#3 created",
                     "FAXCOMEX.FaxRecipients#3 call Add(BSTR:90123456, BSTR:Ann Smith)",
                     "FAXCOMEX.FaxRecipient#4 created",
                     "FAXCOMEX.FaxDocument#1 put ReceiptType(I4:1)",
                     "FAXCOMEX.FaxDocument#1 put ReceiptAddress(BSTR:ann@example.com)",
                     "FAXCOMEX.FaxDocument#1 put CoverPageType(I4:0)",
                     // A Date, not a text the service would read in its own way.
                     "FAXCOMEX.FaxDocument#1 put ScheduleTime(DATE:39807.604167)",
                     "FAXCOMEX.FaxDocument#1 put ScheduleType(I4:1)",
                     "FAXCOMEX.FaxDocument#1 put Subject(BSTR:Quote 42)",
                     "FAXCOMEX.FaxDocument#1 call ConnectedSubmit(DISPATCH:object)"}));
    ASSERT_EQ(fax.jobs.size(), 1u);
    const sim::SubmittedFax& sent = fax.jobs[0];
    EXPECT_EQ(sent.server, "SBS01");
    EXPECT_EQ(sent.recipient, "Ann Smith");
    EXPECT_EQ(sent.schedule, "12/25/2008 2:30:00 PM");
    EXPECT_EQ(sent.receipt, sim::ReceiptKind::Email);
    EXPECT_EQ(sent.body, kImage);
    EXPECT_FALSE(job.flag("blnStopFax"));
    EXPECT_TRUE(user.messages().empty());
    // ConnectedSubmit answers an array of job identifiers, one per recipient; they stay with the job.
    EXPECT_EQ(job.jobIds, Lines{sent.jobId});
}

TEST_F(FaxAdapterTest, FaxSbsChoosesOneReceiptAndOneScheduleWhenSeveralAreAsked) {
    const struct {
        const char* what;
        OsVersion system;
        bool email, popUp, notificationDisabled;
        Lines receipt;
    } receipts[] = {
        {"nothing asked", sim::windows::XP, false, false, false, {"put ReceiptType(I4:0)"}},
        {"pop-up", sim::windows::XP, false, true, false, {"put ReceiptType(I4:4)"}},
        // The messenger service that carried them is gone from Windows Vista on.
        {"pop-up where none is delivered", sim::windows::W10, false, true, false, {"put ReceiptType(I4:0)"}},
        {"e-mail wins over pop-up", sim::windows::XP, true, true, false,
         {"put ReceiptType(I4:1)", "put ReceiptAddress(BSTR:a@b.example)"}},
        {"notification turned off earlier", sim::windows::XP, true, false, true,
         {"put ReceiptType(I4:1)", "put ReceiptAddress(BSTR:a@b.example)", "put ReceiptType(I4:0)"}},
    };
    for (const auto& c : receipts) {
        fax.calls.clear();
        machine.runWindows(c.system);
        addin.notificationDisabled = c.notificationDisabled;
        FaxAdapterJob job = sbsJob();
        job.set("Email", Variant(c.email));
        job.set("EmailAddress", Variant("a@b.example"));
        job.set("PopUpMsg", Variant(c.popUp));
        sendThroughExtendedFax(addin, job);
        Lines expected = c.receipt;
        expected.push_back("put ScheduleType(I4:0)");
        EXPECT_EQ(receiptAndSchedulePuts(), expected) << c.what;
        EXPECT_EQ(fax.jobs.back().receipt, c.email && !c.notificationDisabled         ? sim::ReceiptKind::Email
                                           : c.popUp && c.system.major < 6 ? sim::ReceiptKind::PopUp
                                                                             : sim::ReceiptKind::None)
            << c.what;
    }

    addin.notificationDisabled = false;
    const struct {
        const char* schedule;
        Lines puts;
    } schedules[] = {
        {"Now", {"put ScheduleType(I4:0)"}},
        // The discount period wins over the send time the text also sets.
        {"Discount", {"put ScheduleType(I4:2)"}},
        {"1/5/2009 08:00", {"put ScheduleTime(DATE:39818.333333)", "put ScheduleType(I4:1)"}},
    };
    for (const auto& c : schedules) {
        fax.calls.clear();
        FaxAdapterJob job = sbsJob();
        setFaxSchedule(job, c.schedule);
        sendThroughExtendedFax(addin, job);
        Lines expected = {"put ReceiptType(I4:0)"};
        expected.insert(expected.end(), c.puts.begin(), c.puts.end());
        EXPECT_EQ(receiptAndSchedulePuts(), expected) << c.schedule;
    }
}

TEST_F(FaxAdapterTest, ServerWithoutNotificationsAsksOnceAndAfterYesSendsThisAndLaterFaxesWithoutReceipt) {
    fax.receiptsRefused = true;
    addin.mergeRecordCount = 7;
    user.answer(MsgResult::Yes);
    FaxAdapterJob job = sbsJob();
    job.set("Email", Variant(true));
    job.set("EmailAddress", Variant("a@b.example"));
    sendThroughExtendedFax(addin, job);

    const auto message = onlyMessage();
    EXPECT_EQ(message.prompt,
              "Note: Delivery Notification feature is disabled on the server. You will not receive the delivery note "
              "of the successful or failed fax.\r\nDo you wish to continue sending fax without notification?\r\n\r\n"
              "Click Yes to send the fax(es).\r\nClick No to cancel the fax(es).");
    EXPECT_EQ(message.buttons, MsgButtons::YesNo);
    EXPECT_EQ(message.icon, MsgIcon::Question);
    EXPECT_EQ(message.title, "Telvora");
    const Lines document = callsTo("FAXCOMEX.FaxDocument");
    EXPECT_EQ(Lines(document.end() - 3, document.end()),
              (Lines{"call ConnectedSubmit(DISPATCH:object)", "put ReceiptType(I4:0)",
                     "call ConnectedSubmit(DISPATCH:object)"}))
        << "the refused submission is made again, without a receipt";
    ASSERT_EQ(fax.jobs.size(), 1u);
    EXPECT_EQ(fax.jobs[0].receipt, sim::ReceiptKind::None);
    EXPECT_FALSE(job.flag("blnStopFax"));
    EXPECT_EQ(addin.mergeRecordCount, 7) << "a merge goes on";
    EXPECT_TRUE(addin.notificationDisabled);

    // The next fax of the same run: no second question, no receipt asked.
    FaxAdapterJob next = sbsJob();
    next.set("Email", Variant(true));
    next.set("EmailAddress", Variant("a@b.example"));
    sendThroughExtendedFax(addin, next);
    EXPECT_EQ(user.messages().size(), 1u);
    EXPECT_EQ(fax.jobs.size(), 2u);
    EXPECT_FALSE(next.flag("blnStopFax"));
}

TEST_F(FaxAdapterTest, ServerWithoutNotificationsAndTheUserSaysNoStopsTheFaxAndTheMerge) {
    fax.receiptsRefused = true;
    addin.mergeRecordCount = 7;
    user.answer(MsgResult::No);
    FaxAdapterJob job = sbsJob();
    job.set("Email", Variant(true));
    job.set("EmailAddress", Variant("a@b.example"));
    sendThroughExtendedFax(addin, job);
    EXPECT_EQ(user.messages().size(), 1u);
    EXPECT_TRUE(fax.jobs.empty());
    EXPECT_TRUE(job.flag("blnStopFax"));
    EXPECT_EQ(addin.mergeRecordCount, 0);
    EXPECT_FALSE(addin.notificationDisabled);
}

TEST_F(FaxAdapterTest, FaxSbsTellsTheUserWhyTheFaxWasNotSentAndStopsIt) {
    const std::string wrongDriver =
        "You have chosen an incorrect fax printer driver. Please select the correct Fax Printer from the Telvora "
        "Settings window.\r\n\r\nThe faxing will be aborted.";
    const struct {
        const char* what;
        std::function<void(FaxAdapterJob&)> arrange;
        std::string message;
    } cases[] = {
        {"a file printed by an ordinary printer",
         [this](FaxAdapterJob&) { fax.submissionRefused = sim::fax_error::InvalidData; },
         wrongDriver},
        {"a file of no fax format",
         [this](FaxAdapterJob&) { fax.submissionRefused = sim::fax_error::NoAssociation; },
         wrongDriver},
        {"a mistyped server name",
         [](FaxAdapterJob& job) { job.set("FaxServerName", Variant("SBSO1")); },
         "Error number: 800706BA, The RPC server is unavailable."},
        {"a missing file", [](FaxAdapterJob& job) { job.set("SendFileName", Variant("C:\\x.tif")); },
         "Error number: 80070002, The system cannot find the file specified."},
        {"no extended fax service",
         [this](FaxAdapterJob&) { fax.extendedFaxInstalled = false; },
         "Error number: 1AD, ActiveX component can't create object"},
    };
    for (const auto& c : cases) {
        fax.submissionRefused.reset();
        fax.extendedFaxInstalled = true;
        addin.mergeRecordCount = 3;
        FaxAdapterJob job = sbsJob();
        c.arrange(job);
        const std::size_t shown = user.messages().size();
        sendThroughExtendedFax(addin, job);
        ASSERT_EQ(user.messages().size(), shown + 1) << c.what;
        const auto& message = user.messages().back();
        EXPECT_EQ(message.prompt, c.message) << c.what;
        EXPECT_EQ(message.buttons, MsgButtons::OK) << c.what;
        EXPECT_EQ(message.icon, MsgIcon::Exclamation) << c.what;
        EXPECT_EQ(message.title, "Telvora") << c.what;
        EXPECT_TRUE(job.flag("blnStopFax")) << c.what;
        EXPECT_EQ(addin.mergeRecordCount, 0) << c.what;
        EXPECT_TRUE(fax.jobs.empty()) << c.what;
    }
}

TEST_F(FaxAdapterTest, WhatTheSendingStepSetsFromTheDialogsTexts) {
    FaxAdapterJob job = sbsJob();
    setFaxDeliveryNote(job, "Email:   ann@example.com  ");
    EXPECT_TRUE(job.flag("Email"));
    EXPECT_EQ(job.text("EmailAddress"), "ann@example.com");
    setFaxDeliveryNote(job, "PopUp");
    EXPECT_TRUE(job.flag("PopUpMsg"));
    EXPECT_FALSE(job.flag("Email")) << "each delivery text starts from no receipt";
    setFaxDeliveryNote(job, "");
    EXPECT_FALSE(job.flag("PopUpMsg"));
    EXPECT_FALSE(job.flag("Email"));

    // The old fax service knows the discount period only.
    FaxAdapterJob old(faxClass());
    setFaxSchedule(old, "Discount");
    EXPECT_TRUE(old.flag("DiscountSend"));
    EXPECT_FALSE(old.flag("SpecTime"));
    setFaxSchedule(job, "Now");
    EXPECT_FALSE(job.flag("DiscountSend"));
    EXPECT_FALSE(job.flag("SpecTime"));
}

// --- WinFax: a file handed over as an attachment -----------------------------------------------------

TEST_F(FaxAdapterTest, WinFaxAttachesTheFileSendsAndWaitsForWinFaxWithoutSpinning) {
    fax.winFaxPollsBeforeReady = 3;
    FaxAdapterJob job(winFaxClass());
    fill(job);
    job.set("DiscountSend", Variant(true));  // accepted and not used
    sendThroughWinFax(addin, job);

    EXPECT_EQ(testing::faxCallLines(fax),
              (Lines{"WinFax.SDKSend#1 created", "WinFax.SDKSend#1 call SetCompany(BSTR:Smith & Co)",
                     "WinFax.SDKSend#1 call SetTo(BSTR:Ann Smith)",
                     "WinFax.SDKSend#1 call AddAttachmentFile(BSTR:C:\\Temp\\Pagewire.tif)",
                     "WinFax.SDKSend#1 call SetNumber(BSTR:90123456)",
                     "WinFax.SDKSend#1 call SetSubject(BSTR:Today's fax)", "WinFax.SDKSend#1 call AddRecipient",
                     "WinFax.SDKSend#1 call Send(I2:0)", "WinFax.SDKSend#1 call IsReadyToPrint",
                     "WinFax.SDKSend#1 call IsReadyToPrint", "WinFax.SDKSend#1 call IsReadyToPrint",
                     "WinFax.SDKSend#1 call IsReadyToPrint"}));
    ASSERT_EQ(fax.jobs.size(), 1u);
    EXPECT_EQ(fax.jobs[0].schedule, "Now");
    EXPECT_EQ(fax.jobs[0].body, kImage);
    // Between two polls Word handled its messages and the add-in rested.
    EXPECT_EQ(platform.yields, 3);
    EXPECT_EQ(platform.rested, std::chrono::milliseconds(3 * 75));
    EXPECT_TRUE(user.messages().empty());
}

TEST_F(FaxAdapterTest, AFaxWinFaxRefusesIsReportedAtOnceAndASilentOneIsNotWaitedForForever) {
    // WinFax answers Send with a failure for a file that is not there: no wait, its status raised.
    FaxAdapterJob job(winFaxClass());
    fill(job);
    job.set("SendFileName", Variant("C:\\Temp\\Gone.tif"));
    const auto started = platform.clock;
    try {
        sendThroughWinFax(addin, job);
        ADD_FAILURE() << "a refused fax looked sent";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), 1);
        EXPECT_EQ(e.source(), "WinFax.SDKSend");
        EXPECT_EQ(e.description(), "WinFax refused Send (status 1).");
    }
    EXPECT_EQ(platform.clock, started);
    EXPECT_TRUE(user.messages().empty());

    // A WinFax that never answers ready: without a limit Word would hang.
    fax.winFaxPollsBeforeReady = 1000000;
    job.set("SendFileName", Variant(kTif));
    user.answer(MsgResult::Retry);
    user.answer(MsgResult::Cancel);
    try {
        sendThroughWinFax(addin, job);
        ADD_FAILURE() << "a stopped fax looked sent";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), 18);
        EXPECT_EQ(e.source(), "Telvora.WinFax");
    }
    ASSERT_EQ(user.messages().size(), 2u);
    const auto& message = user.messages()[0];
    EXPECT_EQ(message.prompt,
              "WinFax has not answered for a minute. Click Retry to keep waiting or Cancel to stop this fax.");
    EXPECT_EQ(message.buttons, MsgButtons::RetryCancel);
    EXPECT_EQ(message.icon, MsgIcon::Exclamation);
    EXPECT_EQ(message.title, "Telvora");
    EXPECT_EQ(platform.clock - started, std::chrono::seconds(120)) << "Retry waits another minute";
}

// --- The three classes alike ---------------------------------------------------------------------------

TEST_F(FaxAdapterTest, ANewObjectSendsEmptyTextsAndFalseFlags) {
    FaxAdapterJob old(faxClass());
    old.set("SendFileName", Variant(kTif));  // without a file nothing is sent at all
    sendThroughFaxService(addin, old);
    for (const auto& line : callsTo("FaxServer.FaxDoc")) {
        if (!line.starts_with("put ")) continue;
        EXPECT_TRUE(line.ends_with("(BSTR:)") || line.ends_with("(BOOL:False)")) << line;
    }

    FaxAdapterJob sbs = newFaxSbsJob(addin);
    EXPECT_EQ(sbs.text("ServerName"), "") << "no fax was sent yet";
    addin.faxJob.serverName = "SBS01";
    EXPECT_EQ(newFaxSbsJob(addin).text("ServerName"), "SBS01");
    sendThroughExtendedFax(addin, sbs);
    // The service itself refuses a recipient without a number.
    EXPECT_EQ(callsTo("FAXCOMEX.FaxServer")[1], "call Connect(BSTR:)");
    EXPECT_EQ(callsTo("FAXCOMEX.FaxRecipients")[1], "call Add(BSTR:, BSTR:)");
    EXPECT_EQ(onlyMessage().prompt, "Error number: 80070057, The parameter is incorrect.");
}

TEST_F(FaxAdapterTest, EachAdapterLetsTheFaxSoftwareGoWhenItFails) {
    serveRecorders("FaxServer.FaxServer", [](auto& server) { server.failOn("GetPorts", RuntimeError(5, "x")); });
    FaxAdapterJob old(faxClass());
    EXPECT_EQ(testing::errorOf([&] { sendThroughFaxService(addin, old); }), 5);

    serveRecorders("FAXCOMEX.FaxDocument");
    serveRecorders("FAXCOMEX.FaxServer",
                   [](auto& server) { server.failOn("Connect", RuntimeError(UnsupportedType, "refused", "FAXCOMEX")); });
    user.answer(MsgResult::No);
    FaxAdapterJob sbs = sbsJob();
    sendThroughExtendedFax(addin, sbs);

    // WinFax's own report error reaches a macro as the old interface's.
    serveRecorders("WinFax.SDKSend", [](auto& sdk) { sdk.failOn("SetNumber", RuntimeError(2103, "Report", "WinFax")); });
    FaxAdapterJob winFax(winFaxClass());
    EXPECT_EQ(testing::errorOf([&] { sendThroughWinFax(addin, winFax); }), -2147221500);

    EXPECT_EQ(recordersMade(), 4u);
    EXPECT_TRUE(everyRecorderReleased());
}

}  // namespace
}  // namespace telvora
