// The form model's promises to every host: a window that watches a form learns every change a
// handler makes as it happens, a drop-down list holds only what it lists, keys reach the form
// before the control, and a form that could not be shown is not left showing.
#include "forms/form.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "base/errors.h"
#include "support/error_number.h"

namespace telvora {
namespace {

class Dialog final : public Form {
public:
    Dialog() : Form("frmDialog", "Dialog", {0, 0, 200, 100}) {
        cboPrinter.setComboStyle(ComboStyle::DropDownList);
        for (const char* p : {"Don't Print", "Laser"}) cboPrinter.addItem(p);
        cboPrinter.onClick = [this] { events.push_back("cboPrinter_Click:" + cboPrinter.text()); };
        txtNumber.onKeyDown = [this](int& key, int) { events.push_back("txtNumber_KeyDown:" + std::to_string(key)); };
        cmdOK.setDefault(true);
        cmdOK.onClick = [this] { events.push_back("cmdOK_Click"); };
    }
    std::vector<std::string> events;
    bool consumeF1 = false;

    Control& lblNumber = add(ControlKind::Label, "lblNumber", "Number:", {});
    Control& txtNumber = add(ControlKind::TextBox, "txtNumber", "", {});
    Control& cboPrinter = add(ControlKind::ComboBox, "cboPrinter", "", {});
    Control& cboTime = add(ControlKind::ComboBox, "cboTime", "", {});
    Control& optNow = add(ControlKind::OptionButton, "optNow", "Now", {}, "fraWhen");
    Control& optLater = add(ControlKind::OptionButton, "optLater", "Later", {}, "fraWhen");
    Control& cmdOK = add(ControlKind::Button, "cmdOK", "OK", {});

protected:
    void Form_KeyDown(int& key, int) override {
        events.push_back("Form_KeyDown:" + std::to_string(key));
        if (consumeF1 && key == kKeyF1) key = 0;
    }
};

// What a window showing the form would be told, one line per change.
class Watcher final : public FormObserver {
public:
    void changed(Control* control, Change what, int index) noexcept override {
        static const char* const names[] = {"Text",      "Enabled",   "Locked",     "Visible",     "BackColor",
                                            "Font",      "Default",   "Cancel",     "Value",       "ListIndex",
                                            "Selection", "Focus",     "ItemAdded",  "ItemChanged", "ItemsCleared", "Caption", "Hidden",    "Unloaded",    "Destroyed"};
        std::string line = control ? control->name() : "form";
        line += ' ';
        line += names[static_cast<int>(what)];
        if (index >= 0) line += ' ' + std::to_string(index);
        seen.push_back(std::move(line));
    }
    std::vector<std::string> seen;
};

TEST(FormModel, AWatchingHostLearnsEveryVisibleChangeInTheOrderItIsMade) {
    Watcher watcher;
    Dialog dialog;
    dialog.setObserver(&watcher);
    dialog.load();

    dialog.txtNumber.setText("555");
    dialog.txtNumber.setText("555");  // no change, nothing to repaint
    dialog.txtNumber.setLocked(true);
    dialog.txtNumber.setBackColor(kButtonFace);
    dialog.txtNumber.setSelStart(1);
    dialog.optNow.setValue(1);
    dialog.optLater.setValue(1);  // the other option of the frame is cleared, and the window told
    dialog.cboTime.addItem("12:00 AM");
    dialog.cboTime.setListIndex(0);  // choosing shows the item's text too
    dialog.cboTime.setItem(0, "12:30 AM");
    dialog.cboTime.clear();
    dialog.cmdOK.setFocus();
    dialog.setCaption("Fax");
    dialog.hide();  // not shown: nothing to hide

    EXPECT_EQ(watcher.seen,
              (std::vector<std::string>{"txtNumber Text", "txtNumber Locked", "txtNumber BackColor",
                                        "txtNumber Selection", "optNow Value", "optLater Value", "optNow Value",
                                        "cboTime ItemAdded 0", "cboTime ListIndex", "cboTime Text",
                                        "cboTime ItemChanged 0", "cboTime Text", "cboTime ItemsCleared",
                                        "cboTime Text", "cmdOK Focus", "form Caption"}));
    EXPECT_EQ(dialog.optNow.value(), 0);
    EXPECT_EQ(dialog.cboTime.text(), "");
}

TEST(FormModel, AHostLearnsWhenTheFormGoesAwayHowever) {
    Watcher watcher;
    {
        Dialog dialog;
        dialog.setObserver(&watcher);
        dialog.load();
        (void)dialog.unload();
        watcher.seen.push_back("--");
    }
    EXPECT_EQ(watcher.seen, (std::vector<std::string>{"form Unloaded", "--", "form Destroyed"}))
        << "a window still showing a destroyed form must never touch it again";
}

TEST(FormModel, ADropDownListHoldsOnlyWhatItLists) {
    Dialog dialog;
    dialog.cboPrinter.setText("Laser");
    EXPECT_EQ(dialog.cboPrinter.listIndex(), 1) << "setting the text chooses the item";
    EXPECT_EQ(dialog.events, (std::vector<std::string>{"cboPrinter_Click:Laser"}));

    EXPECT_EQ(testing::errorOf([&] { dialog.cboPrinter.setText("Fax on the second floor"); }), 383);
    EXPECT_EQ(dialog.cboPrinter.text(), "Laser") << "a refused text leaves the choice as it was";
    EXPECT_EQ(dialog.cboPrinter.listIndex(), 1);

    // A combo box that takes typed text keeps any text.
    dialog.cboTime.setText("03:15 PM");
    EXPECT_EQ(dialog.cboTime.text(), "03:15 PM");
}

TEST(FormModel, ReplacingAListItemKeepsItsPlaceAndAChosenItemsText) {
    Dialog dialog;
    dialog.cboPrinter.setListIndex(1);
    dialog.cboPrinter.setItem(1, "Laser (Room 4)");
    EXPECT_EQ(dialog.cboPrinter.items(), (std::vector<std::string>{"Don't Print", "Laser (Room 4)"}));
    EXPECT_EQ(dialog.cboPrinter.text(), "Laser (Room 4)");
    EXPECT_EQ(testing::errorOf([&] { dialog.cboPrinter.setItem(2, "x"); }), err::InvalidProcedureCall);
}

TEST(FormModel, KeysReachTheFormFirstAndOnlyAKeyDownHostLeavesReturnToTheWindowSystem) {
    Dialog dialog;
    dialog.load();
    dialog.txtNumber.setFocus();

    int key = kKeyReturn;
    dialog.keyDown(key, 0);
    EXPECT_EQ(dialog.events, (std::vector<std::string>{"Form_KeyDown:13", "txtNumber_KeyDown:13"}));
    EXPECT_EQ(key, kKeyReturn) << "keyDown leaves the default button to the window system";

    dialog.events.clear();
    dialog.pressKey(kKeyReturn);
    EXPECT_EQ(dialog.events, (std::vector<std::string>{"Form_KeyDown:13", "txtNumber_KeyDown:13", "cmdOK_Click"}));

    dialog.events.clear();
    dialog.consumeF1 = true;
    dialog.pressKey(kKeyF1);
    EXPECT_EQ(dialog.events, (std::vector<std::string>{"Form_KeyDown:112"})) << "the form kept F1 to itself";
}

// A host that cannot show the form (no display, no memory for the window).
class BrokenHost final : public FormHost {
public:
    void runModal(Form&) override { throw RuntimeError(-2147024888, "Not enough memory resources"); }
};

TEST(FormModel, AFormThatCouldNotBeShownIsNotLeftShowing) {
    Dialog dialog;
    BrokenHost host;
    EXPECT_EQ(testing::errorOf([&] { dialog.showModal(host); }), -2147024888);
    EXPECT_FALSE(dialog.visible()) << "a command reading the form after the error must not think it is up";
    EXPECT_TRUE(dialog.loaded());
}

}  // namespace
}  // namespace telvora
