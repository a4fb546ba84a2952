// The delivery notification dialog.
#include "dialogs/delivery_dialog.h"

#include "app/reports.h"
#include "backends/availability.h"
#include "base/conversions.h"
#include "base/text.h"
#include "core/settings.h"
#include "core/validation.h"

namespace telvora {

frmDeliveryNote::frmDeliveryNote(Addin& addin)
    : Form("frmDeliveryNote", "Delivery Notification", {0, 0, 230, 139}), addin_(addin) {
    optNoNote.setValue(1);
    // Offered only where the fax service still delivers it (before Windows Vista).
    optPopUpMsg.setEnabled(PopUpReceiptsDelivered(addin));
    txtEmailAddress.setEnabled(false);
    txtEmailAddress.setBackColor(kButtonFace);
    cmdOK.setDefault(true);
    cmdCancel.setCancel(true);
    optNoNote.onClick = [this] { optNoNote_Click(); };
    optPopUpMsg.onClick = [this] { optPopUpMsg_Click(); };
    optEmail.onClick = [this] { optEmail_Click(); };
    cmdOK.onClick = [this] { cmdOK_Click(); };
    cmdCancel.onClick = [this] { cmdCancel_Click(); };
}

void frmDeliveryNote::addressApplies(bool applies) {
    txtEmailAddress.setEnabled(applies);
    txtEmailAddress.setBackColor(applies ? kWindowWhite : kButtonFace);
}

bool frmDeliveryNote::accept() {
    const std::string address = trimBlanks(txtEmailAddress.text());
    if (optEmail.value() != 0) {
        if (txtEmailAddress.text().empty()) {
            ShowMessage(addin_, "Please enter e-mail address to continue", MsgIcon::Exclamation);
            return false;
        }
        if (!IsValidEmailAddress(address)) {
            ShowMessage(addin_, "You have entered an invalid email address. Please enter a valid address.",
                        MsgIcon::Exclamation);
            txtEmailAddress.setFocus();
            txtEmailAddress.setSelStart(0);
            txtEmailAddress.setSelLength(static_cast<int>(characterCount(txtEmailAddress.text())));
            return false;
        }
    }
    if (chkSave.value() != 0) {
        const Settings& settings = addin_.settings();
        settings.save(keys::PopupMsg, boolText(optPopUpMsg.value() != 0));
        settings.save(keys::Email, boolText(optEmail.value() != 0));
        settings.save(keys::EmailAddress, address);
        settings.save(keys::YnoSave, std::to_string(chkSave.value()));
        settings.save(keys::DontNotify, boolText(optNoNote.value() != 0));
    }
    return true;
}

void frmDeliveryNote::cmdOK_Click() {
    bool accepted = false;
    trapAndReport([&] { accepted = accept(); }, [&](const RuntimeError& e) { ReportError(addin_, e); });
    if (!accepted) return;
    setTag("True");
    hide();
}

void frmDeliveryNote::cmdCancel_Click() {
    setTag("False");
    hide();
}

}  // namespace telvora
