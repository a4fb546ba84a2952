// The "Delivery Notification" dialog: how the shared fax server reports a delivery (not at all, by
// a pop-up message, or by e-mail), optionally saved as the default for later faxes.
#pragma once

#include "app/addin.h"
#include "forms/form.h"

namespace telvora {

class frmDeliveryNote final : public Form {
public:
    explicit frmDeliveryNote(Addin& addin);

    Control& Label1 = add(ControlKind::Label, "Label1",
                          "How do you want to be notified of the successful or failed fax delivery?", {7, 7, 216, 16});
    Control& Frame1 = add(ControlKind::Frame, "Frame1", "", {7, 26, 216, 58});
    Control& optNoNote = add(ControlKind::OptionButton, "optNoNote", "Don't Nofity", {15, 35, 200, 10}, "Frame1");
    Control& optPopUpMsg = add(ControlKind::OptionButton, "optPopUpMsg", "Pop up a message on this machine",
                               {15, 49, 200, 10}, "Frame1");
    Control& optEmail = add(ControlKind::OptionButton, "optEmail", "E-mail", {15, 65, 40, 10}, "Frame1");
    Control& txtEmailAddress = add(ControlKind::TextBox, "txtEmailAddress", "", {57, 63, 158, 14});
    Control& chkSave = add(ControlKind::CheckBox, "chkSave", "Save the settings for later use.", {7, 90, 216, 10});
    Control& Frame2 = add(ControlKind::Frame, "Frame2", "", {7, 104, 216, 28});
    Control& cmdOK = add(ControlKind::Button, "cmdOK", "&OK", {109, 112, 50, 14});
    Control& cmdCancel = add(ControlKind::Button, "cmdCancel", "&Cancel", {165, 112, 50, 14});

    void optNoNote_Click() { addressApplies(false); }
    void optPopUpMsg_Click() { addressApplies(false); }
    void optEmail_Click() { addressApplies(true); }
    void cmdOK_Click();
    void cmdCancel_Click();

private:
    void addressApplies(bool applies);
    // The accept steps; answers whether the dialog may close.
    bool accept();

    Addin& addin_;
};

}  // namespace telvora
