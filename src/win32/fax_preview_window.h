// The fax preview on Windows: the fax image decoded by the Windows Imaging Component and shown as
// the recipient's machine prints it, one bit a pixel at the fax resolution's true aspect ratio:
// the pages as thumbnails, one page large with zoom, the page count, and Send or Cancel.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "ports/fax_preview.h"

namespace telvora::win32 {

// One page of a fax image, as a bottom-up one-bit device-independent bitmap (0 black, 1 white).
struct FaxPreviewPage {
    int width = 0;
    int height = 0;
    double xDpi = 0;
    double yDpi = 0;
    std::vector<std::uint8_t> bits;  // rows of ((width + 31) / 32) * 4 bytes, top row first
};

// The pages of a fax image file, decoded with the Windows Imaging Component; raises a run-time error
// (the system's) when the file cannot be read or decoded.
std::vector<FaxPreviewPage> decodeFaxImage(const std::string& file);

class Win32FaxPreview final : public FaxPreview {
public:
    PreviewAnswer showFaxPreview(const FaxPreviewRequest& request) override;

    // Told the window once it is up, for tests and pictures of it.
    std::function<void(HWND)> onShown;
};

// The controls of the preview window, by their identifiers.
namespace preview_id {
inline constexpr int Pages = 101;   // the thumbnails
inline constexpr int Page = 102;    // the page shown large
inline constexpr int Zoom = 103;    // the zoom choice
inline constexpr int Count = 104;   // "Page 1 of 2"
inline constexpr int Send = IDOK;
inline constexpr int Cancel = IDCANCEL;
}  // namespace preview_id

}  // namespace telvora::win32
