// A form as a Windows dialog, and the two-way binding between them.
#include "win32/form_window.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <utility>

#include "win32/accessible_name.h"
#include "win32/com_errors.h"
#include "win32/dialog_template.h"
#include "win32/display_scaling.h"
#include "win32/resource.h"
#include "win32/text.h"

namespace telvora::win32 {
namespace {

std::wstring windowText(HWND window) {
    const int length = ::GetWindowTextLengthW(window);
    if (length <= 0) return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int got = ::GetWindowTextW(window, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(std::max(got, 0)));
    return text;
}

void setWindowText(HWND window, const std::wstring& text) {
    if (windowText(window) != text) ::SetWindowTextW(window, text.c_str());
}

bool isLowSurrogate(wchar_t c) noexcept { return c >= 0xDC00 && c <= 0xDFFF; }
bool isHighSurrogate(wchar_t c) noexcept { return c >= 0xD800 && c <= 0xDBFF; }

// The form counts text positions in characters; the window in UTF-16 units, two of them for a
// character outside the Basic Multilingual Plane.
int characterIndexOf(std::wstring_view text, std::size_t unit) noexcept {
    unit = std::min(unit, text.size());
    int characters = 0;
    for (std::size_t i = 0; i < unit; ++i) {
        if (!(isLowSurrogate(text[i]) && i > 0 && isHighSurrogate(text[i - 1]))) ++characters;
    }
    return characters;
}

std::size_t unitIndexOf(std::wstring_view text, int character) noexcept {
    std::size_t i = 0;
    for (int c = 0; c < character && i < text.size(); ++c) {
        i += (isHighSurrogate(text[i]) && i + 1 < text.size() && isLowSurrogate(text[i + 1])) ? 2 : 1;
    }
    return i;
}

COLORREF colourOf(std::uint32_t value) noexcept {
    if (value & 0x80000000u) return ::GetSysColor(static_cast<int>(value & 0xFFu));
    return static_cast<COLORREF>(value & 0xFFFFFFu);
}

// The shift argument of KeyDown: Shift 1, Ctrl 2, Alt 4.
int shiftState() noexcept {
    int shift = 0;
    if (::GetKeyState(VK_SHIFT) < 0) shift |= kShiftMask;
    if (::GetKeyState(VK_CONTROL) < 0) shift |= kCtrlMask;
    if (::GetKeyState(VK_MENU) < 0) shift |= kAltMask;
    return shift;
}

bool isOptionArrow(WPARAM key) noexcept { return key == VK_UP || key == VK_DOWN || key == VK_LEFT || key == VK_RIGHT; }

// Room a list's entries need beyond their text: the list's own inner margins, in pixels at 96 dots
// per inch.
constexpr int kListMargin = 4;

// Link text: the blue a Word user knows as "click here".
constexpr COLORREF kLinkBlue = RGB(0, 0, 255);

// Posted to put a locked combo box's choice back after the user tried to change it.
constexpr UINT kRestoreChoice = WM_APP + 1;
// Posted once the dialog manager has laid the dialog out for another monitor's scaling.
constexpr UINT kScalingChanged = WM_APP + 2;
#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

// A caption as the user reads it: "&" marks the mnemonic, "&&" stands for "&".
std::string withoutMnemonic(const std::string& caption) {
    std::string out;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&' && ++i >= caption.size()) break;
        out += caption[i];
    }
    return out;
}

bool takesInput(ControlKind kind) noexcept {
    return kind == ControlKind::TextBox || kind == ControlKind::ComboBox || kind == ControlKind::ListBox;
}

// What a screen reader calls the control: anything but a field, box or list its own caption. A
// field, box or list is named by the label before it in tab order, or by the option or check box
// right before it whose choice it completes ("E-mail" and the address); frames, lines and buttons
// between them (a list's column headings) are passed over, another field ends the search.
std::string accessibleNameOf(const Form& form, std::size_t i) {
    const auto& controls = form.controls();
    if (!takesInput(controls[i]->kind())) return withoutMnemonic(controls[i]->caption());
    while (i-- > 0) {
        const Control& before = *controls[i];
        switch (before.kind()) {
        case ControlKind::Label:
        case ControlKind::OptionButton:
        case ControlKind::CheckBox: return withoutMnemonic(before.caption());
        case ControlKind::Frame:
        case ControlKind::Line:
        case ControlKind::Button: continue;
        default: return {};
        }
    }
    return {};
}

// What the dialog procedure needs while the dialog is being created.
struct Creation {
    FormWindow* self;
    std::exception_ptr* failure;
};

// Marks the form's state being written into the window for as long as it lives.
class Pushing {
public:
    explicit Pushing(int& depth) noexcept : depth_(depth) { ++depth_; }
    ~Pushing() { --depth_; }
    Pushing(const Pushing&) = delete;
    Pushing& operator=(const Pushing&) = delete;

private:
    int& depth_;
};

}  // namespace

