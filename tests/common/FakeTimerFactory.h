#pragma once

#include "platform/TimerFactory.h"

#include <QList>
#include <QTimer>

#include <algorithm>

namespace vantoro::test {

// One-shot timers that run `divisor` times faster than asked (a one-minute countdown takes
// 60 ms with the default), record every interval they were started with, and can be fired at
// once with fire().
class FakeTimerFactory final : public TimerFactory
{
public:
    class Timer final : public OneShotTimer
    {
    public:
        Timer(FakeTimerFactory& factory, std::function<void()> onTimeout)
            : m_factory(factory), m_onTimeout(std::move(onTimeout))
        {
            m_timer.setSingleShot(true);
            QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] { m_onTimeout(); });
            m_factory.m_timers.append(this);
        }
        ~Timer() override { m_factory.m_timers.removeAll(this); }

        void start(int intervalMs) override
        {
            m_interval = intervalMs;
            starts.append(intervalMs);
            m_timer.start(std::max(1, intervalMs / m_factory.divisor));
        }
        void stop() override { m_timer.stop(); }
        bool isActive() const override { return m_timer.isActive(); }
        int interval() const override { return m_interval; }

        // Ends the running countdown now, as if its interval had passed.
        void fire()
        {
            if (!m_timer.isActive())
                return;
            m_timer.stop();
            m_onTimeout();
        }

        QList<int> starts;

    private:
        FakeTimerFactory& m_factory;
        std::function<void()> m_onTimeout;
        QTimer m_timer;
        int m_interval = 0;
    };

    std::unique_ptr<OneShotTimer> createOneShot(std::function<void()> onTimeout) override
    {
        return std::make_unique<Timer>(*this, std::move(onTimeout));
    }

    // The live timers, in order of creation.
    const QList<Timer*>& timers() const { return m_timers; }

    int divisor = 1000;

private:
    QList<Timer*> m_timers;
};

} // namespace vantoro::test
