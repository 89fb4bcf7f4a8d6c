#pragma once

#include "playlists/ClipList.h"

#include <QString>
#include <QStringList>

#include <random>

namespace vantoro {

// Playlist mode held in TForm1's Tag.
enum PlaylistMode : int { kModeNone = 0, kModeNew = 10, kModeLoad = 20 };

// The program-wide state: created by the main window and handed by reference to every window
// it opens. Plain data; the names are those the windows and commands use.
struct ProgramState
{
    ClipList AllBox;      // the clip list, in play order
    QStringList LeftBox;  // marked clips: file names without folder
    QStringList PathLeft; // marked clips: full paths, parallel to LeftBox
    int Tag = kModeNone;  // playlist mode

    QString ProgramFolder; // with trailing '/'
    QString IniFileName;   // ProgramFolder + "Vantoro.INI"
    // Where playlist dialogs start and new playlists are proposed, with trailing '/': the
    // ProgramFolder of a portable copy, the user's playlist folder for an installed one.
    QString PlaylistFolder;
    // Where the clip dialog starts while the settings name no folder (Clips= of a new settings
    // file), with trailing '/': the ProgramFolder of a portable copy, the user's music folder
    // for an installed one.
    QString DefaultClipFolder;
    QString ClipFolder;
    QString ListFolder;
    QString SourceFolder; // folder of the first clip of the last New, no trailing '/'
    QString PlayFile;     // the playlist the player writes and plays
    QString PlaylistTitle;

    bool TrackBarSetting = false;
    bool StatusBarSetting = false;
    bool ShutdownPending = false;
    int SleepChoice = 0;

    // The program's random generator (Shuffle draws from it); seeded from the clock at start-up.
    std::mt19937 Random;
};

} // namespace vantoro
