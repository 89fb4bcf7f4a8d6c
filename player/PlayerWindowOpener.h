#pragma once

#include "platform/Services.h"
#include "player/TWplayerF2.h"
#include "playlists/PlayerOpener.h"

#include <QPointer>
#include <QWidget>

namespace vantoro {

struct ProgramState;
class TSleepF;
class TSpeedF;

// Opens a new player window for the clip list of the program state:
//   1. creates the window;
//   2. hides the main window;
//   3. hands TrackBarSetting and StatusBarSetting to the Track Bar and Status Bar boxes;
//   4. shows the window modally (Services::modal) until it closes;
//   5. takes the two box states back into the settings;
//   6. destroys the window;
//   7. when ShutdownPending is set, requests the power-off (Services::power); otherwise, and
//      also when the request fails (its error box has been shown), shows the main window again,
//      so that the program is never left without a visible window.
// The result also tells whether Go wrote the clip list to PlayFile in this window.
//
// Services used: those of TWplayerF2, and power. The main window may be null (tests), and the
// speed and sleep dialogs must outlive the opener.
class PlayerWindowOpener final : public PlayerOpener
{
public:
    PlayerWindowOpener(ProgramState& state, const Services& services, TSpeedF& speed,
                       TSleepF& sleep, QWidget* mainWindow, PlayerWindowSetup setup);

    PlayerResult OpenPlayer() override;
    PlayerResult OpenPlayerAndGo() override;

private:
    PlayerResult openWindow(bool goAtOnce);

    ProgramState& m_state;
    Services m_services;
    TSpeedF& m_speed;
    TSleepF& m_sleep;
    QPointer<QWidget> m_mainWindow;
    PlayerWindowSetup m_setup;
};

} // namespace vantoro
