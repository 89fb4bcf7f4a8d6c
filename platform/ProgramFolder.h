#pragma once

#include <QString>

namespace vantoro {

// The folder that holds the program's own files (settings, temporary playlist), with a
// trailing '/': the executable's folder when it is writable (portable use), otherwise the
// per-user folder $XDG_CONFIG_HOME/Vantoro/ (default ~/.config/Vantoro/), created on demand.
QString resolveProgramFolder(const QString& executableFolder);

// The folder in which the playlist dialogs start and new playlists are proposed, with a trailing
// '/'. A portable copy (its program folder is the executable's folder) keeps them there; an
// installed copy uses the user's playlist folder, "$XDG_MUSIC_DIR/Playlists/" when the user's
// folders name a music folder, else "~/Playlists/". Never a hidden folder. Not created here:
// see makeFolderPath().
QString resolvePlaylistFolder(const QString& executableFolder, const QString& programFolder);

// The folder the clip dialog starts in before the settings name one, with a trailing '/'. A
// portable copy keeps its program folder; an installed copy, whose program folder is a hidden
// settings folder, starts in the user's music folder when the user's folders name one that
// exists, else in the home folder.
QString resolveClipFolder(const QString& executableFolder, const QString& programFolder);

// Creates a folder with any missing parents; answers 0 or the errno of the failure.
int makeFolderPath(const QString& folder);

// Appends a '/' unless the text already ends in one.
QString withTrailingSlash(const QString& folder);

} // namespace vantoro
