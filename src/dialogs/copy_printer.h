// The copy printer (an ordinary printer that prints a paper copy of each fax for filing) and the
// number of copies, as every dialog with a copy printer box and a copies box shows and checks them.
// Those dialogs implement CopyPrinterDialog to hand over their two controls.
#pragma once

#include <string>

#include "app/addin.h"
#include "forms/form.h"

namespace telvora {

class CopyPrinterDialog {
public:
    // The drop-down list cboCopyPrinter: "Don't Print", then the installed printers.
    virtual Control& copyPrinterBox() = 0;
    // The text box txtCopies.
    virtual Control& copiesBox() = 0;

protected:
    CopyPrinterDialog() = default;
    ~CopyPrinterDialog() = default;
    CopyPrinterDialog(const CopyPrinterDialog&) = delete;
    CopyPrinterDialog& operator=(const CopyPrinterDialog&) = delete;
};

// Fills the copy printer box: "Don't Print" followed by every installed printer's device name.
void FillCopyPrinters(Addin& addin, CopyPrinterDialog& dialog);

// Selects the stored `DefaultPrinter` in the box and shows its copies; answers False, changing
// nothing, when the stored printer is not in the list.
bool SelectDefaultCopyPrinter(Addin& addin, CopyPrinterDialog& dialog);

// Shows the copies for the copy printer the box shows: the stored `DefaultCopies` in an editable
// white box for a printer, a read-only "0" on the button face for "Don't Print".
void ShowStoredCopies(Addin& addin, CopyPrinterDialog& dialog);

// What choosing an entry in the copy printer box does: a printer starts again at one copy;
// "Don't Print" makes the copies a read-only "0".
void CopyPrinterChosen(CopyPrinterDialog& dialog);

// Whether the copies box holds a number from 1 to 32767. When it does not, tells the user, selects
// the whole copies text and puts the focus there.
bool CheckCopies(Addin& addin, CopyPrinterDialog& dialog);

inline constexpr const char* kInvalidCopiesMessage = "Please enter a valid number.";
inline constexpr const char* kCopiesRangeMessage = "The number must be between 1 and 32767.";

// Selects the entry equal to `text` in a drop-down list, as setting the list's text does; answers
// False, changing nothing, when there is none.
bool SelectListEntry(Control& list, const std::string& text);

}  // namespace telvora
