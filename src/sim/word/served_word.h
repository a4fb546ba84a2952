// The in-memory word processor served as Word's object model over automation: the objects and
// members the add-in uses, each interface with fixed member identifiers as Word's are, Word's
// errors where Word raises them (a missing collection member, "no document is open", Nothing from
// FindControl), a record of every lookup and call, and failures on request. The simulator runs the
// add-in through the Word binding that ships (word_automation) over it, the Word-over-automation
// mapping is tested against it, and the Windows test host serves it over IDispatch, so the same
// documents drive the simulator, the native and the Windows tests.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "base/errors.h"
#include "ports/automation.h"
#include "sim/word/word_processor.h"

namespace telvora::sim {

// Word's error for an object asked for while no document is open.
inline constexpr std::int32_t kWordNoDocumentOpen = 4248;

class ServedWord {
public:
    // `addIns`, when given, is served as Word's add-ins list in place of the word processor's own
    // (a host whose templates lie outside the simulated machine's drive keeps its own list).
    explicit ServedWord(std::shared_ptr<WordProcessor> word, std::shared_ptr<word::AddIns> addIns = nullptr);
    ~ServedWord();
    ServedWord(const ServedWord&) = delete;
    ServedWord& operator=(const ServedWord&) = delete;

    WordProcessor& word() const noexcept;
    // Word's application object.
    std::shared_ptr<AutomationObject> application() const;
    // Its events: WindowActivate (identifier 10) with the document and its window.
    std::shared_ptr<AutomationEvents> events() const;
    bool subscribed() const noexcept;

    // Every call the objects answered, in order, one line each: "Range.Text",
    // "Styles.Item(BSTR:tlvFaxNumber)", "CommandBar.FindControl(Tag:=BSTR:Telvora, Recursive:=BOOL:True)",
    // "Find.Style = BSTR:tlvSubject".
    const std::vector<std::string>& calls() const noexcept;
    // Every identifier lookup, in order: "Range.Text", "Application.PrintOut(Background, Copies)".
    const std::vector<std::string>& lookups() const noexcept;
    void clearRecords();
    // Keeps calls and lookups as lines (the default) or only counts them, as a long run must.
    void record(bool on) noexcept;
    // Answers it gave of a type Word's documentation does not give, and members it was asked for
    // that the add-in is not documented to call (each also raised as a logic error): a fault of
    // this stand-in, which a run must never meet.
    const std::vector<std::string>& violations() const noexcept;

    // From now on the member ("Interface.Member", letter case ignored) fails with `error` after the
    // call is recorded, as a server that saw the call and refused it.
    void failOn(std::string member, RuntimeError error);
    // The call recorded as calls()[number - 1] fails with `error` after it is recorded; each call
    // in turn can be failed this way.
    void failCall(std::size_t number, RuntimeError error);

    struct State;

private:
    std::shared_ptr<State> state_;
};

// Whether an automation object is one of these served objects, and which interface it is.
bool isServedObject(const AutomationObject& object) noexcept;
std::string servedInterfaceName(const AutomationObject& object);

}  // namespace telvora::sim
