// The desktop's media session and the screen saver, driven by a real player window playing
// generated clips.
#include "PlayerWindowTestSupport.h"

#include "platform/MediaSession.h"
#include "player/PlayerMediaSession.h"

#include <QTest>

namespace vantoro::test {
namespace {

class FakeMediaSession final : public MediaSession
{
public:
    void open(MediaSessionControls& c) override
    {
        ++opens;
        controls = &c;
    }
    void update(const MediaSessionState& state) override { updates.append(state); }
    void seeked(qint64 positionUs) override { seeks.append(positionUs); }
    void close() override
    {
        ++closes;
        controls = nullptr;
    }

    MediaSessionControls* controls = nullptr;
    int opens = 0;
    int closes = 0;
    QList<MediaSessionState> updates;
    QList<qint64> seeks;
};

class FakeScreenSaver final : public ScreenSaverInhibitor
{
public:
    void inhibit(const QString& why) override
    {
        if (!inhibited)
            reasons.append(why);
        inhibited = true;
    }
    void release() override { inhibited = false; }
    bool isInhibited() const override { return inhibited; }

    bool inhibited = false;
    QStringList reasons;
};

class PlayerMediaSessionTest : public PlayerWindowFixture
{
protected:
    std::unique_ptr<TWplayerF2> openWindow(QByteArray imageSeconds = "0.3")
    {
        services.mediaSession = &session;
        services.screenSaver = &screenSaver;
        auto window = std::make_unique<TWplayerF2>(state, services, *speed, *sleep,
                                                   setup(std::move(imageSeconds)));
        QObject::connect(
            window->wmtPlayer1(), &TWMTPlayer::NewStream, window.get(),
            [this, w = window.get()] { streams.append(w->wmtPlayer1()->GetCurrentEntry()); });
        window->show();
        return window;
    }

    const MediaSessionState& last() const { return session.updates.last(); }

    FakeMediaSession session;
    FakeScreenSaver screenSaver;
    QList<int> streams;
};

TEST_F(PlayerMediaSessionTest, SessionFollowsTheWindowAndASlideshowHoldsOffTheScreenSaver)
{
    state.AllBox.addAll({image("a.png"), image("b.png")});
    auto window = openWindow("20");
    EXPECT_EQ(session.opens, 1);
    ASSERT_NE(session.controls, nullptr);
    ASSERT_FALSE(session.updates.isEmpty());
    EXPECT_EQ(last().status, MediaSessionState::Status::Stopped);
    EXPECT_FALSE(screenSaver.inhibited);

    window->GoButtonClick();
    ASSERT_TRUE(waitUntil([&] { return streams.size() == 1; }, kWaitMs));
    EXPECT_EQ(last().status, MediaSessionState::Status::Playing);
    EXPECT_EQ(last().entry, 1);
    EXPECT_EQ(last().title, QStringLiteral("a.png"));
    EXPECT_EQ(last().url, QUrl::fromLocalFile(path(QStringLiteral("a.png"))).toString());
    EXPECT_FALSE(last().canSeek) << "a picture cannot be sought";
    // Held off from the picture's first frame on.
    EXPECT_TRUE(waitUntil([&] { return screenSaver.inhibited; }));
    EXPECT_EQ(screenSaver.reasons,
              QStringList{QString::fromLatin1(PlayerMediaSession::kInhibitReason)});
    EXPECT_EQ(session.seeks, QList<qint64>{0});

    // Paused: the screen may blank again; playing again holds it off again.
    session.controls->mediaPause();
    ASSERT_TRUE(waitUntil([&] { return last().status == MediaSessionState::Status::Paused; }));
    EXPECT_FALSE(screenSaver.inhibited);
    session.controls->mediaPlayPause();
    ASSERT_TRUE(waitUntil([&] { return last().status == MediaSessionState::Status::Playing; }));
    EXPECT_TRUE(screenSaver.inhibited);

    // The desktop's Next, volume and rate reach the control and come back as updates.
    session.controls->mediaNext();
    ASSERT_TRUE(waitUntil([&] { return streams.size() == 2; }, kWaitMs));
    EXPECT_EQ(last().entry, 2);
    EXPECT_EQ(last().title, QStringLiteral("b.png"));
    session.controls->mediaSetVolume(0.4);
    EXPECT_EQ(window->wmtPlayer1()->Volume(), 40);
    EXPECT_DOUBLE_EQ(last().volume, 0.4);
    window->wmtPlayer1()->setRate(1.5);
    EXPECT_DOUBLE_EQ(last().rate, 1.5);

    session.controls->mediaStop();
    EXPECT_EQ(last().status, MediaSessionState::Status::Stopped);
    EXPECT_FALSE(screenSaver.inhibited);
    session.controls->mediaPlay();
    ASSERT_TRUE(waitUntil([&] { return screenSaver.inhibited; }, kWaitMs));

    window->DoneButtonClick();
    EXPECT_EQ(session.closes, 1);
    EXPECT_FALSE(screenSaver.inhibited) << "released when the window closes";
}

TEST_F(PlayerMediaSessionTest, AudioAloneNeverHoldsOffTheScreenSaverAndSeeksByTheDesktop)
{
    state.AllBox.addAll({tone("a.wav", 20)});
    auto window = openWindow();
    window->GoButtonClick();
    ASSERT_TRUE(waitUntil([&] { return streams.size() == 1; }, kWaitMs));
    ASSERT_TRUE(waitUntil([&] { return last().lengthUs > 19'000'000; }, kWaitMs));
    EXPECT_EQ(last().status, MediaSessionState::Status::Playing);
    EXPECT_TRUE(last().canSeek);
    EXPECT_FALSE(screenSaver.inhibited);
    EXPECT_TRUE(screenSaver.reasons.isEmpty());

    session.controls->mediaSeekBy(8'000'000);
    EXPECT_TRUE(waitUntil([&] { return session.controls->mediaPosition() > 7'500'000; }, 5000))
        << session.controls->mediaPosition();
    session.controls->mediaSetPosition(15'000'000);
    EXPECT_TRUE(waitUntil([&] { return session.controls->mediaPosition() > 14'500'000; }, 5000))
        << session.controls->mediaPosition();
    window.reset();
    EXPECT_EQ(session.closes, 1) << "a window destroyed without closing closes the session too";
}

TEST_F(PlayerMediaSessionTest, WithoutDesktopServicesNothingIsAnnounced)
{
    state.AllBox.addAll({image("a.png")});
    services.mediaSession = nullptr;
    services.screenSaver = nullptr;
    auto window = std::make_unique<TWplayerF2>(state, services, *speed, *sleep, setup());
    window->show();
    window->GoButtonClick();
    ASSERT_TRUE(waitUntil([&] { return window->wmtPlayer1()->GetCurrentEntry() == 1; }, kWaitMs));
    EXPECT_TRUE(window->mediaSession()->isOpen());
    window->DoneButtonClick();
    EXPECT_FALSE(window->mediaSession()->isOpen());
}

} // namespace
} // namespace vantoro::test
