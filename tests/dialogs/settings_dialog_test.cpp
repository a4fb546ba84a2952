// The "Settings" dialog as Tools > Settings opens it: the copy printer and copies it shows and
// stores, and the way through to the fax printer setup and back.
#include "dialogs/settings_dialog.h"

#include <gtest/gtest.h>

#include "core/settings.h"
#include "host/buttons.h"
#include "support/sim_addin.h"

namespace telvora {
namespace {

using sim::choose;
using sim::click;
using sim::typeInto;

class SettingsDialogTest : public testing::SimAddinTest {
protected:
    SettingsDialogTest() {
        machine.setPrinters({"Fax", "HP LaserJet 4250 PCL6", "Office Fax (Reception)"});
        fax.extendedFaxInstalled = true;
    }
    void settings(std::vector<sim::UserStep> steps) {
        user.onForm("frmSettings", std::move(steps));
        buttons.cmdSettings();
    }

    Buttons buttons{addin};
};

TEST_F(SettingsDialogTest, ChoosingAPrinterAlwaysStartsAtOneCopy) {
    save(keys::DefaultPrinter, "Fax");
    save(keys::DefaultCopies, "5");
    frmSettings form(addin);
    form.load();
    EXPECT_EQ(form.caption(), "Settings");
    form.cboCopyPrinter.setListIndex(2);
    EXPECT_EQ(form.txtCopies.text(), "1");
    form.cboCopyPrinter.setListIndex(0);
    EXPECT_EQ(form.txtCopies.text(), "0");
    EXPECT_TRUE(form.txtCopies.locked());
    form.cboCopyPrinter.setListIndex(1);
    EXPECT_EQ(form.txtCopies.text(), "1");
    EXPECT_FALSE(form.txtCopies.locked());
    EXPECT_EQ(form.txtCopies.backColor(), kWindowWhite);
}

TEST_F(SettingsDialogTest, OkStoresTheCopyPrinterAndCopiesAndCancelStoresNothing) {
    settings({choose("cboCopyPrinter", "HP LaserJet 4250 PCL6"), typeInto("txtCopies", "2 "), click("cmdCancel")});
    EXPECT_EQ(store.size(), 0u);
    settings({choose("cboCopyPrinter", "HP LaserJet 4250 PCL6"), typeInto("txtCopies", "2 "), click("cmdOK")});
    EXPECT_EQ(stored(keys::DefaultPrinter), "HP LaserJet 4250 PCL6");
    EXPECT_EQ(stored(keys::DefaultCopies), "2");
    settings({choose("cboCopyPrinter", "Don't Print"), click("cmdOK")});
    EXPECT_EQ(stored(keys::DefaultPrinter), "Don't Print");
    EXPECT_EQ(stored(keys::DefaultCopies), "0");
    EXPECT_TRUE(user.messages().empty());
}

TEST_F(SettingsDialogTest, BadCopiesAreExplainedSelectedAndNothingIsStored) {
    settings({choose("cboCopyPrinter", "Fax"), typeInto("txtCopies", "many"), click("cmdOK"),
              typeInto("txtCopies", "40000"), click("cmdOK"), click("cmdCancel")});
    ASSERT_EQ(user.messages().size(), 2u);
    EXPECT_EQ(user.messages()[0].prompt, "Please enter a valid number.");
    EXPECT_EQ(user.messages()[1].prompt, "The number must be between 1 and 32767.");
    EXPECT_EQ(store.size(), 0u);
}

TEST_F(SettingsDialogTest, TheFaxPrinterSetupOpensInItsPlaceAndWhatItStoredIsWhatTheDialogShowsWhenItComesBack) {
    // OK here must not put back the copy printer the dialog showed before the setup changed it.
    user.onForm("frmSettings", {click("lblFaxPrinter")});
    user.onForm("frmPrinter", {choose("cboPrinter", "Office Fax (Reception)"), choose("cboCopyPrinter", "HP LaserJet 4250 PCL6"),
                               typeInto("txtCopies", "3"), click("cmdOk")});
    user.onForm("frmSettings", {click("cmdOK")});
    buttons.cmdSettings();
    ASSERT_EQ(user.forms().size(), 3u);
    EXPECT_EQ(user.forms()[1].name, "frmPrinter");
    EXPECT_EQ(stored(keys::Printer), "Office Fax (Reception)") << "stored by the command object's ToolsPrinter";
    EXPECT_NE(std::find(automation.attempts().begin(), automation.attempts().end(), "Telvora.Buttons"),
              automation.attempts().end());
    EXPECT_EQ(stored(keys::DefaultPrinter), "HP LaserJet 4250 PCL6");
    EXPECT_EQ(stored(keys::DefaultCopies), "3");

    // A setup that stores nothing leaves the user's unsaved choice here as it was.
    user.onForm("frmSettings", {typeInto("txtCopies", "5"), click("lblFaxPrinter")});
    user.onForm("frmPrinter", {click("cmdCancel")});
    user.onForm("frmSettings", {click("cmdOK")});
    buttons.cmdSettings();
    EXPECT_EQ(stored(keys::DefaultCopies), "5");
}

TEST_F(SettingsDialogTest, WhenTheCommandObjectCannotBeCreatedTheUserIsToldAndTheDialogComesBack) {
    automation.uninstall("Telvora.Buttons");
    user.onForm("frmSettings", {click("lblFaxPrinter")});
    user.onForm("frmSettings", {click("cmdCancel")});
    buttons.cmdSettings();
    EXPECT_EQ(onlyMessage().prompt, "Error number: 429 ActiveX component can't create object");
    EXPECT_EQ(user.forms().size(), 2u);
}

}  // namespace
}  // namespace telvora
