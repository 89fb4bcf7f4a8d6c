#include "fileops/FileOperationSupport.h"

#include "fileops/DriveLimits.h"

#include <QFile>
#include <QMutex>
#include <QStringDecoder>

#include <cerrno>
#include <set>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <ftw.h>
#include <stdio.h>
#include <unistd.h>

namespace vantoro {

namespace {

constexpr int kMaxLinkHops = 40; // as the kernel's own limit for one path

int removeEntry(const char* path, const struct stat*, int type, struct FTW*)
{
    const int rc = type == FTW_DP ? ::rmdir(path) : ::unlink(path);
    return rc == 0 ? 0 : errno;
}

} // namespace

QByteArray withoutTrailingSlashes(QByteArray path)
{
    while (path.size() > 1 && path.endsWith('/'))
        path.chop(1);
    return path;
}

QByteArray baseName(const QByteArray& path)
{
    const int slash = path.lastIndexOf('/');
    return slash < 0 ? path : path.mid(slash + 1);
}

QByteArray parentFolder(const QByteArray& path)
{
    const int slash = path.lastIndexOf('/');
    if (slash < 0)
        return ".";
    return slash == 0 ? QByteArray("/") : path.left(slash);
}

bool sameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

bool unchangedSince(const struct stat& now, const struct stat& copied)
{
    return sameFile(now, copied) && now.st_size == copied.st_size &&
           now.st_mtim.tv_sec == copied.st_mtim.tv_sec &&
           now.st_mtim.tv_nsec == copied.st_mtim.tv_nsec &&
           now.st_ctim.tv_sec == copied.st_ctim.tv_sec &&
           now.st_ctim.tv_nsec == copied.st_ctim.tv_nsec;
}

bool linkLeadsTo(const QByteArray& link, const struct stat& entry)
{
    QByteArray current = link;
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        struct stat st;
        if (::lstat(current.constData(), &st) != 0)
            return false;
        if (sameFile(st, entry))
            return true;
        if (!S_ISLNK(st.st_mode))
            return false;
        QByteArray target(4096, '\0');
        const ssize_t n = ::readlink(current.constData(), target.data(), size_t(target.size()));
        if (n <= 0)
            return false;
        target.truncate(int(n));
        current = target.startsWith('/') ? target : parentFolder(current) + '/' + target;
    }
    return false;
}

QString uncopiableKindReason(mode_t mode)
{
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("It is a device file; device files are not copied");
    if (S_ISFIFO(mode))
        return QStringLiteral("It is a pipe (FIFO); pipes are not copied");
    if (S_ISSOCK(mode))
        return QStringLiteral("It is a socket; sockets are not copied");
    return {};
}

bool goneFromItsDrive(const QByteArray& path, dev_t device)
{
    for (QByteArray folder = parentFolder(path);; folder = parentFolder(folder)) {
        struct stat st;
        if (::stat(folder.constData(), &st) == 0)
            return st.st_dev == device;
        if ((errno != ENOENT && errno != ENOTDIR) || folder == "/" || folder == ".")
            return false; // the drive does not answer
    }
}

QString driveGoneReason()
{
    return QStringLiteral("The drive it is on no longer answers (removed or disconnected): it "
                          "was copied but not moved, the original is kept on that drive");
}

QString sameFileReason()
{
    return QStringLiteral("The source and the destination are the same file");
}

QString changedSinceCopyReason()
{
    return QStringLiteral("It changed while it was being moved (it is still being written, or "
                          "another program replaced it): it was copied but not moved, the "
                          "original is kept");
}

QString escapedName(const QByteArray& name)
{
    // Valid UTF-8 sequences are kept as they are; a byte that is not part of one is shown as
    // \xNN, so that two names that differ only there read differently.
    QString shown;
    for (qsizetype i = 0; i < name.size();) {
        const uchar lead = uchar(name[i]);
        const int length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        const QByteArray sequence = name.mid(i, length);
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString decoded = decoder(sequence);
        if (lead >= 0xC2 && lead <= 0xF4 && sequence.size() == length && !decoder.hasError() &&
            decoded.size() <= 2) {
            shown += decoded;
            i += length;
        } else if (lead < 0x80) {
            shown += QLatin1Char(char(lead));
            ++i;
        } else {
            shown += QStringLiteral("\\x") + QString::number(lead, 16).toUpper();
            ++i;
        }
    }
    return shown;
}

