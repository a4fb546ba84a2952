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

// Records the order of the writes a settings store receives.
class RecordingStore final : public SettingsStore {
public:
    explicit RecordingStore(SettingsStore& inner) : inner_(inner) {}
    std::string GetSetting(const std::string& a, const std::string& s, const std::string& k,
                           const std::string& d) override {
        return inner_.GetSetting(a, s, k, d);
    }
    void SaveSetting(const std::string& a, const std::string& s, const std::string& k, const std::string& v) override {
        inner_.SaveSetting(a, s, k, v);
        writes.push_back(k + "=" + v);
    }
    void DeleteSetting(const std::string& a, const std::string& s, const std::string& k) override {
        inner_.DeleteSetting(a, s, k);
    }
    std::vector<std::string> writes;

private:
    SettingsStore& inner_;
};

class DeliveryTest : public testing::SimAddinTest {
protected:
    DeliveryTest() {
        // A system whose fax service still delivers pop-up receipts.
        machine.runWindows(sim::windows::XP);
        fax.extendedFaxInstalled = true;
        fax.reachableServers = {"SBS01"};
        save(keys::FaxType, "3");
        confirm.load();
    }
    void save(const char* key, const std::string& value) { store.SaveSetting(kAppName, kSectionName, key, value); }
    std::optional<std::string> stored(const char* key) const { return store.stored(kAppName, kSectionName, key); }
    // The user clicks the delivery notification on the confirmation dialog and follows `steps`.
    void notify(std::vector<sim::UserStep> steps) {
        user.onForm("frmDeliveryNote", std::move(steps));
        confirm.lblDelNote_Click();
    }
    std::pair<std::string, std::string> shown() const { return {confirm.lblDelNote.tag(), confirm.lblDelNote.caption()}; }

    RecordingStore recording{store};
    Addin recorded{Ports{recording, automation, user, platform, &machine.dateTimes}};
    frmSendConfirm confirm{recorded};
};

TEST_F(DeliveryTest, AnAddressIsAcceptedOnlyWhenItCanReceiveTheReceipt) {
    const std::string invalid = "You have entered an invalid email address. Please enter a valid address.";
    const struct {
        const char* address;
        const char* message;  // nullptr: accepted
    } cases[] = {
        {"anna.maria.lopez@mail.okafor.example", nullptr},
        {"  anna@okafor.example  ", nullptr},
        {"anna@okafor", invalid.c_str()},
        {"anna@.okafor.example", invalid.c_str()},
        {"anna@okafor.", invalid.c_str()},
        {"@okafor.example", invalid.c_str()},
        {"anna@lopez@okafor.example", invalid.c_str()},
        {"anna..lopez@okafor.example", invalid.c_str()},
        {"anna lopez@okafor.example", invalid.c_str()},
        {"   ", invalid.c_str()},
        {"", "Please enter e-mail address to continue"},
    };
    for (const auto& c : cases) {
        const auto before = shown();
        const std::size_t messages = user.messages().size();
        if (c.message) {
            notify({click("optEmail"), typeInto("txtEmailAddress", c.address), click("cmdOK"), click("cmdCancel")});
            ASSERT_EQ(user.messages().size(), messages + 1) << c.address;
            const auto& m = user.messages().back();
            EXPECT_EQ(m.prompt, c.message);
            EXPECT_EQ(m.icon, MsgIcon::Exclamation);
            EXPECT_EQ(m.title, "Telvora");
            EXPECT_EQ(shown(), before) << c.address;
        } else {
            notify({click("optEmail"), typeInto("txtEmailAddress", c.address), click("cmdOK")});
            EXPECT_EQ(user.messages().size(), messages) << c.address;
            EXPECT_EQ(shown(), std::make_pair(std::string("Email"), "Email: " + trimBlanks(c.address)));
            EXPECT_EQ(ReadDeliveryNote(confirm), "Email: " + trimBlanks(c.address));
        }
    }
    EXPECT_TRUE(recording.writes.empty()) << "nothing saved without the tick";
}

TEST_F(DeliveryTest, ARefusedAddressIsSelectedForRetyping) {
    frmDeliveryNote form(recorded);
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
    EXPECT_TRUE(recording.writes.empty());
}

TEST_F(DeliveryTest, SavingWritesTheFiveSettingsInOrderAndTheNextDialogOpensOnThem) {
    notify({click("optEmail"), typeInto("txtEmailAddress", " anna@okafor.example "), click("chkSave"), click("cmdOK")});
    EXPECT_EQ(recording.writes, (std::vector<std::string>{"PopupMsg=False", "Email=True",
                                                          "EmailAddress=anna@okafor.example", "ynoSave=1",
                                                          "DontNotify=False"}));
    frmQuickFaxConfirm next(recorded);
    next.load();
    EXPECT_EQ(next.lblDelNote.tag(), "Email");
    EXPECT_EQ(next.lblDelNote.caption(), "Email: anna@okafor.example");
}

TEST_F(DeliveryTest, PopUpSavesTheAddressStillInTheField) {
    notify({click("optEmail"), typeInto("txtEmailAddress", "anna@okafor.example"), click("optPopUpMsg"),
            click("chkSave"), click("cmdOK")});
    EXPECT_EQ(recording.writes, (std::vector<std::string>{"PopupMsg=True", "Email=False",
                                                          "EmailAddress=anna@okafor.example", "ynoSave=1",
                                                          "DontNotify=False"}));
    EXPECT_EQ(shown(), std::make_pair(std::string("PopUp"), std::string("Pop up Message")));
    EXPECT_EQ(ReadDeliveryNote(confirm), "PopUp");
}

TEST_F(DeliveryTest, FromWindowsVistaOnAPopUpReceiptIsNotOfferedAndASavedOneIsNone) {
    machine.runWindows(sim::windows::W10);
    save(keys::YnoSave, "True");
    save(keys::PopupMsg, "True");
    frmSendConfirm again{recorded};
    again.load();
    EXPECT_EQ(again.lblDelNote.caption(), "Don't Notify") << "what the confirmation says is what will happen";
    EXPECT_EQ(ReadDeliveryNote(again), "");
    frmDeliveryNote form(recorded);
    EXPECT_FALSE(form.optPopUpMsg.enabled());
    EXPECT_TRUE(form.optNoNote.enabled());
    EXPECT_TRUE(form.optEmail.enabled());
}

TEST_F(DeliveryTest, WithoutTheTickTheSavedDefaultStays) {
    save(keys::YnoSave, "True");
    save(keys::PopupMsg, "True");
    notify({click("optNoNote"), click("cmdOK")});
    EXPECT_EQ(shown(), std::make_pair(std::string("None"), std::string("Don't Notify")));
    EXPECT_EQ(ReadDeliveryNote(confirm), "");
    EXPECT_TRUE(recording.writes.empty());
    EXPECT_EQ(DefaultDeliveryKind(recorded), "PopUp");
}

TEST_F(DeliveryTest, OpeningAgainShowsTheChoiceAndCancelChangesNothing) {
    notify({click("optEmail"), typeInto("txtEmailAddress", "anna@okafor.example"), click("cmdOK")});
    const auto chosen = shown();
    notify({click("cmdOK")});
    EXPECT_EQ(shown(), chosen) << "the option and address come back as chosen";
    notify({click("optPopUpMsg"), click("chkSave"), click("cmdCancel")});
    EXPECT_EQ(shown(), chosen);
    EXPECT_TRUE(recording.writes.empty());
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
