// What a simulated printer does with a print: the word processor decides when a document is
// printed, the printer's driver decides which bytes a print to a file holds and what becomes of a
// print sent to the printer itself.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "base/variant.h"
#include "sim/word/word_model.h"

namespace telvora::sim {

struct PrintJob {
    std::string printer;              // the device name the print went to
    const DocumentModel& document;    // the document as it is at the moment of printing
    const NamedArgs& arguments;       // the named arguments of the print
};

class PrinterDriver {
public:
    PrinterDriver() = default;
    virtual ~PrinterDriver() = default;
    PrinterDriver(const PrinterDriver&) = delete;
    PrinterDriver& operator=(const PrinterDriver&) = delete;

    // Writes the printed document to `file`, replacing it. Raises a run-time error when the file
    // cannot be written.
    virtual void printToFile(const PrintJob& job, const std::filesystem::path& file) = 0;
    // The print goes to the printer itself. Answers the file that stands for the printer's output,
    // if the driver keeps one; a driver that keeps none lets the paper go. Raises a run-time error
    // when the output cannot be kept.
    virtual std::optional<std::filesystem::path> print(const PrintJob& job);
};

// A printer whose output is the document's main text, UTF-8, each paragraph ending in CR LF.
class PlainTextDriver final : public PrinterDriver {
public:
    void printToFile(const PrintJob& job, const std::filesystem::path& file) override;
};

}  // namespace telvora::sim
