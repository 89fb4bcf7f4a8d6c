#include "platform/HelpPage.h"

#include "platform/MessageBoxes.h"
#include "platform/ProgramFolder.h"
#include "platform/ShellOpener.h"

#include <QDir>
#include <QFileInfo>

namespace vantoro {

namespace {

const QString kHelpPageName = QStringLiteral("vthelp.html");

QStringList absoluteFolders(const QString& list)
{
    QStringList folders;
    for (const QString& folder : list.split(u':', Qt::SkipEmptyParts)) {
        if (QDir::isAbsolutePath(folder))
            folders.append(folder);
    }
    return folders;
}

} // namespace

QStringList xdgDataFolders()
{
    QStringList folders = absoluteFolders(qEnvironmentVariable("XDG_DATA_HOME"));
    if (folders.isEmpty())
        folders.append(QDir::homePath() + QStringLiteral("/.local/share"));
    QStringList system = absoluteFolders(qEnvironmentVariable("XDG_DATA_DIRS"));
    if (system.isEmpty())
        system = {QStringLiteral("/usr/local/share"), QStringLiteral("/usr/share")};
    return folders + system;
}

QString locateHelpPage(const QString& executableFolder, const QStringList& dataFolders)
{
    QStringList candidates;
    if (!executableFolder.isEmpty()) {
        const QString beside = withTrailingSlash(executableFolder);
        candidates.append(beside + kHelpPageName);
        candidates.append(QDir::cleanPath(beside + QStringLiteral("../share/vantoro/")) + u'/' +
                          kHelpPageName);
    }
    for (const QString& folder : dataFolders)
        candidates.append(withTrailingSlash(folder) + QStringLiteral("vantoro/") + kHelpPageName);
    for (const QString& path : std::as_const(candidates)) {
        if (QFileInfo(path).isFile())
            return path;
    }
    return QString();
}

void openHelpPage(ShellOpener& shell, MessageBoxes& messages, const QString& executableFolder)
{
    const QString page = locateHelpPage(executableFolder);
    if (page.isEmpty()) {
        messages.error(QStringLiteral("The help page %1 was not found.\r"
                                      "It belongs beside the program or in share/vantoro of the "
                                      "folder Vantoro is installed in.")
                           .arg(kHelpPageName));
        return;
    }
    shell.open(page);
}

} // namespace vantoro
