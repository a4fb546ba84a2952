// Fax images as a fax machine sends them: bitonal pages 1728 pixels wide at fine resolution
// (204 by 196 dots per inch), kept as TIFF Class F files (CCITT Group 3) written and read with
// libtiff, and shown to a person as PNG pictures with square pixels.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
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

// The pages `pages` (from 0) of a laid-out document as the fax printer prints them: the page's
// width fitted into the fax line, text in black, every other pixel white.
std::vector<FaxPage> renderFaxPages(const DocumentLayout& layout, const std::vector<int>& pages);

// The pages as a TIFF Class F file: one image a page, CCITT Group 3 (one-dimensional, byte
// aligned lines), white is zero, resolution in dots per inch, numbered pages.
std::string encodeFaxTiff(const std::vector<FaxPage>& pages);
// The pages of a bitonal TIFF file's bytes; raises a run-time error naming `name` for bytes that
// are no such image.
std::vector<FaxPage> decodeFaxTiff(const std::string& bytes, const std::string& name);

// A picture of the page for a person: black on white, as tall as the page really is.
std::string previewPng(const FaxPage& page);

}  // namespace telvora::sim::output
