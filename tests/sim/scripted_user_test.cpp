// The scripted user and the form model together: a script acts on forms as a person would, and
// every way a test can go against its own script is caught instead of hanging or passing.
#include "sim/scripted_user.h"

#include <gtest/gtest.h>

#include "base/errors.h"
#include "forms/form.h"
#include "support/sim_addin.h"

namespace telvora::sim {
namespace {

using telvora::testing::contains;
// A small dialog recording how it was closed.
class TestDialog final : public Form {
public:
    TestDialog() : Form("frmTest", "Test", {0, 0, 200, 100}) {
        cmdOK.setDefault(true);
        cmdOK.onClick = [this] { setTag("OK"); hide(); };
        cmdCancel.setCancel(true);
        cmdCancel.onClick = [this] { setTag("Cancel"); hide(); };
        cmdFail.onClick = [] { throw RuntimeError(5, "handler failed"); };
    }
    bool refuseFrameClose = false;
    std::string closedBy;

    Control& txtNumber = add(ControlKind::TextBox, "txtNumber", "", {});
    Control& chkCopy = add(ControlKind::CheckBox, "chkCopy", "Copy", {});
    Control& cmdOK = add(ControlKind::Button, "cmdOK", "OK", {});
    Control& cmdCancel = add(ControlKind::Button, "cmdCancel", "Cancel", {});
    Control& cmdFail = add(ControlKind::Button, "cmdFail", "Fail", {});

protected:
    void Form_QueryUnload(int& cancel, UnloadMode mode) override {
        closedBy = mode == UnloadMode::WindowFrame ? "frame" : "code";
        if (refuseFrameClose && mode == UnloadMode::WindowFrame) cancel = 1;
    }
};

class ScriptedUserTest : public ::testing::Test {
protected:
    ScriptedUser user;
    TestDialog dialog;
};

TEST_F(ScriptedUserTest, ClosingFromTheFrameAsksTheFormWhichMayRefuse) {
    user.onForm("frmTest", {closeWindow()});
    dialog.showModal(user);
    EXPECT_EQ(user.finish(), "");
    EXPECT_FALSE(dialog.loaded());
    EXPECT_EQ(dialog.closedBy, "frame");

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
    EXPECT_EQ(user.transcript()[1], "message [Telvora, information, OK -> OK]: Done.");
}

TEST_F(ScriptedUserTest, GoingAgainstTheScriptIsReportedAndNeverHangs) {
    // A question nobody answered gets the safe refusal.
    EXPECT_EQ(user.messageBox("Delete?", MsgButtons::YesNo, MsgIcon::Question, "Telvora"), MsgResult::No);
    EXPECT_TRUE(contains(user.finish(), "message box left unanswered: Delete?"));

    // An answer that does not fit the buttons, and one never used.
    user.answer(MsgResult::Yes);
    user.messageBox("Go?", MsgButtons::OKCancel, MsgIcon::None, "Telvora");
    user.answer(MsgResult::OK);
    user.answer(MsgResult::Cancel);
    const std::string unfit = user.finish();
    EXPECT_TRUE(contains(unfit, "does not fit"));
    EXPECT_TRUE(contains(unfit, "answer(s) unused"));

    // A form nobody scripted is closed and reported.
    dialog.showModal(user);
    EXPECT_FALSE(dialog.visible());
    EXPECT_TRUE(contains(user.finish(), "no script was given"));

    // The wrong form, a script that stops early, steps left over, a disabled control, a failing handler.
    user.onForm("frmOther", {});
    dialog.showModal(user);
    EXPECT_TRUE(contains(user.finish(), "expected form frmOther"));

    user.onForm("frmTest", {typeInto("txtNumber", "1")});
    dialog.showModal(user);
    EXPECT_TRUE(contains(user.finish(), "ended with the form still open"));

    user.onForm("frmTest", {click("cmdOK"), click("cmdOK")});
    dialog.showModal(user);
    EXPECT_TRUE(contains(user.finish(), "1 script step(s) unused"));

    dialog.txtNumber.setLocked(true);
    dialog.chkCopy.setEnabled(false);
    user.onForm("frmTest", {typeInto("txtNumber", "2"), click("chkCopy"), click("cmdFail"), click("cmdOK")});
    dialog.showModal(user);
    const std::string misuse = user.finish();
    EXPECT_TRUE(contains(misuse, "cannot type into frmTest.txtNumber"));
    EXPECT_TRUE(contains(misuse, "cannot reach frmTest.chkCopy"));
    EXPECT_TRUE(contains(misuse, "raised error 5: handler failed"));
    EXPECT_EQ(dialog.txtNumber.text(), "1");
    EXPECT_EQ(dialog.chkCopy.value(), 0);

    user.onForm("frmNeverShown", {});
    EXPECT_TRUE(contains(user.finish(), "frmNeverShown was never used"));
}

}  // namespace
}  // namespace telvora::sim
