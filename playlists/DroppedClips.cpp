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
    // Every file name the desktop gives one of the playlist types Vantoro reads (the globs of
    // audio/x-ms-asx, audio/x-mpegurl, audio/x-scpls, application/xspf+xml and
    // application/vnd.ms-wpl in the shared MIME database): the menu entry offers Vantoro for
    // these types, so each of them must open.
    static const QStringList kExtensions = {QStringLiteral("asx"),  QStringLiteral("wax"),
                                            QStringLiteral("wvx"),  QStringLiteral("wmx"),
                                            QStringLiteral("m3u"),  QStringLiteral("m3u8"),
                                            QStringLiteral("vlc"),  QStringLiteral("pls"),
                                            QStringLiteral("xspf"), QStringLiteral("wpl")};
    return kExtensions.contains(fileName.mid(dot + 1).toLower());
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
