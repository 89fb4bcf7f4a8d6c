#include "TWMTPlayerTestMedia.h"

#include "common/TestSupport.h"
#include "platform/MpvLibrary.h"
#include "platform/MpvMediaPlayerCheck.h"
#include "player/PlayerControlBar.h"
#include "player/PlayerDisplayBar.h"
#include "player/PlayerStatusBar.h"
#include "player/PlayerTrackerBar.h"
#include "player/TWMTPlayer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstring>
#include <memory>

using namespace vantoro;
using namespace vantoro::test;

namespace {

constexpr int kWaitMs = 15000;

class TWMTPlayerTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }

    QString path(const QString& name) const { return m_dir.filePath(name); }

    // A control with no audio or video output; still images last `imageSeconds`.
    std::unique_ptr<TWMTPlayer> makePlayer(const QByteArray& imageSeconds = "0.3",
                                           QList<QPair<QByteArray, QByteArray>> extra = {})
    {
        MpvSession::Options options;
        options.audioOutput = "null";
        options.extraOptions = {{"image-display-duration", imageSeconds}};
        options.extraOptions += extra;
        auto player = std::make_unique<TWMTPlayer>(MpvLibrary::shared(), options);
        QObject::connect(player.get(), &TWMTPlayer::NewStream, player.get(),
                         [this, p = player.get()] { m_streams.append(p->GetCurrentEntry()); });
        return player;
    }

    bool waitForStreams(int count, int timeoutMs = kWaitMs)
    {
        return waitUntil([&] { return m_streams.size() >= count; }, timeoutMs);
    }

    QString playlist(const QStringList& entries, const QString& name = QStringLiteral("list.asx"))
    {
        writeAsx(path(name), entries);
        return path(name);
    }

    QTemporaryDir m_dir;
    QList<int> m_streams;
};

TEST_F(TWMTPlayerTest, PlaysAudioVideoAndImagesAsEntriesInOrderThenStops)
{
    writeToneWav(path("tone.wav"), 0.3);
    writeImage(path("still.png"), Qt::green);
    writeImage(path("photo.jpg"), Qt::blue);
    writeY4mVideo(path("clip.y4m"), 64, 48, 8, 25, Qt::red);
    auto player = makePlayer();
    EXPECT_FALSE(player->hasVideoSurface()); // offscreen: no picture, but everything plays
    EXPECT_EQ(player->GetCurrentEntry(), 0);
    ASSERT_TRUE(player->Open(
        playlist({path("tone.wav"), path("still.png"), path("photo.jpg"), path("clip.y4m")})));
    ASSERT_TRUE(waitUntil([&] { return m_streams.size() >= 4 && !player->isPlaying(); }, kWaitMs));
    EXPECT_EQ(m_streams, (QList<int>{1, 2, 3, 4}));
    EXPECT_EQ(player->GetCurrentEntry(), 0);
    // Nothing more once the playlist is done.
    QTest::qWait(400);
    EXPECT_EQ(m_streams.size(), 4);
}

TEST_F(TWMTPlayerTest, RepeatRestartsAtFirstEntryAndPlayCountBoundsThePasses)
{
    writeToneWav(path("a.wav"), 0.2);
    writeImage(path("b.png"), Qt::yellow);
    const QString list = playlist({path("a.wav"), path("b.png")});

    auto endless = makePlayer("0.2");
    endless->setPlayCount(0);
    ASSERT_TRUE(endless->Open(list));
    ASSERT_TRUE(waitForStreams(5));
    EXPECT_EQ(m_streams.mid(0, 5), (QList<int>{1, 2, 1, 2, 1}));
    endless->Stop();
    EXPECT_EQ(endless->GetCurrentEntry(), 0);
    endless.reset();

    m_streams.clear();
    auto twice = makePlayer("0.2");
    twice->setPlayCount(2);
    ASSERT_TRUE(twice->Open(list));
    ASSERT_TRUE(waitUntil([&] { return m_streams.size() >= 4 && !twice->isPlaying(); }, kWaitMs));
    EXPECT_EQ(m_streams, (QList<int>{1, 2, 1, 2}));
}

