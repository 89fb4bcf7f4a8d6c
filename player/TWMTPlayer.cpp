#include "player/TWMTPlayer.h"

#include "fileops/IoError.h"
#include "platform/MpvLibrary.h"
#include "player/MpvAsxReader.h"
#include "player/MpvSoftwareSurface.h"
#include "player/MpvVideoSurface.h"
#include "player/PlayerControlBar.h"
#include "player/PlayerDisplayBar.h"
#include "player/PlayerStatusBar.h"
#include "player/PlayerTrackerBar.h"

#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QLabel>
#include <QPalette>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cerrno>
#include <cmath>

namespace vantoro {

namespace {

const QString kEngineMissing = QStringLiteral("It seems the media player engine (libmpv) is "
                                              "not installed");

// Only a regular file that can be read is handed to mpv: a folder would be expanded into its
// contents and a FIFO or device could block the player.
bool isPlayableFile(const QString& path)
{
    const QFileInfo info(path);
    return info.isFile() && info.isReadable();
}

// Why an entry is not handed to mpv at all.
QString unplayableReason(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return ioErrorText(ENOENT);
    if (info.isDir())
        return QStringLiteral("a folder, not a file");
    if (!info.isFile())
        return QStringLiteral("not a regular file");
    return ioErrorText(EACCES);
}

} // namespace

TWMTPlayer::TWMTPlayer(QWidget* parent)
    : TWMTPlayer(MpvLibrary::shared(), MpvSession::Options{}, parent)
{}

TWMTPlayer::TWMTPlayer(const MpvLibrary& library, MpvSession::Options options, QWidget* parent)
    : QWidget(parent)
{
    setFocusPolicy(Qt::NoFocus);
    // OpenGL where the display offers it, else mpv's software renderer; off a display (the
    // offscreen platform of the tests) video plays with no picture.
    Picture picture = Picture::None;
    if (library.isLoaded() && MpvVideoSurface::isSupported())
        picture = Picture::OpenGL;
    else if (library.isLoaded() && MpvSoftwareSurface::isSupported())
        picture = Picture::Software;
    options.renderedVideo = picture != Picture::None;
    m_session = MpvSession::create(library, options, m_sessionError);
    m_clock.start();
    buildUi(m_session != nullptr ? picture : Picture::None);
    if (m_session != nullptr)
        connectSession();
}

TWMTPlayer::~TWMTPlayer()
{
    // mpv's render context must be freed before the mpv instance it belongs to.
    delete m_surface;
    m_surface = nullptr;
    delete m_softwareSurface;
    m_softwareSurface = nullptr;
    m_session.reset();
}

void TWMTPlayer::buildUi(Picture picture)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    if (picture == Picture::OpenGL) {
        m_surface = new MpvVideoSurface(*m_session, this);
        m_pictureArea = m_surface;
    } else if (picture == Picture::Software) {
        m_softwareSurface = new MpvSoftwareSurface(*m_session, this);
        m_pictureArea = m_softwareSurface;
        if (!m_softwareSurface->isRendering())
            m_noPictureReason = QStringLiteral("No picture: this display offers no OpenGL and "
                                               "the software video output failed (%1)")
                                    .arg(m_softwareSurface->error());
    } else {
        // Where no picture can be shown the area stays, black, so that the layout is the same.
        m_pictureArea = new QWidget(this);
        m_pictureArea->setAutoFillBackground(true);
        QPalette black = m_pictureArea->palette();
        black.setColor(QPalette::Window, Qt::black);
        m_pictureArea->setPalette(black);
    }
    m_pictureArea->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    m_tracker = new PlayerTrackerBar(this);
    m_controls = new PlayerControlBar(this);
    m_display = new PlayerDisplayBar(this);
    m_status = new PlayerStatusBar(this);
    layout->addWidget(m_pictureArea, 1);
    layout->addWidget(m_tracker);
    layout->addWidget(m_controls);
    layout->addWidget(m_display);
    layout->addWidget(m_status);

