// Simulated automation: objects are created from factories registered under programmatic
// identifiers; anything else cannot be created, as on a machine without that software.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ports/automation.h"

namespace telvora::sim {

class SimAutomation final : public Automation {
public:
    using Factory = std::function<std::shared_ptr<AutomationObject>()>;

    void install(std::string progId, Factory factory) { factories_[std::move(progId)] = std::move(factory); }
    void uninstall(const std::string& progId) { factories_.erase(progId); }

    std::shared_ptr<AutomationObject> create(const std::string& progId) override;

    // A program that runs and makes its object known under the identifier, until it quits.
    void startRunning(std::string progId, std::shared_ptr<AutomationObject> object) {
        running_[std::move(progId)] = std::move(object);
    }
    void stopRunning(const std::string& progId) { running_.erase(progId); }
    std::shared_ptr<AutomationObject> running(const std::string& progId) override;

    // Every creation attempt, successful or not, in order.
    const std::vector<std::string>& attempts() const noexcept { return attempts_; }

private:
    std::map<std::string, Factory> factories_;
    std::map<std::string, std::shared_ptr<AutomationObject>> running_;
    std::vector<std::string> attempts_;
};

}  // namespace telvora::sim
