#include "platform/MainWindowDialogs.h"

#include <QRegularExpression>

namespace vantoro {

FileDialogSpec openDialog1Spec(const QString& clipFolder)
{
    FileDialogSpec spec;
    spec.title = QStringLiteral("Select clip(s)");
    spec.filters = {
        QStringLiteral("All file types (*.*)"),
        QStringLiteral("Audio (music) files (*.asf *.mp2 *.mp3 *.wav *.ogg *.mid *.wma *.aif "
                       "*.au *.wax)"),
        QStringLiteral("Video (movie) files (*.mpg *.mpeg *.asf *.m1v *.wmv *.avi *.mov *.qt "
                       "*.wvx *.fli *.flc *.mpe)"),
        QStringLiteral("Image files (for slideshow) (*.jpg *.jpeg *.gif *.bmp)"),
    };
    spec.filterIndex = 0;
    spec.initialFolder = clipFolder;
    spec.multiSelect = true;
    spec.picturePreview = true;
    return spec;
}

QStringList clipDialogMediaExtensions()
{
    static const QRegularExpression pattern(QStringLiteral("\\*\\.(\\w+)"));
    QStringList extensions;
    const QStringList filters = openDialog1Spec(QString()).filters;
    for (qsizetype i = 1; i < filters.size(); ++i) {
        for (const QRegularExpressionMatch& match : pattern.globalMatch(filters.at(i)))
            extensions.append(match.captured(1).toLower());
    }
    extensions.removeDuplicates();
    return extensions;
}

FileDialogSpec openDialog2Spec(const QString& listFolder)
{
    FileDialogSpec spec;
    spec.title = QStringLiteral("Select Playlist");
    spec.filters = {
        QStringLiteral("Playlists (*.asx) (default style) (*.asx)"),
        QStringLiteral("m3u Playlists (*.m3u) (*.m3u *.m3u8)"),
        QStringLiteral("pls Playlists (*.pls) (*.pls)"),
        QStringLiteral("xspf Playlists (*.xspf) (*.xspf)"),
        QStringLiteral("wpl Playlists (*.wpl) (*.wpl)"),
    };
    spec.filterIndex = 0;
    spec.initialFolder = listFolder;
    spec.defaultSuffix = QStringLiteral("asx");
    spec.acceptNonExisting = true;
    return spec;
}

FileDialogSpec saveDialog1Spec(const QString& programFolder)
{
    FileDialogSpec spec;
    spec.title = QStringLiteral("do NOT include extension in filename");
    spec.filters = {QStringLiteral("PlayList (*.asx) (*.asx)")};
    spec.filterIndex = 0;
    spec.initialFolder = programFolder;
    spec.proposedName = QStringLiteral("Playlist");
    spec.defaultSuffix = QStringLiteral("asx");
    spec.overwritePrompt = false;
    return spec;
}

} // namespace vantoro
