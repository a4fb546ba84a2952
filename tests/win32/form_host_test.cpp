// The Win32 form host on a real window system: a form with every kind of control, shown as a
// modal dialog and driven with real keyboard and mouse input, as a Word user would.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <memory>
#include <optional>

#include "base/errors.h"
#include "forms/form.h"
#include "gui_counts.h"
#include "screenshot.h"
#include "support.h"
#include "user_script.h"
#include "win32/text.h"
#include "win32/win32_ui.h"

namespace telvora::win32 {
namespace {

using test::act;
using test::until;

// One control of each kind the add-in's dialogs use, every event recorded.
class EveryControl final : public Form {
public:
    explicit EveryControl(Ui& ui) : Form("frmEvery", "Every control", {0, 0, 260, 200}), ui_(ui) {
        txtName.onChange = [this] { record("txtName_Change:" + txtName.text()); };
        txtName.onKeyDown = [this](int& key, int) { record("txtName_KeyDown:" + std::to_string(key)); };
        txtName.onGotFocus = [this] { record("txtName_GotFocus"); };
        txtName.onLostFocus = [this] { record("txtName_LostFocus"); };
        txtFixed.setLocked(true);
        txtFixed.setBackColor(kButtonFace);
        txtFixed.onChange = [this] { record("txtFixed_Change"); };
        lnkMore.onClick = [this] { record("lnkMore_Click"); };
        cboPrinter.setComboStyle(ComboStyle::DropDownList);
        for (const char* p : {"Don't Print", "HP LaserJet", "Office Fax"}) cboPrinter.addItem(p);
        cboPrinter.onClick = [this] { record("cboPrinter_Click:" + cboPrinter.text()); };
        for (const char* t : {"12:00 AM", "12:30 AM", "01:00 AM"}) cboTime.addItem(t);
        cboTime.onChange = [this] { record("cboTime_Change:" + cboTime.text()); };
        cboTime.onClick = [this] { record("cboTime_Click:" + cboTime.text()); };
        lstLog.addItem("Invalid Fax Number. \tJohn Smith\t\t\t Acme");
        lstLog.addItem("N.\t\t Mary Jones\t\t\t Widgets");
        lstLog.onClick = [this] { record("lstLog_Click:" + std::to_string(lstLog.listIndex())); };
        chkCopy.onClick = [this] { record("chkCopy_Click:" + std::to_string(chkCopy.value())); };
        for (Control* o : {&optNow, &optDiscount, &optTime, &optNone, &optEmail})
            o->onClick = [this, o] { record(o->name() + "_Click"); };
        cmdOK.setDefault(true);
        cmdOK.onClick = [this] { record("cmdOK_Click"); };
        cmdCancel.setCancel(true);
        cmdCancel.onClick = [this] { record("cmdCancel_Click"); };
        cmdApply.onClick = [this] { apply(); };
        cmdFail.onClick = [] { throw RuntimeError(5, "handler failed"); };
        cmdOff.setEnabled(false);
        cmdOff.onClick = [this] { record("cmdOff_Click"); };
        cmdMore.onClick = [this] { onMore(); };
        lblHeading.setFont({"Arial", 10, true});
    }

    std::vector<std::string> events;
    int refuseFrameClose = 0;
    bool consumeF1 = false;
    std::function<void()> onMore;

