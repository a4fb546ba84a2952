// The sending step for the Windows fax service, the shared fax server and a HylaFAX server.
#include "send/send_fax.h"

#include <optional>

#include "app/reports.h"
#include "app/sent_faxes.h"
#include "backends/availability.h"
#include "backends/fax_adapters.h"
#include "backends/hylafax.h"
#include "backends/fax_follower.h"
#include "backends/printing.h"
#include "base/errors.h"
#include "base/text.h"
#include "core/settings.h"
#include "core/validation.h"
#include "dialogs/printer_setup.h"
#include "dialogs/send_options.h"

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

constexpr const char* kHylafaxDiscountMessage =
    "The HylaFAX fax server cannot send a fax \"When discount applies\": it keeps no discount period that "
    "Telvora could ask for. Please schedule the fax \"Now\" or at a time you specify, and send it again.";

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

// The fax as the HylaFAX server is to queue it, all but the image, worked out before anything is
// printed: a schedule it cannot keep is refused while nothing has happened yet.
std::optional<HylafaxFax> hylafaxFax(Addin& addin, Addressee to, const std::string& scheduleText,
                                     const std::string& deliveryText) {
    if (scheduleText == schedule::Discount) {
        ShowMessage(addin, kHylafaxDiscountMessage, MsgIcon::Exclamation);
        return std::nullopt;
    }
    HylafaxFax fax;
    fax.number = std::move(to.number);
    fax.recipient = std::move(to.recipient);
    fax.company = std::move(to.company);
    fax.subject = std::move(to.subject);
    if (scheduleText != schedule::Now) {
        // The dialogs wrote the time in this machine's zone; the server counts in universal time.
        const auto local = addin.dateTimes().parse(scheduleText);
        if (!local) throw RuntimeError::standard(err::TypeMismatch);
        fax.schedule = {HylafaxSchedule::Kind::At, addin.platform().universalTime(*local)};
    }
    // The server mails its receipts and shows no pop-up: the address asked for with this fax, or
    // else the one the user saved for e-mail receipts; no receipt when there is neither.
    const Settings& settings = addin.settings();
    if (const auto colon = deliveryText.find(':'); colon != std::string::npos) {
        fax.receiptAddress = trimBlanks(deliveryText.substr(colon + 1));
    } else if (deliveryText != delivery::PopUp && settings.ynoSave() && settings.email()) {
        fax.receiptAddress = trimBlanks(settings.emailAddress());
    }
    return fax;
}

SendOutcome submitToHylafaxServer(Addin& addin, HylafaxFax fax, const std::string& file, const std::string& schedule,
                                  const std::string& delivery, const std::string& mergeRun) {
    const HylafaxSetting server = addin.settings().hylafax();
    Network& network = addin.network();
    fax.image = addin.platform().readFile(file);
    FaxRecord entry;
    entry.recipient = fax.recipient;
    entry.company = fax.company;
    entry.number = fax.number;
    entry.subject = fax.subject;
    entry.software = FaxSoftwareKind::Hylafax;
    entry.server = server.host;
    entry.mergeRun = mergeRun;
    entry.schedule = schedule;
    entry.delivery = delivery;
    SendOutcome outcome;
    try {
        outcome = SendOutcome::sentAs({submitToHylafax(network, {server.host, server.port, server.user}, fax)});
    } catch (const RuntimeError& e) {
        // A server that cannot be reached or refuses the fax would refuse the next record of a
        // merge too.
        ShowMessage(addin, "The fax to " + fax.number + " was not sent.\r\n\r\n" + e.description(), MsgIcon::Exclamation);
        outcome = SendOutcome::failed(e.description(), true);
    }
    recordSubmission(addin, std::move(entry), outcome, file);
    return outcome;
}

