// Automation objects created by programmatic identifier and driven by member name through IDispatch.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <string>

#include "base/errors.h"
#include "ports/automation.h"
#include "win32/handles.h"

namespace telvora::win32 {

// One IDispatch object. Every failure comes out as the run-time error a macro would see: the
// server's own number, source and description for an exception it raises, otherwise the HRESULT
// as a signed number (438 when the object has no member of that name).
class DispatchObject final : public AutomationObject {
public:
    // `source` names the object in errors that the object itself does not describe.
    DispatchObject(ComPtr<IDispatch> dispatch, std::string source);

    Variant get(const std::string& member, const Args& args = {}) override;
    void put(const std::string& member, const Variant& value) override;
    Variant call(const std::string& member, const Args& args = {}, const NamedArgs& named = {}) override;

    IDispatch* dispatch() const noexcept { return dispatch_.get(); }

private:
    Variant invoke(const std::string& member, WORD flags, const Args& args, const NamedArgs& named);

    ComPtr<IDispatch> dispatch_;
    std::string source_;
};

class Win32Automation final : public Automation {
public:
    std::shared_ptr<AutomationObject> create(const std::string& progId) override;
};

// The run-time error a failed IDispatch::Invoke stands for (DISP_E_EXCEPTION read from its
// EXCEPINFO, which this frees).
RuntimeError invokeError(HRESULT hr, EXCEPINFO& info, const std::string& source);

}  // namespace telvora::win32