    Control& lblHeading = add(ControlKind::Label, "lblHeading", "ERROR REASON", {7, 5, 120, 10});
    Control& lblName = add(ControlKind::Label, "lblName", "&Name:", {7, 20, 40, 8});
    Control& txtName = add(ControlKind::TextBox, "txtName", "", {50, 18, 100, 12});
    Control& txtFixed = add(ControlKind::TextBox, "txtFixed", "fixed", {50, 33, 100, 12});
    Control& lnkMore = add(ControlKind::LinkLabel, "lnkMore", "More information", {160, 20, 90, 8});
    Control& cboPrinter = add(ControlKind::ComboBox, "cboPrinter", "", {50, 48, 100, 12});
    Control& cboTime = add(ControlKind::ComboBox, "cboTime", "", {160, 48, 90, 12});
    Control& lstLog = add(ControlKind::ListBox, "lstLog", "", {7, 64, 243, 30});
    Control& chkCopy = add(ControlKind::CheckBox, "chkCopy", "&Print a copy", {7, 98, 80, 10});
    Control& fraWhen = add(ControlKind::Frame, "fraWhen", "When", {7, 110, 120, 50});
    Control& optNow = add(ControlKind::OptionButton, "optNow", "Now", {14, 120, 100, 10}, "fraWhen");
    Control& optDiscount = add(ControlKind::OptionButton, "optDiscount", "Discount", {14, 132, 100, 10}, "fraWhen");
    Control& optTime = add(ControlKind::OptionButton, "optTime", "Time", {14, 144, 100, 10}, "fraWhen");
    Control& fraHow = add(ControlKind::Frame, "fraHow", "How", {134, 110, 116, 50});
    Control& optNone = add(ControlKind::OptionButton, "optNone", "Don't notify", {141, 120, 100, 10}, "fraHow");
    Control& optEmail = add(ControlKind::OptionButton, "optEmail", "E-mail", {141, 132, 100, 10}, "fraHow");
    Control& linRule = add(ControlKind::Line, "linRule", "", {7, 164, 243, 1});
    Control& picIcon = add(ControlKind::Picture, "picIcon", "", {7, 168, 24, 24});
    Control& cmdOK = add(ControlKind::Button, "cmdOK", "&OK", {40, 180, 40, 14});
    Control& cmdCancel = add(ControlKind::Button, "cmdCancel", "&Cancel", {84, 180, 40, 14});
    Control& cmdApply = add(ControlKind::Button, "cmdApply", "&Apply", {128, 180, 40, 14});
    Control& cmdFail = add(ControlKind::Button, "cmdFail", "&Fail", {172, 180, 25, 14});
    Control& cmdOff = add(ControlKind::Button, "cmdOff", "Off", {200, 180, 25, 14});
    Control& cmdMore = add(ControlKind::Button, "cmdMore", "&More", {228, 180, 25, 14});

protected:
    void Form_Load() override { optNow.setValue(1); }
    void Form_KeyDown(int& key, int) override {
        record("Form_KeyDown:" + std::to_string(key));
        if (consumeF1 && key == kKeyF1) key = 0;
    }
    void Form_QueryUnload(int& cancel, UnloadMode mode) override {
        record(mode == UnloadMode::WindowFrame ? "QueryUnload:frame" : "QueryUnload:code");
        cancel = refuseFrameClose;
    }
    void Form_Unload(int&) override { record("Form_Unload"); }

private:
    void record(std::string e) { events.push_back(std::move(e)); }

    // Everything a handler may change, changed at once; the message box shows while the
    // window must already show the changes.
    void apply() {
        txtName.setText("Ωμέγα 東京");
        lblName.setCaption("New name:");
        cboPrinter.clear();
        cboPrinter.addItem("Don't Print");
        cboPrinter.addItem("Fax (Reception)");
        cboPrinter.setListIndex(1);
        lstLog.addItem("N.\t\t Third");
        lstLog.setItem(0, "Replaced");
        chkCopy.setValue(1);
        optTime.setValue(1);
        txtFixed.setLocked(false);
        txtFixed.setBackColor(0x00C0FFC0);
        cmdOff.setEnabled(true);
        lnkMore.setVisible(false);
        setCaption("Changed — Ωμέγα");
        txtName.setFocus();
        (void)ui_.messageBox("Applied", MsgButtons::OK, MsgIcon::Information, "Telvora");
        record("applied");
    }

    Ui& ui_;
};

class FormHost : public ::testing::Test {
protected:
    void SetUp() override {
        if (!::GetEnvironmentVariableW(L"DISPLAY", nullptr, 0)) GTEST_SKIP() << "no display";
    }

    // Shows the form until the script is done; the form is hidden then if the script left it up.
    void run(Form& form, std::vector<test::Step> steps) {
        test::UserScript script(std::move(steps), [&form] {
            if (form.visible()) form.hide();
        });
        form.showModal(ui);
        EXPECT_EQ(script.failure(), "");
        EXPECT_TRUE(script.finished()) << "the dialog closed before the script was done";
    }

