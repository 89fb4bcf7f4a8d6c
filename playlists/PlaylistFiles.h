#pragma once

#include <QString>

#include <optional>

namespace vantoro {

class ClipList;
class MessageBoxes;

// The playlist-file operations on the clip list.
//
// Both report a failing open, read, write, flush or close with an error box carrying the I/O
// error text ("File not found", "File access denied", "Disk full", ...) and answer failure;
// the caller then skips its remaining steps.

// Writes the clip list, in its order, as an ASX playlist titled `title` (see writeAsxPlaylist).
// The new file is written beside the old one and renamed over it only when complete and on
// disk: a failure leaves the old file as it was and no temporary file behind. An existing file
// that may not be written is refused ("File access denied") rather than replaced.
bool WritePlaylist(const ClipList& list, const QString& path, const QString& title,
                   MessageBoxes& boxes);

// Empties the clip list, switches its sorting off, and appends, in file order, each entry of
// the ASX or M3U playlist at `path` that names an existing regular file (a symbolic link to
// one counts; a folder does not). The name is tested as written: a relative name against the
// process's current folder; a name that is not valid UTF-8 counts as missing. Answers the number of
// entries that named no such file, or nullopt after an error box; entries read before a read
// failure stay in the list.
std::optional<int> ReadPlaylist(ClipList& list, const QString& path, MessageBoxes& boxes);

} // namespace vantoro