    connect(m_controls, &PlayerControlBar::playPauseClicked, this, &TWMTPlayer::togglePlay);
    connect(m_controls, &PlayerControlBar::stopClicked, this, &TWMTPlayer::Stop);
    connect(m_controls, &PlayerControlBar::previousClicked, this, &TWMTPlayer::Previous);
    connect(m_controls, &PlayerControlBar::nextClicked, this, &TWMTPlayer::Next);
    connect(m_controls, &PlayerControlBar::volumeRequested, this, &TWMTPlayer::setVolume);
    connect(m_controls, &PlayerControlBar::muteRequested, this, &TWMTPlayer::setMute);
    connect(m_controls, &PlayerControlBar::pictureSecondsRequested, this,
            &TWMTPlayer::setPictureSeconds);
    m_controls->setPictureSeconds(m_pictureSeconds);

    // The overlay of the picture-only view: above the picture, outside the layout.
    m_overlay = new QLabel(this);
    m_overlay->setObjectName(QStringLiteral("PictureOverlay"));
    m_overlay->setStyleSheet(QStringLiteral(
        "QLabel { background-color: rgba(0, 0, 0, 160); color: white; padding: 4px 10px; }"));
    QFont overlayFont = m_overlay->font();
    overlayFont.setPointSize(12);
    m_overlay->setFont(overlayFont);
    m_overlay->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_overlay->hide();
    m_pointerTimer = new QTimer(this);
    m_pointerTimer->setSingleShot(true);
    m_pointerTimer->setInterval(kPointerIdleMs);
    connect(m_pointerTimer, &QTimer::timeout, this, [this] {
        m_overlay->hide();
        m_pictureArea->setCursor(Qt::BlankCursor);
    });
    m_pictureArea->installEventFilter(this);
}

void TWMTPlayer::connectSession()
{
    MpvSession* session = m_session.get();
    connect(session, &MpvSession::fileStarted, this, &TWMTPlayer::onFileStarted);
    connect(session, &MpvSession::fileLoaded, this, &TWMTPlayer::onFileLoaded);
    connect(session, &MpvSession::playbackRestarted, this, &TWMTPlayer::onPlaybackRestarted);
    connect(session, &MpvSession::fileEnded, this,
            [this](qint64 id, MpvSession::EndReason reason, const QString& error, qint64 insertId,
                   int insertCount) { onFileEnded(id, reason, error, insertId, insertCount); });
    connect(session, &MpvSession::positionChanged, this, [this](double seconds) {
        m_position = seconds;
        if (m_overlay->isVisible())
            updateOverlay();
    });
    connect(session, &MpvSession::durationChanged, this, &TWMTPlayer::applyLength);
    connect(session, &MpvSession::positionChanged, m_tracker, &PlayerTrackerBar::setPosition);
    connect(session, &MpvSession::positionChanged, m_status, &PlayerStatusBar::setPosition);
    connect(session, &MpvSession::titleChanged, m_display, &PlayerDisplayBar::setTitleTag);
    connect(session, &MpvSession::artistChanged, m_display, &PlayerDisplayBar::setArtistTag);
    connect(session, &MpvSession::pausedChanged, this, &TWMTPlayer::setPausedState);
    connect(session, &MpvSession::volumeChanged, this, [this](double percent) {
        const int volume = std::clamp(static_cast<int>(std::lround(percent)), 0, 100);
        if (volume == m_volume)
            return;
        m_volume = volume;
        m_controls->setVolume(volume);
        Q_EMIT VolumeChanged(m_volume, m_muted);
    });
    connect(session, &MpvSession::mutedChanged, this, [this](bool muted) {
        if (muted == m_muted)
            return;
        m_muted = muted;
        m_controls->setMuted(muted);
        Q_EMIT VolumeChanged(m_volume, m_muted);
    });
    connect(m_tracker, &PlayerTrackerBar::seekRequested, this, [this](double seconds) {
        if (m_active)
            m_session->seekTo(seconds);
    });
}

void TWMTPlayer::applyLength(double seconds)
{
    const double length = std::isfinite(seconds) && seconds > 0 ? seconds : 0.0;
    const bool changed = length != m_length;
    m_length = length;
    m_tracker->setLength(length);
    m_status->setLength(length);
    if (m_overlay->isVisible())
        updateOverlay();
    if (changed)
        Q_EMIT LengthChanged(length);
}

void TWMTPlayer::setPlayCount(int count)
{
    m_playCount = count < 0 ? 1 : count;
    // Whether the first entry follows the last one may have changed.
    if (m_session != nullptr && m_active && !m_awaitingStart)
        queueFollowingEntry();
}

