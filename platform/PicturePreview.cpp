#include "platform/PicturePreview.h"

#include "platform/JpegDecoder.h"

#include <QFile>
#include <QImageReader>
#include <QMutex>
#include <QMutexLocker>
#include <QThreadPool>

namespace vantoro {

// Shared between the object and the decodes it started: a decode finishing after the object is
// gone finds no receiver and drops its picture.
struct PicturePreview::Channel
{
    QMutex mutex;
    PicturePreview* receiver = nullptr;
};

namespace {

// The formats Qt's readers decode for the preview, told by their signatures.
QByteArray qtFormatOf(const QByteArray& head)
{
    if (head.startsWith("\x89PNG\r\n\x1a\n"))
        return QByteArrayLiteral("png");
    if (head.startsWith("GIF87a") || head.startsWith("GIF89a"))
        return QByteArrayLiteral("gif");
    if (head.startsWith("BM"))
        return QByteArrayLiteral("bmp");
    return {};
}

QImage readWithQt(QFile& file, const QByteArray& format, QSize box)
{
    QImageReader reader(&file, format);
    const QSize size = reader.size();
    if (!size.isValid() || size.isEmpty())
        return {};
    // Refused before anything is allocated: the header alone can promise gigabytes.
    const qint64 bytes = qint64(size.width()) * size.height() * 4;
    if (bytes > qint64(PicturePreview::kMaxReaderAllocationMb) * 1024 * 1024)
        return {};
    if (size.width() > box.width() || size.height() > box.height())
        reader.setScaledSize(size.scaled(box, Qt::KeepAspectRatio).expandedTo(QSize(1, 1)));
    return reader.read();
}

} // namespace

PicturePreview::PicturePreview(QObject* parent) : QObject(parent), m_channel(new Channel)
{
    m_channel->receiver = this;
}

PicturePreview::~PicturePreview()
{
    const QMutexLocker lock(&m_channel->mutex);
    m_channel->receiver = nullptr;
}

QImage PicturePreview::load(const QString& path, QSize box)
{
    if (box.isEmpty())
        return {};
    QFile file;
    const qint64 size = JpegDecoder::openPictureFile(path, file);
    if (size < 0)
        return {};
    const QByteArray head = file.peek(8);
    QImage image;
    if (JpegDecoder::looksLikeJpeg(head)) {
        image = JpegDecoder::decode(file.read(size), box);
    } else {
        const QByteArray format = qtFormatOf(head);
        if (format.isEmpty())
            return {};
        image = readWithQt(file, format, box);
    }
    if (image.isNull() || (image.width() <= box.width() && image.height() <= box.height()))
        return image;
    return image.scaled(box, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

void PicturePreview::request(const QString& path, QSize box)
{
    m_pendingPath = path;
    m_pendingBox = box;
    m_hasPending = true;
    if (!m_busy)
        startNext();
}

void PicturePreview::startNext()
{
    m_hasPending = false;
    m_busy = true;
    const std::shared_ptr<Channel> channel = m_channel;
    const QString path = m_pendingPath;
    const QSize box = m_pendingBox;
    QThreadPool::globalInstance()->start([channel, path, box] {
        const QImage image = load(path, box);
        const QMutexLocker lock(&channel->mutex);
        if (PicturePreview* receiver = channel->receiver) {
            // Queued to the receiver's thread; dropped with the receiver if it is deleted first.
            QMetaObject::invokeMethod(
                receiver, [receiver, path, image] { receiver->finished(path, image); },
                Qt::QueuedConnection);
        }
    });
}

void PicturePreview::finished(const QString& path, const QImage& image)
{
    m_busy = false;
    Q_EMIT previewReady(path, image);
    if (m_hasPending)
        startNext();
}

} // namespace vantoro
