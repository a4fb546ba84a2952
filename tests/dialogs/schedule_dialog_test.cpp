// Choosing when a fax is sent: the schedule dialog as a confirmation dialog opens it, what it
// accepts and refuses against the clock, and what the confirmation dialog then shows and hands to
// the fax software.
#include "dialogs/schedule_dialog.h"

#include <gtest/gtest.h>

#include "dialogs/confirm_dialogs.h"
#include "dialogs/send_options.h"
#include "support/moments.h"
#include "support/sim_addin.h"

namespace telvora {
namespace {

using telvora::testing::contains;
using sim::click;
using sim::closeWindow;
using sim::typeInto;
using testing::moment;

struct Schedule {
    std::string kind;         // lblSType's tag
    std::string kindCaption;  // lblSType's caption
    std::string shown;        // lblTestDelay
    std::string date;         // lblDate
    bool operator==(const Schedule&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Schedule& s) {
    return os << "{" << s.kind << ", " << s.kindCaption << ", " << s.shown << ", " << s.date << "}";
}

const Schedule kNow{"Now", "Now", "Now", ""};

class ScheduleTest : public testing::SimAddinTest {
protected:
    ScheduleTest() {
        // Monday 15 June 2026, 2:30 and 20 seconds in the afternoon.
        platform.clock = moment(2026, 6, 15, 14, 30, 20);
        fax.extendedFaxInstalled = true;
        confirm.load();
    }

    // The user clicks the schedule on the confirmation dialog and follows `steps` in the schedule
    // dialog.
    void schedule(std::vector<sim::UserStep> steps) {
        user.onForm("frmScheduleType", std::move(steps));
        confirm.lblTestDelay_Click();
    }
    // Chooses a specific date and time and confirms.
    void scheduleAt(const std::string& date, const std::string& time) {
        schedule({click("optTime"), typeInto("txtDate", date), typeInto("cboTime", time), click("cmdOK")});
    }
    Schedule shown() const {
        return {confirm.lblSType.tag(), confirm.lblSType.caption(), confirm.lblTestDelay.caption(),
                confirm.lblDate.caption()};
    }

