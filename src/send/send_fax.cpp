// The sending step for the Windows fax service and the shared fax server.
#include "send/send_fax.h"

#include "app/reports.h"
#include "backends/availability.h"
#include "backends/fax_adapters.h"
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

SendOutcome printAndSubmit(Addin& addin, const FaxJob& job, const std::string& schedule, const std::string& delivery) {
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
    const SendOutcome outcome = submitFax(addin, kind, details);

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

std::string GetTempFolder(Addin& addin) {
    std::string folder;
    if (!succeeded(addin.diagnostics(), [&] { folder = addin.platform().tempFolder(); })) return "";
    return folder.substr(0, folder.find('\0'));
}

SendOutcome SendFax(Addin& addin, const FaxJob& job, const std::string& schedule, const std::string& delivery) {
    SendOutcome outcome;
    trapAndReport([&] { outcome = printAndSubmit(addin, job, schedule, delivery); },
                  [&](const RuntimeError& e) {
                      ReportError(addin, e);
                      outcome = SendOutcome::failed("Error number: " + std::to_string(e.number()) + " " + e.description(),
                                                    false);
                  });
    return outcome;
}

}  // namespace telvora
