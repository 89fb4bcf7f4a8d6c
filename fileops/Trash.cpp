#include "fileops/Trash.h"

#include "fileops/DriveLimits.h"
#include "fileops/FileOperationSupport.h"
#include "fileops/GioLibrary.h"
#include "fileops/IoError.h"

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace vantoro {

namespace {

int errnoOf(const GError* error, GQuark ioErrors)
{
    if (error->domain != ioErrors)
        return 0;
    switch (error->code) {
    case G_IO_ERROR_NOT_FOUND:
        return ENOENT;
    case G_IO_ERROR_PERMISSION_DENIED:
        return EACCES;
    case G_IO_ERROR_READ_ONLY:
        return EROFS;
    case G_IO_ERROR_NO_SPACE:
        return ENOSPC;
    case G_IO_ERROR_BUSY:
        return EBUSY;
    case G_IO_ERROR_FILENAME_TOO_LONG:
        return ENAMETOOLONG;
    default:
        return 0;
    }
}

// Names are tried in this order for a trashed item when the Trash holds its name already:
// "clip.avi", "clip.2.avi", "clip.3.avi"; "notes", "notes.2" (the number goes before the first
// dot). The item is recognised by its identity, which a move into the Trash keeps.
QByteArray numberedName(const QByteArray& name, int number)
{
    if (number == 1)
        return name;
    const int dot = name.indexOf('.');
    const QByteArray n = QByteArray::number(number);
    if (dot < 0)
        return name + '.' + n;
    return name.left(dot) + '.' + n + name.mid(dot);
}

constexpr int kNumberedNamesTried = 1000;

bool isEntry(const QByteArray& path, const struct stat& item)
{
    struct stat st;
    return ::lstat(path.constData(), &st) == 0 && sameFile(st, item);
}

// The name of `item` in the files/ folder of `trash`, or empty.
QByteArray findEntry(const QByteArray& trash, const QByteArray& name, const struct stat& item)
{
    for (int number = 1; number <= kNumberedNamesTried; ++number) {
        const QByteArray candidate = numberedName(name, number);
        if (isEntry(trash + "/files/" + candidate, item))
            return candidate;
        struct stat st;
        // Names are taken in order: a free record name is where the search ends.
        if (::lstat(QByteArray(trash + "/info/" + candidate + ".trashinfo").constData(), &st) != 0)
            break;
    }
    // Named some other way: look at every entry (only ever in an unusual Trash).
    QByteArray found;
    if (DIR* dir = ::opendir(QByteArray(trash + "/files").constData())) {
        while (const dirent* entry = ::readdir(dir)) {
            if (entry->d_ino == item.st_ino && isEntry(trash + "/files/" + entry->d_name, item)) {
                found = entry->d_name;
                break;
            }
        }
        ::closedir(dir);
    }
    return found;
}

// A record the desktop can put the item back from: the group, the path and the date.
bool recordIsUsable(const QByteArray& recordPath)
{
    const int fd = ::open(recordPath.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return false;
    QByteArray record(64 * 1024, '\0');
    qsizetype size = 0;
    for (;;) {
        const ssize_t n = ::read(fd, record.data() + size, size_t(record.size() - size));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        size += n;
        if (size == record.size())
            break;
    }
    ::close(fd);
    record.truncate(size);
    return record.startsWith("[Trash Info]\n") && record.contains("\nPath=") &&
           record.contains("\nDeletionDate=") && record.endsWith('\n');
}

// Checks the record of an item GIO has trashed, and undoes the move when it is unusable.
void checkTrashedItem(const QByteArray& path, const struct stat& item, TrashOutcome& outcome)
{
    const QByteArray name = baseName(path);
    for (const QByteArray& trash : trashFoldersFor(path)) {
        struct stat st;
        if (::stat(trash.constData(), &st) != 0 || st.st_dev != item.st_dev)
            continue;
        const QByteArray entry = findEntry(trash, name, item);
        if (entry.isEmpty())
            continue;
        outcome.trashFolder = trash;
        outcome.entryName = entry;
        const QByteArray record = trash + "/info/" + entry + ".trashinfo";
        if (recordIsUsable(record))
            return;
        struct statvfs fs;
        outcome.status = TrashOutcome::Status::Failed;
        outcome.errorCode =
            ::statvfs(trash.constData(), &fs) == 0 && fs.f_bavail == 0 ? ENOSPC : EIO;
        const QByteArray trashed = trash + "/files/" + entry;
        const int putBack = placeWithoutReplacing(AT_FDCWD, trashed, AT_FDCWD, path);
        if (putBack == 0) {
            ::unlink(record.constData());
            outcome.trashFolder.clear();
            outcome.entryName.clear();
            outcome.reason = QStringLiteral("The Trash could not record where it came from (%1); "
                                            "it was left in its place")
                                 .arg(systemErrorText(outcome.errorCode));
        } else {
            outcome.reason = QStringLiteral("The Trash could not record where it came from (%1), "
                                            "and it could not be put back (%2); it is in the "
                                            "Trash as %3")
                                 .arg(systemErrorText(outcome.errorCode), systemErrorText(putBack),
                                      QFile::decodeName(trashed));
        }
        return;
    }
}

} // namespace

QByteArray resolvedFolderOf(const QByteArray& path)
{
    QByteArray resolved;
    if (char* folder = ::realpath(parentFolder(path).constData(), nullptr)) {
        resolved = folder;
        ::free(folder);
    }
    return resolved;
}

QByteArray volumeTopOf(const QByteArray& path)
{
    QByteArray top = resolvedFolderOf(path);
    struct stat st;
    if (top.isEmpty() || ::stat(top.constData(), &st) != 0)
        return {};
    while (top != "/") {
        struct stat upStat;
        const QByteArray up = parentFolder(top);
        if (::stat(up.constData(), &upStat) != 0 || upStat.st_dev != st.st_dev)
            break;
        top = up;
    }
    return top;
}

std::vector<QByteArray> trashFoldersFor(const QByteArray& path)
{
    std::vector<QByteArray> folders;
    folders.push_back(QFile::encodeName(QString::fromUtf8(g_get_user_data_dir())) + "/Trash");
    const QByteArray top = volumeTopOf(path);
    if (!top.isEmpty()) {
        const QByteArray base = top == "/" ? QByteArray() : top;
        const QByteArray uid = QByteArray::number(qulonglong(::getuid()));
        folders.push_back(base + "/.Trash/" + uid);
        folders.push_back(base + "/.Trash-" + uid);
    }
    return folders;
}

TrashOutcome moveToTrash(const QByteArray& path)
{
    return moveToTrash(path, GioLibrary::shared());
}

TrashOutcome moveToTrash(const QByteArray& path, const GioLibrary& gio)
{
    if (!gio.isUsable()) {
        TrashOutcome outcome;
        outcome.reason = gio.error();
        return outcome;
    }
    const GioLibrary::Functions& api = gio.api();
    // The local VFS directly: no desktop daemon or session bus is needed or started for a file
    // on a local disk.
    struct stat item;
    const bool known = ::lstat(path.constData(), &item) == 0;
    if (known && S_ISDIR(item.st_mode) && !keepsRenamedFolders(item.st_dev)) {
        // The Trash takes a folder by renaming it, which would empty it on such a drive.
        TrashOutcome outcome;
        outcome.status = TrashOutcome::Status::NoTrash;
        outcome.reason = QStringLiteral("This drive cannot move a folder into its Trash");
        return outcome;
    }
    GFile* file = api.vfs_get_file_for_path(api.vfs_get_local(), path.constData());
    GError* error = nullptr;
    const gboolean ok = api.file_trash(file, nullptr, &error);
    api.object_unref(file);
    TrashOutcome outcome;
    if (ok) {
        outcome.status = TrashOutcome::Status::Trashed;
        if (known)
            checkTrashedItem(path, item, outcome);
        return outcome;
    }
    outcome.reason = QString::fromUtf8(error->message);
    const GQuark ioErrors = api.io_error_quark();
    outcome.errorCode = errnoOf(error, ioErrors);
    // GIO answers "not supported" when the volume has no usable Trash (a system-internal mount,
    // no trash folder that can be found or made at the volume's top); the file itself is fine.
    outcome.status = g_error_matches(error, ioErrors, G_IO_ERROR_NOT_SUPPORTED)
                         ? TrashOutcome::Status::NoTrash
                         : TrashOutcome::Status::Failed;
    g_error_free(error);
    return outcome;
}

} // namespace vantoro
