#include "platform/FileSystem.h"

#include "platform/AtomicFileWriter.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vantoro {

int deleteFilePermanently(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat st
    {
    };
    if (::lstat(name.constData(), &st) != 0)
        return errno;
    if (S_ISDIR(st.st_mode))
        return EISDIR;
    return ::unlink(name.constData()) == 0 ? 0 : errno;
}

int copyFileReplacing(const QString& from, const QString& to)
{
    const int in = ::open(QFile::encodeName(from).constData(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return errno;
    AtomicFileWriter writer(to);
    int error = 0;
    if (writer.begin()) {
        char buffer[64 * 1024];
        for (;;) {
            const ssize_t n = ::read(in, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                error = errno;
                break;
            }
            if (n == 0)
                break;
            if (writer.write(buffer, n) != n)
                break;
        }
        if (error == 0 && !writer.commit())
            error = writer.error();
    } else {
        error = writer.error();
    }
    ::close(in);
    return error;
}

} // namespace vantoro
