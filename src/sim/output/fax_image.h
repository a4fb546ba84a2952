// Fax images as a fax machine sends them: bitonal pages 1728 pixels wide at fine resolution
// (204 by 196 dots per inch), kept as TIFF Class F files (CCITT Group 3) written and read with
// libtiff a page at a time, and shown to a person as one-bit PNG pictures with square pixels.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "sim/output/page_layout.h"

namespace telvora::sim::output {

inline constexpr int kFaxWidth = 1728;
inline constexpr double kFaxXResolution = 204;
inline constexpr double kFaxYResolution = 196;

// One page: one bit a pixel, 1 for black, each row whole bytes with the leftmost pixel in the
// highest bit.
struct FaxPage {
    int width = kFaxWidth;
    int height = 0;
    double xResolution = kFaxXResolution;
    double yResolution = kFaxYResolution;
    std::vector<std::uint8_t> bits;

    int stride() const noexcept { return (width + 7) / 8; }
    bool black(int x, int y) const noexcept {
        return (bits[static_cast<std::size_t>(y) * stride() + x / 8] >> (7 - x % 8)) & 1;
    }
};

// Draws the pages of a laid-out document as the fax printer prints them, one page at a time: the
// page's width fitted into the fax line, text in black, every other pixel white. One drawing
// surface serves every page, so a long document takes no more memory than a page.
class FaxPageRenderer {
public:
    explicit FaxPageRenderer(const DocumentLayout& layout);
    ~FaxPageRenderer();
    FaxPageRenderer(const FaxPageRenderer&) = delete;
    FaxPageRenderer& operator=(const FaxPageRenderer&) = delete;

    // Page `index` (from 0).
    FaxPage render(int index);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// The pages `pages` (from 0) of a laid-out document, drawn as above.
std::vector<FaxPage> renderFaxPages(const DocumentLayout& layout, const std::vector<int>& pages);

// A TIFF Class F file made a page at a time: one image a page, CCITT Group 3 (one-dimensional,
// byte aligned lines), white is zero, resolution in dots per inch, pages numbered of `pageCount`.
// Only the coded pages are kept, never their pixels.
class FaxTiffWriter {
public:
    explicit FaxTiffWriter(int pageCount);
    ~FaxTiffWriter();
    FaxTiffWriter(const FaxTiffWriter&) = delete;
    FaxTiffWriter& operator=(const FaxTiffWriter&) = delete;

    void add(const FaxPage& page);
    // The file's bytes, once every page was added.
    std::string finish();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// The pages as one TIFF Class F file, written as above.
std::string encodeFaxTiff(const std::vector<FaxPage>& pages);

// The pages of a bitonal TIFF file's bytes, read a page at a time; `bytes` must outlive the
// reader. Each call raises a run-time error naming `name` for bytes that are no such image.
class FaxTiffReader {
public:
    FaxTiffReader(std::string_view bytes, std::string name);
    ~FaxTiffReader();
    FaxTiffReader(const FaxTiffReader&) = delete;
    FaxTiffReader& operator=(const FaxTiffReader&) = delete;

    // Moves to the first page, then to each next one; false after the last. A page whose
    // description is no fax page's (not one bit a pixel, no fax page's size) raises.
    bool nextPage();
    // The pixels of the page moved to.
    FaxPage page();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// Every page of a bitonal TIFF file's bytes, read as above.
std::vector<FaxPage> decodeFaxTiff(const std::string& bytes, const std::string& name);

// A picture of the page for a person: black on white, as tall as the page really is.
std::string previewPng(const FaxPage& page);

}  // namespace telvora::sim::output
