// The "Schedule Type" dialog: send now, when the discount rates apply, or at a date and time the
// dialog checks before it accepts them.
#pragma once

#include <string>

#include "app/addin.h"
#include "forms/form.h"

namespace telvora {

class frmScheduleType final : public Form {
public:
    explicit frmScheduleType(Addin& addin);

    Control& Label2 = add(ControlKind::Label, "Label2", "When should the fax(es) be sent?", {7, 7, 186, 8});
    Control& optSendNow = add(ControlKind::OptionButton, "optSendNow", "Now", {14, 20, 120, 10}, "Schedule");
    Control& optSendDiscount = add(ControlKind::OptionButton, "optSendDiscount", "When discount rates apply",
                                   {14, 34, 104, 10}, "Schedule");
    Control& Label12 = add(ControlKind::LinkLabel, "Label12", "(More Info)", {120, 35, 44, 8});
    Control& optTime = add(ControlKind::OptionButton, "optTime", "Specify Time to send Fax ", {14, 48, 120, 10},
                           "Schedule");
    Control& Label1 = add(ControlKind::Label, "Label1", "Date:", {26, 64, 22, 8});
    Control& txtDate = add(ControlKind::TextBox, "txtDate", "", {50, 62, 64, 14});
    Control& Label3 = add(ControlKind::Label, "Label3", "(dd/mm/yyyy)", {118, 64, 75, 8});
    Control& Time = add(ControlKind::Label, "Time", "Time:", {26, 82, 22, 8});
    Control& cboTime = add(ControlKind::ComboBox, "cboTime", "", {50, 80, 64, 14});
    Control& Label4 = add(ControlKind::Label, "Label4", "(hh:mm am/pm)", {118, 82, 75, 8});
    Control& cmdOK = add(ControlKind::Button, "cmdOK", "&OK", {87, 102, 50, 14});
    Control& cmdCancel = add(ControlKind::Button, "cmdCancel", "&Cancel", {143, 102, 50, 14});

    void optSendNow_Click() { fieldsApply(false); }
    void optSendDiscount_Click() { fieldsApply(false); }
    void optTime_Click() { fieldsApply(true); }
    void Label12_Click();
    void cmdOK_Click();
    void cmdCancel_Click();

    // Whether a date `date` and time `time` (either may be empty) can be accepted, telling the user
    // what to correct when not. A time that has passed today may be moved to tomorrow, which then
    // stands in txtDate.
    bool IsValidDateAndTime(const std::string& date, const std::string& time);

protected:
    void Form_Load() override;

private:
    void fieldsApply(bool apply);
    // The tomorrow question for a time that has passed today.
    bool sendTomorrowInstead();

    Addin& addin_;
};

}  // namespace telvora
