// The fixture of the tests that fax a document: Word on the simulated machine's drive with the
// user's own printer active, a fax printer for the Windows fax service and one for WinFax, a copy
// printer, every kind of fax software installed, and the prints Word makes told to WinFax as the
// print spooler tells it. A printer can be made to fail its prints.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/errors.h"
#include "core/settings.h"
#include "sim/word/document_builder.h"
#include "sim/word/word_processor.h"
#include "support/recording_automation.h"
#include "support/sim_addin.h"

namespace telvora::testing {

inline constexpr const char* kUsersPrinter = "Office Laser";
inline constexpr const char* kFaxPrinter = "Fax";
inline constexpr const char* kWinFaxPrinter = "WinFax";
inline constexpr const char* kCopyPrinter = "Filing Copier";
inline constexpr const char* kFaxFile = "C:\\Temp\\Pagewire.tif";
// A printer that fails reports this, as Word reports a printer that went away.
inline constexpr std::int32_t kPrinterFailure = 4198;

// The marks a letter carries; a field left empty is not marked.
struct Marks {
    std::string number = "(02) 9876 5432";
    std::string name = "Ann Okafor";
    std::string company = "Okafor & Sons";
    std::string subject = "Quote 42";
};

// A print as one line: the printer, then the document's own print ("Letter.doc printed") or the
// application's named arguments in order ("Copies:=I2:3, PrintToFile:=BOOL:False").
inline std::string describePrint(const sim::PrintRecord& print) {
    std::string line = print.printer + ": ";
    if (print.kind == sim::PrintRecord::Kind::Document) return line + print.document + " printed";
    for (std::size_t i = 0; i < print.arguments.size(); ++i)
        line += (i ? ", " : "") + print.arguments[i].name + ":=" + describeValue(print.arguments[i].value);
    return line;
}

class FaxingTest : public SimAddinTest {
protected:
    FaxingTest() {
        addin.setWord(word);
        const std::vector<std::string> printers = {kUsersPrinter, kFaxPrinter, kWinFaxPrinter, kCopyPrinter};
        machine.setPrinters(printers);
        for (const auto& p : printers) word->installPrinter(p);
        fax.extendedFaxInstalled = true;
        fax.winFaxInstalled = true;
        fax.winFaxPrinter = kWinFaxPrinter;
        word->onPrint([this](const sim::PrintRecord& print) {
            if (failingPrinter && *failingPrinter == print.printer)
                throw RuntimeError(kPrinterFailure, "The printer is not responding.", "Microsoft Word");
            fax.printed(print.printer, print.document);
        });
        save(keys::Printer, kFaxPrinter);
        save(keys::FaxType, "1");
    }

    // "Letter.doc": a line for each mark, then the body text. The main text as the fax printer
    // writes it is `printedLetter`.
    std::shared_ptr<sim::DocumentModel> openLetter(const Marks& marks = {}, const std::string& name = "Letter.doc") {
        sim::DocumentBuilder letter(name);
        const std::pair<const char*, const std::string*> lines[] = {{"tlvRecipientName", &marks.name},
                                                                    {"tlvCompanyName", &marks.company},
                                                                    {"tlvFaxNumber", &marks.number},
                                                                    {"tlvSubject", &marks.subject}};
        for (const auto& [style, text] : lines) {
            if (!text->empty()) letter.styled(style, *text).text("\r");
        }
        letter.text("Please find our quote below.").select(0, 0);
        word->open(letter.build());
        return word->document(name);
    }
    static std::string printedLetter(const Marks& marks = {}) {
        std::string text;
        for (const std::string* line : {&marks.name, &marks.company, &marks.number, &marks.subject}) {
            if (!line->empty()) text += *line + "\r\n";
        }
        return text + "Please find our quote below.\r\n";
    }

    // The filing copies the confirmation dialogs offer by default.
    void fileCopies(int copies) {
        save(keys::DefaultPrinter, kCopyPrinter);
        save(keys::DefaultCopies, std::to_string(copies));
    }

    std::vector<std::string> printLines() const {
        std::vector<std::string> lines;
        for (const auto& print : word->prints()) lines.push_back(describePrint(print));
        return lines;
    }

    std::shared_ptr<sim::WordProcessor> word =
        std::make_shared<sim::WordProcessor>(sim::WordProcessorOptions{platform.paths()});
    std::optional<std::string> failingPrinter;
};

}  // namespace telvora::testing
