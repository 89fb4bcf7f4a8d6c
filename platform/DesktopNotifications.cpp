#include "platform/DesktopNotifications.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QVariantMap>

namespace vantoro {

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
const QString kUndoKey = QStringLiteral("undo");

} // namespace

DesktopNotifications::DesktopNotifications(QObject* parent) : QObject(parent)
{
    followServer();
}

void DesktopNotifications::followServer()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    auto* watcher =
        new QDBusServiceWatcher(kService, bus, QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString&, const QString&, const QString& owner) {
                m_serverThere = !owner.isEmpty();
            });
    QDBusMessage ask = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("NameHasOwner"));
    ask << kService;
    auto* answer = new QDBusPendingCallWatcher(bus.asyncCall(ask), this);
    connect(answer, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher* call) {
                const QDBusPendingReply<bool> reply = *call;
                // A change seen meanwhile by the watcher is newer than this answer.
                if (!m_serverThere)
                    m_serverThere = reply.isValid() && reply.value();
                call->deleteLater();
            });
}

bool DesktopNotifications::showUndoable(const QString& text)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || m_serverThere == false)
        return false;
    if (!m_listening) {
        bus.connect(kService, kPath, kInterface, QStringLiteral("ActionInvoked"), this,
                    SLOT(onActionInvoked(uint, QString)));
        bus.connect(kService, kPath, kInterface, QStringLiteral("NotificationClosed"), this,
                    SLOT(onClosed(uint, uint)));
        m_listening = true;
    }
    QDBusMessage notify =
        QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Notify"));
    notify.setAutoStartService(false); // a server the bus would start could keep it waiting
    QVariantMap hints;
    hints.insert(QStringLiteral("urgency"), QVariant::fromValue(uchar(1)));
    notify << QCoreApplication::applicationName() << m_current << QString() << text << QString()
           << QStringList({kUndoKey, QStringLiteral("Undo")}) << hints << int(-1);
    const quint64 generation = ++m_generation;
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(notify), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, generation](QDBusPendingCallWatcher* call) {
                const QDBusPendingReply<uint> reply = *call;
                // A withdraw or a newer notification since: this answer is out of date.
                if (generation == m_generation && reply.isValid())
                    m_current = reply.value();
                call->deleteLater();
            });
    return true;
}

void DesktopNotifications::withdraw()
{
    ++m_generation;
    if (m_current == 0)
        return;
    QDBusMessage close = QDBusMessage::createMethodCall(kService, kPath, kInterface,
                                                        QStringLiteral("CloseNotification"));
    close << m_current;
    QDBusConnection::sessionBus().asyncCall(close);
    m_current = 0;
}

void DesktopNotifications::onActionInvoked(uint id, const QString& actionKey)
{
    if (id == 0 || id != m_current || actionKey != kUndoKey)
        return;
    m_current = 0;
    Q_EMIT undoChosen();
}

void DesktopNotifications::onClosed(uint id, uint)
{
    if (id == m_current)
        m_current = 0;
}

} // namespace vantoro
