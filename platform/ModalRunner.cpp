#include "platform/ModalRunner.h"

#include <QDialog>

namespace vantoro {

int ExecModalRunner::exec(QDialog& dialog)
{
    return dialog.exec();
}

} // namespace vantoro
