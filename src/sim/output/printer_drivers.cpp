// The fax printer and the paper printer of the simulated machine.
#include "sim/output/printer_drivers.h"

#include <cairo-pdf.h>
#include <nlohmann/json.hpp>

#include <cctype>
#include <system_error>

#include "base/text.h"
#include "sim/output/fax_image.h"
#include "sim/output/output_files.h"
#include "sim/output/page_layout.h"

namespace telvora::sim::output {
namespace fs = std::filesystem;
namespace {

const Variant* argument(const NamedArgs& args, std::string_view name) {
    for (const auto& a : args)
        if (equalsIgnoringCase(a.name, name)) return &a.value;
    return nullptr;
}

RuntimeError badPages(const std::string& pages) {
    return wordError(wderr::ValueOutOfRange, "The page range \"" + pages + "\" is not valid.");
}

// The pages a "Pages" text lists, each from 1: numbers and ranges apart by commas.
std::vector<int> listedPages(const std::string& text) {
    std::vector<int> pages;
    std::string item;
    const auto number = [&](std::string digits) {
        digits = trimBlanks(digits);
        if (digits.empty() || digits.size() > 6 || digits.find_first_not_of("0123456789") != std::string::npos)
            throw badPages(text);
        return std::stoi(digits);
    };
    const auto take = [&] {
        const auto dash = item.find('-');
        const int from = number(dash == std::string::npos ? item : item.substr(0, dash));
        const int to = dash == std::string::npos ? from : number(item.substr(dash + 1));
        if (to < from) throw badPages(text);
        for (int p = from; p <= to && p <= 10000; ++p) pages.push_back(p);
        item.clear();
    };
    for (const char c : text) {
        if (c == ',' || c == ';') take();
        else item += c;
    }
    take();
    return pages;
}

cairo_status_t appendTo(void* closure, const unsigned char* bytes, unsigned int length) {
    static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(bytes), length);
    return CAIRO_STATUS_SUCCESS;
}

struct SurfaceDestroy {
    void operator()(cairo_surface_t* s) const noexcept { cairo_surface_destroy(s); }
};
struct ContextDestroy {
    void operator()(cairo_t* c) const noexcept { cairo_destroy(c); }
};

std::string pdf(const DocumentLayout& layout, const std::vector<int>& pages, const std::string& title, int copies) {
    std::string bytes;
    const auto& page = layout.page();
    std::unique_ptr<cairo_surface_t, SurfaceDestroy> surface(
        cairo_pdf_surface_create_for_stream(&appendTo, &bytes, page.width, page.height));
    cairo_pdf_surface_set_metadata(surface.get(), CAIRO_PDF_METADATA_TITLE, title.c_str());
    cairo_pdf_surface_set_metadata(surface.get(), CAIRO_PDF_METADATA_SUBJECT, ("Copies: " + std::to_string(copies)).c_str());
    cairo_pdf_surface_set_metadata(surface.get(), CAIRO_PDF_METADATA_CREATOR, "Telvora simulated printer");
    {
        std::unique_ptr<cairo_t, ContextDestroy> cr(cairo_create(surface.get()));
        for (const int index : pages) {
            layout.draw(cr.get(), index);
            cairo_show_page(cr.get());
        }
        if (cairo_status(cr.get()) != CAIRO_STATUS_SUCCESS)
            throw wordError(wderr::PrinterError, "There is a printer error.");
    }
    cairo_surface_finish(surface.get());
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) throw wordError(wderr::PrinterError, "There is a printer error.");
    return bytes;
}

}  // namespace

