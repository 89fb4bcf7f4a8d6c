#include "platform/TrashRestore.h"

#include <cerrno>

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vantoro {

namespace {

int makeFolders(const QByteArray& path)
{
    for (int slash = path.indexOf('/', 1);; slash = path.indexOf('/', slash + 1)) {
        const QByteArray prefix = slash < 0 ? path : path.left(slash);
        if (::mkdir(prefix.constData(), 0777) != 0 && errno != EEXIST)
            return errno;
        if (slash < 0)
            return 0;
    }
}

} // namespace

int restoreFromTrash(const TrashEntry& entry, const QByteArray& originalPath)
{
    if (!entry.isValid() || !originalPath.startsWith('/'))
        return EINVAL;
    const QByteArray file = entry.filePath();
    struct stat st;
    if (::lstat(file.constData(), &st) != 0)
        return errno;
    const int slash = originalPath.lastIndexOf('/');
    if (slash > 0) {
        if (const int error = makeFolders(originalPath.left(slash)))
            return error;
    }
    if (::renameat2(AT_FDCWD, file.constData(), AT_FDCWD, originalPath.constData(),
                    RENAME_NOREPLACE) != 0)
        return errno;
    // The item is back; a record left behind would only show an empty entry in the Trash.
    ::unlink(entry.infoPath().constData());
    return 0;
}

} // namespace vantoro
