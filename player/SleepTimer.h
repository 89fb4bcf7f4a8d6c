#pragma once

#include <QString>

#include <functional>
#include <memory>

namespace vantoro {

struct ProgramState;
class MessageBoxes;
class OneShotTimer;
class PowerService;
class TimerFactory;

// The player window's sleep timer (Timer1) and its share of ShutdownPending. Owned by one
// player window: a new window starts with the timer off.
//
// Sleep dialog OK, in this order (the window does steps 1 and 2):
//   1. the dialog stores the index in SleepChoice and closes;
//   2. the window sets its Sleep box checked exactly when sleepBoxChecked(index); unchecking
//      it runs the box's handler, which calls sleepBoxUnchecked();
//   3. applyChoice(index, box state): ShutdownPending := box state; the countdown starts from
//      the full interval for a timed item, or stops.
// When the countdown ends, ShutdownPending is set and `closePlayer` is called; the window's
// closing then calls playerClosing().
class SleepTimer
{
public:
    SleepTimer(ProgramState& state, TimerFactory& timers, std::function<void()> closePlayer);
    ~SleepTimer();
    SleepTimer(const SleepTimer&) = delete;
    SleepTimer& operator=(const SleepTimer&) = delete;

    // Minutes of a sleep item; 0 for "Off" and "When Playlist finishes" (no countdown).
    static int minutesOfItem(int index);
    // Whether the Sleep box ends checked after OK on item `index`.
    static bool sleepBoxChecked(int index) { return index > 0; }

    // The Sleep box was unchecked: no shutdown, no countdown.
    void sleepBoxUnchecked();
    // Steps 3 and 4 of the sleep dialog's OK; see above.
    void applyChoice(int index, bool sleepBoxIsChecked);

    bool isRunning() const;
    // Interval of the running (or last) countdown in milliseconds: minutes x 60000.
    int intervalMs() const;

    // The player window closes (Done, its close box, or the countdown): stops the countdown,
    // then, when a shutdown is pending, asks "Shutdown computer now?"; any answer but Yes
    // clears ShutdownPending. Answers whether a shutdown is still pending.
    bool playerClosing(MessageBoxes& messages);

private:
    void Timer1Timer();

    ProgramState& m_state;
    std::function<void()> m_closePlayer;
    std::unique_ptr<OneShotTimer> m_timer1;
};

inline constexpr char kShutdownQuestion[] = "Shutdown computer now?";

// After the player window is gone: when ShutdownPending is set, clears it and requests the
// power-off. A refusal is shown as an error box. Answers whether a request was accepted; on
// false the caller must show its main window again (nothing else is visible at that point).
// The flag is cleared either way, so a later player window does not ask again unless its own
// Sleep box sets it.
bool shutdownComputer(ProgramState& state, PowerService& power, MessageBoxes& messages);

} // namespace vantoro
