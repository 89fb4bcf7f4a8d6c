#pragma once

#include <QByteArray>
#include <QString>

#include <sys/types.h>

namespace vantoro {

// What a drive cannot hold, as far as it can be known before writing: the largest file of FAT
// (4 GiB less one byte), and whether renaming a folder keeps what is in it. Read from the file
// system's type (statfs), and for a FUSE drive from its type in the mount table.
struct DriveLimits
{
    qint64 largestFile = 0;     // in bytes; 0 where no limit is known
    bool renamesFolders = true; // false where a renamed folder loses its contents (fusefat)
    bool syncfsReaches = true;  // false where each file must be flushed by itself (FUSE)
};

// The limits of the drive the open folder `folder` lies on. Costs one statfs, and for a FUSE
// drive one read of /proc/self/mountinfo.
DriveLimits driveLimitsOf(int folder);

// Whether a folder renamed on the drive of device `device` keeps what is in it: not on fusefat,
// where a folder is renamed empty. Reads the mount table.
bool keepsRenamedFolders(dev_t device);

// Whether syncfs on the open file `fd` puts its data on the drive's own storage. Not on a FUSE
// drive (a stick through exfat-fuse or ntfs-3g, a NAS through sshfs): the kernel writes its
// pages to the driver but asks the driver for no flush, which only fsync of the file does.
bool syncfsReachesDrive(int fd);

// The plain-language reasons for what a drive cannot hold, shown per file instead of the
// system's "Invalid argument" or "Operation not permitted".
QString tooLargeForDriveReason();
// Why the drive refused the name `name` when creating or renaming to it failed with `error`:
// Windows's rules (FAT, exFAT, NTFS as desktops mount it) allow none of : ? " * < > | \ and no
// trailing dot or space. Empty when the name breaks none of them or the error is another one.
QString unholdableNameReason(const QByteArray& name, int error);
// Why a symbolic link could not be made, when the drive has none (FAT, exFAT); else empty.
QString unholdableLinkReason(int error);

} // namespace vantoro
