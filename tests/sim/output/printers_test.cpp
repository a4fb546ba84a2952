// The simulated printers as Word prints to them: the fax printer's print to a file is a fax image
// libtiff's own tools accept, with the document's text on it where the page puts it and pages as
// the text needs them; the ordinary printer keeps each print job as a PDF with its copy count.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <png.h>

#include <filesystem>
#include <fstream>

#include "sim/output/fax_image.h"
#include "sim/output/output_files.h"
#include "sim/output/page_layout.h"
#include "sim/output/printer_drivers.h"
#include "sim/word/document_builder.h"
#include "sim/word/word_processor.h"
#include "sim/host_tools.h"
#include "support/error_number.h"
#include "support/sim_addin.h"

namespace telvora::sim::output {
namespace {

using telvora::testing::contains;
namespace fs = std::filesystem;
using telvora::testing::errorOf;
using telvora::testing::quoted;
using telvora::testing::runTool;

// Where the ink of a page lies: its first and last black row and column, and how much there is.
struct Ink {
    long pixels = 0;
    int top = -1, bottom = -1, left = -1, right = -1;
};

Ink inkOf(const FaxPage& page) {
    Ink ink;
    for (int y = 0; y < page.height; ++y) {
        for (int x = 0; x < page.width; ++x) {
            if (page.bits[static_cast<std::size_t>(y) * page.stride() + x / 8] == 0) {
                x += 7 - x % 8;  // a white byte: eight white pixels
                continue;
            }
            if (!page.black(x, y)) continue;
            ++ink.pixels;
            if (ink.top < 0) ink.top = y;
            ink.bottom = y;
            if (ink.left < 0 || x < ink.left) ink.left = x;
            if (x > ink.right) ink.right = x;
        }
    }
    return ink;
}

// A PNG picture as its header describes it and as libpng reads it back, one grey byte a pixel.
struct Picture {
    int width = 0, height = 0, bitDepth = 0, colorType = -1;
    std::vector<std::uint8_t> gray;
    bool black(int x, int y) const { return gray[static_cast<std::size_t>(y) * width + x] < 128; }
};

Picture readPng(const std::string& png) {
    Picture picture;
    EXPECT_EQ(png.substr(1, 3), "PNG");
    if (png.size() < 26) return picture;
    picture.bitDepth = static_cast<unsigned char>(png[24]);
    picture.colorType = static_cast<unsigned char>(png[25]);
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, png.data(), png.size())) {
        ADD_FAILURE() << image.message;
        return picture;
    }
    image.format = PNG_FORMAT_GRAY;
    picture.width = static_cast<int>(image.width);
    picture.height = static_cast<int>(image.height);
    picture.gray.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, picture.gray.data(), 0, nullptr)) ADD_FAILURE() << image.message;
    return picture;
}

class Printing : public ::testing::Test {
protected:
    Printing() {
        fs::create_directories(machine.path() / "Temp");
        wp.installPrinter("Office Laser", paper);
        wp.installPrinter("Fax", fax);
    }

    // Prints the document with the fax printer to C:\Temp\Pagewire.tif, as sending does, and
    // answers the pages of the image.
    std::vector<FaxPage> faxOf(DocumentModel document, const std::string& printer = "Fax") {
        const std::string name = document.name;
        wp.open(std::move(document));
        wp.activateWindow(name);
        wp.setActivePrinter(printer);
        wp.PrintOut({{"PrintToFile", true}, {"PageType", std::int32_t{0}}, {"Copies", std::int32_t{1}},
                     {"Item", std::int32_t{0}}, {"OutputFileName", "C:\\Temp\\Pagewire.tif"},
                     {"Range", std::int32_t{0}}, {"Background", false}});
        return decodeFaxTiff(telvora::testing::readBytes(tiff()), "Pagewire.tif");
    }
    fs::path tiff() const { return machine.path() / "Temp" / "Pagewire.tif"; }

    void printOnPaper(const std::string& document, NamedArgs arguments) {
        wp.activateWindow(document);
        wp.setActivePrinter("Office Laser");
        wp.PrintOut(arguments);
    }

