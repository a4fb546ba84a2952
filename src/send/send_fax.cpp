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
    TemporaryFaxFile(Platform& platform, std::string path) : platform_(platform), path_(std::move(path)) {}
    ~TemporaryFaxFile() {
        if (!removed_) ignoreErrors([&] { platform_.deleteFile(path_); });
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

void sendThroughFaxService(Addin& addin, const std::string& schedule, const std::string& delivery) {
    word::Application& word = addin.word();
    Platform& platform = addin.platform();
    const Settings& settings = addin.settings();
    FaxJob& job = addin.faxJob;

    ActivePrinterSwitch printer(word);
    printer.switchTo(settings.printer());
    const std::int16_t faxType = settings.faxTypeValue();
    const bool winFax = faxType == static_cast<std::int16_t>(FaxType::WinFax);
    TemporaryFaxFile file(platform, GetTempFolder(addin) + (winFax ? kWinFaxFileName : kFaxImageFileName));
    if (!winFax) printToFaxFile(word, file.path());

    const bool extended = CanCreateExtendedFaxServer(addin);
    FaxAdapterJob adapter = extended ? newFaxSbsJob(addin) : FaxAdapterJob(faxClass());
    if (faxType == static_cast<std::int16_t>(FaxType::SharedFax)) {
        job.serverName = settings.serverName();
        adapter.set("FaxServerName", Variant(job.serverName));
    } else {
        adapter.set("FaxServerName", Variant(platform.environment("computername")));
    }
    adapter.set("RecipientCompany", Variant(StripReturns(job.recipientCompany)));
    adapter.set("RecipientName", Variant(StripReturns(job.recipientName)));
    adapter.set("FaxNumber", Variant(GetDialOutPrefix(addin) + CleanFaxNumber(job.faxNumber)));
    adapter.set("CoverpageSubject", Variant(StripReturns(job.subject)));
    adapter.set("SendFileName", Variant(file.path()));
    adapter.set("DiscountSend", Variant(false));
    adapter.set("SpecTime", Variant(false));
    adapter.set("blnStopFax", Variant(false));
    setFaxSchedule(adapter, schedule);
    if (extended) setFaxDeliveryNote(adapter, delivery);
    sendFaxJob(addin, adapter);

    if (job.printCopy && !adapter.flag("blnStopFax")) {
        printer.switchTo(job.copyPrinter);
        PrintFilingCopies(word, job.copies);
    }
    printer.restore();
    if (!settings.resetPrinter()) resetPrint(word);
    // The fax printer may still hold the file while Word finishes the print.
    platform.yield();
    file.remove();
}

}  // namespace

std::string GetTempFolder(Addin& addin) {
    std::string folder;
    if (!succeeded([&] { folder = addin.platform().tempFolder(); })) return "";
    return folder.substr(0, folder.find('\0'));
}

void SendFax(Addin& addin, const std::string& schedule, const std::string& delivery) {
    trapAndReport([&] { sendThroughFaxService(addin, schedule, delivery); },
                  [&](const RuntimeError& e) { ReportError(addin, e); });
}

}  // namespace telvora
