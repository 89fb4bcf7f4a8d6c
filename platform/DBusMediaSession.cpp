#include "platform/DBusMediaSession.h"

#include <QCoreApplication>
#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QStringList>

#include <cmath>
#include <utility>

namespace vantoro {

namespace {

const QString kObjectPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString kRootInterface = QStringLiteral("org.mpris.MediaPlayer2");
const QString kPlayerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");

} // namespace

// org.mpris.MediaPlayer2: who the player is.
class MprisRootAdaptor final : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
    Q_PROPERTY(bool CanQuit READ CanQuit)
    Q_PROPERTY(bool CanRaise READ CanRaise)
    Q_PROPERTY(bool HasTrackList READ HasTrackList)
    Q_PROPERTY(QString Identity READ Identity)
    Q_PROPERTY(QString DesktopEntry READ DesktopEntry)
    Q_PROPERTY(QStringList SupportedUriSchemes READ SupportedUriSchemes)
    Q_PROPERTY(QStringList SupportedMimeTypes READ SupportedMimeTypes)
public:
    MprisRootAdaptor(QObject* object, DBusMediaSession& session)
        : QDBusAbstractAdaptor(object), m_session(session)
    {}
    bool CanQuit() const { return false; }
    bool CanRaise() const { return true; }
    bool HasTrackList() const { return false; }
    QString Identity() const { return QStringLiteral("Vantoro"); }
    QString DesktopEntry() const { return QStringLiteral("org.vantoro.Vantoro"); }
    QStringList SupportedUriSchemes() const { return {}; }
    QStringList SupportedMimeTypes() const { return {}; }

public Q_SLOTS:
    void Raise()
    {
        if (MediaSessionControls* c = m_session.controls())
            c->mediaRaise();
    }
    void Quit() {}

private:
    DBusMediaSession& m_session;
};

// org.mpris.MediaPlayer2.Player: the transport, what plays, and how fast.
class MprisPlayerAdaptor final : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
    Q_PROPERTY(QString PlaybackStatus READ PlaybackStatus)
    Q_PROPERTY(double Rate READ Rate WRITE setRate)
    Q_PROPERTY(QVariantMap Metadata READ Metadata)
    Q_PROPERTY(double Volume READ Volume WRITE setVolume)
    Q_PROPERTY(qlonglong Position READ Position)
    Q_PROPERTY(double MinimumRate READ MinimumRate)
    Q_PROPERTY(double MaximumRate READ MaximumRate)
    Q_PROPERTY(bool CanGoNext READ CanGoNext)
    Q_PROPERTY(bool CanGoPrevious READ CanGoPrevious)
    Q_PROPERTY(bool CanPlay READ CanPlay)
    Q_PROPERTY(bool CanPause READ CanPause)
    Q_PROPERTY(bool CanSeek READ CanSeek)
    Q_PROPERTY(bool CanControl READ CanControl)
public:
    MprisPlayerAdaptor(QObject* object, DBusMediaSession& session)
        : QDBusAbstractAdaptor(object), m_session(session)
    {}

    QString PlaybackStatus() const { return DBusMediaSession::statusText(state().status); }
    double Rate() const { return state().rate; }
    void setRate(double rate)
    {
        // A rate of 0 means pause; anything else is kept inside the player's range.
        if (!std::isfinite(rate))
            return;
        if (MediaSessionControls* c = m_session.controls()) {
            if (rate <= 0.0)
                c->mediaPause();
            else
                c->mediaSetRate(qBound(state().minimumRate, rate, state().maximumRate));
        }
    }
    QVariantMap Metadata() const { return m_session.metadata(); }
    double Volume() const { return state().volume; }
    void setVolume(double volume)
    {
        if (!std::isfinite(volume))
            return;
        if (MediaSessionControls* c = m_session.controls())
            c->mediaSetVolume(qBound(0.0, volume, 1.0));
    }
    qlonglong Position() const
    {
        const MediaSessionControls* c = m_session.controls();
        return c ? c->mediaPosition() : 0;
    }
    double MinimumRate() const { return state().minimumRate; }
    double MaximumRate() const { return state().maximumRate; }
    bool CanGoNext() const { return state().canGoNext; }
    bool CanGoPrevious() const { return state().canGoPrevious; }
    bool CanPlay() const { return state().entry > 0 || !state().url.isEmpty(); }
    bool CanPause() const { return CanPlay(); }
    bool CanSeek() const { return state().canSeek; }
    bool CanControl() const { return true; }

public Q_SLOTS:
    void Next() { call(&MediaSessionControls::mediaNext); }
    void Previous() { call(&MediaSessionControls::mediaPrevious); }
    void Pause() { call(&MediaSessionControls::mediaPause); }
    void PlayPause() { call(&MediaSessionControls::mediaPlayPause); }
    void Stop() { call(&MediaSessionControls::mediaStop); }
    void Play() { call(&MediaSessionControls::mediaPlay); }
    void Seek(qlonglong offset)
    {
        if (MediaSessionControls* c = m_session.controls(); c && state().canSeek)
            c->mediaSeekBy(offset);
    }
    void SetPosition(const QDBusObjectPath& trackId, qlonglong position)
    {
        // Only for the entry now playing, and only inside it.
        if (trackId.path() != m_session.metadata()
                                  .value(QStringLiteral("mpris:trackid"))
                                  .value<QDBusObjectPath>()
                                  .path())
            return;
        if (position < 0 || (state().lengthUs > 0 && position > state().lengthUs))
            return;
        if (MediaSessionControls* c = m_session.controls(); c && state().canSeek)
            c->mediaSetPosition(position);
    }
    void OpenUri(const QString&) {}