    telvora::testing::ScratchFolder machine;
    telvora::testing::ScratchFolder out;
    std::shared_ptr<FaxPrinterDriver> fax = std::make_shared<FaxPrinterDriver>();
    std::shared_ptr<PaperPrinterDriver> paper = std::make_shared<PaperPrinterDriver>(out.path() / "Office Laser");
    WordProcessor wp{WordProcessorOptions{MachinePaths(machine.path()), "C:\\Office"}};
};

DocumentModel letter(std::string name, int lines) {
    DocumentBuilder builder(std::move(name));
    for (int i = 1; i <= lines; ++i) builder.text("Line " + std::to_string(i) + " of the letter to Acme Ltd.\r");
    return builder.build();
}

TEST_F(Printing, AFaxPrintHasAPreviewOfEachPagePixelForPixel) {
    auto previewing = std::make_shared<FaxPrinterDriver>(FaxPrinterDriver::Options{out.path() / "Fax", {}});
    wp.installPrinter("Fax with previews", previewing);
    const auto pages = faxOf(letter("Letter.docx", 60), "Fax with previews");
    // libtiff's own inspector checks every fax the examples leave (example_fax_images).
    ASSERT_EQ(pages.size(), 2u);
    // A letter page is 11 inches at 196 lines an inch, its width fitted into the fax line.
    EXPECT_NEAR(pages[0].height, 11 * 196, 11 * 196 * 0.01);
    const std::vector<fs::path> previews = {out.path() / "Fax" / "fax-0001-page-1.png", out.path() / "Fax" / "fax-0001-page-2.png"};
    EXPECT_EQ(previewing->previews(), previews);
    // Each picture is its page in black and white, one bit a pixel, with square pixels: as tall as
    // the page really is, each row the fax row at that height, pixel for pixel.
    for (std::size_t k = 0; k < pages.size(); ++k) {
        const Picture picture = readPng(telvora::testing::readBytes(previews[k]));
        EXPECT_EQ(picture.bitDepth, 1);
        EXPECT_EQ(picture.colorType, PNG_COLOR_TYPE_GRAY);
        EXPECT_EQ(picture.width, 1728);
        ASSERT_EQ(picture.height, std::lround(pages[k].height * 204.0 / 196.0)) << "page " << k + 1;
        long differing = 0, ink = 0;
        for (int y = 0; y < picture.height; ++y) {
            const int row = std::min(pages[k].height - 1, static_cast<int>(y * 196.0 / 204.0));
            for (int x = 0; x < picture.width; ++x) {
                differing += picture.black(x, y) != pages[k].black(x, row);
                ink += picture.black(x, y);
            }
        }
        EXPECT_EQ(differing, 0) << "page " << k + 1;
        EXPECT_GT(ink, 1000) << "page " << k + 1 << " shows its text";
    }

    // A second fax keeps the first one's previews.
    faxOf(letter("Second.docx", 1), "Fax with previews");
    EXPECT_TRUE(fs::exists(out.path() / "Fax" / "fax-0002-page-1.png"));
    EXPECT_TRUE(fs::exists(previews[1]));
}

TEST_F(Printing, TheTextDecidesThePagesAndABlankPageStaysBlank) {
    const auto long_ = faxOf(letter("Long.docx", 120));
    ASSERT_EQ(long_.size(), 3u);
    // The last page holds what is left over: fewer lines than a full page.
    EXPECT_LT(inkOf(long_[2]).bottom, inkOf(long_[0]).bottom);

    const auto broken = faxOf(DocumentBuilder("Broken.docx").text("Cover sheet\fSecond page\r").build());
    ASSERT_EQ(broken.size(), 2u);
    EXPECT_GT(inkOf(broken[0]).pixels, 0);
    EXPECT_GT(inkOf(broken[1]).pixels, 0);
    // Both lines stand at the top of their pages.
    EXPECT_EQ(inkOf(broken[0]).top / 10, inkOf(broken[1]).top / 10);

    const auto blank = faxOf(DocumentBuilder("Blank.docx").text("\r\r\t \r").build());
    ASSERT_EQ(blank.size(), 1u);
    EXPECT_EQ(inkOf(blank[0]).pixels, 0);
}