TEST_F(TWMTPlayerTest, MissingCorruptFolderAndPlaylistEntriesAreSkipped)
{
    writeToneWav(path("first.wav"), 0.2);
    writeToneWav(path("last.wav"), 0.2);
    writeFileBytes(path("corrupt.wav"), QByteArray(4096, '\x5a'));
    QDir(m_dir.path()).mkdir(QStringLiteral("folder.wav"));
    writeToneWav(path("folder.wav/inside.wav"), 0.2);
    // A clip that is itself a playlist must not smuggle its own entries in.
    writeFileBytes(path("nested.m3u"), "#EXTM3U\n" + path("first.wav").toUtf8() + "\n");
    writeFileBytes(path("empty.wav"), QByteArray());
    auto player = makePlayer();
    QList<QPair<int, QString>> skipped;
    QObject::connect(player.get(), &TWMTPlayer::EntrySkipped, player.get(),
                     [&](int entry, const QString& reason) {
                         skipped.append({entry, reason});
                     });
    ASSERT_TRUE(player->Open(
        playlist({path("first.wav"), path("missing.wav"), path("corrupt.wav"), path("folder.wav"),
                  path("nested.m3u"), path("empty.wav"), path("last.wav")})));
    ASSERT_TRUE(waitUntil([&] { return m_streams.size() >= 2 && !player->isPlaying(); }, kWaitMs));
    EXPECT_EQ(m_streams, (QList<int>{1, 7}));

    // Each skipped entry is reported once, with the reason it could not be played.
    ASSERT_EQ(skipped.size(), 5);
    EXPECT_EQ(skipped[0], qMakePair(2, QStringLiteral("File not found")));
    EXPECT_EQ(skipped[1].first, 3);
    EXPECT_FALSE(skipped[1].second.isEmpty()); // mpv's own words
    EXPECT_EQ(skipped[2], qMakePair(4, QStringLiteral("a folder, not a file")));
    EXPECT_EQ(skipped[3], qMakePair(5, QStringLiteral("a playlist, not a clip")));
    EXPECT_EQ(skipped[4].first, 6);
    EXPECT_FALSE(skipped[4].second.isEmpty());
    // The last of them is still in the status bar while the next entry plays and after the end.
    EXPECT_EQ(player->statusBar()->text(), "Skipped: empty.wav (" + skipped[4].second + ")");
}

// The status bar tells what was skipped for a while and then shows the play state again.
TEST_F(TWMTPlayerTest, SkippedMessageStaysAWhileThenTheStateShowsAgain)
{
    writeFileBytes(path("a-empty.wav"), QByteArray());
    writeToneWav(path("b.wav"), 0.3);
    auto player = makePlayer();
    player->statusBar()->setMessageTimeout(600);
    ASSERT_TRUE(player->Open(playlist({path("a-empty.wav"), path("b.wav")})));
    ASSERT_TRUE(waitForStreams(1));
    EXPECT_EQ(m_streams, QList<int>{2});
    EXPECT_TRUE(player->statusBar()->text().startsWith(QStringLiteral("Skipped: a-empty.wav (")))
        << player->statusBar()->text().toStdString();
    EXPECT_TRUE(player->statusBar()->text().endsWith(u')'));
    ASSERT_TRUE(waitUntil([&] { return !player->isPlaying(); }, kWaitMs));
    ASSERT_TRUE(waitUntil([&] { return player->statusBar()->message().isEmpty(); }, kWaitMs));
    EXPECT_TRUE(player->statusBar()->text().startsWith(QStringLiteral("Stopped")));
}

TEST_F(TWMTPlayerTest, RepeatOfAPlaylistWhereNothingPlaysEnds)
{
    writeFileBytes(path("corrupt.wav"), QByteArray(2048, '\x33'));
    auto player = makePlayer();
    player->setPlayCount(0);
    player->statusBar()->setMessageTimeout(200);
    ASSERT_TRUE(player->Open(playlist({path("missing.wav"), path("corrupt.wav")})));
    EXPECT_TRUE(waitUntil([&] { return !player->isPlaying(); }, kWaitMs));
    EXPECT_TRUE(m_streams.isEmpty());
    // Said in the status bar, and it stays said, not only for the time of a message.
    EXPECT_EQ(player->statusBar()->text(),
              QStringLiteral("Nothing in this playlist could be played"));
    QTest::qWait(400);
    EXPECT_EQ(player->statusBar()->text(),
              QStringLiteral("Nothing in this playlist could be played"));

    // A playlist that plays again clears it.
    writeToneWav(path("good.wav"), 0.2);
    player->setPlayCount(1);
    ASSERT_TRUE(player->Open(playlist({path("good.wav")}, QStringLiteral("good.asx"))));
    ASSERT_TRUE(waitForStreams(1));
    EXPECT_NE(player->statusBar()->text(),
              QStringLiteral("Nothing in this playlist could be played"));
}

