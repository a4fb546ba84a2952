// The faxes sent, as the add-in keeps them: each submission is added to the fax history, its fax
// image kept for sending again, and entries older than the kept period removed with their images.
// The history never stops a fax: when it cannot be read or written the user is told once, and
// the add-in faxes on without it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/addin.h"
#include "ports/fax_history.h"

namespace telvora {

// How long faxes stay in the history, and their images with them.
inline constexpr int kFaxHistoryDays = 30;

// What the user is told, once, when the history cannot be kept; the error's own description follows.
inline constexpr const char* kFaxHistoryProblem =
    "Telvora cannot keep the list of the faxes you send, so the Fax Status window will not show them. "
    "Your faxes are sent as usual.";

// Adds the fax to the history and answers its id (also put into `record`); nothing when the add-in
// keeps no history or the history failed (the user is told the first time).
std::optional<std::int64_t> RecordFax(Addin& addin, FaxRecord& record);
// Stores what became of a fax already recorded; a failure is reported as RecordFax's.
void UpdateFax(Addin& addin, const FaxRecord& record);
// The faxes of the kept period, newest first; none when the history fails.
std::vector<FaxRecord> RecentFaxes(Addin& addin);
// Copies the fax image `file` into the history's image folder for the recorded fax and stores the
// copy's path with it. A copy that fails leaves the fax without a kept image (noted in the
// diagnostics): the fax itself has gone.
void KeepFaxImage(Addin& addin, FaxRecord& record, const std::string& file);
// Removes the entries older than the kept period and deletes their kept images.
void PruneFaxHistory(Addin& addin);

// The state as the user reads it: "queued", "dialling", "sending", "retrying", "sent", "failed",
// "cancelled", "handed to the fax software".
std::string FaxStateInWords(FaxState state);

}  // namespace telvora
