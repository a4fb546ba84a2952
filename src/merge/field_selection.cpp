// The fax merge's field choice.
#include "merge/field_selection.h"

#include "app/reports.h"
#include "base/errors.h"

namespace telvora {

frmGetFields::frmGetFields(Addin& addin)
    : ConfirmDialog(addin, "frmGetFields", "Fax Merge", {0, 0, 310, 236}, kSendCopyPrinterQuestion,
                    topic::MergeFields) {
    Label14.setFont({"", 0, true});
    // A field name is chosen from the data source's own list: a typed name could name no field.
    for (Control* box : {&cboName, &cboCompany, &cboNumber}) box->setComboStyle(ComboStyle::DropDownList);
    connect({&lblTestDelay, &lblSType, &lblDate, &lblDN, &lblDelNote, &lblSBS, &cboCopyPrinter, &txtCopies, &cmdFaxOnly,
             &cmdCancel, &lblCoverPage});
    cmdFaxOnly.onClick = [this] { cmdFaxOnly_Click(); };
}

void frmGetFields::cmdFaxOnly_Click() {
    if (cboNumber.text().empty()) {
        ShowMessage(addin_, kNoNumberFieldMessage, MsgIcon::Exclamation);
        return;
    }
    ConfirmDialog::cmdFaxOnly_Click();
}

bool IsDataLinked(Addin& addin) {
    bool linked = false;
    trapAndReport(
        [&] { linked = !addin.word().activeDocument()->mailMerge()->dataSource()->name().empty(); },
        [&](const RuntimeError& e) { ReportError(addin, e); });
    return linked;
}

void LoadData(Addin& addin, frmGetFields& dialog) {
    trapAndReport(
        [&] {
            if (!dialog.loaded()) dialog.load();
            Control* boxes[] = {&dialog.cboName, &dialog.cboCompany, &dialog.cboNumber};
            for (Control* box : boxes) box->addItem("");
            for (const auto& field : addin.word().activeDocument()->mailMerge()->dataSource()->fieldNames()) {
                for (Control* box : boxes) box->addItem(field);
            }
        },
        [&](const RuntimeError& e) { ReportError(addin, e); });
}

}  // namespace telvora
