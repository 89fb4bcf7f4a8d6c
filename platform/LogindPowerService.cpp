#include "platform/LogindPowerService.h"

#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>

#include <cerrno>
#include <cstring>

namespace vantoro {

namespace {

// Long enough for the user to answer an authentication prompt.
constexpr int kCallTimeoutMs = 5 * 60 * 1000;

struct NamedErrno
{
    const char* name;
    int errnoValue;
};

// The errno values the bus attaches to its standard error names.
constexpr NamedErrno kBusErrors[] = {
    {"org.freedesktop.DBus.Error.Failed", EACCES},
    {"org.freedesktop.DBus.Error.NoMemory", ENOMEM},
    {"org.freedesktop.DBus.Error.ServiceUnknown", EHOSTUNREACH},
    {"org.freedesktop.DBus.Error.NameHasNoOwner", ENXIO},
    {"org.freedesktop.DBus.Error.NoReply", ETIMEDOUT},
    {"org.freedesktop.DBus.Error.IOError", EIO},
    {"org.freedesktop.DBus.Error.BadAddress", EADDRNOTAVAIL},
    {"org.freedesktop.DBus.Error.NotSupported", EOPNOTSUPP},
    {"org.freedesktop.DBus.Error.LimitsExceeded", ENOBUFS},
    {"org.freedesktop.DBus.Error.AccessDenied", EACCES},
    {"org.freedesktop.DBus.Error.AuthFailed", EACCES},
    {"org.freedesktop.DBus.Error.InteractiveAuthorizationRequired", EACCES},
    {"org.freedesktop.DBus.Error.NoServer", EHOSTDOWN},
    {"org.freedesktop.DBus.Error.Timeout", ETIMEDOUT},
    {"org.freedesktop.DBus.Error.TimedOut", ETIMEDOUT},
    {"org.freedesktop.DBus.Error.NoNetwork", ENONET},
    {"org.freedesktop.DBus.Error.AddressInUse", EADDRINUSE},
    {"org.freedesktop.DBus.Error.Disconnected", ECONNRESET},
    {"org.freedesktop.DBus.Error.InvalidArgs", EINVAL},
    {"org.freedesktop.DBus.Error.FileNotFound", ENOENT},
    {"org.freedesktop.DBus.Error.FileExists", EEXIST},
    {"org.freedesktop.DBus.Error.UnknownMethod", EBADR},
    {"org.freedesktop.DBus.Error.UnknownObject", EBADR},
    {"org.freedesktop.DBus.Error.UnknownInterface", EBADR},
    {"org.freedesktop.DBus.Error.UnknownProperty", EBADR},
    {"org.freedesktop.DBus.Error.PropertyReadOnly", EROFS},
    {"org.freedesktop.DBus.Error.InconsistentMessage", EBADMSG},
    {"org.freedesktop.DBus.Error.ObjectPathInUse", EBUSY},
};

constexpr int kLargestErrno = 4095;

} // namespace

int LogindPowerService::errnoForDBusError(const QString& dbusErrorName)
{
    const QByteArray name = dbusErrorName.toLatin1();
    for (const NamedErrno& e : kBusErrors) {
        if (name == e.name)
            return e.errnoValue;
    }
    static const QByteArray systemPrefix = QByteArrayLiteral("System.Error.");
    if (name.startsWith(systemPrefix)) {
        const QByteArray symbol = name.mid(systemPrefix.size());
        for (int value = 1; value <= kLargestErrno; ++value) {
            const char* known = strerrorname_np(value);
            if (known && symbol == known)
                return value;
        }
    }
    return 0;
}

QString LogindPowerService::errorTextFor(const QString& dbusErrorName)
{
    const int code = errnoForDBusError(dbusErrorName);
    if (code == 0)
        return QStringLiteral("A system function failed");
    return QStringLiteral("System Error.  Code: %1.").arg(code) + QLatin1Char('\r') +
           QString::fromLocal8Bit(std::strerror(code));
}

PowerOffResult LogindPowerService::requestPowerOff()
{
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected())
        return {false, errorTextFor(bus.lastError().name())};

    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PowerOff"));
    call << true; // interactive
    const QDBusMessage reply = bus.call(call, QDBus::Block, kCallTimeoutMs);
    if (reply.type() == QDBusMessage::ReplyMessage)
        return {true, {}};
    return {false, errorTextFor(reply.errorName())};
}

} // namespace vantoro
