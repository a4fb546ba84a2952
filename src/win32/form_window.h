// One form shown as a real Windows dialog: the window built from the form's controls, kept in step
// with the form both ways (what the user does raises the form's events; what a handler changes
// shows at once), with the fonts, brushes and icon it needs, all released when it goes.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "base/errors.h"
#include "forms/form.h"
#include "win32/gui_handles.h"

namespace telvora::win32 {

class FormWindow final : private FormObserver {
public:
    // How a failed event handler is reported; the dialog stays up and usable.
    using Reporter = std::function<void(const RuntimeError&)>;

    // Creates the dialog, hidden, owned by `owner` (which may be null) and centred on it. Raises
    // when Windows cannot create it.
    FormWindow(Form& form, HWND owner, HINSTANCE module, Reporter report);
    ~FormWindow() override;
    FormWindow(const FormWindow&) = delete;
    FormWindow& operator=(const FormWindow&) = delete;

    HWND handle() const noexcept { return window_.get(); }
    HWND owner() const noexcept { return owner_; }
    // The window of one of the form's controls; null for a control of another form.
    HWND handleOf(const Control& control) const noexcept;
    // Whether this window shows `form` (and the form still exists).
    bool shows(const Form& form) const noexcept { return !formGone_ && &form_ == &form; }

    // The form is still up: not hidden, unloaded or destroyed, and its window still exists.
    bool showing() const noexcept;
    bool onScreen() const noexcept { return ::IsWindowVisible(window_.get()) != FALSE; }

    // Shows the dialog with the form's focus and disables the owner while it is up.
    void show();

    // For a message the modal loop took from the queue: the form's key preview (the form, then
    // the focused control, see every key before the control does) and the dialog's keyboard
    // handling. Answers whether the message was used up.
    bool translate(MSG& msg);

private:
    static INT_PTR CALLBACK dialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void initialize(HWND dialog);
    void showIcon();
    void scalingChanged();
    void command(int id, int code, HWND from);
    void hideWindow() noexcept;
    void centreOnOwner();

    // Runs what the user's action means for the form; a run-time error is reported, never lost
    // and never allowed out through the window system.
    template <class Action>
    void deliver(Action&& action) noexcept;
    void report(const RuntimeError& e) noexcept;
    // The caret of the focused field, as the form will be asked for it.
    void pullSelection() noexcept;
    bool moveWithinOptionGroup(Control& from, bool forward);
    void focusMovedByUser(Control& control);

    void changed(Control* control, Change what, int index) noexcept override;
    void push(Control& control, Change what, int index);
    void pushAll();
    void pushText(std::size_t i);
    void pushItems(std::size_t i);
    void pushListIndex(std::size_t i);
    void pushSelection(std::size_t i);
    void pushFont(std::size_t i);
    void pushFocus();
    void updateOptionTabStops();
    void updateListExtent(std::size_t i, int item = -1);
    void keepFocusUsable();

    std::size_t indexOf(const Control& control) const noexcept;
    // The control a window belongs to (a combo box's field and list belong to the combo box).
    int controlAt(HWND window) const noexcept;
    HWND editOf(std::size_t i) const noexcept;
    HBRUSH brushFor(std::uint32_t colour);
    HFONT fontFor(const Control& control, bool underlined);
    void drawLink(const DRAWITEMSTRUCT& item);
    void drawListItem(const DRAWITEMSTRUCT& item);

    Form& form_;
    HWND owner_;
    HINSTANCE module_;
    Reporter report_;
    bool formGone_ = false;
    bool ownerDisabled_ = false;
    // Writing the form's state into the window makes controls report changes; those are echoes,
    // not the user.
    int pushing_ = 0;

    using FontKey = std::tuple<std::string, double, bool, bool>;
    std::map<FontKey, unique_hfont> fonts_;
    std::map<std::uint32_t, unique_hbrush> brushes_;
    unique_hicon icon_;
    std::vector<HWND> controls_;
    // Declared last so it goes first: no control may outlive the fonts it was given.
    unique_hwnd window_;
};

}  // namespace telvora::win32
