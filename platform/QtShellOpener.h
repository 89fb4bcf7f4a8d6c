#pragma once

#include "platform/ShellOpener.h"

namespace vantoro {

// Opens web addresses, mail texts and local files with the desktop's handlers (xdg-open).
class QtShellOpener final : public ShellOpener
{
public:
    void open(const QString& target) override;
};

} // namespace vantoro
