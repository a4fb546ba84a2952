// Simulated automation.
#include "sim/sim_automation.h"

#include <algorithm>
#include <cctype>

#include "core/errors.h"

namespace telvora::sim {

std::shared_ptr<AutomationObject> SimAutomation::create(const std::string& progId) {
    attempts_.push_back(progId);
    // Programmatic identifiers are not case-sensitive.
    for (const auto& [name, factory] : factories_) {
        const bool same = std::equal(name.begin(), name.end(), progId.begin(), progId.end(), [](char a, char b) {
            return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
        });
        if (same) {
            if (auto object = factory()) return object;
            break;
        }
    }
    throw RuntimeError::standard(err::CannotCreateObject);
}

}  // namespace telvora::sim
