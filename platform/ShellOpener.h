#pragma once

#include <QString>

namespace vantoro {

// Hands a target (web address, mail text, local file) to the desktop's default handler.
// The result is not examined by the program.
class ShellOpener
{
public:
    virtual ~ShellOpener() = default;
    virtual void open(const QString& target) = 0;
};

} // namespace vantoro
