// The in-memory dialog template a form becomes: the dialog font ("MS Shell Dlg", 8 points), the
// form's caption and size, and every control in tab order with its window class and styles, all
// in dialog units, so Windows maps them to pixels exactly as it maps a dialog resource.
#pragma once

#include <windows.h>

#include <vector>

#include "forms/form.h"

namespace telvora::win32 {

// Control i of a form has the dialog item identifier kFirstControlId + i (clear of IDOK and
// IDCANCEL, which the dialog manager sends for Return and Escape).
inline constexpr int kFirstControlId = 1000;

// How far a combo box's list drops below its field, in dialog units.
inline constexpr int kComboListHeight = 80;

// Tab stops of a list box, in dialog units: one every ten average characters, the block a padded
// column's tabs stand for.
inline constexpr int kListTabStop = 40;

struct ControlClass {
    const wchar_t* className;
    DWORD style;  // without WS_CHILD, WS_VISIBLE and WS_DISABLED, which follow the control's state
    DWORD exStyle;
};

// The window class and styles that show a control of this kind.
ControlClass controlClassOf(const Control& control);

// The template, WORD-aligned as CreateDialogIndirectParam wants it. The dialog starts hidden.
std::vector<WORD> buildDialogTemplate(const Form& form);

}  // namespace telvora::win32
