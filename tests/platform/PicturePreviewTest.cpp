#include "JpegSamples.h"

#include "common/TestSupport.h"
#include "platform/PicturePreview.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThreadPool>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace vantoro {
namespace {

using test::encodeJpeg;
using test::JpegKind;

// A 1 x 1 GIF whose one pixel is red (Qt has no GIF writer).
const QByteArray kRedGif = QByteArray::fromHex("474946383961010001008000" // header, 1 x 1
                                               "00ff0000000000"           // palette: red, black
                                               "2c0000000001000100000202" // image, LZW size 2
                                               "4401003b"); // clear, index 0, end; trailer

class PicturePreviewTest : public ::testing::Test
{
protected:
    QString write(const QString& name, const QByteArray& bytes)
    {
        const QString path = m_dir.filePath(name);
        test::writeFileBytes(path, bytes);
        return path;
    }
    QString save(const QString& name, const QImage& image, const char* format)
    {
        const QString path = m_dir.filePath(name);
        EXPECT_TRUE(image.save(path, format));
        return path;
    }
    QTemporaryDir m_dir;
};

TEST_F(PicturePreviewTest, FitsEveryFormatIntoTheBoxKeepingItsShape)
{
    const QImage wide = test::quadrantImage(QSize(400, 200));
    struct Case
    {
        QString path;
        QSize box;
        QSize expected;
    };
    const Case cases[] = {
        {write(QStringLiteral("a.jpg"), encodeJpeg(wide, JpegKind::Baseline)), QSize(100, 100),
         QSize(100, 50)},
        {write(QStringLiteral("cmyk.jpg"), encodeJpeg(wide, JpegKind::CmykAdobe)), QSize(100, 100),
         QSize(100, 50)},
        {save(QStringLiteral("a.png"), wide, "PNG"), QSize(100, 100), QSize(100, 50)},
        {save(QStringLiteral("a.bmp"), wide, "BMP"), QSize(50, 200), QSize(50, 25)},
        // Smaller than the pane: shown as it is, not blown up.
        {save(QStringLiteral("small.png"), wide.scaled(40, 20), "PNG"), QSize(100, 100),
         QSize(40, 20)},
        {write(QStringLiteral("red.gif"), kRedGif), QSize(100, 100), QSize(1, 1)},
        // The content decides, not the name.
        {save(QStringLiteral("png-named.jpg"), wide, "PNG"), QSize(100, 100), QSize(100, 50)},
        {write(QStringLiteral("jpeg-named.bmp"), encodeJpeg(wide, JpegKind::Baseline)),
         QSize(100, 100), QSize(100, 50)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        const QImage image = PicturePreview::load(c.path, c.box);
        ASSERT_EQ(image.size(), c.expected);
        if (c.expected.width() > 1) {
            EXPECT_EQ(QColor(image.pixel(c.expected.width() / 4, c.expected.height() / 4)).red() >
                          200,
                      true);
            EXPECT_LT(QColor(image.pixel(c.expected.width() / 4, c.expected.height() / 4)).blue(),
                      60);
        } else {
            EXPECT_EQ(image.pixel(0, 0), qRgb(255, 0, 0));
        }
    }
}

TEST_F(PicturePreviewTest, AnythingElseGivesNoPicture)
{
    const QString fifo = m_dir.filePath(QStringLiteral("pipe.jpg"));
    ASSERT_EQ(::mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    const QString paths[] = {
        write(QStringLiteral("song.mp3"), QByteArray("ID3\x03\x00 not a picture", 20)),
        write(QStringLiteral("empty.jpg"), QByteArray()),
        write(QStringLiteral("broken.png"), QByteArray("\x89PNG\r\n\x1a\n broken", 15)),
        write(QStringLiteral("broken.gif"), QByteArray("GIF89a\xFF\xFF\xFF\xFF", 10)),
        write(QStringLiteral("short.jpg"), QByteArray("\xFF\xD8\xFF\xE0", 4)),
        m_dir.path(),
        m_dir.filePath(QStringLiteral("missing.jpg")),
        fifo, // opening it would wait for a writer for ever
    };
    QElapsedTimer timer;
    timer.start();
    for (const QString& path : paths)
        EXPECT_TRUE(PicturePreview::load(path, QSize(100, 100)).isNull()) << path.toStdString();
    EXPECT_LT(timer.elapsed(), 10000);
}

TEST_F(PicturePreviewTest, RequestsReportOnTheCallersThreadAndTheLastOneWins)
{
    const QString first =
        save(QStringLiteral("first.png"), test::quadrantImage(QSize(64, 64)), "PNG");
    const QString last =
        write(QStringLiteral("last.jpg"),
              encodeJpeg(test::photoLikeImage(QSize(800, 600)), JpegKind::Baseline));
    PicturePreview preview;
    QSignalSpy ready(&preview, &PicturePreview::previewReady);
    preview.request(first, QSize(50, 50));
    for (int i = 0; i < 5; ++i) // replaced by the next request while the first one runs
        preview.request(first, QSize(50, 50));
    preview.request(last, QSize(80, 80));
    ASSERT_TRUE(
        test::waitUntil([&] { return !ready.isEmpty() && ready.last().at(0).toString() == last; }));
    // The first decode and the last one; the requests between were dropped.
    EXPECT_LE(ready.size(), 2);
    EXPECT_EQ(ready.last().at(1).value<QImage>().size(), QSize(80, 60));
}

TEST_F(PicturePreviewTest, DeletingThePreviewWhileItDecodesIsSafe)
{
    const QString path =
        write(QStringLiteral("big.jpg"),
              encodeJpeg(test::photoLikeImage(QSize(2000, 1500)), JpegKind::Progressive));
    for (int i = 0; i < 5; ++i) {
        auto* preview = new PicturePreview;
        preview->request(path, QSize(100, 100));
        delete preview;
    }
    // Let the decodes finish and try to report to the deleted objects; a live preview still
    // gets its answer afterwards.
    ASSERT_TRUE(QThreadPool::globalInstance()->waitForDone(10000));
    PicturePreview survivor;
    QSignalSpy ready(&survivor, &PicturePreview::previewReady);
    survivor.request(path, QSize(100, 100));
    ASSERT_TRUE(ready.wait(10000));
    EXPECT_EQ(ready.first().at(1).value<QImage>().size(), QSize(100, 75));
}

} // namespace
} // namespace vantoro
