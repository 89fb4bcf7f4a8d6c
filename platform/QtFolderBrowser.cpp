#include "platform/QtFolderBrowser.h"

#include "platform/DialogOwner.h"
#include "platform/FolderBrowserDialog.h"

#include <QApplication>

namespace vantoro {

std::optional<QString> QtFolderBrowser::browse(const FolderBrowseSpec& spec,
                                               FolderBrowserCallbacks& callbacks)
{
    FolderBrowserDialog dialog(spec, callbacks, dialogOwner());
    return dialog.run();
}

} // namespace vantoro
