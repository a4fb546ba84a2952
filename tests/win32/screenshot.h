// A picture of a window as it is on the screen (frame and caption included), saved as a PNG.
#pragma once

#include <windows.h>

#include <string>

namespace telvora::win32::test {

// Raises std::runtime_error naming the step that failed.
void saveScreenshot(HWND window, const std::wstring& pngPath);
// A bitmap (not selected into any device context) saved as a PNG; raises as saveScreenshot does.
void saveBitmap(HBITMAP bitmap, const std::wstring& pngPath);

// The colour the screen shows at a point of a window's client area.
COLORREF screenColourAt(HWND window, POINT clientPoint);

}  // namespace telvora::win32::test