// Gives the fax image `file` to the Windows fax service (`extended`: its extended service) of the
// computer `server`, and records the submission.
SendOutcome submitToFaxServer(Addin& addin, bool extended, const std::string& server, Addressee to,
                              const std::string& schedule, const std::string& delivery, const std::string& file,
                              const std::string& mergeRun) {
    const FaxAdapterKind kind = extended ? FaxAdapterKind::FaxSbs : FaxAdapterKind::Fax;
    FaxDetails details = extended ? newFaxSbsDetails(addin) : FaxDetails{};
    details.faxServerName = server;
    details.recipientCompany = std::move(to.company);
    details.recipientName = std::move(to.recipient);
    details.faxNumber = std::move(to.number);
    details.coverpageSubject = std::move(to.subject);
    details.sendFileName = file;
    if (const CoverPageSetting cover = CoverPageToSend(addin); cover.chosen()) {
        details.sendCoverpage = true;
        details.serverCoverpage = cover.kind == CoverPageKind::Server;
        details.coverpageName = cover.name;
        details.coverpageNote = cover.note;
    }
    setFaxSchedule(kind, details, schedule);
    if (extended) setFaxDeliveryNote(details, delivery);
    const FaxRecord entry = historyEntry(details, extended, schedule, delivery, mergeRun);
    SendOutcome outcome;
    try {
        outcome = submitFax(addin, kind, details);
    } catch (const RuntimeError& e) {
        // The fax software refused the fax: it is in the history as failed, with the reason the
        // user is told.
        recordSubmission(addin, entry, SendOutcome::failed(errorReason(e), false), file);
        throw;
    }
    recordSubmission(addin, entry, outcome, file);
    return outcome;
}

// The fax image shown to the user when they asked for that: nothing when they chose Send (or see no
// preview), otherwise why the fax stays unsent. A preview that cannot be shown is reported and sends
// nothing either; it would fail for every later record of a merge too.
std::optional<SendOutcome> previewRefusal(Addin& addin, const FaxJob& job, const std::string& file, std::int32_t faxes) {
    if (faxes <= 0 || !addin.settings().previewFax()) return std::nullopt;
    try {
        const Addressee to = addresseeOf(addin, job);
        if (addin.faxPreview().showFaxPreview({file, to.recipient, to.number, faxes}) == PreviewAnswer::Send)
            return std::nullopt;
        return SendOutcome::stopped(kPreviewCancelled, true);
    } catch (const RuntimeError& e) {
        ReportError(addin, e);
        return SendOutcome::failed(errorReason(e), true);
    }
}

SendOutcome submitToFaxService(Addin& addin, const FaxJob& job, const std::string& schedule,
                               const std::string& delivery, std::int16_t faxType, const std::string& file,
                               const std::string& mergeRun) {
    std::string server;
    if (faxType == static_cast<std::int16_t>(FaxType::SharedFax)) {
        addin.sharedFaxServer = addin.settings().serverName();
        server = addin.sharedFaxServer;
    } else {
        server = addin.platform().environment("computername");
    }
    return submitToFaxServer(addin, CanCreateExtendedFaxServer(addin), server, addresseeOf(addin, job), schedule,
                             delivery, file, mergeRun);
}

SendOutcome printAndSubmit(Addin& addin, const FaxJob& job, const std::string& schedule, const std::string& delivery,
                           std::int32_t previewFaxes, const std::string& mergeRun) {
    word::Application& word = addin.word();
    const Settings& settings = addin.settings();
    const std::int16_t faxType = settings.faxTypeValue();
    const bool winFax = faxType == static_cast<std::int16_t>(FaxType::WinFax);
    std::optional<HylafaxFax> hylafax;
    if (faxType == static_cast<std::int16_t>(FaxType::Hylafax)) {
        hylafax = hylafaxFax(addin, addresseeOf(addin, job), schedule, delivery);
        if (!hylafax) return SendOutcome::failed(kHylafaxDiscountMessage, true);
    }

    ActivePrinterSwitch printer(word, addin.diagnostics());
    printer.switchTo(settings.printer());
    TemporaryFaxFile file(addin, GetTempFolder(addin) + (winFax ? kWinFaxFileName : kFaxImageFileName));
    if (!winFax) printToFaxFile(word, file.path());

    // WinFax makes its own image of the document: there is nothing of Telvora's to show.
    const std::optional<SendOutcome> refused = winFax ? std::nullopt : previewRefusal(addin, job, file.path(), previewFaxes);
    const SendOutcome outcome =
        refused   ? *refused
        : hylafax ? submitToHylafaxServer(addin, std::move(*hylafax), file.path(), schedule, delivery, mergeRun)
                  : submitToFaxService(addin, job, schedule, delivery, faxType, file.path(), mergeRun);

    if (job.filing.print && outcome.sent()) {
        printer.switchTo(job.filing.printer);
        PrintFilingCopies(word, job.filing.copies);
    }
    printer.restore();
    if (!settings.resetPrinter()) resetPrint(word);
    // The fax printer may still hold the file while Word finishes the print.
    addin.platform().yield();
    file.remove();
    return outcome;
}

}  // namespace

