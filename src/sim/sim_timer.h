// The simulated machine's timer: its ticks fall on the machine's clock, and come when the clock is
// moved on past them (a scenario's wait, a test's elapse).
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>

#include "ports/timer.h"
#include "sim/sim_platform.h"

namespace telvora::sim {

class SimTimer final : public Timer {
public:
    explicit SimTimer(SimPlatform& platform) : platform_(platform) {}

    void start(std::chrono::milliseconds every, std::function<void()> tick) override;
    void stop() override;
    bool running() const override { return static_cast<bool>(tick_); }

    // Moves the machine's clock on by `duration`, calling each tick that falls within it.
    void elapse(std::chrono::seconds duration);
    // The ticks called so far.
    std::size_t ticks() const noexcept { return ticks_; }

private:
    SimPlatform& platform_;
    std::chrono::milliseconds every_{0};
    std::function<void()> tick_;
    LocalTime next_{};
    std::size_t ticks_ = 0;
};

}  // namespace telvora::sim
