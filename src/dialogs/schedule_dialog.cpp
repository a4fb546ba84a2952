// The schedule dialog.
#include "dialogs/schedule_dialog.h"

#include <cstdio>

#include "app/reports.h"
#include "backends/availability.h"
#include "base/text.h"
#include "dialogs/schedule_dates.h"

namespace telvora {
namespace {

constexpr const char* kInvalidDate = "Invalid Date.";
constexpr const char* kInvalidTime = "Invalid Time.";
constexpr const char* kDatePassed = "The date you have entered has passed. Please re-enter the date.";
constexpr const char* kEnterTime = "Please enter the time at which this fax should be sent.";
constexpr const char* kEnterDateAndTime =
    "Please enter the required information:\r\n\r\n"
    "1. Enter the date and time Or\r\n"
    "2. Enter the time only if you wish to send fax anytime during the day.";
constexpr const char* kTimePassed = "The time you have entered has passed.\r\nWould you like to send at the same time tomorrow?";
constexpr const char* kDiscountRatesHelp =
    "Faxes can be scheduled for sending later using a feature of the Windows Fax program called Discount Rates. "
    "To set the discount rate start and end times.\r\n\r\n"
    "1. Click Start, click Control Panel, click Printers and Other Hardware, and then click Printers and Faxes. \r\n"
    "2. Right-click the fax printer, click Properties, click the Devices, click Properties, and then click the Send "
    "tab. \r\n"
    "3. To specify the starting time when discount rates to be taken into account, type a time in Discount rate "
    "start. \r\n"
    "4. To specify the stopping time when discount rates should no longer be taken into account, type a time in "
    "Discount rate stop. \r\n\r\n"
    "NOTE: If the discount start and end times are the same then the fax will be sent immediately.";

// The time list: every half hour of the day on the 12-hour clock, "12:00 AM" to "11:30 PM".
std::vector<std::string> halfHours() {
    std::vector<std::string> entries;
    for (const char* half : {"AM", "PM"}) {
        for (int hour = 0; hour < 12; ++hour) {
            for (int minute : {0, 30}) {
                char entry[16];
                std::snprintf(entry, sizeof entry, "%02d:%02d %s", hour == 0 ? 12 : hour, minute, half);
                entries.emplace_back(entry);
            }
        }
    }
    return entries;
}

}  // namespace

frmScheduleType::frmScheduleType(Addin& addin) : Form("frmScheduleType", "Schedule Type", {0, 0, 200, 123}), addin_(addin) {
    for (auto& entry : halfHours()) cboTime.addItem(std::move(entry));
    for (Control* field : {&txtDate, &cboTime}) {
        field->setLocked(true);
        field->setBackColor(kButtonFace);
    }
    cmdOK.setDefault(true);
    cmdCancel.setCancel(true);
    optSendNow.onClick = [this] { optSendNow_Click(); };
    optSendDiscount.onClick = [this] { optSendDiscount_Click(); };
    optTime.onClick = [this] { optTime_Click(); };
    Label12.onClick = [this] { Label12_Click(); };
    cmdOK.onClick = [this] { cmdOK_Click(); };
    cmdCancel.onClick = [this] { cmdCancel_Click(); };
}

void frmScheduleType::Form_Load() {
    cboTime.setLocked(true);
    txtDate.setLocked(true);
    optTime.setEnabled(CanCreateExtendedFaxServer(addin_));
    DateTimeTexts& dates = addin_.dateTimes();
    const LocalTime now = addin_.platform().now();
    txtDate.setText(dates.format(now, DateTimePattern::DayMonthYear));
    cboTime.setText(dates.format(now, DateTimePattern::Time12));
}

void frmScheduleType::fieldsApply(bool apply) {
    for (Control* field : {&txtDate, &cboTime}) {
        field->setLocked(!apply);
        field->setBackColor(apply ? kWindowWhite : kButtonFace);
    }
}

void frmScheduleType::Label12_Click() { ShowMessage(addin_, kDiscountRatesHelp, MsgIcon::Exclamation); }

void frmScheduleType::cmdOK_Click() {
    if (optTime.value() != 0 && !IsValidDateAndTime(trimBlanks(txtDate.text()), trimBlanks(cboTime.text()))) return;
    setTag("True");
    hide();
}

void frmScheduleType::cmdCancel_Click() {
    setTag("False");
    hide();
}

bool frmScheduleType::sendTomorrowInstead() {
    if (addin_.ui().messageBox(kTimePassed, MsgButtons::YesNo, MsgIcon::Question, kAppTitle) != MsgResult::Yes)
        return false;
    const LocalTime tomorrow = addin_.platform().now() + std::chrono::days(1);
    txtDate.setText(addin_.dateTimes().format(tomorrow, DateTimePattern::DayMonthNameYear2));
    return true;
}

bool frmScheduleType::IsValidDateAndTime(const std::string& date, const std::string& time) {
    auto refuse = [&](const char* message) {
        ShowMessage(addin_, message, MsgIcon::Exclamation);
        return false;
    };
    const LocalTime now = addin_.platform().now();
    const auto today = dayOf(now);

    if (date.empty() && time.empty()) return refuse(kEnterDateAndTime);
    if (date.empty()) {
        const auto at = TimeTest(addin_, time);
        if (!at) return refuse(kInvalidTime);
        return minuteOfDay(*at) >= minuteOfDay(now) || sendTomorrowInstead();
    }
    const auto day = DateTest(addin_, date);
    if (!day) return refuse(kInvalidDate);
    if (time.empty()) return refuse(dayOf(*day) < today ? kDatePassed : kEnterTime);
    const auto at = TimeTest(addin_, time);
    if (!at) return refuse(kInvalidTime);
    if (dayOf(*day) < today) return refuse(kDatePassed);
    if (dayOf(*day) > today) return true;
    return minuteOfDay(*at) >= minuteOfDay(now) || sendTomorrowInstead();
}

}  // namespace telvora
