#include "platform/DroppedPaths.h"

#include <QDropEvent>
#include <QMimeData>
#include <QSysInfo>
#include <QUrl>

namespace vantoro {

QStringList localPathsOfDrag(const QMimeData* data)
{
    if (!data || !data->hasUrls())
        return {};
    // text/uri-list: one URI a line, lines starting with '#' are comments (RFC 2483); Qt's own
    // reading would take a comment for an address.
    QList<QUrl> urls;
    const QByteArray list = data->data(QStringLiteral("text/uri-list"));
    for (const QByteArray& line : list.split('\n')) {
        const QByteArray uri = line.trimmed();
        if (!uri.isEmpty() && !uri.startsWith('#'))
            urls.append(QUrl::fromEncoded(uri, QUrl::StrictMode));
    }
    if (list.isEmpty())
        urls = data->urls();
    if (urls.isEmpty())
        return {};
    QStringList paths;
    for (const QUrl& url : urls) {
        // file://host/path names a file on `host`; file managers send no host, or this one's.
        const QString host = url.host();
        if (!url.isValid() || !url.isLocalFile() ||
            !(host.isEmpty() || host == QLatin1String("localhost") ||
              host.compare(QSysInfo::machineHostName(), Qt::CaseInsensitive) == 0))
            return {};
        QUrl withoutHost = url;
        withoutHost.setHost(QString());
        const QString path = withoutHost.toLocalFile();
        if (!path.startsWith(u'/'))
            return {};
        paths.append(path);
    }
    return paths;
}

bool acceptAsCopy(QDropEvent* event)
{
    for (const Qt::DropAction action : {Qt::CopyAction, Qt::LinkAction}) {
        if (event->possibleActions() & action) {
            event->setDropAction(action);
            event->accept();
            return true;
        }
    }
    event->ignore();
    return false;
}

} // namespace vantoro
