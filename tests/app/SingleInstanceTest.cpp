#include "app/TXJustOne.h"

#include "common/TestSupport.h"
#include "platform/SingleInstance.h"

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QUuid>
#include <QWidget>

#include <gtest/gtest.h>

#include <csignal>

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
