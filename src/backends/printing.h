// Printing the active document for a fax: Word's active printer is switched to the fax or copy
// printer only for the print, and the user's own printer is put back on every path, errors
// included, so the user's next print never goes to the fax printer.
#pragma once

#include <cstdint>
#include <string>

#include "base/errors.h"
#include "ports/word.h"

namespace telvora {

class ActivePrinterSwitch {
public:
    // Remembers the printer Word prints to now.
    ActivePrinterSwitch(word::Application& word, Diagnostics& log);
    // Puts the remembered printer back if that has not been done; an error doing so goes to the
    // diagnostics only, as the error that ended the fax is the one the user is told about.
    ~ActivePrinterSwitch();
    ActivePrinterSwitch(const ActivePrinterSwitch&) = delete;
    ActivePrinterSwitch& operator=(const ActivePrinterSwitch&) = delete;

    void switchTo(const std::string& deviceName);
    // Puts the remembered printer back; raises what Word raises.
    void restore();

private:
    word::Application& word_;
    Diagnostics& log_;
    std::string remembered_;
    bool switched_ = false;
};

// The paper copies for filing: `copies` of the whole document on the active printer, in the
// foreground so they are printed before the printer is switched back.
void PrintFilingCopies(word::Application& word, std::int16_t copies);

}  // namespace telvora
