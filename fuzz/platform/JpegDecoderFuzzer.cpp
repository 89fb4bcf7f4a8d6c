// Feeds arbitrary bytes to the preview decoder: it must answer an image or a null image, never
// crash, hang or use memory beyond its limits.
#include "platform/JpegDecoder.h"

#include <cstddef>
#include <cstdint>

namespace {

// Width times height from the first frame header, 0 when there is none before the scan data.
// Markers: FF, a code, then (except for SOI and RST) a big-endian length that counts itself.
long long declaredPixels(const uint8_t* data, size_t size)
{
    size_t at = 2;
    while (at + 9 < size) {
        if (data[at] != 0xFF)
            return 0;
        const uint8_t code = data[at + 1];
        if (code == 0xFF) {
            ++at;
            continue;
        }
        if (code == 0xDA)
            return 0;
        const bool frame =
            code >= 0xC0 && code <= 0xCF && code != 0xC4 && code != 0xC8 && code != 0xCC;
        if (frame)
            return (long long)(data[at + 5] << 8 | data[at + 6]) *
                   (data[at + 7] << 8 | data[at + 8]);
        at += 2 + (size_t(data[at + 2]) << 8 | data[at + 3]);
    }
    return 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    // The preview size scales the decode down, the path the program takes.
    vantoro::JpegDecoder::decode(bytes, QSize(160, 120));
    // The unscaled paths too, for pictures whose full-size decode takes well under the fuzzer's
    // time limit with sanitizers on; larger ones only cost time in proportion to their size.
    if (declaredPixels(data, size) <= 4'000'000)
        vantoro::JpegDecoder::decode(bytes);
    return 0;
}
