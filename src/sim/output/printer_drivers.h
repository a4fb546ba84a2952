// The simulated machine's printers as Word's print calls reach them: the fax printer, whose
// print to a file is a fax image (and whose print to the printer itself feeds fax software that
// waits for one, as WinFax does), and an ordinary printer, whose paper becomes one PDF per print
// job in its output folder with the job's copy count beside it.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/variant.h"
#include "sim/word/printer_driver.h"

namespace telvora::sim::output {

// What a print asks for: how many copies, collated or not, and which pages (from 0) of a
// document of `pageCount` pages. "Range" 0 prints every page, 3 the pages "From" to "To" and 4 the
// pages listed in "Pages" ("1,3-5"); a listed page the document does not have prints nothing, so
// "0" prints no page at all. Raises 4608 for copies below 1 or a page list Word would not take;
// printing the current page or the selection is not simulated (445).
struct PrintRequest {
    int copies = 1;
    bool collate = true;
    std::vector<int> pages;
};
PrintRequest readPrintRequest(const NamedArgs& arguments, int pageCount);

class FaxPrinterDriver final : public PrinterDriver {
public:
    struct Options {
        // Where a PNG preview of each page of each fax image goes ("fax-0001-page-1.png"); none
        // when empty.
        std::optional<std::filesystem::path> previewFolder;
        // Fax software waiting for the document to be printed to it takes the fax image here;
        // without it, a print to the fax printer itself goes nowhere.
        std::function<void(const std::string& faxImage)> takePrint;
    };
    FaxPrinterDriver() = default;
    explicit FaxPrinterDriver(Options options) : options_(std::move(options)) {}

    // Writes the printed pages as a TIFF Class F fax image to `file`, whole or not at all.
    void printToFile(const PrintJob& job, const std::filesystem::path& file) override;
    std::optional<std::filesystem::path> print(const PrintJob& job) override;

    // The previews written so far, in order.
    const std::vector<std::filesystem::path>& previews() const noexcept { return previews_; }

private:
    // The printed pages coded into `image`, each laid out, drawn, shown and coded before the next.
    void faxImage(const PrintJob& job, class FaxTiffWriter& image);

    Options options_;
    std::vector<std::filesystem::path> previews_;
    int nextPreview_ = 1;
};

class PaperPrinterDriver final : public PrinterDriver {
public:
    // `outputFolder` is the printer's own folder; it is made when the first job arrives.
    explicit PaperPrinterDriver(std::filesystem::path outputFolder) : folder_(std::move(outputFolder)) {}

    // Each print job is "print-0001.pdf" (the next number free in the folder) holding every page
    // printed once, with "print-0001.json" beside it: document, printer, copies, collation and
    // pages. A job that prints no page leaves no file. Answers the PDF.
    std::optional<std::filesystem::path> print(const PrintJob& job) override;
    // A print to a file from this printer is the same PDF, in the file named.
    void printToFile(const PrintJob& job, const std::filesystem::path& file) override;

private:
    std::filesystem::path folder_;
    int nextPrint_ = 1;
};

}  // namespace telvora::sim::output
