// The send and quick fax confirmation dialogs.
#include "dialogs/confirm_dialogs.h"

#include "app/reports.h"
#include "backends/availability.h"
#include "base/conversions.h"
#include "base/text.h"
#include "core/settings.h"
#include "dialogs/printer_setup.h"
#include "dialogs/settings_dialog.h"

namespace telvora {
namespace {

void lockCopies(Control& copies) {
    copies.setLocked(true);
    copies.setBackColor(kButtonFace);
}

}  // namespace

void LoadConfirmation(Addin& addin, ConfirmationDialog& dialog, const std::string& copyPrinterQuestion) {
    dialog.form().setTag("");
    dialog.filing() = FilingCopies{};
    addin.notificationDisabled = false;
    dialog.scheduleKindLabel().setCaption(schedule::Now);
    dialog.scheduleKindLabel().setTag(schedule::Now);

    Control& box = dialog.copyPrinterBox();
    FillCopyPrinters(addin, dialog);
    box.setListIndex(0);

    Control* deliveryLine[] = {&dialog.deliveryHeading(), &dialog.deliveryLabel(), &dialog.deliveryHint()};
    for (Control* c : deliveryLine) c->setVisible(false);
    // Only the shared fax server sends delivery receipts.
    const auto faxType = addin.settings().faxTypeIfSet();
    if (faxType && *faxType == static_cast<std::int16_t>(FaxType::SharedFax) && CanCreateExtendedFaxServer(addin)) {
        for (Control* c : deliveryLine) c->setVisible(true);
        dialog.deliveryLabel().setTag(DefaultDeliveryKind(addin));
        dialog.deliveryLabel().setCaption(DefaultDeliveryCaption(addin));
    }

    const CoverPageSetting cover = CoverPageToSend(addin);
    Control& coverPage = dialog.coverPageLabel();
    coverPage.setVisible(cover.chosen());
    // A personal cover page by its file name: its folder is the same for every one.
    coverPage.setCaption(cover.chosen() ? "Cover page: " + cover.name.substr(cover.name.find_last_of("\\/") + 1) : "");

    if (SelectDefaultCopyPrinter(addin, dialog)) return;
    if (addin.ui().messageBox(copyPrinterQuestion, MsgButtons::YesNo, MsgIcon::Question, kAppTitle) == MsgResult::Yes) {
        frmSettings settings(addin);
        settings.run(addin.ui());
        SelectListEntry(box, kDontPrint);
        SelectListEntry(box, addin.settings().defaultPrinter());
        ShowStoredCopies(addin, dialog);
    } else {
        SelectListEntry(box, kDontPrint);
        lockCopies(dialog.copiesBox());
    }
}

ConfirmDialog::ConfirmDialog(Addin& addin, std::string name, std::string caption, Geometry size,
                             const char* copyPrinterQuestion, std::uint32_t helpTopic)
    : Form(std::move(name), std::move(caption), size), addin_(addin), copyPrinterQuestion_(copyPrinterQuestion),
      helpTopic_(helpTopic) {}

void ConfirmDialog::connect(const SharedControls& shared) {
    shared_ = shared;
    shared_.lblSType->setVisible(false);
    shared_.lblDate->setVisible(false);
    shared_.cmdCancel->setCancel(true);
    shared_.cboCopyPrinter->onClick = [this] { cboCopyPrinter_Click(); };
    shared_.lblTestDelay->onClick = [this] { lblTestDelay_Click(); };
    shared_.lblDelNote->onClick = [this] { lblDelNote_Click(); };
    shared_.cmdFaxOnly->onClick = [this] { cmdFaxOnly_Click(); };
    shared_.cmdCancel->onClick = [this] { cmdCancel_Click(); };
}

void ConfirmDialog::Form_Load() {
    trapAndReport([&] { LoadConfirmation(addin_, *this, copyPrinterQuestion_); },
                  [&](const RuntimeError& e) { ReportError(addin_, e); });
}

void ConfirmDialog::Form_KeyDown(int& keyCode, int) {
    if (keyCode != kKeyF1) return;
    keyCode = 0;
    trapAndReport([&] { ShowHelpTopic(addin_, helpTopic_); }, [&](const RuntimeError& e) { ReportError(addin_, e); });
}

void ConfirmDialog::Form_Unload(int&) {
    // Closed from its window frame (or unloaded before a button was pressed): no decision.
    if (tag() != confirm::Fax && tag() != confirm::Cancel) setTag("");
}

void ConfirmDialog::accept() {
    setTag(confirm::Fax);
    filing_.print = false;
    filing_.copies = 0;
    if (trimBlanks(copyPrinterBox().text()) != kDontPrint) {
        if (!CheckCopies(addin_, *this)) {
            setTag(confirm::Invalid);
            return;
        }
        filing_.print = true;
        filing_.copies = textToInt16(trimBlanks(copiesBox().text()));
    }
    filing_.printer = copyPrinterBox().text();
    hide();
}

void ConfirmDialog::cmdFaxOnly_Click() {
    trapAndReport([&] { accept(); }, [&](const RuntimeError& e) { ReportError(addin_, e); });
}

void ConfirmDialog::cmdCancel_Click() {
    hide();
    setTag(confirm::Cancel);
}

frmSendConfirm::frmSendConfirm(Addin& addin)
    : ConfirmDialog(addin, "frmSendConfirm", "Fax", {0, 0, 310, 201}, kSendCopyPrinterQuestion, topic::SendConfirm) {
    for (Control* field : {&txtName, &txtCompany}) {
        field->setLocked(true);
        field->setBackColor(kScrollBarGrey);
    }
    connect({&lblTestDelay, &lblSType, &lblDate, &lblDN, &lblDelNote, &lblSBS, &cboCopyPrinter, &txtCopies, &cmdFaxOnly,
             &cmdCancel, &lblCoverPage});
}

frmQuickFaxConfirm::frmQuickFaxConfirm(Addin& addin)
    : ConfirmDialog(addin, "frmQuickFaxConfirm", "Quick Fax", {0, 0, 310, 146}, kQuickFaxCopyPrinterQuestion,
                    topic::QuickFaxConfirm) {
    connect({&lblTestDelay, &lblSType, &lblDate, &lblDN, &lblDelNote, &lblSBS, &cboCopyPrinter, &txtCopies, &cmdFaxOnly,
             &cmdCancel, &lblCoverPage});
}

}  // namespace telvora