TEST_F(TWMTPlayerTest, NextPreviousAndStopMoveThroughThePlaylist)
{
    for (const char* name : {"1.wav", "2.wav", "3.wav"})
        writeToneWav(path(QLatin1String(name)), 20.0);
    auto player = makePlayer();
    ASSERT_TRUE(player->Open(playlist({path("1.wav"), path("2.wav"), path("3.wav")})));
    ASSERT_TRUE(waitForStreams(1));
    player->Next();
    ASSERT_TRUE(waitForStreams(2));
    EXPECT_EQ(player->GetCurrentEntry(), 2);
    player->Previous();
    ASSERT_TRUE(waitForStreams(3));
    EXPECT_EQ(player->GetCurrentEntry(), 1);
    // From the first entry, without repeat, Previous starts it again.
    player->Previous();
    ASSERT_TRUE(waitForStreams(4));
    player->Next();
    player->Next();
    ASSERT_TRUE(waitForStreams(5));
    ASSERT_TRUE(waitUntil([&] { return player->GetCurrentEntry() == 3; }, kWaitMs));
    // After the last entry, without repeat, Next does nothing.
    player->Next();
    QTest::qWait(300);
    EXPECT_EQ(player->GetCurrentEntry(), 3);

    player->Stop();
    EXPECT_EQ(player->GetCurrentEntry(), 0);
    EXPECT_FALSE(player->isPlaying());
    const qsizetype before = m_streams.size();
    QTest::qWait(300);
    EXPECT_EQ(m_streams.size(), before);
    // The playlist is kept: play starts the entry where it stopped.
    player->togglePlay();
    ASSERT_TRUE(waitForStreams(static_cast<int>(before) + 1));
    EXPECT_EQ(m_streams.last(), 3);

    // With repeat, Next after the last entry goes round to the first, Previous back again.
    player->setPlayCount(0);
    player->Next();
    ASSERT_TRUE(waitForStreams(static_cast<int>(before) + 2));
    EXPECT_EQ(m_streams.last(), 1);
    player->Previous();
    ASSERT_TRUE(waitForStreams(static_cast<int>(before) + 3));
    EXPECT_EQ(m_streams.last(), 3);
    // Each of those events fired exactly once per entry begun.
    EXPECT_EQ(m_streams.mid(0, 5), (QList<int>{1, 2, 1, 1, 3}));
}

TEST_F(TWMTPlayerTest, SkipsInQuickSuccessionLandOnTheLastEntryAskedForAndPlayOnFromThere)
{
    // Each round: Open and two Nexts before any event is handled, so mpv may start the first
    // and second entries before the third replaces them. Only the third may be reported, and
    // its end must still lead on to the fourth.
    for (const char* name : {"1.wav", "2.wav", "3.wav", "4.wav"})
        writeToneWav(path(QLatin1String(name)), 0.25);
    const QString list = playlist({path("1.wav"), path("2.wav"), path("3.wav"), path("4.wav")});
    for (int round = 0; round < 6; ++round) {
        SCOPED_TRACE(round);
        m_streams.clear();
        auto player = makePlayer();
        ASSERT_TRUE(player->Open(list));
        if (round % 2 == 1)
            QTest::qWait(round * 3); // let mpv get a little further before the skips
        player->Next();
        player->Next();
        ASSERT_TRUE(
            waitUntil([&] { return m_streams.size() >= 2 && !player->isPlaying(); }, kWaitMs));
        // Entry 1 may have been reported before the skips when the round waited first.
        QList<int> tail = m_streams;
        if (!tail.isEmpty() && tail.first() == 1)
            tail.removeFirst();
        EXPECT_EQ(tail, (QList<int>{3, 4}));
    }
}

