#pragma once

#include "platform/MpvLibrary.h"
#include "player/PicturePreloader.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPair>
#include <QSize>
#include <QString>

#include <atomic>
#include <memory>

namespace vantoro {

// One libmpv player instance, configured for the media control, with its events turned into
// Qt signals on the GUI thread. Knows nothing of playlists: the control drives it file by file.
//
// Threading: create, use and destroy on the GUI thread. mpv's wakeup callback runs on mpv's
// threads; it only queues drainEvents() here, which empties mpv's event queue with
// mpv_wait_event(…, 0). No mpv function is ever called from inside a callback.
class MpvSession : public QObject
{
    Q_OBJECT
public:
    struct Options
    {
        // True when a render context (MpvVideoSurface) will draw the picture; otherwise video
        // is decoded to no output.
        bool renderedVideo = false;
        // Audio output driver; empty tries the desktop's sound outputs (PipeWire, PulseAudio,
        // ALSA, JACK), falling back to no output without a device.
        QByteArray audioOutput;
        // Further options set after the control's own (the test and benchmark harnesses use
        // this for null outputs, an audio capture file or a shorter still-image time).
        QList<QPair<QByteArray, QByteArray>> extraOptions;
    };

    enum class EndReason { EndOfFile, Stopped, Quit, Error, Redirect, Unknown };

    // Creates and initialises the instance; null with `error` set when that fails.
    static std::unique_ptr<MpvSession> create(const MpvLibrary& library, const Options& options,
                                              QString& error);
    ~MpvSession() override;

    // Loads one local file, replacing whatever plays. `absolutePath` must be absolute: it is
    // passed as one argument of an argument array, so it can never be read as an option, a
    // command or a protocol prefix. `entryId` receives mpv's playlist entry id of the new file
    // (-1 if mpv does not report it), which its start and end events carry.
    bool loadFile(const QString& absolutePath, qint64& entryId);
    bool stop();
    bool setPaused(bool paused);
    bool setSpeed(double speed);
    bool setVolume(double percent);
    bool setMuted(bool muted);
    bool seekTo(double seconds);
    // Seeks `seconds` forward (negative: back) from the present position.
    bool seekBy(double seconds);
    // How long a still image shows, in seconds; holds from the next image on at the latest.
    bool setImageDuration(double seconds);
    double imageDuration() const { return m_imageSeconds; }
    // How much sooner than the image duration mpv is to end a still image, so that the next
    // one is on the screen when the duration is over: the time mpv takes from one picture's
    // end to the next one's first frame. Holds from the next image on at the latest.
    bool setImageLead(double seconds);
    // Appends a local file to mpv's own playlist, after the file that plays, so that mpv goes
    // on to it by itself (and opens it ahead of time); when mpv has gone idle because that file
    // already ended, the appended file starts at once. Same rules and `entryId` as loadFile.
    bool appendFile(const QString& absolutePath, qint64& entryId);
    // Like loadFile and appendFile, for a file that may be a photo: a JPEG is decoded on a
    // worker thread, fitted into `box` (device pixels) and turned upright, and mpv reads the
    // result from memory (PicturePreloader); appended, it is decoded while the present file
    // still plays, so a slideshow need not wait for the decoding of a large photo. Any other
    // file is loaded or appended as it is.
    bool loadPicture(const QString& absolutePath, QSize box, qint64& entryId);
    bool appendPicture(const QString& absolutePath, QSize box, qint64& entryId);
    // Drops every entry of mpv's playlist but the file that plays.
    bool clearQueue();
    // Whether the file that plays shows a still picture (not a video, and not the cover art of
    // an audio file). These two ask mpv and wait for its core: call them once the file's first
    // frame is out (playbackRestarted), not in between.
    bool showsStillImage() const;
    // Whether the file that plays shows a picture at all: a video or a still image, not an
    // audio file (with or without cover art).
    bool showsPicture() const;

    // Length of the file that plays, in seconds, as mpv last reported it (durationChanged);
    // 0 when unknown. Asks mpv nothing: a call into mpv between a file's loading and its first
    // frame waits until mpv has given up waiting for the frame to be drawn.
    double duration() const { return m_duration; }

    // The audio output in use for the current file ("null" when there is no device); empty
    // while no audio is playing.
    QString currentAudioOutput() const;
    const Options& options() const { return m_options; }
    // The last error text of a failing call.
    QString lastError() const { return m_lastError; }

    const MpvLibrary::Functions& api() const { return m_library.api(); }
    mpv_handle* handle() const { return m_handle; }

public Q_SLOTS:
    void drainEvents();

Q_SIGNALS:
    void fileStarted(qint64 entryId);
    void fileLoaded();
    // Playback has (re)started after a load or a seek: the file's first frame is out.
    void playbackRestarted();
    // For Redirect, `insertId` and `insertCount` name the entries mpv put in its place.
    void fileEnded(qint64 entryId, vantoro::MpvSession::EndReason reason, const QString& error,
                   qint64 insertId, int insertCount);
    void positionChanged(double seconds);
    void durationChanged(double seconds);
    void pausedChanged(bool paused);
    void idleChanged(bool idle);
    void titleChanged(const QString& title);
    void artistChanged(const QString& artist);
    void volumeChanged(double percent);
    void mutedChanged(bool muted);

private:
    MpvSession(const MpvLibrary& library, mpv_handle* handle, const Options& options);
    bool check(int status);
    bool loadFile(const QString& absolutePath, const char* mode, qint64& entryId);
    bool loadPicture(const QString& absolutePath, QSize box, const char* mode, qint64& entryId);
    bool loadUrl(const QByteArray& url, const char* mode, qint64& entryId);
    bool flagProperty(const char* name) const;
    bool applyImageDuration();
    void handleEvent(const mpv_event& event);
    static void wakeup(void* context);

    const MpvLibrary& m_library;
    mpv_handle* m_handle = nullptr;
    Options m_options;
    QString m_lastError;
    std::atomic<bool> m_drainQueued{false};
    double m_duration = 0.0;
    double m_imageSeconds = 5.0; // the image duration asked for, in seconds
    double m_imageLead = 0.0;
    // Destroyed after the destructor's body has ended mpv, whose streams read from it.
    std::unique_ptr<PicturePreloader> m_pictures;
};

} // namespace vantoro
