// The simulated timer.
#include "sim/sim_timer.h"

#include <algorithm>

namespace telvora::sim {

void SimTimer::start(std::chrono::milliseconds every, std::function<void()> tick) {
    every_ = std::max(every, std::chrono::milliseconds(1000));
    tick_ = std::move(tick);
    next_ = platform_.clock + std::chrono::duration_cast<std::chrono::seconds>(every_);
}

void SimTimer::stop() { tick_ = nullptr; }

void SimTimer::elapse(std::chrono::seconds duration) {
    const LocalTime end = platform_.clock + duration;
    while (tick_ && next_ <= end) {
        platform_.clock = next_;
        next_ += std::chrono::duration_cast<std::chrono::seconds>(every_);
        // A tick that stops the timer runs to its end on its own copy.
        const std::function<void()> tick = tick_;
        ++ticks_;
        tick();
    }
    platform_.clock = end;
}

}  // namespace telvora::sim