FormWindow::FormWindow(Form& form, HWND owner, HINSTANCE module, Reporter report)
    : form_(form), owner_(owner), module_(module), report_(std::move(report)) {
    const std::vector<WORD> dialogTemplate = buildDialogTemplate(form);
    std::exception_ptr failure;
    Creation creation{this, &failure};
    HWND created = ::CreateDialogIndirectParamW(module, reinterpret_cast<LPCDLGTEMPLATEW>(dialogTemplate.data()),
                                                owner, &FormWindow::dialogProc, reinterpret_cast<LPARAM>(&creation));
    const DWORD error = ::GetLastError();
    if (!created || failure) {
        if (created) ::SetWindowLongPtrW(created, DWLP_USER, 0);
        window_.reset();
        if (failure) std::rethrow_exception(failure);
        throw errorFromHresult(HRESULT_FROM_WIN32(error ? error : ERROR_CANNOT_MAKE));
    }
    form_.setObserver(this);
}

FormWindow::~FormWindow() {
    if (!formGone_) form_.setObserver(nullptr);
    hideWindow();
    if (window_) ::SetWindowLongPtrW(window_.get(), DWLP_USER, 0);
    window_.reset();
}

INT_PTR CALLBACK FormWindow::dialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        const auto* creation = reinterpret_cast<const Creation*>(lParam);
        FormWindow* self = creation->self;
        try {
            self->initialize(dialog);
            ::SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
        } catch (...) {
            *creation->failure = std::current_exception();
        }
        return FALSE;  // the focus is set when the dialog is shown
    }
    auto* self = reinterpret_cast<FormWindow*>(::GetWindowLongPtrW(dialog, DWLP_USER));
    return self ? self->handleMessage(message, wParam, lParam) : FALSE;
}

void FormWindow::initialize(HWND dialog) {
    window_.reset(dialog);
    const auto& controls = form_.controls();
    controls_.resize(controls.size());
    for (std::size_t i = 0; i < controls.size(); ++i) {
        controls_[i] = ::GetDlgItem(dialog, kFirstControlId + static_cast<int>(i));
        const Control& c = *controls[i];
        if (c.kind() != ControlKind::Label && c.kind() != ControlKind::Frame && c.kind() != ControlKind::Line &&
            c.kind() != ControlKind::Picture) {
            const auto name = [this, i] { return formGone_ ? std::wstring() : widen(accessibleNameOf(form_, i)); };
            giveAccessibleName(controls_[i], name);
            // A combo box that takes typed text has the focus in its own field, which is named alike.
            if (const HWND edit = editOf(i); edit && edit != controls_[i]) giveAccessibleName(edit, name);
        }
        if (c.kind() == ControlKind::Frame || c.kind() == ControlKind::Line) {
            // Frames and lines lie beneath the controls they surround.
            ::SetWindowPos(controls_[i], HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        } else if (c.kind() == ControlKind::ListBox && !c.columns().starts.empty()) {
            // Items as high as a line of the list's font: the list draws them itself.
            HDC dc = ::GetDC(controls_[i]);
            const HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(controls_[i], WM_GETFONT, 0, 0)));
            TEXTMETRICW metrics{};
            ::GetTextMetricsW(dc, &metrics);
            ::SelectObject(dc, old);
            ::ReleaseDC(controls_[i], dc);
            ::SendMessageW(controls_[i], LB_SETITEMHEIGHT, 0, std::max<LPARAM>(1, metrics.tmHeight));
        } else if (c.kind() == ControlKind::ListBox) {
            const int stop = kListTabStop;
            ::SendMessageW(controls_[i], LB_SETTABSTOPS, 1, reinterpret_cast<LPARAM>(&stop));
        }
    }
    showIcon();
    pushAll();
    centreOnOwner();
}

// The product icon drawn for the dialog's scaling (the icon file carries it from 16 to 64 pixels),
// in every picture of the form.
void FormWindow::showIcon() {
    const auto& controls = form_.controls();
    if (std::none_of(controls.begin(), controls.end(), [](const auto& c) { return c->kind() == ControlKind::Picture; }))
        return;
    const int size = iconSizeAt(dpiOf(window_.get()));
    unique_hicon icon(static_cast<HICON>(
        ::LoadImageW(module_, MAKEINTRESOURCEW(TELVORA_PRODUCT_ICON), IMAGE_ICON, size, size, 0)));
    for (std::size_t i = 0; i < controls.size(); ++i) {
        if (controls[i]->kind() != ControlKind::Picture) continue;
        ::SendMessageW(controls_[i], STM_SETICON,
                       reinterpret_cast<WPARAM>(icon ? icon.get() : ::LoadIconW(nullptr, IDI_APPLICATION)), 0);
    }
    // The pictures show the new icon before the old one goes.
    icon_ = std::move(icon);
}

// The dialog moved to a monitor of another scaling and the dialog manager laid it out anew with its
// font: the form's own fonts, the icon and the lists' widths follow. The old fonts go only once no
// control uses them.
void FormWindow::scalingChanged() {
    const auto oldFonts = std::exchange(fonts_, {});
    const Pushing pushing(pushing_);
    for (std::size_t i = 0; i < controls_.size(); ++i) {
        pushFont(i);
        updateListExtent(i);
    }
    showIcon();
}

