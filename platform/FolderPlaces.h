#pragma once

#include <QList>
#include <QString>

namespace vantoro {

// The folders a folder browser offers at the top of its default tree, as a file manager's
// sidebar does: the home folder, the desktop's usual places and the mounted volumes.
struct FolderPlace
{
    enum class Kind { Home, Place, Volume };
    Kind kind = Kind::Place;
    QString name; // as shown
    QString path; // absolute, without a trailing '/' except for the root folder
};

// Home, then Desktop, Documents, Music, Pictures, Videos and Downloads where they exist and
// differ from home (the XDG user folders).
QList<FolderPlace> userPlaces();

// The root folder, then every mounted volume a user keeps files on (disks, removable media,
// network shares); pseudo and system file systems (proc, tmpfs, cgroup, snap images ...) are
// left out.
QList<FolderPlace> volumePlaces();

// Whether a mount is a volume a user keeps files on.
bool isUserVolume(const QString& rootPath, const QString& fileSystemType, const QString& device);

// The folder that stands for a Windows special folder (a CSIDL value: 5 documents, 16 desktop,
// 17 the computer ...), or empty when there is none here or it does not exist.
QString specialFolderPath(int csidl);

} // namespace vantoro
