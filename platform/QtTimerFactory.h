#pragma once

#include "platform/TimerFactory.h"

namespace vantoro {

// One-shot timers on QTimer (precise timer type, so long intervals are not coarsened).
class QtTimerFactory final : public TimerFactory
{
public:
    std::unique_ptr<OneShotTimer> createOneShot(std::function<void()> onTimeout) override;
};

} // namespace vantoro
