#include "fileops/IoError.h"

#include <cstring>

#include <cerrno>

namespace vantoro {

QString ioErrorText(int errnoValue)
{
    switch (errnoValue) {
    case ENOENT:
        return QStringLiteral("File not found");
    case ENOTDIR:
    case ENAMETOOLONG:
    case EINVAL:
    case EISDIR:
        return QStringLiteral("Invalid filename");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("Too many open files");
    case EACCES:
    case EPERM:
    case EROFS:
        return QStringLiteral("File access denied");
    case kReadBeyondEnd:
        return QStringLiteral("Read beyond end of file");
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return QStringLiteral("Disk full");
    default:
        return QStringLiteral("I/O error %1").arg(errnoValue);
    }
}

QString systemErrorText(int errnoValue)
{
    if (const char* text = ::strerrordesc_np(errnoValue))
        return QString::fromLocal8Bit(text);
    return QStringLiteral("Error %1").arg(errnoValue);
}

} // namespace vantoro
