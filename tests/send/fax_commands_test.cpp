// The Fax and Quick Fax commands as a user meets them: a marked letter faxed through each kind of
// fax software, what the confirmation dialog opens with, every check that stops a fax before
// anything is printed, and what the user changes in the dialog reaching the fax.
#include "send/fax_commands.h"

#include <gtest/gtest.h>

#include "support/answering_ui.h"
#include "support/error_number.h"
#include "support/faxing.h"

namespace telvora {
namespace {

using Lines = std::vector<std::string>;
using sim::choose;
using sim::click;
using sim::typeInto;
using testing::kFaxFile;
using testing::kUsersPrinter;
using testing::Marks;

const std::string kRequiredMarks =
    "The fax cannot be sent as you have not marked all required information on the document.\r\n"
    "You must mark the Fax Number and either the Recipient Company or the Recipient Name.\r\n\r\n"
    "Please make corrections and try again.\r\n\r\n"
    "(If you want to fax using only the fax number, then select the fax number and click the QuickFax button "
    "instead)";

std::string invalidNumberMessage(const std::string& number) {
    return "The fax number that you have chosen to fax to appears to be invalid:\r\nFax Number: " + number +
           "\r\nFax number can only contain numbers, brackets and spaces.\r\n\r\n"
           "Please go back to the document and correct the fax number or\r\n"
           "Select the correct fax number if you had chosen the wrong text for your fax number.";
}

class FaxCommandTest : public testing::FaxingTest {};

// --- The fax command ------------------------------------------------------------------------------

// A marked letter faxed through each kind of fax software is the bundled examples' road (examples/).

TEST_F(FaxCommandTest, TheDialogShowsTheMarksWithoutLineBreaksAndTodaysFaxForAMissingSubject) {
    openLetter({.number = "555 1234", .name = "", .company = "Okafor &\rSons", .subject = ""});
    user.onForm("frmSendConfirm", {click("cmdCancel")});
    FaxCommand(addin);

    ASSERT_EQ(user.forms().size(), 1u);
    const auto& shown = user.forms()[0].texts;
    EXPECT_EQ(shown.at("txtName"), "");
    EXPECT_EQ(shown.at("txtCompany"), "Okafor &Sons");
    EXPECT_EQ(shown.at("txtNumber"), "555 1234");
    EXPECT_EQ(shown.at("txtSubject"), "Today's Fax");
    EXPECT_TRUE(user.messages().empty()) << "a cancelled fax says nothing";
    EXPECT_TRUE(fax.jobs.empty());
    EXPECT_TRUE(word->prints().empty());
}

TEST_F(FaxCommandTest, WithoutANumberAndANameOrCompanyOnlyTheRequiredInformationMessageShows) {
    const Marks incomplete[] = {{.name = "", .company = ""}, {.number = ""}};
    for (const Marks& marks : incomplete) {
        openLetter(marks, "Letter " + std::to_string(&marks - incomplete) + ".doc");
        FaxCommand(addin);
    }
    EXPECT_EQ(prompts(), (Lines{kRequiredMarks, kRequiredMarks}));
    EXPECT_EQ(user.messages()[0].icon, MsgIcon::Exclamation);
    EXPECT_TRUE(user.forms().empty());
    EXPECT_TRUE(fax.jobs.empty());
}

TEST_F(FaxCommandTest, ANumberChangedToLettersInTheDialogIsShownAsTypedAndNothingIsSent) {
    openLetter();
    user.onForm("frmSendConfirm", {typeInto("txtNumber", "call Ann first"), click("cmdFaxOnly")});
    FaxCommand(addin);
    expectMessage(onlyMessage(), invalidNumberMessage("call Ann first"), MsgIcon::Exclamation);
    EXPECT_TRUE(fax.jobs.empty());
    EXPECT_TRUE(word->prints().empty());
}

TEST_F(FaxCommandTest, MissingFaxSoftwareOffersTheSettingsAndFaxesNothingEitherWay) {
    openLetter();
    save(keys::FaxType, "3");
    fax.extendedFaxInstalled = false;
    user.answer(MsgResult::No);
    FaxCommand(addin);
    user.answer(MsgResult::Yes);
    user.onForm("frmPrinter", {choose("cboPrinter", testing::kWinFaxPrinter), click("optWinFax"), click("cmdOk")});
    FaxCommand(addin);

    const std::string question =
        "No fax printer installed. Do you wish to display the Telvora settings to change the printer settings.";
    EXPECT_EQ(prompts(), (Lines{question, question}));
    EXPECT_EQ(user.messages()[0].buttons, MsgButtons::YesNo);
    EXPECT_EQ(user.messages()[0].icon, MsgIcon::Question);
    EXPECT_EQ(store.stored(kAppName, kSectionName, keys::Printer), testing::kWinFaxPrinter) << "the chosen one is kept";
    EXPECT_TRUE(fax.jobs.empty());
}

TEST_F(FaxCommandTest, AFaxServiceWithoutDevicesIsExplainedAndTheFaxCommandSaysItIsCancelled) {
    openLetter();
    fax.localFaxDevices = 0;
    FaxCommand(addin);
    QuickFaxCommand(addin);
    const std::string noDevices = "No fax devices found. Please contact your IT department.";
    EXPECT_EQ(prompts(), (Lines{noDevices, "Cannot find fax server. Faxing cancelled.", noDevices}))
        << "the quick fax adds nothing to the service's own reason";
    EXPECT_TRUE(user.forms().empty());
}

TEST_F(FaxCommandTest, WithNoDocumentOpenBothCommandsSayOnlyThat) {
    store.DeleteSetting(kAppName, kSectionName, keys::Printer);  // a printer check would show the setup
    FaxCommand(addin);
    QuickFaxCommand(addin);
    EXPECT_EQ(prompts(), (Lines{"This command is not available because no document is open.",
                                "This command is not available because no document is open."}));
    EXPECT_EQ(user.messages()[0].icon, MsgIcon::Exclamation);
    EXPECT_TRUE(user.forms().empty());
}

// A user interface whose confirmation dialog comes back with its copies refused, without Fax or
// Cancel: what a host that lost its window does. After a few showings it cancels, so a command
// that shows the dialog again and again fails the test instead of hanging.
class UndecidedUi final : public testing::AnsweringUi {
public:
    void runModal(Form& form) override {
        if (++shown > 3) {
            form.control("cmdCancel").fireClick();
            return;
        }
        form.control("txtCopies").setText("many");
        form.control("cmdFaxOnly").fireClick();
        form.hide();
    }
    int shown = 0;
};

TEST_F(FaxCommandTest, ADialogThatComesBackUndecidedIsACancelNotShownAgainAndAgain) {
    fileCopies(1);
    openLetter();
    UndecidedUi ui;
    Addin undecided{Ports{store, automation, ui, platform, &machine.dateTimes}};
    undecided.setWord(word);
    FaxCommand(undecided);
    EXPECT_EQ(ui.shown, 1);
    EXPECT_EQ(ui.prompts, Lines{"Please enter a valid number."});
    EXPECT_TRUE(fax.jobs.empty());
}

// --- The quick fax command ----------------------------------------------------------------------

class QuickFaxTest : public FaxCommandTest {
protected:
    // Windows 2000's fax service, which keeps the recipient's company as well as the name.
    QuickFaxTest() {
        machine.runWindows(sim::windows::W2000);
        fax.faxServiceInstalled = true;
        fax.extendedFaxInstalled = false;
    }
    // A letter with every field marked and another number in its text; `selected` is selected
    // (nothing: an insertion point).
    void openNote(const std::string& name, const char* selected, bool numberMarked = true) {
        sim::DocumentBuilder note(name);
        note.styled("tlvRecipientName", "Ann Okafor").text("\r").styled("tlvCompanyName", "Okafor & Sons").text("\r");
        if (numberMarked) note.styled("tlvFaxNumber", "(02) 9876 5432");
        note.text("\rOr Fax: 555 2000\rThanks.");
        if (selected) note.select(selected);
        else note.select(0, 0);
        word->open(note.build());
    }
};

TEST_F(QuickFaxTest, TheSelectedNumberGoesBeforeTheMarkedOneAndNeverToTheMarkedRecipient) {
    const struct {
        const char* document;
        const char* selected;  // nullptr: only an insertion point
        const char* shown;
        const char* typed;     // typed over the number in the dialog
        const char* sent;
    } cases[] = {
        {"Selected.doc", "555 2000", "555 2000", nullptr, "5552000"},
        // A selection that ends with the paragraph mark is shown without it; what the dialog
        // hands back is what is sent.
        {"Paragraph.doc", "555 2000\r", "555 2000", "555 3000", "5553000"},
        {"Marked.doc", nullptr, "(02) 9876 5432", nullptr, "0298765432"},
    };
    for (const auto& c : cases) {
        openNote(c.document, c.selected);
        if (c.typed) user.onForm("frmQuickFaxConfirm", {typeInto("txtNumber", c.typed), click("cmdFaxOnly")});
        else user.onForm("frmQuickFaxConfirm", {click("cmdFaxOnly")});
        QuickFaxCommand(addin);
        ASSERT_FALSE(user.forms().empty());
        EXPECT_EQ(user.forms().back().texts.at("txtNumber"), c.shown) << c.document;
        EXPECT_EQ(user.forms().back().texts.at("txtSubject"), "Today's Fax") << c.document;
        ASSERT_FALSE(fax.jobs.empty());
        const sim::SubmittedFax& sent = fax.jobs.back();
        EXPECT_EQ(sent.number, c.sent) << c.document;
        EXPECT_EQ(sent.recipient, "") << c.document;
        EXPECT_EQ(sent.company, "") << c.document;
        EXPECT_EQ(sent.subject, "Today's Fax") << c.document;
    }
    EXPECT_EQ(fax.jobs.size(), std::size(cases));
    EXPECT_TRUE(user.messages().empty()) << "the required-information check is the fax command's only";
}

TEST_F(QuickFaxTest, WithoutANumberOrWithALabelSelectedNothingIsSent) {
    openNote("Unmarked.doc", nullptr, false);
    QuickFaxCommand(addin);
    openNote("Label.doc", "Fax: 555 2000");
    user.onForm("frmQuickFaxConfirm", {click("cmdFaxOnly")});
    QuickFaxCommand(addin);
    EXPECT_EQ(prompts(), (Lines{"Fax cannot be sent as no fax number was selected.\r\n"
                                "Please select the fax number from your document and try again.",
                                invalidNumberMessage("Fax: 555 2000")}));
    EXPECT_EQ(user.messages()[0].icon, MsgIcon::Exclamation);
    EXPECT_TRUE(fax.jobs.empty());
    EXPECT_TRUE(word->prints().empty());
}

TEST_F(FaxCommandTest, AnErrorBeforeTheNumberIsReadReachesTheQuickFaxsCallerButIsReportedByTheFaxCommand) {
    openLetter();
    save(keys::FaxType, "3");
    fax.extendedFaxInstalled = false;  // the settings are offered, and cannot be shown
    testing::AnsweringUi ui(MsgResult::Yes);  // a Yes to the settings, which cannot be shown
    Addin formless{Ports{store, automation, ui, platform, &machine.dateTimes}};
    formless.setWord(word);
    EXPECT_EQ(testing::errorOf([&] { QuickFaxCommand(formless); }), err::ActionNotSupported);
    FaxCommand(formless);
    const std::string question =
        "No fax printer installed. Do you wish to display the Telvora settings to change the printer settings.";
    EXPECT_EQ(ui.prompts, (Lines{question, question,
                                 "Error number: 445 Showing dialogs is not available yet in this release of Telvora."}));
}

}  // namespace
}  // namespace telvora
