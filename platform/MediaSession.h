#pragma once

#include <QString>

namespace vantoro {

// What the player tells the desktop about the clip it plays (media keys, sound menus,
// playerctl). Times are in microseconds.
struct MediaSessionState
{
    enum class Status { Stopped, Playing, Paused };
    Status status = Status::Stopped;
    int entry = 0; // playlist entry counted from 1; 0 when none
    QString title; // the clip's name as the player's caption shows it
    QString url;   // file:// URL of the clip
    qint64 lengthUs = 0;
    double rate = 1.0;
    double minimumRate = 1.0;
    double maximumRate = 1.0;
    double volume = 1.0; // 0.0 .. 1.0
    bool canGoNext = false;
    bool canGoPrevious = false;
    bool canSeek = false;
};

// The player as the desktop drives it. Called on the GUI thread.
class MediaSessionControls
{
public:
    virtual ~MediaSessionControls() = default;
    virtual void mediaPlayPause() = 0;
    virtual void mediaPlay() = 0;
    virtual void mediaPause() = 0;
    virtual void mediaStop() = 0;
    virtual void mediaNext() = 0;
    virtual void mediaPrevious() = 0;
    // Moves the position by `offsetUs` (negative: back).
    virtual void mediaSeekBy(qint64 offsetUs) = 0;
    virtual void mediaSetPosition(qint64 positionUs) = 0;
    virtual void mediaSetRate(double rate) = 0;
    virtual void mediaSetVolume(double volume) = 0;
    virtual qint64 mediaPosition() const = 0;
    // Brings the player window forward.
    virtual void mediaRaise() = 0;
};

// The desktop's media-player session: open while the player window is open. Without a session
// bus every call does nothing.
class MediaSession
{
public:
    virtual ~MediaSession() = default;
    virtual void open(MediaSessionControls& controls) = 0;
    // Announces what changed since the last update.
    virtual void update(const MediaSessionState& state) = 0;
    // The position jumped (a seek, a new entry); players that show it resynchronise.
    virtual void seeked(qint64 positionUs) = 0;
    virtual void close() = 0;
};

// Keeps the screen from blanking while a video or a slideshow plays.
class ScreenSaverInhibitor
{
public:
    virtual ~ScreenSaverInhibitor() = default;
    // Idempotent: a second call while inhibited does nothing.
    virtual void inhibit(const QString& reason) = 0;
    virtual void release() = 0;
    virtual bool isInhibited() const = 0;
};

} // namespace vantoro
