#pragma once

#include "platform/PowerService.h"

namespace vantoro {

// Powers off through systemd-logind on the system bus: org.freedesktop.login1.Manager.PowerOff
// with interactive = true, so that a polkit agent may ask the user to authenticate. The call
// blocks until logind answers (it answers once the shutdown job is queued).
class LogindPowerService final : public PowerService
{
public:
    PowerOffResult requestPowerOff() override;

    // The text shown for a failed request, from the D-Bus error name: "System Error.  Code: %d."
    // and, on a second line, the system's text for that code, when the name stands for an errno
    // value; otherwise "A system function failed".
    static QString errorTextFor(const QString& dbusErrorName);
    // The errno value a D-Bus error name stands for (the bus's own convention, including the
    // "System.Error.E..." names); 0 when it names none.
    static int errnoForDBusError(const QString& dbusErrorName);
};

} // namespace vantoro
