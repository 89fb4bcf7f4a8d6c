#pragma once

#include "platform/MediaSession.h"

#include <QDBusConnection>
#include <QDBusUnixFileDescriptor>
#include <QString>

#include <optional>

namespace vantoro {

// Keeps the screen on through the desktop's screensaver service
// (org.freedesktop.ScreenSaver.Inhibit on the session bus); where no desktop offers it, through
// an "idle" inhibitor of systemd-logind on the system bus, which holds as long as the file
// descriptor it hands out stays open. Every call gives up after a second; without either
// service, inhibiting does nothing.
class DBusScreenSaverInhibitor final : public ScreenSaverInhibitor
{
public:
    // The real buses, reached on the first inhibit().
    DBusScreenSaverInhibitor();
    // Given connections (tests use private buses).
    DBusScreenSaverInhibitor(QDBusConnection sessionBus, QDBusConnection systemBus);
    ~DBusScreenSaverInhibitor() override;

    void inhibit(const QString& reason) override;
    void release() override;
    bool isInhibited() const override { return m_cookie.has_value() || m_logindLock.isValid(); }

private:
    QDBusConnection sessionBus();
    QDBusConnection systemBus();
    bool inhibitScreenSaver(const QString& reason);
    bool inhibitLogind(const QString& reason);

    std::optional<QDBusConnection> m_session;
    std::optional<QDBusConnection> m_system;
    std::optional<uint> m_cookie;
    QString m_cookieService;
    QString m_cookiePath;
    QDBusUnixFileDescriptor m_logindLock;
};

} // namespace vantoro
