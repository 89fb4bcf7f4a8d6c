#include "platform/JpegDecoder.h"

#include <QFile>
#include <QFileInfo>
#include <QTransform>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>

#include <jerror.h>
#include <jpeglib.h>

namespace vantoro {

namespace {

// libjpeg reports fatal errors through error_exit, which must not return. It jumps back to the
// setjmp of the function that made the failing call. Everything that lives across such a jump
// is plain data in DecodeState, and the functions holding a setjmp have no C++ objects with
// destructors, so the jump skips nothing that needed cleaning up; the decoder itself is released
// by jpeg_destroy_decompress afterwards in every case.
struct ErrorManager
{
    jpeg_error_mgr pub; // first member: libjpeg hands back a pointer to it
    std::jmp_buf jump;
    bool dataEnded; // the data ended before the picture did
};

struct ScanGuard
{
    jpeg_progress_mgr pub; // first member: libjpeg hands back a pointer to it
    int maxScans;
};

struct DecodeState
{
    jpeg_decompress_struct cinfo;
    ErrorManager error;
    ScanGuard guard;
    const unsigned char* data;
    unsigned long size;
    int boxWidth; // in the orientation shown; 0: full size
    int boxHeight;
    int orientation; // EXIF orientation 1..8
    bool cmykOutput;
    bool invertedCmyk;
    int outputWidth;
    int outputHeight;
    JDIMENSION rowsDone;
};

[[noreturn]] void jumpOut(j_common_ptr cinfo)
{
    auto* error = reinterpret_cast<ErrorManager*>(cinfo->err);
    std::longjmp(error->jump, 1);
}

// Warnings (corrupt data, premature end) are not shown: the preview shows what could be decoded.
void noteWarning(j_common_ptr cinfo, int level)
{
    if (level < 0 && cinfo->err->msg_code == JWRN_JPEG_EOF)
        reinterpret_cast<ErrorManager*>(cinfo->err)->dataEnded = true;
}
void outputNothing(j_common_ptr) {}

void refuseTooManyScans(j_common_ptr cinfo)
{
    if (!cinfo->is_decompressor)
        return;
    const auto* guard = reinterpret_cast<const ScanGuard*>(cinfo->progress);
    if (reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > guard->maxScans) {
        cinfo->err->msg_code = JERR_NOTIMPL;
        jumpOut(cinfo);
    }
}

// EXIF (APP1 "Exif\0\0" followed by a TIFF structure): a byte-order mark "II" or "MM", the
// number 42, the offset of the first IFD; an IFD is a 16-bit entry count and 12-byte entries
// (tag, type, count, value). Orientation is tag 0x0112, type SHORT, its value in the first two
// bytes of the value field. Offsets count from the TIFF header. Answers 1 when absent or broken.
int exifOrientation(const unsigned char* payload, unsigned int length)
{
    static const unsigned char kExifHeader[6] = {'E', 'x', 'i', 'f', 0, 0};
    if (length < sizeof kExifHeader + 8 || std::memcmp(payload, kExifHeader, 6) != 0)
        return 1;
    const unsigned char* tiff = payload + 6;
    const unsigned long long size = length - 6;
    bool little;
    if (tiff[0] == 'I' && tiff[1] == 'I')
        little = true;
    else if (tiff[0] == 'M' && tiff[1] == 'M')
        little = false;
    else
        return 1;
    auto read16 = [&](unsigned long long at) -> unsigned int {
        return little ? tiff[at] | tiff[at + 1] << 8 : tiff[at] << 8 | tiff[at + 1];
    };
    auto read32 = [&](unsigned long long at) -> unsigned long long {
        return little ? read16(at) | static_cast<unsigned long long>(read16(at + 2)) << 16
                      : static_cast<unsigned long long>(read16(at)) << 16 | read16(at + 2);
    };
    if (read16(2) != 42)
        return 1;
    const unsigned long long ifd = read32(4);
    if (ifd + 2 > size)
        return 1;
    const unsigned int count = read16(ifd);
    for (unsigned int i = 0; i < count; ++i) {
        const unsigned long long entry = ifd + 2 + 12ULL * i;
        if (entry + 12 > size)
            return 1;
        if (read16(entry) != 0x0112)
            continue;
        const unsigned int value = read16(entry + 8);
        return read16(entry + 2) == 3 && value >= 1 && value <= 8 ? static_cast<int>(value) : 1;
    }
    return 1;
}

int savedExifOrientation(j_decompress_ptr cinfo)
{
    for (jpeg_saved_marker_ptr marker = cinfo->marker_list; marker; marker = marker->next) {
        if (marker->marker == JPEG_APP0 + 1 && marker->data_length >= 6 &&
            std::memcmp(marker->data, "Exif\0\0", 6) == 0)
            return exifOrientation(marker->data, marker->data_length);
    }
    return 1;
}

// The largest reduction 1/d (d = 8, 4, 2, 1) that keeps the decoded picture at least as large
// as the picture fitted into the box.
unsigned int scaleDenominator(long long width, long long height, long long boxWidth,
                              long long boxHeight)
{
    if (boxWidth <= 0 || boxHeight <= 0 || width <= 0 || height <= 0)
        return 1;
    for (unsigned int d : {8U, 4U, 2U}) {
        // fitted size = size * min(boxWidth / width, boxHeight / height); need size / d >= that,
        // that is d * boxWidth <= width or d * boxHeight <= height, whichever side limits the fit.
        const bool widthLimits = boxWidth * height <= boxHeight * width;
        if (widthLimits ? d * boxWidth <= width : d * boxHeight <= height)
            return d;
    }
    return 1;
}

[[gnu::noinline]] bool readHeader(DecodeState* s)
{
    s->cinfo.err = jpeg_std_error(&s->error.pub);
    s->error.pub.error_exit = jumpOut;
    s->error.pub.emit_message = noteWarning;
    s->error.pub.output_message = outputNothing;
    if (setjmp(s->error.jump))
        return false;
    jpeg_create_decompress(&s->cinfo);
    s->cinfo.mem->max_memory_to_use = JpegDecoder::kMaxWorkingMemory;
    s->guard.pub.progress_monitor = refuseTooManyScans;
    s->guard.maxScans = JpegDecoder::kMaxScans;
    s->cinfo.progress = &s->guard.pub;
    jpeg_mem_src(&s->cinfo, s->data, s->size);
    jpeg_save_markers(&s->cinfo, JPEG_APP0 + 1, 0xFFFF);
    if (jpeg_read_header(&s->cinfo, TRUE) != JPEG_HEADER_OK)
        return false;
    const long long width = s->cinfo.image_width;
    const long long height = s->cinfo.image_height;
    if (width * height > JpegDecoder::kMaxSourcePixels)
        return false;

    s->orientation = savedExifOrientation(&s->cinfo);
    switch (s->cinfo.jpeg_color_space) {
    case JCS_GRAYSCALE:
        s->cinfo.out_color_space = JCS_GRAYSCALE;
        break;
    case JCS_CMYK:
    case JCS_YCCK:
        // libjpeg turns YCCK into CMYK; the RGB conversion is ours.
        s->cinfo.out_color_space = JCS_CMYK;
        s->cmykOutput = true;
        s->invertedCmyk = s->cinfo.saw_Adobe_marker;
        break;
    default:
        s->cinfo.out_color_space = JCS_RGB;
        break;
    }
    const bool turned = s->orientation >= 5; // orientations 5..8 swap width and height
    s->cinfo.scale_num = 1;
    s->cinfo.scale_denom = scaleDenominator(width, height, turned ? s->boxHeight : s->boxWidth,
                                            turned ? s->boxWidth : s->boxHeight);
    jpeg_calc_output_dimensions(&s->cinfo);
    s->outputWidth = static_cast<int>(s->cinfo.output_width);
    s->outputHeight = static_cast<int>(s->cinfo.output_height);
    return static_cast<long long>(s->outputWidth) * s->outputHeight <=
           JpegDecoder::kMaxOutputPixels;
}

void convertCmykRow(const unsigned char* cmyk, unsigned char* rgb, int width, bool inverted)
{
    for (int x = 0; x < width; ++x, cmyk += 4, rgb += 3) {
        // Plain CMYK: ink amounts, so a channel is (255 - C) * (255 - K). Adobe writes the
        // complements, so the same product is C * K on the stored values.
        const unsigned int k = inverted ? cmyk[3] : 255U - cmyk[3];
        for (int i = 0; i < 3; ++i) {
            const unsigned int ink = inverted ? cmyk[i] : 255U - cmyk[i];
            rgb[i] = static_cast<unsigned char>((ink * k + 127) / 255);
        }
    }
}

// Decodes into rows of `bits`, which must have the output size from readHeader. Answers false
// when not one row could be decoded; rows not decoded keep their earlier contents.
[[gnu::noinline]] bool decodeRows(DecodeState* s, unsigned char* bits, long long bytesPerLine)
{
    if (setjmp(s->error.jump))
        return s->rowsDone > 0;
    if (!jpeg_start_decompress(&s->cinfo))
        return false;
    if (static_cast<int>(s->cinfo.output_width) != s->outputWidth ||
        static_cast<int>(s->cinfo.output_height) != s->outputHeight)
        return false;
    JSAMPARRAY cmykRow = nullptr;
    if (s->cmykOutput) {
        cmykRow = (*s->cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&s->cinfo),
                                                JPOOL_IMAGE, s->cinfo.output_width * 4, 1);
    }
    // A single-scan picture is decoded as its rows are read: once its data has ended, every
    // further row would be grey, which the caller's image already is. A header that promises a
    // huge picture followed by little data therefore costs no more than the data. (A
    // progressive picture has taken in all its data before the first row.)
    const bool stopAtEnd = !jpeg_has_multiple_scans(&s->cinfo);
    while (s->cinfo.output_scanline < s->cinfo.output_height) {
        if (stopAtEnd && s->error.dataEnded) {
            jpeg_abort_decompress(&s->cinfo);
            return s->rowsDone > 0;
        }
        unsigned char* line = bits + s->cinfo.output_scanline * bytesPerLine;
        JSAMPROW row = cmykRow ? cmykRow[0] : line;
        if (jpeg_read_scanlines(&s->cinfo, &row, 1) != 1)
            break; // a memory source never suspends; this only guards against a stall
        if (cmykRow)
            convertCmykRow(cmykRow[0], line, s->outputWidth, s->invertedCmyk);
        s->rowsDone = s->cinfo.output_scanline;
    }
    jpeg_finish_decompress(&s->cinfo);
    return true;
}

QImage oriented(const QImage& image, int orientation)
{
    switch (orientation) {
    case 2:
        return image.mirrored(true, false);
    case 3:
        return image.transformed(QTransform().rotate(180));
    case 4:
        return image.mirrored(false, true);
    case 5: // transpose: mirror, then a quarter turn anticlockwise
        return image.mirrored(true, false).transformed(QTransform().rotate(270));
    case 6:
        return image.transformed(QTransform().rotate(90));
    case 7: // transverse: mirror, then a quarter turn clockwise
        return image.mirrored(true, false).transformed(QTransform().rotate(90));
    case 8:
        return image.transformed(QTransform().rotate(270));
    default:
        return image;
    }
}

} // namespace

