#include "platform/DBusMediaSession.h"
#include "platform/DBusScreenSaverInhibitor.h"

#include "common/TestSupport.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QDBusVariant>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

using namespace vantoro;
using vantoro::test::waitUntil;

namespace {

// These tests run on a private session bus (ctest starts them under dbus-run-session).
bool haveSessionBus()
{
    return !qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS") &&
           QDBusConnection::sessionBus().isConnected();
}

#define REQUIRE_BUS()                                                                              \
    if (!haveSessionBus())                                                                         \
    GTEST_SKIP() << "no private session bus (run under dbus-run-session)"

class RecordingControls final : public MediaSessionControls
{
public:
    void mediaPlayPause() override { calls << QStringLiteral("PlayPause"); }
    void mediaPlay() override { calls << QStringLiteral("Play"); }
    void mediaPause() override { calls << QStringLiteral("Pause"); }
    void mediaStop() override { calls << QStringLiteral("Stop"); }
    void mediaNext() override { calls << QStringLiteral("Next"); }
    void mediaPrevious() override { calls << QStringLiteral("Previous"); }
    void mediaSeekBy(qint64 offsetUs) override
    {
        calls << QStringLiteral("SeekBy %1").arg(offsetUs);
    }
    void mediaSetPosition(qint64 positionUs) override
    {
        calls << QStringLiteral("SetPosition %1").arg(positionUs);
    }
    void mediaSetRate(double rate) override { calls << QStringLiteral("Rate %1").arg(rate); }
    void mediaSetVolume(double volume) override
    {
        calls << QStringLiteral("Volume %1").arg(volume);
    }
    qint64 mediaPosition() const override { return 12'500'000; }
    void mediaRaise() override { calls << QStringLiteral("Raise"); }

