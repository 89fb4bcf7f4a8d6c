#include "platform/ProgramFolder.h"

#include <QDir>
#include <QFile>

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

} // namespace vantoro
