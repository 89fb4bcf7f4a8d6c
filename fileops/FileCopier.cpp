#include "fileops/FileCopier.h"

#include "fileops/FileOperationSupport.h"

#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/xattr.h>
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
    if (control.ownBytes)
        control.ownBytes->fetch_add(n, std::memory_order_relaxed);
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

// Copies [offset, offset + length) at the same place in `out`: copy_file_range within one
// file system, else read and write.
int copyRange(int in, int out, off_t offset, off_t length, const CopyControl& control)
{
    std::vector<char> buffer;
    loff_t inOffset = offset;
    loff_t outOffset = offset;
    bool kernelCopy = true;
    while (length > 0) {
        if (cancelled(control))
            return ECANCELED;
        const size_t chunk = size_t(qMin<off_t>(length, off_t(kCopyChunk)));
        ssize_t n = -1;
        if (kernelCopy) {
            n = ::copy_file_range(in, &inOffset, out, &outOffset, chunk, 0);
            if (n < 0 && errno != EINTR) {
                if (errno != EXDEV && errno != ENOSYS && errno != EOPNOTSUPP && errno != EINVAL &&
                    errno != EBADF)
                    return errno;
                kernelCopy = false;
            }
            if (n == 0) // the source became shorter meanwhile
                return 0;
        } else {
            if (buffer.empty())
                buffer.resize(kBufferSize);
            n = ::pread(in, buffer.data(), qMin(chunk, buffer.size()), inOffset);
            if (n == 0)
                return 0;
            if (n > 0) {
                if (const int error = writeAll(out, buffer.data(), size_t(n), outOffset))
                    return error;
                inOffset += n;
                outOffset += n;
            } else if (errno != EINTR) {
                return errno;
            }
        }
        if (n > 0) {
            length -= n;
            countBytes(control, n);
        }
    }
    return 0;
}

// A sparse file, segment by segment: only the data is copied, the holes between stay holes
// (the file system allocates nothing for them) and the end is set by the size.
int copySparse(int in, int out, const struct stat& inStat, const CopyControl& control)
{
    off_t offset = 0;
    while (offset < inStat.st_size) {
        const off_t data = ::lseek(in, offset, SEEK_DATA);
        if (data < 0) {
            if (errno == ENXIO) // only a hole up to the end
                break;
            return errno;
        }
        off_t hole = ::lseek(in, data, SEEK_HOLE);
        if (hole < 0)
            return errno;
        hole = qMin(hole, inStat.st_size);
        countBytes(control, data - offset);
        if (const int error = copyRange(in, out, data, hole - data, control))
            return error;
        offset = hole;
    }
    countBytes(control, qMax<off_t>(0, inStat.st_size - offset));
    return ::ftruncate(out, inStat.st_size) == 0 ? 0 : errno;
}

bool isCopyTemporaryName(const QByteArray& name)
{
    // "." + stem + ".vantoro-" + 8 letters or digits + ".part"
    static const QByteArray kMark = ".vantoro-";
    static const QByteArray kEnd = ".part";
    const int markAt = int(name.size()) - int(kEnd.size()) - 8 - int(kMark.size());
    if (!name.startsWith('.') || markAt < 1 || !name.endsWith(kEnd) ||
        name.mid(markAt, kMark.size()) != kMark)
        return false;
    for (const char c : name.mid(markAt + kMark.size(), 8)) {
        if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')))
            return false;
    }
    return true;
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
    // Fewer blocks than the size needs: the file has holes.
    if (S_ISREG(inStat.st_mode) && inStat.st_blocks * 512 < inStat.st_size)
        return copySparse(in, out, inStat, control);
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
        m_leftovers = other.m_leftovers;
    }
    return *this;
}

int StagedFile::stage(int source, const struct stat& sourceStat, const SharedFd& folder,
                      const CopyControl& control)
{
    discard();
    m_folder = folder;
    m_leftovers = control.leftovers;
    const int dir = folder->get();
    const mode_t mode = sourceStat.st_mode & 07777;
    int fd = ::openat(dir, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd < 0) {
        const int error = errno;
        // File systems without unnamed files answer one of these; the others are real errors
        // of the folder (read-only, no space, access denied).
        if (error != EOPNOTSUPP && error != EISDIR && error != EINVAL && error != ENOENT)
            return error;
        // Made with the copy's own permission bits (less the umask): where they come out right
        // no change of mode follows, which on a network drive is a round trip per file.
        for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
            m_tempName = hiddenTempName("copy");
            fd = ::openat(dir, m_tempName.constData(),
                          O_CREAT | O_EXCL | O_RDWR | O_CLOEXEC | O_NOFOLLOW, mode & 0777);
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
    // Held until the copy is closed: the clean-up of a later run tells a copy at work from one
    // that a killed run left (a hard link of an unnamed copy shares this lock).
    ::flock(fd, LOCK_EX | LOCK_NB);
    struct stat own;
    const bool known = ::fstat(fd, &own) == 0;
    if (known)
        m_device = own.st_dev;

    int error = copyFileContents(source, fd, sourceStat, control);
    // FAT and exFAT drives keep no permission bits: some refuse the change, the copy goes on.
    const bool modeRight = known && (own.st_mode & 07777) == mode;
    if (!error && !modeRight && ::fchmod(fd, mode) != 0 && errno != ENOSYS && errno != EOPNOTSUPP &&
        errno != EPERM)
        error = errno;
    if (!error)
        copyExtendedAttributes(source, fd); // after the mode: an access ACL sets the group bits
    if (!error) {
        const struct timespec times[2] = {sourceStat.st_atim, sourceStat.st_mtim};
        if (::futimens(fd, times) != 0)
            error = errno;
    }
    if (error) {
        giveBackRoom(error);
        discard();
        return error;
    }
    return 0;
}

void StagedFile::giveBackRoom(int error)
{
    // On a FUSE drive a removed file's room comes back only once the driver hears that it was
    // closed, which the kernel tells it later: the next file's commit would find the drive still
    // full.
    if (m_file.isValid() && (error == ENOSPC || error == EDQUOT)) {
        // Best effort: the copy is removed whether or not the drive takes the truncation.
        [[maybe_unused]] const int emptied = ::ftruncate(m_file.get(), 0);
    }
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
        if (const int error = placeWithoutReplacing(dir, m_tempName, dir, finalName, m_device))
            return error;
        m_tempName.clear();
    }
    m_file.reset();
    m_folder.reset();
    return 0;
}