std::string errorReason(const RuntimeError& e) {
    return "Error number: " + std::to_string(e.number()) + " " + e.description();
}

Addressee addresseeOf(Addin& addin, const FaxJob& job) {
    return {GetDialOutPrefix(addin) + CleanFaxNumber(job.faxNumber), StripReturns(job.recipientName),
            StripReturns(job.recipientCompany), StripReturns(job.subject)};
}

std::string GetTempFolder(Addin& addin) {
    std::string folder;
    if (!succeeded(addin.diagnostics(), [&] { folder = addin.platform().tempFolder(); })) return "";
    return folder.substr(0, folder.find('\0'));
}

SendOutcome SendFax(Addin& addin, const FaxJob& job, const std::string& schedule, const std::string& delivery,
                    std::int32_t previewFaxes, const std::string& mergeRun) {
    SendOutcome outcome;
    trapAndReport([&] { outcome = printAndSubmit(addin, job, schedule, delivery, previewFaxes, mergeRun); },
                  [&](const RuntimeError& e) {
                      ReportError(addin, e);
                      outcome = SendOutcome::failed(errorReason(e), false);
                  });
    return outcome;
}

SendOutcome ResendFax(Addin& addin, const FaxRecord& sent) {
    SendOutcome outcome;
    trapAndReport(
        [&] {
            if (sent.keptImage.empty() || !addin.platform().fileExists(sent.keptImage)) {
                ShowMessage(addin, kResendImageGoneMessage, MsgIcon::Exclamation);
                outcome = SendOutcome::failed(kResendImageGoneMessage, false);
                return;
            }
            // The number was recorded as dialled: it goes out as it is, with the texts as they went.
            const Addressee to{sent.number, sent.recipient, sent.company, sent.subject};
            switch (sent.software) {
            case FaxSoftwareKind::Hylafax: {
                std::optional<HylafaxFax> fax = hylafaxFax(addin, to, sent.schedule, sent.delivery);
                if (!fax) {
                    outcome = SendOutcome::failed(kHylafaxDiscountMessage, false);
                    return;
                }
                outcome = submitToHylafaxServer(addin, std::move(*fax), sent.keptImage, sent.schedule, sent.delivery,
                                                sent.mergeRun);
                return;
            }
            case FaxSoftwareKind::ExtendedFaxService:
            case FaxSoftwareKind::LegacyFaxService:
                outcome = submitToFaxServer(addin, sent.software == FaxSoftwareKind::ExtendedFaxService, sent.server,
                                            to, sent.schedule, sent.delivery, sent.keptImage, sent.mergeRun);
                return;
            case FaxSoftwareKind::WinFax: break;
            }
            // WinFax prints the document itself: no image of it is ever kept.
            ShowMessage(addin, kResendImageGoneMessage, MsgIcon::Exclamation);
            outcome = SendOutcome::failed(kResendImageGoneMessage, false);
        },
        [&](const RuntimeError& e) {
            ReportError(addin, e);
            outcome = SendOutcome::failed(errorReason(e), false);
        });
    return outcome;
}

}  // namespace telvora