    HWND window(const Control& c) const { return ui.windowOf(c); }
    HWND dialog() const { return ui.windowOf(form); }
    std::wstring text(const Control& c) const { return test::windowTextOf(window(c)); }
    bool has(const std::string& e) const {
        return std::find(form.events.begin(), form.events.end(), e) != form.events.end();
    }
    void forget() { form.events.clear(); }
    test::Step focus(Control& c) {
        return act([&c] { c.setFocus(); });
    }
    test::Step key(WORD k, bool alt = false) {
        return act([k, alt] { test::pressKey(k, alt); });
    }

    Win32Ui ui;
    EveryControl form{ui};
};

TEST_F(FormHost, TypingRaisesChangeWithEachNewTextAndTabMovesTheFocusWithItsEvents) {
    run(form, {focus(form.txtName), act([&] { forget(); }), act([] { test::typeText(L"ab"); }), act([&] {
                   EXPECT_EQ(form.txtName.text(), "ab");
                   EXPECT_TRUE(has("txtName_Change:a"));
                   EXPECT_TRUE(has("txtName_Change:ab"));
                   forget();
               }),
               key(VK_TAB), act([&] {
                   EXPECT_EQ(form.focused(), &form.txtFixed);
                   EXPECT_EQ(::GetFocus(), window(form.txtFixed));
                   EXPECT_TRUE(has("txtName_LostFocus"));
               })});
}

// A dialog follows the scaling of the monitor it is on, whatever awareness Word's thread runs with
// (here none, as an old Word's), and the thread has its own awareness back once the dialog is gone.
TEST_F(FormHost, TheDialogIsPerMonitorAwareAndTheThreadKeepsItsOwnAwareness) {
    const HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
    const auto function = [user32](const char* name) { return reinterpret_cast<void*>(::GetProcAddress(user32, name)); };
    const auto setThread = reinterpret_cast<HANDLE(WINAPI*)(HANDLE)>(function("SetThreadDpiAwarenessContext"));
    const auto threadContext = reinterpret_cast<HANDLE(WINAPI*)()>(function("GetThreadDpiAwarenessContext"));
    const auto windowContext = reinterpret_cast<HANDLE(WINAPI*)(HWND)>(function("GetWindowDpiAwarenessContext"));
    const auto awareness = reinterpret_cast<int(WINAPI*)(HANDLE)>(function("GetAwarenessFromDpiAwarenessContext"));
    if (!setThread || !threadContext || !windowContext || !awareness) GTEST_SKIP() << "no per-monitor awareness here";
    constexpr int kUnaware = 0;
    constexpr int kPerMonitorAware = 2;
    const HANDLE original = setThread(reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-1)));  // unaware
    ASSERT_EQ(awareness(threadContext()), kUnaware);
    run(form, {act([&] { EXPECT_EQ(awareness(windowContext(dialog())), kPerMonitorAware); })});
    EXPECT_EQ(awareness(threadContext()), kUnaware);
    (void)setThread(original);
}

TEST_F(FormHost, TheDialogOpensWithTheFocusWhereTheFormPutItNotOnItsFirstField) {
    form.load();
    form.cmdCancel.setFocus();
    form.events.clear();
    run(form, {act([&] {
        EXPECT_EQ(::GetFocus(), window(form.cmdCancel));
        EXPECT_EQ(form.focused(), &form.cmdCancel);
        EXPECT_TRUE(form.events.empty()) << "no focus events for the dialog manager's own first choice";
    })});
}

