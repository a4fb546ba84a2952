// Names for screen readers: a control's window answers Active Accessibility with the system's own
// description of it, except for its name, which the add-in gives. The system would take an input's
// name from the window before it, or a combo box's from its contents; a dialog says which label
// belongs to which field, so the name never depends on how the windows happen to lie.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace telvora::win32 {

// From now until the window goes, a screen reader asking `window` for its name hears what `name`
// answers at that moment. Raises when the window cannot be given one.
void giveAccessibleName(HWND window, std::function<std::wstring()> name);

}  // namespace telvora::win32
