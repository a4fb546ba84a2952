// The "Fax" and "Quick Fax" confirmation dialogs as the fax commands show them: what they open
// with, the delivery line and its saved default, the copy printer question, what Fax and Cancel hand
// back, and help.
#include "dialogs/confirm_dialogs.h"

#include <gtest/gtest.h>

#include <map>

#include "core/settings.h"
#include "support/sim_addin.h"

namespace telvora {
namespace {

using sim::choose;
using sim::click;
using sim::closeWindow;
using sim::pressKey;
using sim::typeInto;

constexpr const char* kLaser = "HP LaserJet 4250 PCL6";

class ConfirmTest : public testing::SimAddinTest {
protected:
    ConfirmTest() { machine.setPrinters({"Fax", kLaser, "Office Fax (Reception)"}); }
    void expectCopies(const ConfirmDialog& form, const std::string& printer, const std::string& copies, bool editable) {
        auto& dialog = const_cast<ConfirmDialog&>(form);
        EXPECT_EQ(dialog.copyPrinterBox().text(), printer);
        EXPECT_EQ(dialog.copiesBox().text(), copies);
        EXPECT_EQ(dialog.copiesBox().locked(), !editable);
        EXPECT_EQ(dialog.copiesBox().backColor(), editable ? kWindowWhite : kButtonFace);
    }
};

// Runs a check on both dialogs, each made fresh on the test's add-in.
template <class Check>
void forBothDialogs(Addin& addin, Check&& check) {
    {
        frmSendConfirm form(addin);
        check(static_cast<ConfirmDialog&>(form), std::string("frmSendConfirm"));
    }
    {
        frmQuickFaxConfirm form(addin);
        check(static_cast<ConfirmDialog&>(form), std::string("frmQuickFaxConfirm"));
    }
}

// --- Opening ------------------------------------------------------------------------------------

TEST_F(ConfirmTest, TheDeliveryLineIsShownOnlyForTheSharedFaxWithItsServiceThere) {
    save(keys::YnoSave, "True");
    save(keys::Email, "True");
    save(keys::EmailAddress, "anna@okafor.example");
    const struct {
        const char* faxType;  // nullptr: never chosen
        bool extendedInstalled;
        bool shown;
    } cases[] = {
        {"3", true, true}, {"3", false, false}, {"1", true, false}, {"2", true, false}, {nullptr, true, false},
    };
    for (const auto& c : cases) {
        if (c.faxType) save(keys::FaxType, c.faxType);
        else store.DeleteSetting(kAppName, kSectionName, keys::FaxType);
        fax.extendedFaxInstalled = c.extendedInstalled;
        forBothDialogs(addin, [&](ConfirmDialog& form, const std::string& name) {
            form.load();
            const std::string what = name + " FaxType " + (c.faxType ? c.faxType : "unset");
            for (Control* line : {&form.deliveryHeading(), &form.deliveryLabel(), &form.deliveryHint()})
                EXPECT_EQ(line->visible(), c.shown) << what << " " << line->name();
            EXPECT_EQ(ReadDeliveryNote(form), c.shown ? "Email: anna@okafor.example" : "") << what;
        });
    }
}

TEST_F(ConfirmTest, TheSavedDeliveryDefaultCountsOnlyWhenSavingWasTickedAndEmailWins) {
    const struct {
        const char* ynoSave;
        const char* popup;
        const char* email;
        const char* kind;
        const char* caption;
        OsVersion system = sim::windows::XP;
    } cases[] = {
        {nullptr, "True", "True", "None", "Don't Notify"},
        {"False", "True", "True", "None", "Don't Notify"},
        {"True", "True", "False", "PopUp", "PopUp Message"},
        // Where no pop-up receipt is delivered, the saved one is none, and the dialog says so.
        {"True", "True", "False", "None", "Don't Notify", sim::windows::W10},
        {"True", "True", "True", "Email", "Email: anna@okafor.example"},
        {"1", "False", "True", "Email", "Email: anna@okafor.example"},
        {"True", "False", "False", "None", "Don't Notify"},
    };
    save(keys::EmailAddress, "anna@okafor.example");
    for (const auto& c : cases) {
        machine.runWindows(c.system);
        if (c.ynoSave) save(keys::YnoSave, c.ynoSave);
        else store.DeleteSetting(kAppName, kSectionName, keys::YnoSave);
        save(keys::PopupMsg, c.popup);
        save(keys::Email, c.email);
        EXPECT_EQ(DefaultDeliveryKind(addin), c.kind) << (c.ynoSave ? c.ynoSave : "-") << c.popup << c.email;
        EXPECT_EQ(DefaultDeliveryCaption(addin), c.caption);
    }
}

TEST_F(ConfirmTest, OpeningStartsAfreshWithTheSavedCopyPrinter) {
    save(keys::DefaultPrinter, kLaser);
    save(keys::DefaultCopies, "3");
    addin.notificationDisabled = true;
    frmQuickFaxConfirm form(addin);
    form.filing() = FilingCopies{true, "Fax", 2};
    form.load();
    EXPECT_FALSE(form.filing().print);
    EXPECT_EQ(form.filing().printer, "");
    EXPECT_FALSE(addin.notificationDisabled) << "a refused receipt is asked about again for each fax";
    EXPECT_EQ(form.tag(), "");
    EXPECT_EQ(ReadSchedule(form), "Now");
    EXPECT_EQ(form.cboCopyPrinter.items(), (std::vector<std::string>{"Don't Print", "Fax", kLaser, "Office Fax (Reception)"}));
    expectCopies(form, kLaser, "3", true);
    EXPECT_TRUE(user.messages().empty());
}

TEST_F(ConfirmTest, AMissingCopyPrinterIsAskedAboutInEachDialogsOwnWords) {
    save(keys::DefaultPrinter, "Old Laser");
    save(keys::DefaultCopies, "4");
    const std::map<std::string, std::string> question = {
        {"frmSendConfirm",
         "The default printer has not found. Would you like to setup up a default printer?\r\n"
         "Click Yes to setup a Default printer.\r\n"
         "Click to ignore and continue sending the fax."},
        {"frmQuickFaxConfirm",
         "The default printer has not been found. Would you like to setup up a default printer?\r\n"
         "Click Yes to setup a default printer.\r\n"
         "Click No to ignore and continue sending the fax."},
    };
    forBothDialogs(addin, [&](ConfirmDialog& form, const std::string& name) {
        user.answer(MsgResult::No);
        form.load();
        ASSERT_FALSE(user.messages().empty());
        expectMessage(user.messages().back(), question.at(name), MsgIcon::Question, MsgButtons::YesNo);
        expectCopies(form, "Don't Print", "0", false);
    });
}

TEST_F(ConfirmTest, YesOpensTheCopyPrinterSettingsAndShowsWhatWasSetThere) {
    save(keys::DefaultPrinter, "Old Laser");
    user.answer(MsgResult::Yes);
    user.onForm("frmSettings", {choose("cboCopyPrinter", kLaser), typeInto("txtCopies", "2"), click("cmdOK")});
    frmSendConfirm form(addin);
    form.load();
    expectCopies(form, kLaser, "2", true);

    user.answer(MsgResult::Yes);
    user.onForm("frmSettings", {click("cmdCancel")});
    save(keys::DefaultPrinter, "Old Laser");
    frmQuickFaxConfirm cancelled(addin);
    cancelled.load();
    expectCopies(cancelled, "Don't Print", "0", false);
}

// --- Fax and Cancel -----------------------------------------------------------------------------

TEST_F(ConfirmTest, FaxKeepsTheCopyPrinterAndCopiesForTheFaxAndDontPrintNeverChecksThem) {
    save(keys::DefaultPrinter, kLaser);
    frmSendConfirm form(addin);
    user.onForm("frmSendConfirm", {typeInto("txtCopies", " 3 "), click("cmdFaxOnly")});
    form.showModal(user);
    EXPECT_EQ(form.tag(), "Fax");
    EXPECT_TRUE(form.filing().print);
    EXPECT_EQ(form.filing().printer, kLaser);
    EXPECT_EQ(form.filing().copies, 3);

    // Don't Print never checks the copies.
    form.cboCopyPrinter.setListIndex(0);
    form.txtCopies.setText("not a number");
    form.cmdFaxOnly_Click();
    EXPECT_TRUE(user.messages().empty());
    EXPECT_EQ(form.tag(), "Fax");
    EXPECT_FALSE(form.filing().print);
    EXPECT_EQ(form.filing().printer, "Don't Print");
    EXPECT_EQ(form.filing().copies, 0);
}

TEST_F(ConfirmTest, RefusedCopiesLeaveInvalidWithTheDialogOpenUntilTheyAreRight) {
    frmQuickFaxConfirm form(addin);
    // The second Fax is only clicked if the dialog stayed open after the first.
    user.onForm("frmQuickFaxConfirm", {choose("cboCopyPrinter", "Fax"), typeInto("txtCopies", "0"),
                                       click("cmdFaxOnly"), typeInto("txtCopies", "2"), click("cmdFaxOnly")});
    form.showModal(user);
    ASSERT_EQ(user.messages().size(), 1u);
    EXPECT_EQ(user.messages()[0].prompt, "The number must be between 1 and 32767.");
    EXPECT_EQ(form.tag(), "Fax");
    EXPECT_EQ(form.filing().copies, 2);

    form.txtCopies.setText("many");
    form.cmdFaxOnly_Click();
    EXPECT_EQ(form.tag(), "Invalid");
    EXPECT_FALSE(form.filing().print);
}

TEST_F(ConfirmTest, CancelAndClosingTheWindowSendNothing) {
    frmSendConfirm cancelled(addin);
    user.onForm("frmSendConfirm", {pressKey(kKeyEscape)});
    cancelled.showModal(user);
    EXPECT_EQ(cancelled.tag(), "Cancel");

    frmQuickFaxConfirm closed(addin);
    user.onForm("frmQuickFaxConfirm", {choose("cboCopyPrinter", "Fax"), typeInto("txtCopies", "-1"),
                                       click("cmdFaxOnly"), closeWindow()});
    closed.showModal(user);
    EXPECT_EQ(closed.tag(), "") << "closed another way: neither sent nor shown again";
}

TEST_F(ConfirmTest, F1OpensEachDialogsOwnHelpTopic) {
    forBothDialogs(addin, [&](ConfirmDialog& form, const std::string& name) {
        form.load();
        form.copiesBox().setFocus();
        form.pressKey(kKeyF1);
        ASSERT_FALSE(platform.helpCalls.empty());
        EXPECT_EQ(platform.helpCalls.back().helpFile, "C:\\Telvora\\Telvora.chm");
        EXPECT_EQ(platform.helpCalls.back().command, HelpCommand::DisplayContext);
        EXPECT_EQ(platform.helpCalls.back().data, name == "frmSendConfirm" ? 1070u : 1075u);
    });
    EXPECT_EQ(platform.helpCalls.size(), 2u);
}

}  // namespace
}  // namespace telvora
