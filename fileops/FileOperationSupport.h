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

// Makes a folder and its missing parents. Something of a name that is not a folder (a file, a
// dangling symbolic link) is ENOTDIR, never taken for a folder. Answers 0 or an errno value.
int makeFolders(const QByteArray& path);

} // namespace vantoro
