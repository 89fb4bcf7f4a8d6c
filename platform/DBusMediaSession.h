#pragma once

#include "platform/MediaSession.h"

#include <QObject>
#include <QString>
#include <QVariantMap>

#include <memory>

namespace vantoro {

class MprisRootAdaptor;
class MprisPlayerAdaptor;

// The media-player session on the D-Bus session bus (MPRIS 2): while open, the program owns
// org.mpris.MediaPlayer2.vantoro (another name with ".instance<pid>" appended when that one is
// taken) with the object /org/mpris/MediaPlayer2 and its two interfaces, so that media keys,
// the desktop's sound menu and playerctl see and drive the player. The bus is reached only on
// open(), never at start-up. Without a session bus it silently does nothing.
class DBusMediaSession final : public QObject, public MediaSession
{
    Q_OBJECT
public:
    // `serviceSuffix` names the bus name after org.mpris.MediaPlayer2. ("vantoro").
    explicit DBusMediaSession(QString serviceSuffix = QStringLiteral("vantoro"),
                              QObject* parent = nullptr);
    ~DBusMediaSession() override;

    void open(MediaSessionControls& controls) override;
    void update(const MediaSessionState& state) override;
    void seeked(qint64 positionUs) override;
    void close() override;

    bool isOpen() const { return m_open; }
    QString busName() const { return m_busName; }

    // Read by the adaptors.
    const MediaSessionState& state() const { return m_state; }
    MediaSessionControls* controls() const { return m_controls; }
    QVariantMap metadata() const;
    static QString statusText(MediaSessionState::Status status);

private:
    void announce(const QString& interfaceName, const QVariantMap& changed);

    QString m_suffix;
    QString m_busName;
    bool m_open = false;
    MediaSessionControls* m_controls = nullptr;
    MediaSessionState m_state;
    QObject* m_object = nullptr; // carries the two adaptors while open
};

} // namespace vantoro
