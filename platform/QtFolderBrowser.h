#pragma once

#include "platform/FolderBrowser.h"

namespace vantoro {

// The folder browser shown as our own modal dialog (FolderBrowserDialog) over the active
// window.
class QtFolderBrowser final : public FolderBrowser
{
public:
    std::optional<QString> browse(const FolderBrowseSpec& spec,
                                  FolderBrowserCallbacks& callbacks) override;
};

} // namespace vantoro
