// Automation objects created by programmatic identifier and driven by member name through IDispatch.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <string>

#include "ports/automation.h"
#include "win32/handles.h"

namespace telvora::win32 {

// One IDispatch object, called by name or by the DISPIDs it published. Every failure comes out as
// the run-time error a macro would see: the server's own number, source and description for an
// exception it raises, otherwise the HRESULT as a signed number (438 when the object has no member
// of that name).
class DispatchObject final : public AutomationObject, public IdentifiedMembers, public EventSource {
public:
    // `source` names the object in errors that the object itself does not describe.
    DispatchObject(ComPtr<IDispatch> dispatch, std::string source);

    Variant get(const std::string& member, const Args& args = {}) override;
    void put(const std::string& member, const Variant& value) override;
    Variant call(const std::string& member, const Args& args = {}, const NamedArgs& named = {}) override;
    void perform(const std::string& member, const Args& args = {}, const NamedArgs& named = {}) override;

    std::vector<MemberId> identify(const std::string& member,
                                   const std::vector<std::string>& argumentNames = {}) override;
    Variant invoke(MemberId member, const Args& args = {}, const std::vector<NamedValue>& named = {}) override;
    void perform(MemberId member, const Args& args = {}, const std::vector<NamedValue>& named = {}) override;
    void assign(MemberId member, const Variant& value) override;

    // The events through the object's connection point for the interface; raises 0x80004002 for
    // an interface identifier that is not one.
    std::shared_ptr<AutomationEvents> events(const std::string& eventInterface) override;

    // A reference of the caller's own to the object, for handing it to another call.
    ComPtr<IDispatch> share() const noexcept { return dispatch_.copy(); }

    // The interface pointer this object holds, for the binding's own calls on it.
    IDispatch* get() const noexcept { return dispatch_.get(); }

private:
    // `result` receives the answer as it came (null: the answer is not wanted).
    void invokeByName(const std::string& member, WORD flags, const Args& args, const NamedArgs& named,
                      VARIANT* result);
    void invokeById(DISPID id, WORD flags, const Args& args, const std::vector<NamedValue>& named, VARIANT* result);
    Variant answerOf(DISPID id, const Args& args, const std::vector<NamedValue>& named);

    ComPtr<IDispatch> dispatch_;
    std::string source_;
};

class Win32Automation final : public Automation {
public:
    std::shared_ptr<AutomationObject> create(const std::string& progId) override;
    // What the program registered in the running object table for the identifier's class (Word
    // registers its application there while it runs).
    std::shared_ptr<AutomationObject> running(const std::string& progId) override;
};

}  // namespace telvora::win32
