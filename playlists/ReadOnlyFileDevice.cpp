#include "playlists/ReadOnlyFileDevice.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vantoro {

ReadOnlyFileDevice::ReadOnlyFileDevice(QString path) : m_path(std::move(path)) {}

ReadOnlyFileDevice::~ReadOnlyFileDevice()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool ReadOnlyFileDevice::openFile()
{
    const QByteArray name = QFile::encodeName(m_path);
    if (name.isEmpty() || name.contains('\0')) {
        m_error = name.isEmpty() ? ENOENT : EINVAL;
        return false;
    }
    // O_NONBLOCK keeps a pipe from blocking the open; it is refused just below anyway.
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        m_error = errno;
        return false;
    }
    struct stat info
    {
    };
    int failure = 0;
    if (::fstat(fd, &info) != 0)
        failure = errno;
    else if (S_ISDIR(info.st_mode))
        failure = EISDIR;
    else if (!S_ISREG(info.st_mode))
        failure = EINVAL;
    if (failure != 0) {
        ::close(fd);
        m_error = failure;
        return false;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    m_fd = fd;
    m_size = qint64(info.st_size);
    QIODevice::open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    return true;
}

bool ReadOnlyFileDevice::closeFile()
{
    if (m_fd < 0)
        return m_error == 0;
    const int fd = m_fd;
    m_fd = -1;
    QIODevice::close();
    if (::close(fd) != 0 && errno != EINTR) {
        m_error = errno;
        return false;
    }
    return true;
}

qint64 ReadOnlyFileDevice::readData(char* data, qint64 maxSize)
{
    if (m_fd < 0)
        return -1;
    for (;;) {
        const ssize_t n = ::read(m_fd, data, static_cast<size_t>(maxSize));
        if (n >= 0)
            return n;
        if (errno == EINTR)
            continue;
        m_error = errno;
        return -1;
    }
}

qint64 ReadOnlyFileDevice::writeData(const char*, qint64)
{
    return -1;
}

} // namespace vantoro
