// Writes the seed corpus of jpeg_decoder_fuzzer into the folder named on the command line:
// small pictures of every kind the decoder handles, made by libjpeg's compressor.
#include "JpegSamples.h"

#include <QDir>
#include <QFile>

#include <cstdio>

using namespace vantoro::test;

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s CORPUS-FOLDER\n", argv[0]);
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!QDir().mkpath(folder.path()))
        return 1;
    const QImage picture = quadrantImage(QSize(24, 16));
    const struct
    {
        const char* name;
        QByteArray bytes;
    } seeds[] = {
        {"baseline.jpg", encodeJpeg(picture, JpegKind::Baseline, 75)},
        {"progressive.jpg", encodeJpeg(picture, JpegKind::Progressive, 75)},
        {"progressive444.jpg", encodeJpeg(picture, JpegKind::ProgressiveFullColour, 75)},
        {"grey.jpg", encodeJpeg(picture, JpegKind::Greyscale, 75)},
        {"cmyk-adobe.jpg", encodeJpeg(picture, JpegKind::CmykAdobe, 75)},
        {"ycck.jpg", encodeJpeg(picture, JpegKind::YcckAdobe, 75)},
        {"cmyk-plain.jpg", encodeJpeg(picture, JpegKind::CmykPlain, 75)},
        {"exif6.jpg", withExifOrientation(encodeJpeg(picture, JpegKind::Baseline, 75), 6)},
        {"exif5-mm.jpg",
         withExifOrientation(encodeJpeg(picture, JpegKind::Progressive, 75), 5, true)},
        {"photo.jpg", encodeJpeg(photoLikeImage(QSize(96, 64)), JpegKind::Baseline, 60)},
    };
    for (const auto& seed : seeds) {
        QFile file(folder.filePath(QString::fromLatin1(seed.name)));
        if (!file.open(QIODevice::WriteOnly) || file.write(seed.bytes) != seed.bytes.size())
            return 1;
    }
    return 0;
}
