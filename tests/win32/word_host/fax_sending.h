// A letter marked for faxing and its sending from inside the Word-like host, as a user sends one:
// the template's macro calls the fax command, the real Fax dialog comes up and is answered at its
// window, and Word prints the letter to the fax printer for the shared fax server.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "sim/word/word_processor.h"

namespace telvora::win32::host {

// Word printing to files on this machine's drive (where the add-in's temporary folder is), with an
// office printer active and the fax printer installed (printing with `faxDriver` when given).
std::shared_ptr<sim::WordProcessor> wordOnThisMachine(std::shared_ptr<sim::PrinterDriver> faxDriver = nullptr);

// A visible dialog of that caption, or null; the child window showing that text, or null.
HWND dialogCaptioned(const wchar_t* caption);
HWND childWithText(HWND dialog, const std::wstring& text);
// The dialog's edit boxes, in the order of its controls.
std::vector<HWND> editBoxes(HWND dialog);

// "Letter.doc" with its recipient, fax number and subject marked by the template's styles.
sim::DocumentModel markedLetter();

struct FaxDialogRun {
    std::vector<std::string> shown;  // the dialog's edit boxes: name, company, number, subject, copies
    std::string failure;             // what the user waited for in vain; empty when all went as planned
};

// Runs the fax command on the active document as the template's macro does, and clicks "Fax" in
// the dialog it shows.
FaxDialogRun faxFromTheDialog();

}  // namespace telvora::win32::host