void StagedFile::discard()
{
    if (m_file.isValid() && !m_tempName.isEmpty() && m_folder &&
        ::unlinkat(m_folder->get(), m_tempName.constData(), 0) != 0 && errno != ENOENT &&
        m_leftovers)
        m_leftovers->add(m_folder, m_tempName);
    m_tempName.clear();
    m_file.reset();
    m_folder.reset();
}

void LeftoverTemporaries::add(SharedFd folder, QByteArray name)
{
    m_items.emplace_back(std::move(folder), std::move(name));
}

void LeftoverTemporaries::takeFrom(LeftoverTemporaries& other)
{
    for (auto& item : other.m_items)
        m_items.push_back(std::move(item));
    other.m_items.clear();
}

int LeftoverTemporaries::removeReachable()
{
    std::erase_if(m_items, [](const auto& item) {
        return ::unlinkat(item.first->get(), item.second.constData(), 0) == 0 || errno == ENOENT;
    });
    return int(m_items.size());
}

bool existsInFolder(int folder, const QByteArray& name)
{
    struct stat st;
    return ::fstatat(folder, name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 || errno != ENOENT;
}

QByteArray nameHeldInFolder(int folder, const QByteArray& name)
{
    const int scan = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* dir = scan < 0 ? nullptr : ::fdopendir(scan);
    if (!dir) {
        if (scan >= 0)
            ::close(scan);
        return name;
    }
    const QString wanted = QFile::decodeName(name);
    QByteArray held = name;
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArray candidate(entry->d_name);
        if (candidate == name) {
            held = name;
            break;
        }
        if (QFile::decodeName(candidate).compare(wanted, Qt::CaseInsensitive) == 0)
            held = candidate;
    }
    ::closedir(dir);
    return held;
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

void copyExtendedAttributes(int in, int out)
{
    std::vector<char> names(4096);
    ssize_t length = ::flistxattr(in, names.data(), names.size());
    if (length < 0 && errno == ERANGE) {
        length = ::flistxattr(in, nullptr, 0);
        if (length > 0) {
            names.resize(size_t(length));
            length = ::flistxattr(in, names.data(), names.size());
        }
    }
    if (length <= 0)
        return;
    std::vector<char> value;
    for (const char* name = names.data(); name < names.data() + length;
         name += std::strlen(name) + 1) {
        // Only the user's own attributes and the ACLs: "trusted." and "security." belong to the
        // system (and a security label to the place the file is in), owners are not copied.
        const bool wanted = std::strncmp(name, "user.", 5) == 0 ||
                            std::strcmp(name, "system.posix_acl_access") == 0 ||
                            std::strcmp(name, "system.posix_acl_default") == 0;
        if (!wanted)
            continue;
        const ssize_t size = ::fgetxattr(in, name, nullptr, 0);
        if (size < 0)
            continue;
        value.resize(size_t(size) + 1);
        const ssize_t n = ::fgetxattr(in, name, value.data(), value.size());
        if (n >= 0)
            ::fsetxattr(out, name, value.data(), size_t(n), 0);
    }
}

int removeStaleCopyTemporaries(int folder)
{
    const int scan = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (scan < 0)
        return 0;
    DIR* dir = ::fdopendir(scan);
    if (!dir) {
        ::close(scan);
        return 0;
    }
    int removed = 0;
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (!isCopyTemporaryName(name))
            continue;
        struct stat st;
        if (::fstatat(folder, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 ||
            !S_ISREG(st.st_mode) || st.st_uid != ::geteuid())
            continue;
        UniqueFd fd(::openat(folder, entry->d_name,
                             O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
        struct stat opened;
        // A copy at work holds its lock; a killed one's lock went with its process.
        if (fd.isValid() && ::flock(fd.get(), LOCK_EX | LOCK_NB) == 0 &&
            ::fstat(fd.get(), &opened) == 0 && opened.st_dev == st.st_dev &&
            opened.st_ino == st.st_ino && ::unlinkat(folder, entry->d_name, 0) == 0)
            ++removed;
    }
    ::closedir(dir);
    return removed;
}

} // namespace vantoro
