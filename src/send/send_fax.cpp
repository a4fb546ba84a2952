// The sending step for the Windows fax service and the shared fax server.
#include "send/send_fax.h"

#include "app/reports.h"
#include "app/sent_faxes.h"
#include "backends/availability.h"
#include "backends/fax_adapters.h"
#include "backends/fax_follower.h"
#include "backends/printing.h"
#include "base/errors.h"
#include "core/settings.h"
#include "core/validation.h"

namespace telvora {
namespace {

// The file of one fax: deleted when the fax is done, and also when it ends in an error, so no
// faxed document is left lying in the temporary folder.
class TemporaryFaxFile {
public:
    TemporaryFaxFile(Addin& addin, std::string path)
        : platform_(addin.platform()), log_(addin.diagnostics()), path_(std::move(path)) {}
    ~TemporaryFaxFile() {
        if (!removed_) ignoreErrors(log_, [&] { platform_.deleteFile(path_); });
    }
    TemporaryFaxFile(const TemporaryFaxFile&) = delete;
    TemporaryFaxFile& operator=(const TemporaryFaxFile&) = delete;

    const std::string& path() const noexcept { return path_; }
    // Deleting a file that is not there is no error: whether it is there is not asked first, so
    // a check that fails cannot leave the file behind.
    void remove() {
        platform_.deleteFile(path_);
        removed_ = true;
    }

private:
    Platform& platform_;
    Diagnostics& log_;
    std::string path_;
    bool removed_ = false;
};

void printToFaxFile(word::Application& word, const std::string& file) {
    word.PrintOut({{"PrintToFile", Variant(true)},
                   {"PageType", Variant(std::int32_t{0})},
                   {"Copies", Variant(std::int16_t{1})},
                   {"Item", Variant(std::int32_t{0})},
                   {"OutputFileName", Variant(file)},
                   {"Range", Variant(std::int32_t{0})},
                   {"Background", Variant(false)}});
}

// A print of page "0", which prints nothing but makes Word take up the restored printer's own
// settings instead of the fax printer's.
void resetPrint(word::Application& word) {
    word.PrintOut({{"PrintToFile", Variant(false)}, {"Pages", Variant("0")}, {"Range", Variant(std::int32_t{4})}});
}

// The history's entry for a fax given to the Windows fax service or the shared fax server.
FaxRecord historyEntry(const FaxDetails& details, bool extended,
                       const std::string& schedule, const std::string& delivery, const std::string& mergeRun) {
    FaxRecord record;
    record.recipient = details.recipientName;
    record.company = details.recipientCompany;
    record.number = details.faxNumber;
    record.subject = details.coverpageSubject;
    record.software = extended ? FaxSoftwareKind::ExtendedFaxService : FaxSoftwareKind::LegacyFaxService;
    record.server = details.faxServerName;
    record.mergeRun = mergeRun;
    record.schedule = schedule;
    record.delivery = delivery;
    return record;
}

// Records what the submission answered, with the fax image kept for sending again.
void recordSubmission(Addin& addin, FaxRecord record, const SendOutcome& outcome, const std::string& file) {
    if (!addin.history()) return;
    switch (outcome.result) {
    case SendOutcome::Result::Sent: record.state = FaxState::Queued; break;
    case SendOutcome::Result::Stopped: record.state = FaxState::Cancelled; break;
    case SendOutcome::Result::Failed: record.state = FaxState::Failed; break;
    }
    record.reason = outcome.why;
    record.jobIds = outcome.jobIds;
    if (!RecordFax(addin, record)) return;
    KeepFaxImage(addin, record, file);
    if (outcome.sent()) FollowFaxes(addin);
}

SendOutcome printAndSubmit(Addin& addin, const FaxJob& job, const std::string& schedule, const std::string& delivery,
                           const std::string& mergeRun) {
    word::Application& word = addin.word();
    Platform& platform = addin.platform();
    const Settings& settings = addin.settings();

    ActivePrinterSwitch printer(word, addin.diagnostics());
    printer.switchTo(settings.printer());
    const std::int16_t faxType = settings.faxTypeValue();
    const bool winFax = faxType == static_cast<std::int16_t>(FaxType::WinFax);
    TemporaryFaxFile file(addin, GetTempFolder(addin) + (winFax ? kWinFaxFileName : kFaxImageFileName));
    if (!winFax) printToFaxFile(word, file.path());

    const bool extended = CanCreateExtendedFaxServer(addin);
    const FaxAdapterKind kind = extended ? FaxAdapterKind::FaxSbs : FaxAdapterKind::Fax;
    FaxDetails details = extended ? newFaxSbsDetails(addin) : FaxDetails{};
    if (faxType == static_cast<std::int16_t>(FaxType::SharedFax)) {
        addin.sharedFaxServer = settings.serverName();
        details.faxServerName = addin.sharedFaxServer;
    } else {
        details.faxServerName = platform.environment("computername");
    }
    details.recipientCompany = StripReturns(job.recipientCompany);
    details.recipientName = StripReturns(job.recipientName);
    details.faxNumber = GetDialOutPrefix(addin) + CleanFaxNumber(job.faxNumber);
    details.coverpageSubject = StripReturns(job.subject);
    details.sendFileName = file.path();
    setFaxSchedule(kind, details, schedule);
    if (extended) setFaxDeliveryNote(details, delivery);
    const FaxRecord entry = historyEntry(details, extended, schedule, delivery, mergeRun);
    SendOutcome outcome;
    try {
        outcome = submitFax(addin, kind, details);
    } catch (const RuntimeError& e) {
        // The fax software refused the fax: it is in the history as failed, with the reason the
        // user is told.
        recordSubmission(addin, entry, SendOutcome::failed(errorReason(e), false), file.path());
        throw;
    }
    recordSubmission(addin, entry, outcome, file.path());

    if (job.filing.print && outcome.sent()) {
        printer.switchTo(job.filing.printer);
        PrintFilingCopies(word, job.filing.copies);
    }
    printer.restore();
    if (!settings.resetPrinter()) resetPrint(word);
    // The fax printer may still hold the file while Word finishes the print.
    platform.yield();
    file.remove();
    return outcome;
}

}  // namespace

std::string errorReason(const RuntimeError& e) {
    return "Error number: " + std::to_string(e.number()) + " " + e.description();
}

std::string GetTempFolder(Addin& addin) {
    std::string folder;
    if (!succeeded(addin.diagnostics(), [&] { folder = addin.platform().tempFolder(); })) return "";
    return folder.substr(0, folder.find('\0'));
}

SendOutcome SendFax(Addin& addin, const FaxJob& job, const std::string& schedule, const std::string& delivery,
                    const std::string& mergeRun) {
    SendOutcome outcome;
    trapAndReport([&] { outcome = printAndSubmit(addin, job, schedule, delivery, mergeRun); },
                  [&](const RuntimeError& e) {
                      ReportError(addin, e);
                      outcome = SendOutcome::failed(errorReason(e), false);
                  });
    return outcome;
}

}  // namespace telvora
