#pragma once

#include <QImage>
#include <QObject>
#include <QSize>
#include <QString>

#include <memory>

namespace vantoro {

// Preview pictures for the clip dialog's preview pane.
//
// `load` does the work and may run on any thread. `request` runs it on the global thread pool
// and reports through `previewReady` on this object's thread, so a slow, huge or broken file
// never blocks the dialog. At most one decode runs at a time per object; requests made while one
// runs replace each other and only the last one is decoded next.
class PicturePreview : public QObject
{
    Q_OBJECT

public:
    // Memory Qt's image readers may allocate for one decoded picture.
    static constexpr int kMaxReaderAllocationMb = 256;

    explicit PicturePreview(QObject* parent = nullptr);
    ~PicturePreview() override;

    // The picture at `path` scaled to fit `box` keeping its aspect ratio (never enlarged); a null
    // image when the file is not a readable JPEG, GIF, BMP or PNG picture. The format is told by
    // the file's content, not by its name. Only regular files of at most
    // JpegDecoder::kMaxFileBytes are read.
    static QImage load(const QString& path, QSize box);

    void request(const QString& path, QSize box);

Q_SIGNALS:
    void previewReady(const QString& path, const QImage& image);

private:
    struct Channel;
    void startNext();
    void finished(const QString& path, const QImage& image);

    std::shared_ptr<Channel> m_channel;
    bool m_busy = false;
    bool m_hasPending = false;
    QString m_pendingPath;
    QSize m_pendingBox;
};

} // namespace vantoro