TEST_F(FormHost, TextOutsideTheAnsiCodePageArrivesAndShowsUnchanged) {
    form.setCaption("Fax an Zoë — Ωμέγα 東京");
    run(form, {focus(form.txtName), act([] { test::typeText(L"Zoë Ωμέγα 東京 "); }),
               // A character beyond the Basic Multilingual Plane, pasted in (two UTF-16 units).
               act([&] {
                   ::SendMessageW(window(form.txtName), EM_REPLACESEL, TRUE,
                                  reinterpret_cast<LPARAM>(L"\U0001F4E0"));
               }),
               act([&] {
                   EXPECT_EQ(form.txtName.text(), "Zoë Ωμέγα 東京 \U0001F4E0");
                   EXPECT_EQ(test::windowTextOf(dialog()), L"Fax an Zoë — Ωμέγα 東京");
               }),
               // The form learns the caret with the next key: after the fax machine, 14 characters
               // in (15 UTF-16 units).
               key(VK_SHIFT), act([&] {
                   EXPECT_EQ(form.txtName.selStart(), 14);
                   EXPECT_EQ(form.txtName.selLength(), 0);
                   ::SendMessageW(window(form.txtName), EM_SETSEL, 13, 15);
               }),
               key(VK_SHIFT), act([&] {
                   EXPECT_EQ(form.txtName.selStart(), 13) << "the fax machine alone is selected";
                   EXPECT_EQ(form.txtName.selLength(), 1);
                   form.txtName.setSelStart(4);
                   form.txtName.setSelLength(5);
                   DWORD start = 0, end = 0;
                   ::SendMessageW(window(form.txtName), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                                  reinterpret_cast<LPARAM>(&end));
                   EXPECT_EQ(start, 4u);
                   EXPECT_EQ(end, 9u) << "Ωμέγα";
               })});
}

TEST_F(FormHost, ReturnEscapeAndMnemonicsReachTheirButtons) {
    run(form, {focus(form.txtName), act([&] { forget(); }), key(VK_RETURN), act([&] {
                   EXPECT_TRUE(has("cmdOK_Click"));
                   forget();
               }),
               key(VK_ESCAPE), act([&] {
                   EXPECT_TRUE(has("cmdCancel_Click"));
                   EXPECT_FALSE(has("cmdOK_Click"));
                   forget();
               }),
               key('P', true), act([&] {
                   EXPECT_EQ(form.chkCopy.value(), 1) << "Alt+P ticks \"&Print a copy\"";
                   EXPECT_TRUE(has("chkCopy_Click:1"));
               })});
}

TEST_F(FormHost, F1InATextBoxReachesTheFormFirstWhichMayKeepItFromTheControl) {
    run(form, {focus(form.txtName), act([&] { forget(); }), key(VK_F1), act([&] {
                   EXPECT_EQ(form.events, (std::vector<std::string>{"Form_KeyDown:112", "txtName_KeyDown:112"}));
                   forget();
                   form.consumeF1 = true;
               }),
               key(VK_F1), act([&] { EXPECT_EQ(form.events, (std::vector<std::string>{"Form_KeyDown:112"})); })});
}

TEST_F(FormHost, ArrowKeysMoveBetweenTheOptionsOfOneFrameAndTickThem) {
    run(form, {focus(form.optNow), act([&] { forget(); }), key(VK_DOWN), act([&] {
                   EXPECT_EQ(::GetFocus(), window(form.optDiscount));
                   EXPECT_EQ(form.optDiscount.value(), 1);
                   EXPECT_EQ(form.optNow.value(), 0);
                   EXPECT_EQ(::SendMessageW(window(form.optDiscount), BM_GETCHECK, 0, 0), BST_CHECKED);
                   EXPECT_EQ(::SendMessageW(window(form.optNow), BM_GETCHECK, 0, 0), BST_UNCHECKED);
                   EXPECT_TRUE(has("optDiscount_Click"));
               }),
               key(VK_DOWN), key(VK_DOWN), act([&] {
                   EXPECT_EQ(form.optNow.value(), 1) << "the last option wraps round to the first";
                   EXPECT_EQ(form.optNone.value(), 0) << "another frame's options are not touched";
               }),
               key(VK_UP), act([&] { EXPECT_EQ(form.optTime.value(), 1); }),
               // Tab leaves the frame and Shift+Tab comes back to its chosen option.
               key(VK_TAB), act([&] { test::pressKey(VK_TAB, false, true); }),
               act([&] { EXPECT_EQ(::GetFocus(), window(form.optTime)); })});
}

