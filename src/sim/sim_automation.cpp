// Simulated automation.
#include "sim/sim_automation.h"

#include "base/text.h"
#include "base/errors.h"

namespace telvora::sim {

std::shared_ptr<AutomationObject> SimAutomation::create(const std::string& progId) {
    attempts_.push_back(progId);
    // Programmatic identifiers are not case-sensitive.
    for (const auto& [name, factory] : factories_) {
        if (equalsIgnoringCase(name, progId)) {
            if (auto object = factory()) return object;
            break;
        }
    }
    throw RuntimeError::standard(err::CannotCreateObject);
}

std::shared_ptr<AutomationObject> SimAutomation::running(const std::string& progId) {
    for (const auto& [name, object] : running_)
        if (equalsIgnoringCase(name, progId)) return object;
    throw RuntimeError::standard(err::CannotCreateObject);
}

}  // namespace telvora::sim