// A fax is laid out a page at a time and each page let go once coded: the pages are those of the
// whole document laid out at once, a paragraph running over a page break included.
TEST_F(Printing, AFaxCodedPageByPageIsTheDocumentLaidOutWhole) {
    DocumentBuilder builder("Running.docx");
    for (int i = 1; i <= 150; ++i) builder.text("Sentence " + std::to_string(i) + " of one long paragraph for Acme Ltd. ");
    const DocumentModel running = builder.text("\fAfter the break\r").build();
    const DocumentLayout whole(running);
    ASSERT_GE(whole.pageCount(), 3);
    std::vector<int> all(static_cast<std::size_t>(whole.pageCount()));
    for (std::size_t i = 0; i < all.size(); ++i) all[i] = static_cast<int>(i);
    const auto expected = renderFaxPages(whole, all);
    const auto faxed = faxOf(running);
    ASSERT_EQ(faxed.size(), expected.size());
    for (std::size_t i = 0; i < faxed.size(); ++i) EXPECT_TRUE(faxed[i].bits == expected[i].bits) << "page " << i + 1;

    std::vector<int> handed;
    const DocumentLayout streamed(running, [&](const DocumentLayout& layout, int index) {
        if (index > 0) {
            EXPECT_EQ(errorOf([&] { FaxPageRenderer(layout).render(index - 1); }), err::InternalError);
        }
        handed.push_back(index);
    });
    EXPECT_EQ(handed, all);
}

TEST_F(Printing, TheTextStandsInsideThePagesMargins) {
    auto wide = DocumentBuilder("Margins.docx").text("Hello\r").build();
    wide.page.top = 144;
    wide.page.left = 108;
    const auto plain = inkOf(faxOf(DocumentBuilder("Plain.docx").text("Hello\r").build())[0]);
    const auto margins = inkOf(faxOf(std::move(wide))[0]);
    // One inch is 196 rows down and about 203 pixels across (the letter page fitted into the line).
    EXPECT_NEAR(plain.top, 196, 15);
    EXPECT_NEAR(plain.left, 3 + 203, 6);
    EXPECT_NEAR(margins.top - plain.top, 196, 4);
    EXPECT_NEAR(margins.left - plain.left, 101, 4);

    // A header and a footer print near the top and the bottom edge.
    const auto page = faxOf(DocumentBuilder("Headed.docx").inHeader().text("Acme").inFooter().text("Page 1").build())[0];
    const auto ink = inkOf(page);
    EXPECT_NEAR(ink.top, 98, 15);
    EXPECT_GT(ink.bottom, page.height - 98 - 10);
    EXPECT_LT(ink.bottom, page.height - 98 + 5);
}

TEST_F(Printing, ATextBoxPrintsFramedAfterTheMainText) {
    const auto page = faxOf(DocumentBuilder("Boxed.docx").text("Dear Ann,\r").inTextBox().text("Acme Ltd\r").build())[0];
    const auto text = inkOf(faxOf(DocumentBuilder("Plain.docx").text("Dear Ann,\r").build())[0]);
    // The frame's edges are rows inked almost across the text's width.
    std::vector<int> edges;
    for (int y = 0; y < page.height; ++y) {
        int black = 0;
        for (int x = 0; x < page.width; ++x) black += page.black(x, y);
        if (black > 1200) edges.push_back(y);
    }
    ASSERT_FALSE(edges.empty());
    EXPECT_GT(edges.front(), text.bottom);
    EXPECT_GT(edges.back() - edges.front(), 30) << "a box around a line of text";
}

TEST_F(Printing, BoldSizeAndFontChangeHowTheTextPrints) {
    const std::string text = "Invoice 42 for Acme Ltd\r";
    const auto print = [&](const char* name, const Format& format) {
        return inkOf(faxOf(DocumentBuilder(name).text(text, format).build())[0]);
    };
    const auto regular = print("Regular.docx", Format());
    const auto bold = print("Bold.docx", Format().bold());
    const auto large = print("Large.docx", Format().size(24));
    const auto courier = print("Courier.docx", Format().name("Courier New"));
    const auto italic = faxOf(DocumentBuilder("Italic.docx").text(text, Format().italic()).build())[0];
    const auto upright = faxOf(DocumentBuilder("Upright.docx").text(text).build())[0];

    EXPECT_GT(bold.pixels, regular.pixels * 5 / 4);
    const double height = regular.bottom - regular.top;
    EXPECT_NEAR((large.bottom - large.top) / height, 2.0, 0.3);
    EXPECT_NEAR(static_cast<double>(large.right - large.left) / (regular.right - regular.left), 2.0, 0.2);
    // Courier's letters are all as wide as its widest: the line runs longer.
    EXPECT_GT(courier.right - courier.left, (regular.right - regular.left) * 6 / 5);
    EXPECT_NE(italic.bits, upright.bits);
}

