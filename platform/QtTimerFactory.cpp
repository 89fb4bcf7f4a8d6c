#include "platform/QtTimerFactory.h"

#include <QTimer>

namespace vantoro {

namespace {

class QtOneShotTimer final : public OneShotTimer
{
public:
    explicit QtOneShotTimer(std::function<void()> onTimeout) : m_onTimeout(std::move(onTimeout))
    {
        m_timer.setSingleShot(true);
        m_timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] {
            if (m_onTimeout)
                m_onTimeout();
        });
    }

    void start(int intervalMs) override
    {
        m_interval = intervalMs;
        m_timer.start(intervalMs);
    }
    void stop() override { m_timer.stop(); }
    bool isActive() const override { return m_timer.isActive(); }
    int interval() const override { return m_interval; }

private:
    QTimer m_timer;
    std::function<void()> m_onTimeout;
    int m_interval = 0;
};

} // namespace

std::unique_ptr<OneShotTimer> QtTimerFactory::createOneShot(std::function<void()> onTimeout)
{
    return std::make_unique<QtOneShotTimer>(std::move(onTimeout));
}

} // namespace vantoro
