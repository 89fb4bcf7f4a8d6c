#include "player/DialogButtonPictures.h"

#include <QPushButton>
#include <QStyle>

namespace vantoro {

void fetchOkCancelPictures(QPushButton& ok, QPushButton& cancel)
{
    if (!ok.icon().isNull())
        return;
    ok.setIcon(ok.style()->standardIcon(QStyle::SP_DialogOkButton));
    cancel.setIcon(cancel.style()->standardIcon(QStyle::SP_DialogCancelButton));
}

} // namespace vantoro
