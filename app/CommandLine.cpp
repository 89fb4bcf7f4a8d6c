#include "app/CommandLine.h"

#include "playlists/DroppedClips.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

#include <unistd.h>

namespace vantoro {

namespace {

const QString kUsage = QStringLiteral("usage: vantoro [PLAYLIST]; vantoro --help tells more");

const char kHelp[] =
    "Usage: vantoro [PLAYLIST]\n"
    "Media player, playlist maker, slideshow viewer and clip manager.\n"
    "\n"
    "With a PLAYLIST (a path or a file:// URI) Vantoro loads it and plays it at once;\n"
    "a copy that is already running comes forward and plays it instead.\n"
    "Playlists: ASX (.asx .wax .wvx .wmx), M3U (.m3u .m3u8 .vlc), PLS (.pls),\n"
    "XSPF (.xspf) and Windows Media Player playlists (.wpl).\n"
    "\n"
    "Options:\n"
    "  -h, --help     print this text and exit\n"
    "  -V, --version  print the version and exit\n"
    "Qt's own options (-platform NAME, ...) are accepted too.\n"
    "\n"
    "Settings: ~/.config/Vantoro/Vantoro.INI, or beside the program when it can write there.\n"
    "See the manual page vantoro(1) and the Help button for more.\n";

CommandLineRequest invalid(const QString& reason)
{
    CommandLineRequest request;
    request.kind = CommandLineRequest::Kind::Invalid;
    request.reason = reason;
    request.error = QStringLiteral("vantoro: %1 (%2)").arg(reason, kUsage);
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
    if (!isPlaylistFileName(path))
        return invalid(QStringLiteral("'%1' is not a playlist Vantoro reads "
                                      "(ASX, M3U, PLS, XSPF or WPL)")
                           .arg(given.first()));
    CommandLineRequest request;
    request.kind = CommandLineRequest::Kind::Play;
    request.playlist = QDir::cleanPath(QDir(currentFolder).absoluteFilePath(path));
    return request;
}

QString informationRequested(const QStringList& arguments)
{
    for (const QString& argument : arguments.mid(1)) {
        if (argument == QLatin1String("--"))
            break;
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h"))
            return QString::fromLatin1(kHelp);
        if (argument == QLatin1String("--version") || argument == QLatin1String("-V"))
            return QStringLiteral("vantoro " VANTORO_VERSION "\n");
    }
    return QString();
}

bool startedFromTerminal()
{
    return ::isatty(STDIN_FILENO) == 1 || ::isatty(STDOUT_FILENO) == 1 ||
           ::isatty(STDERR_FILENO) == 1;
}

} // namespace vantoro