TEST_F(Printing, EachPaperPrintJobIsAPdfWithItsCopyCountAndANoPagePrintLeavesNone) {
    wp.open(letter("Letter.docx", 120));
    // A file an earlier run left is not overwritten.
    fs::create_directories(out.path() / "Office Laser");
    std::ofstream(out.path() / "Office Laser" / "print-0001.pdf") << "earlier";

    printOnPaper("Letter.docx", {{"Copies", std::int32_t{3}}, {"PrintToFile", false}, {"Range", std::int32_t{0}},
                                 {"Background", false}});
    printOnPaper("Letter.docx", {{"Copies", std::int16_t{1}}, {"Range", std::int32_t{4}}, {"Pages", "2-3"}});
    // The reset print asks for a page the document does not have.
    printOnPaper("Letter.docx", {{"PrintToFile", false}, {"Pages", "0"}, {"Range", std::int32_t{4}}});

    const auto& prints = wp.prints();
    ASSERT_EQ(prints.size(), 3u);
    EXPECT_EQ(prints[0].output, out.path() / "Office Laser" / "print-0002.pdf");
    EXPECT_EQ(prints[1].output, out.path() / "Office Laser" / "print-0003.pdf");
    EXPECT_FALSE(prints[2].output.has_value());
    EXPECT_FALSE(fs::exists(out.path() / "Office Laser" / "print-0004.pdf"));
    EXPECT_EQ(telvora::testing::readBytes(out.path() / "Office Laser" / "print-0001.pdf"), "earlier");

    const auto first = runTool("pdfinfo " + quoted(*prints[0].output));
    EXPECT_TRUE(contains(first, "Pages:           3"));
    EXPECT_TRUE(contains(first, "Subject:         Copies: 3"));
    EXPECT_TRUE(contains(first, "Title:           Letter.docx"));
    EXPECT_TRUE(contains(runTool("pdfinfo " + quoted(*prints[1].output)), "Pages:           2"));
    const auto job = nlohmann::json::parse(telvora::testing::readBytes(out.path() / "Office Laser" / "print-0002.json"));
    EXPECT_EQ(job["copies"], 3);
    EXPECT_EQ(job["document"], "Letter.docx");
    EXPECT_EQ(job["printer"], "Office Laser");
    EXPECT_EQ(job["pages"], nlohmann::json::array({1, 2, 3}));
    // The text is in the PDF as text a reader finds.
    EXPECT_TRUE(contains(runTool("pdftotext -f 3 -l 3 " + quoted(*prints[0].output) + " -"), "Line 120 of the letter"));

    // What Word would not print is refused, and nothing is recorded for it.
    EXPECT_EQ(errorOf([&] { printOnPaper("Letter.docx", {{"Copies", std::int32_t{0}}}); }), wderr::ValueOutOfRange);
    EXPECT_EQ(errorOf([&] { printOnPaper("Letter.docx", {{"Range", std::int32_t{4}}, {"Pages", "two"}}); }),
              wderr::ValueOutOfRange);
    EXPECT_EQ(errorOf([&] { printOnPaper("Letter.docx", {{"Range", std::int32_t{2}}}); }), err::ActionNotSupported);
    EXPECT_EQ(wp.prints().size(), 3u);
}

TEST(OutputNames, APrinterOrJobNameStaysOneNameInsideItsFolder) {
    const std::pair<const char*, const char*> names[] = {
        {"\\\\FAXSRV\\Fax", "__FAXSRV_Fax"}, {"HP LaserJet on LPT1:", "HP LaserJet on LPT1_"}, {"../../etc", ".._.._etc"},
        {"..", "._"}, {"", "_"}, {"Fax*?\"<>|\x01", "Fax_______"}, {"Office Laser", "Office Laser"}};
    for (const auto& [name, safe] : names) EXPECT_EQ(safeName(name), safe) << name;
}

}  // namespace
}  // namespace telvora::sim::output
