// A repeating timer on the add-in's own thread (Word's), for work that waits on the world outside:
// following the faxes sent. A tick never interrupts a command; it comes when the thread is idle.
#pragma once

#include <chrono>
#include <functional>

namespace telvora {

class Timer {
public:
    Timer() = default;
    virtual ~Timer() = default;
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

    // Calls `tick` every `every` from now on, in place of what it called before.
    virtual void start(std::chrono::milliseconds every, std::function<void()> tick) = 0;
    // No more ticks. May be called from within a tick, which then runs to its end.
    virtual void stop() = 0;
    virtual bool running() const = 0;
};

}  // namespace telvora
