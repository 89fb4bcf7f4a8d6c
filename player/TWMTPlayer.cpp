#include "player/TWMTPlayer.h"

#include "platform/IoError.h"
#include "platform/MpvLibrary.h"
#include "player/MpvAsxReader.h"
#include "player/MpvVideoSurface.h"
#include "player/PlayerControlBar.h"
#include "player/PlayerDisplayBar.h"
#include "player/PlayerStatusBar.h"
#include "player/PlayerTrackerBar.h"

#include <QDir>
#include <QFileInfo>
#include <QPalette>
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
    const bool withSurface = library.isLoaded() && MpvVideoSurface::isSupported();
    options.renderedVideo = withSurface;
    m_session = MpvSession::create(library, options, m_sessionError);
    buildUi(withSurface && m_session != nullptr);
    if (m_session != nullptr)
        connectSession();
}

TWMTPlayer::~TWMTPlayer()
{
    // mpv's render context must be freed before the mpv instance it belongs to.
    delete m_surface;
    m_surface = nullptr;
    m_session.reset();
}

void TWMTPlayer::buildUi(bool withSurface)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    if (withSurface) {
        m_surface = new MpvVideoSurface(*m_session, this);
        m_pictureArea = m_surface;
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
}

void TWMTPlayer::connectSession()
{
    MpvSession* session = m_session.get();
    connect(session, &MpvSession::fileStarted, this, &TWMTPlayer::onFileStarted);
    connect(session, &MpvSession::fileLoaded, this, &TWMTPlayer::onFileLoaded);
    connect(session, &MpvSession::fileEnded, this, &TWMTPlayer::onFileEnded);
    connect(session, &MpvSession::positionChanged, m_tracker, &PlayerTrackerBar::setPosition);
    connect(session, &MpvSession::positionChanged, m_status, &PlayerStatusBar::setPosition);
    connect(session, &MpvSession::durationChanged, m_tracker, &PlayerTrackerBar::setLength);
    connect(session, &MpvSession::durationChanged, m_status, &PlayerStatusBar::setLength);
    connect(session, &MpvSession::titleChanged, m_display, &PlayerDisplayBar::setTitleTag);
    connect(session, &MpvSession::artistChanged, m_display, &PlayerDisplayBar::setArtistTag);
    connect(session, &MpvSession::pausedChanged, this, [this](bool paused) {
        m_paused = paused;
        m_controls->setPlaying(m_active && !paused);
        if (m_active && m_currentEntry > 0)
            m_status->setState(paused ? PlayerStatusBar::State::Paused
                                      : PlayerStatusBar::State::Playing);
    });
    connect(session, &MpvSession::volumeChanged, this, [this](double percent) {
        m_controls->setVolume(static_cast<int>(std::lround(percent)));
    });
    connect(m_controls, &PlayerControlBar::volumeRequested, this,
            [this](int percent) { m_session->setVolume(percent); });
    connect(m_tracker, &PlayerTrackerBar::seekRequested, this, [this](double seconds) {
        if (m_active)
            m_session->seekTo(seconds);
    });
}

void TWMTPlayer::setPlayCount(int count)
{
    m_playCount = count < 0 ? 1 : count;
}

void TWMTPlayer::setRate(double rate)
{
    if (!std::isfinite(rate))
        rate = 1.0;
    m_rate = std::clamp(rate, kMinRate, kMaxRate);
    if (m_session != nullptr)
        m_session->setSpeed(m_rate);
}

void TWMTPlayer::setShowTracker(bool show)
{
    m_showTracker = show;
    m_tracker->setVisible(show);
}

void TWMTPlayer::setShowStatusBar(bool show)
{
    m_showStatusBar = show;
    m_status->setVisible(show);
}

void TWMTPlayer::setShowDisplay(bool show)
{
    m_showDisplay = show;
    m_display->setVisible(show);
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
    m_session->stop();
    m_controls->setPlaying(false);
    m_status->setState(PlayerStatusBar::State::Stopped);
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
    m_tracker->setLength(0);
    if (!m_session->loadFile(m_entries.at(index), m_expectedEntry)) {
        // mpv refused the command itself; go on as after an entry that failed to play.
        m_awaitingStart = false;
        reportSkipped(index, m_session->lastError());
        startEntry(index + 1, Direction::Forward);
    }
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
    m_controls->setPlaying(!m_paused);
    m_status->setState(m_paused ? PlayerStatusBar::State::Paused : PlayerStatusBar::State::Playing);
    Q_EMIT NewStream();
}

void TWMTPlayer::onFileEnded(qint64 entryId, MpvSession::EndReason reason, const QString& error,
                             qint64 insertId, int insertCount)
{
    // End events of a file replaced by a later load, or of a stop we asked for, change nothing.
    if (!m_active || m_awaitingStart || entryId != m_mpvEntry)
        return;
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
