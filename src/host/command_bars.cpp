// Menu entries of earlier releases, menu resets and the toolbar's visibility.
#include "host/command_bars.h"

#include "base/errors.h"

namespace telvora {
namespace {

// The entries earlier releases placed in Word's built-in menus, found by their tags.
constexpr const char* kHelpMenu = "Help";
constexpr const char* kToolsMenu = "Tools";
constexpr const char* kAboutEntry = "About Telvora";
constexpr const char* kHelpEntry = "Telvora Help";
constexpr const char* kToolsEntry = "Telvora";

template <class Step>
void runStep(Addin& addin, ToolbarErrors errors, Step&& step) {
    if (errors == ToolbarErrors::Ignore) {
        ignoreErrors(addin.diagnostics(), std::forward<Step>(step));
    } else {
        std::forward<Step>(step)();
    }
}

}  // namespace

bool RemoveMenuButton(Addin& addin, word::Application& word, const std::string& barName, const std::string& tag) {
    return succeeded(addin.diagnostics(), [&] { word.commandBars()->item(barName)->findControl(tag)->Delete(); });
}

bool RemoveMenuPopup(Addin& addin, word::Application& word, const std::string& barName, const std::string& tag) {
    std::shared_ptr<word::CommandBarControl> popup;
    if (!succeeded(addin.diagnostics(), [&] { popup = word.commandBars()->item(barName)->findControl(tag); })) return false;
    bool isPopup = false;
    if (!succeeded(addin.diagnostics(), [&] { isPopup = popup->isPopup(); }) || !isPopup) return false;
    // What the pop-up holds goes first, from the last entry back, so no entry is skipped as the
    // ones after it move up.
    ignoreErrors(addin.diagnostics(), [&] {
        const auto controls = popup->controls();
        for (std::int32_t i = controls->count(); i >= 1; --i) ignoreErrors(addin.diagnostics(), [&] { controls->item(i)->Delete(); });
    });
    return succeeded(addin.diagnostics(), [&] { popup->Delete(); });
}

void PrepareCommandBars(Addin& addin, word::Application& word, ToolbarErrors errors,
                        const std::function<void()>& markInitialised, bool ribbonShown) {
    // Both entries are looked for even when the first was not there.
    const bool aboutRemoved = RemoveMenuButton(addin, word, kHelpMenu, kAboutEntry);
    const bool helpRemoved = RemoveMenuButton(addin, word, kHelpMenu, kHelpEntry);
    const bool toolsRemoved = RemoveMenuPopup(addin, word, kToolsMenu, kToolsEntry);

    if (toolsRemoved) runStep(addin, errors, [&] { word.commandBars()->item(kToolsMenu)->Reset(); });
    if (aboutRemoved || helpRemoved) runStep(addin, errors, [&] { word.commandBars()->item(kHelpMenu)->Reset(); });

    markInitialised();

    runStep(addin, errors, [&] {
        const auto toolbar = word.commandBars()->item(kToolbarName);
        toolbar->setVisible(true);
        if (!addin.settings().showToolbar() || (ribbonShown && !addin.settings().showToolbarWithRibbon()))
            toolbar->setVisible(false);
    });
}

}  // namespace telvora