    frmSendConfirm confirm{addin};
};

constexpr const char* kTomorrowQuestion =
    "The time you have entered has passed.\r\nWould you like to send at the same time tomorrow?";

// --- What the dialog opens with -----------------------------------------------------------------

TEST_F(ScheduleTest, OpensOnTodayAndTheCurrentTimeWithAHalfHourList) {
    frmScheduleType form(addin);
    form.load();
    EXPECT_EQ(form.txtDate.text(), "15/06/2026");
    EXPECT_EQ(form.cboTime.text(), "02:30 PM");
    ASSERT_EQ(form.cboTime.listCount(), 48);
    EXPECT_EQ(form.cboTime.items()[0], "12:00 AM");
    EXPECT_EQ(form.cboTime.items()[3], "01:30 AM");
    EXPECT_EQ(form.cboTime.items()[24], "12:00 PM");
    EXPECT_EQ(form.cboTime.items()[47], "11:30 PM");
    EXPECT_TRUE(form.txtDate.locked() && form.cboTime.locked()) << "until a time is chosen";
}

TEST_F(ScheduleTest, ATimeCanBeChosenWhereverTheConfirmationOpensItButOnWindows2000) {
    // Loaded on its own, the dialog offers a time only with the extended fax service...
    fax.extendedFaxInstalled = false;
    frmScheduleType alone(addin);
    alone.load();
    EXPECT_FALSE(alone.optTime.enabled());
    // ...but the confirmation dialog offers it on any system after Windows 2000 (WinFax schedules
    // without that service).
    scheduleAt("16/06/2026", "09:00 AM");
    EXPECT_EQ(shown().kind, "Time");

    machine.runWindows(sim::windows::W2000);
    schedule({click("optTime"), click("cmdCancel")});
    EXPECT_TRUE(contains(user.finish(), "cannot reach frmScheduleType.optTime"));
}

// --- What OK accepts ----------------------------------------------------------------------------

TEST_F(ScheduleTest, ATimeAheadIsShownToTheSecondAndHandedOnAsShownAndOneThatPassedTodayOffersTomorrow) {
    const struct {
        const char* date;
        const char* time;
        bool askedForTomorrow;
        Schedule expected;
    } cases[] = {
        // A later day takes any valid time; the date field is read day first, as its hint says (this
        // United States machine alone would read 06/07/2026 as June 7).
        {"16/06/2026", "01:00 AM", false, {"Time", "Time: 01:00 AM", "16-Jun-2026 01:00:00 AM", "16/06/2026"}},
        {"06/07/2026", "03:30 PM", false, {"Time", "Time: 03:30 PM", "06-Jul-2026 03:30:00 PM", "06/07/2026"}},
        // A time in the current minute has not passed; one a minute ago has, and Yes moves the date.
        {" 15/06/2026 ", "2:30 pm", false, {"Time", "Time: 2:30 pm", "15-Jun-2026 02:30:00 PM", "15/06/2026"}},
        {"15/06/2026", "02:29 PM", true, {"Time", "Time: 02:29 PM", "16-Jun-2026 02:29:00 PM", "16-Jun-26"}},
        // A time alone is for today while it is still ahead.
        {"", "05:00 PM", false, {"Time", "Time: 05:00 PM", "15-Jun-2026 05:00 PM", ""}},
        {"", "09:00 AM", true, {"Time", "Time: 09:00 AM", "16-Jun-2026 09:00:00 AM", "16-Jun-26"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.date) + " " + c.time);
        const std::size_t before = user.messages().size();
        if (c.askedForTomorrow) user.answer(MsgResult::Yes);
        scheduleAt(c.date, c.time);
        ASSERT_EQ(user.messages().size(), before + c.askedForTomorrow);
        if (c.askedForTomorrow) expectMessage(user.messages().back(), kTomorrowQuestion, MsgIcon::Question, MsgButtons::YesNo);
        EXPECT_EQ(shown(), c.expected);
        if (c.date[0] != '\0') {
            EXPECT_EQ(ReadSchedule(confirm), c.expected.shown);
        }
    }
}

TEST_F(ScheduleTest, AnsweringNoKeepsTheDialogOpenAndTheScheduleAsItWas) {
    user.answer(MsgResult::No);
    schedule({click("optTime"), typeInto("cboTime", "02:29 PM"), click("cmdOK"), click("cmdCancel")});
    ASSERT_EQ(user.messages().size(), 1u);
    EXPECT_EQ(user.messages()[0].prompt, kTomorrowQuestion);
    EXPECT_EQ(shown(), kNow);
    EXPECT_EQ(ReadSchedule(confirm), "Now");
}

TEST_F(ScheduleTest, TheTurnOfTheYearAndTwentyNinthOfFebruaryAreOrdinaryDays) {
    platform.clock = moment(2027, 12, 31, 23, 50);
    user.answer(MsgResult::Yes);
    scheduleAt("31/12/2027", "11:00 PM");
    EXPECT_EQ(ReadSchedule(confirm), "01-Jan-2028 11:00:00 PM");
    scheduleAt("29/02/2028", "12:00 AM");
    EXPECT_EQ(ReadSchedule(confirm), "29-Feb-2028 12:00:00 AM");
}

// --- What OK refuses ----------------------------------------------------------------------------

TEST_F(ScheduleTest, WhatCannotBeSentIsExplainedAndTheDialogStaysOpenWithTheInput) {
    const struct {
        const char* date;
        const char* time;
        const char* message;
    } cases[] = {
        {"", "",
         "Please enter the required information:\r\n\r\n1. Enter the date and time Or\r\n"
         "2. Enter the time only if you wish to send fax anytime during the day."},
        {"31/02/2026", "02:00 PM", "Invalid Date."},
        {"next week", "02:00 PM", "Invalid Date."},
        {"16/06/2026", "25:00", "Invalid Time."},
        {"", "teatime", "Invalid Time."},
        {"14/06/2026", "11:00 PM", "The date you have entered has passed. Please re-enter the date."},
        {"14/06/2026", "", "The date you have entered has passed. Please re-enter the date."},
        {"16/06/2026", "", "Please enter the time at which this fax should be sent."},
        {"31/02/2026", "", "Invalid Date."},
        // A two-digit year never falls a century back.
        {"16/06/26", "", "Please enter the time at which this fax should be sent."},
    };
    for (const auto& c : cases) {
        const std::size_t before = user.messages().size();
        // The second OK proves the dialog stayed open after the first, with what was typed.
        schedule({click("optTime"), typeInto("txtDate", c.date), typeInto("cboTime", c.time), click("cmdOK"),
                  click("cmdOK"), click("cmdCancel")});
        ASSERT_EQ(user.messages().size(), before + 2) << c.date << " / " << c.time;
        expectMessage(user.messages()[before], c.message, MsgIcon::Exclamation, MsgButtons::OK);
        EXPECT_EQ(user.messages()[before + 1].prompt, c.message);
        EXPECT_EQ(shown(), kNow);
    }
}

TEST_F(ScheduleTest, NowAndDiscountNeverLookAtTheDateOrTime) {
    schedule({click("optTime"), typeInto("txtDate", "rubbish"), typeInto("cboTime", ""), click("optSendDiscount"),
              click("cmdOK")});
    EXPECT_TRUE(user.messages().empty());
    EXPECT_EQ(shown(), (Schedule{"Discount", "When discount applies", "When discount applies", "rubbish"}));
    EXPECT_EQ(ReadSchedule(confirm), "Discount");
    // The dialog opens on today's date again (only a time brings its date back).
    schedule({click("optSendNow"), click("cmdOK")});
    EXPECT_EQ(shown(), (Schedule{"Now", "Now", "Now", "15/06/2026"}));
    EXPECT_EQ(ReadSchedule(confirm), "Now");
}

// --- Opening again, cancelling ------------------------------------------------------------------

TEST_F(ScheduleTest, OpeningAgainShowsTheChoiceMadeSoOkKeepsItAndCancelOrClosingTheWindowChangesNothing) {
    scheduleAt("20/06/2026", "03:30 PM");
    const Schedule timed = shown();
    schedule({click("cmdOK")});
    EXPECT_EQ(shown(), timed) << "the date, time and option come back as chosen";
    schedule({click("optSendNow"), click("cmdCancel")});
    EXPECT_EQ(shown(), timed);
    schedule({click("optSendDiscount"), closeWindow()});
    EXPECT_EQ(shown(), timed);

    schedule({click("optSendDiscount"), click("cmdOK")});
    schedule({click("cmdOK")});
    EXPECT_EQ(shown().kind, "Discount");
}

TEST_F(ScheduleTest, AFailureIsReportedWithItsNumberAndTheScheduleStaysWhole) {
    Addin withoutDates{Ports{store, automation, user, platform}};
    frmQuickFaxConfirm quick(withoutDates);
    quick.load();
    ChangeSchedule(withoutDates, quick);
    ASSERT_EQ(user.messages().size(), 1u);
    expectMessage(user.messages()[0], "Error: 91\r\nObject variable or With block variable not set",
                  MsgIcon::Exclamation, MsgButtons::OK);
    EXPECT_EQ(quick.lblSType.tag(), "Now");
    EXPECT_EQ(quick.lblTestDelay.caption(), "Now");
}

}  // namespace
}  // namespace telvora
