// The Fax and Quick Fax commands: every check that can be made before anything is printed, the
// confirmation dialog, and the hand-over to the sending step of the configured fax software.
#pragma once

#include "app/addin.h"

namespace telvora {

inline constexpr const char* kNoFaxPrinterMessage = "No fax printer installed. Faxing cancelled.";
inline constexpr const char* kNoFaxSoftwareQuestion =
    "No fax printer installed. Do you wish to display the Telvora settings to change the printer settings.";
inline constexpr const char* kNoFaxServerMessage = "Cannot find fax server. Faxing cancelled.";
inline constexpr const char* kRequiredMarksMessage =
    "The fax cannot be sent as you have not marked all required information on the document.\r\n"
    "You must mark the Fax Number and either the Recipient Company or the Recipient Name.\r\n\r\n"
    "Please make corrections and try again.\r\n\r\n"
    "(If you want to fax using only the fax number, then select the fax number and click the QuickFax "
    "button instead)";
inline constexpr const char* kNoNumberSelectedMessage =
    "Fax cannot be sent as no fax number was selected.\r\n"
    "Please select the fax number from your document and try again.";
inline constexpr const char* kDefaultSubject = "Today's Fax";

// Faxes the active document to the marked recipient. Reports its own errors.
void FaxCommand(Addin& addin);

// Faxes the active document to the selected number, or to the marked one when nothing is selected.
// An error before the number is read reaches the caller; from there on a failing step is passed
// over.
void QuickFaxCommand(Addin& addin);

// The fax printer setup dialog, shown for the user to choose the fax printer, which is stored.
void ChooseFaxPrinter(Addin& addin);

}  // namespace telvora
