// The fax preview window and the decoding of the fax image.
#include "win32/fax_preview_window.h"

#include <wincodec.h>
#include <windowsx.h>

#include <algorithm>
#include <cmath>

#include "base/errors.h"
#include "win32/accessible_name.h"
#include "win32/com_errors.h"
#include "win32/display_scaling.h"
#include "win32/gui_handles.h"
#include "win32/handles.h"
#include "win32/text.h"

namespace telvora::win32 {
namespace {

constexpr const wchar_t* kWindowClass = L"TelvoraFaxPreview";
constexpr const wchar_t* kPageClass = L"TelvoraFaxPage";
// The zoom choices; 0 fits the whole page into the view.
constexpr int kZooms[] = {0, 50, 100, 200};
constexpr const wchar_t* kZoomNames[] = {L"Whole page", L"50 %", L"100 %", L"200 %"};

void check(HRESULT hr) {
    if (FAILED(hr)) throw errorFromHresult(hr);
}

// COM for this thread while decoding, where the caller had not started it.
class ComForThisThread {
public:
    ComForThisThread() noexcept : started_(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~ComForThisThread() {
        if (started_) ::CoUninitialize();
    }
    ComForThisThread(const ComForThisThread&) = delete;
    ComForThisThread& operator=(const ComForThisThread&) = delete;

private:
    bool started_;
};

int stride(int width) { return ((width + 31) / 32) * 4; }

// A one-bit bitmap header with its two colours: black for 0, white for 1.
struct MonochromeInfo {
    BITMAPINFOHEADER header;
    RGBQUAD colours[2];
};

MonochromeInfo infoOf(const FaxPreviewPage& page) {
    MonochromeInfo info{};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = page.width;
    info.header.biHeight = -page.height;  // top row first
    info.header.biPlanes = 1;
    info.header.biBitCount = 1;
    info.header.biCompression = BI_RGB;
    info.colours[1] = {255, 255, 255, 0};
    return info;
}

// A page shrunk to `w` by `h` pixels in shades of grey: each pixel the share of white among the
// dots it covers, counted in whole numbers, so thin strokes stay visible and every build draws the
// same picture. Rows of whole 32-bit words, top row first.
std::vector<std::uint8_t> shrunk(const FaxPreviewPage& page, int w, int h) {
    const int rowIn = stride(page.width);
    const int rowOut = (w + 3) / 4 * 4;
    std::vector<std::uint8_t> grey(static_cast<std::size_t>(rowOut) * static_cast<std::size_t>(h));
    std::vector<int> x0(static_cast<std::size_t>(w) + 1);
    for (int x = 0; x <= w; ++x) x0[static_cast<std::size_t>(x)] = static_cast<int>(static_cast<long long>(x) * page.width / w);
    for (int y = 0; y < h; ++y) {
        const int top = static_cast<int>(static_cast<long long>(y) * page.height / h);
        const int bottom = std::max(top + 1, static_cast<int>(static_cast<long long>(y + 1) * page.height / h));
        for (int x = 0; x < w; ++x) {
            const int left = x0[static_cast<std::size_t>(x)];
            const int right = std::max(left + 1, x0[static_cast<std::size_t>(x) + 1]);
            int white = 0;
            for (int sy = top; sy < bottom; ++sy) {
                const std::uint8_t* row = page.bits.data() + static_cast<std::size_t>(sy) * static_cast<std::size_t>(rowIn);
                for (int sx = left; sx < right; ++sx) white += (row[sx / 8] >> (7 - sx % 8)) & 1;
            }
            grey[static_cast<std::size_t>(y) * static_cast<std::size_t>(rowOut) + static_cast<std::size_t>(x)] =
                static_cast<std::uint8_t>(white * 255 / ((bottom - top) * (right - left)));
        }
    }
    return grey;
}

// The page drawn into `area` of `dc` at its true proportions: a dot is 1/xDpi wide and 1/yDpi high.
// Made larger, each dot becomes a block; made smaller, dots are averaged into greys.
void drawPage(HDC dc, const FaxPreviewPage& page, const RECT& area) {
    const int w = area.right - area.left, h = area.bottom - area.top;
    if (w <= 0 || h <= 0) return;
    if (w >= page.width && h >= page.height) {
        const MonochromeInfo info = infoOf(page);
        ::SetStretchBltMode(dc, COLORONCOLOR);
        ::StretchDIBits(dc, area.left, area.top, w, h, 0, 0, page.width, page.height, page.bits.data(),
                        reinterpret_cast<const BITMAPINFO*>(&info), DIB_RGB_COLORS, SRCCOPY);
        return;
    }
    struct GreyInfo {
        BITMAPINFOHEADER header;
        RGBQUAD colours[256];
    } info{};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = w;
    info.header.biHeight = -h;
    info.header.biPlanes = 1;
    info.header.biBitCount = 8;
    info.header.biCompression = BI_RGB;
    for (int i = 0; i < 256; ++i) {
        const auto v = static_cast<BYTE>(i);
        info.colours[i] = {v, v, v, 0};
    }
    const std::vector<std::uint8_t> grey = shrunk(page, w, h);
    ::SetDIBitsToDevice(dc, area.left, area.top, static_cast<DWORD>(w), static_cast<DWORD>(h), 0, 0, 0,
                        static_cast<UINT>(h), grey.data(), reinterpret_cast<const BITMAPINFO*>(&info), DIB_RGB_COLORS);
}

// The page's size on screen, in pixels at `dpi`, at `percent` of its real size. Whole numbers
// throughout, so a 32-bit and a 64-bit build (whose floating point rounds apart) draw alike.
SIZE realSize(const FaxPreviewPage& page, UINT dpi, int percent) {
    const auto resolution = [](double dpiOfImage, long long fallback) {
        const long long r = std::llround(dpiOfImage);
        return r > 0 ? r : fallback;
    };
    const long long xd = resolution(page.xDpi, 204), yd = resolution(page.yDpi, 196);
    const long long scale = static_cast<long long>(dpi) * percent;
    return {static_cast<LONG>((page.width * scale + xd * 50) / (xd * 100)),
            static_cast<LONG>((page.height * scale + yd * 50) / (yd * 100))};
}

// The largest rectangle of the page's proportions inside `box`, centred.
RECT fitted(const FaxPreviewPage& page, const RECT& box) {
    const SIZE real = realSize(page, 96, 100);
    const long long rw = std::max<LONG>(real.cx, 1), rh = std::max<LONG>(real.cy, 1);
    const long long w = box.right - box.left, h = box.bottom - box.top;
    // Width-bound when the box is relatively taller than the page, height-bound otherwise.
    const bool byWidth = w * rh <= h * rw;
    const LONG cw = static_cast<LONG>(byWidth ? w : rw * h / rh), ch = static_cast<LONG>(byWidth ? rh * w / rw : h);
    const LONG x = box.left + static_cast<LONG>((w - cw) / 2), y = box.top + static_cast<LONG>((h - ch) / 2);
    return {x, y, x + cw, y + ch};
}

class PreviewWindow {
public:
    PreviewWindow(const FaxPreviewRequest& request, std::vector<FaxPreviewPage> pages)
        : request_(request), pages_(std::move(pages)) {}