    QStringList calls;
};

// Runs a command while this thread keeps serving the bus (the session answers on it), and
// answers its trimmed standard output.
QString run(const QString& program, const QStringList& arguments, int* exitCode = nullptr)
{
    QProcess process;
    process.start(program, arguments);
    const bool finished = waitUntil([&] { return process.state() == QProcess::NotRunning; }, 10000);
    if (!finished) {
        process.kill();
        process.waitForFinished();
    }
    if (exitCode)
        *exitCode = finished ? process.exitCode() : -1;
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

QString playerctl(const QStringList& arguments, int* exitCode = nullptr)
{
    return run(QStringLiteral("playerctl"),
               QStringList{QStringLiteral("--player=vantoro")} + arguments, exitCode);
}

MediaSessionState playingState()
{
    MediaSessionState state;
    state.status = MediaSessionState::Status::Playing;
    state.entry = 2;
    state.title = QStringLiteral("Holiday 2002.avi");
    state.url = QStringLiteral("file:///home/user/My%20Videos/Holiday%202002.avi");
    state.lengthUs = 95'000'000;
    state.rate = 1.0;
    state.minimumRate = 0.1;
    state.maximumRate = 10.0;
    state.volume = 0.75;
    state.canGoNext = true;
    state.canGoPrevious = true;
    state.canSeek = true;
    return state;
}

TEST(MediaSession, PlayerctlSeesAndDrivesThePlayerWhileTheSessionIsOpen)
{
    REQUIRE_BUS();
    if (QStandardPaths::findExecutable(QStringLiteral("playerctl")).isEmpty())
        GTEST_SKIP() << "playerctl is not installed";
    RecordingControls controls;
    DBusMediaSession session;
    session.open(controls);
    ASSERT_TRUE(session.isOpen());
    EXPECT_EQ(session.busName(), "org.mpris.MediaPlayer2.vantoro");
    session.update(playingState());

    EXPECT_TRUE(run(QStringLiteral("playerctl"), {QStringLiteral("--list-all")})
                    .split(u'\n')
                    .contains(QStringLiteral("vantoro")));
    EXPECT_EQ(playerctl({QStringLiteral("status")}), "Playing");
    EXPECT_EQ(playerctl({QStringLiteral("metadata"), QStringLiteral("xesam:title")}),
              "Holiday 2002.avi");
    EXPECT_EQ(playerctl({QStringLiteral("metadata"), QStringLiteral("xesam:url")}),
              "file:///home/user/My%20Videos/Holiday%202002.avi");
    EXPECT_EQ(playerctl({QStringLiteral("metadata"), QStringLiteral("mpris:length")}), "95000000");
    EXPECT_NEAR(playerctl({QStringLiteral("position")}).toDouble(), 12.5, 0.01);
    EXPECT_NEAR(playerctl({QStringLiteral("volume")}).toDouble(), 0.75, 0.001);

    for (const char* command : {"play-pause", "pause", "play", "next", "previous", "stop"})
        playerctl({QString::fromLatin1(command)});
    playerctl({QStringLiteral("position"), QStringLiteral("30")});
    playerctl({QStringLiteral("position"), QStringLiteral("5-")});
    playerctl({QStringLiteral("volume"), QStringLiteral("0.5")});
    EXPECT_EQ(controls.calls,
              QStringList({"PlayPause", "Pause", "Play", "Next", "Previous", "Stop",
                           "SetPosition 30000000", "SeekBy -5000000", "Volume 0.5"}));

    // Entry changes and pauses are announced: what playerctl reads now is the new state.
    MediaSessionState paused = playingState();
    paused.status = MediaSessionState::Status::Paused;
    paused.entry = 3;
    paused.title = QStringLiteral("Beach.jpg");
    session.update(paused);
    EXPECT_EQ(playerctl({QStringLiteral("status")}), "Paused");
    EXPECT_EQ(playerctl({QStringLiteral("metadata"), QStringLiteral("xesam:title")}), "Beach.jpg");

    session.close();
    int code = 0;
    playerctl({QStringLiteral("status")}, &code);
    EXPECT_NE(code, 0) << "the player is gone once the session closes";
}

TEST(MediaSession, RateAndPositionRequestsStayInsideThePlayersRange)
{
    REQUIRE_BUS();
    RecordingControls controls;
    DBusMediaSession session;
    session.open(controls);
    ASSERT_TRUE(session.isOpen());
    session.update(playingState());

    // Another connection plays the desktop's part.
    QDBusConnection desktop = QDBusConnection::connectToBus(
        qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS"), QStringLiteral("desktop"));
    ASSERT_TRUE(desktop.isConnected());
    const auto setRate = [&](double rate) {
        QDBusMessage call = QDBusMessage::createMethodCall(
            session.busName(), QStringLiteral("/org/mpris/MediaPlayer2"),
            QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Set"));
        call << QStringLiteral("org.mpris.MediaPlayer2.Player") << QStringLiteral("Rate")
             << QVariant::fromValue(QDBusVariant(rate));
        QDBusPendingCall pending = desktop.asyncCall(call);
        waitUntil([&] { return pending.isFinished(); });
    };
    const auto setPosition = [&](const QString& track, qlonglong position) {
        QDBusMessage call = QDBusMessage::createMethodCall(
            session.busName(), QStringLiteral("/org/mpris/MediaPlayer2"),
            QStringLiteral("org.mpris.MediaPlayer2.Player"), QStringLiteral("SetPosition"));
        call << QVariant::fromValue(QDBusObjectPath(track)) << position;
        QDBusPendingCall pending = desktop.asyncCall(call);
        waitUntil([&] { return pending.isFinished(); });
    };
    setRate(2.0);
    setRate(50.0);
    setRate(0.0);
    const QString current = QStringLiteral("/org/vantoro/Vantoro/Entry2");
    setPosition(current, 1'000'000);
    setPosition(QStringLiteral("/org/vantoro/Vantoro/Entry1"), 1'000'000); // not playing
    setPosition(current, 96'000'000);                                      // past the end
    setPosition(current, -1);
    EXPECT_EQ(controls.calls, QStringList({"Rate 2", "Rate 10", "Pause", "SetPosition 1000000"}));
    QDBusConnection::disconnectFromBus(QStringLiteral("desktop"));
}

// A mock of a desktop service on the private session bus, made with python-dbusmock.
class MockService
{
public:
    MockService(const QStringList& arguments, const QString& busName) : m_busName(busName)
    {
        m_process.start(QStringLiteral("/usr/bin/python3"),
                        QStringList{QStringLiteral("-m"), QStringLiteral("dbusmock")} + arguments);
        m_started = waitUntil(
            [&] {
                return QDBusConnection::sessionBus()
                    .interface()
                    ->isServiceRegistered(busName)
                    .value();
            },
            10000);
    }
    ~MockService()
    {
        m_process.terminate();
        if (!m_process.waitForFinished(3000))
            m_process.kill();
        m_process.waitForFinished();
    }
    bool started() const { return m_started; }

    QDBusMessage call(const QString& path, const QString& interfaceName, const QString& method,
                      const QVariantList& arguments = {})
    {
        QDBusMessage message =
            QDBusMessage::createMethodCall(m_busName, path, interfaceName, method);
        message.setArguments(arguments);
        return QDBusConnection::sessionBus().call(message, QDBus::Block, 5000);
    }

private:
    QProcess m_process;
    QString m_busName;
    bool m_started = false;
};

// The names of the methods the mock was called with, in order.
QStringList mockCalls(MockService& mock, const QString& path)
{
    const QDBusMessage reply =
        mock.call(path, QStringLiteral("org.freedesktop.DBus.Mock"), QStringLiteral("GetCalls"));
    QStringList names;
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {QStringLiteral("<GetCalls failed: %1>").arg(reply.errorMessage())};
    const QDBusArgument calls = reply.arguments().first().value<QDBusArgument>();
    calls.beginArray();
    while (!calls.atEnd()) {
        calls.beginStructure();
        quint64 time = 0;
        QString method;
        calls >> time >> method;
        QVariantList args;
        calls >> args;
        calls.endStructure();
        QStringList text;
        for (const QVariant& a : args)
            text << a.toString();
        names << method + u'(' + text.join(u',') + u')';
    }
    calls.endArray();
    return names;
}

TEST(ScreenSaver, TheDesktopScreenSaverIsInhibitedOnceAndReleasedWithItsCookie)
{
    REQUIRE_BUS();
    const QString path = QStringLiteral("/org/freedesktop/ScreenSaver");
    MockService mock({QStringLiteral("--session"), QStringLiteral("org.freedesktop.ScreenSaver"),
                      path, QStringLiteral("org.freedesktop.ScreenSaver")},
                     QStringLiteral("org.freedesktop.ScreenSaver"));
    ASSERT_TRUE(mock.started()) << "python3-dbusmock did not start";
    mock.call(path, QStringLiteral("org.freedesktop.DBus.Mock"), QStringLiteral("AddMethod"),
              {QStringLiteral("org.freedesktop.ScreenSaver"), QStringLiteral("Inhibit"),
               QStringLiteral("ss"), QStringLiteral("u"), QStringLiteral("ret = 4711")});
    mock.call(path, QStringLiteral("org.freedesktop.DBus.Mock"), QStringLiteral("AddMethod"),
              {QStringLiteral("org.freedesktop.ScreenSaver"), QStringLiteral("UnInhibit"),
               QStringLiteral("u"), QString(), QString()});

    DBusScreenSaverInhibitor inhibitor(QDBusConnection::sessionBus(),
                                       QDBusConnection::sessionBus());
    inhibitor.inhibit(QStringLiteral("Playing a slideshow"));
    inhibitor.inhibit(QStringLiteral("Playing a slideshow"));
    EXPECT_TRUE(inhibitor.isInhibited());
    inhibitor.release();
    EXPECT_FALSE(inhibitor.isInhibited());
    EXPECT_TRUE(waitUntil([&] { return mockCalls(mock, path).size() == 2; }, 5000));
    EXPECT_EQ(mockCalls(mock, path),
              QStringList({"Inhibit(Vantoro,Playing a slideshow)", "UnInhibit(4711)"}));
}

TEST(ScreenSaver, WithoutADesktopServiceLogindHoldsAnIdleInhibitorUntilReleased)
{
    REQUIRE_BUS();
    MockService logind(
        {QStringLiteral("--session"), QStringLiteral("--template"), QStringLiteral("logind")},
        QStringLiteral("org.freedesktop.login1"));
    ASSERT_TRUE(logind.started()) << "python3-dbusmock did not start";
    const auto inhibitors = [&] {
        const QDBusMessage reply = logind.call(QStringLiteral("/org/freedesktop/login1"),
                                               QStringLiteral("org.freedesktop.login1.Manager"),
                                               QStringLiteral("ListInhibitors"));
        if (reply.arguments().isEmpty())
            return -1;
        const QDBusArgument list = reply.arguments().first().value<QDBusArgument>();
        int count = 0;
        list.beginArray();
        while (!list.atEnd()) {
            QString what, who, why, mode;
            uint uid = 0, pid = 0;
            list.beginStructure();
            list >> what >> who >> why >> mode >> uid >> pid;
            list.endStructure();
            if (what == QLatin1String("idle") && who == QLatin1String("Vantoro"))
                ++count;
        }
        list.endArray();
        return count;
    };

    // Here the session bus stands in for the system bus as well: it has no ScreenSaver.
    DBusScreenSaverInhibitor inhibitor(QDBusConnection::sessionBus(),
                                       QDBusConnection::sessionBus());
    inhibitor.inhibit(QStringLiteral("Playing a video"));
    EXPECT_TRUE(inhibitor.isInhibited());
    EXPECT_EQ(inhibitors(), 1);
    inhibitor.release();
    EXPECT_FALSE(inhibitor.isInhibited());
    EXPECT_TRUE(waitUntil([&] { return inhibitors() == 0; }, 5000))
        << "closing the descriptor ends the inhibitor";
}

TEST(ScreenSaver, NoServiceAtAllMeansNothingIsHeldAndNothingHangs)
{
    REQUIRE_BUS();
    DBusScreenSaverInhibitor inhibitor(QDBusConnection::sessionBus(),
                                       QDBusConnection::sessionBus());
    inhibitor.inhibit(QStringLiteral("Playing a video"));
    EXPECT_FALSE(inhibitor.isInhibited());
    inhibitor.release();
}

} // namespace
