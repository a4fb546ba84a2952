// Creating and driving automation objects by programmatic identifier and member name. The fax
// adapters are written against this, so the same code drives real COM objects on Windows and
// simulated fax software in tests.
#pragma once

#include <memory>
#include <string>

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
};

class Automation {
public:
    Automation() = default;
    virtual ~Automation() = default;
    Automation(const Automation&) = delete;
    Automation& operator=(const Automation&) = delete;

    // Raises 429 "ActiveX component can't create object" when the object cannot be created.
    virtual std::shared_ptr<AutomationObject> create(const std::string& progId) = 0;
};

}  // namespace telvora
