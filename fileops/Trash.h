#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

namespace vantoro {

class GioLibrary;

struct TrashOutcome
{
    enum class Status {
        Trashed,
        // The volume has no Trash that can be used (a system-internal mount such as a tmpfs,
        // or no `.Trash-$uid` folder can be made at its top): only a permanent delete is left.
        NoTrash,
        Failed, // the file itself failed: not found, access denied, ...
    };
    Status status = Status::Failed;
    int errorCode = 0; // errno value for Failed where one applies
    QString reason;    // the desktop's own wording
    // Where a trashed item went: `trashFolder`/files/`entryName`, recorded in
    // `trashFolder`/info/`entryName`.trashinfo. Also set when a trashed item whose record is
    // unusable could not be put back (Failed, and the item is still there).
    QByteArray trashFolder;
    QByteArray entryName;
};

// Moves a file or folder (given as its path in the file system's bytes) to the user's Trash by
// the freedesktop Trash rules, through GIO: to $XDG_DATA_HOME/Trash for the home volume, to the
// volume's `$topdir/.Trash/$uid` or `$topdir/.Trash-$uid` otherwise, with an info/*.trashinfo
// record so that the file manager can put it back. Safe to call from any thread.
// The record is read back after the move: GIO reports success even where it could not write
// it (a full disk leaves an empty record, from which nothing can be put back). Then the item is
// moved back to its place and the outcome is Failed; if it cannot be moved back it stays in the
// Trash (never deleted) and the reason says where it is.
// GIO is opened at the first call (GioLibrary::shared()); where it cannot be, every call fails
// with the reason and nothing is moved.
TrashOutcome moveToTrash(const QByteArray& path);
// The same through a given GIO library.
TrashOutcome moveToTrash(const QByteArray& path, const GioLibrary& gio);

// Where the Trash rules put an item, by its path (which may be gone already: only its folder is
// looked at). Links are resolved as the desktop's Trash resolves them.
// The folder that holds `path`, every link resolved; empty when it cannot be reached.
QByteArray resolvedFolderOf(const QByteArray& path);
// The top folder of the volume that holds `path`: the highest folder on the same device as its
// folder. Empty when the folder cannot be reached.
QByteArray volumeTopOf(const QByteArray& path);
// The Trash folders an item at `path` can go to: the home Trash first, then the volume's own
// `.Trash/$uid` and `.Trash-$uid` at its top folder.
std::vector<QByteArray> trashFoldersFor(const QByteArray& path);

} // namespace vantoro
