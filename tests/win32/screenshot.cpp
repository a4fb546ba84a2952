// Screen capture with GDI, PNG encoding with the Windows Imaging Component.
#include "screenshot.h"

#include <wincodec.h>

#include <stdexcept>

#include "win32/gui_handles.h"
#include "win32/handles.h"

namespace telvora::win32::test {
namespace {

using unique_hbitmap = unique_any<NullIsNoneTraits<HBITMAP, &::DeleteObject>>;
using unique_hdc = unique_any<NullIsNoneTraits<HDC, &::DeleteDC>>;

// A window's device context (the whole window, frame included); null for the screen.
class WindowDc {
public:
    explicit WindowDc(HWND window) : window_(window), dc_(window ? ::GetWindowDC(window) : ::GetDC(nullptr)) {
        if (!dc_) throw std::runtime_error("no device context");
    }
    ~WindowDc() { ::ReleaseDC(window_, dc_); }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC get() const noexcept { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

void check(HRESULT hr, const char* what) {
    if (FAILED(hr)) throw std::runtime_error(std::string(what) + " failed: 0x" + std::to_string(static_cast<unsigned long>(hr)));
}

}  // namespace

void saveScreenshot(HWND window, const std::wstring& pngPath) {
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    RECT r{};
    ::GetWindowRect(window, &r);
    const int width = r.right - r.left;
    const int height = r.bottom - r.top;
    // From the window's own device context: what it painted, whether or not the display has
    // been sent it yet.
    WindowDc windowDc(window);
    unique_hdc memory(::CreateCompatibleDC(windowDc.get()));
    unique_hbitmap bitmap(::CreateCompatibleBitmap(windowDc.get(), width, height));
    if (!memory || !bitmap) throw std::runtime_error("no bitmap for the picture");
    const HGDIOBJ old = ::SelectObject(memory.get(), bitmap.get());
    const BOOL copied = ::BitBlt(memory.get(), 0, 0, width, height, windowDc.get(), 0, 0, SRCCOPY);
    ::SelectObject(memory.get(), old);
    if (!copied) throw std::runtime_error("cannot copy the screen");
    saveBitmap(bitmap.get(), pngPath);
}

void saveBitmap(HBITMAP bitmap, const std::wstring& pngPath) {
    BITMAP info{};
    if (!::GetObjectW(bitmap, sizeof info, &info)) throw std::runtime_error("no bitmap to save");
    const int width = info.bmWidth;
    const int height = info.bmHeight;
    ComPtr<IWICImagingFactory> factory;
    check(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                             factory.putVoid()),
          "creating the imaging factory");
    ComPtr<IWICBitmap> source;
    check(factory->CreateBitmapFromHBITMAP(bitmap, nullptr, WICBitmapIgnoreAlpha, source.put()),
          "reading the bitmap");
    ComPtr<IWICStream> stream;
    check(factory->CreateStream(stream.put()), "creating the stream");
    check(stream->InitializeFromFilename(pngPath.c_str(), GENERIC_WRITE), "opening the PNG file");
    ComPtr<IWICBitmapEncoder> encoder;
    check(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.put()), "creating the PNG encoder");
    check(encoder->Initialize(stream.get(), WICBitmapEncoderNoCache), "starting the PNG");
    ComPtr<IWICBitmapFrameEncode> frame;
    ComPtr<IPropertyBag2> options;
    check(encoder->CreateNewFrame(frame.put(), options.put()), "adding the picture");
    check(frame->Initialize(options.get()), "starting the picture");
    check(frame->SetSize(static_cast<UINT>(width), static_cast<UINT>(height)), "sizing the picture");
    WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
    check(frame->SetPixelFormat(&format), "choosing the pixel format");
    check(frame->WriteSource(source.get(), nullptr), "writing the picture");
    check(frame->Commit(), "finishing the picture");
    check(encoder->Commit(), "finishing the PNG");
}

COLORREF screenColourAt(HWND window, POINT clientPoint) {
    ::UpdateWindow(window);
    ::ClientToScreen(window, &clientPoint);
    WindowDc screen(nullptr);
    return ::GetPixel(screen.get(), clientPoint.x, clientPoint.y);
}

}  // namespace telvora::win32::test
