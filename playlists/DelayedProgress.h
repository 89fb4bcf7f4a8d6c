#pragma once

#include <QString>

#include <functional>
#include <memory>

namespace vantoro {

class ProgressWindow;
class ProgressWindows;

// Progress of an operation that is usually quick: no window at all until it has run for
// kDelayMs, then a progress window (done of total, with Cancel) until finish() or until this
// object goes, whichever comes first.
class DelayedProgress
{
public:
    static constexpr qint64 kDelayMs = 500;
    // Milliseconds from any fixed point, never going back.
    using Clock = std::function<qint64()>;

    // The time counts from here. Without a clock, the system's monotonic clock is used.
    DelayedProgress(ProgressWindows& windows, QString text, Clock clock = {});
    ~DelayedProgress();
    DelayedProgress(const DelayedProgress&) = delete;
    DelayedProgress& operator=(const DelayedProgress&) = delete;

    // Answers false once the user has cancelled.
    bool update(qint64 done, qint64 total);
    // The operation is over: the window closes at once, before whatever the caller shows next,
    // and no later update opens one again. cancelled() still tells.
    void finish();
    bool cancelled() const { return m_cancelled; }
    bool windowShown() const { return m_window != nullptr; }

private:
    ProgressWindows& m_windows;
    QString m_text;
    Clock m_clock;
    qint64 m_start = 0;
    std::unique_ptr<ProgressWindow> m_window;
    bool m_cancelled = false;
    bool m_finished = false;
};

} // namespace vantoro
