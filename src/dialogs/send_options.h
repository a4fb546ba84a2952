// The schedule and the delivery notification of a fax, as every confirmation dialog keeps them in
// four labels, and the procedures that show, change and read them. The dialogs hand their labels
// over through SendOptionLabels.
#pragma once

#include <string>

#include "app/addin.h"
#include "forms/form.h"

namespace telvora {

class SendOptionLabels {
public:
    // lblSType, hidden: the schedule kind in its tag, "Time: " and the time chosen in its caption.
    virtual Control& scheduleKindLabel() = 0;
    // lblTestDelay: the schedule as the user sees it ("Now", "When discount applies", a date-time).
    virtual Control& scheduleLabel() = 0;
    // lblDate, hidden: the date typed in the schedule dialog.
    virtual Control& scheduleDateLabel() = 0;
    // lblDelNote: the delivery notification, its kind in the tag.
    virtual Control& deliveryLabel() = 0;

protected:
    SendOptionLabels() = default;
    ~SendOptionLabels() = default;
    SendOptionLabels(const SendOptionLabels&) = delete;
    SendOptionLabels& operator=(const SendOptionLabels&) = delete;
};

// Schedule kinds (the tag of lblSType) and delivery kinds (the tag of lblDelNote).
namespace schedule {
inline constexpr const char* Now = "Now";
inline constexpr const char* Discount = "Discount";
inline constexpr const char* Time = "Time";
inline constexpr const char* DiscountCaption = "When discount applies";
}  // namespace schedule
namespace delivery {
inline constexpr const char* None = "None";
inline constexpr const char* PopUp = "PopUp";
inline constexpr const char* Email = "Email";
inline constexpr const char* DontNotify = "Don't Notify";
}  // namespace delivery

// The saved default: "None", "PopUp" or "Email" (e-mail wins when both are saved).
std::string DefaultDeliveryKind(Addin& addin);
// Its caption: "Don't Notify", "PopUp Message" or "Email: " and the saved address.
std::string DefaultDeliveryCaption(Addin& addin);

// Opens the schedule dialog on the dialog's current schedule and, when the user confirms, shows
// the new one in the labels. Reports its own errors; the labels change only all together.
void ChangeSchedule(Addin& addin, SendOptionLabels& dialog);
// Opens the delivery notification dialog on the dialog's current choice and, when the user
// confirms, shows the new one. Reports its own errors.
void ChangeDeliveryNote(Addin& addin, SendOptionLabels& dialog);

// What the fax software is given: "Now", "Discount" or the date-time text shown.
std::string ReadSchedule(SendOptionLabels& dialog);
// "", "PopUp", or "Email: " and the address.
std::string ReadDeliveryNote(SendOptionLabels& dialog);

}  // namespace telvora
