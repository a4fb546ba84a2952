// The simulated machine's files and environment behave as Windows' do where the add-in relies on them.
#include "sim/sim_platform.h"

#include "support/platform_contract.h"
#include "support/sim_addin.h"

namespace telvora::testing {
namespace {

class SimPlatformBinding {
public:
    Platform& platform() { return platform_; }
    void setEnvironment(const std::string& name, const std::string& value) { platform_.variables[name] = value; }

private:
    ScratchFolder scratch_;
    sim::SimPlatform platform_{scratch_.path()};
};

INSTANTIATE_TYPED_TEST_SUITE_P(Sim, PlatformContract, SimPlatformBinding);

}  // namespace
}  // namespace telvora::testing
