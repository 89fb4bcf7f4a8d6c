#pragma once

#include "player/MpvSession.h"

#include <QString>
#include <QStringList>
#include <QWidget>

#include <memory>

namespace vantoro {

class MpvLibrary;
class MpvVideoSurface;
class PlayerControlBar;
class PlayerDisplayBar;
class PlayerStatusBar;
class PlayerTrackerBar;

// The media player control the player window embeds: it plays an ASX playlist on libmpv and
// shows the picture, transport buttons with a volume control, the tracker (seek bar), the
// status bar and the display panel (title and artist).
//
// The playlist is the control's own: mpv is given one entry at a time, so entry numbers are
// always positions in the ASX file. Every entry is made an absolute path before mpv sees it.
// An entry that is not a readable regular file, or that mpv cannot play, is skipped; playback
// goes on with the next one. The status bar then says "Skipped: NAME (reason)" for a while, and
// "Nothing in this playlist could be played" when a pass ends in which no entry played.
// NewStream is raised when an entry has been opened and starts to play, on every repetition
// too.
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
    // shown only where MpvVideoSurface::isSupported(), otherwise video plays with no picture.
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

    QString errorString() const { return m_error; }
    // Why libmpv could not be started (empty when it runs); for diagnostics, not the user.
    QString engineError() const { return m_sessionError; }
    // The playlist as given to mpv (absolute paths), in file order.
    QStringList entries() const { return m_entries; }
    bool isPlaying() const { return m_active; }
    bool hasVideoSurface() const { return m_surface != nullptr; }
    MpvVideoSurface* videoSurface() const { return m_surface; }
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

private:
    enum class Direction { Forward, Backward };

    void buildUi(bool withSurface);
    void connectSession();
    // Starts entry `index` or, when it cannot be loaded, the nearest loadable one in
    // `direction`; at the end of a pass repeats or finishes.
    void startEntry(int index, Direction direction);
    void finishPlaylist(bool nothingPlayed);
    void reportSkipped(int index, const QString& reason);
    void onFileStarted(qint64 entryId);
    void onFileLoaded();
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

    int m_playCount = 1;
    double m_rate = 1.0;
    bool m_showTracker = true;
    bool m_showStatusBar = true;
    bool m_showDisplay = true;

    MpvVideoSurface* m_surface = nullptr;
    QWidget* m_pictureArea = nullptr;
    PlayerTrackerBar* m_tracker = nullptr;
    PlayerControlBar* m_controls = nullptr;
    PlayerDisplayBar* m_display = nullptr;
    PlayerStatusBar* m_status = nullptr;
};

} // namespace vantoro
