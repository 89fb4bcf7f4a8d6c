#pragma once

#include "player/MpvSession.h"

#include <QElapsedTimer>
#include <QList>
#include <QString>
#include <QStringList>
#include <QWidget>

class QLabel;
class QTimer;

#include <memory>

namespace vantoro {

class MpvLibrary;
class MpvSoftwareSurface;
class MpvVideoSurface;
class PlayerControlBar;
class PlayerDisplayBar;
class PlayerStatusBar;
class PlayerTrackerBar;

// The media player control the player window embeds: it plays an ASX playlist on libmpv and
// shows the picture, transport buttons with a volume control, the tracker (seek bar), the
// status bar and the display panel (title and artist).
//
// The playlist is the control's own: mpv is given the entry that plays and, once it has
// started, the entry that follows (so that mpv opens it ahead of time and goes on to it without
// waiting for this thread), never more; entry numbers are always positions in the ASX file. Every
// entry is made an absolute path before mpv sees it. An entry that is not a readable regular file,
// or that mpv cannot play, is skipped; playback goes on with the next one. The status bar then
// says "Skipped: NAME (reason)" for a while, and "Nothing in this playlist could be played" when
// a pass ends in which no entry played. NewStream is raised when an entry has been opened and
// starts to play, on every repetition too.
//
// Methods that can fail answer false and leave the reason in errorString(), for the caller to
// show. Without libmpv the control still exists and every such method fails.
class TWMTPlayer : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(bool Enabled READ isEnabled WRITE setEnabled)
    Q_PROPERTY(int PlayCount READ PlayCount WRITE setPlayCount)
    Q_PROPERTY(double Rate READ Rate WRITE setRate)
    Q_PROPERTY(bool ShowTracker READ ShowTracker WRITE setShowTracker)
    Q_PROPERTY(bool ShowStatusBar READ ShowStatusBar WRITE setShowStatusBar)
    Q_PROPERTY(bool ShowDisplay READ ShowDisplay WRITE setShowDisplay)
public:
    static constexpr double kMinRate = 0.1;
    static constexpr double kMaxRate = 10.0;

    // The program's control, on the shared libmpv with mpv's own outputs.
    explicit TWMTPlayer(QWidget* parent = nullptr);
    // `options` choose the outputs (tests and benchmarks use null outputs); the picture is
    // shown through OpenGL where MpvVideoSurface::isSupported(), else through mpv's software
    // renderer on a real display; elsewhere video plays with no picture.
    TWMTPlayer(const MpvLibrary& library, MpvSession::Options options, QWidget* parent = nullptr);
    ~TWMTPlayer() override;

    // Times to play the whole playlist: 0 repeats without end; negative values read as 1.
    int PlayCount() const { return m_playCount; }
    void setPlayCount(int count);
    // Playback speed, 1.0 normal, pitch kept; corrected into kMinRate..kMaxRate.
    double Rate() const { return m_rate; }
    void setRate(double rate);
    bool ShowTracker() const { return m_showTracker; }
    void setShowTracker(bool show);
    bool ShowStatusBar() const { return m_showStatusBar; }
    void setShowStatusBar(bool show);
    bool ShowDisplay() const { return m_showDisplay; }
    void setShowDisplay(bool show);

    // Reads the ASX playlist at `path` and starts playing its first entry at once. Fails when
    // libmpv is missing or the file cannot be read (the program's I/O error text).
    bool Open(const QString& path);
    // False when no sound output is available.
    bool IsSoundCardEnabled() const;
    // Number of the entry now playing, counted from 1; 0 when nothing plays.
    int GetCurrentEntry() const;
    // Stops; the playlist and the position in it are kept for play, Next and Previous.
    void Stop();
    // The following entry; after the last one only when the playlist repeats.
    void Next();
    // The entry before; from the first one to the last only when the playlist repeats,
    // otherwise the first entry starts again.
    void Previous();