bool JpegDecoder::looksLikeJpeg(const QByteArray& data)
{
    return data.size() >= 3 && static_cast<unsigned char>(data[0]) == 0xFF &&
           static_cast<unsigned char>(data[1]) == 0xD8 &&
           static_cast<unsigned char>(data[2]) == 0xFF;
}

QImage JpegDecoder::decode(const QByteArray& data, QSize box)
{
    if (!looksLikeJpeg(data))
        return {};
    // Value-initialised: every field, libjpeg's structures included, starts as zero, which
    // jpeg_destroy_decompress accepts even when creation never happened.
    auto state = std::make_unique<DecodeState>();
    state->data = reinterpret_cast<const unsigned char*>(data.constData());
    state->size = static_cast<unsigned long>(data.size());
    state->boxWidth = box.isValid() ? box.width() : 0;
    state->boxHeight = box.isValid() ? box.height() : 0;
    state->orientation = 1;

    QImage image;
    if (readHeader(state.get())) {
        const bool grey = state->cinfo.out_color_space == JCS_GRAYSCALE;
        image = QImage(state->outputWidth, state->outputHeight,
                       grey ? QImage::Format_Grayscale8 : QImage::Format_RGB888);
        if (!image.isNull()) {
            image.fill(QColor(128, 128, 128)); // what is left where the data ends early
            if (!decodeRows(state.get(), image.bits(), image.bytesPerLine()))
                image = QImage();
        }
    }
    jpeg_destroy_decompress(&state->cinfo);
    if (image.isNull())
        return image;
    return oriented(image, state->orientation);
}

qint64 JpegDecoder::openPictureFile(const QString& path, QFile& file)
{
    const QFileInfo info(path);
    if (!info.isFile() || info.size() > kMaxFileBytes)
        return -1;
    file.setFileName(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    return info.size();
}

QImage JpegDecoder::decodeFile(const QString& path, QSize box)
{
    QFile file;
    const qint64 size = openPictureFile(path, file);
    if (size < 0)
        return {};
    // Read for the size the file has: QIODevice::read(n) sets aside n bytes first, and with the
    // limit that was 128 MB of address space for every photo of a slideshow.
    return decode(file.read(size), box);
}

} // namespace vantoro