void FormWindow::centreOnOwner() {
    RECT dialog{};
    ::GetWindowRect(window_.get(), &dialog);
    HMONITOR monitor = ::MonitorFromWindow(owner_ ? owner_ : window_.get(), MONITOR_DEFAULTTOPRIMARY);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    ::GetMonitorInfoW(monitor, &info);
    RECT around = info.rcWork;
    if (owner_ && ::IsWindowVisible(owner_) && !::IsIconic(owner_)) ::GetWindowRect(owner_, &around);
    const int width = dialog.right - dialog.left;
    const int height = dialog.bottom - dialog.top;
    int x = around.left + (around.right - around.left - width) / 2;
    int y = around.top + (around.bottom - around.top - height) / 2;
    // Never off the screen, whatever the owner's position: the caption stays reachable.
    x = std::max(static_cast<int>(info.rcWork.left), std::min(x, static_cast<int>(info.rcWork.right) - width));
    y = std::max(static_cast<int>(info.rcWork.top), std::min(y, static_cast<int>(info.rcWork.bottom) - height));
    ::SetWindowPos(window_.get(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND FormWindow::handleOf(const Control& control) const noexcept {
    if (formGone_ || &control.form() != &form_) return nullptr;
    const std::size_t i = indexOf(control);
    return i < controls_.size() ? controls_[i] : nullptr;
}

bool FormWindow::showing() const noexcept {
    return !formGone_ && form_.loaded() && form_.visible() && window_ && ::IsWindow(window_.get());
}

void FormWindow::show() {
    if (owner_ && ::IsWindowEnabled(owner_)) {
        ::EnableWindow(owner_, FALSE);
        ownerDisabled_ = true;
    }
    {
        // Activating the dialog gives the focus to its first tab stop; the form's own choice of
        // focus follows, and only it counts.
        const Pushing pushing(pushing_);
        ::ShowWindow(window_.get(), SW_SHOW);
        ::SetForegroundWindow(window_.get());
        pushFocus();
    }
    if (!form_.focused()) ::SendMessageW(window_.get(), WM_NEXTDLGCTL, 0, FALSE);
    ::UpdateWindow(window_.get());
}

void FormWindow::hideWindow() noexcept {
    if (!window_) return;
    const bool wasActive = ::GetActiveWindow() == window_.get();
    // The owner first, so that the activation goes back to it rather than to another program.
    if (ownerDisabled_) {
        ::EnableWindow(owner_, TRUE);
        ownerDisabled_ = false;
    }
    if (::IsWindowVisible(window_.get())) ::ShowWindow(window_.get(), SW_HIDE);
    if (wasActive && owner_ && ::IsWindowVisible(owner_) && ::IsWindowEnabled(owner_)) ::SetActiveWindow(owner_);
}

template <class Action>
void FormWindow::deliver(Action&& action) noexcept {
    if (formGone_) return;
    try {
        // While the form's own state is being written into the window, the window's caret is
        // the dialog manager's doing, not the user's.
        if (!pushing_) pullSelection();
        std::forward<Action>(action)();
    } catch (...) {
        report(currentAsRuntimeError());
    }
}

void FormWindow::report(const RuntimeError& e) noexcept {
    try {
        if (report_) report_(e);
    } catch (...) {
        // Nothing more can be said when even the report fails; the dialog stays usable.
    }
}

INT_PTR FormWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        switch (message) {
        case WM_COMMAND:
            command(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
            return TRUE;
        case WM_CLOSE:
            deliver([this] { form_.closeFromFrame(); });
            return TRUE;
        case kRestoreChoice:
            if (wParam < controls_.size()) {
                const Pushing pushing(pushing_);
                pushListIndex(wParam);
                pushText(wParam);
            }
            return TRUE;
        case WM_HELP:
            // F1 reaches the form's KeyDown through the key preview; the dialog adds nothing.
            return TRUE;
        case WM_DPICHANGED:
            // The dialog manager rescales the dialog and its font first.
            ::PostMessageW(window_.get(), kScalingChanged, 0, 0);
            return FALSE;
        case kScalingChanged:
            scalingChanged();
            return TRUE;
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORLISTBOX: {
            const int i = controlAt(reinterpret_cast<HWND>(lParam));
            if (i < 0) return FALSE;
            const Control& c = *form_.controls()[static_cast<std::size_t>(i)];
            // The list a combo box drops keeps the window colour.
            if (message == WM_CTLCOLORLISTBOX && c.kind() == ControlKind::ComboBox) return FALSE;
            auto dc = reinterpret_cast<HDC>(wParam);
            ::SetBkColor(dc, colourOf(c.backColor()));
            if (c.enabled()) ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
            return reinterpret_cast<INT_PTR>(brushFor(c.backColor()));
        }
        case WM_DRAWITEM: {
            const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            if (item.CtlType == ODT_LISTBOX) drawListItem(item);
            else drawLink(item);
            return TRUE;
        }
        case WM_SETCURSOR: {
            const int i = controlAt(reinterpret_cast<HWND>(wParam));
            if (i >= 0 && form_.controls()[static_cast<std::size_t>(i)]->kind() == ControlKind::LinkLabel &&
                ::IsWindowEnabled(reinterpret_cast<HWND>(wParam))) {
                ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
                ::SetWindowLongPtrW(window_.get(), DWLP_MSGRESULT, TRUE);
                return TRUE;
            }
            return FALSE;
        }
        default: return FALSE;
        }
    } catch (...) {
        report(currentAsRuntimeError());
        return FALSE;
    }
}

void FormWindow::command(int id, int code, HWND) {
    if (formGone_) return;
    const auto& controls = form_.controls();
    if (id == IDCANCEL) {
        // Escape: the cancel button, if the form has one the user could click.
        for (const auto& c : controls) {
            if (c->isCancel() && c->visible() && c->enabled()) {
                deliver([&c] { c->fireClick(); });
                return;
            }
        }
        return;
    }
    const int index = id - kFirstControlId;
    if (index < 0 || static_cast<std::size_t>(index) >= controls.size()) return;
    Control& c = *controls[static_cast<std::size_t>(index)];
    const HWND h = controls_[static_cast<std::size_t>(index)];
    switch (c.kind()) {
    case ControlKind::Button:
    case ControlKind::LinkLabel:
    case ControlKind::CheckBox:
    case ControlKind::OptionButton:
        if (code == BN_SETFOCUS) {
            focusMovedByUser(c);
        } else if (code == BN_CLICKED && !pushing_ && c.visible() && c.enabled()) {
            if (c.kind() == ControlKind::CheckBox) {
                deliver([&c] { c.setValue(c.value() == 0 ? 1 : 0); });
            } else if (c.kind() == ControlKind::OptionButton) {
                deliver([&c] { c.setValue(1); });  // choosing the chosen option again changes nothing
            } else {
                deliver([&c] { c.fireClick(); });
            }
        }
        break;
    case ControlKind::TextBox:
        if (code == EN_SETFOCUS) {
            focusMovedByUser(c);
        } else if (code == EN_CHANGE && !pushing_) {
            deliver([&] { c.setText(narrow(windowText(h))); });
        }
        break;
    case ControlKind::ComboBox:
        if (code == CBN_SETFOCUS) {
            focusMovedByUser(c);
        } else if (code == CBN_EDITCHANGE && !pushing_) {
            deliver([&] { c.setText(narrow(windowText(h))); });
        } else if (code == CBN_SELCHANGE && !pushing_) {
            const int chosen = static_cast<int>(::SendMessageW(h, CB_GETCURSEL, 0, 0));
            if (c.locked()) {
                // A locked box shows its choice but does not let the user change it: once the
                // combo box has finished showing the item chosen, the form's choice comes back.
                ::PostMessageW(window_.get(), kRestoreChoice, static_cast<WPARAM>(index), 0);
            } else if (chosen >= 0) {
                deliver([&] { c.setListIndex(chosen); });
            }
        } else if (code == CBN_DROPDOWN && c.locked()) {
            ::PostMessageW(h, CB_SHOWDROPDOWN, FALSE, 0);
        }
        break;
    case ControlKind::ListBox:
        if (code == LBN_SETFOCUS) {
            focusMovedByUser(c);
        } else if (code == LBN_SELCHANGE && !pushing_) {
            const int chosen = static_cast<int>(::SendMessageW(h, LB_GETCURSEL, 0, 0));
            deliver([&] { c.setListIndex(chosen); });
        } else if (code == LBN_DBLCLK) {
            deliver([&c] {
                if (c.onDblClick) c.onDblClick();
            });
        }
        break;
    case ControlKind::Label:
    case ControlKind::Picture:
        if (code == STN_CLICKED && c.enabled()) deliver([&c] { c.fireClick(); });
        break;
    case ControlKind::Frame:
    case ControlKind::Line: break;
    }
}

// The focus moved in the window: the form follows, unless the move was the form's own doing (or
// the dialog manager's while the form's state was being written in).
void FormWindow::focusMovedByUser(Control& c) {
    if (!pushing_) deliver([&] { form_.focusMovedByUser(c); });
}

bool FormWindow::translate(MSG& msg) {
    if (!showing()) return false;
    const HWND dialog = window_.get();
    if (msg.hwnd != dialog && !::IsChild(dialog, msg.hwnd)) return false;
    if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) {
        int keyCode = static_cast<int>(msg.wParam);
        const int shift = shiftState();
        deliver([&] { form_.keyDown(keyCode, shift); });
        // The form or the control used the key up, or it closed the form.
        if (keyCode == 0 || !showing()) return true;
        Control* focused = form_.focused();
        if (focused && shift == 0) {
            if (focused->kind() == ControlKind::LinkLabel && msg.wParam == VK_RETURN) {
                deliver([focused] { focused->fireClick(); });
                return true;
            }
            if (focused->kind() == ControlKind::OptionButton && isOptionArrow(msg.wParam)) {
                moveWithinOptionGroup(*focused, msg.wParam == VK_DOWN || msg.wParam == VK_RIGHT);
                return true;
            }
        }
    }
    return ::IsDialogMessageW(dialog, &msg) != FALSE;
}

bool FormWindow::moveWithinOptionGroup(Control& from, bool forward) {
    std::vector<Control*> group;
    for (const auto& c : form_.controls()) {
        if (c->kind() == ControlKind::OptionButton && c->group() == from.group() && c->visible() && c->enabled())
            group.push_back(c.get());
    }
    const auto at = std::find(group.begin(), group.end(), &from);
    if (group.size() < 2 || at == group.end()) return false;
    const std::size_t here = static_cast<std::size_t>(at - group.begin());
    Control* next = group[(here + (forward ? 1 : group.size() - 1)) % group.size()];
    deliver([next] {
        next->setFocus();
        next->setValue(1);
    });
    return true;
}

void FormWindow::pullSelection() noexcept {
    Control* c = form_.focused();
    if (!c || !(c->kind() == ControlKind::TextBox || c->kind() == ControlKind::ComboBox)) return;
    const HWND edit = editOf(indexOf(*c));
    if (!edit) return;
    try {
        DWORD start = 0, end = 0;
        ::SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        const std::wstring text = windowText(edit);
        const int from = characterIndexOf(text, start);
        c->takeSelectionFromHost(from, characterIndexOf(text, end) - from);
    } catch (...) {
        // Without memory for the text the form keeps the last caret it knew.
    }
}

void FormWindow::changed(Control* control, Change what, int index) noexcept {
    if (!window_) return;
    try {
        if (control) {
            if (&control->form() == &form_) push(*control, what, index);
            return;
        }
        switch (what) {
        case Change::Caption: setWindowText(window_.get(), widen(form_.caption())); break;
        case Change::Hidden:
        case Change::Unloaded: hideWindow(); break;
        case Change::Destroyed:
            formGone_ = true;
            hideWindow();
            break;
        default: break;
        }
    } catch (...) {
        // Out of memory while repainting: the next change brings the window up to date.
    }
}

void FormWindow::push(Control& control, Change what, int index) {
    const std::size_t i = indexOf(control);
    if (i >= controls_.size()) return;
    const HWND h = controls_[i];
    const Pushing pushing(pushing_);
    switch (what) {
    case Change::Text: pushText(i); break;
    case Change::Enabled:
        ::EnableWindow(h, control.enabled());
        if (control.kind() == ControlKind::OptionButton) updateOptionTabStops();
        keepFocusUsable();
        break;
    case Change::Visible:
        ::ShowWindow(h, control.visible() ? SW_SHOWNA : SW_HIDE);
        if (control.kind() == ControlKind::OptionButton) updateOptionTabStops();
        keepFocusUsable();
        break;
    case Change::Locked:
        if (const HWND edit = editOf(i)) ::SendMessageW(edit, EM_SETREADONLY, control.locked(), 0);
        ::InvalidateRect(h, nullptr, TRUE);
        break;
    case Change::BackColor:
        ::InvalidateRect(h, nullptr, TRUE);
        if (const HWND edit = editOf(i); edit && edit != h) ::InvalidateRect(edit, nullptr, TRUE);
        break;
    case Change::Font: pushFont(i); break;
    case Change::Default:
        if (control.isDefault()) {
            ::SendMessageW(window_.get(), DM_SETDEFID, kFirstControlId + static_cast<WPARAM>(i), 0);
        } else if (LOWORD(::SendMessageW(window_.get(), DM_GETDEFID, 0, 0)) == kFirstControlId + i) {
            // No default button now: Return reaches the dialog as IDOK, which nothing answers.
            ::SendMessageW(window_.get(), DM_SETDEFID, IDOK, 0);
            ::SendMessageW(h, BM_SETSTYLE, BS_PUSHBUTTON | BS_NOTIFY, TRUE);
        }
        break;
    case Change::Value:
        ::SendMessageW(h, BM_SETCHECK, control.value() != 0 ? BST_CHECKED : BST_UNCHECKED, 0);
        if (control.kind() == ControlKind::OptionButton) updateOptionTabStops();
        break;
    case Change::ListIndex: pushListIndex(i); break;
    case Change::Selection: pushSelection(i); break;
    case Change::Focus: pushFocus(); break;
    case Change::ItemAdded: {
        const UINT add = control.kind() == ControlKind::ListBox ? LB_ADDSTRING : CB_ADDSTRING;
        const UINT count = control.kind() == ControlKind::ListBox ? LB_GETCOUNT : CB_GETCOUNT;
        if (::SendMessageW(h, count, 0, 0) != index) {
            pushItems(i);
        } else {
            const std::wstring item = widen(control.items()[static_cast<std::size_t>(index)]);
            ::SendMessageW(h, add, 0, reinterpret_cast<LPARAM>(item.c_str()));
            updateListExtent(i, index);
        }
        break;
    }
    case Change::ItemChanged: {
        // One entry replaced in place: sorting a long list swaps thousands of them.
        const bool list = control.kind() == ControlKind::ListBox;
        const std::wstring item = widen(control.items()[static_cast<std::size_t>(index)]);
        ::SendMessageW(h, list ? LB_DELETESTRING : CB_DELETESTRING, static_cast<WPARAM>(index), 0);
        ::SendMessageW(h, list ? LB_INSERTSTRING : CB_INSERTSTRING, static_cast<WPARAM>(index),
                       reinterpret_cast<LPARAM>(item.c_str()));
        if (index == control.listIndex()) pushListIndex(i);
        if (list) updateListExtent(i, index);
        break;
    }
    case Change::ItemsCleared:
        ::SendMessageW(h, control.kind() == ControlKind::ListBox ? LB_RESETCONTENT : CB_RESETCONTENT, 0, 0);
        updateListExtent(i);
        break;
    default: break;
    }
}

void FormWindow::pushAll() {
    const Pushing pushing(pushing_);
    const auto& controls = form_.controls();
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const Control& c = *controls[i];
        const HWND h = controls_[i];
        pushFont(i);
        if (c.kind() == ControlKind::ListBox || c.kind() == ControlKind::ComboBox) pushItems(i);
        pushText(i);
        if (c.kind() == ControlKind::CheckBox || c.kind() == ControlKind::OptionButton)
            ::SendMessageW(h, BM_SETCHECK, c.value() != 0 ? BST_CHECKED : BST_UNCHECKED, 0);
        if (const HWND edit = editOf(i)) ::SendMessageW(edit, EM_SETREADONLY, c.locked(), 0);
        if (c.kind() == ControlKind::Button && c.isDefault())
            ::SendMessageW(window_.get(), DM_SETDEFID, kFirstControlId + static_cast<WPARAM>(i), 0);
    }
    updateOptionTabStops();
    for (std::size_t i = 0; i < controls.size(); ++i) pushSelection(i);
}

