#pragma once

#include <QStringList>

#include <functional>

namespace vantoro {

// The clips that files and folders dropped from a file manager stand for, in the order dropped:
// a folder stands for the files below it that the clip dialog's media filters accept (hidden
// ones left out, see findFilesBelow), a file for itself, as a file picked in the clip dialog
// would; playlist files (see isPlaylistFileName) are no clips and are left out. `keepGoing`, if
// given, is asked before each folder searched; when it answers false the search stops and what
// was found so far is answered.
QStringList clipsOfDroppedPaths(const QStringList& paths,
                                const std::function<bool()>& keepGoing = {});

// A playlist Vantoro reads, by the extension (any case): ASX (.asx and the Windows Media
// metafiles .wax, .wvx, .wmx), M3U (.m3u, .m3u8, .vlc), PLS, XSPF or WPL.
bool isPlaylistFileName(const QString& path);

} // namespace vantoro
