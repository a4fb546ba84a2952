// The office the Word-like host's fax tests run in: a machine ready for faxing, the shared fax
// server SBS01 chosen, the recording server standing in for the fax
// service, and Word with the marked letter open, its add-ins not loaded yet.
#pragma once

#include <memory>

#include "message_boxes.h"
#include "support.h"
#include "word_host/fax_sending.h"
#include "word_host/machine_setup.h"
#include "word_host/word_host.h"

namespace telvora::win32::host {

// A machine ready for faxing: Word's start finds the companion template in the add-in's folder and
// the fax printer installed and chosen (the start-up's printer check asks nothing); the user answers
// every message box, and what each said is kept.
struct FaxReadyMachine {
    test::Apartment apartment;
    MessageBoxWatcher messages;
    CompanionTemplate templateFile;
    InstalledPrinter faxPrinter{L"Telvora Fax"};
    StoredSetting printer{"Printer", "Telvora Fax"};
};

struct SharedFaxOffice : FaxReadyMachine {
    SharedFaxOffice() { word->open(markedLetter()); }

    StoredSetting faxType{"FaxType", "3"};
    StoredSetting server{"ServerName", "SBS01"};
    test::RecorderRegistration faxService{{L"FAXCOMEX.FaxDocument", L"FAXCOMEX.FaxServer"}};
    test::ScopedEnvironment objects{L"TELVORA_RECORDER_OBJECTS", L"Recipients"};
    std::shared_ptr<sim::WordProcessor> word = wordOnThisMachine();
    WordHost host{word};
};

}  // namespace telvora::win32::host
