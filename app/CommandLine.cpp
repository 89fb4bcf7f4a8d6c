#include "app/CommandLine.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace vantoro {

namespace {

const QString kUsage = QStringLiteral("usage: vantoro [PLAYLIST.asx | PLAYLIST.m3u]");

bool isPlaylistName(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QLatin1String("asx") || suffix == QLatin1String("m3u") ||
           suffix == QLatin1String("m3u8");
}

CommandLineRequest invalid(const QString& text)
{
    CommandLineRequest request;
    request.kind = CommandLineRequest::Kind::Invalid;
    request.error = QStringLiteral("vantoro: %1 (%2)").arg(text, kUsage);
    return request;
}

} // namespace

CommandLineRequest parseCommandLine(const QStringList& arguments, const QString& currentFolder)
{
    const QStringList given = arguments.mid(1);
    if (given.isEmpty())
        return {};
    if (given.size() > 1)
        return invalid(
            QStringLiteral("one playlist at a time, %1 arguments given").arg(given.size()));
    QString path = given.first();
    if (path.startsWith(QLatin1String("file:"), Qt::CaseInsensitive)) {
        // file:///path and file://localhost/path name local files; any other host does not.
        const QUrl url(path);
        const QString host = url.host();
        if (!url.isValid() ||
            url.scheme().compare(QLatin1String("file"), Qt::CaseInsensitive) != 0 ||
            !(host.isEmpty() || host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0))
            return invalid(QStringLiteral("'%1' is not a local file").arg(path));
        path = url.path(QUrl::FullyDecoded);
    } else if (path.startsWith(u'-')) {
        return invalid(QStringLiteral("unknown option '%1'").arg(path));
    } else if (path.contains(QLatin1String("://"))) {
        return invalid(QStringLiteral("'%1' is not a local file").arg(path));
    }
    if (path.isEmpty())
        return invalid(QStringLiteral("an empty file name"));
    if (!isPlaylistName(path))
        return invalid(QStringLiteral("'%1' is not an ASX or M3U playlist").arg(given.first()));
    CommandLineRequest request;
    request.kind = CommandLineRequest::Kind::Play;
    request.playlist = QDir::cleanPath(QDir(currentFolder).absoluteFilePath(path));
    return request;
}

} // namespace vantoro
