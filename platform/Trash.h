#pragma once

#include <QByteArray>
#include <QString>

namespace vantoro {

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
TrashOutcome moveToTrash(const QByteArray& path);

} // namespace vantoro
