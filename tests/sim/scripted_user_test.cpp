// The scripted user and the form model together: a script acts on forms as a person would, and
// every way a test can go against its own script is caught instead of hanging or passing.
#include "sim/scripted_user.h"

#include <gtest/gtest.h>

#include "base/errors.h"
#include "forms/form.h"

namespace telvora::sim {
namespace {

// A small dialog with one of each kind of control the add-in's dialogs use, recording its events.
class TestDialog final : public Form {
public:
    explicit TestDialog(Ui& ui, std::string name = "frmTest") : Form(std::move(name), "Test", {0, 0, 200, 100}), ui_(ui) {
        txtNumber.onChange = [this] { events.push_back("txtNumber_Change"); };
        cboPrinter.addItem("Don't Print");
        cboPrinter.addItem("Laser");
        cboPrinter.onClick = [this] { events.push_back("cboPrinter_Click:" + cboPrinter.text()); };
        chkCopy.onClick = [this] { events.push_back("chkCopy_Click:" + std::to_string(chkCopy.value())); };
        optNow.onClick = [this] { events.push_back("optNow_Click"); };
        optLater.onClick = [this] { events.push_back("optLater_Click"); };
        cmdOK.setDefault(true);
        cmdOK.onClick = [this] { setTag("OK"); hide(); };
        cmdCancel.setCancel(true);
        cmdCancel.onClick = [this] { setTag("Cancel"); hide(); };
        cmdMore.onClick = [this] { inner = std::make_unique<TestDialog>(ui_, "frmInner"); inner->showModal(ui_); };
        cmdFail.onClick = [] { throw RuntimeError(5, "handler failed"); };
    }
    bool refuseFrameClose = false;
    std::vector<std::string> events;
    std::unique_ptr<TestDialog> inner;

