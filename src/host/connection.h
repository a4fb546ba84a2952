// The add-in connection's work: what happens when Word loads the add-in, activates a window and
// unloads the add-in. Word hands over its application object on loading; the real start-up waits
// for the first window that is not an e-mail editor, so Word's own start is not slowed by it.
#pragma once

#include <memory>

#include "app/addin.h"
#include "host/ribbon.h"
#include "ports/automation.h"
#include "ports/word.h"

namespace telvora {

inline constexpr const char* kUnsupportedSystemMessage =
    "Telvora does not support your Operating System. It only works with Windows 2000, Windows XP, Windows 2003 "
    "or later";
inline constexpr const char* kTemplateMissingMessage =
    "The template that supports Telvora could not be found. You will not be able to access any of its features. "
    "\r\n\r\nIt is recommended that you reinstall Telvora.";
// The companion template in the add-in's folder: its toolbar and macros are the add-in's buttons.
inline constexpr const char* kTemplateFileName = "Telvora.dot";

// Windows 2000, XP or Server 2003 at their release builds, or any NT system from version 6 on. A
// version query that fails counts as an unsupported system.
bool IsSupportedSystem(Addin& addin);

class AddinConnection {
public:
    explicit AddinConnection(Addin& addin) : addin_(addin) {}
    // A connection Word never ended still lets go of Word and of its event.
    ~AddinConnection();
    AddinConnection(const AddinConnection&) = delete;
    AddinConnection& operator=(const AddinConnection&) = delete;

    // Keeps Word's application for the add-in (the commands work on it too) and subscribes to its
    // window activations. Nothing else: Word is still starting. A connection made anew starts
    // uninitialised.
    void OnConnection(std::shared_ptr<word::Application> word);
    // Closes the help windows and lets go of Word, its event and the template's add-in entry
    // (the template stays in Word's list).
    void OnDisconnection();
    // The start-up, at the first activation of a window it can run in; later activations do nothing.
    void WindowActivate(const std::shared_ptr<word::Document>& document, const std::shared_ptr<word::Window>& window);

    bool initialised() const noexcept { return initialised_; }
    bool connected() const noexcept { return word_ != nullptr; }

    // The ribbon (Word 2007 and later, which ask for it right after connecting; earlier Words never
    // do). Answers the customUI for `ribbonId`; once the tab is answered, the toolbar is shown
    // beside it only as the user's setting says.
    std::string GetCustomUI(const std::string& ribbonId);
    bool ribbonShown() const noexcept { return ribbonShown_; }
    // Word hands over the ribbon once it has built the tab: its Invalidate makes Word ask again
    // which buttons are enabled.
    void RibbonLoaded(std::shared_ptr<AutomationObject> ribbon);
    // A button clicked: the command the toolbar's button runs. Word hands over the control.
    void RibbonAction(AutomationObject& control);
    // Whether the button can be clicked now: one that works on a document needs one open.
    bool RibbonEnabled(AutomationObject& control);
    // The button Word hands over (its picture, its size); raises 5 for a control not on the tab.
    const RibbonButton& RibbonButtonOf(AutomationObject& control);
    // Documents opened, closed or brought to the front: Word asks the buttons again.
    void RefreshRibbon() noexcept;

private:
    void startUp(word::Window& window);
    void loadTemplate(const std::string& path);
    void release() noexcept;

    Addin& addin_;
    std::shared_ptr<word::Application> word_;
    std::shared_ptr<word::AddIn> template_;
    std::shared_ptr<AutomationObject> ribbon_;
    bool initialised_ = false;
    bool ribbonShown_ = false;
};

}  // namespace telvora
