// The WinFax sending step.
#include "backends/winfax_send.h"

#include <cstdint>
#include <memory>

#include "app/reports.h"
#include "backends/availability.h"
#include "backends/printing.h"
#include "base/errors.h"
#include "core/validation.h"

namespace telvora {
namespace {

// The SDK takes its numbers as 16-bit integers.
Variant i16(int v) { return Variant(static_cast<std::int16_t>(v)); }

void sendThroughWinFaxSdk(Addin& addin, const std::string& schedule, WinFaxPatience patience) {
    word::Application& word = addin.word();
    const FaxJob& job = addin.faxJob;
    {
        const auto document = word.activeDocument();
        document->fields()->Update();
    }
    // The document is found again by name: WinFax and the copy print must take this one even if
    // the user brings another window to the front while WinFax works.
    const std::string documentName = word.activeDocument()->name();
    const auto activateDocument = [&] { word.documents()->activate(documentName); };
    activateDocument();

    const std::shared_ptr<AutomationObject> sdk = addin.automation().create(progid::WinFax);
    (void)sdk->call("SetClientID", {Variant("Client Name")});
    SetWinFaxSchedule(addin, *sdk, schedule);
    (void)sdk->call("SetNumber", {Variant(GetDialOutPrefix(addin) + CleanFaxNumber(job.faxNumber))});
    (void)sdk->call("SetSubject", {Variant(StripReturns(job.subject))});
    (void)sdk->call("SetCompany", {Variant(StripReturns(job.recipientCompany))});
    (void)sdk->call("SetTo", {Variant(StripReturns(job.recipientName))});
    (void)sdk->call("AddRecipient");
    (void)sdk->call("SetPrintFromApp", {i16(1)});
    (void)sdk->call("ShowSendScreen", {i16(0)});
    (void)sdk->call("Send", {i16(1)});

    // Stopped by the user: nothing was printed, so WinFax gets no document to send.
    if (!waitForWinFax(addin, [&] { return sdk->call("IsReadyToPrint").toDouble() != 0.0; }, patience)) return;

    activateDocument();
    PrintForWinFax(addin, *word.activeDocument());
    activateDocument();

    // WinFax files the job some time after the print; between two asks it is asked once more
    // without looking at the answer, which keeps it working on the job.
    bool asked = false;
    (void)waitForWinFax(
        addin,
        [&] {
            if (asked) (void)sdk->call("IsEntryIDReady", {i16(0)});
            asked = true;
            return sdk->call("IsEntryIDReady", {i16(0)}).toDouble() == 1.0;
        },
        patience);
}

}  // namespace

void SetWinFaxSchedule(Addin& addin, AutomationObject& sdk, const std::string& schedule) {
    if (schedule == "Discount") {
        (void)sdk.call("SetOffPeak", {i16(1)});
    } else if (schedule != "Now") {
        DateTimeTexts& dates = addin.dateTimes();
        const auto at = dates.parse(schedule);
        if (!at) throw RuntimeError::standard(err::TypeMismatch);
        (void)sdk.call("SetDate", {Variant(dates.format(*at, DateTimePattern::WinFaxDate))});
        (void)sdk.call("SetTime", {Variant(dates.format(*at, DateTimePattern::WinFaxTime))});
    }
}

void PrintForWinFax(Addin& addin, word::Document& document) {
    word::Application& word = addin.word();
    const FaxJob& job = addin.faxJob;
    {
        ActivePrinterSwitch printer(word);
        printer.switchTo(addin.settings().printer());
        document.PrintOut();
        printer.restore();
    }
    if (job.printCopy) {
        ActivePrinterSwitch printer(word);
        printer.switchTo(job.copyPrinter);
        PrintFilingCopies(word, job.copies);
        printer.restore();
    }
}

void WinFaxSendFax(Addin& addin, const std::string& schedule, WinFaxPatience patience) {
    trapAndReport([&] { sendThroughWinFaxSdk(addin, schedule, patience); },
                  [&](const RuntimeError& e) {
                      ShowMessage(addin, "Error Number: " + std::to_string(e.number()) + "\r\n" + e.description(),
                                  MsgIcon::Exclamation);
                  });
}

}  // namespace telvora
