// Faxing the active document through WinFax: WinFax is told the recipient and the send time,
// waits for the document as a print job, and the document is printed to the WinFax printer while
// it waits. The filing copies follow on the copy printer.
#pragma once

#include <string>

#include "app/addin.h"
#include "backends/send_outcome.h"
#include "backends/winfax_sdk.h"
#include "backends/winfax_wait.h"

namespace telvora {

// Tells WinFax when to send: "Discount" is the off-peak rate, "Now" needs no call, any other text is
// a date-time given as WinFax's date and time (error 13 when it is not one).
void SetWinFaxSchedule(Addin& addin, WinFaxSdk& sdk, const std::string& schedule);

// The document printed to the fax printer while WinFax waits for it, then the filing copies of the
// active document on the copy printer; Word's printer is put back after each, errors included.
void PrintForWinFax(Addin& addin, word::Document& document, const FilingCopies& filing);

// Records in the fax history that the fax to `job` was handed to WinFax, which tells nothing more
// of it; WinFax prints the document itself, so no image is kept for sending again.
void RecordWinFaxHandOver(Addin& addin, const FaxJob& job, const std::string& schedule, const std::string& mergeRun);

// Sends the active document to `job` with the schedule text "Now", "Discount" or a date-time. Tells
// the user about any error ("Error Number: ", number, line break, description) and never raises;
// the user's active printer is back afterwards on every path. A user who stops the wait for a
// silent WinFax ends the fax without a further message. Answers sent once WinFax filed the job,
// stopped when the user stopped waiting, failed when an error was shown.
SendOutcome WinFaxSendFax(Addin& addin, const FaxJob& job, const std::string& schedule, WinFaxPatience patience = {});

}  // namespace telvora
