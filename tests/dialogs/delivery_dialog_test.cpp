// Choosing how the shared fax server reports a delivery: the address the dialog accepts, what it
// saves as the default and when, and what the confirmation dialog then shows and hands on.
#include "dialogs/delivery_dialog.h"

#include <gtest/gtest.h>

#include "base/text.h"
#include "core/settings.h"
#include "dialogs/confirm_dialogs.h"
#include "dialogs/send_options.h"
#include "support/sim_addin.h"

namespace telvora {
namespace {

using sim::click;
using sim::typeInto;

class DeliveryTest : public testing::SimAddinTest {
protected:
    DeliveryTest() {
        // A system whose fax service still delivers pop-up receipts.
        machine.runWindows(sim::windows::XP);
        fax.extendedFaxInstalled = true;
        fax.reachableServers = {"SBS01"};
        save(keys::FaxType, "3");
        confirm.load();
        opened = store.all();
    }
    // The user clicks the delivery notification on the confirmation dialog and follows `steps`.
    void notify(std::vector<sim::UserStep> steps) {
        user.onForm("frmDeliveryNote", std::move(steps));
        confirm.lblDelNote_Click();
    }
    std::pair<std::string, std::string> shown() const { return {confirm.lblDelNote.tag(), confirm.lblDelNote.caption()}; }
    void expectSaved(const char* popup, const char* email, const char* address) const {
        EXPECT_EQ(stored(keys::PopupMsg), popup);
        EXPECT_EQ(stored(keys::Email), email);
        EXPECT_EQ(stored(keys::EmailAddress), address);
        EXPECT_EQ(stored(keys::YnoSave), "1");
        EXPECT_EQ(stored(keys::DontNotify), "False");
    }
    // Nothing was saved since the dialog opened.
    bool nothingSaved() const { return store.all() == opened; }

    frmSendConfirm confirm{addin};
    std::map<testing::MemorySettingsStore::Address, std::string> opened;
};

TEST_F(DeliveryTest, AnAddressIsAcceptedOnlyWhenItCanReceiveTheReceipt) {
    const std::string invalid = "You have entered an invalid email address. Please enter a valid address.";
    const struct {
        const char* address;
        const char* message;  // nullptr: accepted
    } cases[] = {
        {"anna.maria.lopez@mail.okafor.example", nullptr},
        {"  anna@okafor.example  ", nullptr},
        // Each rule an address must keep is the address check's own test; here what the dialog does.
        {"anna@okafor", invalid.c_str()},
        {"   ", invalid.c_str()},
        {"", "Please enter e-mail address to continue"},
    };
    for (const auto& c : cases) {
        const auto before = shown();
        const std::size_t messages = user.messages().size();
        if (c.message) {
            notify({click("optEmail"), typeInto("txtEmailAddress", c.address), click("cmdOK"), click("cmdCancel")});
            ASSERT_EQ(user.messages().size(), messages + 1) << c.address;
            expectMessage(user.messages().back(), c.message, MsgIcon::Exclamation);
            EXPECT_EQ(shown(), before) << c.address;
        } else {
            notify({click("optEmail"), typeInto("txtEmailAddress", c.address), click("cmdOK")});
            EXPECT_EQ(user.messages().size(), messages) << c.address;
            EXPECT_EQ(shown(), std::make_pair(std::string("Email"), "Email: " + trimBlanks(c.address)));
            EXPECT_EQ(ReadDeliveryNote(confirm), "Email: " + trimBlanks(c.address));
        }
    }
    EXPECT_TRUE(nothingSaved()) << "nothing saved without the tick";
}

TEST_F(DeliveryTest, ARefusedAddressIsSelectedForRetyping) {
    frmDeliveryNote form(addin);
    form.load();
    form.optEmail.setValue(1);
    form.chkSave.setValue(1);
    form.txtEmailAddress.setText("anna@okafor");
    form.cmdOK.setFocus();
    form.cmdOK_Click();
    EXPECT_TRUE(form.txtEmailAddress.hasFocus());
    EXPECT_EQ(form.txtEmailAddress.selStart(), 0);
    EXPECT_EQ(form.txtEmailAddress.selLength(), 11);
    EXPECT_EQ(form.tag(), "");
    EXPECT_TRUE(nothingSaved());
}

TEST_F(DeliveryTest, SavingStoresTheFiveSettingsAndTheNextDialogOpensOnThem) {
    notify({click("optEmail"), typeInto("txtEmailAddress", " anna@okafor.example "), click("chkSave"), click("cmdOK")});
    expectSaved("False", "True", "anna@okafor.example");
    frmQuickFaxConfirm next(addin);
    next.load();
    EXPECT_EQ(next.lblDelNote.tag(), "Email");
    EXPECT_EQ(next.lblDelNote.caption(), "Email: anna@okafor.example");
}

TEST_F(DeliveryTest, PopUpSavesTheAddressStillInTheField) {
    notify({click("optEmail"), typeInto("txtEmailAddress", "anna@okafor.example"), click("optPopUpMsg"),
            click("chkSave"), click("cmdOK")});
    expectSaved("True", "False", "anna@okafor.example");
    EXPECT_EQ(shown(), std::make_pair(std::string("PopUp"), std::string("Pop up Message")));
    EXPECT_EQ(ReadDeliveryNote(confirm), "PopUp");
}

// What a saved pop-up receipt becomes there is the confirmation dialog's test.
TEST_F(DeliveryTest, FromWindowsVistaOnAPopUpReceiptIsNotOffered) {
    machine.runWindows(sim::windows::W10);
    frmDeliveryNote form(addin);
    EXPECT_FALSE(form.optPopUpMsg.enabled());
    EXPECT_TRUE(form.optNoNote.enabled());
    EXPECT_TRUE(form.optEmail.enabled());
}

TEST_F(DeliveryTest, WithoutTheTickTheSavedDefaultStays) {
    save(keys::YnoSave, "True");
    save(keys::PopupMsg, "True");
    opened = store.all();
    notify({click("optNoNote"), click("cmdOK")});
    EXPECT_EQ(shown(), std::make_pair(std::string("None"), std::string("Don't Notify")));
    EXPECT_EQ(ReadDeliveryNote(confirm), "");
    EXPECT_TRUE(nothingSaved());
    EXPECT_EQ(DefaultDeliveryKind(addin), "PopUp");
}

TEST_F(DeliveryTest, OpeningAgainShowsTheChoiceAndCancelChangesNothing) {
    notify({click("optEmail"), typeInto("txtEmailAddress", "anna@okafor.example"), click("cmdOK")});
    const auto chosen = shown();
    notify({click("cmdOK")});
    EXPECT_EQ(shown(), chosen) << "the option and address come back as chosen";
    notify({click("optPopUpMsg"), click("chkSave"), click("cmdCancel")});
    EXPECT_EQ(shown(), chosen);
    EXPECT_TRUE(nothingSaved());
    EXPECT_TRUE(user.messages().empty());
}

TEST_F(DeliveryTest, ASaveThatFailsIsReportedAndTheDialogStaysOpen) {
    store.failWith(err::PathFileAccess);
    notify({click("optPopUpMsg"), click("chkSave"), click("cmdOK"), click("cmdCancel")});
    ASSERT_EQ(user.messages().size(), 1u);
    EXPECT_EQ(user.messages()[0].prompt, "Error number: 75 Path/File access error");
    EXPECT_EQ(shown(), std::make_pair(std::string("None"), std::string("Don't Notify")));
}

}  // namespace
}  // namespace telvora