    PreviewAnswer run(const std::function<void(HWND)>& onShown);

    static LRESULT CALLBACK frameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK pageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

private:
    LRESULT onFrame(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT onPage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    void create(HWND owner);
    void layout();
    void applyFont();
    void showPage(int index);
    void setZoom(int choice);
    void scroll(int bar, int code);
    void updateScrollBars();
    std::wstring countText() const;
    int px(int at96) const { return scaled(at96, dpi_); }

    const FaxPreviewRequest& request_;
    std::vector<FaxPreviewPage> pages_;
    unique_hwnd window_;  // destroyed with this, however the preview ends
    HWND frame_ = nullptr;
    HWND pagesList_ = nullptr, page_ = nullptr, zoom_ = nullptr, count_ = nullptr, about_ = nullptr;
    HWND pagesLabel_ = nullptr, zoomLabel_ = nullptr, send_ = nullptr, cancel_ = nullptr;
    unique_hfont font_;
    UINT dpi_ = kDefaultDpi;
    int current_ = 0;
    int zoomChoice_ = 0;
    POINT offset_{0, 0};
    bool done_ = false;
    PreviewAnswer answer_ = PreviewAnswer::Cancel;
};

void registerClasses(HINSTANCE module) {
    WNDCLASSEXW frame{};
    frame.cbSize = sizeof frame;
    frame.lpfnWndProc = &PreviewWindow::frameProc;
    frame.hInstance = module;
    frame.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    frame.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    frame.lpszClassName = kWindowClass;
    frame.cbWndExtra = sizeof(void*);
    ::RegisterClassExW(&frame);  // already registered by an earlier preview: the same class
    WNDCLASSEXW page = frame;
    page.lpfnWndProc = &PreviewWindow::pageProc;
    page.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1);
    page.lpszClassName = kPageClass;
    page.style = CS_HREDRAW | CS_VREDRAW;
    ::RegisterClassExW(&page);
}

HINSTANCE thisModule() {
    HMODULE module = nullptr;
    ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<LPCWSTR>(&registerClasses), &module);
    return module;
}

PreviewAnswer PreviewWindow::run(const std::function<void(HWND)>& onShown) {
    HWND owner = ::GetActiveWindow();
    if (owner && !::IsWindowVisible(owner)) owner = nullptr;
    create(owner);
    if (owner) ::EnableWindow(owner, FALSE);
    ::ShowWindow(frame_, SW_SHOW);
    ::SetFocus(send_);
    if (onShown) onShown(frame_);
    MSG message;
    while (!done_ && ::GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (::IsDialogMessageW(frame_, &message)) continue;
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    // A WM_QUIT taken from the queue belongs to the loop outside.
    if (!done_) ::PostQuitMessage(static_cast<int>(message.wParam));
    if (owner) {
        ::EnableWindow(owner, TRUE);
        ::SetActiveWindow(owner);
    }
    return answer_;
}

void PreviewWindow::create(HWND owner) {
    const PerMonitorScaling perMonitor;
    const HINSTANCE module = thisModule();
    registerClasses(module);
    const std::wstring caption = L"Fax Preview - " + widen(request_.recipient.empty() ? request_.number : request_.recipient);
    frame_ = ::CreateWindowExW(WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, kWindowClass, caption.c_str(),
                               WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT,
                               640, 560, owner, nullptr, module, this);
    if (!frame_) throw errorFromHresult(HRESULT_FROM_WIN32(::GetLastError()));
    window_.reset(frame_);
    dpi_ = dpiOf(frame_);
    ::SetWindowPos(frame_, nullptr, 0, 0, px(760), px(620), SWP_NOMOVE | SWP_NOZORDER);
    const auto child = [&](const wchar_t* cls, const std::wstring& text, DWORD style, int id) {
        return ::CreateWindowExW(0, cls, text.c_str(), WS_CHILD | WS_VISIBLE | style, 0, 0, 10, 10, frame_,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), module, nullptr);
    };
    // Each input follows its label, so the keyboard reaches it by the label's letter.
    pagesLabel_ = child(L"STATIC", L"&Pages:", SS_LEFT, -1);
    pagesList_ = child(L"LISTBOX", L"", WS_TABSTOP | WS_VSCROLL | WS_BORDER | LBS_NOTIFY | LBS_OWNERDRAWFIXED |
                                             LBS_NOINTEGRALHEIGHT, preview_id::Pages);
    zoomLabel_ = child(L"STATIC", L"&Zoom:", SS_LEFT, -1);
    zoom_ = child(L"COMBOBOX", L"", WS_TABSTOP | CBS_DROPDOWNLIST | WS_VSCROLL, preview_id::Zoom);
    count_ = child(L"STATIC", L"", SS_LEFT, preview_id::Count);
    page_ = child(kPageClass, L"", WS_TABSTOP | WS_BORDER | WS_VSCROLL | WS_HSCROLL, preview_id::Page);
    std::wstring about = L"To " + widen(request_.recipient) + L" at " + widen(request_.number);
    if (request_.faxes > 1) about += L". Send sends all " + std::to_wstring(request_.faxes) + L" faxes of the merge.";
    about_ = child(L"STATIC", about, SS_LEFT, -1);
    send_ = child(L"BUTTON", L"&Send", WS_TABSTOP | BS_DEFPUSHBUTTON, preview_id::Send);
    cancel_ = child(L"BUTTON", L"Cancel", WS_TABSTOP | BS_PUSHBUTTON, preview_id::Cancel);
    ::SetWindowLongPtrW(page_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    giveAccessibleName(pagesList_, [] { return std::wstring(L"Pages"); });
    giveAccessibleName(zoom_, [] { return std::wstring(L"Zoom"); });
    giveAccessibleName(page_, [this] { return countText(); });
    for (const wchar_t* name : kZoomNames) ::SendMessageW(zoom_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    for (std::size_t i = 0; i < pages_.size(); ++i) {
        const std::wstring item = L"Page " + std::to_wstring(i + 1);
        ::SendMessageW(pagesList_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    }
    applyFont();
    setZoom(0);
    showPage(0);
    // Centred on the window it belongs to, or on the screen.
    RECT around{}, own{};
    if (!owner || !::GetWindowRect(owner, &around)) ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &around, 0);
    ::GetWindowRect(frame_, &own);
    const int w = own.right - own.left, h = own.bottom - own.top;
    ::SetWindowPos(frame_, nullptr, std::max<LONG>(around.left, (around.left + around.right - w) / 2),
                   std::max<LONG>(around.top, (around.top + around.bottom - h) / 2), 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

void PreviewWindow::applyFont() {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    LOGFONTW font = metrics.lfMessageFont;
    font.lfHeight = -::MulDiv(9, static_cast<int>(dpi_), 72);
    font_.reset(::CreateFontIndirectW(&font));
    for (HWND c : {pagesLabel_, pagesList_, zoomLabel_, zoom_, count_, about_, send_, cancel_})
        ::SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), TRUE);
    ::SendMessageW(pagesList_, LB_SETITEMHEIGHT, 0, px(150));
    layout();
}

void PreviewWindow::layout() {
    RECT client{};
    ::GetClientRect(frame_, &client);
    const int margin = px(10), line = px(20), thumbs = px(130), button = px(80), buttonHigh = px(26);
    const int bottom = client.bottom - margin - buttonHigh;
    ::MoveWindow(pagesLabel_, margin, margin, thumbs, line, TRUE);
    ::MoveWindow(pagesList_, margin, margin + line, thumbs, bottom - margin - line - margin, TRUE);
    const int left = margin * 2 + thumbs;
    ::MoveWindow(zoomLabel_, left, margin + px(3), px(45), line, TRUE);
    ::MoveWindow(zoom_, left + px(45), margin, px(120), px(200), TRUE);
    ::MoveWindow(count_, left + px(180), margin + px(3), client.right - left - px(180) - margin, line, TRUE);
    ::MoveWindow(page_, left, margin + line + px(8), client.right - left - margin, bottom - margin - line - px(8) - margin,
                 TRUE);
    ::MoveWindow(about_, margin, bottom + px(4), client.right - 3 * margin - 2 * button - margin, line, TRUE);
    ::MoveWindow(send_, client.right - 2 * (button + margin), bottom, button, buttonHigh, TRUE);
    ::MoveWindow(cancel_, client.right - button - margin, bottom, button, buttonHigh, TRUE);
    updateScrollBars();
}

std::wstring PreviewWindow::countText() const {
    if (pages_.empty()) return L"No pages";
    const FaxPreviewPage& p = pages_[static_cast<std::size_t>(current_)];
    return L"Page " + std::to_wstring(current_ + 1) + L" of " + std::to_wstring(pages_.size()) + L" (" +
           std::to_wstring(static_cast<int>(std::lround(p.xDpi))) + L" x " +
           std::to_wstring(static_cast<int>(std::lround(p.yDpi))) + L" dpi, black and white)";
}

void PreviewWindow::showPage(int index) {
    if (pages_.empty()) return;
    current_ = std::clamp(index, 0, static_cast<int>(pages_.size()) - 1);
    ::SendMessageW(pagesList_, LB_SETCURSEL, static_cast<WPARAM>(current_), 0);
    ::SetWindowTextW(count_, countText().c_str());
    offset_ = {0, 0};
    updateScrollBars();
    ::InvalidateRect(page_, nullptr, TRUE);
}

void PreviewWindow::setZoom(int choice) {
    zoomChoice_ = std::clamp(choice, 0, static_cast<int>(std::size(kZooms)) - 1);
    ::SendMessageW(zoom_, CB_SETCURSEL, static_cast<WPARAM>(zoomChoice_), 0);
    offset_ = {0, 0};
    updateScrollBars();
    ::InvalidateRect(page_, nullptr, TRUE);
}

void PreviewWindow::updateScrollBars() {
    if (!page_ || pages_.empty()) return;
    RECT view{};
    ::GetClientRect(page_, &view);
    const SIZE size = kZooms[zoomChoice_] == 0 ? SIZE{view.right, view.bottom}
                                               : realSize(pages_[static_cast<std::size_t>(current_)], dpi_, kZooms[zoomChoice_]);
    const auto set = [&](int bar, LONG content, LONG shown, LONG& at) {
        at = std::clamp<LONG>(at, 0, std::max<LONG>(0, content - shown));
        SCROLLINFO info{sizeof info, SIF_ALL | SIF_DISABLENOSCROLL, 0, std::max<int>(0, content - 1),
                        static_cast<UINT>(std::max<LONG>(shown, 1)), at, 0};
        ::SetScrollInfo(page_, bar, &info, TRUE);
    };
    set(SB_HORZ, size.cx, view.right, offset_.x);
    set(SB_VERT, size.cy, view.bottom, offset_.y);
}

void PreviewWindow::scroll(int bar, int code) {
    SCROLLINFO info{sizeof info, SIF_ALL, 0, 0, 0, 0, 0};
    ::GetScrollInfo(page_, bar, &info);
    LONG& at = bar == SB_HORZ ? offset_.x : offset_.y;
    switch (code) {
    case SB_LINEUP: at -= px(40); break;
    case SB_LINEDOWN: at += px(40); break;
    case SB_PAGEUP: at -= static_cast<LONG>(info.nPage); break;
    case SB_PAGEDOWN: at += static_cast<LONG>(info.nPage); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: at = info.nTrackPos; break;
    case SB_TOP: at = 0; break;
    case SB_BOTTOM: at = info.nMax; break;
    default: return;
    }
    updateScrollBars();
    ::InvalidateRect(page_, nullptr, TRUE);
}

LRESULT CALLBACK PreviewWindow::frameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<PreviewWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        ::SetWindowLongPtrW(window, 0, reinterpret_cast<LONG_PTR>(self));
        self->frame_ = window;
    }
    auto* self = reinterpret_cast<PreviewWindow*>(::GetWindowLongPtrW(window, 0));
    return self ? self->onFrame(message, wParam, lParam) : ::DefWindowProcW(window, message, wParam, lParam);
}

LRESULT PreviewWindow::onFrame(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        if (id == preview_id::Send || id == preview_id::Cancel) {
            answer_ = id == preview_id::Send ? PreviewAnswer::Send : PreviewAnswer::Cancel;
            done_ = true;
        } else if (id == preview_id::Pages && HIWORD(wParam) == LBN_SELCHANGE) {
            showPage(static_cast<int>(::SendMessageW(pagesList_, LB_GETCURSEL, 0, 0)));
        } else if (id == preview_id::Zoom && HIWORD(wParam) == CBN_SELCHANGE) {
            setZoom(static_cast<int>(::SendMessageW(zoom_, CB_GETCURSEL, 0, 0)));
        }
        return 0;
    }
    case WM_CLOSE:
        answer_ = PreviewAnswer::Cancel;
        done_ = true;
        return 0;
    case WM_SIZE: layout(); return 0;
    case WM_GETMINMAXINFO: {
        auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
        limits->ptMinTrackSize = {px(480), px(360)};
        return 0;
    }
    case WM_DPICHANGED: {
        dpi_ = HIWORD(wParam);
        const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
        ::SetWindowPos(frame_, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                       suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
        applyFont();
        return 0;
    }
    case WM_MEASUREITEM: {
        reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemHeight = static_cast<UINT>(px(150));
        return TRUE;
    }
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item->CtlID != preview_id::Pages || item->itemID == static_cast<UINT>(-1) || item->itemID >= pages_.size())
            return TRUE;
        const bool selected = (item->itemState & ODS_SELECTED) != 0;
        ::FillRect(item->hDC, &item->rcItem, ::GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
        RECT box = item->rcItem;
        ::InflateRect(&box, -px(8), -px(6));
        box.bottom -= px(16);
        drawPage(item->hDC, pages_[item->itemID], fitted(pages_[item->itemID], box));
        RECT label = {item->rcItem.left, box.bottom + px(1), item->rcItem.right, item->rcItem.bottom};
        const std::wstring text = L"Page " + std::to_wstring(item->itemID + 1);
        ::SetBkMode(item->hDC, TRANSPARENT);
        ::SetTextColor(item->hDC, ::GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
        const HGDIOBJ old = ::SelectObject(item->hDC, font_.get());
        ::DrawTextW(item->hDC, text.c_str(), -1, &label, DT_CENTER | DT_SINGLELINE | DT_VCENTER);
        ::SelectObject(item->hDC, old);
        if (item->itemState & ODS_FOCUS) ::DrawFocusRect(item->hDC, &item->rcItem);
        return TRUE;
    }
    default: break;
    }
    return ::DefWindowProcW(frame_, message, wParam, lParam);
}

LRESULT CALLBACK PreviewWindow::pageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<PreviewWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    return self ? self->onPage(window, message, wParam, lParam) : ::DefWindowProcW(window, message, wParam, lParam);
}