void TWMTPlayer::setRate(double rate)
{
    if (!std::isfinite(rate))
        rate = 1.0;
    m_rate = std::clamp(rate, kMinRate, kMaxRate);
    if (m_session != nullptr)
        m_session->setSpeed(m_rate);
    Q_EMIT RateChanged(m_rate);
}

void TWMTPlayer::setShowTracker(bool show)
{
    m_showTracker = show;
    m_tracker->setVisible(show && !m_pictureOnly);
}

void TWMTPlayer::setShowStatusBar(bool show)
{
    m_showStatusBar = show;
    m_status->setVisible(show && !m_pictureOnly);
}

void TWMTPlayer::setShowDisplay(bool show)
{
    m_showDisplay = show;
    m_display->setVisible(show && !m_pictureOnly);
}

void TWMTPlayer::setVolume(int percent)
{
    const int volume = std::clamp(percent, 0, 100);
    const bool changed = volume != m_volume;
    m_volume = volume;
    m_controls->setVolume(volume);
    if (m_session != nullptr)
        m_session->setVolume(volume);
    if (changed)
        Q_EMIT VolumeChanged(m_volume, m_muted);
}

void TWMTPlayer::setMute(bool muted)
{
    const bool changed = muted != m_muted;
    m_muted = muted;
    m_controls->setMuted(muted);
    if (m_session != nullptr)
        m_session->setMuted(muted);
    if (changed)
        Q_EMIT VolumeChanged(m_volume, m_muted);
}

void TWMTPlayer::setPictureSeconds(int seconds)
{
    if (!pictureSecondsChoices().contains(seconds))
        return;
    m_pictureSeconds = seconds;
    m_controls->setPictureSeconds(seconds);
    if (m_session != nullptr)
        m_session->setImageDuration(seconds);
}

void TWMTPlayer::seekBy(double seconds)
{
    if (m_session == nullptr || !m_active || m_awaitingStart)
        return;
    // A key pressed between the entry's loading and its first frame asks mpv what it shows: a
    // still picture steps through the entries even before it is on the screen.
    const bool still =
        m_frameOut || !m_entryLoaded ? showsStillPicture() : m_session->showsStillImage();
    if (still) {
        if (seconds > 0)
            Next();
        else
            Previous();
        return;
    }
    m_session->seekBy(seconds);
}

void TWMTPlayer::setPosition(double seconds)
{
    if (m_session != nullptr && m_active && !m_awaitingStart && std::isfinite(seconds))
        m_session->seekTo(std::max(0.0, seconds));
}

bool TWMTPlayer::showsStillPicture() const
{
    return m_active && !m_awaitingStart && m_stillPicture;
}

bool TWMTPlayer::showsPicture() const
{
    return m_active && !m_awaitingStart && m_anyPicture;
}

void TWMTPlayer::setPausedState(bool paused)
{
    m_paused = paused;
    m_controls->setPlaying(m_active && !paused);
    if (m_active && m_currentEntry > 0)
        m_status->setState(paused ? PlayerStatusBar::State::Paused
                                  : PlayerStatusBar::State::Playing);
    Q_EMIT PlayStateChanged();
}

void TWMTPlayer::setPictureOnly(bool pictureOnly)
{
    m_pictureOnly = pictureOnly;
    m_controls->setVisible(!pictureOnly);
    setShowTracker(m_showTracker);
    setShowStatusBar(m_showStatusBar);
    setShowDisplay(m_showDisplay);
    m_pictureArea->setMouseTracking(pictureOnly);
    if (pictureOnly) {
        showOverlayAndPointer();
    } else {
        m_pointerTimer->stop();
        m_overlay->hide();
        m_pictureArea->unsetCursor();
    }
}

void TWMTPlayer::showOverlayAndPointer()
{
    m_pictureArea->unsetCursor();
    updateOverlay();
    m_overlay->show();
    m_overlay->raise();
    m_pointerTimer->start();
}

void TWMTPlayer::updateOverlay()
{
    const int entry = GetCurrentEntry();
    QString text = entry > 0 ? QFileInfo(m_entries.at(entry - 1)).fileName() : QString();
    if (entry > 0) {
        text += QStringLiteral("   ") + PlayerStatusBar::formatTime(m_position);
        if (m_length > 0)
            text += QStringLiteral(" / ") + PlayerStatusBar::formatTime(m_length);
    }
    m_overlay->setText(text);
    const int height = m_overlay->sizeHint().height();
    const QRect picture = m_pictureArea->geometry();
    m_overlay->setGeometry(picture.left(), picture.bottom() + 1 - height, picture.width(), height);
}

