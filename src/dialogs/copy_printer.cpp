// Copy printer operations shared by the dialogs.
#include "dialogs/copy_printer.h"

#include <algorithm>

#include "app/reports.h"
#include "base/conversions.h"
#include "base/text.h"
#include "core/settings.h"

namespace telvora {
namespace {

void showCopies(Control& copies, bool printing, const std::string& printingText) {
    copies.setLocked(false);
    copies.setBackColor(kWindowWhite);
    if (printing) {
        copies.setText(printingText);
    } else {
        copies.setBackColor(kButtonFace);
        copies.setLocked(true);
        copies.setText("0");
    }
}

bool printing(Control& copyPrinterBox) { return copyPrinterBox.text() != kDontPrint; }

}  // namespace

bool SelectListEntry(Control& list, const std::string& text) {
    const auto& items = list.items();
    const auto it = std::find(items.begin(), items.end(), text);
    if (it == items.end()) return false;
    list.setListIndex(static_cast<int>(it - items.begin()));
    return true;
}

void FillCopyPrinters(Addin& addin, CopyPrinterDialog& dialog) {
    Control& box = dialog.copyPrinterBox();
    box.clear();
    box.addItem(kDontPrint);
    for (const auto& printer : addin.platform().printers()) box.addItem(printer);
}

bool SelectDefaultCopyPrinter(Addin& addin, CopyPrinterDialog& dialog) {
    const std::string stored = addin.settings().defaultPrinter();
    if (!SelectListEntry(dialog.copyPrinterBox(), stored)) return false;
    ShowStoredCopies(addin, dialog);
    return true;
}

void ShowStoredCopies(Addin& addin, CopyPrinterDialog& dialog) {
    const bool toPrinter = printing(dialog.copyPrinterBox());
    showCopies(dialog.copiesBox(), toPrinter, toPrinter ? addin.settings().get(keys::DefaultCopies, "1") : "");
}

void CopyPrinterChosen(CopyPrinterDialog& dialog) {
    showCopies(dialog.copiesBox(), printing(dialog.copyPrinterBox()), "1");
}

bool CheckCopies(Addin& addin, CopyPrinterDialog& dialog) {
    Control& copies = dialog.copiesBox();
    const auto value = parseNumber(trimBlanks(copies.text()));
    const char* problem = !value                             ? kInvalidCopiesMessage
                          : *value < 1.0 || *value > 32767.0 ? kCopiesRangeMessage
                                                             : nullptr;
    if (!problem) return true;
    ShowMessage(addin, problem, MsgIcon::Exclamation);
    copies.setSelStart(0);
    copies.setSelLength(static_cast<int>(characterCount(copies.text())));
    copies.setFocus();
    return false;
}

}  // namespace telvora
