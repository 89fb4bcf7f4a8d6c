#pragma once

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QSize>

namespace vantoro::test {

// How a sample JPEG is written by libjpeg's compressor.
enum class JpegKind {
    Baseline,
    Progressive,
    Greyscale,
    CmykAdobe, // CMYK with an Adobe marker: stored inverted, as Adobe software writes it
    YcckAdobe, // YCCK, which always carries an Adobe marker
    CmykPlain, // CMYK without an Adobe marker: stored as ink amounts
    ManyScans, // progressive with more than a thousand scans
    ProgressiveFullColour, // progressive without chroma subsampling
};

// Writes `image` as a JPEG of the given kind; CMYK kinds carry the same colours as the image.
QByteArray encodeJpeg(const QImage& image, JpegKind kind, int quality = 92);

// The JPEG with an EXIF segment holding `orientation` inserted after its start marker.
QByteArray withExifOrientation(const QByteArray& jpeg, int orientation, bool bigEndian = false);

// The JPEG with the picture size in its frame header replaced (the data stays as it is).
QByteArray withFrameSize(const QByteArray& jpeg, int width, int height);

// Four quadrants: red top left, green top right, blue bottom left, white bottom right.
QImage quadrantImage(QSize size);
inline const QColor kQuadrantColours[4] = {Qt::red, Qt::green, Qt::blue, Qt::white};

// A picture with gradients and texture, compressing about like a photograph.
QImage photoLikeImage(QSize size);

} // namespace vantoro::test
