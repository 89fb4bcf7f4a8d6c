#include "platform/Folders.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace vantoro {

bool folderExists(const QString& path)
{
    if (path.isEmpty())
        return false;
    struct stat st
    {
    };
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

int makeFolder(const QString& path)
{
    if (path.isEmpty())
        return ENOENT;
    if (::mkdir(QFile::encodeName(path).constData(), 0777) == 0)
        return 0;
    const int error = errno;
    if (error == EEXIST && folderExists(path))
        return 0;
    return error;
}

} // namespace vantoro
