#include "platform/ProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include <cerrno>

#include <unistd.h>

namespace vantoro {

QString withTrailingSlash(const QString& folder)
{
    if (folder.endsWith(u'/'))
        return folder;
    return folder + u'/';
}

QString resolveProgramFolder(const QString& executableFolder)
{
    if (!executableFolder.isEmpty() &&
        ::access(QFile::encodeName(executableFolder).constData(), W_OK) == 0)
        return withTrailingSlash(executableFolder);

    QString configHome = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (configHome.isEmpty() || !QDir::isAbsolutePath(configHome))
        configHome = QDir::homePath() + QStringLiteral("/.config");
    const QString folder = configHome + QStringLiteral("/Vantoro");
    QDir().mkpath(folder);
    return withTrailingSlash(folder);
}

namespace {

// The music folder the user's folder list names ("XDG_MUSIC_DIR="$HOME/Music"" in
// $XDG_CONFIG_HOME/user-dirs.dirs), or empty when it names none or names the home folder itself
// (which is how a disabled entry is written).
QString xdgMusicFolder()
{
    QString configHome = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (configHome.isEmpty() || !QDir::isAbsolutePath(configHome))
        configHome = QDir::homePath() + QStringLiteral("/.config");
    QFile file(configHome + QStringLiteral("/user-dirs.dirs"));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    QTextStream in(&file);
    QString line;
    while (in.readLineInto(&line, 64 * 1024)) {
        line = line.trimmed();
        if (!line.startsWith(QLatin1String("XDG_MUSIC_DIR=")))
            continue;
        QString value = line.mid(14).trimmed();
        if (value.size() >= 2 && value.startsWith(u'"') && value.endsWith(u'"'))
            value = value.mid(1, value.size() - 2);
        if (value.startsWith(QLatin1String("$HOME")))
            value = QDir::homePath() + value.mid(5);
        if (!QDir::isAbsolutePath(value))
            return QString();
        const QString folder = QDir::cleanPath(value);
        if (folder == QDir::cleanPath(QDir::homePath()))
            return QString();
        return folder;
    }
    return QString();
}

bool isPortable(const QString& executableFolder, const QString& programFolder)
{
    return !executableFolder.isEmpty() && programFolder == withTrailingSlash(executableFolder);
}

} // namespace

QString resolvePlaylistFolder(const QString& executableFolder, const QString& programFolder)
{
    if (isPortable(executableFolder, programFolder))
        return programFolder;
    const QString music = xdgMusicFolder();
    if (!music.isEmpty())
        return withTrailingSlash(music + QStringLiteral("/Playlists"));
    return withTrailingSlash(QDir::homePath() + QStringLiteral("/Playlists"));
}

QString resolveClipFolder(const QString& executableFolder, const QString& programFolder)
{
    if (isPortable(executableFolder, programFolder))
        return programFolder;
    const QString music = xdgMusicFolder();
    if (!music.isEmpty() && QFileInfo(music).isDir())
        return withTrailingSlash(music);
    return withTrailingSlash(QDir::homePath());
}

int makeFolderPath(const QString& folder)
{
    if (QFileInfo(folder).isDir())
        return 0;
    errno = 0;
    if (QDir().mkpath(folder) && QFileInfo(folder).isDir())
        return 0;
    return errno != 0 ? errno : EACCES;
}

} // namespace vantoro
