// The sending step of the Windows fax service and the shared fax server: what the fax software
// receives, what Word prints where, and that the user's printer and temporary folder are left as
// they were, whether the fax goes out, is refused, or fails half-way.
#include "send/send_fax.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/faxing.h"

namespace telvora {
namespace {

using Lines = std::vector<std::string>;
using testing::kCopyPrinter;
using testing::kFaxFile;
using testing::kUsersPrinter;

const std::string kTiffPrint =
    "Fax: PrintToFile:=BOOL:True, PageType:=I4:0, Copies:=I2:1, Item:=I4:0, OutputFileName:=BSTR:C:\\Temp\\Pagewire.tif, "
    "Range:=I4:0, Background:=BOOL:False";

class SendFaxTest : public testing::FaxingTest {
public:
    // For the failure cases, which arrange the machine from outside.
    void failPrintsOn(const char* printer) { failingPrinter = printer; }
    sim::SimMachine& simulated() { return machine; }

protected:
    SendFaxTest() {
        openLetter();
        job.faxNumber = "(02) 98 76";
        job.recipientName = "Ann\rOkafor";
        job.recipientCompany = "Okafor & Sons\r";
        job.subject = "Quote 42";
    }
    void fileCopies(std::int16_t copies) { job.filing = FilingCopies{true, kCopyPrinter, copies}; }
    FaxJob job;
    // The user's printer is back and no faxed document is left behind.
    void expectMachineAsBefore() {
        EXPECT_EQ(word->activePrinter(), kUsersPrinter);
        EXPECT_FALSE(platform.fileExists(kFaxFile));
    }
};

TEST_F(SendFaxTest, TheDocumentGoesToTheSharedFaxServerAndTheFilingCopiesToTheCopyPrinter) {
    save(keys::FaxType, "3");
    save(keys::ServerName, "FAXSRV");
    save(keys::DialOutLine, "0");
    fax.reachableServers = {"FAXSRV"};
    fileCopies(3);
    const SendOutcome outcome = SendFax(addin, job, "06-Dec-2026 03:30:07 PM", "Email:  ann@okafor.example ");

    EXPECT_TRUE(user.messages().empty());
    ASSERT_EQ(fax.jobs.size(), 1u);
    const sim::SubmittedFax& sent = fax.jobs[0];
    EXPECT_EQ(sent.software, "FAXCOMEX.FaxDocument");
    EXPECT_EQ(sent.server, "FAXSRV");
    EXPECT_EQ(sent.number, "0029876") << "the dial-out prefix before the cleaned number";
    EXPECT_EQ(sent.recipient, "AnnOkafor");
    EXPECT_EQ(sent.subject, "Quote 42");
    EXPECT_EQ(sent.schedule, "12/6/2026 3:30:07 PM") << "the moment the dialog wrote, handed over as a Date";
    EXPECT_EQ(sent.receipt, sim::ReceiptKind::Email);
    EXPECT_EQ(sent.receiptAddress, "ann@okafor.example");
    EXPECT_EQ(sent.bodyFile, kFaxFile);
    EXPECT_EQ(sent.body, printedLetter()) << "the fax printer's output of this document is what was sent";
    EXPECT_EQ(addin.sharedFaxServer, "FAXSRV") << "the next FaxSBS object starts with it";
    EXPECT_TRUE(outcome.sent());
    EXPECT_EQ(outcome.jobIds, Lines{sent.jobId}) << "the service's job identifiers come back with the outcome";

    EXPECT_EQ(printLines(), (Lines{kTiffPrint, "Filing Copier: Copies:=I2:3, PrintToFile:=BOOL:False, Range:=I4:0, "
                                               "Background:=BOOL:False"}))
        << "no reset print: ResetPrinter reads True when never saved";
    expectMachineAsBefore();
}

TEST_F(SendFaxTest, WindowsWithoutTheExtendedFaxServiceSendsAtOnceOrInTheDiscountPeriodWithoutReceipts) {
    const struct {
        OsVersion windows;
        const char* schedule;
        const char* sentAt;
    } cases[] = {
        {sim::windows::W10, "07-Dec-2026 09:00 AM", "12/7/2026 9:00:00 AM"},
        {sim::windows::XP, "Now", "Now"},
        // Windows 2000's fax service takes no send time and no receipt: the fax goes at once.
        {sim::windows::W2000, "07-Dec-2026 09:00 AM", "Now"},
        {sim::windows::W2000, "Discount", "Discount"},
    };
    for (const auto& c : cases) {
        const bool extended = c.windows.major > 5 || c.windows.minor > 0;
        machine.runWindows(c.windows);
        fax.extendedFaxInstalled = extended;
        fax.faxServiceInstalled = !extended;
        (void)SendFax(addin, job, c.schedule, "PopUp");
        ASSERT_FALSE(fax.jobs.empty()) << c.schedule;
        const sim::SubmittedFax& sent = fax.jobs.back();
        EXPECT_EQ(sent.software, extended ? "FAXCOMEX.FaxDocument" : "FaxServer.FaxServer") << c.schedule;
        EXPECT_EQ(sent.server, "SIMPC");
        EXPECT_EQ(sent.schedule, c.sentAt);
        // Pop-up receipts only where the extended service still delivers them (Windows XP).
        EXPECT_EQ(sent.receipt, c.windows.major == 5 && extended ? sim::ReceiptKind::PopUp : sim::ReceiptKind::None);
    }
    EXPECT_EQ(fax.jobs.size(), std::size(cases));
    EXPECT_TRUE(user.messages().empty());
    expectMachineAsBefore();
}

TEST_F(SendFaxTest, AFaxTheServiceRefusesGetsNoCopiesButTheResetPrintStillFollows) {
    save(keys::ResetPrinter, "False");
    fax.submissionRefused = sim::fax_error::InvalidData;
    fileCopies(2);
    (void)SendFax(addin, job, "Now", "");

    EXPECT_EQ(onlyMessage().prompt,
              "You have chosen an incorrect fax printer driver. Please select the correct Fax Printer from the Telvora "
              "Settings window.\r\n\r\nThe faxing will be aborted.");
    EXPECT_TRUE(fax.jobs.empty());
    EXPECT_EQ(printLines(),
              (Lines{kTiffPrint, "Office Laser: PrintToFile:=BOOL:False, Pages:=BSTR:0, Range:=I4:4"}))
        << "the reset print goes to the user's printer, restored before it";
    expectMachineAsBefore();
}

TEST_F(SendFaxTest, TheChosenCoverPageGoesThroughEachFaxServiceWithItsNoteAndAMissingOneSendsNothing) {
    const std::string personal = "C:\\Users\\User\\Documents\\Fax\\Personal Coverpages\\urgent.cov";
    std::filesystem::create_directories(platform.realPath(personal).parent_path());
    platform.writeFile(personal, "cover");
    platform.variables["username"] = "jdoe";
    fax.serverCoverPages = {"Generic.cov"};
    fax.reachableServers = {"FAXSRV"};
    save(keys::ServerName, "FAXSRV");
    save(keys::CoverPageNote, "Call me\r\nback");
    const struct {
        OsVersion windows;
        const char* faxType;
        const char* kind;
        const char* name;
        const char* sentFile;
    } cases[] = {
        {sim::windows::W10, "1", "Personal", "urgent.cov", personal.c_str()},
        {sim::windows::W10, "3", "Server", "generic.cov", "generic.cov"},
        {sim::windows::W2000, "1", "Personal", personal.c_str(), personal.c_str()},
        {sim::windows::W2000, "1", "Server", "generic.cov", "generic.cov"},
    };
    for (const auto& c : cases) {
        machine.runWindows(c.windows);
        fax.extendedFaxInstalled = c.windows.major > 5;
        fax.faxServiceInstalled = c.windows.major == 5;
        save(keys::FaxType, c.faxType);
        save(keys::CoverPageKind, c.kind);
        save(keys::CoverPageName, c.name);
        ASSERT_TRUE(SendFax(addin, job, "Now", "").sent()) << c.kind;
        const auto& cover = fax.jobs.back().coverPage;
        ASSERT_TRUE(cover) << c.kind;
        EXPECT_EQ(cover->file, c.sentFile);
        EXPECT_EQ(cover->onServer, std::string(c.kind) == "Server");
        EXPECT_EQ(cover->note, "Call me\r\nback") << "a note may run over several lines of the cover page";
    }
    // A cover page the fax service cannot find: the fax is not sent, and the machine is as before.
    save(keys::CoverPageName, "gone.cov");
    EXPECT_FALSE(SendFax(addin, job, "Now", "").sent());
    EXPECT_EQ(fax.jobs.size(), std::size(cases));
    EXPECT_EQ(user.messages().size(), 1u);
    save(keys::CoverPageKind, "None");
    ASSERT_TRUE(SendFax(addin, job, "Now", "").sent());
    EXPECT_FALSE(fax.jobs.back().coverPage);
    expectMachineAsBefore();
}

TEST_F(SendFaxTest, ThePreviewShowsThePrintedImageAndCancelSendsNothingAndLeavesEverythingAsItWas) {
    save(keys::PreviewFax, "True");
    fileCopies(2);
    user.setFaxImageReader([this](const std::string& file) { return platform.readFile(file) == printedLetter() ? "the letter" : "?"; });
    user.answerPreview(PreviewAnswer::Cancel);
    const auto settingsBefore = store.size();
    const SendOutcome cancelled = SendFax(addin, job, "Now", "");
    EXPECT_EQ(cancelled.result, SendOutcome::Result::Stopped);
    EXPECT_TRUE(cancelled.endsRun);
    EXPECT_TRUE(fax.jobs.empty());
    EXPECT_EQ(printLines(), Lines{kTiffPrint}) << "no filing copies of a fax that was not sent";
    EXPECT_EQ(store.size(), settingsBefore);
    EXPECT_TRUE(user.messages().empty());
    expectMachineAsBefore();
    ASSERT_EQ(user.previews().size(), 1u);
    EXPECT_EQ(user.previews()[0].image, "the letter") << "the fax printer's image, before it is submitted";
    EXPECT_EQ(user.previews()[0].request.number, "029876");
    EXPECT_EQ(user.previews()[0].request.faxes, 1);

    user.answerPreview(PreviewAnswer::Send);
    EXPECT_TRUE(SendFax(addin, job, "Now", "").sent());
    EXPECT_EQ(fax.jobs.size(), 1u);
    // Already seen: no second preview.
    EXPECT_TRUE(SendFax(addin, job, "Now", "", 0).sent());
    EXPECT_EQ(user.previews().size(), 2u);
    EXPECT_EQ(user.finish(), "");
    expectMachineAsBefore();
}

TEST_F(SendFaxTest, APreviewThatCannotBeShownIsReportedAndSendsNothing) {
    save(keys::PreviewFax, "True");
    Addin blind{Ports{store, automation, user, platform, &machine.dateTimes}};
    blind.setWord(word);
    const SendOutcome outcome = SendFax(blind, job, "Now", "");
    EXPECT_FALSE(outcome.sent());
    EXPECT_TRUE(outcome.endsRun) << "every later record would fail the same way";
    EXPECT_TRUE(fax.jobs.empty());
    EXPECT_NE(onlyMessage().prompt.find("91"), std::string::npos) << onlyMessage().prompt;
    expectMachineAsBefore();
}

// Where a fax can fail: each case arranges the machine, says what the user is told and how many
// faxes went out before the failure.
struct Failure {
    const char* name;
    void (*arrange)(SendFaxTest&);
    const char* report;
    std::size_t faxesSent;
};

void PrintTo(const Failure& failure, std::ostream* out) { *out << failure.name; }

class SendFaxFailureTest : public SendFaxTest, public ::testing::WithParamInterface<Failure> {};

TEST_P(SendFaxFailureTest, IsReportedWithTheUsersPrinterBackAndNoFaxedDocumentLeft) {
    GetParam().arrange(*this);
    fileCopies(1);
    (void)SendFax(addin, job, "Now", "");
    EXPECT_EQ(onlyMessage().prompt, GetParam().report);
    EXPECT_EQ(onlyMessage().icon, MsgIcon::Exclamation);
    EXPECT_EQ(fax.jobs.size(), GetParam().faxesSent);
    expectMachineAsBefore();
}

INSTANTIATE_TEST_SUITE_P(
    Faults, SendFaxFailureTest,
    ::testing::Values(
        // The fax printer has written part of the file when it fails.
        Failure{"FaxPrinterFails", [](SendFaxTest& t) { t.failPrintsOn("Fax"); },
                "Error number: 4198 The printer is not responding.", 0},
        Failure{"CopyPrinterFailsAfterTheFaxWentOut",
                [](SendFaxTest& t) { t.failPrintsOn("Filing Copier"); },
                "Error number: 4198 The printer is not responding.", 1},
        Failure{"FaxServiceDoesNotAnswer",
                [](SendFaxTest& t) {
                    sim::SimMachine& m = t.simulated();
                    m.runWindows(sim::windows::W2000);
                    m.fax.extendedFaxInstalled = false;
                    m.fax.faxServiceInstalled = true;
                    m.fax.localServiceAnswers = false;
                },
                "Error number: -2147023174 The RPC server is unavailable.", 0}),
    [](const ::testing::TestParamInfo<Failure>& info) { return std::string(info.param.name); });

TEST_F(SendFaxTest, TheTemporaryFileLiesInTheWholeTemporaryFolderOrInTheCurrentOneWhenThereIsNone) {
    // A profile path longer than the 144 characters a fixed buffer would hold.
    const std::string deep = "C:\\Documents and Settings\\" + std::string(130, 'a') + "\\Local Settings\\Temp\\";
    std::filesystem::create_directories(platform.realPath(deep));
    platform.temporaryFolder = deep;
    (void)SendFax(addin, job, "Now", "");
    platform.temporaryFolder.clear();
    (void)SendFax(addin, job, "Now", "");

    ASSERT_EQ(fax.jobs.size(), 2u);
    EXPECT_EQ(fax.jobs[0].bodyFile, deep + "Pagewire.tif");
    EXPECT_EQ(fax.jobs[1].bodyFile, "Pagewire.tif");
    for (const auto& sent : fax.jobs) EXPECT_EQ(sent.body, printedLetter()) << sent.bodyFile;
    EXPECT_FALSE(platform.fileExists(deep + "Pagewire.tif"));
    EXPECT_FALSE(platform.fileExists("Pagewire.tif"));
    EXPECT_TRUE(user.messages().empty());
}

}  // namespace
}  // namespace telvora
