#include "platform/DesktopNotifications.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace vantoro {
namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kMock = QStringLiteral("org.freedesktop.DBus.Mock");

bool serverRegistered()
{
    const QDBusReply<bool> reply =
        QDBusConnection::sessionBus().interface()->isServiceRegistered(kService);
    return reply.isValid() && reply.value();
}

// The notification server of python3-dbusmock's template, on the test's private session bus.
class DesktopNotificationsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS") ||
            !QDBusConnection::sessionBus().isConnected())
            GTEST_SKIP() << "needs a private session bus (run under dbus-run-session)";
        ASSERT_FALSE(serverRegistered()) << "a notification server is already there";
    }
    void TearDown() override
    {
        if (m_server.state() != QProcess::NotRunning) {
            m_server.terminate();
            m_server.waitForFinished(5000);
        }
    }

    void startServer()
    {
        m_server.start(QStringLiteral("/usr/bin/python3"),
                       {QStringLiteral("-m"), QStringLiteral("dbusmock"),
                        QStringLiteral("--template"), QStringLiteral("notification_daemon")});
        ASSERT_TRUE(m_server.waitForStarted(10000));
        ASSERT_TRUE(QTest::qWaitFor(serverRegistered, 20000))
            << m_server.readAllStandardError().data();
    }

    // The calls of `method` the server received, each as its argument list.
    QList<QVariantList> calls(const QString& method)
    {
        QDBusMessage get = QDBusMessage::createMethodCall(kService, kPath, kMock,
                                                          QStringLiteral("GetMethodCalls"));
        get << method;
        const QDBusMessage reply = QDBusConnection::sessionBus().call(get);
        QList<QVariantList> found;
        if (reply.type() != QDBusMessage::ReplyMessage)
            return found;
        const QDBusArgument list = reply.arguments().value(0).value<QDBusArgument>();
        list.beginArray();
        while (!list.atEnd()) {
            qulonglong time = 0;
            QVariantList args;
            list.beginStructure();
            list >> time;
            list.beginArray();
            while (!list.atEnd()) {
                QDBusVariant value;
                list >> value;
                args.append(value.variant());
            }
            list.endArray();
            list.endStructure();
            found.append(args);
        }
        list.endArray();
        return found;
    }

    void emitAction(uint id, const QString& key)
    {
        QDBusMessage emitSignal =
            QDBusMessage::createMethodCall(kService, kPath, kMock, QStringLiteral("EmitSignal"));
        emitSignal << QString() << QStringLiteral("ActionInvoked") << QStringLiteral("us")
                   << QVariant::fromValue(QVariantList{QVariant::fromValue(id), key});
        const QDBusMessage reply = QDBusConnection::sessionBus().call(emitSignal);
        ASSERT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
    }

    QProcess m_server;
};

TEST_F(DesktopNotificationsTest, WithoutAServerNothingIsShown)
{
    DesktopNotifications notifications;
    // Once the bus has said that no server is there (asked without waiting for the answer).
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return !notifications.showUndoable(QStringLiteral("2 clips moved to the Trash")); },
        5000));
}

TEST_F(DesktopNotificationsTest, TheNotificationSaysWhatWasDoneAndItsUndoActionIsHeard)
{
    startServer();
    DesktopNotifications notifications;
    QSignalSpy undo(&notifications, &DesktopNotifications::undoChosen);
    ASSERT_TRUE(notifications.showUndoable(QStringLiteral("2 clips moved to the Trash")));
    QList<QVariantList> notified;
    ASSERT_TRUE(QTest::qWaitFor([&] { return !(notified = calls("Notify")).isEmpty(); }, 10000));
    const QVariantList args = notified.first();
    ASSERT_EQ(args.size(), 8);
    EXPECT_EQ(args[3].toString(), QStringLiteral("2 clips moved to the Trash"));
    EXPECT_EQ(args[5].toStringList(),
              QStringList({QStringLiteral("undo"), QStringLiteral("Undo")}));
    QTest::qWait(200); // the server's answer (the id, 1) arrives

    // Another notification's action, or another action, is not ours.
    emitAction(7, QStringLiteral("undo"));
    emitAction(1, QStringLiteral("default"));
    QTest::qWait(300);
    EXPECT_EQ(undo.count(), 0);
    emitAction(1, QStringLiteral("undo"));
    EXPECT_TRUE(undo.wait(5000));
    EXPECT_EQ(undo.count(), 1);

    // A newer action replaces the notification showing; a withdrawn one is closed and deaf.
    ASSERT_TRUE(notifications.showUndoable(QStringLiteral("1 clip copied to /media/keep")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return calls("Notify").size() == 2; }, 10000));
    QTest::qWait(200);
    ASSERT_TRUE(notifications.showUndoable(QStringLiteral("1 clip moved to /media/keep")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return (notified = calls("Notify")).size() == 3; }, 10000));
    EXPECT_EQ(notified[1][1].toUInt(), 0u) << "the first one was gone with its undo";
    EXPECT_EQ(notified[2][1].toUInt(), 2u) << "replaces the one showing";
    QTest::qWait(200);
    notifications.withdraw();
    ASSERT_TRUE(QTest::qWaitFor([&] { return calls("CloseNotification").size() == 1; }, 10000));
    emitAction(2, QStringLiteral("undo"));
    QTest::qWait(300);
    EXPECT_EQ(undo.count(), 1);
}

} // namespace
} // namespace vantoro