bool TWMTPlayer::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_pictureArea) {
        switch (event->type()) {
        case QEvent::MouseButtonDblClick:
            Q_EMIT PictureDoubleClicked();
            return true;
        case QEvent::MouseMove:
            if (m_pictureOnly)
                showOverlayAndPointer();
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TWMTPlayer::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (m_overlay->isVisible())
        updateOverlay();
}

bool TWMTPlayer::Open(const QString& path)
{
    m_error.clear();
    if (m_session == nullptr) {
        m_error = kEngineMissing;
        return false;
    }
    QStringList entries;
    int errnoValue = 0;
    if (!MpvAsxReader::readFile(path, entries, errnoValue)) {
        m_error = ioErrorText(errnoValue);
        return false;
    }
    // Relative entries name files against the current folder, as everywhere in the program.
    // An absolute path starts with '/', so no entry can read as a protocol ("av://...") or as
    // an option ("--...").
    for (QString& entry : entries)
        entry = QDir::current().absoluteFilePath(entry);
    m_entries = entries;
    m_passesDone = 0;
    m_loadedThisPass = false;
    m_nothingShown = false;
    m_status->clearMessage();
    if (!m_noPictureReason.isEmpty())
        m_status->showMessage(m_noPictureReason, m_status->messageTimeout());
    m_session->setPaused(false);
    startEntry(0, Direction::Forward);
    return true;
}

bool TWMTPlayer::IsSoundCardEnabled() const
{
    if (m_session == nullptr || m_session->options().audioOutput == "null")
        return false;
    const QString current = m_session->currentAudioOutput();
    if (!current.isEmpty())
        return current != u"null";
    // No audio has been opened yet: a sound server's socket or a kernel sound card is what
    // mpv's outputs would use.
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && (QFileInfo::exists(runtime + QStringLiteral("/pulse/native")) ||
                               QFileInfo::exists(runtime + QStringLiteral("/pipewire-0"))))
        return true;
    return !QDir(QStringLiteral("/proc/asound"))
                .entryList({QStringLiteral("card*")}, QDir::Dirs | QDir::NoDotAndDotDot)
                .isEmpty();
}

int TWMTPlayer::GetCurrentEntry() const
{
    return m_active ? m_currentEntry : 0;
}

void TWMTPlayer::Stop()
{
    if (m_session == nullptr || !m_active)
        return;
    m_active = false;
    m_awaitingStart = false;
    m_currentEntry = 0;
    forgetQueuedEntry();
    m_session->stop();
    m_controls->setPlaying(false);
    m_status->setState(PlayerStatusBar::State::Stopped);
    Q_EMIT PlayStateChanged();
}

bool TWMTPlayer::repeats() const
{
    return m_playCount == 0 || m_passesDone + 1 < m_playCount;
}

void TWMTPlayer::Next()
{
    if (m_session == nullptr || m_entries.isEmpty())
        return;
    int target = m_index + 1;
    if (target >= m_entries.size()) {
        if (!repeats())
            return;
        target = 0;
    }
    m_session->setPaused(false);
    startEntry(target, Direction::Forward);
}

void TWMTPlayer::Previous()
{
    if (m_session == nullptr || m_entries.isEmpty())
        return;
    int target = m_index - 1;
    if (target < 0)
        target = repeats() ? static_cast<int>(m_entries.size()) - 1 : 0;
    m_session->setPaused(false);
    startEntry(target, Direction::Backward);
}

void TWMTPlayer::togglePlay()
{
    if (m_session == nullptr)
        return;
    if (m_active) {
        m_session->setPaused(!m_paused);
        return;
    }
    if (m_entries.isEmpty())
        return;
    m_session->setPaused(false);
    startEntry(std::min(m_index, static_cast<int>(m_entries.size()) - 1), Direction::Forward);
}

