#include "fileops/DriveLimits.h"

#include <QFile>

#include <cerrno>

#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>

namespace vantoro {

namespace {

constexpr qint64 kFatLargestFile = 4LL * 1024 * 1024 * 1024 - 1;
constexpr long kFuseMagic = 0x65735546;

// The type the mount table gives the file system of device `dev`, e.g. "fuse.fusefat".
QByteArray mountTypeOf(dev_t dev)
{
    QFile table(QStringLiteral("/proc/self/mountinfo"));
    if (!table.open(QIODevice::ReadOnly))
        return {};
    const QByteArray device = QByteArray::number(major(dev)) + ':' + QByteArray::number(minor(dev));
    // "36 35 0:52 / /media/stick rw,nosuid - fuse.fusefat fusefat rw"
    // A /proc file has no size: atEnd() would answer true at once.
    const QList<QByteArray> lines = table.readAll().split('\n');
    for (const QByteArray& line : lines) {
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() < 3 || fields[2] != device)
            continue;
        const int separator = line.indexOf(" - ");
        return separator < 0 ? QByteArray() : line.mid(separator + 3).split(' ').value(0);
    }
    return {};
}

bool isFatType(const QByteArray& type)
{
    // fusefat, or a FUSE mount of the kernel's names; not exFAT, which holds large files.
    return type.endsWith(".fusefat") || type.endsWith(".vfat") || type.endsWith(".msdos");
}

} // namespace

DriveLimits driveLimitsOf(int folder)
{
    DriveLimits limits;
    struct statfs fs;
    if (::fstatfs(folder, &fs) != 0)
        return limits;
    if (fs.f_type == MSDOS_SUPER_MAGIC) {
        limits.largestFile = kFatLargestFile;
    } else if (fs.f_type == kFuseMagic) {
        struct stat st;
        const QByteArray type = ::fstat(folder, &st) == 0 ? mountTypeOf(st.st_dev) : QByteArray();
        if (isFatType(type))
            limits.largestFile = kFatLargestFile;
        limits.renamesFolders = !type.endsWith(".fusefat");
        limits.syncfsReaches = false;
    }
    return limits;
}

bool syncfsReachesDrive(int fd)
{
    struct statfs fs;
    return ::fstatfs(fd, &fs) == 0 && fs.f_type != kFuseMagic;
}

bool keepsRenamedFolders(dev_t device)
{
    return major(device) != 0 || !mountTypeOf(device).endsWith(".fusefat");
}

QString tooLargeForDriveReason()
{
    return QStringLiteral("FAT drives cannot hold files over 4 GB: this file was not copied");
}

QString unholdableNameReason(const QByteArray& name, int error)
{
    // Each driver says it its own way: ENOENT (exfat-fuse), EPERM (fusefat), EINVAL (ntfs-3g,
    // the kernel's vfat and exfat), EILSEQ.
    if (error != ENOENT && error != EPERM && error != EINVAL && error != EILSEQ)
        return {};
    for (const char c : {':', '?', '"', '*', '<', '>', '|', '\\'}) {
        if (name.contains(c))
            return QStringLiteral("This drive cannot hold the character \"%1\" in a name")
                .arg(QLatin1Char(c));
    }
    if (name.endsWith('.'))
        return QStringLiteral("This drive cannot hold a name that ends with a dot");
    if (name.endsWith(' '))
        return QStringLiteral("This drive cannot hold a name that ends with a space");
    return {};
}

QString unholdableLinkReason(int error)
{
    if (error != EPERM && error != ENOSYS && error != EOPNOTSUPP)
        return {};
    return QStringLiteral("This drive cannot hold symbolic links (FAT and exFAT drives have none)");
}

} // namespace vantoro
