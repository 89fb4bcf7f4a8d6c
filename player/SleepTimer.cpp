#include "player/SleepTimer.h"

#include "platform/MessageBoxes.h"
#include "platform/PowerService.h"
#include "platform/TimerFactory.h"
#include "playlists/ProgramState.h"

#include <array>

namespace vantoro {

namespace {

// Minutes by sleep item; 0 where the item runs no countdown.
constexpr std::array<int, 13> kItemMinutes = {0, 0, 15, 30, 45, 60, 90, 120, 150, 180, 210, 240, 1};
constexpr int kMsPerMinute = 60000;

} // namespace

SleepTimer::SleepTimer(ProgramState& state, TimerFactory& timers, std::function<void()> closePlayer)
    : m_state(state), m_closePlayer(std::move(closePlayer)),
      m_timer1(timers.createOneShot([this] { Timer1Timer(); }))
{}

SleepTimer::~SleepTimer() = default;

int SleepTimer::minutesOfItem(int index)
{
    if (index < 0 || index >= static_cast<int>(kItemMinutes.size()))
        return 0;
    return kItemMinutes[static_cast<size_t>(index)];
}

void SleepTimer::sleepBoxUnchecked()
{
    m_state.ShutdownPending = false;
    m_timer1->stop();
}

void SleepTimer::applyChoice(int index, bool sleepBoxIsChecked)
{
    m_state.ShutdownPending = sleepBoxIsChecked;
    const int minutes = minutesOfItem(index);
    if (index >= 2 && minutes > 0)
        m_timer1->start(minutes * kMsPerMinute);
    else
        m_timer1->stop();
}

bool SleepTimer::isRunning() const
{
    return m_timer1->isActive();
}

int SleepTimer::intervalMs() const
{
    return m_timer1->interval();
}

bool SleepTimer::playerClosing(MessageBoxes& messages)
{
    // Stopped first, so that a countdown ending while the question is up cannot close the
    // window a second time.
    m_timer1->stop();
    if (m_state.ShutdownPending && !messages.askYesNo(QString::fromLatin1(kShutdownQuestion)))
        m_state.ShutdownPending = false;
    return m_state.ShutdownPending;
}

void SleepTimer::Timer1Timer()
{
    m_state.ShutdownPending = true;
    if (m_closePlayer)
        m_closePlayer();
}

bool shutdownComputer(ProgramState& state, PowerService& power, MessageBoxes& messages)
{
    if (!state.ShutdownPending)
        return false;
    state.ShutdownPending = false;
    const PowerOffResult result = power.requestPowerOff();
    if (result.ok)
        return true;
    messages.error(result.errorText);
    return false;
}

} // namespace vantoro
