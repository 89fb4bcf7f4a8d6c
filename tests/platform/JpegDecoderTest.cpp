#include "JpegSamples.h"

#include "platform/JpegDecoder.h"

#include <QElapsedTimer>
#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <cstdlib>

namespace vantoro {
namespace {

using test::encodeJpeg;
using test::JpegKind;
using test::kQuadrantColours;
using test::quadrantImage;

// Colours survive JPEG only roughly; 40 per channel tells red from white from blue.
::testing::AssertionResult colourNear(const QImage& image, QPoint at, const QColor& expected)
{
    const QColor actual = image.pixelColor(at);
    if (std::abs(actual.red() - expected.red()) <= 40 &&
        std::abs(actual.green() - expected.green()) <= 40 &&
        std::abs(actual.blue() - expected.blue()) <= 40)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "at (" << at.x() << "," << at.y() << ") " << actual.name().toStdString()
           << ", expected " << expected.name().toStdString();
}

// Checks the centre of each quadrant against the source quadrant expected there (indices into
// kQuadrantColours, top left, top right, bottom left, bottom right).
void expectQuadrants(const QImage& image, const int (&expected)[4])
{
    const int w = image.width(), h = image.height();
    const QPoint centres[4] = {
        {w / 4, h / 4}, {3 * w / 4, h / 4}, {w / 4, 3 * h / 4}, {3 * w / 4, 3 * h / 4}};
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(colourNear(image, centres[i], kQuadrantColours[expected[i]]))
            << "quadrant " << i;
}

TEST(JpegDecoderTest, DecodesEveryKindWithItsColours)
{
    const QImage source = quadrantImage(QSize(64, 48));
    for (JpegKind kind : {JpegKind::Baseline, JpegKind::Progressive, JpegKind::CmykAdobe,
                          JpegKind::YcckAdobe, JpegKind::CmykPlain}) {
        SCOPED_TRACE(int(kind));
        const QImage image = JpegDecoder::decode(encodeJpeg(source, kind));
        ASSERT_EQ(image.size(), QSize(64, 48));
        EXPECT_EQ(image.format(), QImage::Format_RGB888);
        expectQuadrants(image, {0, 1, 2, 3});
    }
}

TEST(JpegDecoderTest, GreyscaleStaysGrey)
{
    QImage source(32, 16, QImage::Format_RGB32);
    source.fill(qRgb(40, 40, 40));
    for (int y = 0; y < 16; ++y)
        for (int x = 16; x < 32; ++x)
            source.setPixel(x, y, qRgb(220, 220, 220));
    const QImage image = JpegDecoder::decode(encodeJpeg(source, JpegKind::Greyscale));
    ASSERT_EQ(image.size(), QSize(32, 16));
    EXPECT_EQ(image.format(), QImage::Format_Grayscale8);
    EXPECT_NEAR(qGray(image.pixel(4, 8)), 40, 12);
    EXPECT_NEAR(qGray(image.pixel(28, 8)), 220, 12);
}

TEST(JpegDecoderTest, ScalesDecodeToTheSmallestSizeThatStillFillsTheBox)
{
    const QByteArray landscape =
        encodeJpeg(test::photoLikeImage(QSize(1600, 1200)), JpegKind::Baseline);
    const QByteArray odd =
        encodeJpeg(test::photoLikeImage(QSize(1001, 751)), JpegKind::Progressive);
    struct Case
    {
        const QByteArray* jpeg;
        int orientation;
        QSize box;
        QSize decoded;
    };
    const Case cases[] = {
        {&landscape, 1, QSize(200, 200), QSize(200, 150)},     // 1/8
        {&landscape, 1, QSize(400, 400), QSize(400, 300)},     // 1/4
        {&landscape, 1, QSize(500, 500), QSize(800, 600)},     // 1/4 would be too small
        {&landscape, 1, QSize(1000, 700), QSize(1600, 1200)},  // the height limits: 600 < 700
        {&landscape, 1, QSize(1000, 100), QSize(200, 150)},    // fitted 133 x 100
        {&landscape, 1, QSize(3000, 3000), QSize(1600, 1200)}, // never enlarged
        {&landscape, 1, QSize(), QSize(1600, 1200)},           // no box: full size
        {&landscape, 6, QSize(150, 200), QSize(150, 200)},     // turned: the box is turned too
        {&landscape, 6, QSize(350, 200), QSize(150, 200)},     // 1/4 if the box were not turned
        {&odd, 1, QSize(100, 100), QSize(126, 94)},            // sizes round up
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.box.width() << "x" << c.box.height() << " o" << c.orientation);
        const QByteArray jpeg =
            c.orientation == 1 ? *c.jpeg : test::withExifOrientation(*c.jpeg, c.orientation);
        EXPECT_EQ(JpegDecoder::decode(jpeg, c.box).size(), c.decoded);
    }
}

TEST(JpegDecoderTest, AppliesEveryExifOrientation)
{
    // Source quadrants: 0 1 / 2 3 on a 64 x 32 picture; expected quadrant at each place shown.
    struct Case
    {
        int orientation;
        int expected[4];
    };
    const Case cases[] = {
        {1, {0, 1, 2, 3}}, {2, {1, 0, 3, 2}}, {3, {3, 2, 1, 0}}, {4, {2, 3, 0, 1}},
        {5, {0, 2, 1, 3}}, {6, {2, 0, 3, 1}}, {7, {3, 1, 2, 0}}, {8, {1, 3, 0, 2}},
        {0, {0, 1, 2, 3}}, {9, {0, 1, 2, 3}}, // out of range: as stored
    };
    const QByteArray plain = encodeJpeg(quadrantImage(QSize(64, 32)), JpegKind::Baseline);
    for (bool bigEndian : {false, true}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message()
                         << "orientation " << c.orientation << " big endian " << bigEndian);
            const QImage image =
                JpegDecoder::decode(test::withExifOrientation(plain, c.orientation, bigEndian));
            const bool turned = c.orientation >= 5 && c.orientation <= 8;
            ASSERT_EQ(image.size(), turned ? QSize(32, 64) : QSize(64, 32));
            expectQuadrants(image, c.expected);
        }
    }
}

