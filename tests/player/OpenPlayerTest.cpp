#include "PlayerWindowTestSupport.h"

#include "player/PlayerTrackerBar.h"
#include "player/PlayerWindowOpener.h"
#include "player/SleepTimer.h"

#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>

namespace vantoro::test {
namespace {

class OpenPlayerTest : public PlayerWindowFixture
{
protected:
    void SetUp() override
    {
        PlayerWindowFixture::SetUp();
        mainWindow.show();
        opener = std::make_unique<PlayerWindowOpener>(state, services, *speed, *sleep, &mainWindow,
                                                      setup());
    }

    // Queues the script run against the next player window.
    void onPlayer(std::function<void(TWplayerF2&)> script)
    {
        modal.scripts.append([script = std::move(script)](QDialog& dialog) {
            auto* window = qobject_cast<TWplayerF2*>(&dialog);
            ASSERT_NE(window, nullptr);
            script(*window);
        });
    }

    QWidget mainWindow;
    std::unique_ptr<PlayerWindowOpener> opener;
};

TEST_F(OpenPlayerTest, BarSettingsGoInBeforeShowingAndComeBackWhileOtherOptionsStartAfresh)
{
    state.TrackBarSetting = false;
    state.StatusBarSetting = true;
    onPlayer([&](TWplayerF2& window) {
        EXPECT_FALSE(mainWindow.isVisible());
        EXPECT_FALSE(window.checkBox5()->isChecked());
        EXPECT_FALSE(window.wmtPlayer1()->ShowTracker());
        EXPECT_TRUE(window.wmtPlayer1()->trackerBar()->isHidden());
        EXPECT_TRUE(window.wmtPlayer1()->ShowStatusBar());
        QTest::mouseClick(window.checkBox6(), Qt::LeftButton);
        QTest::mouseClick(window.checkBox2(), Qt::LeftButton);
        QTest::mouseClick(window.infoBox(), Qt::LeftButton);
        window.radioItem(0)->setChecked(true);
        QTest::mouseClick(window.doneButton(), Qt::LeftButton);
    });
    const PlayerResult first = opener->OpenPlayer();
    EXPECT_EQ(first.outcome, PlayerOutcome::Closed);
    EXPECT_FALSE(first.playlistWritten);
    EXPECT_TRUE(mainWindow.isVisible());
    EXPECT_FALSE(state.TrackBarSetting);
    EXPECT_FALSE(state.StatusBarSetting);

    onPlayer([&](TWplayerF2& window) {
        EXPECT_FALSE(window.checkBox5()->isChecked());
        EXPECT_FALSE(window.checkBox6()->isChecked());
        EXPECT_FALSE(window.wmtPlayer1()->ShowStatusBar());
        EXPECT_FALSE(window.checkBox2()->isChecked());
        EXPECT_EQ(window.wmtPlayer1()->PlayCount(), 1);
        EXPECT_TRUE(window.infoBox()->isChecked());
        EXPECT_EQ(window.radioGroup1ItemIndex(), -1);
        EXPECT_FALSE(window.playOrderFlag());
        window.checkBox5()->setChecked(true);
    });
    opener->OpenPlayer();
    EXPECT_EQ(modal.shown, QStringList({"Vantoro - Player", "Vantoro - Player"}));
    EXPECT_TRUE(state.TrackBarSetting);
    EXPECT_FALSE(state.StatusBarSetting);
}

TEST_F(OpenPlayerTest, MarksMadeDuringPlayRemainAfterTheWindowHasGone)
{
    const QString a = tone("a.wav", 0.6);
    const QString b = tone("b.wav", 0.6);
    state.AllBox.addAll({a, b});
    onPlayer([&](TWplayerF2& window) {
        QTest::mouseClick(window.goButton(), Qt::LeftButton);
        ASSERT_TRUE(
            waitUntil([&] { return window.wmtPlayer1()->GetCurrentEntry() == 2; }, kWaitMs));
        ASSERT_TRUE(waitUntil([&] { return window.markButton()->isEnabled(); }, kWaitMs));
        QTest::mouseClick(window.markButton(), Qt::LeftButton);
        window.close(); // the close box
        EXPECT_FALSE(window.wmtPlayer1()->isPlaying());
    });
    const PlayerResult result = opener->OpenPlayer();
    EXPECT_TRUE(result.playlistWritten);
    EXPECT_EQ(result.outcome, PlayerOutcome::Closed);
    EXPECT_EQ(state.PathLeft, QStringList({b}));
    EXPECT_EQ(state.LeftBox, QStringList({"b.wav"}));
    EXPECT_TRUE(mainWindow.isVisible());
}

TEST_F(OpenPlayerTest, SleepCountdownClosesThePlayerAndTheAnswerDecidesThePowerOff)
{
    struct Case
    {
        const char* name;
        MessageResult answer;
        bool powerAccepts;
        PlayerOutcome outcome;
        int requests;
        bool mainVisible;
    };
    const Case cases[] = {
        {"yes", MessageResult::Yes, true, PlayerOutcome::ShutdownRequested, 1, false},
        {"no", MessageResult::No, true, PlayerOutcome::Closed, 0, true},
        {"refused", MessageResult::Yes, false, PlayerOutcome::ShutdownFailed, 1, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        messages.shown.clear();
        messages.answers = {c.answer};
        power.requests = 0;
        power.answer = {c.powerAccepts, c.powerAccepts ? QString() : QStringLiteral("refused")};
        mainWindow.show();
        bool closedByTimer = false;
        onPlayer([&](TWplayerF2& window) {
            QTest::mouseClick(window.checkBox4(), Qt::LeftButton);
            // The countdown runs 1000 times faster here: "1 minute" is 60 ms.
            closedByTimer = waitUntil([&] { return !window.isVisible(); }, kWaitMs);
        });
        modal.scripts.append([this](QDialog&) {
            sleep->setItemIndex(12); // "1 minute (for testing)"
            sleep->bitBtn1()->click();
        });
        const PlayerResult result = opener->OpenPlayer();
        EXPECT_TRUE(closedByTimer);
        ASSERT_GE(messages.shown.size(), 1);
        EXPECT_EQ(messages.shown[0].text, QStringLiteral("Shutdown computer now?"));
        EXPECT_EQ(messages.shown[0].buttons, MessageButtons::YesNo);
        EXPECT_EQ(result.outcome, c.outcome);
        EXPECT_EQ(power.requests, c.requests);
        EXPECT_EQ(mainWindow.isVisible(), c.mainVisible);
        EXPECT_FALSE(state.ShutdownPending);
        if (!c.powerAccepts) {
            ASSERT_EQ(messages.shown.size(), 2);
            EXPECT_EQ(messages.shown[1].kind, MessageKind::Error);
            EXPECT_EQ(messages.shown[1].text, QStringLiteral("refused"));
        }
    }
    EXPECT_EQ(state.SleepChoice, 12);
}

} // namespace
} // namespace vantoro::test
