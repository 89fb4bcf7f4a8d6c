#include "platform/AtomicFileWriter.h"

#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vantoro {

namespace {

// The file a path finally names: a symbolic link is followed so that the link stays a link.
QString resolvedTarget(const QString& path)
{
    const QFileInfo info(path);
    if (info.isSymLink()) {
        const QString target = info.symLinkTarget();
        if (!target.isEmpty())
            return target;
    }
    return path;
}

} // namespace

AtomicFileWriter::AtomicFileWriter(QString targetPath) : m_target(std::move(targetPath)) {}

AtomicFileWriter::~AtomicFileWriter()
{
    discard();
}

bool AtomicFileWriter::begin()
{
    const QString target = resolvedTarget(m_target);
    const QFileInfo info(target);
    const QString folder = info.path();
    struct stat folderStat {};
    if (::stat(QFile::encodeName(folder).constData(), &folderStat) != 0) {
        fail(errno);
        return false;
    }
    if (!S_ISDIR(folderStat.st_mode)) {
        fail(ENOTDIR);
        return false;
    }
    if (info.isDir()) {
        fail(EISDIR);
        return false;
    }
    m_tempPath = QFile::encodeName(folder + QStringLiteral("/.") + info.fileName()) + ".XXXXXX";
    m_fd = ::mkstemp(m_tempPath.data());
    if (m_fd < 0) {
        const int err = errno;
        m_tempPath.clear();
        fail(err);
        return false;
    }
    // The new file keeps the old one's permission bits; a new file gets the usual 0666 & ~umask.
    struct stat old {};
    mode_t mode = 0;
    if (::stat(QFile::encodeName(target).constData(), &old) == 0) {
        mode = old.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    ::fchmod(m_fd, mode);
    QIODevice::open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    return true;
}

qint64 AtomicFileWriter::readData(char*, qint64)
{
    return -1;
}

qint64 AtomicFileWriter::writeData(const char* data, qint64 size)
{
    if (m_fd < 0 || m_error != 0)
        return -1;
    qint64 done = 0;
    while (done < size) {
        const ssize_t n = ::write(m_fd, data + done, static_cast<size_t>(size - done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            fail(errno);
            return -1;
        }
        if (n == 0) {
            fail(ENOSPC);
            return -1;
        }
        done += n;
    }
    return done;
}

bool AtomicFileWriter::commit()
{
    if (m_fd < 0 || m_error != 0) {
        discard();
        return false;
    }
    if (::fsync(m_fd) != 0) {
        fail(errno);
        return false;
    }
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0) {
        fail(errno);
        return false;
    }
    const QByteArray target = QFile::encodeName(resolvedTarget(m_target));
    if (::rename(m_tempPath.constData(), target.constData()) != 0) {
        fail(errno);
        return false;
    }
    m_tempPath.clear();
    QIODevice::close();
    // Make the rename itself durable.
    const QByteArray folder = QFile::encodeName(QFileInfo(QFile::decodeName(target)).path());
    const int dirFd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

void AtomicFileWriter::fail(int errnoValue)
{
    if (m_error == 0)
        m_error = errnoValue;
    discard();
}

void AtomicFileWriter::discard()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_tempPath.isEmpty()) {
        ::unlink(m_tempPath.constData());
        m_tempPath.clear();
    }
}

int AtomicFileWriter::writeWhole(const QString& targetPath, const QByteArray& bytes)
{
    AtomicFileWriter writer(targetPath);
    if (!writer.begin())
        return writer.error();
    if (writer.write(bytes) != bytes.size() || !writer.commit())
        return writer.error() != 0 ? writer.error() : EIO;
    return 0;
}

} // namespace vantoro
