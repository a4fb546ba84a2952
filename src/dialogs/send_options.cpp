// The schedule and delivery notification labels of the confirmation dialogs.
#include "dialogs/send_options.h"

#include "app/reports.h"
#include "backends/availability.h"
#include "base/text.h"
#include "core/settings.h"
#include "dialogs/delivery_dialog.h"
#include "dialogs/schedule_dates.h"
#include "dialogs/schedule_dialog.h"

namespace telvora {
namespace {

// "Error: <number>", a line break and the description: how the two label procedures report.
void reportLabelError(Addin& addin, const RuntimeError& e) {
    ShowMessage(addin, "Error: " + std::to_string(e.number()) + "\r\n" + e.description(), MsgIcon::Exclamation);
}

// The text after the first ":" of a caption ("Time: 03:30 PM", "Email: a@b.example"), trimmed.
std::string afterColon(const std::string& caption) {
    const auto colon = caption.find(':');
    return colon == std::string::npos ? std::string() : trimBlanks(std::string_view(caption).substr(colon + 1));
}

struct Schedule {
    std::string kind;
    std::string kindCaption;
    std::string shown;
};

// The schedule the confirmed dialog stands for.
Schedule chosenSchedule(Addin& addin, frmScheduleType& form) {
    if (form.optSendDiscount.value() != 0) return {schedule::Discount, schedule::DiscountCaption, schedule::DiscountCaption};
    if (form.optTime.value() == 0) return {schedule::Now, schedule::Now, schedule::Now};

    DateTimeTexts& dates = addin.dateTimes();
    const LocalTime now = addin.platform().now();
    const std::string date = trimBlanks(form.txtDate.text());
    const std::string time = trimBlanks(form.cboTime.text());
    std::string shown;
    if (!date.empty()) {
        const auto at = ReadScheduleDate(dates, now, date + " " + time);
        if (!at) throw RuntimeError::standard(err::TypeMismatch);
        shown = dates.format(*at, DateTimePattern::DateTimeSeconds12);
    } else {
        const auto at = TimeTest(addin, time);
        if (!at) throw RuntimeError::standard(err::TypeMismatch);
        // A time alone that is earlier in the day than now means tomorrow; seconds typed are dropped.
        const auto day = dayOf(now) + std::chrono::days(minuteOfDay(*at) < minuteOfDay(now) ? 1 : 0);
        shown = dates.format(day + std::chrono::minutes(minuteOfDay(*at)), DateTimePattern::DateTimeMinutes12);
    }
    return {schedule::Time, "Time: " + time, shown};
}

}  // namespace

std::string DefaultDeliveryKind(Addin& addin) {
    const Settings& s = addin.settings();
    std::string kind = delivery::None;
    if (s.ynoSave()) {
        // A pop-up receipt saved on an older system is none where it cannot be delivered.
        if (s.popupMsg() && PopUpReceiptsDelivered(addin)) kind = delivery::PopUp;
        if (s.email()) kind = delivery::Email;
    }
    return kind;
}

std::string DefaultDeliveryCaption(Addin& addin) {
    const Settings& s = addin.settings();
    std::string caption = delivery::DontNotify;
    if (s.ynoSave()) {
        if (s.popupMsg() && PopUpReceiptsDelivered(addin)) caption = "PopUp Message";
        if (s.email()) caption = "Email: " + s.emailAddress();
    }
    return caption;
}

void ChangeSchedule(Addin& addin, SendOptionLabels& dialog) {
    trapAndReport(
        [&] {
            frmScheduleType form(addin);
            form.load();
            const std::string kind = dialog.scheduleKindLabel().tag();
            form.optSendNow.setValue(1);
            if (kind == schedule::Discount) {
                form.optSendDiscount.setValue(1);
            } else if (IsWindows2000(addin)) {
                form.optTime.setEnabled(false);
                form.cboTime.setLocked(true);
                form.txtDate.setLocked(true);
            } else {
                form.optTime.setEnabled(true);
                form.cboTime.setEnabled(true);
                if (kind == schedule::Time) {
                    form.txtDate.setText(dialog.scheduleDateLabel().caption());
                    form.optTime.setValue(1);
                    form.cboTime.setText(afterColon(dialog.scheduleKindLabel().caption()));
                }
            }
            form.showModal(addin.ui());
            if (form.tag() == "True") {
                // Worked out before any label changes, so a schedule that cannot be read leaves the
                // dialog showing the previous one whole.
                const Schedule chosen = chosenSchedule(addin, form);
                dialog.scheduleKindLabel().setTag(chosen.kind);
                dialog.scheduleKindLabel().setCaption(chosen.kindCaption);
                dialog.scheduleLabel().setCaption(chosen.shown);
                dialog.scheduleDateLabel().setCaption(trimBlanks(form.txtDate.text()));
            }
            form.unload();
        },
        [&](const RuntimeError& e) { reportLabelError(addin, e); });
}

void ChangeDeliveryNote(Addin& addin, SendOptionLabels& dialog) {
    trapAndReport(
        [&] {
            frmDeliveryNote form(addin);
            form.load();
            Control& label = dialog.deliveryLabel();
            if (label.tag() == delivery::PopUp && form.optPopUpMsg.enabled()) {
                form.optPopUpMsg.setValue(1);
            } else if (label.tag() == delivery::Email) {
                form.optEmail.setValue(1);
                form.txtEmailAddress.setText(afterColon(label.caption()));
            } else {
                form.optNoNote.setValue(1);
            }
            form.showModal(addin.ui());
            if (form.tag() == "True") {
                if (form.optPopUpMsg.value() != 0) {
                    label.setTag(delivery::PopUp);
                    label.setCaption("Pop up Message");
                } else if (form.optEmail.value() != 0) {
                    label.setTag(delivery::Email);
                    label.setCaption("Email: " + trimBlanks(form.txtEmailAddress.text()));
                } else {
                    label.setTag(delivery::None);
                    label.setCaption(delivery::DontNotify);
                }
            }
            form.unload();
        },
        [&](const RuntimeError& e) { reportLabelError(addin, e); });
}

std::string ReadSchedule(SendOptionLabels& dialog) {
    const std::string& kind = dialog.scheduleKindLabel().tag();
    if (kind == schedule::Discount) return schedule::Discount;
    if (kind == schedule::Time) return trimBlanks(dialog.scheduleLabel().caption());
    return schedule::Now;
}

std::string ReadDeliveryNote(SendOptionLabels& dialog) {
    const Control& label = dialog.deliveryLabel();
    if (label.tag() == delivery::PopUp) return delivery::PopUp;
    if (label.tag() == delivery::Email) return label.caption();
    return "";
}

}  // namespace telvora
