#include "player/PlayerWindowOpener.h"

#include "platform/ModalRunner.h"
#include "player/SleepTimer.h"
#include "playlists/ProgramState.h"

#include <QTimer>

#include <memory>

namespace vantoro {

PlayerWindowOpener::PlayerWindowOpener(ProgramState& state, const Services& services,
                                       TSpeedF& speed, TSleepF& sleep, QWidget* mainWindow,
                                       PlayerWindowSetup setup)
    : m_state(state), m_services(services), m_speed(speed), m_sleep(sleep),
      m_mainWindow(mainWindow), m_setup(std::move(setup))
{}

PlayerResult PlayerWindowOpener::OpenPlayer()
{
    return openWindow(false);
}

PlayerResult PlayerWindowOpener::OpenPlayerAndGo()
{
    return openWindow(true);
}

PlayerResult PlayerWindowOpener::openWindow(bool goAtOnce)
{
    auto window =
        std::make_unique<TWplayerF2>(m_state, m_services, m_speed, m_sleep, m_setup, nullptr);
    if (m_mainWindow)
        m_mainWindow->hide();
    window->setBarSettings(m_state.TrackBarSetting, m_state.StatusBarSetting);
    if (goAtOnce) {
        // Pressed once the window runs its own loop, exactly as a click on Go would be.
        QTimer::singleShot(0, window.get(), [w = window.get()] { w->GoButtonClick(); });
    }

    m_services.modal->exec(*window);
    // A runner may hand the window back without closing it; playback stops all the same.
    window->FormClose();

    m_state.TrackBarSetting = window->trackBarChecked();
    m_state.StatusBarSetting = window->statusBarChecked();
    PlayerResult result;
    result.playlistWritten = window->playlistWritten();
    window.reset();

    if (m_state.ShutdownPending) {
        const bool requested = m_services.power != nullptr &&
                               shutdownComputer(m_state, *m_services.power, *m_services.messages);
        m_state.ShutdownPending = false;
        if (requested) {
            result.outcome = PlayerOutcome::ShutdownRequested;
            return result;
        }
        result.outcome = PlayerOutcome::ShutdownFailed;
    }
    if (m_mainWindow)
        m_mainWindow->show();
    return result;
}

} // namespace vantoro