TEST_F(TWMTPlayerTest, RateChangesHowLongAnEntryTakes)
{
    writeToneWav(path("a.wav"), 1.6);
    writeToneWav(path("b.wav"), 0.1);
    const QString list = playlist({path("a.wav"), path("b.wav")});
    struct Case
    {
        double rate;
        qint64 minMs;
        qint64 maxMs;
    };
    for (const Case c : {Case{4.0, 0, 1200}, Case{1.0, 1400, 60000}}) {
        SCOPED_TRACE(c.rate);
        m_streams.clear();
        auto player = makePlayer();
        player->setRate(c.rate);
        EXPECT_DOUBLE_EQ(player->Rate(), c.rate);
        ASSERT_TRUE(player->Open(list));
        ASSERT_TRUE(waitForStreams(1));
        QElapsedTimer timer;
        timer.start();
        ASSERT_TRUE(waitForStreams(2));
        EXPECT_GE(timer.elapsed(), c.minMs);
        EXPECT_LE(timer.elapsed(), c.maxMs);
    }
    auto player = makePlayer();
    player->setRate(0.0);
    EXPECT_DOUBLE_EQ(player->Rate(), TWMTPlayer::kMinRate);
    player->setRate(1000.0);
    EXPECT_DOUBLE_EQ(player->Rate(), TWMTPlayer::kMaxRate);
    player->setRate(std::nan(""));
    EXPECT_DOUBLE_EQ(player->Rate(), 1.0);
}

// The pitch of a tone is kept at other speeds, and the slowest speed the program offers is
// not silent. The tone's frequency is measured from the zero crossings of what mpv sends to
// its audio output.
TEST_F(TWMTPlayerTest, PitchIsKeptAndAudibleAtSlowAndFastRates)
{
    writeToneWav(path("tone.wav"), 0.4, 440.0);
    writeToneWav(path("end.wav"), 0.05, 440.0);
    for (const double rate : {0.2, 2.0}) {
        SCOPED_TRACE(rate);
        m_streams.clear();
        const QString capture = path(QStringLiteral("out-%1.wav").arg(rate));
        MpvSession::Options options;
        options.audioOutput = "pcm";
        options.extraOptions = {{"ao-pcm-file", capture.toUtf8()},
                                {"audio-format", "s16"},
                                {"audio-channels", "mono"},
                                {"audio-samplerate", "8000"}};
        auto player = std::make_unique<TWMTPlayer>(MpvLibrary::shared(), options);
        QObject::connect(player.get(), &TWMTPlayer::NewStream, player.get(),
                         [this, p = player.get()] { m_streams.append(p->GetCurrentEntry()); });
        player->setRate(rate);
        ASSERT_TRUE(player->Open(playlist({path("tone.wav")})));
        ASSERT_TRUE(
            waitUntil([&] { return !m_streams.isEmpty() && !player->isPlaying(); }, kWaitMs));
        player.reset(); // closes the capture file

        int sampleRate = 0;
        const QList<qint16> samples = readWavSamples(capture, &sampleRate);
        ASSERT_EQ(sampleRate, 8000);
        // Loud samples only: the filter fades in and out at the edges.
        qsizetype first = -1, last = -1;
        for (qsizetype i = 0; i < samples.size(); ++i) {
            if (std::abs(samples[i]) > 4000) {
                if (first < 0)
                    first = i;
                last = i;
            }
        }
        ASSERT_GE(first, 0) << "the tone was not audible";
        const double seconds = static_cast<double>(last - first) / sampleRate;
        // Slowed to 0.2 the 0.4 s tone lasts about 2 s; at 2.0 about 0.2 s.
        EXPECT_NEAR(seconds, 0.4 / rate, 0.4 / rate * 0.35);
        int crossings = 0;
        for (qsizetype i = first + 1; i <= last; ++i)
            crossings += (samples[i - 1] < 0) != (samples[i] < 0) ? 1 : 0;
        EXPECT_NEAR(crossings / 2.0 / seconds, 440.0, 44.0);
    }
}