TEST_F(FormHost, ALockedTextBoxRefusesTypingButKeepsItsText) {
    run(form, {focus(form.txtFixed), act([&] { forget(); }), act([] { test::typeText(L"xyz"); }), act([&] {
                   EXPECT_EQ(text(form.txtFixed), L"fixed");
                   EXPECT_FALSE(has("txtFixed_Change"));
                   EXPECT_TRUE(::IsWindowEnabled(window(form.txtFixed))) << "locked is not disabled";
                   EXPECT_EQ(::GetFocus(), window(form.txtFixed));
               })});
}

TEST_F(FormHost, ADisabledControlCannotBeClickedUntilEnabled) {
    run(form, {act([&] { forget(); }), act([&] { test::clickAt(window(form.cmdOff)); }), act([&] {
                   EXPECT_FALSE(has("cmdOff_Click"));
                   form.cmdOff.setEnabled(true);
               }),
               act([&] { test::clickAt(window(form.cmdOff)); }), act([&] { EXPECT_TRUE(has("cmdOff_Click")); })});
}

TEST_F(FormHost, TheUserPicksFromListsAsEachListAllows) {
    run(form,
        {focus(form.cboPrinter), act([&] { forget(); }), key(VK_DOWN), key(VK_DOWN), act([&] {
             EXPECT_TRUE(has("cboPrinter_Click:Don't Print"));
             EXPECT_EQ(form.cboPrinter.listIndex(), 1);
             EXPECT_EQ(form.cboPrinter.text(), "HP LaserJet");
             EXPECT_TRUE(has("cboPrinter_Click:HP LaserJet"));
         }),
         focus(form.cboTime), act([] { test::typeText(L"3:15 PM"); }), act([&] {
             EXPECT_EQ(form.cboTime.text(), "3:15 PM") << "a combo box takes typed text";
             EXPECT_TRUE(has("cboTime_Change:3:15 PM"));
             EXPECT_EQ(form.cboTime.listIndex(), -1);
             forget();
             form.cboTime.setLocked(true);
         }),
         key(VK_DOWN), act([] { test::typeText(L"9"); }), act([&] {
             EXPECT_EQ(form.cboTime.text(), "3:15 PM") << "a locked combo box takes neither choice nor typing";
             EXPECT_EQ(test::windowTextOf(window(form.cboTime)), L"3:15 PM");
             EXPECT_EQ(std::count_if(form.events.begin(), form.events.end(),
                                     [](const std::string& e) { return e.rfind("cboTime_", 0) == 0; }),
                       0);
         }),
         focus(form.lstLog), key(VK_DOWN), act([&] {
             EXPECT_EQ(form.lstLog.listIndex(), 0);
             EXPECT_TRUE(has("lstLog_Click:0"));
         })});
}

TEST_F(FormHost, ALinkLabelTakesTheFocusAndAnswersClicksReturnAndSpaceWithAHand) {
    run(form, {act([&] { forget(); }), act([&] { test::clickAt(window(form.lnkMore)); }), act([&] {
                   EXPECT_EQ(std::count(form.events.begin(), form.events.end(), "lnkMore_Click"), 1);
                   forget();
                   form.lnkMore.setFocus();
               }),
               key(VK_RETURN), key(VK_SPACE), act([&] {
                   EXPECT_EQ(form.events,
                             (std::vector<std::string>{"Form_KeyDown:13", "lnkMore_Click", "Form_KeyDown:32",
                                                       "lnkMore_Click"}));
                   EXPECT_FALSE(has("cmdOK_Click")) << "Return on a link follows the link, not the default button";
                   ::SendMessageW(dialog(), WM_SETCURSOR, reinterpret_cast<WPARAM>(window(form.lnkMore)),
                                  MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
                   EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, IDC_HAND));
               })});
}

