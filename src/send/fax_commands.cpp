// The Fax and Quick Fax commands.
#include "send/fax_commands.h"

#include "app/reports.h"
#include "backends/availability.h"
#include "send/winfax_send.h"
#include "base/errors.h"
#include "core/settings.h"
#include "core/validation.h"
#include "dialogs/confirm_dialogs.h"
#include "dialogs/printer_setup.h"
#include "fields/marking.h"
#include "send/invalid_number.h"
#include "send/send_fax.h"

namespace telvora {
namespace {

bool documentIsOpen(Addin& addin) {
    return succeeded(addin.diagnostics(), [&] { (void)addin.word().activeDocument()->name(); });
}

// The checks both commands make before they read the number. Answers whether faxing may go on;
// each failing check has told the user, except a fax service that does not answer, which the
// caller decides about.
enum class Readiness { Ready, Stopped, NoFaxService };
Readiness checkFaxSetup(Addin& addin) {
    if (!EnsureFaxPrinter(addin)) {
        ShowMessage(addin, kNoFaxPrinterMessage, MsgIcon::Exclamation);
        return Readiness::Stopped;
    }
    if (!IsFaxSoftwareAvailable(addin)) {
        if (addin.ui().messageBox(kNoFaxSoftwareQuestion, MsgButtons::YesNo, MsgIcon::Question, kAppTitle) ==
            MsgResult::Yes)
            ChooseFaxPrinter(addin);
        return Readiness::Stopped;
    }
    return CheckFaxService(addin) ? Readiness::Ready : Readiness::NoFaxService;
}

// Shows the dialog and answers whether the user chose to fax. A rejected number of copies keeps
// the dialog open for the user to correct; a dialog that still comes back with its copies
// rejected was closed some other way, which is a cancel: showing it again could go on for ever.
bool confirmed(Addin& addin, ConfirmDialog& dialog) {
    dialog.form().showModal(addin.ui());
    return dialog.form().tag() == confirm::Fax;
}

// Takes the number, subject and filing copies back from the dialog and hands the fax to the
// sending step of the configured software; a number the fax software cannot dial is shown to the
// user instead. The confirmed fax is also the command surface's current one, which the template's
// macros may submit again.
void send(Addin& addin, ConfirmDialog& dialog, FaxJob job, const Control& number, const Control& subject) {
    job.faxNumber = number.text();
    job.subject = subject.text();
    job.filing = dialog.filing();
    addin.session.job = job;
    if (!IsAcceptableFaxNumber(job.faxNumber)) {
        ShowInvalidFaxNumber(addin, job.faxNumber);
        return;
    }
    if (addin.settings().faxTypeValue() == static_cast<std::int16_t>(FaxType::WinFax)) {
        (void)WinFaxSendFax(addin, job, ReadSchedule(dialog));
    } else {
        (void)SendFax(addin, job, ReadSchedule(dialog), ReadDeliveryNote(dialog));
    }
}

void faxToMarkedRecipient(Addin& addin) {
    switch (checkFaxSetup(addin)) {
    case Readiness::Ready: break;
    case Readiness::Stopped: return;
    case Readiness::NoFaxService: ShowMessage(addin, kNoFaxServerMessage, MsgIcon::Exclamation); return;
    }
    FaxJob job;
    job.faxNumber = ReadField(addin, FaxField::Number);
    job.recipientName = ReadField(addin, FaxField::Name);
    job.recipientCompany = ReadField(addin, FaxField::Company);
    job.subject = ReadField(addin, FaxField::Subject);
    if (!HasRequiredMarks(job.faxNumber, job.recipientName, job.recipientCompany)) {
        ShowMessage(addin, kRequiredMarksMessage, MsgIcon::Exclamation);
        return;
    }

    frmSendConfirm dialog(addin);
    dialog.load();
    dialog.txtCompany.setText(StripReturns(job.recipientCompany));
    dialog.txtName.setText(StripReturns(job.recipientName));
    dialog.txtNumber.setText(StripReturns(job.faxNumber));
    dialog.txtSubject.setText(StripReturns(job.subject));
    if (dialog.txtSubject.text().empty()) dialog.txtSubject.setText(kDefaultSubject);
    if (confirmed(addin, dialog)) send(addin, dialog, job, dialog.txtNumber, dialog.txtSubject);
    (void)dialog.unload();
}

}  // namespace

void ChooseFaxPrinter(Addin& addin) {
    frmPrinter form(addin);
    form.showModal(addin.ui());
    // The dialog stores everything else it offers; the fax printer is stored here.
    const std::string chosen = form.SelectedPrinter;
    if (!chosen.empty() && chosen != kCancelledPrinter) addin.settings().save(keys::Printer, chosen);
    (void)form.unload();
}

void FaxCommand(Addin& addin) {
    if (!documentIsOpen(addin)) {
        ShowMessage(addin, kNoDocumentMessage, MsgIcon::Exclamation);
        return;
    }
    trapAndReport([&] { faxToMarkedRecipient(addin); }, [&](const RuntimeError& e) { ReportError(addin, e); });
}

void QuickFaxCommand(Addin& addin) {
    if (!documentIsOpen(addin)) {
        ShowMessage(addin, kNoDocumentMessage, MsgIcon::Exclamation);
        return;
    }
    if (checkFaxSetup(addin) != Readiness::Ready) return;

    // A quick fax goes to a number alone: no recipient's name or company, whatever is marked.
    FaxJob job;
    ignoreErrors(addin.diagnostics(), [&] { job.faxNumber = addin.word().selection()->range()->text(); });
    if (job.faxNumber.empty()) ignoreErrors(addin.diagnostics(), [&] { job.faxNumber = ReadField(addin, FaxField::Number); });
    if (job.faxNumber.empty()) {
        ShowMessage(addin, kNoNumberSelectedMessage, MsgIcon::Exclamation);
        return;
    }

    frmQuickFaxConfirm dialog(addin);
    ignoreErrors(addin.diagnostics(), [&] { dialog.load(); });
    dialog.txtNumber.setText(StripReturns(job.faxNumber));
    dialog.txtSubject.setText(StripReturns(job.subject));
    if (dialog.txtSubject.text().empty()) dialog.txtSubject.setText(kDefaultSubject);
    bool fax = false;
    ignoreErrors(addin.diagnostics(), [&] { fax = confirmed(addin, dialog); });
    if (fax) ignoreErrors(addin.diagnostics(), [&] { send(addin, dialog, job, dialog.txtNumber, dialog.txtSubject); });
    ignoreErrors(addin.diagnostics(), [&] { (void)dialog.unload(); });
}

}  // namespace telvora
