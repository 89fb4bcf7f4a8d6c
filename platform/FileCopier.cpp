#include "platform/FileCopier.h"

#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace vantoro {

namespace {

// Blocks between two looks at the cancel flag: large enough for the kernel's copy paths to run
// at full speed, small enough that a cancel lands within a fraction of a second.
constexpr size_t kCopyChunk = 8 * 1024 * 1024;
constexpr size_t kBufferSize = 1024 * 1024;
// Longest part of the final name kept in a hidden temporary name (NAME_MAX is 255 bytes).
constexpr int kTempNameStem = 200;

bool cancelled(const CopyControl& control)
{
    return control.cancel && control.cancel->load(std::memory_order_relaxed);
}

void countBytes(const CopyControl& control, qint64 n)
{
    if (control.bytesDone)
        control.bytesDone->fetch_add(n, std::memory_order_relaxed);
}

QByteArray randomSuffix()
{
    static const char kDigits[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    QByteArray suffix(8, '0');
    for (char& c : suffix)
        c = kDigits[QRandomGenerator::global()->bounded(int(sizeof kDigits - 1))];
    return suffix;
}

QByteArray hiddenTempName(const QByteArray& stem)
{
    return QByteArray(".") + stem.left(kTempNameStem) + QByteArray(".vantoro-") + randomSuffix() +
           QByteArray(".part");
}

int writeAll(int out, const char* data, size_t size, off_t offset)
{
    while (size > 0) {
        const ssize_t n = ::pwrite(out, data, size, offset);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        // A short write (the last blocks of a full disk) is followed by a write that fails
        // with the reason, so keep going until everything is written or an error comes.
        data += n;
        size -= size_t(n);
        offset += n;
    }
    return 0;
}

int readWriteCopy(int in, int out, off_t offset, const CopyControl& control)
{
    std::vector<char> buffer(kBufferSize);
    for (;;) {
        if (cancelled(control))
            return ECANCELED;
        const ssize_t n = ::pread(in, buffer.data(), buffer.size(), offset);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            return 0;
        if (const int error = writeAll(out, buffer.data(), size_t(n), offset))
            return error;
        offset += n;
        countBytes(control, n);
    }
}

} // namespace

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept
{
    if (this != &other)
        reset(other.release());
    return *this;
}

int UniqueFd::release()
{
    const int fd = m_fd;
    m_fd = -1;
    return fd;
}

void UniqueFd::reset(int fd)
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = fd;
}

int copyFileContents(int in, int out, const struct stat& inStat, const CopyControl& control)
{
    if (cancelled(control))
        return ECANCELED;
    // A clone shares the blocks (btrfs, XFS): instant, and the copy is complete in one call.
    if (S_ISREG(inStat.st_mode) && inStat.st_size > 0 && ::ioctl(out, FICLONE, in) == 0) {
        countBytes(control, inStat.st_size);
        return 0;
    }
    loff_t inOffset = 0;
    loff_t outOffset = 0;
    for (;;) {
        if (cancelled(control))
            return ECANCELED;
        const ssize_t n = ::copy_file_range(in, &inOffset, out, &outOffset, kCopyChunk, 0);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            // Not offered between these two files (another file system, an old kernel, a
            // special file): the rest goes through read and write.
            if (errno == EXDEV || errno == ENOSYS || errno == EOPNOTSUPP || errno == EINVAL ||
                errno == EBADF)
                return readWriteCopy(in, out, inOffset, control);
            return errno;
        }
        if (n == 0) {
            // Some pseudo files report no data to copy_file_range although read finds some.
            if (inOffset == 0 && inStat.st_size > 0)
                return readWriteCopy(in, out, 0, control);
            return 0;
        }
        countBytes(control, n);
    }
}

StagedFile& StagedFile::operator=(StagedFile&& other) noexcept
{
    if (this != &other) {
        discard();
        m_file = std::move(other.m_file);
        m_folder = std::move(other.m_folder);
        m_tempName = std::move(other.m_tempName);
        m_device = other.m_device;
    }
    return *this;
}