TEST_F(FormHost, WhatAHandlerChangesShowsAtOnceEvenBehindTheMessageBoxItOpens) {
    // A point of the field clear of its text.
    auto background = [&] {
        RECT r{};
        ::GetClientRect(window(form.txtFixed), &r);
        return test::screenColourAt(window(form.txtFixed), POINT{r.right - 4, r.bottom / 2});
    };
    std::optional<COLORREF> fixedBefore;
    HWND box = nullptr;
    run(form,
        {act([&] { fixedBefore = background(); }),
         act([&] { test::pressKey('A', true); }),
         until([&] { return (box = test::otherDialog(dialog())) != nullptr; }, "the handler's message box"),
         act([&] {
             EXPECT_EQ(text(form.txtName), L"Ωμέγα 東京");
             EXPECT_EQ(text(form.lblName), L"New name:");
             EXPECT_EQ(::SendMessageW(window(form.cboPrinter), CB_GETCOUNT, 0, 0), 2);
             EXPECT_EQ(::SendMessageW(window(form.cboPrinter), CB_GETCURSEL, 0, 0), 1);
             EXPECT_EQ(::SendMessageW(window(form.lstLog), LB_GETCOUNT, 0, 0), 3);
             wchar_t first[64] = {};
             ::SendMessageW(window(form.lstLog), LB_GETTEXT, 0, reinterpret_cast<LPARAM>(first));
             EXPECT_STREQ(first, L"Replaced");
             EXPECT_EQ(::SendMessageW(window(form.chkCopy), BM_GETCHECK, 0, 0), BST_CHECKED);
             EXPECT_EQ(::SendMessageW(window(form.optTime), BM_GETCHECK, 0, 0), BST_CHECKED);
             EXPECT_EQ(::SendMessageW(window(form.optNow), BM_GETCHECK, 0, 0), BST_UNCHECKED);
             EXPECT_FALSE(::GetWindowLongW(window(form.txtFixed), GWL_STYLE) & ES_READONLY);
             EXPECT_TRUE(::IsWindowEnabled(window(form.cmdOff)));
             EXPECT_FALSE(::IsWindowVisible(window(form.lnkMore)));
             EXPECT_EQ(test::windowTextOf(dialog()), L"Changed — Ωμέγα");
             EXPECT_EQ(background(), RGB(0xC0, 0xFF, 0xC0));
             EXPECT_NE(*fixedBefore, RGB(0xC0, 0xFF, 0xC0));
             EXPECT_FALSE(has("applied")) << "the handler is still waiting for its message box";
             ::PostMessageW(box, WM_COMMAND, IDOK, 0);
         }),
         until([&] { return has("applied"); }, "the handler to finish"),
         act([&] { EXPECT_EQ(::GetFocus(), window(form.txtName)); })});
}

TEST_F(FormHost, ClosingFromTheFrameAsksTheFormWhichMayRefuse) {
    form.refuseFrameClose = 1;
    run(form, {act([&] { forget(); }), key(VK_F4, true), act([&] {
                   EXPECT_TRUE(has("QueryUnload:frame"));
                   EXPECT_TRUE(form.loaded());
                   EXPECT_TRUE(::IsWindowVisible(dialog())) << "refusing keeps the dialog up";
                   form.refuseFrameClose = 0;
                   ::SendMessageW(dialog(), WM_CLOSE, 0, 0);
               })});
    EXPECT_FALSE(form.loaded());
    EXPECT_EQ(form.events.back(), "Form_Unload");
}

