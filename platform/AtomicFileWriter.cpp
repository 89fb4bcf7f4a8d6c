#include "platform/AtomicFileWriter.h"

#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vantoro {

namespace {

constexpr char kTemporaryMark[] = ".vantoro-";
constexpr int kRandomChars = 6;
// The longest file name most Linux file systems take.
constexpr qsizetype kMaxFileName = 255;

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

bool isRandomChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

bool endsInRandomChars(const QByteArray& name)
{
    if (name.size() < kRandomChars)
        return false;
    for (qsizetype i = name.size() - kRandomChars; i < name.size(); ++i) {
        if (!isRandomChar(name.at(i)))
            return false;
    }
    return true;
}

// 0 when an existing file may be written by this process (or does not exist), else the errno.
// The effective ids and capabilities count, as they do for open().
int writeRefusal(const QByteArray& path)
{
    if (::faccessat(AT_FDCWD, path.constData(), F_OK, AT_EACCESS) != 0)
        return 0;
    return ::faccessat(AT_FDCWD, path.constData(), W_OK, AT_EACCESS) == 0 ? 0 : errno;
}

mode_t currentUmask()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

} // namespace

AtomicFileWriter::AtomicFileWriter(QString targetPath) : m_target(std::move(targetPath)) {}

AtomicFileWriter::~AtomicFileWriter()
{
    discard();
}

QByteArray AtomicFileWriter::temporaryNameFor(const QByteArray& fileName)
{
    static constexpr char kChars[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    const qsizetype room = kMaxFileName - 1 - qsizetype(sizeof kTemporaryMark - 1) - kRandomChars;
    QByteArray name = '.' + fileName.left(room) + kTemporaryMark;
    for (int i = 0; i < kRandomChars; ++i)
        name += kChars[QRandomGenerator::global()->bounded(int(sizeof kChars - 1))];
    return name;
}

bool AtomicFileWriter::isWriterTemporaryName(const QByteArray& name)
{
    if (!name.startsWith('.') || !endsInRandomChars(name))
        return false;
    const QByteArray rest = name.chopped(kRandomChars);
    if (rest.endsWith(kTemporaryMark))
        return rest.size() > qsizetype(sizeof kTemporaryMark - 1) + 1;
    // ".<name>.XXXXXX": only for the files this program writes, so that another program's
    // temporaries of the same shape are left alone.
    if (!rest.endsWith('.'))
        return false;
    const QByteArray inner = rest.mid(1, rest.size() - 2).toLower();
    return inner == "vantoro.ini" || inner == "playlist.tmp" ||
           (inner.size() > 4 && inner.endsWith(".asx"));
}

bool AtomicFileWriter::begin()
{
    const QString target = resolvedTarget(m_target);
    const QFileInfo info(target);
    m_folder = QFile::encodeName(info.path());
    m_resolvedTarget = QFile::encodeName(target);
    struct stat folderStat
    {
    };
    if (::stat(m_folder.constData(), &folderStat) != 0) {
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
    if (const int refusal = writeRefusal(m_resolvedTarget)) {
        fail(refusal);
        return false;
    }
    // The new file keeps the old one's permission bits; a new file gets the usual 0666 & ~umask.
    struct stat old
    {
    };
    const mode_t mode = ::stat(m_resolvedTarget.constData(), &old) == 0 ? (old.st_mode & 07777)
                                                                        : (0666 & ~currentUmask());

    m_fd = ::open(m_folder.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (m_fd >= 0) {
        m_unnamed = true;
    } else if (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL) {
        // The file system (or kernel) has no unnamed files.
        if (!openNamedTemporary())
            return false;
    } else {
        fail(errno);
        return false;
    }
    ::fchmod(m_fd, mode);
    // The lock tells the start-up sweep that this temporary is in use; it goes with the file
    // description, so it also covers the unnamed file once it has a name.
    ::flock(m_fd, LOCK_EX | LOCK_NB);
    QIODevice::open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    return true;
}

bool AtomicFileWriter::openNamedTemporary()
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QByteArray path = m_folder + '/' + temporaryNameFor(targetFileName());
        m_fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (m_fd >= 0) {
            m_tempPath = path;
            return true;
        }
        if (errno != EEXIST) {
            fail(errno);
            return false;
        }
    }
    fail(EEXIST);
    return false;
}

bool AtomicFileWriter::nameUnnamedTemporary()
{
    char procPath[48];
    std::snprintf(procPath, sizeof procPath, "/proc/self/fd/%d", m_fd);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QByteArray path = m_folder + '/' + temporaryNameFor(targetFileName());
        if (::linkat(AT_FDCWD, procPath, AT_FDCWD, path.constData(), AT_SYMLINK_FOLLOW) == 0) {
            m_tempPath = path;
            return true;
        }
        int err = errno;
        if (err == ENOENT) {
            // No /proc: linking the descriptor itself needs CAP_DAC_READ_SEARCH.
            if (::linkat(m_fd, "", AT_FDCWD, path.constData(), AT_EMPTY_PATH) == 0) {
                m_tempPath = path;
                return true;
            }
            if (errno == EEXIST)
                err = EEXIST;
        }
        if (err != EEXIST) {
            fail(err);
            return false;
        }
    }
    fail(EEXIST);
    return false;
}

QByteArray AtomicFileWriter::targetFileName() const
{
    return m_resolvedTarget.mid(m_resolvedTarget.lastIndexOf('/') + 1);
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
    // The user may have write-protected the file while it was being written.
    if (const int refusal = writeRefusal(m_resolvedTarget)) {
        fail(refusal);
        return false;
    }
    // From here to the rename is the only time a killed process can leave a temporary behind.
    if (m_unnamed && !nameUnnamedTemporary())
        return false;
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0) {
        fail(errno);
        return false;
    }
    if (::rename(m_tempPath.constData(), m_resolvedTarget.constData()) != 0) {
        fail(errno);
        return false;
    }
    m_tempPath.clear();
    QIODevice::close();
    // Make the rename itself durable.
    const int dirFd = ::open(m_folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
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
    if (isOpen())
        QIODevice::close();
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

int removeStaleWriterTemporaries(const QString& folder, std::chrono::seconds minimumAge)
{
    DIR* dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return 0;
    const int dirFd = ::dirfd(dir);
    const time_t now = ::time(nullptr);
    int removed = 0;
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (!AtomicFileWriter::isWriterTemporaryName(name))
            continue;
        struct stat st
        {
        };
        if (::fstatat(dirFd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 ||
            !S_ISREG(st.st_mode) || st.st_uid != ::geteuid())
            continue;
        // The time of the last write: a writer at work keeps it fresh.
        if (now - st.st_mtime < minimumAge.count())
            continue;
        const int fd = ::openat(dirFd, entry->d_name,
                                O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat opened
        {
        };
        // A writer that still runs holds its lock; a killed one's lock went with it.
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &opened) == 0 &&
            opened.st_dev == st.st_dev && opened.st_ino == st.st_ino &&
            ::unlinkat(dirFd, entry->d_name, 0) == 0)
            ++removed;
        ::close(fd);
    }
    ::closedir(dir);
    return removed;
}

} // namespace vantoro
