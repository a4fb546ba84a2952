// The confirmation dialogs the fax commands show before anything is sent: "Fax" (frmSendConfirm)
// for a marked recipient and "Quick Fax" (frmQuickFaxConfirm) for a number alone. The user corrects
// the number and subject and chooses the filing copy, the schedule and the delivery notification;
// the dialog records the decision in its tag (ConfirmResult) and its filing copies, and hides for
// the command to read them back.
#pragma once

#include <cstdint>
#include <string>

#include "app/addin.h"
#include "dialogs/copy_printer.h"
#include "dialogs/send_options.h"
#include "forms/form.h"

namespace telvora {

// ConfirmResult, the tag of a confirmation dialog. Empty: the dialog was closed another way.
namespace confirm {
inline constexpr const char* Fax = "Fax";
inline constexpr const char* Cancel = "Cancel";
// The number of copies was refused; the dialog is still open.
inline constexpr const char* Invalid = "Invalid";
}  // namespace confirm

// The question of the send confirmation (and of the fax merge's field dialog) when the saved copy
// printer is no longer installed.
inline constexpr const char* kSendCopyPrinterQuestion =
    "The default printer has not found. Would you like to setup up a default printer?\r\n"
    "Click Yes to setup a Default printer.\r\n"
    "Click to ignore and continue sending the fax.";
inline constexpr const char* kQuickFaxCopyPrinterQuestion =
    "The default printer has not been found. Would you like to setup up a default printer?\r\n"
    "Click Yes to setup a default printer.\r\n"
    "Click No to ignore and continue sending the fax.";

// What every confirmation dialog has: a copy printer and copies, the schedule and delivery labels,
// and the delivery line's heading and hint.
class ConfirmationDialog : public CopyPrinterDialog, public SendOptionLabels {
public:
    virtual Form& form() = 0;
    virtual Control& deliveryHeading() = 0;  // lblDN
    virtual Control& deliveryHint() = 0;     // lblSBS
    // The cover page the fax goes with; shown only when one is.
    virtual Control& coverPageLabel() = 0;   // lblCoverPage
    // The filing copies the user chose with Fax; none before.
    virtual FilingCopies& filing() = 0;

protected:
    ConfirmationDialog() = default;
    ~ConfirmationDialog() = default;
};

// The load of a confirmation dialog: no result yet, no copy to print, the schedule "Now", the copy
// printers listed, the delivery line shown only for the shared fax, and the saved copy printer
// selected, asking `copyPrinterQuestion` when it is no longer installed.
void LoadConfirmation(Addin& addin, ConfirmationDialog& dialog, const std::string& copyPrinterQuestion);

// The two confirmation dialogs share everything but their controls, caption, copy printer question
// and help topic.
class ConfirmDialog : public Form, public ConfirmationDialog {
public:
    Form& form() override { return *this; }
    FilingCopies& filing() override { return filing_; }
    Control& copyPrinterBox() override { return *shared_.cboCopyPrinter; }
    Control& copiesBox() override { return *shared_.txtCopies; }
    Control& scheduleKindLabel() override { return *shared_.lblSType; }
    Control& scheduleLabel() override { return *shared_.lblTestDelay; }
    Control& scheduleDateLabel() override { return *shared_.lblDate; }
    Control& deliveryLabel() override { return *shared_.lblDelNote; }
    Control& deliveryHeading() override { return *shared_.lblDN; }
    Control& deliveryHint() override { return *shared_.lblSBS; }
    Control& coverPageLabel() override { return *shared_.lblCoverPage; }

    void cboCopyPrinter_Click() { CopyPrinterChosen(*this); }
    void lblTestDelay_Click() { ChangeSchedule(addin_, *this); }
    void lblDelNote_Click() { ChangeDeliveryNote(addin_, *this); }
    void cmdFaxOnly_Click();
    void cmdCancel_Click();

protected:
    // The controls both dialogs have, under the same names.
    struct SharedControls {
        Control* lblTestDelay;
        Control* lblSType;
        Control* lblDate;
        Control* lblDN;
        Control* lblDelNote;
        Control* lblSBS;
        Control* cboCopyPrinter;
        Control* txtCopies;
        Control* cmdFaxOnly;
        Control* cmdCancel;
        Control* lblCoverPage;
    };

    ConfirmDialog(Addin& addin, std::string name, std::string caption, Geometry size, const char* copyPrinterQuestion,
                  std::uint32_t helpTopic);
    // Takes the shared controls and binds their handlers; called by each dialog once they exist.
    void connect(const SharedControls& shared);

    void Form_Load() override;
    void Form_KeyDown(int& keyCode, int shift) override;
    void Form_Unload(int& cancel) override;

    Addin& addin_;

private:
    void accept();

    const char* copyPrinterQuestion_;
    std::uint32_t helpTopic_;
    SharedControls shared_{};
    FilingCopies filing_;
};

class frmSendConfirm final : public ConfirmDialog {
public:
    explicit frmSendConfirm(Addin& addin);

