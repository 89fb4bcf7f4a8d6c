#include "app/TXJustOne.h"

#include "common/TestSupport.h"
#include "platform/SingleInstance.h"

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QUuid>
#include <QWidget>

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace vantoro;

namespace {

QString uniqueName()
{
    return QStringLiteral("VantoroTest-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
}

TEST(TXJustOne, SecondCopyCallsItsHandlerAndBringsTheFirstForward)
{
    const QString name = uniqueName();
    QWidget mainWindow;
    mainWindow.show();
    mainWindow.showMinimized();
    TXJustOne first(&mainWindow);
    ASSERT_TRUE(first.Loaded(name));
    QSignalSpy forward(&first, &TXJustOne::broughtForward);

    QWidget otherWindow;
    TXJustOne second(&otherWindow);
    int alreadyExistCalls = 0;
    second.AlreadyExist = [&](TXJustOne* sender) {
        EXPECT_EQ(sender, &second);
        ++alreadyExistCalls;
    };
    EXPECT_FALSE(second.Loaded(name));
    EXPECT_EQ(alreadyExistCalls, 1);
    ASSERT_TRUE(forward.wait(3000));
    EXPECT_EQ(forward.first().at(0).value<QWidget*>(), &mainWindow);
    EXPECT_FALSE(mainWindow.isMinimized()) << "a minimised first copy is restored";
}

TEST(TXJustOne, ModalWindowOfTheFirstCopyComesForward)
{
    const QString name = uniqueName();
    QWidget mainWindow;
    mainWindow.show();
    TXJustOne first(&mainWindow);
    ASSERT_TRUE(first.Loaded(name));
    QDialog player(&mainWindow);
    player.setModal(true);
    player.show();
    QSignalSpy forward(&first, &TXJustOne::broughtForward);

    TXJustOne second(nullptr);
    EXPECT_FALSE(second.Loaded(name));
    ASSERT_TRUE(forward.wait(3000));
    EXPECT_EQ(forward.first().at(0).value<QWidget*>(), &player);
}

TEST(TXJustOne, WithoutSwitchToPreviousNothingIsSent)
{
    const QString name = uniqueName();
    QWidget mainWindow;
    TXJustOne first(&mainWindow);
    ASSERT_TRUE(first.Loaded(name));
    QSignalSpy forward(&first, &TXJustOne::broughtForward);
    TXJustOne second(nullptr);
    second.SwitchToPrevious = false;
    EXPECT_FALSE(second.Loaded(name));
    EXPECT_FALSE(forward.wait(300));
}

TEST(TXJustOne, LockIsFreeAgainWhenTheFirstCopyEnds)
{
    const QString name = uniqueName();
    {
        TXJustOne first(nullptr);
        ASSERT_TRUE(first.Loaded(name));
    }
    TXJustOne later(nullptr);
    EXPECT_TRUE(later.Loaded(name));
}

// Sets XDG_RUNTIME_DIR (unset for an empty value) and XDG_CACHE_HOME for the life of the object.
class InstanceEnvironment
{
public:
    InstanceEnvironment(const QByteArray& runtime, const QByteArray& cache)
        : m_runtime(qgetenv("XDG_RUNTIME_DIR")), m_cache(qgetenv("XDG_CACHE_HOME"))
    {
        set("XDG_RUNTIME_DIR", runtime);
        set("XDG_CACHE_HOME", cache);
    }
    ~InstanceEnvironment()
    {
        set("XDG_RUNTIME_DIR", m_runtime);
        set("XDG_CACHE_HOME", m_cache);
    }

private:
    static void set(const char* name, const QByteArray& value)
    {
        if (value.isEmpty())
            qunsetenv(name);
        else
            qputenv(name, value);
    }
    QByteArray m_runtime;
    QByteArray m_cache;
};

TEST(NamedInstanceLock, WithoutAPrivateRuntimeFolderTheLockLivesInTheUsersCache)
{
    QTemporaryDir dir;
    const QByteArray cache = QFile::encodeName(dir.filePath(QStringLiteral("cache")));
    const QString name = uniqueName();
    const QString expected = QFile::decodeName(cache) + QStringLiteral("/vantoro/") + name +
                             QStringLiteral("-%1.lock").arg(::geteuid());
    // Unset; shared by all users (sticky, world-writable); another user's or open to others.
    const QString open = dir.filePath(QStringLiteral("open"));
    QDir().mkpath(open);
    ::chmod(QFile::encodeName(open).constData(), 0777);
    for (const QByteArray& runtime : {QByteArray(), QByteArray("/tmp"), QFile::encodeName(open)}) {
        InstanceEnvironment environment(runtime, cache);
        NamedInstanceLock lock(name);
        EXPECT_EQ(lock.lockFilePath(), expected) << "runtime folder " << runtime.constData();
        EXPECT_EQ(lock.acquire(), NamedInstanceLock::Outcome::Acquired);
        NamedInstanceLock second(name);
        EXPECT_EQ(second.acquire(), NamedInstanceLock::Outcome::HeldElsewhere);
        EXPECT_TRUE(second.failure().isEmpty());
        EXPECT_TRUE(InstanceChannel::socketName(name).startsWith(QFile::decodeName(cache)));
    }
    struct stat st
    {
    };
    ASSERT_EQ(::stat(QByteArray(cache + "/vantoro").constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u) << "the lock folder is the user's alone";
}

TEST(NamedInstanceLock, PlantedLinkOrForeignFileIsAReportedFailure)
{
    QTemporaryDir dir;
    InstanceEnvironment environment(QByteArray(),
                                    QFile::encodeName(dir.filePath(QStringLiteral("cache"))));
    const QString name = uniqueName();
    NamedInstanceLock lock(name);
    const QString elsewhere = dir.filePath(QStringLiteral("elsewhere"));
    ASSERT_TRUE(QFile::link(elsewhere, lock.lockFilePath()));
    EXPECT_EQ(lock.acquire(), NamedInstanceLock::Outcome::Failed);
    EXPECT_TRUE(lock.failure().contains(lock.lockFilePath())) << qPrintable(lock.failure());
    EXPECT_FALSE(QFile::exists(elsewhere)) << "a link must never be followed";

    if (!test::runningAsRoot())
        return;
    QFile::remove(lock.lockFilePath());
    test::writeFileBytes(lock.lockFilePath(), QByteArray());
    ASSERT_EQ(::chown(QFile::encodeName(lock.lockFilePath()).constData(), 65534, 65534), 0);
    NamedInstanceLock foreign(name);
    EXPECT_EQ(foreign.acquire(), NamedInstanceLock::Outcome::Failed);
    EXPECT_TRUE(foreign.failure().contains(QStringLiteral("another user")));
}

TEST(TXJustOne, LockFailureIsReportedAndThisCopyRuns)
{
    QTemporaryDir dir;
    InstanceEnvironment environment(QByteArray(),
                                    QFile::encodeName(dir.filePath(QStringLiteral("cache"))));
    const QString name = uniqueName();
    ASSERT_TRUE(QFile::link(dir.filePath(QStringLiteral("elsewhere")),
                            NamedInstanceLock(name).lockFilePath()));
    TXJustOne guard(nullptr);
    QString reported;
    guard.LockFailed = [&](TXJustOne* sender, const QString& reason) {
        EXPECT_EQ(sender, &guard);
        reported = reason;
    };
    bool alreadyExist = false;
    guard.AlreadyExist = [&](TXJustOne*) { alreadyExist = true; };
    EXPECT_TRUE(guard.Loaded(name)) << "a copy must not end silently because of a bad lock file";
    EXPECT_FALSE(reported.isEmpty());
    EXPECT_FALSE(alreadyExist);
}

// The built program, copied into a temporary folder that then is its program folder.
class ProgramCopies : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const QString built =
            qEnvironmentVariable("VANTORO_BUILD_DIR") + QStringLiteral("/vantoro");
        if (!QFile::exists(built))
            GTEST_SKIP() << "the program is not built";
        m_exe = m_dir.filePath(QStringLiteral("vantoro"));
        ASSERT_TRUE(QFile::copy(built, m_exe));
        m_runtime = m_dir.filePath(QStringLiteral("run"));
        QDir().mkpath(m_runtime);
        QFile::setPermissions(m_runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    std::unique_ptr<QProcess> start()
    {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime);
        process->setProcessEnvironment(env);
        process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process->start(m_exe, {});
        return process;
    }

    static void endGracefully(QProcess& p)
    {
        if (p.state() == QProcess::NotRunning)
            return;
        p.terminate();
        if (!p.waitForFinished(5000)) {
            p.kill();
            p.waitForFinished(2000);
        }
    }

    QTemporaryDir m_dir;
    QString m_exe;
    QString m_runtime;
};

TEST_F(ProgramCopies, TwoCopiesStartedTogetherLeaveExactlyOneRunning)
{
    for (int round = 0; round < 8; ++round) {
        auto a = start();
        auto b = start();
        ASSERT_TRUE(a->waitForStarted(5000));
        ASSERT_TRUE(b->waitForStarted(5000));
        ASSERT_TRUE(test::waitUntil(
            [&] {
                return a->state() == QProcess::NotRunning || b->state() == QProcess::NotRunning;
            },
            15000))
            << "round " << round << ": neither copy ended";
        QProcess& ended = a->state() == QProcess::NotRunning ? *a : *b;
        QProcess& running = a->state() == QProcess::NotRunning ? *b : *a;
        EXPECT_EQ(ended.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(ended.exitCode(), 0);
        // The survivor keeps running.
        EXPECT_FALSE(running.waitForFinished(700)) << "round " << round;
        endGracefully(running);
    }
}

TEST_F(ProgramCopies, SecondCopyTouchesNoSettingsAndAKilledFirstCopyBlocksNothing)
{
    auto first = start();
    ASSERT_TRUE(first->waitForStarted(5000));
    const QString ini = m_dir.filePath(QStringLiteral("Vantoro.INI"));
    // Start-up writes the four defaults one by one: wait for the last.
    ASSERT_TRUE(
        test::waitUntil([&] { return test::readFileBytes(ini).contains("Lists="); }, 15000));
    const QByteArray settings = test::readFileBytes(ini);
    const QDateTime written = QFileInfo(ini).lastModified();

    auto second = start();
    ASSERT_TRUE(second->waitForFinished(15000));
    EXPECT_EQ(second->exitCode(), 0);
    EXPECT_EQ(QFileInfo(ini).lastModified(), written);
    EXPECT_EQ(test::readFileBytes(ini), settings);

    first->kill();
    first->waitForFinished(5000);
    // A killed copy leaves its socket file behind; the next start must run all the same.
    auto later = start();
    ASSERT_TRUE(later->waitForStarted(5000));
    EXPECT_FALSE(later->waitForFinished(1500)) << "a new start after a killed copy must run";
    endGracefully(*later);
    EXPECT_EQ(later->exitCode(), 0);
}

} // namespace

namespace {

TEST(InstanceChannel, APlaylistHandedOverArrivesWithItsPathIntact)
{
    const QString name = uniqueName();
    InstanceChannel first(name);
    ASSERT_TRUE(first.listen());
    QSignalSpy played(&first, &InstanceChannel::playRequested);
    QSignalSpy forward(&first, &InstanceChannel::foregroundRequested);

    // Blanks, a line feed, a percent sign and bytes that are not UTF-8 all survive the trip.
    const QString odd = QFile::decodeName(QByteArrayLiteral("/tmp/My Lists/100%\nnew \xff.m3u"));
    const QStringList paths = {QStringLiteral("/home/user/Party Mix.asx"), odd};
    for (const QString& path : paths) {
        InstanceChannel second(name);
        ASSERT_TRUE(second.requestPlay(path));
    }
    ASSERT_TRUE(test::waitUntil([&] { return played.size() == 2; }));
    EXPECT_EQ(played[0][0].toString(), paths[0]);
    EXPECT_EQ(played[1][0].toString(), paths[1]);
    EXPECT_TRUE(forward.isEmpty());
}

} // namespace

namespace {

// A killed copy leaves a socket file nobody listens on: the next first copy replaces it with its
// own, open to its user only, and takes it away when it ends.
TEST(InstanceChannel, AStaleSocketFileIsReplacedAndRemovedAtTheEnd)
{
    const QString name = uniqueName();
    const QByteArray path = QFile::encodeName(InstanceChannel::socketName(name));
    {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        ASSERT_LT(static_cast<size_t>(path.size()), sizeof address.sun_path);
        std::memcpy(address.sun_path, path.constData(), static_cast<size_t>(path.size()));
        const int stale = ::socket(AF_UNIX, SOCK_STREAM, 0);
        ASSERT_EQ(::bind(stale, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
        ::close(stale);
    }
    EXPECT_FALSE(InstanceChannel(name).requestForeground(200)) << "nobody listens yet";

    {
        InstanceChannel first(name);
        ASSERT_TRUE(first.listen());
        struct stat st
        {
        };
        ASSERT_EQ(::stat(path.constData(), &st), 0);
        EXPECT_TRUE(S_ISSOCK(st.st_mode));
        EXPECT_EQ(st.st_mode & 0777, 0600u);
        QSignalSpy forward(&first, &InstanceChannel::foregroundRequested);
        ASSERT_TRUE(InstanceChannel(name).requestForeground());
        ASSERT_TRUE(forward.wait(3000));
    }
    EXPECT_NE(::access(path.constData(), F_OK), 0) << "the socket file outlives its copy";
}

TEST(InstanceChannel, AnActivationTokenGoesAheadOfItsRequestAndServesItOnly)
{
    const QString name = uniqueName();
    InstanceChannel first(name);
    ASSERT_TRUE(first.listen());
    QList<QByteArray> order; // "token:<t>" and "foreground"/"play" as they arrive
    QObject::connect(&first, &InstanceChannel::activationTokenReceived,
                     [&](const QByteArray& token) { order.append("token:" + token); });
    QObject::connect(&first, &InstanceChannel::foregroundRequested,
                     [&] { order.append("foreground"); });
    QObject::connect(&first, &InstanceChannel::playRequested,
                     [&](const QString&) { order.append("play"); });

    const QByteArray token = "kwin-1234_abc.DEF:5678";
    {
        InstanceChannel second(name);
        second.setActivationToken(token);
        ASSERT_TRUE(second.requestForeground());
    }
    {
        InstanceChannel second(name);
        second.setActivationToken("token with blanks"); // not a token: never sent
        ASSERT_TRUE(second.requestPlay(QStringLiteral("/home/user/a.asx")));
    }
    {
        InstanceChannel second(name); // none at all
        ASSERT_TRUE(second.requestForeground());
    }
    {
        InstanceChannel second(name);
        second.setActivationToken(QByteArray(InstanceChannel::kMaxActivationToken + 1, 'x'));
        ASSERT_TRUE(second.requestForeground());
    }
    ASSERT_TRUE(test::waitUntil([&] { return order.size() >= 5; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(order, QList<QByteArray>(
                         {"token:" + token, "foreground", "play", "foreground", "foreground"}));
}

// Off Wayland the token plays no part: the running copy comes forward as it always has, and no
// token is left in the environment for anything else to pick up.
TEST(TXJustOne, ATokenFromTheSecondCopyIsNotUsedOffWayland)
{
    ASSERT_FALSE(QGuiApplication::platformName().startsWith(QLatin1String("wayland")));
    const QString name = uniqueName();
    QWidget mainWindow;
    TXJustOne first(&mainWindow);
    ASSERT_TRUE(first.Loaded(name));
    QSignalSpy forward(&first, &TXJustOne::broughtForward);

    qputenv("XDG_ACTIVATION_TOKEN", "launcher-token");
    TXJustOne second(nullptr);
    EXPECT_FALSE(second.Loaded(name));
    qunsetenv("XDG_ACTIVATION_TOKEN");
    ASSERT_TRUE(forward.wait(3000));
    EXPECT_EQ(forward.first().at(0).value<QWidget*>(), &mainWindow);
    EXPECT_TRUE(mainWindow.isVisible());
    EXPECT_TRUE(first.lastActivationToken().isEmpty());
    EXPECT_FALSE(qEnvironmentVariableIsSet("XDG_ACTIVATION_TOKEN"));
}

} // namespace
