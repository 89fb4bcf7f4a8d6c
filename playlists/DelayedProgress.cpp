#include "playlists/DelayedProgress.h"

#include "platform/ProgressWindows.h"

#include <QElapsedTimer>

namespace vantoro {

namespace {

qint64 monotonicMs()
{
    static QElapsedTimer timer;
    if (!timer.isValid())
        timer.start();
    return timer.elapsed();
}

} // namespace

DelayedProgress::DelayedProgress(ProgressWindows& windows, QString text, Clock clock)
    : m_windows(windows), m_text(std::move(text)),
      m_clock(clock ? std::move(clock) : Clock(monotonicMs)), m_start(m_clock())
{}

DelayedProgress::~DelayedProgress() = default;

bool DelayedProgress::update(qint64 done, qint64 total)
{
    if (m_cancelled)
        return false;
    if (m_finished)
        return true;
    if (m_window == nullptr) {
        if (m_clock() - m_start < kDelayMs)
            return true;
        m_window = m_windows.open(m_text);
    }
    m_window->setProgress(done, total);
    m_cancelled = m_window->cancelled();
    return !m_cancelled;
}

void DelayedProgress::finish()
{
    m_finished = true;
    m_window.reset();
}

} // namespace vantoro
