// The faxes sent.
#include "app/sent_faxes.h"

#include <chrono>

#include "app/reports.h"
#include "base/errors.h"

namespace telvora {
namespace {

// Runs one use of the history; a failure is shown the first time and answered as false.
template <typename Use>
bool withHistory(Addin& addin, Use&& use) {
    FaxHistory* history = addin.history();
    if (!history) return false;
    try {
        use(*history);
        return true;
    } catch (const RuntimeError& e) {
        if (!addin.historyProblemReported) {
            addin.historyProblemReported = true;
            ignoreErrors(addin.diagnostics(), [&] {
                ShowMessage(addin, std::string(kFaxHistoryProblem) + "\r\n\r\n" + e.description(), MsgIcon::Exclamation);
            });
        } else {
            addin.diagnostics().ignored(e, CodePlace{__FILE__, __LINE__});
        }
        return false;
    }
}

LocalTime keptFrom(Addin& addin) {
    return addin.platform().now() - std::chrono::days(kFaxHistoryDays);
}

}  // namespace

std::optional<std::int64_t> RecordFax(Addin& addin, FaxRecord& record) {
    if (!addin.history()) return std::nullopt;
    PruneFaxHistory(addin);
    if (!withHistory(addin, [&](FaxHistory& history) {
            record.submitted = addin.platform().now();
            record.id = history.add(record);
        }))
        return std::nullopt;
    return record.id;
}

void UpdateFax(Addin& addin, const FaxRecord& record) {
    (void)withHistory(addin, [&](FaxHistory& history) { history.update(record); });
}

std::vector<FaxRecord> RecentFaxes(Addin& addin) {
    std::vector<FaxRecord> records;
    (void)withHistory(addin, [&](FaxHistory& history) { records = history.since(keptFrom(addin)); });
    return records;
}

void KeepFaxImage(Addin& addin, FaxRecord& record, const std::string& file) {
    FaxHistory* history = addin.history();
    if (!history || record.id == 0) return;
    std::string kept;
    const std::size_t dot = file.find_last_of('.');
    const std::string extension = dot == std::string::npos ? std::string() : file.substr(dot);
    if (!succeeded(addin.diagnostics(), [&] {
            kept = history->imageFolder() + "fax-" + std::to_string(record.id) + extension;
            Platform& platform = addin.platform();
            platform.writeFile(kept, platform.readFile(file));
        }))
        return;
    record.keptImage = kept;
    UpdateFax(addin, record);
}

std::string FaxStateInWords(FaxState state) {
    switch (state) {
    case FaxState::Queued: return "queued";
    case FaxState::Dialling: return "dialling";
    case FaxState::Sending: return "sending";
    case FaxState::Retrying: return "retrying";
    case FaxState::Sent: return "sent";
    case FaxState::Failed: return "failed";
    case FaxState::Cancelled: return "cancelled";
    case FaxState::HandedOn: return "handed to the fax software";
    }
    return "unknown";
}

void PruneFaxHistory(Addin& addin) {
    std::vector<FaxRecord> removed;
    if (!withHistory(addin, [&](FaxHistory& history) { removed = history.removeBefore(keptFrom(addin)); })) return;
    for (const auto& record : removed) {
        if (!record.keptImage.empty())
            ignoreErrors(addin.diagnostics(), [&] { addin.platform().deleteFile(record.keptImage); });
    }
}

}  // namespace telvora
