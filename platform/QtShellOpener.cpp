#include "platform/QtShellOpener.h"

#include <QDesktopServices>
#include <QUrl>

namespace vantoro {

void QtShellOpener::open(const QString& target)
{
    // A local path is opened as a file; anything with a scheme (http:, mailto:) as it stands.
    const QUrl url = target.startsWith(u'/') ? QUrl::fromLocalFile(target)
                                             : QUrl(target, QUrl::TolerantMode);
    QDesktopServices::openUrl(url);
}

} // namespace vantoro