int StagedFile::stage(int source, const struct stat& sourceStat, const SharedFd& folder,
                      const CopyControl& control)
{
    discard();
    m_folder = folder;
    const int dir = folder->get();
    const mode_t mode = sourceStat.st_mode & 07777;
    int fd = ::openat(dir, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd < 0) {
        const int error = errno;
        // File systems without unnamed files answer one of these; the others are real errors
        // of the folder (read-only, no space, access denied).
        if (error != EOPNOTSUPP && error != EISDIR && error != EINVAL && error != ENOENT)
            return error;
        for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
            m_tempName = hiddenTempName("copy");
            fd = ::openat(dir, m_tempName.constData(),
                          O_CREAT | O_EXCL | O_RDWR | O_CLOEXEC | O_NOFOLLOW, 0600);
            if (fd < 0 && errno != EEXIST) {
                const int createError = errno;
                m_tempName.clear();
                return createError;
            }
        }
        if (fd < 0) {
            m_tempName.clear();
            return EEXIST;
        }
    }
    m_file.reset(fd);
    struct stat own;
    if (::fstat(fd, &own) == 0)
        m_device = own.st_dev;

    int error = copyFileContents(source, fd, sourceStat, control);
    if (!error && ::fchmod(fd, mode) != 0)
        error = errno;
    if (!error) {
        const struct timespec times[2] = {sourceStat.st_atim, sourceStat.st_mtim};
        if (::futimens(fd, times) != 0)
            error = errno;
    }
    if (error) {
        discard();
        return error;
    }
    return 0;
}

int StagedFile::sync() const
{
    if (!m_file.isValid())
        return EBADF;
    return ::fsync(m_file.get()) == 0 ? 0 : errno;
}

int StagedFile::linkUnnamed(const QByteArray& name)
{
    const QByteArray procPath = QByteArray("/proc/self/fd/") + QByteArray::number(m_file.get());
    if (::linkat(AT_FDCWD, procPath.constData(), m_folder->get(), name.constData(),
                 AT_SYMLINK_FOLLOW) == 0)
        return 0;
    const int error = errno;
    if (error != ENOENT)
        return error;
    // Without /proc: linking by descriptor needs CAP_DAC_READ_SEARCH, try it all the same.
    if (::linkat(m_file.get(), "", m_folder->get(), name.constData(), AT_EMPTY_PATH) == 0)
        return 0;
    return errno == ENOENT ? error : errno;
}

int StagedFile::commit(const QByteArray& finalName, bool replace)
{
    if (!m_file.isValid())
        return EBADF;
    const int dir = m_folder->get();
    if (isUnnamed()) {
        if (!replace) {
            // link() never replaces: an existing file of the name stays as it was.
            if (const int error = linkUnnamed(finalName))
                return error;
        } else {
            QByteArray temp;
            int error = EEXIST;
            for (int attempt = 0; attempt < 100 && error == EEXIST; ++attempt) {
                temp = hiddenTempName(finalName);
                error = linkUnnamed(temp);
            }
            if (error)
                return error;
            if (::renameat(dir, temp.constData(), dir, finalName.constData()) != 0) {
                error = errno;
                ::unlinkat(dir, temp.constData(), 0);
                return error;
            }
        }
    } else if (replace) {
        if (::renameat(dir, m_tempName.constData(), dir, finalName.constData()) != 0)
            return errno;
        m_tempName.clear();
    } else {
        if (::renameat2(dir, m_tempName.constData(), dir, finalName.constData(),
                        RENAME_NOREPLACE) != 0) {
            if (errno != EINVAL && errno != ENOSYS)
                return errno;
            // No atomic no-replace rename here: a hard link refuses an existing name just as well.
            if (::linkat(dir, m_tempName.constData(), dir, finalName.constData(), 0) != 0)
                return errno;
            ::unlinkat(dir, m_tempName.constData(), 0);
        }
        m_tempName.clear();
    }
    m_file.reset();
    m_folder.reset();
    return 0;
}

void StagedFile::discard()
{
    if (m_file.isValid() && !m_tempName.isEmpty() && m_folder)
        ::unlinkat(m_folder->get(), m_tempName.constData(), 0);
    m_tempName.clear();
    m_file.reset();
    m_folder.reset();
}

bool existsInFolder(int folder, const QByteArray& name)
{
    struct stat st;
    return ::fstatat(folder, name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 || errno != ENOENT;
}

QByteArray freeNameInFolder(int folder, const QByteArray& name)
{
    // "clip.avi" -> "clip (2).avi"; a leading dot is part of the stem (".hidden" -> ".hidden (2)").
    const int dot = name.lastIndexOf('.');
    const bool hasExtension = dot > 0;
    const QByteArray stem = hasExtension ? name.left(dot) : name;
    const QByteArray extension = hasExtension ? name.mid(dot) : QByteArray();
    QByteArray candidate;
    // The bound only matters for a folder that answers every look-up with an error; the commit
    // then reports that error instead of replacing anything.
    for (int n = 2; n < 100000; ++n) {
        candidate = stem + QByteArray(" (") + QByteArray::number(n) + QByteArray(")") + extension;
        if (!existsInFolder(folder, candidate))
            break;
    }
    return candidate;
}

} // namespace vantoro
