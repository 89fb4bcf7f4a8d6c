#include "player/MpvSession.h"

#include <QMetaObject>

#include <algorithm>
#include <cstring>

namespace vantoro {

namespace {

// Every mpv option, property and command name the control uses.
namespace opt {
// Nothing of the user's own mpv set-up, no scripts, no network helpers, no key bindings and no
// on-screen controller: the control is the only interface.
constexpr const char* kConfig = "config";
constexpr const char* kLoadScripts = "load-scripts";
constexpr const char* kYtdl = "ytdl";
constexpr const char* kOsc = "osc";
constexpr const char* kStatsOverlay = "load-stats-overlay";
constexpr const char* kOsdConsole = "load-osd-console";
constexpr const char* kAutoProfiles = "load-auto-profiles";
constexpr const char* kInputDefaultBindings = "input-default-bindings";
constexpr const char* kInputVoKeyboard = "input-vo-keyboard";
constexpr const char* kTerminal = "terminal";
constexpr const char* kIdle = "idle";
// With gapless audio the next file starts while the previous one is still audible, and the
// entry number reported to the window would name the wrong clip.
constexpr const char* kGaplessAudio = "gapless-audio";
// A slideshow needs more than mpv's one second per still image.
constexpr const char* kImageDuration = "image-display-duration";
constexpr const char* kImageDurationSeconds = "5";
constexpr const char* kAudioFallbackToNull = "audio-fallback-to-null";
// Pitch-keeping speed changes: mpv's filter mutes below its min-speed (0.25 by default), and
// the slowest speed the program offers is 0.2.
constexpr const char* kAudioFilters = "af";
constexpr const char* kPitchKeepingFilter = "scaletempo2=min-speed=0.1";
constexpr const char* kVideoOutput = "vo";
// Decoding is done in software; mpv need not probe GPU decoders for the render surface.
constexpr const char* kHwdecInterop = "gpu-hwdec-interop";
constexpr const char* kAudioOutput = "ao";
// The outputs a Linux desktop plays sound through, tried in this order, and last the null output:
// without a sound device an entry plays silently for its whole length, also with an mpv that
// does not apply audio-fallback-to-null to a list of its own. mpv's own list goes on to further
// outputs when these fail: its SDL output starts a thread that scans ALSA's devices, and stopping
// that output waits for the scan, which can take many seconds, while every command to mpv (Stop,
// the next entry) waits for it.
constexpr const char* kDesktopAudioOutputs = "pipewire,pulse,alsa,jack,null";
// The next entry of mpv's playlist is opened while the present one still plays, so that a
// slideshow goes from picture to picture without waiting for the file to be read.
constexpr const char* kPrefetchPlaylist = "prefetch-playlist";
} // namespace opt

namespace prop {
constexpr const char* kPause = "pause";
constexpr const char* kSpeed = "speed";
constexpr const char* kVolume = "volume";
constexpr const char* kMute = "mute";
constexpr const char* kImageDuration = "image-display-duration";
constexpr const char* kVideoIsImage = "current-tracks/video/image";
constexpr const char* kVideoId = "current-tracks/video/id";
constexpr const char* kVideoIsCoverArt = "current-tracks/video/albumart";
constexpr const char* kTimePos = "time-pos";
constexpr const char* kDuration = "duration";
constexpr const char* kIdleActive = "idle-active";
constexpr const char* kTitle = "metadata/by-key/title";
constexpr const char* kArtist = "metadata/by-key/artist";
constexpr const char* kCurrentAo = "current-ao";
} // namespace prop

namespace cmd {
constexpr const char* kLoadFile = "loadfile";
constexpr const char* kReplace = "replace";
// Appends, and starts the entry when mpv has already gone idle: the entry that plays may end
// (a short picture, a busy GUI thread) before the one that follows it is queued.
constexpr const char* kAppend = "append-play";
constexpr const char* kStop = "stop";
constexpr const char* kSeek = "seek";
constexpr const char* kRelative = "relative";
constexpr const char* kPlaylistClear = "playlist-clear";
} // namespace cmd

// Reply ids of observed properties.
enum Observed : uint64_t {
    kObservePause = 1,
    kObserveTimePos,
    kObserveDuration,
    kObserveIdle,
    kObserveTitle,
    kObserveArtist,
    kObserveVolume,
    kObserveMute
};

} // namespace

std::unique_ptr<MpvSession> MpvSession::create(const MpvLibrary& library, const Options& options,
                                               QString& error)
{
    if (!library.isLoaded()) {
        error = library.loadError();
        return nullptr;
    }
    MpvLibrary::useCNumericLocale();
    const auto& mpv = library.api();
    mpv_handle* handle = mpv.create();
    if (handle == nullptr) {
        error = QStringLiteral("mpv_create failed");
        return nullptr;
    }
    struct Setting
    {
        const char* name;
        QByteArray value;
        bool required;
    };
    QList<Setting> settings = {
        {opt::kConfig, "no", true},
        {opt::kLoadScripts, "no", true},
        {opt::kYtdl, "no", true},
        {opt::kOsc, "no", true},
        {opt::kStatsOverlay, "no", false},
        {opt::kOsdConsole, "no", false},
        {opt::kAutoProfiles, "no", false},
        {opt::kInputDefaultBindings, "no", true},
        {opt::kInputVoKeyboard, "no", true},
        {opt::kTerminal, "no", true},
        {opt::kIdle, "yes", true},
        {opt::kGaplessAudio, "no", true},
        {opt::kImageDuration, opt::kImageDurationSeconds, true},
        {opt::kAudioFallbackToNull, "yes", true},
        {opt::kAudioFilters, opt::kPitchKeepingFilter, true},
        {opt::kVideoOutput, options.renderedVideo ? "libmpv" : "null", true},
        {opt::kHwdecInterop, "no", false},
        {opt::kPrefetchPlaylist, "yes", true},
    };
    settings.append({opt::kAudioOutput,
                     options.audioOutput.isEmpty() ? QByteArray(opt::kDesktopAudioOutputs)
                                                   : options.audioOutput,
                     true});
    QList<QByteArray> extraNames; // keeps the names alive while the list is applied
    for (const auto& [name, value] : options.extraOptions) {
        extraNames.append(name);
        settings.append({extraNames.last().constData(), value, true});
    }
    for (const Setting& setting : settings) {
        const int status = mpv.set_option_string(handle, setting.name, setting.value.constData());
        if (status < 0 && (setting.required || status != MPV_ERROR_OPTION_NOT_FOUND)) {
            error = QStringLiteral("%1: %2").arg(QLatin1String(setting.name),
                                                 QString::fromUtf8(mpv.error_string(status)));
            mpv.terminate_destroy(handle);
            return nullptr;
        }
    }
    const int status = mpv.initialize(handle);
    if (status < 0) {
        error = QString::fromUtf8(mpv.error_string(status));
        mpv.terminate_destroy(handle);
        return nullptr;
    }
    std::unique_ptr<MpvSession> session(new MpvSession(library, handle, options));
    mpv.get_property(handle, prop::kImageDuration, MPV_FORMAT_DOUBLE, &session->m_imageSeconds);
    session->m_pictures = std::make_unique<PicturePreloader>();
    if (!session->m_pictures->attach(mpv, handle)) {
        error = QStringLiteral("cannot register the picture stream");
        return nullptr;
    }
    struct Observation
    {
        Observed id;
        const char* name;
        mpv_format format;
    };
    const Observation observations[] = {
        {kObservePause, prop::kPause, MPV_FORMAT_FLAG},
        {kObserveTimePos, prop::kTimePos, MPV_FORMAT_DOUBLE},
        {kObserveDuration, prop::kDuration, MPV_FORMAT_DOUBLE},
        {kObserveIdle, prop::kIdleActive, MPV_FORMAT_FLAG},
        {kObserveTitle, prop::kTitle, MPV_FORMAT_STRING},
        {kObserveArtist, prop::kArtist, MPV_FORMAT_STRING},
        {kObserveVolume, prop::kVolume, MPV_FORMAT_DOUBLE},
        {kObserveMute, prop::kMute, MPV_FORMAT_FLAG},
    };
    for (const Observation& o : observations) {
        if (!session->check(mpv.observe_property(handle, o.id, o.name, o.format))) {
            error = session->lastError();
            return nullptr;
        }
    }
    mpv.set_wakeup_callback(handle, &MpvSession::wakeup, session.get());
    return session;
}

MpvSession::MpvSession(const MpvLibrary& library, mpv_handle* handle, const Options& options)
    : m_library(library), m_handle(handle), m_options(options)
{}

MpvSession::~MpvSession()
{
    // After this no callback can reach the object being destroyed; a drain already queued is
    // dropped by Qt together with the object.
    api().set_wakeup_callback(m_handle, nullptr, nullptr);
    api().terminate_destroy(m_handle);
}

void MpvSession::wakeup(void* context)
{
    auto* self = static_cast<MpvSession*>(context);
    if (!self->m_drainQueued.exchange(true))
        QMetaObject::invokeMethod(self, &MpvSession::drainEvents, Qt::QueuedConnection);
}

void MpvSession::drainEvents()
{
    m_drainQueued.store(false);
    for (;;) {
        const mpv_event* event = api().wait_event(m_handle, 0);
        if (event == nullptr || event->event_id == MPV_EVENT_NONE)
            break;
        handleEvent(*event);
    }
}

void MpvSession::handleEvent(const mpv_event& event)
{
    switch (event.event_id) {
    case MPV_EVENT_START_FILE:
        Q_EMIT fileStarted(static_cast<const mpv_event_start_file*>(event.data)->playlist_entry_id);
        break;
    case MPV_EVENT_FILE_LOADED:
        Q_EMIT fileLoaded();
        break;
    case MPV_EVENT_PLAYBACK_RESTART:
        Q_EMIT playbackRestarted();
        break;
    case MPV_EVENT_END_FILE: {
        const auto* end = static_cast<const mpv_event_end_file*>(event.data);
        EndReason reason = EndReason::Unknown;
        switch (end->reason) {
        case MPV_END_FILE_REASON_EOF:
            reason = EndReason::EndOfFile;
            break;
        case MPV_END_FILE_REASON_STOP:
            reason = EndReason::Stopped;
            break;
        case MPV_END_FILE_REASON_QUIT:
            reason = EndReason::Quit;
            break;
        case MPV_END_FILE_REASON_ERROR:
            reason = EndReason::Error;
            break;
        case MPV_END_FILE_REASON_REDIRECT:
            reason = EndReason::Redirect;
            break;
        }
        const QString error = reason == EndReason::Error
                                  ? QString::fromUtf8(api().error_string(end->error))
                                  : QString();
        Q_EMIT fileEnded(end->playlist_entry_id, reason, error, end->playlist_insert_id,
                         end->playlist_insert_num_entries);
        break;
    }
    case MPV_EVENT_PROPERTY_CHANGE: {
        const auto* property = static_cast<const mpv_event_property*>(event.data);
        const bool present = property->format != MPV_FORMAT_NONE && property->data != nullptr;
        const double number = present && property->format == MPV_FORMAT_DOUBLE
                                  ? *static_cast<const double*>(property->data)
                                  : 0.0;
        const bool flag = present && property->format == MPV_FORMAT_FLAG &&
                          *static_cast<const int*>(property->data) != 0;
        const QString text = present && property->format == MPV_FORMAT_STRING
                                 ? QString::fromUtf8(*static_cast<char* const*>(property->data))
                                 : QString();
        switch (event.reply_userdata) {
        case kObservePause:
            Q_EMIT pausedChanged(flag);
            break;
        case kObserveTimePos:
            Q_EMIT positionChanged(number);
            break;
        case kObserveDuration:
            m_duration = number;
            Q_EMIT durationChanged(number);
            break;
        case kObserveIdle:
            Q_EMIT idleChanged(flag);
            break;
        case kObserveTitle:
            Q_EMIT titleChanged(text);
            break;
        case kObserveArtist:
            Q_EMIT artistChanged(text);
            break;
        case kObserveVolume:
            Q_EMIT volumeChanged(number);
            break;
        case kObserveMute:
            Q_EMIT mutedChanged(flag);
            break;
        default:
            break;
        }
        break;
    }
    default:
        break;
    }
}

bool MpvSession::check(int status)
{
    if (status >= 0)
        return true;
    m_lastError = QString::fromUtf8(api().error_string(status));
    return false;
}

bool MpvSession::loadFile(const QString& absolutePath, qint64& entryId)
{
    return loadFile(absolutePath, cmd::kReplace, entryId);
}

bool MpvSession::appendFile(const QString& absolutePath, qint64& entryId)
{
    return loadFile(absolutePath, cmd::kAppend, entryId);
}

bool MpvSession::loadPicture(const QString& absolutePath, QSize box, qint64& entryId)
{
    return loadPicture(absolutePath, box, cmd::kReplace, entryId);
}

bool MpvSession::appendPicture(const QString& absolutePath, QSize box, qint64& entryId)
{
    return loadPicture(absolutePath, box, cmd::kAppend, entryId);
}

bool MpvSession::loadPicture(const QString& absolutePath, QSize box, const char* mode,
                             qint64& entryId)
{
    if (!PicturePreloader::isJpegName(absolutePath) || !absolutePath.startsWith(u'/'))
        return loadFile(absolutePath, mode, entryId);
    return loadUrl(m_pictures->prepare(absolutePath, box), mode, entryId);
}

bool MpvSession::loadFile(const QString& absolutePath, const char* mode, qint64& entryId)
{
    entryId = -1;
    if (!absolutePath.startsWith(u'/')) {
        m_lastError = QStringLiteral("not an absolute path");
        return false;
    }
    return loadUrl(absolutePath.toUtf8(), mode, entryId);
}

bool MpvSession::loadUrl(const QByteArray& url, const char* mode, qint64& entryId)
{
    entryId = -1;
    const char* args[] = {cmd::kLoadFile, url.constData(), mode, nullptr};
    mpv_node result{};
    if (!check(api().command_ret(m_handle, args, &result)))
        return false;
    if (result.format == MPV_FORMAT_NODE_MAP && result.u.list != nullptr) {
        const mpv_node_list& map = *result.u.list;
        for (int i = 0; i < map.num; ++i) {
            if (std::strcmp(map.keys[i], "playlist_entry_id") == 0 &&
                map.values[i].format == MPV_FORMAT_INT64)
                entryId = map.values[i].u.int64;
        }
    }
    api().free_node_contents(&result);
    return true;
}

bool MpvSession::stop()
{
    const char* args[] = {cmd::kStop, nullptr};
    return check(api().command(m_handle, args));
}

bool MpvSession::setPaused(bool paused)
{
    int flag = paused ? 1 : 0;
    return check(api().set_property(m_handle, prop::kPause, MPV_FORMAT_FLAG, &flag));
}

bool MpvSession::setSpeed(double speed)
{
    return check(api().set_property(m_handle, prop::kSpeed, MPV_FORMAT_DOUBLE, &speed));
}

bool MpvSession::setVolume(double percent)
{
    return check(api().set_property(m_handle, prop::kVolume, MPV_FORMAT_DOUBLE, &percent));
}

bool MpvSession::setMuted(bool muted)
{
    int flag = muted ? 1 : 0;
    return check(api().set_property(m_handle, prop::kMute, MPV_FORMAT_FLAG, &flag));
}

bool MpvSession::seekBy(double seconds)
{
    // mpv reads the number as text; LC_NUMERIC is "C" while a session exists.
    const QByteArray amount = QByteArray::number(seconds, 'f', 3);
    const char* args[] = {cmd::kSeek, amount.constData(), cmd::kRelative, nullptr};
    return check(api().command(m_handle, args));
}

bool MpvSession::setImageDuration(double seconds)
{
    m_imageSeconds = seconds;
    return applyImageDuration();
}

bool MpvSession::setImageLead(double seconds)
{
    m_imageLead = seconds;
    return applyImageDuration();
}

bool MpvSession::applyImageDuration()
{
    // mpv counts a picture's time from its first frame and takes a little more to show the
    // next one; that much less is asked of it. The lead never eats more than a fifth.
    const double lead = std::clamp(m_imageLead, 0.0, m_imageSeconds / 5.0);
    double seconds = m_imageSeconds - lead;
    return check(api().set_property(m_handle, prop::kImageDuration, MPV_FORMAT_DOUBLE, &seconds));
}

bool MpvSession::clearQueue()
{
    const char* args[] = {cmd::kPlaylistClear, nullptr};
    return check(api().command(m_handle, args));
}

bool MpvSession::flagProperty(const char* name) const
{
    int flag = 0;
    return api().get_property(m_handle, name, MPV_FORMAT_FLAG, &flag) >= 0 && flag != 0;
}

bool MpvSession::showsStillImage() const
{
    return flagProperty(prop::kVideoIsImage) && !flagProperty(prop::kVideoIsCoverArt);
}

bool MpvSession::showsPicture() const
{
    qint64 id = 0;
    const bool hasVideo =
        api().get_property(m_handle, prop::kVideoId, MPV_FORMAT_INT64, &id) >= 0 && id > 0;
    return hasVideo && !flagProperty(prop::kVideoIsCoverArt);
}

bool MpvSession::seekTo(double seconds)
{
    return check(api().set_property(m_handle, prop::kTimePos, MPV_FORMAT_DOUBLE, &seconds));
}

QString MpvSession::currentAudioOutput() const
{
    char* value = api().get_property_string(m_handle, prop::kCurrentAo);
    if (value == nullptr)
        return {};
    const QString text = QString::fromUtf8(value);
    api().free(value);
    return text;
}

} // namespace vantoro