void FormWindow::pushText(std::size_t i) {
    const Control& c = *form_.controls()[i];
    const HWND h = controls_[i];
    switch (c.kind()) {
    case ControlKind::ComboBox:
        if (c.comboStyle() == ComboStyle::DropDownList) {
            pushListIndex(i);
        } else {
            setWindowText(h, widen(c.text()));
        }
        break;
    case ControlKind::ListBox:
    case ControlKind::Line:
    case ControlKind::Picture: break;
    default: setWindowText(h, widen(c.text())); break;
    }
}

void FormWindow::pushItems(std::size_t i) {
    const Control& c = *form_.controls()[i];
    const HWND h = controls_[i];
    const bool list = c.kind() == ControlKind::ListBox;
    ::SendMessageW(h, WM_SETREDRAW, FALSE, 0);
    ::SendMessageW(h, list ? LB_RESETCONTENT : CB_RESETCONTENT, 0, 0);
    for (const auto& item : c.items()) {
        const std::wstring text = widen(item);
        ::SendMessageW(h, list ? LB_ADDSTRING : CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    ::SendMessageW(h, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(h, nullptr, TRUE);
    pushListIndex(i);
    if (!list) pushText(i);
    updateListExtent(i);
}

void FormWindow::pushListIndex(std::size_t i) {
    const Control& c = *form_.controls()[i];
    const HWND h = controls_[i];
    if (c.kind() == ControlKind::ListBox) {
        ::SendMessageW(h, LB_SETCURSEL, static_cast<WPARAM>(c.listIndex()), 0);
    } else if (c.kind() == ControlKind::ComboBox) {
        ::SendMessageW(h, CB_SETCURSEL, static_cast<WPARAM>(c.listIndex()), 0);
        // Choosing sets the field to the item; a typed text that differs stays what the form says.
        if (c.comboStyle() == ComboStyle::DropDownCombo) setWindowText(h, widen(c.text()));
    }
}

void FormWindow::pushSelection(std::size_t i) {
    const Control& c = *form_.controls()[i];
    const HWND edit = editOf(i);
    if (!edit) return;
    const std::wstring text = windowText(edit);
    const std::size_t start = unitIndexOf(text, std::max(c.selStart(), 0));
    const std::size_t end = unitIndexOf(text, std::max(c.selStart(), 0) + std::max(c.selLength(), 0));
    ::SendMessageW(edit, EM_SETSEL, start, static_cast<LPARAM>(end));
}

void FormWindow::pushFont(std::size_t i) {
    const Control& c = *form_.controls()[i];
    if (c.font().name.empty() && c.kind() != ControlKind::LinkLabel) {
        const auto dialogFont = static_cast<WPARAM>(::SendMessageW(window_.get(), WM_GETFONT, 0, 0));
        ::SendMessageW(controls_[i], WM_SETFONT, dialogFont, TRUE);
    } else {
        ::SendMessageW(controls_[i], WM_SETFONT, reinterpret_cast<WPARAM>(fontFor(c, false)), TRUE);
    }
}

void FormWindow::pushFocus() {
    Control* c = form_.focused();
    if (!c || !::IsWindowVisible(window_.get())) return;
    const HWND h = controls_[indexOf(*c)];
    const HWND now = ::GetFocus();
    if (now == h || ::IsChild(h, now) || !::IsWindowVisible(h) || !::IsWindowEnabled(h)) return;
    ::SendMessageW(window_.get(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(h), TRUE);
    // The dialog manager selects a field's whole text as it gives it the focus; a form that moves
    // the focus keeps the field's own selection, as its handlers set it.
    pushSelection(indexOf(*c));
}

// A control hidden or disabled while it had the focus leaves the keyboard nowhere; the next one
// in tab order takes over, as if the user had pressed Tab.
void FormWindow::keepFocusUsable() {
    const HWND focus = ::GetFocus();
    if (::GetActiveWindow() == window_.get() && (!focus || focus == window_.get()))
        ::PostMessageW(window_.get(), WM_NEXTDLGCTL, 0, FALSE);
}

// One tab stop per frame of option buttons, on its chosen option (or its first, while none is
// chosen), so Tab enters a frame at the choice and the arrow keys move within it.
void FormWindow::updateOptionTabStops() {
    const auto& controls = form_.controls();
    std::map<std::string, std::size_t> stop;
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const Control& c = *controls[i];
        if (c.kind() != ControlKind::OptionButton || !c.visible() || !c.enabled()) continue;
        auto [at, first] = stop.try_emplace(c.group(), i);
        if (!first && c.value() != 0 && controls[at->second]->value() == 0) at->second = i;
    }
    for (std::size_t i = 0; i < controls.size(); ++i) {
        if (controls[i]->kind() != ControlKind::OptionButton) continue;
        const auto at = stop.find(controls[i]->group());
        const bool tabStop = at != stop.end() && at->second == i;
        const LONG_PTR style = ::GetWindowLongPtrW(controls_[i], GWL_STYLE);
        ::SetWindowLongPtrW(controls_[i], GWL_STYLE, tabStop ? (style | WS_TABSTOP) : (style & ~LONG_PTR{WS_TABSTOP}));
    }
}

// A list wider than its box scrolls sideways instead of cutting its columns off. The extent grows
// with each entry measured (all of them, or only `item`) and starts again when the list is refilled.
void FormWindow::updateListExtent(std::size_t i, int item) {
    const Control& c = *form_.controls()[i];
    // A list with columns cuts each text at its column: it never scrolls sideways.
    if (c.kind() != ControlKind::ListBox || !c.columns().starts.empty()) return;
    const HWND h = controls_[i];
    HDC dc = ::GetDC(h);
    if (!dc) return;
    const HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(h, WM_GETFONT, 0, 0)));
    RECT stop{0, 0, kListTabStop, 0};
    ::MapDialogRect(window_.get(), &stop);
    const int tabStop = std::max(1, static_cast<int>(stop.right));
    const int margin = scaled(kListMargin, dpiOf(h));
    auto measure = [&](const std::string& entry) {
        const std::wstring text = widen(entry);
        const DWORD size = ::GetTabbedTextExtentW(dc, text.c_str(), static_cast<int>(text.size()), 1, &tabStop);
        return static_cast<int>(LOWORD(size));
    };
    int widest = 0;
    if (item >= 0) {
        widest = std::max(static_cast<int>(::SendMessageW(h, LB_GETHORIZONTALEXTENT, 0, 0)),
                          measure(c.items()[static_cast<std::size_t>(item)]) + margin);
    } else {
        for (const auto& entry : c.items()) widest = std::max(widest, measure(entry) + margin);
    }
    ::SelectObject(dc, old);
    ::ReleaseDC(h, dc);
    ::SendMessageW(h, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest), 0);
}