    // Play/pause as the transport button does: resumes, pauses, or starts a stopped playlist
    // at its current entry.
    void togglePlay();
    bool isPaused() const { return m_active && m_paused; }
    // Position and length of the entry that plays, in seconds (0 when unknown).
    double position() const { return m_position; }
    double length() const { return m_length; }
    void setPosition(double seconds);
    // What the entry that plays shows: a still picture; any picture (video or still). Known
    // from the entry's first frame on (PlayStateChanged is raised when it is); false before.
    bool showsStillPicture() const;
    bool showsPicture() const;
    // Moves `seconds` forward (negative: back) in the clip that plays; in a still picture,
    // which cannot be sought, goes to the next (previous) entry instead.
    void seekBy(double seconds);

    // Volume in percent, 0..100 (corrected silently), and mute; they hold for every entry.
    int Volume() const { return m_volume; }
    void setVolume(int percent);
    bool Mute() const { return m_muted; }
    void setMute(bool muted);
    // Seconds each still picture shows: one of pictureSecondsChoices(); other values are
    // ignored. A change holds from the next picture on at the latest.
    static QList<int> pictureSecondsChoices() { return {3, 5, 8, 15, 30}; }
    static constexpr int kDefaultPictureSeconds = 5;
    int PictureSeconds() const { return m_pictureSeconds; }
    void setPictureSeconds(int seconds);

    // The picture alone, for a full-screen window: the bars are hidden, a thin overlay with the
    // clip name and position shows when the mouse moves, and the pointer hides after
    // kPointerIdleMs of stillness over the picture.
    static constexpr int kPointerIdleMs = 2000;
    void setPictureOnly(bool pictureOnly);
    bool pictureOnly() const { return m_pictureOnly; }
    QWidget* pictureArea() const { return m_pictureArea; }
    QLabel* overlay() const { return m_overlay; }

    QString errorString() const { return m_error; }
    // Why libmpv could not be started (empty when it runs); for diagnostics, not the user.
    QString engineError() const { return m_sessionError; }
    // The playlist as given to mpv (absolute paths), in file order.
    QStringList entries() const { return m_entries; }
    bool isPlaying() const { return m_active; }
    bool hasVideoSurface() const { return m_surface != nullptr; }
    MpvVideoSurface* videoSurface() const { return m_surface; }
    // The picture drawn by mpv's software renderer (no usable OpenGL); null otherwise.
    MpvSoftwareSurface* softwareSurface() const { return m_softwareSurface; }
    // The libmpv session, null without libmpv; for observing its events, not for driving it.
    const MpvSession* session() const { return m_session.get(); }
    PlayerControlBar* controlBar() const { return m_controls; }
    PlayerTrackerBar* trackerBar() const { return m_tracker; }
    PlayerStatusBar* statusBar() const { return m_status; }
    PlayerDisplayBar* displayBar() const { return m_display; }

    static constexpr char kNothingPlayed[] = "Nothing in this playlist could be played";

Q_SIGNALS:
    // An entry has begun; GetCurrentEntry() tells which.
    void NewStream();
    // Entry `entry` (counted from 1) was passed over unplayed, for `reason`.
    void EntrySkipped(int entry, const QString& reason);
    // Playing, paused or stopped changed (isPlaying(), isPaused()).
    void PlayStateChanged();
    void VolumeChanged(int percent, bool muted);
    void RateChanged(double rate);
    void LengthChanged(double seconds);
    // The user double-clicked the picture.
    void PictureDoubleClicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    enum class Direction { Forward, Backward };
    // How the picture is drawn.
    enum class Picture { None, OpenGL, Software };