void TWMTPlayer::startEntry(int index, Direction direction)
{
    const int count = static_cast<int>(m_entries.size());
    if (direction == Direction::Backward) {
        // Searching back never passes the first entry; with nothing before, search forward.
        int found = index;
        while (found >= 0 && !isPlayableFile(m_entries.at(found))) {
            reportSkipped(found, unplayableReason(m_entries.at(found)));
            --found;
        }
        if (found < 0) {
            startEntry(index, Direction::Forward);
            return;
        }
        index = found;
    } else {
        for (;;) {
            if (index >= count) {
                ++m_passesDone;
                // A pass in which no entry could be played ends the repeat too: every entry
                // would fail again, and the control would spin for ever.
                if (count == 0 || !m_loadedThisPass ||
                    (m_playCount != 0 && m_passesDone >= m_playCount)) {
                    finishPlaylist(!m_loadedThisPass);
                    return;
                }
                m_loadedThisPass = false;
                index = 0;
            }
            if (isPlayableFile(m_entries.at(index)))
                break;
            reportSkipped(index, unplayableReason(m_entries.at(index)));
            ++index;
        }
    }
    beginEntry(index);
    // Replacing the file also empties mpv's playlist: nothing stays queued.
    if (!m_session->loadPicture(m_entries.at(index), pictureBox(), m_expectedEntry)) {
        // mpv refused the command itself; go on as after an entry that failed to play.
        m_awaitingStart = false;
        reportSkipped(index, m_session->lastError());
        startEntry(index + 1, Direction::Forward);
    }
}

void TWMTPlayer::beginEntry(int index)
{
    forgetQueuedEntry();
    m_queueOnRestart = false;
    m_index = index;
    m_active = true;
    m_awaitingStart = true;
    m_entryLoaded = false;
    if (m_nothingShown) {
        m_nothingShown = false;
        m_status->clearMessage();
    }
    m_currentEntry = index + 1;
    m_display->setEntry(m_entries.at(index));
    m_status->setState(PlayerStatusBar::State::Opening);
    m_stillPicture = false;
    m_anyPicture = false;
    m_frameOut = false;
    m_pictureEndedAt = -1;
    applyLength(0);
}

QSize TWMTPlayer::pictureBox() const
{
    // The screen's size: the picture may go full screen while it shows.
    const QScreen* shownOn = screen();
    return shownOn != nullptr ? shownOn->geometry().size() * shownOn->devicePixelRatio() : QSize();
}

void TWMTPlayer::queueFollowingEntry()
{
    forgetQueuedEntry();
    int next = m_index + 1;
    if (next >= m_entries.size()) {
        if (!repeats())
            return;
        next = 0;
    }
    // An entry that would be skipped is left to startEntry, which passes over it.
    if (!isPlayableFile(m_entries.at(next)))
        return;
    // A JPEG is decoded while the present entry plays.
    qint64 id = -1;
    if (!m_session->clearQueue() ||
        !m_session->appendPicture(m_entries.at(next), pictureBox(), id) || id < 0) {
        // mpv then simply stops after this entry, and startEntry loads the next one.
        m_session->clearQueue();
        return;
    }
    m_queuedIndex = next;
    m_queuedEntry = id;
}

void TWMTPlayer::forgetQueuedEntry()
{
    m_queuedIndex = -1;
    m_queuedEntry = -1;
}

void TWMTPlayer::reportSkipped(int index, const QString& reason)
{
    const QString name = QFileInfo(m_entries.at(index)).fileName();
    m_status->showMessage(QStringLiteral("Skipped: %1 (%2)").arg(name, reason),
                          m_status->messageTimeout());
    Q_EMIT EntrySkipped(index + 1, reason);
}

void TWMTPlayer::finishPlaylist(bool nothingPlayed)
{
    const bool wasActive = m_active;
    m_active = false;
    m_entryLoaded = false;
    m_awaitingStart = false;
    m_currentEntry = 0;
    m_index = 0;
    m_passesDone = 0;
    m_loadedThisPass = false;
    if (wasActive)
        m_session->stop();
    m_controls->setPlaying(false);
    m_status->setState(PlayerStatusBar::State::Stopped);
    if (nothingPlayed) {
        m_nothingShown = true;
        m_status->showMessage(QString::fromLatin1(kNothingPlayed), 0);
    }
    Q_EMIT PlayStateChanged();
}

void TWMTPlayer::onFileStarted(qint64 entryId)
{
    if (entryId >= m_ignoredFirst && entryId <= m_ignoredLast) {
        m_lastStartWasOurs = false;
        return;
    }
    // Loads issued in quick succession (Next, Next) may each start before the last replaces
    // them; only the start of the file loaded last is the entry that plays.
    m_lastStartWasOurs = m_awaitingStart && (m_expectedEntry < 0 || entryId == m_expectedEntry);
    if (m_lastStartWasOurs) {
        m_awaitingStart = false;
        m_mpvEntry = entryId;
    }
}