    Control& txtNumber = add(ControlKind::TextBox, "txtNumber", "", {});
    Control& cboPrinter = add(ControlKind::ComboBox, "cboPrinter", "", {});
    Control& chkCopy = add(ControlKind::CheckBox, "chkCopy", "Copy", {});
    Control& optNow = add(ControlKind::OptionButton, "optNow", "Now", {}, "fraWhen");
    Control& optLater = add(ControlKind::OptionButton, "optLater", "Later", {}, "fraWhen");
    Control& cmdOK = add(ControlKind::Button, "cmdOK", "OK", {});
    Control& cmdCancel = add(ControlKind::Button, "cmdCancel", "Cancel", {});
    Control& cmdMore = add(ControlKind::Button, "cmdMore", "More", {});
    Control& cmdFail = add(ControlKind::Button, "cmdFail", "Fail", {});

protected:
    void Form_Load() override { events.push_back("Form_Load"); }
    void Form_KeyDown(int& keyCode, int) override {
        if (keyCode == kKeyF1) {
            events.push_back("help");
            keyCode = 0;
        }
    }
    void Form_QueryUnload(int& cancel, UnloadMode mode) override {
        events.push_back(mode == UnloadMode::WindowFrame ? "QueryUnload:frame" : "QueryUnload:code");
        if (refuseFrameClose && mode == UnloadMode::WindowFrame) cancel = 1;
    }

private:
    Ui& ui_;
};

class ScriptedUserTest : public ::testing::Test {
protected:
    ScriptedUser user;
    TestDialog dialog{user};
};

TEST_F(ScriptedUserTest, AScriptTypesChoosesClicksAndCloses) {
    user.onForm("frmTest", {typeInto("txtNumber", "555"), choose("cboPrinter", "Laser"), click("chkCopy"),
                            click("optLater"), click("optNow"), pressKey(kKeyF1), click("cmdOK")});
    dialog.showModal(user);
    EXPECT_EQ(user.finish(), "");
    EXPECT_EQ(dialog.tag(), "OK");
    EXPECT_FALSE(dialog.visible());
    EXPECT_TRUE(dialog.loaded()) << "hiding is not unloading";
    EXPECT_EQ(dialog.txtNumber.text(), "555");
    EXPECT_EQ(dialog.cboPrinter.listIndex(), 1);
    EXPECT_EQ(dialog.chkCopy.value(), 1);
    EXPECT_EQ(dialog.optNow.value(), 1);
    EXPECT_EQ(dialog.optLater.value(), 0) << "option buttons of one frame exclude each other";
    EXPECT_EQ(dialog.events, (std::vector<std::string>{"Form_Load", "txtNumber_Change", "cboPrinter_Click:Laser",
                                                       "chkCopy_Click:1", "optLater_Click", "optNow_Click", "help"}));
    ASSERT_EQ(user.forms().size(), 1u);
    EXPECT_EQ(user.forms()[0].name, "frmTest");
}

TEST_F(ScriptedUserTest, ReturnAndEscapeReachTheDefaultAndCancelButtons) {
    user.onForm("frmTest", {pressKey(kKeyEscape)});
    dialog.showModal(user);
    EXPECT_EQ(dialog.tag(), "Cancel");
    user.onForm("frmTest", {pressKey(kKeyReturn)});
    dialog.showModal(user);
    EXPECT_EQ(dialog.tag(), "OK");
    EXPECT_EQ(user.finish(), "");
}

TEST_F(ScriptedUserTest, AFormOpenedFromAFormTakesTheNextScript) {
    user.onForm("frmTest", {click("cmdMore"), click("cmdCancel")});
    user.onForm("frmInner", {typeInto("txtNumber", "1"), click("cmdOK")});
    dialog.showModal(user);
    EXPECT_EQ(user.finish(), "");
    EXPECT_EQ(dialog.tag(), "Cancel");
    ASSERT_TRUE(dialog.inner);
    EXPECT_EQ(dialog.inner->tag(), "OK");
}

TEST_F(ScriptedUserTest, ClosingFromTheFrameAsksTheFormWhichMayRefuse) {
    user.onForm("frmTest", {closeWindow()});
    dialog.showModal(user);
    EXPECT_EQ(user.finish(), "");
    EXPECT_FALSE(dialog.loaded());
    EXPECT_EQ(dialog.events.back(), "QueryUnload:frame");

    dialog.refuseFrameClose = true;
    user.onForm("frmTest", {closeWindow(), click("cmdOK")});
    dialog.showModal(user);
    EXPECT_EQ(user.finish(), "");
    EXPECT_EQ(dialog.tag(), "OK");
}

TEST_F(ScriptedUserTest, MessageBoxesAreAnsweredInOrderAndRecordedExactly) {
    user.answer(MsgResult::No);
    EXPECT_EQ(user.messageBox("Continue?", MsgButtons::YesNo, MsgIcon::Question, "Telvora"), MsgResult::No);
    EXPECT_EQ(user.messageBox("Done.", MsgButtons::OK, MsgIcon::Information, "Telvora"), MsgResult::OK);
    EXPECT_EQ(user.finish(), "");
    ASSERT_EQ(user.messages().size(), 2u);
    EXPECT_EQ(user.messages()[0].icon, MsgIcon::Question);
    EXPECT_EQ(user.transcript()[1], "message [Telvora, information, OK -> OK]: Done.");
}

TEST_F(ScriptedUserTest, GoingAgainstTheScriptIsReportedAndNeverHangs) {
    // A question nobody answered gets the safe refusal.
    EXPECT_EQ(user.messageBox("Delete?", MsgButtons::YesNo, MsgIcon::Question, "Telvora"), MsgResult::No);
    EXPECT_NE(user.finish().find("message box left unanswered: Delete?"), std::string::npos);

    // An answer that does not fit the buttons, and one never used.
    user.answer(MsgResult::Yes);
    user.messageBox("Go?", MsgButtons::OKCancel, MsgIcon::None, "Telvora");
    user.answer(MsgResult::OK);
    user.answer(MsgResult::Cancel);
    const std::string unfit = user.finish();
    EXPECT_NE(unfit.find("does not fit"), std::string::npos) << unfit;
    EXPECT_NE(unfit.find("answer(s) unused"), std::string::npos) << unfit;

    // A form nobody scripted is closed and reported.
    dialog.showModal(user);
    EXPECT_FALSE(dialog.visible());
    EXPECT_NE(user.finish().find("no script was given"), std::string::npos);

    // The wrong form, a script that stops early, steps left over, a disabled control, a failing handler.
    user.onForm("frmOther", {});
    dialog.showModal(user);
    EXPECT_NE(user.finish().find("expected form frmOther"), std::string::npos);

    user.onForm("frmTest", {typeInto("txtNumber", "1")});
    dialog.showModal(user);
    EXPECT_NE(user.finish().find("ended with the form still open"), std::string::npos);

    user.onForm("frmTest", {click("cmdOK"), click("cmdOK")});
    dialog.showModal(user);
    EXPECT_NE(user.finish().find("1 script step(s) unused"), std::string::npos);

    dialog.txtNumber.setLocked(true);
    dialog.chkCopy.setEnabled(false);
    user.onForm("frmTest", {typeInto("txtNumber", "2"), click("chkCopy"), click("cmdFail"), click("cmdOK")});
    dialog.showModal(user);
    const std::string misuse = user.finish();
    EXPECT_NE(misuse.find("cannot type into frmTest.txtNumber"), std::string::npos) << misuse;
    EXPECT_NE(misuse.find("cannot reach frmTest.chkCopy"), std::string::npos) << misuse;
    EXPECT_NE(misuse.find("raised error 5: handler failed"), std::string::npos) << misuse;
    EXPECT_EQ(dialog.txtNumber.text(), "1");
    EXPECT_EQ(dialog.chkCopy.value(), 0);

    user.onForm("frmNeverShown", {});
    EXPECT_NE(user.finish().find("frmNeverShown was never used"), std::string::npos);
}

}  // namespace
}  // namespace telvora::sim
