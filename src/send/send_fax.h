// Faxing the active document through the Windows fax service, the shared fax server or a HylaFAX
// server: the document is printed with the fax printer to a file in the temporary folder, the file
// and the fax job go to the fax service adapter or the HylaFAX server, the filing copies are
// printed, and the user's printer and the temporary folder are left as they were.
#pragma once

#include <string>

#include "app/addin.h"
#include "backends/send_outcome.h"

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

// Sends the active document to `job` with the schedule text ("Now", "Discount" or a date-time) and
// the delivery text ("", "PopUp" or "Email: " and an address). Reports any error itself and never
// raises: a failure is answered as failed (a HylaFAX server's failure, or a discount schedule it
// cannot keep, also ends a merge run); on every path the user's active printer is put back and
// the temporary file deleted before the report.
// Each submission is recorded in the fax history (with `mergeRun`, the merge run it belongs to,
// empty for a single fax) and its fax image kept there for sending again.
SendOutcome SendFax(Addin& addin, const FaxJob& job, const std::string& schedule, const std::string& delivery,
                    const std::string& mergeRun = {});

// A run-time error as a failed fax's reason: "Error number: ", the number, a blank, the description.
std::string errorReason(const RuntimeError& e);

}  // namespace telvora
