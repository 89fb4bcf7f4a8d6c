#include "player/SleepTimer.h"

#include "common/FakeMessageBoxes.h"
#include "common/FakePowerService.h"
#include "common/FakeTimerFactory.h"
#include "common/TestSupport.h"
#include "platform/LogindPowerService.h"
#include "playlists/ProgramState.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace vantoro {
namespace {

class SleepTimerTest : public ::testing::Test
{
protected:
    // The window's part of the sleep dialog's OK: the Sleep box, whose handler runs when it
    // becomes unchecked, then the timer.
    void dialogOk(int index)
    {
        const bool box = SleepTimer::sleepBoxChecked(index);
        if (m_sleepBox && !box)
            m_sleep.sleepBoxUnchecked();
        m_sleepBox = box;
        m_sleep.applyChoice(index, m_sleepBox);
    }

    test::FakeTimerFactory::Timer& timer1() { return *m_timers.timers().at(0); }

    ProgramState m_state;
    test::FakeTimerFactory m_timers;
    test::FakeMessageBoxes m_messages;
    test::FakePowerService m_power;
    int m_closes = 0;
    bool m_sleepBox = false;
    SleepTimer m_sleep{m_state, m_timers, [this] { ++m_closes; }};
};

TEST_F(SleepTimerTest, EachChoiceSetsFlagAndCountdown)
{
    for (int index = 0; index <= 12; ++index) {
        SCOPED_TRACE(index);
        m_sleepBox = true; // the box is checked while the dialog is open
        dialogOk(index);
        EXPECT_EQ(m_sleepBox, index > 0);
        EXPECT_EQ(m_state.ShutdownPending, index > 0);
        EXPECT_EQ(m_sleep.isRunning(), index >= 2);
        if (index >= 2) {
            EXPECT_EQ(m_sleep.intervalMs(), SleepTimer::minutesOfItem(index) * 60000);
        }
    }
    EXPECT_EQ(m_closes, 0);
}

// "1 minute (for testing)": the countdown closes the player, the closing asks the question,
// and Yes requests the power-off once the window is gone.
TEST_F(SleepTimerTest, OneMinuteClosesThePlayerAndYesPowersOff)
{
    m_state.SleepChoice = 12;
    dialogOk(12);
    EXPECT_EQ(timer1().starts, QList<int>{60000});
    m_state.ShutdownPending = false; // cleared meanwhile: the countdown sets it again
    ASSERT_TRUE(test::waitUntil([&] { return m_closes > 0; }, 5000));
    EXPECT_EQ(m_closes, 1);
    EXPECT_TRUE(m_state.ShutdownPending);

    m_messages.answers = {MessageResult::Yes};
    EXPECT_TRUE(m_sleep.playerClosing(m_messages));
    ASSERT_EQ(m_messages.shown.size(), 1);
    EXPECT_EQ(m_messages.shown[0].text, QStringLiteral("Shutdown computer now?"));
    EXPECT_EQ(m_messages.shown[0].kind, MessageKind::Confirmation);
    EXPECT_EQ(m_messages.shown[0].buttons, MessageButtons::YesNo);

    EXPECT_TRUE(shutdownComputer(m_state, m_power, m_messages));
    EXPECT_EQ(m_power.requests, 1);
    EXPECT_FALSE(m_state.ShutdownPending);
    EXPECT_EQ(m_messages.shown.size(), 1);
}

TEST_F(SleepTimerTest, NoAtTheQuestionClearsTheFlagAndNothingIsRequested)
{
    dialogOk(12);
    timer1().fire();
    EXPECT_EQ(m_closes, 1);
    m_messages.answers = {MessageResult::No};
    EXPECT_FALSE(m_sleep.playerClosing(m_messages));
    EXPECT_FALSE(m_state.ShutdownPending);
    EXPECT_FALSE(shutdownComputer(m_state, m_power, m_messages));
    EXPECT_EQ(m_power.requests, 0);
}

TEST_F(SleepTimerTest, UncheckingStopsTheCountdownAndCheckingAgainRestartsIt)
{
    dialogOk(3);
    ASSERT_TRUE(m_sleep.isRunning());
    m_sleepBox = false;
    m_sleep.sleepBoxUnchecked();
    EXPECT_FALSE(m_sleep.isRunning());
    EXPECT_FALSE(m_state.ShutdownPending);

    m_sleepBox = true;
    dialogOk(3);
    EXPECT_TRUE(m_sleep.isRunning());
    EXPECT_EQ(timer1().starts, (QList<int>{30 * 60000, 30 * 60000}));

    dialogOk(0); // Off
    EXPECT_FALSE(m_sleepBox);
    EXPECT_FALSE(m_sleep.isRunning());
    EXPECT_FALSE(m_state.ShutdownPending);
    timer1().fire();
    EXPECT_EQ(m_closes, 0);
}

TEST_F(SleepTimerTest, WhenPlaylistFinishesAsksOnlyAtClosing)
{
    dialogOk(1);
    EXPECT_TRUE(m_state.ShutdownPending);
    EXPECT_FALSE(m_sleep.isRunning());
    m_messages.answers = {MessageResult::Yes};
    EXPECT_TRUE(m_sleep.playerClosing(m_messages));
    EXPECT_EQ(m_closes, 0);
}

// Closing the window stops a running countdown first, so that it cannot end while the
// question is up and close the window a second time.
TEST_F(SleepTimerTest, ClosingStopsTheCountdownBeforeAsking)
{
    dialogOk(12);
    bool runningWhileAsked = true;
    m_messages.onShow = [&](const test::FakeMessageBoxes::Shown&) {
        runningWhileAsked = m_sleep.isRunning();
    };
    m_messages.answers = {MessageResult::No};
    m_sleep.playerClosing(m_messages);
    EXPECT_FALSE(runningWhileAsked);
    EXPECT_FALSE(test::waitUntil([&] { return m_closes > 0; }, 200));
}

TEST_F(SleepTimerTest, RefusedPowerOffIsShownAndNotAskedAgain)
{
    m_state.ShutdownPending = true;
    m_power.answer = {false, LogindPowerService::errorTextFor(
                                 QStringLiteral("org.freedesktop.DBus.Error.AccessDenied"))};
    EXPECT_FALSE(shutdownComputer(m_state, m_power, m_messages));
    EXPECT_EQ(m_power.requests, 1);
    ASSERT_EQ(m_messages.shown.size(), 1);
    EXPECT_EQ(m_messages.shown[0].kind, MessageKind::Error);
    EXPECT_EQ(m_messages.shown[0].text, QStringLiteral("System Error.  Code: %1.\r").arg(EACCES) +
                                            QString::fromLocal8Bit(strerror(EACCES)));
    EXPECT_FALSE(m_state.ShutdownPending);
}

// Only the text mapping is exercised here: no test talks to the system bus.
TEST(PowerOffErrorText, NamesWithAnErrnoShowTheCode)
{
    const std::pair<const char*, int> cases[] = {
        {"org.freedesktop.DBus.Error.AccessDenied", EACCES},
        {"org.freedesktop.DBus.Error.InteractiveAuthorizationRequired", EACCES},
        {"org.freedesktop.DBus.Error.NoReply", ETIMEDOUT},
        {"System.Error.EPERM", EPERM},
        {"System.Error.EBUSY", EBUSY},
        {"System.Error.NOTANERRNO", 0},
        {"org.freedesktop.login1.OperationInProgress", 0},
        {"", 0},
    };
    for (const auto& [name, code] : cases) {
        const QString text = LogindPowerService::errorTextFor(QString::fromLatin1(name));
        if (code == 0)
            EXPECT_EQ(text, QStringLiteral("A system function failed")) << name;
        else
            EXPECT_TRUE(text.startsWith(QStringLiteral("System Error.  Code: %1.\r").arg(code)))
                << name << " " << text.toStdString();
    }
}

} // namespace
} // namespace vantoro