std::size_t FormWindow::indexOf(const Control& control) const noexcept {
    const auto& controls = form_.controls();
    for (std::size_t i = 0; i < controls.size(); ++i) {
        if (controls[i].get() == &control) return i;
    }
    return controls.size();
}

int FormWindow::controlAt(HWND window) const noexcept {
    for (HWND w = window; w && w != window_.get(); w = ::GetParent(w)) {
        const auto at = std::find(controls_.begin(), controls_.end(), w);
        if (at != controls_.end()) return static_cast<int>(at - controls_.begin());
    }
    return -1;
}

HWND FormWindow::editOf(std::size_t i) const noexcept {
    if (i >= controls_.size()) return nullptr;
    const Control& c = *form_.controls()[i];
    if (c.kind() == ControlKind::TextBox) return controls_[i];
    if (c.kind() != ControlKind::ComboBox || c.comboStyle() != ComboStyle::DropDownCombo) return nullptr;
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    return ::GetComboBoxInfo(controls_[i], &info) ? info.hwndItem : nullptr;
}

HBRUSH FormWindow::brushFor(std::uint32_t colour) {
    if (colour & 0x80000000u) return ::GetSysColorBrush(static_cast<int>(colour & 0xFFu));
    auto& brush = brushes_[colour];
    if (!brush) brush.reset(::CreateSolidBrush(colourOf(colour)));
    return brush.get();
}