PrintRequest readPrintRequest(const NamedArgs& arguments, int pageCount) {
    PrintRequest request;
    if (const auto* copies = argument(arguments, "Copies")) {
        request.copies = copies->toInt32();
        if (request.copies < 1 || request.copies > 32767) throw wordError(wderr::ValueOutOfRange, "Value out of range");
    }
    if (const auto* collate = argument(arguments, "Collate")) request.collate = collate->toBool();
    const auto* rangeArgument = argument(arguments, "Range");
    const std::int32_t range = rangeArgument ? rangeArgument->toInt32() : 0;
    std::vector<int> wanted;  // from 1
    switch (range) {
    case 0:
        for (int p = 1; p <= pageCount; ++p) wanted.push_back(p);
        break;
    case 3: {
        const auto* from = argument(arguments, "From");
        const auto* to = argument(arguments, "To");
        wanted = listedPages((from ? from->toString() : "1") + "-" + (to ? to->toString() : std::to_string(pageCount)));
        break;
    }
    case 4: {
        const auto* pages = argument(arguments, "Pages");
        wanted = listedPages(pages ? pages->toString() : "");
        break;
    }
    case 1:
    case 2: throw RuntimeError::notAvailableYet("Printing the current page or the selection", "Microsoft Word");
    default: throw wordError(wderr::ValueOutOfRange, "Value out of range");
    }
    for (const int p : wanted)
        if (p >= 1 && p <= pageCount) request.pages.push_back(p - 1);
    return request;
}

std::string FaxPrinterDriver::faxImage(const PrintJob& job) {
    const DocumentLayout layout(job.document);
    const auto request = readPrintRequest(job.arguments, layout.pageCount());
    std::string stem;
    if (options_.previewFolder) {
        std::error_code ec;
        fs::create_directories(*options_.previewFolder, ec);
        // "fax-0001" for the first fax image whose previews are not there yet.
        const std::string firstPage = "-page-1.png";
        const std::string name = nextFree(*options_.previewFolder, "fax", firstPage, nextPreview_).filename().string();
        stem = name.substr(0, name.size() - firstPage.size());
    }
    // Each page is drawn, shown and coded before the next: a long document's pixels are never
    // all held at once.
    FaxPageRenderer renderer(layout);
    FaxTiffWriter image(static_cast<int>(request.pages.size()));
    for (std::size_t k = 0; k < request.pages.size(); ++k) {
        const FaxPage page = renderer.render(request.pages[k]);
        if (options_.previewFolder) {
            const auto file = *options_.previewFolder / (stem + "-page-" + std::to_string(k + 1) + ".png");
            writeWhole(file, previewPng(page));
            previews_.push_back(file);
        }
        image.add(page);
    }
    return image.finish();
}

void FaxPrinterDriver::printToFile(const PrintJob& job, const fs::path& file) {
    const std::string image = faxImage(job);
    try {
        writeWhole(file, image);
    } catch (const RuntimeError& e) {
        throw RuntimeError(e.number(), e.description(), "Microsoft Word");
    }
}

std::optional<fs::path> FaxPrinterDriver::print(const PrintJob& job) {
    if (options_.takePrint) options_.takePrint(faxImage(job));
    return std::nullopt;
}

std::optional<fs::path> PaperPrinterDriver::print(const PrintJob& job) {
    const DocumentLayout layout(job.document);
    const auto request = readPrintRequest(job.arguments, layout.pageCount());
    if (request.pages.empty()) return std::nullopt;
    std::error_code ec;
    fs::create_directories(folder_, ec);
    if (ec) throw wordError(wderr::PrinterError, "There is a printer error.");
    const fs::path file = nextFree(folder_, "print", ".pdf", nextPrint_);
    writeWhole(file, pdf(layout, request.pages, job.document.name, request.copies));

    nlohmann::json record;
    record["document"] = job.document.name;
    record["printer"] = job.printer;
    record["copies"] = request.copies;
    record["collate"] = request.collate;
    auto& pages = record["pages"] = nlohmann::json::array();
    for (const int p : request.pages) pages.push_back(p + 1);
    record["file"] = file.filename().string();
    fs::path sidecar = file;
    sidecar.replace_extension(".json");
    writeWhole(sidecar, record.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n");
    return file;
}

void PaperPrinterDriver::printToFile(const PrintJob& job, const fs::path& file) {
    const DocumentLayout layout(job.document);
    const auto request = readPrintRequest(job.arguments, layout.pageCount());
    writeWhole(file, pdf(layout, request.pages, job.document.name, request.copies));
}

}  // namespace telvora::sim::output