TEST_F(FormHost, TheOwnerIsDisabledWhileTheDialogIsUpAndEnabledAfterEvenWhenAHandlerRaises) {
    unique_hwnd owner(::CreateWindowExW(0, L"STATIC", L"Document1 - Microsoft Word", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                        40, 40, 700, 500, nullptr, nullptr, nullptr, nullptr));
    ASSERT_TRUE(owner);
    ::SetForegroundWindow(owner.get());
    ::SetActiveWindow(owner.get());
    HWND box = nullptr;
    run(form, {act([&] {
                   EXPECT_EQ(::GetWindow(dialog(), GW_OWNER), owner.get());
                   EXPECT_FALSE(::IsWindowEnabled(owner.get()));
                   RECT o{}, d{};
                   ::GetWindowRect(owner.get(), &o);
                   ::GetWindowRect(dialog(), &d);
                   EXPECT_NEAR((o.left + o.right) / 2, (d.left + d.right) / 2, 1) << "centred on its owner";
                   EXPECT_NEAR((o.top + o.bottom) / 2, (d.top + d.bottom) / 2, 1);
                   forget();
               }),
               key('F', true),
               until([&] { return (box = test::otherDialog(dialog())) != nullptr; }, "the error report"),
               act([&] {
                   EXPECT_EQ(test::messageText(box), L"Error number: 5 handler failed");
                   EXPECT_EQ(test::windowTextOf(box), L"Telvora");
                   ::PostMessageW(box, WM_COMMAND, IDOK, 0);
               }),
               until([&] { return !::IsWindow(box); }, "the error report to close"),
               // The dialog is still there and answers the keyboard.
               focus(form.txtName), key(VK_RETURN), act([&] {
                   EXPECT_TRUE(has("cmdOK_Click"));
                   EXPECT_FALSE(::IsWindowEnabled(owner.get()));
               })});
    EXPECT_TRUE(::IsWindowEnabled(owner.get()));
    EXPECT_EQ(ui.windowOf(form), nullptr);
}

TEST_F(FormHost, AFormHiddenByItsHandlerAndShownAgainFromItComesBackInTheSameWindow) {
    unique_hwnd owner(::CreateWindowExW(0, L"STATIC", L"Word", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 600, 400,
                                        nullptr, nullptr, nullptr, nullptr));
    ::SetActiveWindow(owner.get());
    EveryControl other{ui};
    form.onMore = [&] {
        form.hide();
        other.showModal(ui);
        form.showModal(ui);
    };
    HWND first = nullptr;
    run(form, {act([&] { first = dialog(); }), key('M', true),
               until([&] { return ui.windowOf(other) != nullptr; }, "the second dialog"), act([&] {
                   EXPECT_FALSE(::IsWindowVisible(first)) << "the first dialog is hidden while the second is up";
                   EXPECT_EQ(::GetWindow(ui.windowOf(other), GW_OWNER), owner.get());
                   other.hide();
               }),
               until([&] { return ::IsWindowVisible(first) != FALSE; }, "the first dialog to come back"), act([&] {
                   EXPECT_EQ(dialog(), first);
                   EXPECT_FALSE(::IsWindowEnabled(owner.get()));
                   form.cmdOK.setFocus();
               }),
               key(VK_ESCAPE), act([&] { form.hide(); })});
    EXPECT_TRUE(::IsWindowEnabled(owner.get()));
    EXPECT_FALSE(::IsWindow(first));
}

TEST_F(FormHost, ShowingAFormThatIsAlreadyUpIsRefused) {
    run(form, {act([&] {
        try {
            form.showModal(ui);
            ADD_FAILURE() << "a second modal showing of a visible form";
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.number(), 400);
        }
        EXPECT_TRUE(form.visible());
    })});
}

TEST_F(FormHost, WindowsFontsBrushesAndIconsAreAllReleasedAfterAHundredDialogs) {
    // Every kind of control that holds something of the window system beyond its window: its own
    // font, the link's underlined font, a brush of its own colour, the icon, a combo box's field
    // and list windows, a list box's measured width.
    auto cycle = [this] {
        EveryControl shown{ui};
        shown.txtFixed.setBackColor(0x00C0FFC0);
        test::UserScript script({act([&] { (void)shown.unload(); })}, [&shown] {
            if (shown.visible()) shown.hide();
        });
        shown.showModal(ui);
        EXPECT_EQ(script.failure(), "");
        EXPECT_FALSE(shown.loaded());
    };
    // The first dialogs fill the window system's caches; what they keep is not a leak.
    for (int i = 0; i < 3; ++i) cycle();
    const test::GuiCounts before = test::guiCounts();
    ASSERT_GT(before.gdi, 0) << "no way to count GDI objects here";
    ASSERT_GT(before.user, 0);
    for (int i = 0; i < 100; ++i) cycle();
    const test::GuiCounts after = test::guiCounts();
    EXPECT_EQ(after, before) << "GDI " << after.gdi - before.gdi << ", USER " << after.user - before.user;
}

}  // namespace
}  // namespace telvora::win32