HFONT FormWindow::fontFor(const Control& control, bool underlined) {
    const Font& font = control.font();
    auto& slot = fonts_[FontKey{font.name, font.size, font.bold, underlined}];
    if (slot) return slot.get();
    LOGFONTW log{};
    const auto dialogFont = reinterpret_cast<HFONT>(::SendMessageW(window_.get(), WM_GETFONT, 0, 0));
    ::GetObjectW(dialogFont, sizeof log, &log);
    if (!font.name.empty()) {
        const std::wstring face = widen(font.name).substr(0, LF_FACESIZE - 1);
        std::fill(std::begin(log.lfFaceName), std::end(log.lfFaceName), L'\0');
        std::copy(face.begin(), face.end(), log.lfFaceName);
        if (font.size > 0) {
            log.lfHeight = -static_cast<LONG>(std::lround(font.size * dpiOf(window_.get()) / 72.0));
            log.lfWidth = 0;
        }
        log.lfWeight = font.bold ? FW_BOLD : FW_NORMAL;
    }
    log.lfUnderline = underlined ? TRUE : FALSE;
    slot.reset(::CreateFontIndirectW(&log));
    return slot ? slot.get() : dialogFont;
}

void FormWindow::drawLink(const DRAWITEMSTRUCT& item) {
    const int i = controlAt(item.hwndItem);
    if (i < 0) return;
    const Control& c = *form_.controls()[static_cast<std::size_t>(i)];
    HDC dc = item.hDC;
    RECT area = item.rcItem;
    ::FillRect(dc, &area, brushFor(c.backColor()));
    const HGDIOBJ old = ::SelectObject(dc, fontFor(c, true));
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, (item.itemState & ODS_DISABLED) ? ::GetSysColor(COLOR_GRAYTEXT) : kLinkBlue);
    // Link texts are data (addresses, times), shown as they are: no "&" mnemonics.
    const std::wstring text = widen(c.text());
    const UINT format = DT_LEFT | DT_WORDBREAK | DT_NOPREFIX;
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &area, format);
    if (item.itemState & ODS_FOCUS) {
        RECT bounds = item.rcItem;
        ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &bounds, format | DT_CALCRECT);
        bounds.right = std::min(bounds.right + 1, item.rcItem.right);
        bounds.bottom = std::min(bounds.bottom, item.rcItem.bottom);
        ::DrawFocusRect(dc, &bounds);
    }
    ::SelectObject(dc, old);
}