TEST(JpegDecoderTest, BrokenExifIsIgnored)
{
    const QByteArray plain = encodeJpeg(quadrantImage(QSize(64, 32)), JpegKind::Baseline);
    // The EXIF segment asks for a quarter turn; its TIFF header starts at byte 12 of the file,
    // the IFD at 20, the orientation entry at 34.
    const QByteArray withExif = test::withExifOrientation(plain, 6);
    struct Damage
    {
        int offset;
        char value;
    };
    const Damage damages[] = {
        {12, 'X'},        // unknown byte order
        {14, 43},         // not a TIFF header
        {19, char(0x7F)}, // IFD offset far outside the segment
        {36, 4},          // orientation stored as LONG
        {42, 0},          // orientation 0
    };
    for (const Damage& damage : damages) {
        SCOPED_TRACE(damage.offset);
        QByteArray jpeg = withExif;
        jpeg[damage.offset] = damage.value;
        const QImage image = JpegDecoder::decode(jpeg);
        ASSERT_EQ(image.size(), QSize(64, 32));
        expectQuadrants(image, {0, 1, 2, 3});
    }
}

TEST(JpegDecoderTest, TruncatedDataGivesTheDecodedPartOrNothing)
{
    const QImage source = quadrantImage(QSize(160, 120));
    for (JpegKind kind : {JpegKind::Baseline, JpegKind::Progressive, JpegKind::CmykAdobe}) {
        SCOPED_TRACE(int(kind));
        const QByteArray jpeg = encodeJpeg(source, kind);
        for (int cut = 0; cut < jpeg.size(); cut += std::max<qsizetype>(1, jpeg.size() / 97)) {
            const QImage image = JpegDecoder::decode(jpeg.left(cut), QSize(80, 80));
            if (!image.isNull()) {
                EXPECT_EQ(image.size(), QSize(80, 60)) << "cut at " << cut;
            }
        }
    }
    // A baseline picture cut at three quarters keeps its top half.
    const QByteArray baseline = encodeJpeg(source, JpegKind::Baseline);
    const QImage top = JpegDecoder::decode(baseline.left(baseline.size() * 3 / 4));
    ASSERT_EQ(top.size(), QSize(160, 120));
    EXPECT_TRUE(colourNear(top, QPoint(40, 30), kQuadrantColours[0]));
    EXPECT_TRUE(colourNear(top, QPoint(120, 30), kQuadrantColours[1]));
    // Header only: nothing to show.
    EXPECT_TRUE(JpegDecoder::decode(baseline.left(200)).isNull());
}