void TWMTPlayer::onFileLoaded()
{
    if (!m_active || m_awaitingStart || !m_lastStartWasOurs)
        return;
    m_loadedThisPass = true;
    m_entryLoaded = true;
    m_currentEntry = m_index + 1;
    // The length is read afresh for every entry: mpv reports a change of duration only, and an
    // entry as long as the one before (a repeat, equal clips) would keep the length of 0 set
    // when it began.
    applyLength(m_session->duration());
    m_controls->setPlaying(!m_paused);
    m_status->setState(m_paused ? PlayerStatusBar::State::Paused : PlayerStatusBar::State::Playing);
    // The following entry is queued once the first frame is out: until then mpv's core is
    // busy decoding it, and a command sent now would hold this thread until it is done.
    m_queueOnRestart = true;
    if (m_overlay->isVisible())
        updateOverlay();
    Q_EMIT NewStream();
    Q_EMIT PlayStateChanged();
}

void TWMTPlayer::onPlaybackRestarted()
{
    if (!m_active || m_awaitingStart || !m_entryLoaded)
        return;
    // What the entry shows is asked only now: until its first frame is out, mpv's core waits
    // for the picture to be drawn on this thread, and any question would hold both up.
    const bool still = m_session->showsStillImage();
    const bool picture = m_session->showsPicture();
    const bool changed = still != m_stillPicture || picture != m_anyPicture;
    m_frameOut = true;
    m_stillPicture = still;
    m_anyPicture = picture;
    if (still && m_pictureEndedAt >= 0)
        measurePictureGap(m_clock.elapsed() - m_pictureEndedAt);
    m_pictureEndedAt = -1;
    if (m_queueOnRestart) {
        m_queueOnRestart = false;
        queueFollowingEntry();
    }
    if (changed)
        Q_EMIT PlayStateChanged();
}

void TWMTPlayer::measurePictureGap(qint64 milliseconds)
{
    // A gap of a second or more is not mpv's own (the machine stalled, the window was being
    // moved): it would shorten the following pictures for nothing.
    if (milliseconds < 0 || milliseconds >= 1000)
        return;
    const double gap = milliseconds / 1000.0;
    m_pictureGap = m_pictureGap < 0 ? gap : m_pictureGap + (gap - m_pictureGap) * kGapSmoothing;
    m_session->setImageLead(m_pictureGap);
}

void TWMTPlayer::onFileEnded(qint64 entryId, MpvSession::EndReason reason, const QString& error,
                             qint64 insertId, int insertCount)
{
    // End events of a file replaced by a later load, or of a stop we asked for, change nothing.
    if (!m_active || m_awaitingStart || entryId != m_mpvEntry)
        return;
    if (reason == MpvSession::EndReason::EndOfFile && m_queuedEntry >= 0) {
        // mpv goes on to the queued entry by itself.
        const int next = m_queuedIndex;
        const qint64 id = m_queuedEntry;
        if (next <= m_index) {
            ++m_passesDone;
            m_loadedThisPass = false;
        }
        const bool pictureEnded = m_stillPicture;
        beginEntry(next);
        m_expectedEntry = id;
        if (pictureEnded)
            m_pictureEndedAt = m_clock.elapsed();
        return;
    }
    switch (reason) {
    case MpvSession::EndReason::EndOfFile:
    case MpvSession::EndReason::Error:
        // An entry that ends before it started to play was not played: mpv could not open it.
        if (!m_entryLoaded)
            reportSkipped(m_index, error.isEmpty() ? QStringLiteral("nothing to play") : error);
        startEntry(m_index + 1, Direction::Forward);
        break;
    case MpvSession::EndReason::Redirect:
        reportSkipped(m_index, QStringLiteral("a playlist, not a clip"));
        // The entry was itself a playlist; its contents are not entries of ours and are
        // never played.
        if (insertCount > 0) {
            m_ignoredFirst = insertId;
            m_ignoredLast = insertId + insertCount - 1;
        }
        startEntry(m_index + 1, Direction::Forward);
        break;
    case MpvSession::EndReason::Stopped:
    case MpvSession::EndReason::Quit:
    case MpvSession::EndReason::Unknown:
        break;
    }
}

} // namespace vantoro