Q_SIGNALS:
    void Seeked(qlonglong position);

private:
    const MediaSessionState& state() const { return m_session.state(); }
    void call(void (MediaSessionControls::*action)())
    {
        if (MediaSessionControls* c = m_session.controls())
            (c->*action)();
    }

    DBusMediaSession& m_session;
};

DBusMediaSession::DBusMediaSession(QString serviceSuffix, QObject* parent)
    : QObject(parent), m_suffix(std::move(serviceSuffix))
{}

DBusMediaSession::~DBusMediaSession()
{
    close();
}

QString DBusMediaSession::statusText(MediaSessionState::Status status)
{
    switch (status) {
    case MediaSessionState::Status::Playing:
        return QStringLiteral("Playing");
    case MediaSessionState::Status::Paused:
        return QStringLiteral("Paused");
    case MediaSessionState::Status::Stopped:
        break;
    }
    return QStringLiteral("Stopped");
}

QVariantMap DBusMediaSession::metadata() const
{
    QVariantMap map;
    if (m_state.entry <= 0)
        return map;
    map.insert(QStringLiteral("mpris:trackid"),
               QVariant::fromValue(QDBusObjectPath(
                   QStringLiteral("/org/vantoro/Vantoro/Entry%1").arg(m_state.entry))));
    if (m_state.lengthUs > 0)
        map.insert(QStringLiteral("mpris:length"),
                   QVariant::fromValue(qlonglong(m_state.lengthUs)));
    if (!m_state.title.isEmpty())
        map.insert(QStringLiteral("xesam:title"), m_state.title);
    if (!m_state.url.isEmpty())
        map.insert(QStringLiteral("xesam:url"), m_state.url);
    return map;
}

void DBusMediaSession::open(MediaSessionControls& controls)
{
    close();
    m_controls = &controls;
    m_state = MediaSessionState();
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    m_object = new QObject(this);
    new MprisRootAdaptor(m_object, *this);
    new MprisPlayerAdaptor(m_object, *this);
    if (!bus.registerObject(kObjectPath, m_object)) {
        delete std::exchange(m_object, nullptr);
        return;
    }
    const QString base = QStringLiteral("org.mpris.MediaPlayer2.") + m_suffix;
    m_busName = base;
    if (!bus.registerService(m_busName)) {
        // Another player (another user's session shares no bus, so another copy or program)
        // holds the plain name: the MPRIS rules allow a per-process suffix.
        m_busName = base + QStringLiteral(".instance%1").arg(QCoreApplication::applicationPid());
        if (!bus.registerService(m_busName)) {
            bus.unregisterObject(kObjectPath);
            delete std::exchange(m_object, nullptr);
            m_busName.clear();
            return;
        }
    }
    m_open = true;
}

void DBusMediaSession::update(const MediaSessionState& state)
{
    const MediaSessionState old = m_state;
    const QVariantMap oldMetadata = metadata();
    m_state = state;
    if (!m_open)
        return;
    QVariantMap changed;
    if (old.status != state.status)
        changed.insert(QStringLiteral("PlaybackStatus"), statusText(state.status));
    if (old.rate != state.rate)
        changed.insert(QStringLiteral("Rate"), state.rate);
    if (old.volume != state.volume)
        changed.insert(QStringLiteral("Volume"), state.volume);
    if (old.minimumRate != state.minimumRate)
        changed.insert(QStringLiteral("MinimumRate"), state.minimumRate);
    if (old.maximumRate != state.maximumRate)
        changed.insert(QStringLiteral("MaximumRate"), state.maximumRate);
    if (old.canGoNext != state.canGoNext)
        changed.insert(QStringLiteral("CanGoNext"), state.canGoNext);
    if (old.canGoPrevious != state.canGoPrevious)
        changed.insert(QStringLiteral("CanGoPrevious"), state.canGoPrevious);
    if (old.canSeek != state.canSeek)
        changed.insert(QStringLiteral("CanSeek"), state.canSeek);
    const bool couldPlay = old.entry > 0 || !old.url.isEmpty();
    const bool canPlay = state.entry > 0 || !state.url.isEmpty();
    if (couldPlay != canPlay) {
        changed.insert(QStringLiteral("CanPlay"), canPlay);
        changed.insert(QStringLiteral("CanPause"), canPlay);
    }
    const QVariantMap newMetadata = metadata();
    if (newMetadata != oldMetadata)
        changed.insert(QStringLiteral("Metadata"), newMetadata);
    if (!changed.isEmpty())
        announce(kPlayerInterface, changed);
}

void DBusMediaSession::seeked(qint64 positionUs)
{
    if (!m_open)
        return;
    QDBusMessage signal =
        QDBusMessage::createSignal(kObjectPath, kPlayerInterface, QStringLiteral("Seeked"));
    signal << qlonglong(positionUs);
    QDBusConnection::sessionBus().send(signal);
}

void DBusMediaSession::announce(const QString& interfaceName, const QVariantMap& changed)
{
    QDBusMessage signal =
        QDBusMessage::createSignal(kObjectPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                   QStringLiteral("PropertiesChanged"));
    signal << interfaceName << changed << QStringList();
    QDBusConnection::sessionBus().send(signal);
}

void DBusMediaSession::close()
{
    if (m_open) {
        QDBusConnection bus = QDBusConnection::sessionBus();
        bus.unregisterService(m_busName);
        bus.unregisterObject(kObjectPath);
    }
    delete std::exchange(m_object, nullptr);
    m_open = false;
    m_busName.clear();
    m_controls = nullptr;
}

} // namespace vantoro

#include "DBusMediaSession.moc"
