// The fax merge's field choice: whether the active document has a data source, and "Fax Merge"
// (frmGetFields), where the user says which data fields hold the fax number, name and company,
// types the subject of every fax of the run, and chooses once for the run the filing copies, the
// schedule and the delivery notification, as the send confirmation offers them.
#pragma once

#include <string>

#include "app/addin.h"
#include "dialogs/confirm_dialogs.h"
#include "forms/form.h"

namespace telvora {

inline constexpr const char* kNoNumberFieldMessage =
    "Please supply the field name that contains the fax number to continue.";

class frmGetFields final : public ConfirmDialog {
public:
    explicit frmGetFields(Addin& addin);

    Control& Label14 = add(ControlKind::Label, "Label14", "Fax Merge Fields", {7, 7, 296, 9});
    Control& Label5 = add(ControlKind::Label, "Label5",
                          "Please choose the data fields used for Name, Company, Fax number. At the minimum you "
                          "must choose a field for the Fax number.",
                          {7, 19, 296, 18});
    Control& Label1 = add(ControlKind::Label, "Label1", "Name:", {15, 44, 50, 8});
    Control& cboName = add(ControlKind::ComboBox, "cboName", "", {68, 42, 235, 14});
    Control& Label2 = add(ControlKind::Label, "Label2", "Company:", {15, 61, 50, 8});
    Control& cboCompany = add(ControlKind::ComboBox, "cboCompany", "", {68, 59, 235, 14});
    Control& Label3 = add(ControlKind::Label, "Label3", "Number:", {15, 78, 50, 8});
    Control& cboNumber = add(ControlKind::ComboBox, "cboNumber", "", {68, 76, 235, 14});
    Control& Line1 = add(ControlKind::Line, "Line1", "", {7, 96, 296, 1});
    Control& lblSubject = add(ControlKind::Label, "lblSubject", "Subject:", {15, 105, 50, 8});
    Control& txtSubject = add(ControlKind::TextBox, "txtSubject", "", {68, 103, 235, 14});
    Control& Line2 = add(ControlKind::Line, "Line2", "", {7, 123, 296, 1});
    Control& lblSend = add(ControlKind::Label, "lblSend", "When should the fax(es) be sent?", {7, 131, 120, 8});
    Control& lblTestDelay = add(ControlKind::LinkLabel, "lblTestDelay", "Now", {130, 131, 173, 8});
    Control& lblSType = add(ControlKind::Label, "lblSType", "Now", {130, 131, 173, 8});
    Control& lblDate = add(ControlKind::Label, "lblDate", "", {130, 131, 173, 8});
    Control& lblDN = add(ControlKind::Label, "lblDN", "Delivery Notification:", {7, 145, 120, 8});
    Control& lblDelNote = add(ControlKind::LinkLabel, "lblDelNote", "Don't Notify", {130, 145, 173, 8});
    Control& lblSBS = add(ControlKind::Label, "lblSBS", "(Small Business Server Fax Only)", {130, 155, 173, 8});
    Control& lblCoverPage = add(ControlKind::Label, "lblCoverPage", "", {7, 156, 120, 8});
    Control& Line3 = add(ControlKind::Line, "Line3", "", {7, 167, 296, 1});
    Control& Label7 = add(ControlKind::Label, "Label7", "Print for Filing to printer:", {7, 177, 120, 8});
    Control& cboCopyPrinter = add(ControlKind::ComboBox, "cboCopyPrinter", "", {130, 175, 173, 14});
    Control& Label4 = add(ControlKind::Label, "Label4", "Number of copies:", {7, 195, 120, 8});
    Control& txtCopies = add(ControlKind::TextBox, "txtCopies", "", {130, 193, 30, 14});
    Control& cmdFaxOnly = add(ControlKind::Button, "cmdFaxOnly", "&Fax", {197, 215, 50, 14});
    Control& cmdCancel = add(ControlKind::Button, "cmdCancel", "&Cancel", {253, 215, 50, 14});

    // Accepting without a fax number field keeps the dialog open; otherwise as the send
    // confirmation accepts.
    void cmdFaxOnly_Click();
};

// Whether the active document is linked to a data source (its name is not empty). Reports an
// error and answers False.
bool IsDataLinked(Addin& addin);

// Loads the dialog if need be and lists, in each field box, an empty entry and then every field of
// the active document's data source in Word's order. Reports an error; entries added before it stay.
void LoadData(Addin& addin, frmGetFields& dialog);

}  // namespace telvora
