#include "TWMTPlayerTestMedia.h"

#include "common/TestSupport.h"
#include "platform/JpegSamples.h"
#include "platform/MpvLibrary.h"
#include "player/PicturePreloader.h"
#include "player/TWMTPlayer.h"

#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

using namespace vantoro;
using namespace vantoro::test;

namespace {

constexpr int kWaitMs = 15000;

TEST(PicturePreloader, KnowsJpegNamesInAnyCase)
{
    for (const char* name : {"/p/a.jpg", "/p/b.JPEG", "/p/c.Jpe", "/p/d.jfif", "/p.x/e.jpg"})
        EXPECT_TRUE(PicturePreloader::isJpegName(QString::fromUtf8(name))) << name;
    for (const char* name : {"/p/a.png", "/p/jpg", "/p.jpg/b", "/p/c.jpgx", "/p/d.jpg.mp4"})
        EXPECT_FALSE(PicturePreloader::isJpegName(QString::fromUtf8(name))) << name;
}

// The served picture reads back pixel for pixel, whatever the width (rows are not padded as
// an image's lines are) and for greyscale pictures too.
TEST(PicturePreloader, ServesThePixelsUnchanged)
{
    QImage colour(5, 3, QImage::Format_RGB888);
    for (int y = 0; y < colour.height(); ++y) {
        for (int x = 0; x < colour.width(); ++x)
            colour.setPixelColor(x, y, QColor(x * 50, y * 100, 255 - x * 40));
    }
    QImage grey(3, 2, QImage::Format_Grayscale8);
    for (int y = 0; y < grey.height(); ++y) {
        for (int x = 0; x < grey.width(); ++x)
            grey.setPixel(x, y, qRgb(x * 90 + y * 7, x * 90 + y * 7, x * 90 + y * 7));
    }
    for (const QImage& image : {colour, grey}) {
        const QByteArray served = PicturePreloader::portablePixmap(image);
        const QByteArray header = "P6\n" + QByteArray::number(image.width()) + ' ' +
                                  QByteArray::number(image.height()) + "\n255\n";
        EXPECT_TRUE(served.startsWith(header));
        EXPECT_EQ(served.size(), header.size() + image.width() * image.height() * 3);
        const QImage back = QImage::fromData(served, "PPM");
        ASSERT_EQ(back.size(), image.size());
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x)
                EXPECT_EQ(back.pixel(x, y), image.pixel(x, y)) << x << "," << y;
        }
    }
}

class PicturePreloaderPlayback : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        MpvSession::Options options;
        options.audioOutput = "null";
        options.extraOptions = {{"image-display-duration", "0.4"}};
        m_player = std::make_unique<TWMTPlayer>(MpvLibrary::shared(), options);
        ASSERT_NE(m_player->session(), nullptr);
        QObject::connect(m_player.get(), &TWMTPlayer::NewStream, m_player.get(), [this] {
            m_streams.append(m_player->GetCurrentEntry());
            m_sizes.append(QSize(int(property("width")), int(property("height"))));
        });
        QObject::connect(m_player.get(), &TWMTPlayer::EntrySkipped, m_player.get(),
                         [this](int entry, const QString&) { m_skipped.append(entry); });
    }

    QString path(const QString& name) const { return m_dir.filePath(name); }

    qint64 property(const char* name) const
    {
        const MpvSession* session = m_player->session();
        qint64 value = -1;
        session->api().get_property(session->handle(), name, MPV_FORMAT_INT64, &value);
        return value;
    }

    void play(const QStringList& entries)
    {
        writeAsx(path(QStringLiteral("list.asx")), entries);
        ASSERT_TRUE(m_player->Open(path(QStringLiteral("list.asx"))));
    }

    QTemporaryDir m_dir;
    std::unique_ptr<TWMTPlayer> m_player;
    QList<int> m_streams;
    QList<QSize> m_sizes;
    QList<int> m_skipped;
};

