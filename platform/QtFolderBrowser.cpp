#include "platform/QtFolderBrowser.h"

#include "platform/FolderBrowserDialog.h"

#include <QApplication>

namespace vantoro {

std::optional<QString> QtFolderBrowser::browse(const FolderBrowseSpec& spec,
                                               FolderBrowserCallbacks& callbacks)
{
    FolderBrowserDialog dialog(spec, callbacks, QApplication::activeWindow());
    return dialog.run();
}

} // namespace vantoro
