// Creating and driving automation objects by programmatic identifier and member name. The fax
// adapters are written against this, so the same code drives real COM objects on Windows and
// simulated fax software in tests.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/variant.h"

namespace telvora {

class AutomationObject {
public:
    AutomationObject() = default;
    virtual ~AutomationObject() = default;
    AutomationObject(const AutomationObject&) = delete;
    AutomationObject& operator=(const AutomationObject&) = delete;

    // Each raises the run-time error the object reports (the failure HRESULT as a signed number,
    // with the object's source and description).
    virtual Variant get(const std::string& member, const Args& args = {}) = 0;
    virtual void put(const std::string& member, const Variant& value) = 0;
    virtual Variant call(const std::string& member, const Args& args = {}, const NamedArgs& named = {}) = 0;
    // A call whose answer nobody reads: the answer is let go as it comes, unconverted, so an answer
    // of any type is no error (a macro calling a function as a statement).
    virtual void perform(const std::string& member, const Args& args = {}, const NamedArgs& named = {}) = 0;
};

// A member's identifier as the object publishes it (a DISPID on Windows). The identifiers of an
// interface never change, so code that makes many calls on objects of one interface looks each
// member up once and calls it by identifier from then on.
using MemberId = std::int32_t;

// A named argument given by the identifier its member's lookup answered for the name.
struct NamedValue {
    MemberId id;
    Variant value;
};

// The calls of an automation object by identifier. A binding whose objects publish identifiers
// implements it next to AutomationObject, on the same object.
class IdentifiedMembers {
public:
    IdentifiedMembers() = default;
    virtual ~IdentifiedMembers() = default;
    IdentifiedMembers(const IdentifiedMembers&) = delete;
    IdentifiedMembers& operator=(const IdentifiedMembers&) = delete;

    // The identifiers of the member and of the argument names given, in that order, in one lookup.
    // Raises 438 for a member the object does not have, 448 for an argument name it does not take.
    virtual std::vector<MemberId> identify(const std::string& member,
                                           const std::vector<std::string>& argumentNames = {}) = 0;
    // What AutomationObject::call does (a read is a call), by identifier.
    virtual Variant invoke(MemberId member, const Args& args = {}, const std::vector<NamedValue>& named = {}) = 0;
    // What AutomationObject::perform does, by identifier.
    virtual void perform(MemberId member, const Args& args = {}, const std::vector<NamedValue>& named = {}) = 0;
    // A property assignment by identifier. An object is assigned as a value, as a macro assigns
    // one to a property without Set.
    virtual void assign(MemberId member, const Variant& value) = 0;
};

// The events an automation object raises (through a connection point on Windows), each delivered
// with the identifier its event interface gives it and its arguments in order.
class AutomationEvents {
public:
    using Handler = std::function<void(MemberId event, const Args& args)>;

    AutomationEvents() = default;
    virtual ~AutomationEvents() = default;
    AutomationEvents(const AutomationEvents&) = delete;
    AutomationEvents& operator=(const AutomationEvents&) = delete;

    // Starts delivering the events to `handler`, in place of any earlier one. Raises the error of
    // a subscription the object refuses.
    virtual void subscribe(Handler handler) = 0;
    // Ends the subscription and lets go of the handler; nothing happens when none runs.
    virtual void unsubscribe() noexcept = 0;
};

// An automation object that raises events: the events of one of its event interfaces, named by
// the interface's identifier in registry form ("{EC9C69B9-...}"). A binding whose objects can
// raise events implements it next to AutomationObject, on the same object.
class EventSource {
public:
    EventSource() = default;
    virtual ~EventSource() = default;
    EventSource(const EventSource&) = delete;
    EventSource& operator=(const EventSource&) = delete;

    // The events, not yet subscribed to. Raises the error of an interface the object does not raise.
    virtual std::shared_ptr<AutomationEvents> events(const std::string& eventInterface) = 0;
};

class Automation {
public:
    Automation() = default;
    virtual ~Automation() = default;
    Automation(const Automation&) = delete;
    Automation& operator=(const Automation&) = delete;

    // Raises 429 "ActiveX component can't create object" when the object cannot be created.
    virtual std::shared_ptr<AutomationObject> create(const std::string& progId) = 0;
    // The object a running program made known under the identifier, as a macro's GetObject with no
    // file name finds it (Word makes its application known as "Word.Application"). Raises 429
    // when no such program runs.
    virtual std::shared_ptr<AutomationObject> running(const std::string& progId) = 0;
};

}  // namespace telvora
