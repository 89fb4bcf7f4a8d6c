#pragma once

#include <QByteArray>
#include <QString>

#include <sys/stat.h>

namespace vantoro {

// Path and file-tree helpers of the file-operation engine. Paths are the file system's bytes.

QByteArray withoutTrailingSlashes(QByteArray path);
QByteArray baseName(const QByteArray& path);
QByteArray parentFolder(const QByteArray& path);

// The same file (or folder, or link) by identity, whatever its names.
bool sameFile(const struct stat& a, const struct stat& b);

// Whether the file under a name is still the one that was copied: same identity, size,
// modification time and change time. A file still being written, one put in its place, or one
// rewritten in place whose modification time was set back (as taggers do) is not: only the
// kernel sets the change time.
bool unchangedSince(const struct stat& now, const struct stat& copied);

// Whether the symbolic link `link` leads, through any number of links, absolute or relative,
// to the entry `entry` (as lstat describes it): a link that names the destination file is that
// file for a copy or move. Follows at most 40 links.
bool linkLeadsTo(const QByteArray& link, const struct stat& entry);

// Why a file of this kind (device, pipe, socket) is not copied; empty for the kinds that are.
QString uncopiableKindReason(mode_t mode);

// Whether `path`, which was on the drive of `device` and is no longer found, is gone from that
// drive: the nearest folder above it that is still there lies on the same drive. A name that
// vanished with its drive (a stick pulled, a network drive unmounted: the path then leads to
// the empty folder the drive was mounted on) is not gone, and may come back with the drive.
bool goneFromItsDrive(const QByteArray& path, dev_t device);
QString driveGoneReason();

// The reasons the engine gives for refusing a file that is its own destination, and for keeping
// the source of a move that changed after it was copied.
QString sameFileReason();
QString changedSinceCopyReason();

// A file name for a message: valid UTF-8 as it is, every other byte as \xNN.
QString escapedName(const QByteArray& name);

// Why `path` (made from text) cannot be trusted to name the file the user meant: its folder
// holds a name that is not valid UTF-8 and reads the same as this one, so that the two cannot
// be told apart on the way from the file list to here. Empty when it can be trusted.
QString misreadNameReason(const QByteArray& path);

// Removes a file, or a folder with everything in it, for good. Answers 0 or an errno value.
int removePermanently(const QByteArray& path);

// After a folder was moved by copying: removes the folders of the source that are empty now,
// deepest first. Anything still inside keeps its folders.
void removeEmptyFolders(const QByteArray& path);

// Gives the entry `from` (in the folder `fromFolder`, or relative to the working folder for
// AT_FDCWD) the name `to` in `toFolder`, never replacing anything there: EEXIST when the name is
// taken. Every step that puts a name in place goes through here. The no-replace rename comes
// first; drives that refuse it (FAT, exFAT, NTFS and network drives through FUSE) get a hard
// link and the removal of the old name where they have links, else a look that the name is
// free and a plain rename: between the look and the rename another program can take the name,
// which that rename then replaces (see docs/architecture.md). Answers 0 or an errno value;
// EXDEV when the two lie on different file systems. A caller that knows the drive both names
// lie on passes its `device`, and then must be placing a file, never a folder: once that drive
// has refused the no-replace rename it is not asked again, and the entry is not looked at to
// tell a folder (on a network drive each costs a round trip).
int placeWithoutReplacing(int fromFolder, const QByteArray& from, int toFolder,
                          const QByteArray& to, dev_t device = 0);

// Makes a folder and its missing parents. Something of a name that is not a folder (a file, a
// dangling symbolic link) is ENOTDIR, never taken for a folder. Answers 0 or an errno value.
int makeFolders(const QByteArray& path);

} // namespace vantoro
