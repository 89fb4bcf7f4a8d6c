#pragma once

#include "platform/MpvLibrary.h"

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>
#include <QThreadPool>

#include <deque>
#include <memory>
#include <mutex>

namespace vantoro {

// Gets the next picture of a slideshow ready while the present one shows. A photo of 24
// megapixels takes mpv longer to decode than a slideshow may pause between pictures, and mpv
// decodes a file only once the one before it has ended; so a JPEG queued here is decoded at
// once on a worker thread with the JPEG decoder, reduced to the size the screen can show, and
// handed to mpv from memory as an uncompressed picture under a URL of this class's own
// protocol. mpv's playlist prefetch opens it while the present picture still shows.
//
// A file that turns out not to be a JPEG, or that the decoder refuses, reaches mpv as it is
// (its bytes read from the file), so mpv plays or rejects it as it would the file itself.
//
// Threading: prepare() on the owner's thread; mpv calls the stream functions on its own
// threads. A stream waiting for its picture wakes up when mpv cancels it. Destroy this only
// after the mpv handle it was attached to has been destroyed; the destructor waits for a
// decode in progress.
class PicturePreloader
{
public:
    static constexpr const char* kProtocol = "vantoro-picture";
    // How many prepared pictures mpv can still open; older ones are forgotten (a stream that
    // already reads one keeps it until it closes).
    static constexpr int kKeptPictures = 3;

    PicturePreloader();
    ~PicturePreloader();
    PicturePreloader(const PicturePreloader&) = delete;
    PicturePreloader& operator=(const PicturePreloader&) = delete;

    // Registers the protocol with an mpv instance; false when mpv refuses.
    bool attach(const MpvLibrary::Functions& api, mpv_handle* handle);

    // Whether the file name says JPEG (.jpg, .jpeg, .jpe, .jfif, in any letter case).
    static bool isJpegName(const QString& path);

    // Starts decoding the picture at `absolutePath` so that it fits `box` (device pixels,
    // keeping its aspect ratio; a smaller picture keeps its size) and answers the URL under
    // which mpv reads the result. Reading it before the decode is done waits for it.
    QByteArray prepare(const QString& absolutePath, QSize box);

    // The decoded picture as served: a binary PPM (P6), 8 bits per sample.
    static QByteArray portablePixmap(const QImage& image);

private:
    struct Picture;
    struct Stream;

    static void decode(Picture& picture);
    std::shared_ptr<Picture> find(const char* uri);
    static int open(void* self, char* uri, mpv_stream_cb_info* info);
    static int64_t read(void* stream, char* buffer, uint64_t bytes);
    static int64_t seek(void* stream, int64_t offset);
    static int64_t size(void* stream);
    static void close(void* stream);
    static void cancel(void* stream);

    std::mutex m_mutex;
    std::deque<std::shared_ptr<Picture>> m_pictures;
    quint64 m_nextId = 1;
    QThreadPool m_workers;
};

} // namespace vantoro
