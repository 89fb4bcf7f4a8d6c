#pragma once

#include <QString>

namespace vantoro {

// Outcome of a power-off request: ok, or the text to show the user.
struct PowerOffResult
{
    bool ok = false;
    QString errorText;
};

// Powers the computer off. The request returns as soon as the system has accepted it; the
// shutdown itself then runs on its own while the program goes on.
class PowerService
{
public:
    virtual ~PowerService() = default;

    virtual PowerOffResult requestPowerOff() = 0;
};

} // namespace vantoro