// Every JPEG comes decoded, fitted into the screen (at least full HD; a small one keeps its
// size) and upright by its EXIF orientation, the first one as well as those queued after it.
TEST_F(PicturePreloaderPlayback, PhotosArriveFittedToTheScreenAndUpright)
{
    writeImage(path(QStringLiteral("first.jpg")), Qt::red, 4000, 3000);
    writeImage(path(QStringLiteral("wide.jpg")), Qt::green, 4000, 1000);
    writeImage(path(QStringLiteral("small.JPG")), Qt::blue, 640, 480);
    QFile turned(path(QStringLiteral("turned.jpeg")));
    ASSERT_TRUE(turned.open(QIODevice::WriteOnly));
    turned.write(withExifOrientation(
        encodeJpeg(quadrantImage(QSize(400, 200)), JpegKind::Baseline), 6));
    turned.close();
    play({path(QStringLiteral("first.jpg")), path(QStringLiteral("wide.jpg")),
          path(QStringLiteral("small.JPG")), path(QStringLiteral("turned.jpeg"))});
    ASSERT_TRUE(waitUntil([&] { return m_streams.size() >= 4; }, kWaitMs)) << m_streams.size();
    EXPECT_EQ(m_streams, (QList<int>{1, 2, 3, 4}));
    EXPECT_TRUE(m_skipped.isEmpty());
    ASSERT_EQ(m_sizes.size(), 4);
    EXPECT_EQ(m_sizes[0], QSize(1440, 1080));
    EXPECT_EQ(m_sizes[1], QSize(1920, 480));
    EXPECT_EQ(m_sizes[2], QSize(640, 480));
    EXPECT_EQ(m_sizes[3], QSize(200, 400));
}

// A file named like a JPEG that is something else reaches mpv as it is: a PNG still plays,
// garbage is skipped and the slideshow goes on.
TEST_F(PicturePreloaderPlayback, OtherFilesUnderAJpegNameReachMpvAsTheyAre)
{
    writeImage(path(QStringLiteral("first.png")), Qt::red);
    writeImage(path(QStringLiteral("really.png")), Qt::green, 70, 50);
    // mpv opens this one first: no JPEG name, so it is not decoded here.
    ASSERT_TRUE(QFile::rename(path(QStringLiteral("really.png")), path(QStringLiteral("png.jpg"))));
    QFile garbage(path(QStringLiteral("broken.jpg")));
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
    garbage.write(QByteArray(5000, '\x7f'));
    garbage.close();
    writeImage(path(QStringLiteral("last.jpg")), Qt::blue, 80, 60);
    play({path(QStringLiteral("first.png")), path(QStringLiteral("png.jpg")),
          path(QStringLiteral("broken.jpg")), path(QStringLiteral("last.jpg"))});
    ASSERT_TRUE(waitUntil([&] { return m_streams.size() >= 3; }, kWaitMs)) << m_streams.size();
    EXPECT_EQ(m_streams, (QList<int>{1, 2, 4}));
    EXPECT_EQ(m_skipped, QList<int>{3});
    ASSERT_EQ(m_sizes.size(), 3);
    EXPECT_EQ(m_sizes[1], QSize(70, 50));
    EXPECT_EQ(m_sizes[2], QSize(80, 60));
}

// Stopping, and ending the control, while mpv waits for a picture still being decoded: the
// waiting stream is cancelled and nothing outlives what it reads from.
TEST_F(PicturePreloaderPlayback, StopAndCloseWhileThePictureAheadIsDecoded)
{
    writeToneWav(path(QStringLiteral("tone.wav")), 0.2);
    writeImage(path(QStringLiteral("big.jpg")), Qt::darkCyan, 6000, 4000);
    play({path(QStringLiteral("tone.wav")), path(QStringLiteral("big.jpg"))});
    ASSERT_TRUE(waitUntil([&] { return !m_streams.isEmpty(); }, kWaitMs));
    m_player->Stop();
    EXPECT_FALSE(m_player->isPlaying());
    play({path(QStringLiteral("tone.wav")), path(QStringLiteral("big.jpg"))});
    ASSERT_TRUE(waitUntil([&] { return m_streams.size() >= 2; }, kWaitMs));
    QElapsedTimer clock;
    clock.start();
    m_player.reset();
    EXPECT_LT(clock.elapsed(), 10000);
}

} // namespace