TEST(JpegDecoderTest, GarbageNeverCrashes)
{
    const QByteArray jpeg = encodeJpeg(quadrantImage(QSize(64, 48)), JpegKind::Progressive);
    QRandomGenerator random(1234);
    EXPECT_TRUE(JpegDecoder::decode(QByteArray()).isNull());
    EXPECT_TRUE(JpegDecoder::decode(QByteArray("\xFF\xD8\xFF", 3)).isNull());
    EXPECT_TRUE(JpegDecoder::decode(QByteArray("not a picture at all")).isNull());
    for (int round = 0; round < 300; ++round) {
        QByteArray damaged = jpeg;
        const int flips = 1 + int(random.bounded(8));
        for (int i = 0; i < flips; ++i)
            damaged[random.bounded(int(damaged.size()))] = char(random.bounded(256));
        damaged[0] = char(0xFF);
        damaged[1] = char(0xD8);
        const QImage image = JpegDecoder::decode(damaged, QSize(32, 32));
        if (!image.isNull()) {
            EXPECT_LE(qint64(image.width()) * image.height(), JpegDecoder::kMaxOutputPixels);
        }
    }
    QByteArray noise(4096, 0);
    for (char& c : noise)
        c = char(random.bounded(256));
    EXPECT_TRUE(JpegDecoder::decode(QByteArray("\xFF\xD8\xFF", 3) + noise).isNull());
}

TEST(JpegDecoderTest, RefusesPicturesBeyondTheLimits)
{
    const QByteArray small = encodeJpeg(quadrantImage(QSize(16, 16)), JpegKind::Baseline);
    QElapsedTimer timer;
    timer.start();
    // More pixels than any camera makes: refused from the header.
    EXPECT_TRUE(
        JpegDecoder::decode(test::withFrameSize(small, 65000, 65000), QSize(200, 200)).isNull());
    // 100 million pixels is allowed as a preview, but not decoded at full size.
    const QByteArray large = test::withFrameSize(small, 10000, 10000);
    EXPECT_EQ(JpegDecoder::decode(large, QSize(256, 256)).size(), QSize(1250, 1250));
    EXPECT_TRUE(JpegDecoder::decode(large).isNull());
    EXPECT_LT(timer.elapsed(), 20000);
    // A progressive picture holds all its coefficients while it decodes, whatever the scale:
    // 100 million pixels in three full-resolution components need 600 MB.
    const QByteArray progressive = test::withFrameSize(
        encodeJpeg(quadrantImage(QSize(16, 16)), JpegKind::ProgressiveFullColour), 10000, 10000);
    EXPECT_TRUE(JpegDecoder::decode(progressive, QSize(256, 256)).isNull());
    // A progressive picture with more scans than any encoder writes.
    const QByteArray scans = encodeJpeg(quadrantImage(QSize(16, 16)), JpegKind::ManyScans);
    EXPECT_TRUE(JpegDecoder::decode(scans).isNull());
}

TEST(JpegDecoderTest, DecodeFileReadsOnlyRegularFiles)
{
    const QString missing = QStringLiteral("/nonexistent/picture.jpg");
    EXPECT_TRUE(JpegDecoder::decodeFile(missing).isNull());
    EXPECT_TRUE(JpegDecoder::decodeFile(QStringLiteral("/")).isNull());
    EXPECT_TRUE(JpegDecoder::decodeFile(QStringLiteral("/dev/zero")).isNull());
}

} // namespace
} // namespace vantoro
