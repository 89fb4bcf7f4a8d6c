#include "player/PlayerMediaSession.h"

#include "player/TWMTPlayer.h"

#include <QFileInfo>
#include <QUrl>
#include <QWidget>

#include <cmath>

namespace vantoro {

namespace {

constexpr double kMicroseconds = 1e6;

} // namespace

PlayerMediaSession::PlayerMediaSession(TWMTPlayer& control, QWidget& window, MediaSession* session,
                                       ScreenSaverInhibitor* screenSaver, QObject* parent)
    : QObject(parent), m_control(control), m_window(&window), m_session(session),
      m_screenSaver(screenSaver)
{
    connect(&m_control, &TWMTPlayer::NewStream, this, [this] {
        announce();
        if (m_open && m_session != nullptr)
            m_session->seeked(0);
    });
    connect(&m_control, &TWMTPlayer::PlayStateChanged, this, &PlayerMediaSession::announce);
    connect(&m_control, &TWMTPlayer::VolumeChanged, this, &PlayerMediaSession::announce);
    connect(&m_control, &TWMTPlayer::RateChanged, this, &PlayerMediaSession::announce);
    connect(&m_control, &TWMTPlayer::LengthChanged, this, &PlayerMediaSession::announce);
}

PlayerMediaSession::~PlayerMediaSession()
{
    close();
}

void PlayerMediaSession::open()
{
    if (m_open)
        return;
    m_open = true;
    if (m_session != nullptr)
        m_session->open(*this);
    announce();
}

void PlayerMediaSession::close()
{
    if (!m_open)
        return;
    m_open = false;
    if (m_screenSaver != nullptr)
        m_screenSaver->release();
    if (m_session != nullptr)
        m_session->close();
}

MediaSessionState PlayerMediaSession::currentState() const
{
    MediaSessionState state;
    const int entry = m_control.GetCurrentEntry();
    const QStringList entries = m_control.entries();
    if (entry >= 1 && entry <= entries.size()) {
        state.entry = entry;
        state.title = QFileInfo(entries.at(entry - 1)).fileName();
        state.url = QUrl::fromLocalFile(entries.at(entry - 1)).toString();
        state.status = m_control.isPaused() ? MediaSessionState::Status::Paused
                                            : MediaSessionState::Status::Playing;
    }
    state.lengthUs = static_cast<qint64>(std::llround(m_control.length() * kMicroseconds));
    state.rate = m_control.Rate();
    state.minimumRate = TWMTPlayer::kMinRate;
    state.maximumRate = TWMTPlayer::kMaxRate;
    state.volume = m_control.Mute() ? 0.0 : m_control.Volume() / 100.0;
    state.canGoNext = !entries.isEmpty();
    state.canGoPrevious = !entries.isEmpty();
    state.canSeek = state.entry > 0 && state.lengthUs > 0 && !m_control.showsStillPicture();
    return state;
}

void PlayerMediaSession::announce()
{
    if (!m_open)
        return;
    const MediaSessionState state = currentState();
    if (m_session != nullptr)
        m_session->update(state);
    updateScreenSaver(state);
}

void PlayerMediaSession::updateScreenSaver(const MediaSessionState& state)
{
    if (m_screenSaver == nullptr)
        return;
    if (state.status == MediaSessionState::Status::Playing && m_control.showsPicture())
        m_screenSaver->inhibit(QString::fromLatin1(kInhibitReason));
    else
        m_screenSaver->release();
}

void PlayerMediaSession::mediaPlayPause()
{
    m_control.togglePlay();
}

void PlayerMediaSession::mediaPlay()
{
    if (!m_control.isPlaying() || m_control.isPaused())
        m_control.togglePlay();
}

void PlayerMediaSession::mediaPause()
{
    if (m_control.isPlaying() && !m_control.isPaused())
        m_control.togglePlay();
}

void PlayerMediaSession::mediaStop()
{
    m_control.Stop();
}

void PlayerMediaSession::mediaNext()
{
    m_control.Next();
}

void PlayerMediaSession::mediaPrevious()
{
    m_control.Previous();
}

void PlayerMediaSession::mediaSeekBy(qint64 offsetUs)
{
    if (!m_control.showsStillPicture())
        m_control.seekBy(offsetUs / kMicroseconds);
}

void PlayerMediaSession::mediaSetPosition(qint64 positionUs)
{
    m_control.setPosition(positionUs / kMicroseconds);
}

void PlayerMediaSession::mediaSetRate(double rate)
{
    m_control.setRate(rate);
}

void PlayerMediaSession::mediaSetVolume(double volume)
{
    if (!std::isfinite(volume))
        return;
    m_control.setVolume(static_cast<int>(std::lround(volume * 100.0)));
}

qint64 PlayerMediaSession::mediaPosition() const
{
    return static_cast<qint64>(std::llround(m_control.position() * kMicroseconds));
}

void PlayerMediaSession::mediaRaise()
{
    if (m_window == nullptr)
        return;
    if (m_window->isMinimized())
        m_window->showNormal();
    m_window->raise();
    m_window->activateWindow();
}

} // namespace vantoro
