#pragma once

#include <functional>
#include <memory>

namespace vantoro {

// A timer that fires once per start. Runs on the user-interface thread: the callback given at
// creation is called from the event loop, never from inside start() or stop(). The callback
// must not destroy the timer itself (close windows, set flags; delete later).
class OneShotTimer
{
public:
    virtual ~OneShotTimer() = default;

    // (Re)starts the countdown from the full interval, in milliseconds.
    virtual void start(int intervalMs) = 0;
    virtual void stop() = 0;
    virtual bool isActive() const = 0;
    // The interval of the last start, in milliseconds; 0 before the first.
    virtual int interval() const = 0;
};

// Creates one-shot timers; tests hand in a factory whose timers run faster or fire on demand.
class TimerFactory
{
public:
    virtual ~TimerFactory() = default;

    virtual std::unique_ptr<OneShotTimer> createOneShot(std::function<void()> onTimeout) = 0;
};

} // namespace vantoro
