#include "fileops/TrashRestore.h"

#include "fileops/FileOperationSupport.h"

#include <cerrno>

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vantoro {

int restoreFromTrash(const TrashEntry& entry, const QByteArray& originalPath)
{
    if (!entry.isValid() || !originalPath.startsWith('/'))
        return EINVAL;
    const QByteArray file = entry.filePath();
    struct stat st;
    if (::lstat(file.constData(), &st) != 0)
        return errno;
    // Another item under the entry's name (ours was emptied, the Trash gave the name again)
    // stays where it is, and so does its record.
    if (!entry.stillHoldsItem())
        return ESTALE;
    const int slash = originalPath.lastIndexOf('/');
    if (slash > 0) {
        if (const int error = makeFolders(originalPath.left(slash)))
            return error;
    }
    if (const int error = placeWithoutReplacing(AT_FDCWD, file, AT_FDCWD, originalPath))
        return error;
    // The item is back; a record left behind would only show an empty entry in the Trash.
    ::unlink(entry.infoPath().constData());
    return 0;
}

} // namespace vantoro
