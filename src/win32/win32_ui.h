// Talking to the user on Windows: message boxes, and every form shown as a real modal dialog.
#pragma once

#include <windows.h>

#include <vector>

#include "ports/ui.h"

namespace telvora::win32 {

class FormWindow;

class Win32Ui final : public Ui {
public:
    // Dialogs are built in the module this code is linked into (Telvora.dll inside Word), whose
    // resources hold the product icon.
    Win32Ui();

    MsgResult messageBox(const std::string& prompt, MsgButtons buttons, MsgIcon icon,
                         const std::string& title) override;

    // Shows the form as a modal dialog owned by the window the user is working in (Word's, or
    // the dialog that opened this one), which is disabled while the dialog is up. Returns when the
    // form is hidden, unloaded or closed from its frame. A form hidden by one of its own handlers
    // and shown again from that handler comes back in the same window.
    void runModal(Form& form) override;

    // The window showing a form or one of its controls while it is shown; null otherwise. For
    // tests and pictures of the dialogs.
    HWND windowOf(const Form& form) const noexcept;
    HWND windowOf(const Control& control) const noexcept;

private:
    void runLoop(FormWindow& window);
    HWND chooseOwner() const noexcept;
    FormWindow* sessionFor(HWND window) const noexcept;

    HINSTANCE module_;
    // The dialogs up now, innermost last.
    std::vector<FormWindow*> sessions_;
};

}  // namespace telvora::win32
