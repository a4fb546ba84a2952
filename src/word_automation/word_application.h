// The Word port over the automation port: every port call is the call of Word's object model a
// macro would make, by member name, so the same code drives Word through IDispatch on Windows and
// any automation double in tests.
#pragma once

#include <memory>

#include "ports/automation.h"
#include "ports/word.h"

namespace telvora::word_automation {

// The identifier of WindowActivate(Doc, Wn) in Word's application events.
inline constexpr MemberId kWindowActivateEvent = 10;
// Word's error for a document-bound object asked for while no document is open.
inline constexpr std::int32_t kNoDocumentOpen = 4248;
// The control type of a pop-up menu.
inline constexpr std::int32_t msoControlPopup = 10;

// Word's application object as the Word port. `events` delivers the application's events (the
// binding's connection to them); without it the window-activation event cannot be subscribed to
// (a Word found running, which the commands only call). The port's contracts hold as they do on
// any word processor: where Word answers Nothing the call raises 91, and Word's "no document is
// open" is the port's 91 too.
std::shared_ptr<word::Application> wordApplication(std::shared_ptr<AutomationObject> application,
                                                   std::shared_ptr<AutomationEvents> events);

}  // namespace telvora::word_automation