LRESULT PreviewWindow::onPage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        const HDC dc = ::BeginPaint(window, &paint);
        RECT view{};
        ::GetClientRect(window, &view);
        ::FillRect(dc, &view, ::GetSysColorBrush(COLOR_APPWORKSPACE));
        if (!pages_.empty()) {
            const FaxPreviewPage& p = pages_[static_cast<std::size_t>(current_)];
            RECT area;
            if (kZooms[zoomChoice_] == 0) {
                RECT inner = view;
                ::InflateRect(&inner, -px(6), -px(6));
                area = fitted(p, inner);
            } else {
                const SIZE size = realSize(p, dpi_, kZooms[zoomChoice_]);
                area = {-offset_.x, -offset_.y, size.cx - offset_.x, size.cy - offset_.y};
            }
            drawPage(dc, p, area);
        }
        if (::GetFocus() == window) {
            RECT focus = view;
            ::InflateRect(&focus, -1, -1);
            ::DrawFocusRect(dc, &focus);
        }
        ::EndPaint(window, &paint);
        return 0;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS: ::InvalidateRect(window, nullptr, FALSE); return 0;
    case WM_LBUTTONDOWN: ::SetFocus(window); return 0;
    case WM_GETDLGCODE: return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_HSCROLL: scroll(SB_HORZ, LOWORD(wParam)); return 0;
    case WM_VSCROLL: scroll(SB_VERT, LOWORD(wParam)); return 0;
    case WM_MOUSEWHEEL: scroll(SB_VERT, GET_WHEEL_DELTA_WPARAM(wParam) > 0 ? SB_LINEUP : SB_LINEDOWN); return 0;
    case WM_KEYDOWN:
        // Page Up and Page Down turn the pages, the arrows move the page about.
        switch (wParam) {
        case VK_PRIOR: showPage(current_ - 1); return 0;
        case VK_NEXT: showPage(current_ + 1); return 0;
        case VK_UP: scroll(SB_VERT, SB_LINEUP); return 0;
        case VK_DOWN: scroll(SB_VERT, SB_LINEDOWN); return 0;
        case VK_LEFT: scroll(SB_HORZ, SB_LINEUP); return 0;
        case VK_RIGHT: scroll(SB_HORZ, SB_LINEDOWN); return 0;
        default: break;
        }
        break;
    case WM_CHAR:
        // + and - zoom in and out.
        if (wParam == '+' || wParam == '=') setZoom(zoomChoice_ + 1);
        if (wParam == '-') setZoom(zoomChoice_ - 1);
        return 0;
    case WM_SIZE: updateScrollBars(); return 0;
    default: break;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

