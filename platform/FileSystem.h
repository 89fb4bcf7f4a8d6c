#pragma once

#include <QString>

namespace vantoro {

// Small file operations of the program's own, each answering 0 or the errno of the failure.

// Deletes a file permanently (not to the Trash). A folder is refused with EISDIR.
int deleteFilePermanently(const QString& path);

// Copies `from` to `to`, replacing an existing file. The copy is written beside the target and
// renamed over it only when complete, so a failure leaves the old target as it was. A target the
// user made read-only is not replaced: EACCES (EROFS on a read-only file system).
int copyFileReplacing(const QString& from, const QString& to);

} // namespace vantoro
