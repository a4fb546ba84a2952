// The fax merge: the active mail-merge main document faxed once for every record of its data
// source. The checks of document, fax printer, fax software and fax service; the field choice;
// the record check, which lists every record that cannot be faxed in the error log; a final
// confirmation naming the number of recipients; then one fax per valid record, each made from a
// new document holding that record, so the main document's text is never changed. Word's status
// bar says where a long run is.
#pragma once

#include <string>

#include "app/addin.h"
#include "backends/winfax_wait.h"
#include "merge/field_selection.h"

namespace telvora {

inline constexpr const char* kNotMergeDocumentMessage =
    "A Fax Merge cannot be carried out on the currently selected document. The possible reasons for this is:\r\n"
    "1. This is not a Mail Merge master document.\r\n"
    "2. There is no data file connected to the mail merge document.\r\n"
    "3. The connected data file is invalid.\r\n"
    "\r\n"
    "Please fix the error and try again.";

// "You are about to FaxMerge the current document to N recipients." and how to go on.
std::string MergeConfirmation(std::int32_t recipients);

// The whole run. Reports its own errors, titled "TelvoraMergeFax".
void MergeFax(Addin& addin, WinFaxPatience patience = {});

// Reads every record with the fields chosen in the dialog, counting them (from 0) in `counts`, and
// lists those without a number or with one the fax software cannot dial (with `subject`). Shows
// the list when there is one; answers True when there is none or the user chose to fax the valid
// records anyway, False when the user went back (or an error was reported), the records then
// counted as none.
bool CheckValidity(Addin& addin, frmGetFields& dialog, const std::string& subject, MergeCounts& counts);

// Faxes every record with a dialable number through the Windows fax service or the shared fax,
// one new merged document each, with `each`'s subject and filing copies and the dialog's schedule
// and delivery notification, going through the records `counts` holds. A failed submission of the
// shared fax server stops the run after that record, and so does a data source that does not move
// on to the next record (reported: the same record would be faxed again). Reports its own errors.
void SendAllFax(Addin& addin, frmGetFields& dialog, const FaxJob& each, const MergeCounts& counts);

// Faxes every record with a dialable number through WinFax with the schedule text ("Now",
// "Discount" or a date-time): WinFax is told the recipient and waits while the merged record is
// printed to its printer. Reports its own errors ("Error Number: ") and stops the run at the first.
void WinFaxDOMerge(Addin& addin, frmGetFields& dialog, const FaxJob& each, const std::string& schedule,
                   const MergeCounts& counts, WinFaxPatience patience = {});

}  // namespace telvora