std::vector<FaxPreviewPage> decodeFaxImage(const std::string& file) {
    const ComForThisThread com;
    ComPtr<IWICImagingFactory> factory;
    check(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                             factory.putVoid()));
    ComPtr<IWICBitmapDecoder> decoder;
    check(factory->CreateDecoderFromFilename(widen(file).c_str(), nullptr, GENERIC_READ, WICDecodeMetadataCacheOnDemand,
                                             decoder.put()));
    UINT frames = 0;
    check(decoder->GetFrameCount(&frames));
    std::vector<FaxPreviewPage> pages;
    for (UINT i = 0; i < frames; ++i) {
        ComPtr<IWICBitmapFrameDecode> frame;
        check(decoder->GetFrame(i, frame.put()));
        FaxPreviewPage page;
        UINT w = 0, h = 0;
        check(frame->GetSize(&w, &h));
        check(frame->GetResolution(&page.xDpi, &page.yDpi));
        // Whatever the image holds, the recipient's machine prints black and white. The converter
        // comes from the factory, not from an import of the codecs' DLL, so the add-in still loads
        // on a Windows without the Imaging Component and only the preview reports it missing.
        // A fax printer's page is black and white already and is read as it is.
        WICPixelFormatGUID format{};
        check(frame->GetPixelFormat(&format));
        ComPtr<IWICBitmapSource> bilevel;
        if (::IsEqualGUID(format, GUID_WICPixelFormatBlackWhite)) {
            check(frame->QueryInterface(IID_IWICBitmapSource, bilevel.putVoid()));
        } else {
            ComPtr<IWICFormatConverter> converter;
            check(factory->CreateFormatConverter(converter.put()));
            check(converter->Initialize(frame.get(), GUID_WICPixelFormatBlackWhite, WICBitmapDitherTypeNone, nullptr,
                                        0.0, WICBitmapPaletteTypeCustom));
            check(converter->QueryInterface(IID_IWICBitmapSource, bilevel.putVoid()));
        }
        page.width = static_cast<int>(w);
        page.height = static_cast<int>(h);
        const UINT rowBytes = static_cast<UINT>(stride(page.width));
        page.bits.resize(static_cast<std::size_t>(rowBytes) * h);
        check(bilevel->CopyPixels(nullptr, rowBytes, static_cast<UINT>(page.bits.size()), page.bits.data()));
        pages.push_back(std::move(page));
    }
    if (pages.empty()) throw RuntimeError(err::InvalidProcedureCall, "The fax image \"" + file + "\" holds no page.");
    return pages;
}

PreviewAnswer Win32FaxPreview::showFaxPreview(const FaxPreviewRequest& request) {
    PreviewWindow window(request, decodeFaxImage(request.imageFile));
    return window.run(onShown);
}

}  // namespace telvora::win32
