#include "platform/DBusScreenSaverInhibitor.h"

#include <QDBusMessage>
#include <QDBusReply>

namespace vantoro {

namespace {

constexpr int kCallTimeoutMs = 1000;
const QString kScreenSaverService = QStringLiteral("org.freedesktop.ScreenSaver");
const QString kScreenSaverInterface = QStringLiteral("org.freedesktop.ScreenSaver");
const QString kApplicationName = QStringLiteral("Vantoro");

} // namespace

DBusScreenSaverInhibitor::DBusScreenSaverInhibitor() = default;

DBusScreenSaverInhibitor::DBusScreenSaverInhibitor(QDBusConnection sessionBus,
                                                   QDBusConnection systemBus)
    : m_session(std::move(sessionBus)), m_system(std::move(systemBus))
{}

DBusScreenSaverInhibitor::~DBusScreenSaverInhibitor()
{
    release();
}

QDBusConnection DBusScreenSaverInhibitor::sessionBus()
{
    if (!m_session)
        m_session = QDBusConnection::sessionBus();
    return *m_session;
}

QDBusConnection DBusScreenSaverInhibitor::systemBus()
{
    if (!m_system)
        m_system = QDBusConnection::systemBus();
    return *m_system;
}

void DBusScreenSaverInhibitor::inhibit(const QString& reason)
{
    if (isInhibited())
        return;
    if (!inhibitScreenSaver(reason))
        inhibitLogind(reason);
}

bool DBusScreenSaverInhibitor::inhibitScreenSaver(const QString& reason)
{
    QDBusConnection bus = sessionBus();
    if (!bus.isConnected())
        return false;
    // Desktops serve the interface at one of two paths.
    for (const QString& path :
         {QStringLiteral("/org/freedesktop/ScreenSaver"), QStringLiteral("/ScreenSaver")}) {
        QDBusMessage call = QDBusMessage::createMethodCall(
            kScreenSaverService, path, kScreenSaverInterface, QStringLiteral("Inhibit"));
        call << kApplicationName << reason;
        const QDBusReply<uint> reply = bus.call(call, QDBus::Block, kCallTimeoutMs);
        if (reply.isValid()) {
            m_cookie = reply.value();
            m_cookieService = kScreenSaverService;
            m_cookiePath = path;
            return true;
        }
        if (reply.error().type() == QDBusError::ServiceUnknown ||
            reply.error().type() == QDBusError::NoReply ||
            reply.error().type() == QDBusError::Timeout)
            return false; // no such desktop service: the other path will not answer either
    }
    return false;
}

bool DBusScreenSaverInhibitor::inhibitLogind(const QString& reason)
{
    QDBusConnection bus = systemBus();
    if (!bus.isConnected())
        return false;
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("Inhibit"));
    call << QStringLiteral("idle") << kApplicationName << reason << QStringLiteral("block");
    const QDBusReply<QDBusUnixFileDescriptor> reply = bus.call(call, QDBus::Block, kCallTimeoutMs);
    if (!reply.isValid() || !reply.value().isValid())
        return false;
    m_logindLock = reply.value();
    return true;
}

void DBusScreenSaverInhibitor::release()
{
    if (m_cookie) {
        QDBusMessage call = QDBusMessage::createMethodCall(
            m_cookieService, m_cookiePath, kScreenSaverInterface, QStringLiteral("UnInhibit"));
        call << *m_cookie;
        // Nobody waits for the answer: a desktop that went away has dropped the cookie anyway.
        sessionBus().send(call);
        m_cookie.reset();
    }
    // Closing the last copy of the descriptor ends logind's inhibitor.
    m_logindLock = QDBusUnixFileDescriptor();
}

} // namespace vantoro
