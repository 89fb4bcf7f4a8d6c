#pragma once

namespace vantoro {

// How the player window ended.
enum class PlayerOutcome {
    Closed,            // the user closed it; the main window is visible again
    ShutdownRequested, // the sleep timer asked the computer to power off, and it agreed
    ShutdownFailed,    // the power-off request failed; its error box has been shown
};

struct PlayerResult
{
    PlayerOutcome outcome = PlayerOutcome::Closed;
    // Go wrote the clip list to PlayFile during this showing (false when the window was closed
    // before Go, or Go failed before writing).
    bool playlistWritten = false;
};

// Opens the player window for the clip list of the program state, modally: hides the main
// window, hands over the two bar settings, shows the player, takes the settings back, and either
// requests the power-off (when the sleep timer set ShutdownPending) or shows the main window again.
// Returns when the player window has closed and been released.
class PlayerOpener
{
public:
    virtual ~PlayerOpener() = default;
    virtual PlayerResult OpenPlayer() = 0;
    // The same, and the playlist starts at once, as if the user had pressed Go.
    virtual PlayerResult OpenPlayerAndGo() = 0;
};

// Opens the clip manager for the clips marked during the last new playlist, modally.
class ClipManagerOpener
{
public:
    virtual ~ClipManagerOpener() = default;
    virtual void OpenClipManager() = 0;
};

// What the playlist commands need of the main window.
class MainWindowControl
{
public:
    virtual ~MainWindowControl() = default;
    virtual void showMainWindow() = 0;
    // Closes the main window normally (the settings are written) and so ends the program.
    virtual void closeMainWindow() = 0;
};

} // namespace vantoro