    void buildUi(Picture picture);
    void connectSession();
    // Starts entry `index` or, when it cannot be loaded, the nearest loadable one in
    // `direction`; at the end of a pass repeats or finishes.
    void startEntry(int index, Direction direction);
    void finishPlaylist(bool nothingPlayed);
    void reportSkipped(int index, const QString& reason);
    // Marks entry `index` as begun (the load is issued or mpv goes on to it by itself).
    void beginEntry(int index);
    // Hands mpv the entry that follows the one now playing, when it is a playable file.
    // The size in device pixels a photo is decoded for.
    QSize pictureBox() const;
    void queueFollowingEntry();
    void forgetQueuedEntry();
    void setPausedState(bool paused);
    // The length of the entry that plays, in seconds (0: unknown), to the bars and listeners.
    void applyLength(double seconds);
    void updateOverlay();
    void showOverlayAndPointer();
    void onFileStarted(qint64 entryId);
    void onFileLoaded();
    void onPlaybackRestarted();
    // Takes the time from a still picture's end to the next one's first frame into the lead
    // by which mpv ends each picture early, so that pictures change at the picture time.
    void measurePictureGap(qint64 milliseconds);
    void onFileEnded(qint64 entryId, MpvSession::EndReason reason, const QString& error,
                     qint64 insertId, int insertCount);
    bool repeats() const;

    std::unique_ptr<MpvSession> m_session;
    QString m_sessionError;
    QString m_error;

    QStringList m_entries;
    int m_index = 0;        // entry being played or to play next, 0-based
    int m_currentEntry = 0; // reported by GetCurrentEntry
    int m_passesDone = 0;   // completed passes through the playlist
    bool m_loadedThisPass = false;
    bool m_entryLoaded = false;  // the entry at m_index has started to play
    bool m_nothingShown = false; // the status bar says that nothing could be played
    bool m_active = false;       // a playlist is playing (possibly paused)
    bool m_paused = false;
    bool m_awaitingStart = false; // a load was issued; mpv has not started it yet
    qint64 m_expectedEntry = -1;  // mpv's id of the file last loaded (-1: not reported)
    qint64 m_mpvEntry = -1;       // mpv's id of the file we loaded, once started
    qint64 m_ignoredFirst = 0;    // mpv entries that replaced a playlist-like file: not ours
    qint64 m_ignoredLast = -1;
    bool m_lastStartWasOurs = false;
    int m_queuedIndex = -1;        // entry handed to mpv to follow the one playing
    qint64 m_queuedEntry = -1;     // its mpv id; -1: nothing queued
    bool m_queueOnRestart = false; // queue the following entry once the first frame is out
    bool m_stillPicture = false;   // the entry shows a still picture (known from its first frame)
    bool m_anyPicture = false;     // the entry shows a video or a still picture
    bool m_frameOut = false;       // the entry's first frame is out: the two above are known
    QElapsedTimer m_clock;
    qint64 m_pictureEndedAt = -1; // m_clock time at which a still picture went on to this entry
    double m_pictureGap = -1.0;   // smoothed picture-to-picture gap in seconds; -1: none yet
    static constexpr double kGapSmoothing = 0.25;

    int m_playCount = 1;
    double m_rate = 1.0;
    bool m_showTracker = true;
    bool m_showStatusBar = true;
    bool m_showDisplay = true;
    int m_volume = 100;
    bool m_muted = false;
    int m_pictureSeconds = kDefaultPictureSeconds;
    bool m_pictureOnly = false;
    double m_position = 0.0;
    double m_length = 0.0;

    MpvVideoSurface* m_surface = nullptr;
    MpvSoftwareSurface* m_softwareSurface = nullptr;
    // Shown on the status line at each Open when video cannot be shown at all.
    QString m_noPictureReason;
    QWidget* m_pictureArea = nullptr;
    PlayerTrackerBar* m_tracker = nullptr;
    PlayerControlBar* m_controls = nullptr;
    PlayerDisplayBar* m_display = nullptr;
    PlayerStatusBar* m_status = nullptr;
    QLabel* m_overlay = nullptr;
    QTimer* m_pointerTimer = nullptr;
};

} // namespace vantoro