// One item of a list with columns: each of its texts from its column's start, cut (with an
// ellipsis) where the next column starts, in the list's colours, chosen or not.
void FormWindow::drawListItem(const DRAWITEMSTRUCT& item) {
    const int i = controlAt(item.hwndItem);
    if (i < 0) return;
    const Control& c = *form_.controls()[static_cast<std::size_t>(i)];
    HDC dc = item.hDC;
    const bool chosen = (item.itemState & ODS_SELECTED) != 0;
    const bool enabled = (item.itemState & ODS_DISABLED) == 0;
    ::FillRect(dc, &item.rcItem, chosen ? ::GetSysColorBrush(COLOR_HIGHLIGHT) : brushFor(c.backColor()));
    if (item.itemID < c.items().size()) {
        const HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(item.hwndItem, WM_GETFONT, 0, 0)));
        ::SetBkMode(dc, TRANSPARENT);
        ::SetTextColor(dc, ::GetSysColor(!enabled ? COLOR_GRAYTEXT : chosen ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
        const auto& columns = c.columns();
        const auto texts = columns.texts ? columns.texts(c.items()[item.itemID]) : std::vector<std::string>{c.items()[item.itemID]};
        // The columns' starts are the dialog's units; the list's client area starts at its own left edge.
        RECT frame{};
        ::GetWindowRect(item.hwndItem, &frame);
        POINT client{0, 0};
        ::ClientToScreen(item.hwndItem, &client);
        const int border = client.x - frame.left;
        for (std::size_t k = 0; k < texts.size() && k < columns.starts.size(); ++k) {
            RECT from{columns.starts[k], 0, k + 1 < columns.starts.size() ? columns.starts[k + 1] : 0, 0};
            ::MapDialogRect(window_.get(), &from);
            RECT cell = item.rcItem;
            cell.left = std::max(cell.left, item.rcItem.left + from.left - border + kListMargin / 2);
            if (k + 1 < columns.starts.size()) cell.right = std::min(cell.right, item.rcItem.left + from.right - border - 1);
            const std::wstring text = widen(texts[k]);
            ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &cell,
                        DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS | DT_EXPANDTABS);
        }
        ::SelectObject(dc, old);
    }
    if (item.itemState & ODS_FOCUS) ::DrawFocusRect(dc, &item.rcItem);
}

}  // namespace telvora::win32
