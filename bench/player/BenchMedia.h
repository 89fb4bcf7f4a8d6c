#pragma once

// What the player benchmarks need before they play: libmpv ready, and generated photos.

#include "platform/MpvLibrary.h"

#include <QImage>
#include <QSize>
#include <QString>
#include <QtGlobal>

namespace vantoro::bench {

// mpv's numeric locale set and libmpv loaded, or the benchmark stops. Call once the
// application object exists.
inline void requireLibmpv()
{
    MpvLibrary::useCNumericLocale();
    if (!MpvLibrary::shared().isLoaded())
        qFatal("libmpv: %s", qPrintable(MpvLibrary::shared().loadError()));
}

// Writes a photo of `size` as a JPEG of `quality`, or stops the benchmark. Each pixel is
// pixel(x, y, noise), `noise` being the next value of a xorshift sequence started from `seed`:
// fine grain made of it gives the JPEG about as much data as a real photograph carries.
template <typename Pixel>
void writeGrainyPhoto(const QString& path, QSize size, int seed, int quality, Pixel pixel)
{
    QImage image(size, QImage::Format_RGB32);
    quint32 noise = 2463534242u + static_cast<quint32>(seed) * 7919u;
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            noise ^= noise << 13;
            noise ^= noise >> 17;
            noise ^= noise << 5;
            line[x] = pixel(x, y, noise);
        }
    }
    if (!image.save(path, "JPEG", quality))
        qFatal("cannot write %s", qPrintable(path));
}

} // namespace vantoro::bench
