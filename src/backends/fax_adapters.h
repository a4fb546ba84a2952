// The three fax adapters' Send: one fax, described by its details, handed to the fax software by
// member name. The document is already printed; the adapters only submit
// the file (or, for WinFax, attach it).
#pragma once

#include <cstdint>
#include <string>

#include "app/addin.h"
#include "backends/availability.h"
#include "backends/fax_details.h"
#include "backends/send_outcome.h"
#include "backends/winfax_wait.h"

namespace telvora {

// The objects the adapters create besides the fax servers.
namespace progid {
inline constexpr const char* ExtendedFaxDocument = "FAXCOMEX.FaxDocument";
// The SDK object of WinFax's older interface, which takes a file to attach.
inline constexpr const char* WinFaxAttachment = "WinFax.SDKSend";
}  // namespace progid

// What a macro's Err shows for the two report errors of an old caller's interface.
inline constexpr std::int32_t kInvalidReportNameNumber = -2147221500;  // 0x80040004
inline constexpr const char* kInvalidReportNameSource = "fxFax.Send";
inline constexpr const char* kInvalidReportNameDescription = "Invalid ReportName";

inline constexpr const char* kNotificationDisabledQuestion =
    "Note: Delivery Notification feature is disabled on the server. You will not receive the delivery note of the "
    "successful or failed fax.\r\nDo you wish to continue sending fax without notification?\r\n\r\nClick Yes to "
    "send the fax(es).\r\nClick No to cancel the fax(es).";
inline constexpr const char* kIncorrectFaxDriverMessage =
    "You have chosen an incorrect fax printer driver. Please select the correct Fax Printer from the Telvora "
    "Settings window.\r\n\r\nThe faxing will be aborted.";

// The error number as the extended fax adapter shows and compares it: hexadecimal, upper-case,
// without leading zeros (a negative number as its 32-bit pattern, "8007065E").
std::string errorNumberHex(std::int32_t number);

// Fax.Send: submits the fax to the local computer's Windows fax service ("FaxServer.FaxServer").
// Sent with the number of the job the service queued. Raises what the fax service raised, errors
// 2103 and 2451 as "Invalid ReportName".
SendOutcome submitToFaxService(Addin& addin, const FaxDetails& job);

// FaxSBS.Send: submits the fax through the extended fax service to `faxServerName`. Never raises:
// every failure is told to the user and answered as failed (or stopped, when the user would not
// fax without the delivery notification the server refuses), with `blnStopFax` set and the run of
// a merge to end. A server that refuses delivery notifications is asked about once; after the
// user's Yes, the fax and every later one until the next confirmation dialog go without a receipt.
// Sent with the identifiers of the service's jobs, one per recipient.
SendOutcome submitToExtendedFax(Addin& addin, FaxDetails& job);

// WinFax.Send: hands the file to WinFax as an attachment and waits until WinFax took it. Raises
// what WinFax raised (2103 and 2451 as "Invalid ReportName"), and 18 when the user stopped a wait
// for a silent WinFax.
SendOutcome submitToWinFax(Addin& addin, const FaxDetails& job, WinFaxPatience patience = {});

// The Send of the given class.
SendOutcome submitFax(Addin& addin, FaxAdapterKind kind, FaxDetails& job, WinFaxPatience patience = {});

// What the sending step sets from the confirmation dialog's texts, after it set `discountSend`,
// `specTime` (and `blnStopFax`) False: a schedule of "Discount" sets `discountSend`; for FaxSBS any
// text but "Now" also sets `specTime` and `specificTime` to that text.
void setFaxSchedule(FaxAdapterKind kind, FaxDetails& job, const std::string& schedule);
// FaxSBS only: clears `popUpMsg` and `email`; "PopUp" sets `popUpMsg`; a text with ":" sets
// `email` and `emailAddress` to what follows the first ":", without blanks around it.
void setFaxDeliveryNote(FaxDetails& job, const std::string& delivery);

}  // namespace telvora
