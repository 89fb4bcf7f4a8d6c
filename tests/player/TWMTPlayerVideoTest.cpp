#include "TWMTPlayerTestMedia.h"

#include "common/TestSupport.h"
#include "platform/MpvLibrary.h"
#include "player/MpvSoftwareSurface.h"
#include "player/MpvVideoSurface.h"
#include "player/TWMTPlayer.h"

#include <QColor>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

using namespace vantoro;
using namespace vantoro::test;

namespace {

QColor centreOf(MpvVideoSurface* surface)
{
    const QImage image = surface->grabFramebuffer();
    return image.isNull() ? QColor(Qt::black)
                          : image.pixelColor(image.width() / 2, image.height() / 2);
}

bool looksLike(const QColor& seen, const QColor& wanted)
{
    return std::abs(seen.red() - wanted.red()) < 60 &&
           std::abs(seen.green() - wanted.green()) < 60 &&
           std::abs(seen.blue() - wanted.blue()) < 60;
}

// The picture needs a display with OpenGL; under Xvfb (VANTORO_REQUIRE_PICTURE) its absence
// is a failure, elsewhere the tests are skipped.
class TWMTPlayerVideo : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (MpvVideoSurface::isSupported())
            return;
        if (qEnvironmentVariableIsSet("VANTORO_REQUIRE_PICTURE"))
            FAIL() << "no OpenGL display platform under Xvfb";
        GTEST_SKIP() << "needs a display with OpenGL";
    }
};

// Runs under Xvfb (see control.cmake): a generated video and then a still image are shown
// through mpv's render API in the control's picture area.
TEST_F(TWMTPlayerVideo, ShowsAGeneratedVideoAndThenAStillImage)
{
    QTemporaryDir dir;
    const QColor red(220, 30, 30);
    const QColor green(30, 200, 40);
    writeY4mVideo(dir.filePath("red.y4m"), 160, 120, 150, 25, red);
    writeImage(dir.filePath("green.png"), green, 160, 120);
    // A photo comes through the control's own decoder: red and blue must not trade places.
    const QColor orange(230, 130, 20);
    writeImage(dir.filePath("orange.jpg"), orange, 2400, 1800);
    writeAsx(dir.filePath("list.asx"),
             {dir.filePath("red.y4m"), dir.filePath("green.png"), dir.filePath("orange.jpg")});

    MpvSession::Options options;
    options.audioOutput = "null";
    TWMTPlayer player(MpvLibrary::shared(), options);
    QList<int> streams;
    QObject::connect(&player, &TWMTPlayer::NewStream, &player,
                     [&] { streams.append(player.GetCurrentEntry()); });
    ASSERT_TRUE(player.hasVideoSurface());
    player.resize(400, 360);
    player.show();
    MpvVideoSurface* surface = player.videoSurface();
    ASSERT_TRUE(waitUntil([&] { return surface->isRendering(); }, 10000));

    EXPECT_TRUE(looksLike(centreOf(surface), Qt::black) || centreOf(surface).lightness() < 40);
    ASSERT_TRUE(player.Open(dir.filePath("list.asx")));
    ASSERT_TRUE(waitUntil([&] { return streams.size() >= 1; }, 15000));
    EXPECT_TRUE(waitUntil([&] { return looksLike(centreOf(surface), red); }, 10000))
        << centreOf(surface).name().toStdString();
    player.Next();
    ASSERT_TRUE(waitUntil([&] { return streams.size() >= 2; }, 15000));
    EXPECT_TRUE(waitUntil([&] { return looksLike(centreOf(surface), green); }, 10000))
        << centreOf(surface).name().toStdString();
    EXPECT_EQ(streams, (QList<int>{1, 2}));
    // The whole control as the window would show it is not black either.
    const QImage shot = player.grab().toImage();
    const QPoint centre = surface->geometry().center();
    EXPECT_TRUE(looksLike(shot.pixelColor(centre), green))
        << shot.pixelColor(centre).name().toStdString();
    player.Next();
    ASSERT_TRUE(waitUntil([&] { return streams.size() >= 3; }, 15000));
    EXPECT_TRUE(waitUntil([&] { return looksLike(centreOf(surface), orange); }, 10000))
        << centreOf(surface).name().toStdString();
    player.Stop();
}

