#include "player/PicturePreloader.h"

#include "platform/JpegDecoder.h"

#include <QFile>

#include <condition_variable>
#include <cstring>
#include <mutex>

#include <malloc.h>

namespace vantoro {

struct PicturePreloader::Picture
{
    quint64 id = 0;
    QString path;
    QSize box;

    std::mutex mutex;
    std::condition_variable done;
    bool decoded = false;
    // The picture as mpv reads it; empty when mpv gets the file's own bytes.
    QByteArray bytes;
};

struct PicturePreloader::Stream
{
    std::shared_ptr<Picture> picture;
    bool cancelled = false; // guarded by picture->mutex
    qint64 position = 0;
    QFile file; // the file itself, when the picture was not decoded

    // Waits until the picture is decoded; false when mpv cancelled the stream meanwhile.
    bool waitForPicture()
    {
        std::unique_lock lock(picture->mutex);
        picture->done.wait(lock, [this] { return picture->decoded || cancelled; });
        if (cancelled)
            return false;
        lock.unlock();
        if (picture->bytes.isEmpty() && !file.isOpen()) {
            file.setFileName(picture->path);
            if (!file.open(QIODevice::ReadOnly))
                return false;
        }
        return true;
    }
};

namespace {

// Allocations from this size on get pages of their own (see the constructor).
constexpr int kOwnPagesFrom = 1 << 20;

// The smallest box the pictures are prepared for: a picture stays sharp when the window goes
// full screen on a screen larger than the one it was queued on.
constexpr QSize kSmallestBox(1920, 1080);

} // namespace

PicturePreloader::PicturePreloader()
{
    // A slideshow makes buffers of several megabytes for every picture, on this class's
    // worker and on mpv's threads, each picture of another size. With the C library's moving
    // threshold these come from the threads' heaps once one has been freed, and the heaps
    // keep the highest water mark that the mix of sizes ever reached: the resident memory
    // grew in steps for many minutes. A fixed threshold gives every such buffer pages of its
    // own, returned to the system when it is freed.
    static std::once_flag fixedThreshold;
    std::call_once(fixedThreshold, [] { mallopt(M_MMAP_THRESHOLD, kOwnPagesFrom); });
    // One picture at a time: the next one is all a slideshow needs, and decoding is not
    // allowed to crowd out playback.
    m_workers.setMaxThreadCount(1);
}

PicturePreloader::~PicturePreloader()
{
    m_workers.waitForDone();
}

bool PicturePreloader::attach(const MpvLibrary::Functions& api, mpv_handle* handle)
{
    return api.stream_cb_add_ro(handle, kProtocol, this, &PicturePreloader::open) >= 0;
}

bool PicturePreloader::isJpegName(const QString& path)
{
    const qsizetype dot = path.lastIndexOf(u'.');
    if (dot < 0 || path.indexOf(u'/', dot) >= 0)
        return false;
    const QStringView suffix = QStringView(path).mid(dot + 1);
    for (const char* known : {"jpg", "jpeg", "jpe", "jfif"}) {
        if (suffix.compare(QLatin1String(known), Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

QByteArray PicturePreloader::prepare(const QString& absolutePath, QSize box)
{
    auto picture = std::make_shared<Picture>();
    picture->path = absolutePath;
    picture->box = box.expandedTo(kSmallestBox);
    {
        std::lock_guard lock(m_mutex);
        picture->id = m_nextId++;
        m_pictures.push_back(picture);
        while (m_pictures.size() > size_t(kKeptPictures))
            m_pictures.pop_front();
    }
    // A picture forgotten before its turn came, and not opened by mpv, is not decoded.
    m_workers.start([weak = std::weak_ptr<Picture>(picture)] {
        if (const std::shared_ptr<Picture> wanted = weak.lock())
            decode(*wanted);
    });
    return QByteArray(kProtocol) + "://" + QByteArray::number(picture->id);
}

QByteArray PicturePreloader::portablePixmap(const QImage& image)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    const QByteArray header = "P6\n" + QByteArray::number(rgb.width()) + ' ' +
                              QByteArray::number(rgb.height()) + "\n255\n";
    const qsizetype lineBytes = qsizetype(rgb.width()) * 3;
    QByteArray out(header.size() + lineBytes * rgb.height(), Qt::Uninitialized);
    std::memcpy(out.data(), header.constData(), size_t(header.size()));
    char* to = out.data() + header.size();
    for (int y = 0; y < rgb.height(); ++y, to += lineBytes)
        std::memcpy(to, rgb.constScanLine(y), size_t(lineBytes));
    return out;
}

void PicturePreloader::decode(Picture& picture)
{
    QImage image = JpegDecoder::decodeFile(picture.path, picture.box);
    QByteArray bytes;
    if (!image.isNull()) {
        const QSize fit = image.size().scaled(picture.box, Qt::KeepAspectRatio);
        if (fit.width() < image.width() || fit.height() < image.height())
            image = image.scaled(fit, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        bytes = PicturePreloader::portablePixmap(image);
    }
    std::lock_guard lock(picture.mutex);
    picture.bytes = std::move(bytes);
    picture.decoded = true;
    picture.done.notify_all();
}

std::shared_ptr<PicturePreloader::Picture> PicturePreloader::find(const char* uri)
{
    const QByteArray prefix = QByteArray(kProtocol) + "://";
    const QByteArray text(uri);
    if (!text.startsWith(prefix))
        return nullptr;
    bool ok = false;
    const quint64 id = text.mid(prefix.size()).toULongLong(&ok);
    if (!ok)
        return nullptr;
    std::lock_guard lock(m_mutex);
    for (const auto& picture : m_pictures) {
        if (picture->id == id)
            return picture;
    }
    return nullptr;
}

int PicturePreloader::open(void* self, char* uri, mpv_stream_cb_info* info)
{
    std::shared_ptr<Picture> picture = static_cast<PicturePreloader*>(self)->find(uri);
    if (picture == nullptr)
        return MPV_ERROR_LOADING_FAILED;
    auto* stream = new Stream;
    stream->picture = std::move(picture);
    info->cookie = stream;
    info->read_fn = &PicturePreloader::read;
    info->seek_fn = &PicturePreloader::seek;
    info->size_fn = &PicturePreloader::size;
    info->close_fn = &PicturePreloader::close;
    info->cancel_fn = &PicturePreloader::cancel;
    return 0;
}

int64_t PicturePreloader::read(void* cookie, char* buffer, uint64_t bytes)
{
    auto* stream = static_cast<Stream*>(cookie);
    if (!stream->waitForPicture())
        return -1;
    const QByteArray& data = stream->picture->bytes;
    if (data.isEmpty())
        return stream->file.read(buffer, qint64(qMin<uint64_t>(bytes, 1u << 30)));
    const qint64 count =
        qBound<qint64>(0, data.size() - stream->position, qint64(qMin<uint64_t>(bytes, 1u << 30)));
    std::memcpy(buffer, data.constData() + stream->position, size_t(count));
    stream->position += count;
    return count;
}

int64_t PicturePreloader::seek(void* cookie, int64_t offset)
{
    auto* stream = static_cast<Stream*>(cookie);
    if (!stream->waitForPicture() || offset < 0)
        return MPV_ERROR_GENERIC;
    const QByteArray& data = stream->picture->bytes;
    if (data.isEmpty())
        return stream->file.seek(offset) ? offset : int64_t(MPV_ERROR_GENERIC);
    if (offset > data.size())
        return MPV_ERROR_GENERIC;
    stream->position = offset;
    return offset;
}

int64_t PicturePreloader::size(void* cookie)
{
    auto* stream = static_cast<Stream*>(cookie);
    if (!stream->waitForPicture())
        return MPV_ERROR_UNSUPPORTED;
    const QByteArray& data = stream->picture->bytes;
    return data.isEmpty() ? stream->file.size() : data.size();
}

void PicturePreloader::close(void* cookie)
{
    delete static_cast<Stream*>(cookie);
}

void PicturePreloader::cancel(void* cookie)
{
    auto* stream = static_cast<Stream*>(cookie);
    std::lock_guard lock(stream->picture->mutex);
    stream->cancelled = true;
    stream->picture->done.notify_all();
}

} // namespace vantoro