TEST_F(TWMTPlayerTest, EntriesReachMpvAsAbsoluteFilesNeverAsProtocolsOrOptions)
{
    // Each name below is a real file in the current folder; mpv would read the unresolved text
    // as a protocol, an option or a list separator.
    QDir dir(m_dir.path());
    dir.mkdir(QStringLiteral("av:"));
    dir.mkdir(QStringLiteral("memory:"));
    const QStringList names = {QStringLiteral("av://tone.wav"), QStringLiteral("memory://tone.wav"),
                               QStringLiteral("--pause=yes.wav"), QStringLiteral("a&b;c d'.wav"),
                               QStringLiteral("ünï 'x' [1].wav")};
    for (const QString& name : names)
        writeToneWav(path(name), 0.15);
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(m_dir.path()));
    auto player = makePlayer();
    const bool opened = player->Open(playlist(names));
    QDir::setCurrent(previous);
    ASSERT_TRUE(opened);
    for (const QString& entry : player->entries())
        EXPECT_TRUE(entry.startsWith(m_dir.path() + u'/')) << entry.toStdString();
    ASSERT_TRUE(waitUntil([&] { return m_streams.size() >= 5 && !player->isPlaying(); }, kWaitMs));
    EXPECT_EQ(m_streams, (QList<int>{1, 2, 3, 4, 5}));
}

TEST_F(TWMTPlayerTest, DisplayShowsTagsElseTheFileNameAndBarsFollowTheirProperties)
{
    writeToneWav(path("tagged.wav"), 0.4, 440.0, QStringLiteral("Morning Song"),
                 QStringLiteral("The Band"));
    writeToneWav(path("plain tone.wav"), 0.4);
    auto player = makePlayer();
    player->setPlayCount(0);
    player->resize(400, 300);
    player->show();
    ASSERT_TRUE(player->Open(playlist({path("tagged.wav"), path("plain tone.wav")})));
    ASSERT_TRUE(waitForStreams(1));
    EXPECT_TRUE(waitUntil([&] { return player->displayBar()->titleText() == u"Morning Song"; }));
    EXPECT_EQ(player->displayBar()->artistText(), u"The Band");
    EXPECT_TRUE(waitUntil([&] { return player->trackerBar()->maximum() > 300; }));
    ASSERT_TRUE(waitForStreams(2));
    EXPECT_TRUE(waitUntil([&] { return player->displayBar()->titleText() == u"plain tone.wav"; }));
    EXPECT_EQ(player->displayBar()->artistText(), QString());
    EXPECT_TRUE(player->statusBar()->text().startsWith(u"Playing"));

    QWidget* bars[] = {player->trackerBar(), player->statusBar(), player->displayBar()};
    void (TWMTPlayer::*setters[])(bool) = {
        &TWMTPlayer::setShowTracker, &TWMTPlayer::setShowStatusBar, &TWMTPlayer::setShowDisplay};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(bars[i]->isVisible());
        (player.get()->*setters[i])(false);
        EXPECT_FALSE(bars[i]->isVisible());
        for (int j = 0; j < 3; ++j)
            EXPECT_EQ(bars[j]->isVisible(), j != i);
        (player.get()->*setters[i])(true);
        EXPECT_TRUE(bars[i]->isVisible());
    }
    player->Stop();
    EXPECT_TRUE(player->statusBar()->text().startsWith(u"Stopped"));
}

TEST_F(TWMTPlayerTest, TransportButtonsPauseAndResumeAndTheTrackerSeeks)
{
    writeToneWav(path("long.wav"), 30.0);
    auto player = makePlayer();
    player->resize(400, 300);
    player->show();
    ASSERT_TRUE(player->Open(playlist({path("long.wav")})));
    ASSERT_TRUE(waitForStreams(1));
    ASSERT_TRUE(waitUntil([&] { return player->trackerBar()->maximum() >= 29000; }));
    EXPECT_TRUE(player->statusBar()->text().endsWith(u"/ 0:30"));

    QTest::mouseClick(player->controlBar()->playPauseButton(), Qt::LeftButton);
    EXPECT_TRUE(waitUntil([&] { return player->statusBar()->text().startsWith(u"Paused"); }));
    EXPECT_EQ(player->GetCurrentEntry(), 1);
    QTest::mouseClick(player->controlBar()->playPauseButton(), Qt::LeftButton);
    EXPECT_TRUE(waitUntil([&] { return player->statusBar()->text().startsWith(u"Playing"); }));

    Q_EMIT player->trackerBar()->seekRequested(20.0);
    EXPECT_TRUE(waitUntil([&] { return player->trackerBar()->value() >= 20000; }));
    EXPECT_TRUE(player->statusBar()->text().contains(u"0:2"));

    QTest::mouseClick(player->controlBar()->stopButton(), Qt::LeftButton);
    EXPECT_EQ(player->GetCurrentEntry(), 0);
    EXPECT_EQ(m_streams, QList<int>{1});
}

