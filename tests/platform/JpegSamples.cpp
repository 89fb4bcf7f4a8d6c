#include "JpegSamples.h"

#include <QPainter>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <vector>

#include <jpeglib.h>

namespace vantoro::test {

namespace {

void rgbToCmyk(QRgb rgb, bool adobe, unsigned char* out)
{
    const int r = qRed(rgb), g = qGreen(rgb), b = qBlue(rgb);
    const int brightest = std::max({r, g, b});
    const int k = 255 - brightest;
    int cmyk[4] = {0, 0, 0, k};
    if (brightest > 0) {
        cmyk[0] = (brightest - r) * 255 / brightest;
        cmyk[1] = (brightest - g) * 255 / brightest;
        cmyk[2] = (brightest - b) * 255 / brightest;
    }
    for (int i = 0; i < 4; ++i)
        out[i] = static_cast<unsigned char>(adobe ? 255 - cmyk[i] : cmyk[i]);
}

// Each band of each component refined from bit 5 down to bit 0: 3 * (1 + 63 * 6) scans.
std::vector<jpeg_scan_info> manyScansScript()
{
    std::vector<jpeg_scan_info> scans;
    for (int c = 0; c < 3; ++c) {
        jpeg_scan_info dc{};
        dc.comps_in_scan = 1;
        dc.component_index[0] = c;
        scans.push_back(dc);
    }
    for (int c = 0; c < 3; ++c) {
        for (int k = 1; k < 64; ++k) {
            for (int al = 5; al >= 0; --al) {
                jpeg_scan_info ac{};
                ac.comps_in_scan = 1;
                ac.component_index[0] = c;
                ac.Ss = k;
                ac.Se = k;
                ac.Ah = al == 5 ? 0 : al + 1;
                ac.Al = al;
                scans.push_back(ac);
            }
        }
    }
    return scans;
}

} // namespace

QByteArray encodeJpeg(const QImage& source, JpegKind kind, int quality)
{
    const QImage image = source.convertToFormat(QImage::Format_RGB32);
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr error{};
    cinfo.err = jpeg_std_error(&error);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = static_cast<JDIMENSION>(image.width());
    cinfo.image_height = static_cast<JDIMENSION>(image.height());
    const bool cmyk =
        kind == JpegKind::CmykAdobe || kind == JpegKind::YcckAdobe || kind == JpegKind::CmykPlain;
    if (kind == JpegKind::Greyscale) {
        cinfo.input_components = 1;
        cinfo.in_color_space = JCS_GRAYSCALE;
    } else if (cmyk) {
        cinfo.input_components = 4;
        cinfo.in_color_space = JCS_CMYK;
    } else {
        cinfo.input_components = 3;
        cinfo.in_color_space = JCS_RGB;
    }
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    if (kind == JpegKind::YcckAdobe)
        jpeg_set_colorspace(&cinfo, JCS_YCCK);
    if (kind == JpegKind::CmykPlain)
        cinfo.write_Adobe_marker = FALSE;
    if (kind == JpegKind::Progressive || kind == JpegKind::ProgressiveFullColour)
        jpeg_simple_progression(&cinfo);
    if (kind == JpegKind::ProgressiveFullColour)
        cinfo.comp_info[0].h_samp_factor = cinfo.comp_info[0].v_samp_factor = 1;
    std::vector<jpeg_scan_info> script;
    if (kind == JpegKind::ManyScans) {
        script = manyScansScript();
        cinfo.scan_info = script.data();
        cinfo.num_scans = static_cast<int>(script.size());
    }
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<unsigned char> row(static_cast<size_t>(image.width()) * 4);
    while (cinfo.next_scanline < cinfo.image_height) {
        const auto* pixels =
            reinterpret_cast<const QRgb*>(image.constScanLine(int(cinfo.next_scanline)));
        for (int x = 0; x < image.width(); ++x) {
            if (kind == JpegKind::Greyscale) {
                row[x] = static_cast<unsigned char>(qGray(pixels[x]));
            } else if (cmyk) {
                rgbToCmyk(pixels[x], kind != JpegKind::CmykPlain, &row[x * 4]);
            } else {
                row[x * 3] = static_cast<unsigned char>(qRed(pixels[x]));
                row[x * 3 + 1] = static_cast<unsigned char>(qGreen(pixels[x]));
                row[x * 3 + 2] = static_cast<unsigned char>(qBlue(pixels[x]));
            }
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    QByteArray bytes(reinterpret_cast<const char*>(buffer), static_cast<qsizetype>(size));
    std::free(buffer);
    return bytes;
}

QByteArray withExifOrientation(const QByteArray& jpeg, int orientation, bool bigEndian)
{
    auto put16 = [bigEndian](QByteArray& out, int value) {
        const char hi = char(value >> 8 & 0xFF), lo = char(value & 0xFF);
        out.append(bigEndian ? hi : lo).append(bigEndian ? lo : hi);
    };
    auto put32 = [&](QByteArray& out, int value) {
        put16(out, bigEndian ? value >> 16 : value & 0xFFFF);
        put16(out, bigEndian ? value & 0xFFFF : value >> 16);
    };
    QByteArray tiff = bigEndian ? QByteArray("MM") : QByteArray("II");
    put16(tiff, 42);
    put32(tiff, 8);
    put16(tiff, 2); // two entries: an unrelated one first
    put16(tiff, 0x010F);
    put16(tiff, 2);
    put32(tiff, 4);
    tiff.append("ACME", 4);
    put16(tiff, 0x0112);
    put16(tiff, 3);
    put32(tiff, 1);
    put16(tiff, orientation);
    put16(tiff, 0);
    put32(tiff, 0);
    const QByteArray payload = QByteArray("Exif\0\0", 6) + tiff;
    const int length = int(payload.size()) + 2;
    QByteArray segment("\xFF\xE1", 2);
    segment.append(char(length >> 8)).append(char(length & 0xFF)).append(payload);
    return jpeg.left(2) + segment + jpeg.mid(2);
}

QByteArray withFrameSize(const QByteArray& jpeg, int width, int height)
{
    QByteArray patched = jpeg;
    for (qsizetype i = 2; i + 9 < patched.size(); ++i) {
        const auto marker = static_cast<unsigned char>(patched[i + 1]);
        if (static_cast<unsigned char>(patched[i]) == 0xFF && (marker == 0xC0 || marker == 0xC2)) {
            patched[i + 5] = char(height >> 8);
            patched[i + 6] = char(height & 0xFF);
            patched[i + 7] = char(width >> 8);
            patched[i + 8] = char(width & 0xFF);
            return patched;
        }
    }
    throw std::runtime_error("no frame header in sample JPEG");
}

QImage quadrantImage(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    const int w = size.width() / 2, h = size.height() / 2;
    QPainter painter(&image);
    painter.fillRect(0, 0, w, h, kQuadrantColours[0]);
    painter.fillRect(w, 0, size.width() - w, h, kQuadrantColours[1]);
    painter.fillRect(0, h, w, size.height() - h, kQuadrantColours[2]);
    painter.fillRect(w, h, size.width() - w, size.height() - h, kQuadrantColours[3]);
    return image;
}

QImage photoLikeImage(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x) {
            const int noise = int((unsigned(x) * 2654435761U ^ unsigned(y) * 40503U) >> 27);
            line[x] = qRgb((x * 255 / size.width() + noise) & 0xFF,
                           (y * 255 / size.height() + noise) & 0xFF, ((x + y) / 8 + noise) & 0xFF);
        }
    }
    return image;
}

} // namespace vantoro::test
