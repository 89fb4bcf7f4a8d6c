#include "platform/HelpPage.h"

#include "platform/ProgramFolder.h"

#include <QFileInfo>
#include <QStringList>

namespace vantoro {

QString locateHelpPage(const QString& executableFolder)
{
    const QString name = QStringLiteral("vthelp.html");
    const QStringList candidates = {
        withTrailingSlash(executableFolder) + name,
        QStringLiteral(VANTORO_DATA_DIR "/") + name,
    };
    for (const QString& path : candidates) {
        if (QFileInfo(path).isFile())
            return path;
    }
    return candidates.front();
}

} // namespace vantoro