QString misreadNameReason(const QByteArray& path)
{
    // A name that is not valid UTF-8 reaches the engine as text with U+FFFD in the place of
    // its bad bytes, whose bytes then name another file, or none.
    static const QByteArray replacement("\xEF\xBF\xBD");
    const QByteArray name = baseName(path);
    if (!name.contains(replacement))
        return {};
    const QString shown = QFile::decodeName(name);
    QString reason;
    if (DIR* dir = ::opendir(parentFolder(path).constData())) {
        while (const dirent* entry = ::readdir(dir)) {
            const QByteArray other(entry->d_name);
            if (other != name && QFile::decodeName(other) == shown) {
                reason = QStringLiteral("The name \"%1\" is not valid UTF-8 and looks the same "
                                        "as this one: neither is touched")
                             .arg(escapedName(other));
                break;
            }
        }
        ::closedir(dir);
    }
    return reason;
}

int removePermanently(const QByteArray& path)
{
    struct stat st;
    if (::lstat(path.constData(), &st) != 0)
        return errno;
    if (!S_ISDIR(st.st_mode))
        return ::unlink(path.constData()) == 0 ? 0 : errno;
    const int rc = ::nftw(path.constData(), removeEntry, 32, FTW_DEPTH | FTW_PHYS);
    return rc < 0 ? errno : rc;
}

void removeEmptyFolders(const QByteArray& path)
{
    if (DIR* dir = ::opendir(path.constData())) {
        std::vector<QByteArray> children;
        while (const dirent* entry = ::readdir(dir)) {
            const QByteArray name(entry->d_name);
            if (name != "." && name != ".." && entry->d_type == DT_DIR)
                children.push_back(path + '/' + name);
        }
        ::closedir(dir);
        for (const QByteArray& child : children)
            removeEmptyFolders(child);
    }
    ::rmdir(path.constData());
}

int placeWithoutReplacing(int fromFolder, const QByteArray& from, int toFolder,
                          const QByteArray& to, dev_t device)
{
    static QMutex refusingMutex;
    static std::set<dev_t> refusing; // drives that answered the no-replace rename with a refusal
    bool knownRefusing = false;
    if (device != 0) {
        QMutexLocker lock(&refusingMutex);
        knownRefusing = refusing.count(device) != 0;
    }
    int error = EINVAL;
    if (!knownRefusing) {
        if (::renameat2(fromFolder, from.constData(), toFolder, to.constData(), RENAME_NOREPLACE) ==
            0)
            return 0;
        error = errno;
    }
    // EINVAL is also the answer for a folder moved into itself: the fallbacks meet the same
    // refusal and answer it too.
    if (error != EINVAL && error != ENOSYS && error != EOPNOTSUPP)
        return error;
    if (device != 0 && !knownRefusing) {
        QMutexLocker lock(&refusingMutex);
        refusing.insert(device);
    }
    // A folder there is moved file by file by the caller, as between two drives, where its
    // rename would lose what is in it. A caller that names the drive places a file.
    struct stat entry;
    if (device == 0 && ::fstatat(fromFolder, from.constData(), &entry, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISDIR(entry.st_mode) && !keepsRenamedFolders(entry.st_dev))
        return EXDEV;
    // A hard link refuses a taken name as the kernel does, with no window; a folder has none.
    if (::linkat(fromFolder, from.constData(), toFolder, to.constData(), 0) == 0) {
        if (::unlinkat(fromFolder, from.constData(), 0) == 0)
            return 0;
        error = errno;
        // The file under two names is no move: the new name goes again, the old one stays.
        ::unlinkat(toFolder, to.constData(), 0);
        return error;
    }
    error = errno;
    if (error != EPERM && error != ENOSYS && error != EOPNOTSUPP && error != EMLINK)
        return error;
    struct stat st;
    if (::fstatat(toFolder, to.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0)
        return EEXIST;
    if (errno != ENOENT)
        return errno;
    return ::renameat(fromFolder, from.constData(), toFolder, to.constData()) == 0 ? 0 : errno;
}

int makeFolders(const QByteArray& path)
{
    for (int slash = path.indexOf('/', 1);; slash = path.indexOf('/', slash + 1)) {
        const QByteArray prefix = slash < 0 ? path : path.left(slash);
        if (::mkdir(prefix.constData(), 0777) != 0) {
            if (errno != EEXIST)
                return errno;
            // "Exists" is a folder only when it is one: a dangling link answers EEXIST too.
            struct stat st;
            if (::stat(prefix.constData(), &st) != 0 || !S_ISDIR(st.st_mode))
                return ENOTDIR;
        }
        if (slash < 0)
            return 0;
    }
}

} // namespace vantoro
