#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

class QFile;

namespace vantoro {

// Decodes JPEG images with libjpeg for previews. Reentrant: every call has its own decoder state,
// so calls may run on any thread at the same time.
//
// With a non-empty `box`, libjpeg's scaled decode (1/2, 1/4 or 1/8) is used with the largest
// reduction that still leaves the picture at least as large as it would be when fitted into the
// box keeping its aspect ratio; the caller does the final smooth scaling. With an empty box the
// picture is decoded at full size. The EXIF orientation is applied, so `box` is in the orientation
// in which the picture is shown.
//
// Colour pictures come back as Format_RGB888, greyscale ones as Format_Grayscale8; CMYK and YCCK
// are converted to RGB (inverted CMYK when the file carries an Adobe marker, as Adobe software
// writes it). Broken data never crashes: a picture whose header cannot be read, or that is larger
// than the limits below, answers a null image; data that ends early answers what was decoded,
// the rest grey.
class JpegDecoder
{
public:
    // Pictures whose header declares more pixels than this are refused (the largest cameras
    // have about 100 million).
    static constexpr qint64 kMaxSourcePixels = 120'000'000;
    // Decoded (scaled) pictures larger than this are refused.
    static constexpr qint64 kMaxOutputPixels = 50'000'000;
    // Working memory libjpeg may use (progressive pictures hold all their coefficients).
    static constexpr long kMaxWorkingMemory = 256L * 1024 * 1024;
    // Progressive pictures with more scans than this are refused: each scan revisits the whole
    // coefficient buffer, so a crafted file with many tiny scans would take minutes.
    static constexpr int kMaxScans = 1000;
    // Files larger than this are not read.
    static constexpr qint64 kMaxFileBytes = 128LL * 1024 * 1024;

    static QImage decode(const QByteArray& data, QSize box = {});
    static QImage decodeFile(const QString& path, QSize box = {});
    // Opens `file` on `path` for reading when that is a regular file of at most kMaxFileBytes
    // (opening a FIFO or a device could block for ever) and answers its size; -1 otherwise.
    static qint64 openPictureFile(const QString& path, QFile& file);

    // True when `data` starts like a JPEG stream (SOI followed by a marker).
    static bool looksLikeJpeg(const QByteArray& data);
};

} // namespace vantoro