    Control& Frame2 = add(ControlKind::Frame, "Frame2", "Fax Details", {7, 7, 296, 84});
    Control& Label1 = add(ControlKind::Label, "Label1", "Name:", {15, 21, 50, 8});
    Control& txtName = add(ControlKind::TextBox, "txtName", "", {68, 19, 227, 14});
    Control& Label2 = add(ControlKind::Label, "Label2", "Company:", {15, 38, 50, 8});
    Control& txtCompany = add(ControlKind::TextBox, "txtCompany", "", {68, 36, 227, 14});
    Control& Label3 = add(ControlKind::Label, "Label3", "Number:", {15, 55, 50, 8});
    Control& txtNumber = add(ControlKind::TextBox, "txtNumber", "", {68, 53, 227, 14});
    Control& lblSubject = add(ControlKind::Label, "lblSubject", "Subject:", {15, 72, 50, 8});
    Control& txtSubject = add(ControlKind::TextBox, "txtSubject", "", {68, 70, 227, 14});
    Control& lblSend = add(ControlKind::Label, "lblSend", "When should the fax(es) be sent?", {7, 100, 120, 8});
    Control& lblTestDelay = add(ControlKind::LinkLabel, "lblTestDelay", "Now", {130, 100, 173, 8});
    Control& lblSType = add(ControlKind::Label, "lblSType", "Now", {130, 100, 173, 8});
    Control& lblDate = add(ControlKind::Label, "lblDate", "", {130, 100, 173, 8});
    Control& lblDN = add(ControlKind::Label, "lblDN", "Delivery Notification:", {7, 114, 120, 8});
    Control& lblDelNote = add(ControlKind::LinkLabel, "lblDelNote", "Don't Notify", {130, 114, 173, 8});
    Control& lblSBS = add(ControlKind::Label, "lblSBS", "(Small Business Server Fax Only)", {130, 124, 173, 8});
    Control& lblCoverPage = add(ControlKind::Label, "lblCoverPage", "", {7, 132, 296, 8});
    Control& Label5 = add(ControlKind::Label, "Label5", "Print for Filing to printer:", {7, 142, 120, 8});
    Control& cboCopyPrinter = add(ControlKind::ComboBox, "cboCopyPrinter", "", {130, 140, 173, 14});
    Control& Label4 = add(ControlKind::Label, "Label4", "Number of copies:", {7, 160, 120, 8});
    Control& txtCopies = add(ControlKind::TextBox, "txtCopies", "", {130, 158, 30, 14});
    Control& cmdFaxOnly = add(ControlKind::Button, "cmdFaxOnly", "&Fax", {197, 180, 50, 14});
    Control& cmdCancel = add(ControlKind::Button, "cmdCancel", "&Cancel", {253, 180, 50, 14});
};

class frmQuickFaxConfirm final : public ConfirmDialog {
public:
    explicit frmQuickFaxConfirm(Addin& addin);

    Control& Label3 = add(ControlKind::Label, "Label3", "Fax Number:", {7, 9, 60, 8});
    Control& txtNumber = add(ControlKind::TextBox, "txtNumber", "", {70, 7, 233, 14});
    Control& lblSubject = add(ControlKind::Label, "lblSubject", "Subject:", {7, 26, 60, 8});
    Control& txtSubject = add(ControlKind::TextBox, "txtSubject", "", {70, 24, 233, 14});
    Control& lblSend = add(ControlKind::Label, "lblSend", "When should the fax(es) be sent?", {7, 45, 120, 8});
    Control& lblTestDelay = add(ControlKind::LinkLabel, "lblTestDelay", "Now", {130, 45, 173, 8});
    Control& lblSType = add(ControlKind::Label, "lblSType", "Now", {130, 45, 173, 8});
    Control& lblDate = add(ControlKind::Label, "lblDate", "", {130, 45, 173, 8});
    Control& lblDN = add(ControlKind::Label, "lblDN", "Delivery Notification:", {7, 59, 120, 8});
    Control& lblDelNote = add(ControlKind::LinkLabel, "lblDelNote", "Don't Notify", {130, 59, 173, 8});
    Control& lblSBS = add(ControlKind::Label, "lblSBS", "(Small Business Server Fax Only)", {130, 69, 173, 8});
    Control& lblCoverPage = add(ControlKind::Label, "lblCoverPage", "", {7, 77, 296, 8});
    Control& Label1 = add(ControlKind::Label, "Label1", "Print for Filing to printer:", {7, 87, 120, 8});
    Control& cboCopyPrinter = add(ControlKind::ComboBox, "cboCopyPrinter", "", {130, 85, 173, 14});
    Control& Label2 = add(ControlKind::Label, "Label2", "Number of Copies:", {7, 105, 120, 8});
    Control& txtCopies = add(ControlKind::TextBox, "txtCopies", "", {130, 103, 30, 14});
    Control& cmdFaxOnly = add(ControlKind::Button, "cmdFaxOnly", "&Fax", {197, 125, 50, 14});
    Control& cmdCancel = add(ControlKind::Button, "cmdCancel", "&Cancel", {253, 125, 50, 14});
};

}  // namespace telvora