// The length goes to the tracker for every entry, also when it equals the one before (mpv then
// reports no change of duration): the slider follows the time and a drag along it seeks.
TEST_F(TWMTPlayerTest, TheTrackerFollowsAndSeeksInEveryEntryOfTheSameLength)
{
    writeToneWav(path("first.wav"), 3.0);
    writeToneWav(path("second.wav"), 3.0, 660.0);
    struct Case
    {
        const char* name;
        QStringList entries;
        int playCount;
    };
    const Case cases[] = {
        {"two clips of equal length", {path("first.wav"), path("second.wav")}, 1},
        {"one clip repeated", {path("first.wav")}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_streams.clear();
        auto player = makePlayer();
        player->setPlayCount(c.playCount);
        player->resize(400, 300);
        player->show();
        ASSERT_TRUE(player->Open(playlist(c.entries)));
        ASSERT_TRUE(waitForStreams(2));
        PlayerTrackerBar* tracker = player->trackerBar();
        EXPECT_TRUE(waitUntil([&] { return tracker->maximum() >= 2900; }, 3000));
        EXPECT_TRUE(tracker->isEnabled());
        EXPECT_TRUE(waitUntil([&] { return tracker->value() >= 300; }, 2000));
        EXPECT_NEAR(player->length(), 3.0, 0.1);

        // Paused, the position moves only by the seek: a drag released at 2.2 s.
        player->togglePlay();
        ASSERT_TRUE(waitUntil([&] { return player->isPaused(); }));
        tracker->setSliderDown(true);
        tracker->setSliderPosition(2200);
        tracker->setSliderDown(false);
        EXPECT_TRUE(waitUntil([&] { return player->position() >= 2.1; }, 5000));
        EXPECT_GE(tracker->value(), 2100);
        EXPECT_EQ(m_streams.size(), 2); // still the second pass or entry
        player->Stop();
    }
}

TEST_F(TWMTPlayerTest, OpenFailsWithTheReasonWhenThePlaylistCannotBeRead)
{
    auto player = makePlayer();
    EXPECT_FALSE(player->Open(path("absent.asx")));
    EXPECT_EQ(player->errorString(), u"File not found");
    EXPECT_FALSE(player->isPlaying());
    // An empty playlist opens and plays nothing.
    EXPECT_TRUE(player->Open(playlist({})));
    EXPECT_EQ(player->GetCurrentEntry(), 0);
    EXPECT_FALSE(player->isPlaying());
}

TEST(TWMTPlayerWithoutEngine, ControlExistsButOpenFailsAndTheCheckSaysSo)
{
    const MpvLibrary missing("libmpv-absent.so.2");
    EXPECT_FALSE(missing.isLoaded());
    EXPECT_FALSE(missing.loadError().isEmpty());
    EXPECT_FALSE(MpvMediaPlayerCheck(missing).mediaPlayerInstalled());
    EXPECT_TRUE(MpvMediaPlayerCheck(MpvLibrary::shared()).mediaPlayerInstalled());

    QTemporaryDir dir;
    writeToneWav(dir.filePath("a.wav"), 0.2);
    writeAsx(dir.filePath("l.asx"), {dir.filePath("a.wav")});
    TWMTPlayer player(missing, {});
    EXPECT_FALSE(player.Open(dir.filePath("l.asx")));
    EXPECT_EQ(player.errorString(), u"It seems the media player engine (libmpv) is not installed");
    EXPECT_FALSE(player.IsSoundCardEnabled());
    player.Next();
    player.Previous();
    player.Stop();
    player.setRate(2.0);
    EXPECT_EQ(player.GetCurrentEntry(), 0);
}

TEST_F(TWMTPlayerTest, NoSoundCardWithNullAudio)
{
    auto player = makePlayer();
    EXPECT_FALSE(player->IsSoundCardEnabled());
}

// The threads of this process whose names start with `prefix`.
QStringList threadsNamed(const QString& prefix)
{
    QStringList names;
    const QDir tasks(QStringLiteral("/proc/self/task"));
    for (const QString& task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile comm(tasks.filePath(task + QStringLiteral("/comm")));
        if (comm.open(QIODevice::ReadOnly)) {
            const QString name = QString::fromUtf8(comm.readAll()).trimmed();
            if (name.startsWith(prefix))
                names.append(name);
        }
    }
    return names;
}

// With mpv's own choice of output, a machine without a sound device (a private runtime folder
// here, so no sound server) ends at SDL's output, whose ALSA scanning thread held Stop and the
// next entry for many seconds. The player keeps to the desktop's outputs, then plays silently.
TEST_F(TWMTPlayerTest, WithoutASoundDeviceEntriesPlayOnThroughTheDesktopOutputsOnly)
{
    writeToneWav(path("a.wav"), 0.2);
    writeToneWav(path("b.wav"), 0.2);
    TWMTPlayer player(MpvLibrary::shared(), MpvSession::Options{});
    QObject::connect(&player, &TWMTPlayer::NewStream, &player,
                     [&] { m_streams.append(player.GetCurrentEntry()); });
    player.setMute(true);
    ASSERT_TRUE(player.Open(playlist({path("a.wav"), path("b.wav")})));
    ASSERT_TRUE(waitUntil([&] { return m_streams.size() >= 2 && !player.isPlaying(); }, kWaitMs));
    EXPECT_EQ(m_streams, (QList<int>{1, 2}));
    ASSERT_TRUE(player.Open(playlist({path("a.wav")})));
    ASSERT_TRUE(waitForStreams(3));
    player.Stop();
    EXPECT_EQ(threadsNamed(QStringLiteral("SDL")), QStringList());
}

// Without a sound device an audio entry plays silently for its whole length instead of ending
// at once with an error: three seconds of tone take about three seconds, and nothing is skipped.
TEST_F(TWMTPlayerTest, WithoutASoundDeviceAnAudioEntryPlaysSilentlyForItsLength)
{
    writeToneWav(path("long.wav"), 3.0);
    // No sound server (the private runtime folder) and no ALSA device: ALSA reads an empty
    // configuration.
    writeFileBytes(path("asound.conf"), QByteArray());
    const QByteArray alsaConfig = qgetenv("ALSA_CONFIG_PATH");
    qputenv("ALSA_CONFIG_PATH", path("asound.conf").toLocal8Bit());
    TWMTPlayer player(MpvLibrary::shared(), MpvSession::Options{});
    QStringList skipped;
    QObject::connect(&player, &TWMTPlayer::EntrySkipped, &player,
                     [&](int, const QString& reason) { skipped.append(reason); });
    QObject::connect(&player, &TWMTPlayer::NewStream, &player,
                     [&] { m_streams.append(player.GetCurrentEntry()); });
    ASSERT_TRUE(player.Open(playlist({path("long.wav")})));
    ASSERT_TRUE(waitForStreams(1));
    QElapsedTimer playing;
    playing.start();
    EXPECT_TRUE(waitUntil([&] { return !player.isPlaying(); }, kWaitMs));
    EXPECT_GE(playing.elapsed(), 2500) << "the entry ended early";
    EXPECT_EQ(skipped, QStringList());
    EXPECT_FALSE(player.IsSoundCardEnabled());
    if (alsaConfig.isNull())
        qunsetenv("ALSA_CONFIG_PATH");
    else
        qputenv("ALSA_CONFIG_PATH", alsaConfig);
}

// mpv refuses to start unless LC_NUMERIC is "C"; QApplication sets the locale from the
// environment (LANG=en_US.UTF-8 in the ctest entry that runs this).
TEST_F(TWMTPlayerTest, PlaysUnderANonCNumericLocale)
{
    std::setlocale(LC_ALL, "");
    if (std::strcmp(std::setlocale(LC_NUMERIC, nullptr), "C") == 0 &&
        std::setlocale(LC_ALL, "en_US.UTF-8") == nullptr)
        GTEST_SKIP() << "locale en_US.UTF-8 is not installed";
    ASSERT_STRNE(std::setlocale(LC_NUMERIC, nullptr), "C");
    writeToneWav(path("a.wav"), 0.2);
    writeToneWav(path("b.wav"), 0.2);
    auto player = makePlayer();
    player->setRate(1.5);
    const bool opened = player->Open(playlist({path("a.wav"), path("b.wav")}));
    const bool played = waitForStreams(2);
    std::setlocale(LC_ALL, "");
    std::setlocale(LC_NUMERIC, "C");
    EXPECT_TRUE(opened) << player->errorString().toStdString();
    EXPECT_TRUE(played);
    EXPECT_EQ(m_streams, (QList<int>{1, 2}));
}

} // namespace
