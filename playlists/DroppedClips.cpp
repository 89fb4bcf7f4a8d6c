#include "playlists/DroppedClips.h"

#include "platform/MainWindowDialogs.h"
#include "platform/MediaFileSearch.h"

#include <QFileInfo>

namespace vantoro {

bool isPlaylistFileName(const QString& path)
{
    const QString fileName = path.mid(path.lastIndexOf(u'/') + 1);
    const qsizetype dot = fileName.lastIndexOf(u'.');
    if (dot < 0)
        return false;
    const QString extension = fileName.mid(dot + 1).toLower();
    return extension == QLatin1String("asx") || extension == QLatin1String("m3u") ||
           extension == QLatin1String("m3u8") || extension == QLatin1String("pls") ||
           extension == QLatin1String("xspf");
}

QStringList clipsOfDroppedPaths(const QStringList& paths, const std::function<bool()>& keepGoing)
{
    QStringList clips;
    QStringList extensions;
    for (const QString& path : paths) {
        if (QFileInfo(path).isDir()) {
            if (extensions.isEmpty())
                extensions = clipDialogMediaExtensions();
            clips.append(findFilesBelow(path, extensions, keepGoing));
        } else if (!isPlaylistFileName(path)) {
            clips.append(path);
        }
    }
    return clips;
}

} // namespace vantoro
