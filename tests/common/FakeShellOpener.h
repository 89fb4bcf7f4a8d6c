#pragma once

#include "platform/ShellOpener.h"

#include <QStringList>

namespace vantoro::test {

// Records every target handed to the shell; opens nothing.
class FakeShellOpener final : public ShellOpener
{
public:
    void open(const QString& target) override { opened.append(target); }
    QStringList opened;
};

} // namespace vantoro::test
