// The fax merge as a user meets it: a letter merged with a customer list of CSV records, the field
// choice, the error log of the records that cannot be faxed, the confirmation, and one fax per valid
// record on every fax road, with the main document left as it was and the status bar given back.
#include "merge/merge_run.h"

#include <gtest/gtest.h>

#include <fstream>

#include "merge/error_log.h"
#include "support/faxing.h"

namespace telvora {
namespace {

using Lines = std::vector<std::string>;
using sim::choose;
using sim::click;
using sim::typeInto;

// Record 2 has no number, record 4 a number made of letters.
const char* const kCustomers =
    "Name,Company,Fax\n"
    "Ann Okafor,Okafor & Sons,(02) 9876-5432\n"
    "Bo Lind,Lind AB,\n"
    "Cy Tran,Tran Pty,02 1111 2222\n"
    "Di Moss,Moss Ltd,call office\n"
    "Ed Park,Park & Co,+61 2 3333 4444\n";

const std::string kMainText = "Dear \xC2\xAB" "Name\xC2\xBB, our prices.\r";

class MergeRunTest : public testing::FaxingTest {
protected:
    MergeRunTest() {
        fax.reachableServers = {"FAXSRV"};
        save(keys::ServerName, "FAXSRV");
        useRoad("3");
    }

    void useRoad(const std::string& faxType) {
        save(keys::FaxType, faxType);
        save(keys::Printer, faxType == "2" ? testing::kWinFaxPrinter : testing::kFaxPrinter);
    }

    // "Prices.doc", a letter merged with a CSV file of these records.
    void openMergeLetter(const std::string& csv = kCustomers, bool withSubjectMark = true) {
        const auto file = scratch.path() / "customers.csv";
        std::ofstream(file, std::ios::binary) << csv;
        sim::DocumentBuilder letter("Prices.doc");
        if (withSubjectMark) letter.styled("tlvSubject", "Spring\rprices").text("\r");
        letter.text("Dear ").mergeField("Name").text(", our prices.").mergeDataFromCsv(file);
        word->open(letter.build());
    }

    // The field choice the way a user fills it in, then Fax.
    static std::vector<sim::UserStep> chooseFields(std::vector<sim::UserStep> more = {}) {
        std::vector<sim::UserStep> steps = {choose("cboName", "Name"), choose("cboCompany", "Company"),
                                            choose("cboNumber", "Fax")};
        steps.insert(steps.end(), more.begin(), more.end());
        steps.push_back(click("cmdFaxOnly"));
        return steps;
    }

    Lines sentNumbers() const {
        Lines numbers;
        for (const auto& job : fax.jobs) numbers.push_back(job.number);
        return numbers;
    }

    // What Word's status bar showed, with repeats of one kind collapsed to their first and last.
    void expectStatusBarEndsCleared() {
        const auto& texts = word->statusBarTexts();
        ASSERT_FALSE(texts.empty());
        EXPECT_EQ(texts.back(), "") << "the status bar is given back to Word";
    }
    bool statusBarShowed(const std::string& text) const {
        const auto& texts = word->statusBarTexts();
        return std::find(texts.begin(), texts.end(), text) != texts.end();
    }

    // The main document is as the user left it, and every merged record was closed.
    void expectMainDocumentUnchanged() {
        EXPECT_EQ(word->document("Prices.doc")->text(sim::StoryKind::Main), "Spring\rprices\r" + kMainText);
        EXPECT_EQ(word->documentNames(), Lines{"Prices.doc"});
        EXPECT_EQ(word->activePrinter(), testing::kUsersPrinter);
    }

