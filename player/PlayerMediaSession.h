#pragma once

#include "platform/MediaSession.h"

#include <QObject>
#include <QPointer>

class QWidget;

namespace vantoro {

class TWMTPlayer;

// Tells the desktop what a player window plays and lets the desktop drive it: the window's
// media session (media keys, sound menus) and the screen saver. The session is open from
// open() to close(); every change of entry, play state, rate or volume is announced. The screen
// saver is held off while a video or a slideshow plays, not for audio alone and not while
// paused or stopped.
//
// Either service may be null (tests, a desktop without them): that part then does nothing.
// The control and the window must outlive this object.
class PlayerMediaSession final : public QObject, public MediaSessionControls
{
    Q_OBJECT
public:
    PlayerMediaSession(TWMTPlayer& control, QWidget& window, MediaSession* session,
                       ScreenSaverInhibitor* screenSaver, QObject* parent = nullptr);
    ~PlayerMediaSession() override;

    void open();
    void close();
    bool isOpen() const { return m_open; }
    // What is announced now.
    MediaSessionState currentState() const;

    void mediaPlayPause() override;
    void mediaPlay() override;
    void mediaPause() override;
    void mediaStop() override;
    void mediaNext() override;
    void mediaPrevious() override;
    void mediaSeekBy(qint64 offsetUs) override;
    void mediaSetPosition(qint64 positionUs) override;
    void mediaSetRate(double rate) override;
    void mediaSetVolume(double volume) override;
    qint64 mediaPosition() const override;
    void mediaRaise() override;

    static constexpr char kInhibitReason[] = "Playing a video or a slideshow";

private:
    void announce();
    void updateScreenSaver(const MediaSessionState& state);

    TWMTPlayer& m_control;
    QPointer<QWidget> m_window;
    MediaSession* m_session;
    ScreenSaverInhibitor* m_screenSaver;
    bool m_open = false;
};

} // namespace vantoro
