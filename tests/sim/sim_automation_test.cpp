// The simulated automation keeps the promises IDispatch keeps, so code tested against it behaves
// the same with real fax software.
#include "sim/sim_automation.h"

#include "support/automation_contract.h"
#include "support/recording_automation.h"

namespace telvora::testing {
namespace {

class SimRecorderBinding {
public:
    static constexpr const char* kProgId = "Telvora.TestRecorder";

    SimRecorderBinding() {
        automation_.install(kProgId, [object = object_] { return object; });
    }
    Automation& automation() { return automation_; }
    std::vector<std::string> calls() const {
        std::vector<std::string> lines;
        for (const auto& c : object_->calls()) lines.push_back(describeCall(c));
        return lines;
    }
    void failOn(const std::string& member, std::int32_t number, const std::string& source,
                const std::string& description) {
        object_->failOn(member, RuntimeError(number, description, source));
    }
    void lacks(const std::string& member) { object_->lacks(member); }

private:
    std::shared_ptr<RecordingAutomationObject> object_ = std::make_shared<RecordingAutomationObject>();
    sim::SimAutomation automation_;
};

INSTANTIATE_TYPED_TEST_SUITE_P(Sim, AutomationContract, SimRecorderBinding);

}  // namespace
}  // namespace telvora::testing