    // The user's way through records some of which are invalid: the log, Fax Anyway, OK.
    void mergeFaxingAnyway(const std::string& csv = kCustomers) {
        openMergeLetter(csv);
        user.onForm("frmGetFields", chooseFields());
        user.onForm("frmErrorLog", {click("cmdFaxAnyWay")});
        user.answer(MsgResult::OK);
        MergeFax(addin);
    }

};

TEST_F(MergeRunTest, FiveRecordsOnTheSharedFaxLogTwoAndFaxTheOtherThree) {
    mergeFaxingAnyway();

    ASSERT_EQ(user.forms().size(), 2u);
    EXPECT_EQ(user.forms()[0].caption, "Fax Merge");
    EXPECT_EQ(user.forms()[0].texts.at("txtSubject"), "Springprices") << "the marked subject without its return";
    EXPECT_EQ(user.forms()[1].caption, "Error Log");
    ASSERT_EQ(user.messages().size(), 1u);
    expectMessage(user.messages()[0],
                  "You are about to FaxMerge the current document to 3 recipients.\r\n"
                  "Press OK to start the Fax Merge or Cancel to return to the previous screen.",
                  MsgIcon::Exclamation, MsgButtons::OKCancel);

    ASSERT_EQ(sentNumbers(), (Lines{"0298765432", "0211112222", "61233334444"}));
    EXPECT_EQ(fax.jobs[0].recipient, "Ann Okafor");
    EXPECT_EQ(fax.jobs[2].recipient, "Ed Park");
    EXPECT_EQ(fax.jobs[1].subject, "Springprices");
    // Each fax is its own record merged into a new document, not the main document.
    EXPECT_EQ(fax.jobs[0].body, "Spring\r\nprices\r\nDear Ann Okafor, our prices.\r\n");
    EXPECT_EQ(fax.jobs[2].body, "Spring\r\nprices\r\nDear Ed Park, our prices.\r\n");
    // The template's macros may go on with the run's counts.
    EXPECT_EQ(addin.session.merge.records, 5);
    EXPECT_EQ(addin.session.merge.errors, 2);
    expectMainDocumentUnchanged();

    EXPECT_TRUE(statusBarShowed("Checking record 1 of 5"));
    EXPECT_TRUE(statusBarShowed("Checking record 5 of 5"));
    EXPECT_TRUE(statusBarShowed("Faxing record 3 of 3"));
    EXPECT_FALSE(statusBarShowed("Faxing record 4 of 3"));
    expectStatusBarEndsCleared();
}

TEST_F(MergeRunTest, TheErrorLogListsTheRecordWithoutANumberAndTheOneWithLettersAndSavesThem) {
    openMergeLetter();
    platform.fileDialogAnswers = {"C:\\Temp\\errors.txt "};
    user.onForm("frmGetFields", chooseFields());
    user.onForm("frmErrorLog", {click("cmdSaveAs"), click("cmdCancel")});
    user.onForm("frmGetFields", {click("cmdCancel")});
    MergeFax(addin);

    EXPECT_EQ(platform.readFile("C:\\Temp\\errors.txt"),
              "ERROR REASON\t RECIPIENT NAME\t\t RECIPIENT COMPANY\t\t\t SUBJECT\t\t FAX NUMBER\t \r\n" +
                  std::string(133, '-') + "\r\n" +
                  "N.\t\t Bo Lind\t\t\t Lind AB\t\t\t\t a\t\t\t \t\t \r\n"
                  "Invalid Fax Number. Di Moss\t\t\t Moss Ltd\t\t\t\t Springprices\t\t call office\t \r\n");
    EXPECT_TRUE(fax.jobs.empty());
    EXPECT_TRUE(user.messages().empty()) << "no confirmation after the log was cancelled";
    expectMainDocumentUnchanged();
}

TEST_F(MergeRunTest, ThePreviewShowsTheFirstRecordsFaxWhoseSendSendsAllAndCancelStopsTheRunBeforeAnyIsSent) {
    save(keys::PreviewFax, "True");
    openMergeLetter();
    for (const PreviewAnswer answer : {PreviewAnswer::Send, PreviewAnswer::Cancel}) {
        fax.jobs.clear();
        user.answerPreview(answer);
        user.onForm("frmGetFields", chooseFields());
        user.onForm("frmErrorLog", {click("cmdFaxAnyWay")});
        user.answer(MsgResult::OK);
        MergeFax(addin);
        const auto& shown = user.previews().back();
        EXPECT_EQ(shown.request.number, "0298765432") << "the first record's fax";
        EXPECT_EQ(shown.request.faxes, 3) << "its Send sends every record that has a number";
        if (answer == PreviewAnswer::Send) EXPECT_EQ(sentNumbers(), (Lines{"0298765432", "0211112222", "61233334444"}));
        else EXPECT_TRUE(fax.jobs.empty());
        expectMainDocumentUnchanged();
        expectStatusBarEndsCleared();
        EXPECT_FALSE(platform.fileExists(testing::kFaxFile));
    }
    EXPECT_EQ(user.previews().size(), 2u) << "one preview a run";
    EXPECT_EQ(user.finish(), "");
}

TEST_F(MergeRunTest, WinFaxIsHandedOnlyTheRecordsTheConfirmationCounted) {
    useRoad("2");
    mergeFaxingAnyway();
    ASSERT_EQ(sentNumbers(), (Lines{"0298765432", "0211112222", "61233334444"}));
    for (const auto& job : fax.jobs) {
        EXPECT_TRUE(job.bodyPrintedByApplication);
        EXPECT_NE(job.printedDocument, "") << "WinFax took the merged record printed to its printer";
        EXPECT_NE(job.printedDocument, "Prices.doc");
    }
    EXPECT_EQ(fax.jobs[0].recipient, "Ann Okafor");
    EXPECT_EQ(fax.jobs[2].company, "Park & Co");
    EXPECT_TRUE(statusBarShowed("Faxing record 3 of 3"));
    expectMainDocumentUnchanged();
    expectStatusBarEndsCleared();
}

TEST_F(MergeRunTest, WithoutErrorsTheLogIsNotShownAndTheConfirmationFollows) {
    openMergeLetter("Name,Company,Fax\nAnn,A,111\nBo,B,222\n");
    user.onForm("frmGetFields", chooseFields());
    user.answer(MsgResult::OK);
    MergeFax(addin);
    ASSERT_EQ(user.forms().size(), 1u);
    EXPECT_NE(user.messages().at(0).prompt.find(" to 2 recipients."), std::string::npos);
    EXPECT_EQ(sentNumbers(), (Lines{"111", "222"}));
}

TEST_F(MergeRunTest, GoingBackKeepsTheChoicesCountsAfreshAndTakesTheCorrectedSubject) {
    openMergeLetter();
    user.onForm("frmGetFields", chooseFields());
    user.onForm("frmErrorLog", {click("cmdCancel")});
    // Back in the dialog: the choices are still there; the user corrects the subject.
    user.onForm("frmGetFields", {typeInto("txtSubject", "Autumn prices"), click("cmdFaxOnly")});
    user.onForm("frmErrorLog", {click("cmdFaxAnyWay")});
    user.answer(MsgResult::Cancel);
    user.onForm("frmGetFields", {click("cmdFaxOnly")});
    user.onForm("frmErrorLog", {click("cmdFaxAnyWay")});
    user.answer(MsgResult::OK);
    MergeFax(addin);

    ASSERT_EQ(user.forms().size(), 6u);
    EXPECT_EQ(user.forms()[2].texts.at("cboNumber"), "Fax");
    EXPECT_EQ(user.forms()[2].texts.at("cboName"), "Name");
    ASSERT_EQ(user.messages().size(), 2u);
    EXPECT_EQ(user.messages()[0].prompt, user.messages()[1].prompt) << "3 recipients each time, never counted twice";
    EXPECT_NE(user.messages()[1].prompt.find(" 3 recipients."), std::string::npos);
    ASSERT_EQ(fax.jobs.size(), 3u);
    for (const auto& job : fax.jobs) EXPECT_EQ(job.subject, "Autumn prices");
}

TEST_F(MergeRunTest, ClosingTheFieldChoiceShownAgainFromItsFrameSendsNothing) {
    // Back from the confirmation, an earlier "Fax" must not count for the dialog the user closed.
    openMergeLetter();
    user.onForm("frmGetFields", chooseFields());
    user.onForm("frmErrorLog", {click("cmdFaxAnyWay")});
    user.answer(MsgResult::Cancel);
    user.onForm("frmGetFields", {sim::closeWindow()});
    MergeFax(addin);
    EXPECT_TRUE(fax.jobs.empty());
    expectMainDocumentUnchanged();
}

TEST_F(MergeRunTest, AllRecordsInvalidConfirmsNoRecipientAndSendsNothing) {
    mergeFaxingAnyway("Name,Company,Fax\nAnn,A,\nBo,B,( ) -\n");
    EXPECT_NE(user.messages().at(0).prompt.find(" to 0 recipients."), std::string::npos);
    EXPECT_TRUE(fax.jobs.empty());
    expectMainDocumentUnchanged();
}

TEST_F(MergeRunTest, ARefusedSubmissionOfTheSharedFaxStopsTheRunAfterThatRecord) {
    fax.submissionRefused = static_cast<std::int32_t>(0x8007000D);
    mergeFaxingAnyway();
    int faxPrints = 0;
    for (const auto& print : word->prints()) faxPrints += print.printer == testing::kFaxPrinter;
    EXPECT_EQ(faxPrints, 1) << "only the first valid record was printed for the fax";
    EXPECT_EQ(fax.jobs.size(), 0u);
    expectMainDocumentUnchanged();
    expectStatusBarEndsCleared();
}

TEST_F(MergeRunTest, ChecksBeforeTheDialogEndTheRunWithTheirMessage) {
    // Reference fields, before the data source is looked at: one message for them all.
    word->open(sim::DocumentBuilder("Totals.doc")
                   .mergeField("Name")
                   .field(word::wdFieldRef, "REF Total", "42")
                   .field(word::wdFieldRef, "REF Other", "7")
                   .build());
    MergeFax(addin);
    // A document without a data source.
    word->open(sim::DocumentBuilder("Plain.doc").text("Hello").build());
    MergeFax(addin);
    ASSERT_EQ(user.messages().size(), 2u);
    expectMessage(user.messages()[0], "Invalid field found! Faxing cancelled ...\r\n\r\nPlease correct the fields to continue.",
                  MsgIcon::Exclamation);
    expectMessage(user.messages()[1], kNotMergeDocumentMessage, MsgIcon::Exclamation);
    // No document at all.
    word->activeDocument()->Close(0);
    word->activeDocument()->Close(0);
    MergeFax(addin);
    EXPECT_EQ(user.messages().back().prompt, "This command is not available because no document is open.");
    EXPECT_TRUE(user.forms().empty());
    EXPECT_TRUE(fax.jobs.empty());
}

TEST_F(MergeRunTest, TheFieldChoiceInsistsOnANumberFieldAndClosingItSendsNothing) {
    openMergeLetter(kCustomers, false);
    user.onForm("frmGetFields", {click("cmdFaxOnly"), sim::closeWindow()});
    MergeFax(addin);
    ASSERT_EQ(user.messages().size(), 1u);
    EXPECT_EQ(user.messages()[0].prompt, "Please supply the field name that contains the fax number to continue.");
    EXPECT_EQ(user.forms().at(0).texts.at("txtSubject"), "Today's Fax");
    EXPECT_TRUE(fax.jobs.empty());
}

TEST_F(MergeRunTest, TheFieldListsHoldAnEmptyEntryThenTheDataSourcesFieldsInOrder) {
    word->open(sim::DocumentBuilder("M.doc").mergeData("C:\\d.csv", {"A", "B", "C"}, {{"1", "2", "3"}}).build());
    EXPECT_TRUE(IsDataLinked(addin));
    frmGetFields dialog(addin);
    LoadData(addin, dialog);
    EXPECT_TRUE(dialog.loaded());
    for (Control* box : {&dialog.cboName, &dialog.cboCompany, &dialog.cboNumber})
        EXPECT_EQ(box->items(), (Lines{"", "A", "B", "C"}));
    (void)dialog.unload();

    word->open(sim::DocumentBuilder("Unlinked.doc").text("x").build());
    EXPECT_FALSE(IsDataLinked(addin));
    EXPECT_TRUE(user.messages().empty());
}

}  // namespace
}  // namespace telvora
