// The processor time the test process has used so far: a bound on the work one step does, which a
// busy machine does not stretch as it stretches the time on the clock.
#pragma once

#include <chrono>
#include <ctime>

namespace telvora::testing {

inline std::chrono::duration<double> processorTime() {
    return std::chrono::duration<double>(static_cast<double>(std::clock()) / CLOCKS_PER_SEC);
}

}  // namespace telvora::testing
