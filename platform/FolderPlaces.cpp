#include "platform/FolderPlaces.h"

#include "platform/Folders.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QTextStream>

namespace vantoro {

namespace {

QString cleanFolder(const QString& path)
{
    return path.isEmpty() ? QString() : QDir::cleanPath(path);
}

// A folder named by the user-dirs file (XDG_TEMPLATES_DIR="$HOME/Templates"), for those the
// standard paths do not know.
QString userDirsEntry(const QString& key)
{
    const QString configHome =
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    QFile file(configHome + QStringLiteral("/user-dirs.dirs"));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    QTextStream in(&file);
    const QString prefix = key + QLatin1Char('=');
    while (!in.atEnd()) {
        QString line = in.readLine().trimmed();
        if (!line.startsWith(prefix))
            continue;
        line = line.mid(prefix.size());
        if (line.size() >= 2 && line.startsWith(QLatin1Char('"')) &&
            line.endsWith(QLatin1Char('"')))
            line = line.mid(1, line.size() - 2);
        if (line.startsWith(QLatin1String("$HOME")))
            line = QDir::homePath() + line.mid(5);
        return line.startsWith(QLatin1Char('/')) ? cleanFolder(line) : QString();
    }
    return {};
}

QString existingOrEmpty(const QString& path)
{
    return folderExists(path) ? cleanFolder(path) : QString();
}

} // namespace

QList<FolderPlace> userPlaces()
{
    const QString home = cleanFolder(QDir::homePath());
    QList<FolderPlace> places{{FolderPlace::Kind::Home, QStringLiteral("Home"), home}};
    const struct
    {
        QStandardPaths::StandardLocation location;
        const char* name;
    } standard[] = {
        {QStandardPaths::DesktopLocation, "Desktop"},
        {QStandardPaths::DocumentsLocation, "Documents"},
        {QStandardPaths::MusicLocation, "Music"},
        {QStandardPaths::PicturesLocation, "Pictures"},
        {QStandardPaths::MoviesLocation, "Videos"},
        {QStandardPaths::DownloadLocation, "Downloads"},
    };
    QSet<QString> seen{home};
    for (const auto& entry : standard) {
        const QString path = cleanFolder(QStandardPaths::writableLocation(entry.location));
        // Unset XDG folders resolve to home itself; those add nothing.
        if (path.isEmpty() || seen.contains(path) || !folderExists(path))
            continue;
        seen.insert(path);
        places.append({FolderPlace::Kind::Place, QDir(path).dirName(), path});
    }
    return places;
}

bool isUserVolume(const QString& rootPath, const QString& fileSystemType, const QString& device)
{
    if (rootPath == QLatin1String("/"))
        return true;
    for (const char* system : {"/proc", "/sys", "/dev", "/run", "/snap", "/var/lib", "/boot"}) {
        const QLatin1String prefix(system);
        if (rootPath == prefix || rootPath.startsWith(prefix + QLatin1Char('/'))) {
            // Removable media are mounted under /run/media by udisks.
            if (!rootPath.startsWith(QLatin1String("/run/media/")))
                return false;
        }
    }
    static const QSet<QString> network{
        QStringLiteral("nfs"),         QStringLiteral("nfs4"),  QStringLiteral("cifs"),
        QStringLiteral("smb3"),        QStringLiteral("smbfs"), QStringLiteral("fuse.sshfs"),
        QStringLiteral("fuse.rclone"), QStringLiteral("9p"),    QStringLiteral("davfs"),
    };
    if (network.contains(fileSystemType))
        return true;
    if (fileSystemType == QLatin1String("squashfs"))
        return false; // application images
    return device.startsWith(QLatin1String("/dev/"));
}

QList<FolderPlace> volumePlaces()
{
    QList<FolderPlace> volumes{
        {FolderPlace::Kind::Volume, QStringLiteral("File System"), QStringLiteral("/")}};
    QSet<QString> seen{QStringLiteral("/")};
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        const QString root = volume.rootPath();
        if (!volume.isValid() || seen.contains(root) ||
            !isUserVolume(root, QString::fromLocal8Bit(volume.fileSystemType()),
                          QString::fromLocal8Bit(volume.device())))
            continue;
        seen.insert(root);
        const QString label = volume.name();
        volumes.append(
            {FolderPlace::Kind::Volume, label.isEmpty() ? QDir(root).dirName() : label, root});
    }
    return volumes;
}

QString specialFolderPath(int csidl)
{
    const QString dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    switch (csidl) {
    case 2:  // programs
    case 11: // start menu
        return existingOrEmpty(dataHome + QStringLiteral("/applications"));
    case 5: // personal documents
        return existingOrEmpty(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
    case 7: // start-up programs
        return existingOrEmpty(
            QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
            QStringLiteral("/autostart"));
    case 16: // the desktop's folder
        return existingOrEmpty(QStandardPaths::writableLocation(QStandardPaths::DesktopLocation));
    case 17: // the computer: every volume hangs below the root folder
        return QStringLiteral("/");
    case 20: // fonts
        return existingOrEmpty(QStandardPaths::writableLocation(QStandardPaths::FontsLocation));
    case 21: // document templates
        return existingOrEmpty(userDirsEntry(QStringLiteral("XDG_TEMPLATES_DIR")));
    default:
        // The desktop namespace itself, control panel, printers, favourites, recent items,
        // send-to targets, the Trash (whose folders hold no place to put files into) and the
        // network have no folder of their own here.
        return {};
    }
}

} // namespace vantoro
