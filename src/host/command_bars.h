// The add-in's place in Word's menus and toolbars. The toolbar and its buttons belong to the
// companion template; the add-in only removes the menu entries earlier releases put into Word's
// own menus and shows or hides the template's toolbar as the user chose.
#pragma once

#include <functional>
#include <string>

#include "app/addin.h"
#include "ports/word.h"

namespace telvora {

// The companion template's toolbar.
inline constexpr const char* kToolbarName = "Telvora";

// In the named bar, the control with the tag (its pop-ups searched too) is deleted. Answers
// whether one was; Word's errors are ignored (a missing bar or control is nothing to remove).
bool RemoveMenuButton(Addin& addin, word::Application& word, const std::string& barName, const std::string& tag);
// In the named bar, the pop-up menu with the tag goes with everything in it. Answers whether it
// went; a control with the tag that is no pop-up stays. Word's errors are ignored.
bool RemoveMenuPopup(Addin& addin, word::Application& word, const std::string& barName, const std::string& tag);

// What happens to an error of Word's while the menus are reset and the toolbar is shown or hidden.
enum class ToolbarErrors {
    Ignore,  // the template was loaded: the preparation runs to its end whatever fails
    Raise,   // no template was loaded: a missing toolbar is worth telling the user
};

// Runs once per start of the add-in in Word: removes the entries of earlier releases, resets a
// built-in menu only when such an entry was taken out of it (a reset would also throw away every
// change the user made to the menu), calls `markInitialised`, and shows the toolbar unless the
// user's "ShowToolbar" setting hides it. Beside the add-in's ribbon tab (`ribbonShown`) the toolbar,
// which Word then puts on its "Add-ins" tab, is shown only when "ShowToolbarWithRibbon" says so.
void PrepareCommandBars(Addin& addin, word::Application& word, ToolbarErrors errors,
                        const std::function<void()>& markInitialised, bool ribbonShown);

}  // namespace telvora