// A display without usable OpenGL (player_control_video_without_opengl_xvfb): the video is
// drawn by mpv's software renderer instead of being played unseen.
TEST(TWMTPlayerSoftwareVideo, ShowsAVideoWithoutOpenGL)
{
    if (MpvVideoSurface::isSupported())
        GTEST_SKIP() << "this display has OpenGL";
    if (!MpvSoftwareSurface::isSupported())
        GTEST_SKIP() << "needs a display (xcb or wayland)";
    QTemporaryDir dir;
    const QColor red(220, 30, 30);
    writeY4mVideo(dir.filePath("red.y4m"), 160, 120, 150, 25, red);
    writeAsx(dir.filePath("list.asx"), {dir.filePath("red.y4m")});

    MpvSession::Options options;
    options.audioOutput = "null";
    TWMTPlayer player(MpvLibrary::shared(), options);
    ASSERT_FALSE(player.hasVideoSurface());
    MpvSoftwareSurface* surface = player.softwareSurface();
    ASSERT_NE(surface, nullptr);
    ASSERT_TRUE(surface->isRendering()) << surface->error().toStdString();
    player.resize(400, 360);
    player.show();
    ASSERT_TRUE(player.Open(dir.filePath("list.asx")));
    const auto centre = [&] {
        const QImage shot = surface->grab().toImage();
        return shot.pixelColor(shot.width() / 2, shot.height() / 2);
    };
    EXPECT_TRUE(waitUntil([&] { return looksLike(centre(), red); }, 15000))
        << centre().name().toStdString();
    player.Stop();
}

// What the screen itself shows at the middle of the picture (not a render made for a grab).
QColor onScreen(MpvVideoSurface* surface)
{
    const QPoint centre = surface->mapToGlobal(surface->rect().center());
    const QImage shot =
        QGuiApplication::primaryScreen()->grabWindow(0, centre.x(), centre.y(), 1, 1).toImage();
    return shot.isNull() ? QColor(Qt::black) : shot.pixelColor(0, 0);
}

// Every picture of a slideshow reaches the screen while its name is shown, even when the GUI
// thread is held up as the picture arrives (a slow slot, a long layout): mpv waits only a
// moment for a frame to be rendered before it takes it as shown.
TEST_F(TWMTPlayerVideo, EveryPictureOfASlideshowReachesTheScreen)
{
    QTemporaryDir dir;
    const QList<QColor> colours = {QColor(220, 40, 40), QColor(40, 200, 60), QColor(40, 60, 220),
                                   QColor(230, 200, 40)};
    QStringList entries;
    for (int i = 0; i < colours.size(); ++i) {
        entries.append(dir.filePath(QStringLiteral("picture%1.png").arg(i)));
        writeImage(entries.last(), colours.at(i), 320, 240);
    }
    writeAsx(dir.filePath("list.asx"), entries);

    MpvSession::Options options;
    options.audioOutput = "null";
    options.extraOptions = {{"image-display-duration", "2"}};
    TWMTPlayer player(MpvLibrary::shared(), options);
    player.resize(400, 360);
    player.show();
    MpvVideoSurface* surface = player.videoSurface();
    ASSERT_TRUE(waitUntil([&] { return surface->isRendering(); }, 10000));
    QList<int> streams;
    QObject::connect(&player, &TWMTPlayer::NewStream, &player, [&] {
        streams.append(player.GetCurrentEntry());
        QThread::msleep(400);
    });
    ASSERT_TRUE(player.Open(dir.filePath("list.asx")));
    for (int i = 0; i < colours.size(); ++i) {
        ASSERT_TRUE(waitUntil([&] { return streams.size() > i; }, 15000)) << i;
        const bool shown = waitUntil(
            [&] { return streams.size() == i + 1 && looksLike(onScreen(surface), colours.at(i)); },
            1500);
        EXPECT_TRUE(shown) << "picture " << i + 1 << " not on screen; it shows "
                           << onScreen(surface).name().toStdString();
    }
    EXPECT_EQ(streams, (QList<int>{1, 2, 3, 4}));
    player.Stop();
}

} // namespace
