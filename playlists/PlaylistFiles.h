#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace vantoro {

class ClipList;
class MessageBoxes;
class DelayedProgress;
class ReadOnlyFileDevice;

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

// Fills the clip list, sorting switched off, with the clips of the playlist at `path` in file
// order (the rules by its extension: ASX, M3U, PLS, XSPF or WPL, see PlaylistReader): each
// entry that names an existing regular file (a symbolic link to one counts; a folder does not)
// is appended as the path found (see PlaylistEntryResolver: a relative name is taken against
// the playlist's folder or its XML base, a file: URI becomes its path). A name that does not
// exist as written is looked for ignoring letter case, and a Windows absolute name by its tail
// below the playlist's folder; an ASX ENTRYREF gives the clips of the playlist it names (see
// PlaylistClipReader). Of the references of one ASX ENTRY or XSPF track, the first that names
// a file is the clip. Answers the number of entries that named no such file (another scheme,
// a missing file, a name that is not text, a playlist, an unreadable reference), or nullopt
// after an error box; entries read before a read failure are then in the list.
//
// With `progress`, a long read shows its progress window (bytes read of the file's size) with
// Cancel; the window is closed (progress->finish()) as the read ends, whatever its outcome. A
// cancelled read answers nullopt without a box (progress->cancelled() tells) and leaves the clip
// list as it was before the read.
//
// With `missing`, the entries that named no existing file are appended to it, in file order,
// so that a caller can write them back: each as the local name it stands for (a relative name
// taken against the playlist's folder, a file: URI as its path), or, for an entry of another
// scheme, as its text. An empty entry names nothing and is left out (it is still counted).
// How a read of readPlaylistClips ended.
struct PlaylistClipsRead
{
    int missing = 0;        // entries that named no existing file (empty ones included)
    int error = 0;          // errno of a failing read or close; 0 when the file was read through
    bool cancelled = false; // `keepGoing` answered false: the read stopped there
};
// Receives each entry in file order: a clip found (`found`), or an entry that named no file,
// as ReadPlaylist's `missing` list holds it (empty entries are not passed on).
using PlaylistClipSink = std::function<void(const QString& name, bool found)>;
// Told the bytes read so far of the file's size, now and then; answers false to stop the read.
using PlaylistReadCheck = std::function<bool(qint64 done, qint64 total)>;

// The read behind ReadPlaylist, without boxes or windows, so that it may run on any thread:
// the entries of the playlist at `path`, already opened in `file`, in file order, each as the
// clip it names or as missing. With `withMissingNames` false missing entries are only counted,
// which saves decoding them. Closes `file`.
PlaylistClipsRead readPlaylistClips(ReadOnlyFileDevice& file, const QString& path,
                                    const PlaylistClipSink& sink, bool withMissingNames,
                                    const PlaylistReadCheck& keepGoing = {});

std::optional<int> ReadPlaylist(ClipList& list, const QString& path, MessageBoxes& boxes,
                                DelayedProgress* progress = nullptr,
                                QStringList* missing = nullptr);

} // namespace vantoro
