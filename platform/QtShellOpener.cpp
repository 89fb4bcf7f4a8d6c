#include "platform/QtShellOpener.h"

#include <QDesktopServices>

namespace vantoro {

QUrl QtShellOpener::urlFor(const QString& target)
{
    return target.startsWith(u'/') ? QUrl::fromLocalFile(target) : QUrl(target, QUrl::TolerantMode);
}

void QtShellOpener::open(const QString& target)
{
    QDesktopServices::openUrl(urlFor(target));
}

} // namespace vantoro
