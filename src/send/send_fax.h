// Faxing the active document through the Windows fax service, the shared fax server or a HylaFAX
// server: the document is printed with the fax printer to a file in the temporary folder, the file
// and the fax job go to the fax service adapter or the HylaFAX server, the filing copies are
// printed, and the user's printer and the temporary folder are left as they were.
#pragma once

#include <cstdint>
#include <string>

#include "app/addin.h"
#include "backends/send_outcome.h"
#include "ports/fax_history.h"

namespace telvora {

// The file the fax printer writes, always under these names in the temporary folder: each fax
// overwrites the last one's and deletes it when done.
inline constexpr const char* kFaxImageFileName = "Pagewire.tif";
inline constexpr const char* kWinFaxFileName = "Pagewire.doc";

// Who and what a fax goes to, as every fax software is told it: the number to dial (after the
// outside-line prefix) and the texts without line breaks.
struct Addressee {
    std::string number, recipient, company, subject;
};
Addressee addresseeOf(Addin& addin, const FaxJob& job);

// The temporary folder with its trailing separator, whole however long; "" when the system
// cannot tell (the file then lies in the current folder).
std::string GetTempFolder(Addin& addin);

// What the user cancelled in the preview, as the outcome says it.
inline constexpr const char* kPreviewCancelled = "The fax was not sent: the preview was cancelled.";

// Sends the active document to `job` with the schedule text ("Now", "Discount" or a date-time) and
// the delivery text ("", "PopUp" or "Email: " and an address). Reports any error itself and never
// raises: a failure is answered as failed (a HylaFAX server's failure, or a discount schedule it
// cannot keep, also ends a merge run); on every path the user's active printer is put back and
// the temporary file deleted before the report.
// When the user asked to see faxes first, the fax image is shown before it is submitted, saying
// that Send sends `previewFaxes` faxes; Cancel sends nothing and answers stopped, ending a merge
// run. `previewFaxes` 0: the user already saw this run's fax, and it goes without a preview.
// Each submission is recorded in the fax history (with `mergeRun`, the merge run it belongs to,
// empty for a single fax) and its fax image kept there for sending again.
SendOutcome SendFax(Addin& addin, const FaxJob& job, const std::string& schedule, const std::string& delivery,
                    std::int32_t previewFaxes = 1, const std::string& mergeRun = {});

// What the user is told when a fax is to be sent again but its image is no longer kept.
inline constexpr const char* kResendImageGoneMessage =
    "This fax cannot be sent again: Telvora no longer keeps its fax image (images are kept for 30 days, "
    "and none is kept of a fax handed to WinFax). Please fax the document again from Word.";

// Sends a fax of the history again: its kept image to the same number, with the same schedule and
// delivery texts, through the same fax software and server. The new submission is a new entry of
// the history. Refused with a message when the image is no longer kept; reports any error itself
// and never raises.
SendOutcome ResendFax(Addin& addin, const FaxRecord& sent);

// A run-time error as a failed fax's reason: "Error number: ", the number, a blank, the description.
std::string errorReason(const RuntimeError& e);

}  // namespace telvora
