// The WinFax sending step.
#include "send/winfax_send.h"

#include <cstdint>
#include <memory>

#include "app/reports.h"
#include "app/sent_faxes.h"
#include "backends/availability.h"
#include "backends/printing.h"
#include "base/errors.h"
#include "core/validation.h"
#include "send/send_fax.h"

namespace telvora {
namespace {

SendOutcome throughWinFaxSdk(Addin& addin, const FaxJob& job, const std::string& schedule, WinFaxPatience patience) {
    word::Application& word = addin.word();
    {
        const auto document = word.activeDocument();
        document->fields()->Update();
    }
    // The document is found again by name: WinFax and the copy print must take this one even if
    // the user brings another window to the front while WinFax works.
    const std::string documentName = word.activeDocument()->name();
    const auto activateDocument = [&] { word.documents()->activate(documentName); };
    activateDocument();

    WinFaxSdk sdk(addin, progid::WinFax);
    sdk.request("SetClientID", {Variant("Client Name")});
    SetWinFaxSchedule(addin, sdk, schedule);
    const Addressee to = addresseeOf(addin, job);
    sdk.request("SetNumber", {Variant(to.number)});
    sdk.request("SetSubject", {Variant(to.subject)});
    sdk.request("SetCompany", {Variant(to.company)});
    sdk.request("SetTo", {Variant(to.recipient)});
    sdk.request("AddRecipient");
    sdk.request("SetPrintFromApp", {WinFaxSdk::flag(1)});
    sdk.request("ShowSendScreen", {WinFaxSdk::flag(0)});
    sdk.request("Send", {WinFaxSdk::flag(1)});

    // Stopped by the user: nothing was printed, so WinFax gets no document to send.
    if (!waitForWinFax(addin, [&] { return sdk.readyToPrint(); }, patience))
        return SendOutcome::stopped("WinFax did not answer and the user stopped waiting", true);

    activateDocument();
    PrintForWinFax(addin, *word.activeDocument(), job.filing);
    activateDocument();

    // WinFax files the job some time after the print; between two asks it is asked once more
    // without looking at the answer, which keeps it working on the job.
    bool asked = false;
    (void)waitForWinFax(
        addin,
        [&] {
            if (asked) sdk.askFiledAgain();
            asked = true;
            return sdk.entryFiled();
        },
        patience);
    // WinFax names no job it took.
    return SendOutcome::sentAs({});
}

}  // namespace

void SetWinFaxSchedule(Addin& addin, WinFaxSdk& sdk, const std::string& schedule) {
    if (schedule == "Discount") {
        sdk.request("SetOffPeak", {WinFaxSdk::flag(1)});
    } else if (schedule != "Now") {
        DateTimeTexts& dates = addin.dateTimes();
        const auto at = dates.parse(schedule);
        if (!at) throw RuntimeError::standard(err::TypeMismatch);
        sdk.request("SetDate", {Variant(dates.format(*at, DateTimePattern::WinFaxDate))});
        sdk.request("SetTime", {Variant(dates.format(*at, DateTimePattern::WinFaxTime))});
    }
}

void PrintForWinFax(Addin& addin, word::Document& document, const FilingCopies& filing) {
    word::Application& word = addin.word();
    {
        ActivePrinterSwitch printer(word, addin.diagnostics());
        printer.switchTo(addin.settings().printer());
        document.PrintOut();
        printer.restore();
    }
    if (filing.print) {
        ActivePrinterSwitch printer(word, addin.diagnostics());
        printer.switchTo(filing.printer);
        PrintFilingCopies(word, filing.copies);
        printer.restore();
    }
}

void RecordWinFaxHandOver(Addin& addin, const FaxJob& job, const std::string& schedule, const std::string& mergeRun) {
    if (!addin.history()) return;
    FaxRecord record;
    record.recipient = StripReturns(job.recipientName);
    record.company = StripReturns(job.recipientCompany);
    record.number = GetDialOutPrefix(addin) + CleanFaxNumber(job.faxNumber);
    record.subject = StripReturns(job.subject);
    record.state = FaxState::HandedOn;
    record.software = FaxSoftwareKind::WinFax;
    record.mergeRun = mergeRun;
    record.schedule = schedule;
    (void)RecordFax(addin, record);
}

SendOutcome WinFaxSendFax(Addin& addin, const FaxJob& job, const std::string& schedule, WinFaxPatience patience) {
    SendOutcome outcome;
    trapAndReport([&] {
                      outcome = throughWinFaxSdk(addin, job, schedule, patience);
                      if (outcome.sent()) RecordWinFaxHandOver(addin, job, schedule, {});
                  },
                  [&](const RuntimeError& e) {
                      const std::string why = "Error Number: " + std::to_string(e.number()) + "\r\n" + e.description();
                      ShowMessage(addin, why, MsgIcon::Exclamation);
                      outcome = SendOutcome::failed(why, true);
                  });
    return outcome;
}

}  // namespace telvora
