#pragma once

#include <QObject>
#include <QString>

class QSocketNotifier;

namespace vantoro {

// The folder of the user's instance locks and sockets: $XDG_RUNTIME_DIR when it is a folder of
// this user's that no one else may enter, else "vantoro" in the user's cache folder
// ($XDG_CACHE_HOME, default ~/.cache), made with mode 0700 when missing. Never a folder shared
// with other users, where anyone could plant a file that blocks the start. Empty when there is no
// such folder.
QString instanceFolder();

// A per-user named lock: a lock file "<name>-<uid>.lock" in instanceFolder() held with flock()
// for the life of the object. The kernel drops the lock when the process ends in any way, SIGKILL
// included, so a later start is never blocked by a dead copy. The file is opened without
// following a symbolic link and must be a regular file of this user.
class NamedInstanceLock
{
public:
    enum class Outcome { Acquired, HeldElsewhere, Failed };

    explicit NamedInstanceLock(const QString& name);
    ~NamedInstanceLock();
    NamedInstanceLock(const NamedInstanceLock&) = delete;
    NamedInstanceLock& operator=(const NamedInstanceLock&) = delete;

    // Acquired: this process now holds the lock. HeldElsewhere: another copy holds it. Failed:
    // the lock file could not be used; failure() tells why.
    Outcome acquire();
    bool isHeld() const { return m_held; }
    QString lockFilePath() const { return m_path; }
    // What went wrong in the last Failed acquire(), naming the file; empty otherwise.
    QString failure() const { return m_failure; }

private:
    Outcome failed(const QString& why);

    QString m_path;
    QString m_failure;
    int m_fd = -1;
    bool m_held = false;
};

// The per-user local socket of a running copy. The first copy listens; a second copy sends one
// request ("come forward") and ends. The socket file lives in instanceFolder() with mode 0600, and
// the first copy answers only connections from processes of its own user.
class InstanceChannel final : public QObject
{
    Q_OBJECT

public:
    explicit InstanceChannel(const QString& name, QObject* parent = nullptr);
    ~InstanceChannel() override;

    // First copy, while holding the lock: any socket file left by a killed copy is stale and is
    // removed before listening.
    bool listen();
    bool isListening() const { return m_listener >= 0; }
    // Second copy: the activation token its launcher gave it (Wayland's xdg-activation, the
    // XDG_ACTIVATION_TOKEN variable), sent ahead of the next request so that the running copy
    // may use it to come forward. Empty: none is sent.
    void setActivationToken(const QByteArray& token) { m_activationToken = token; }
    // Second copy: asks the running copy to come forward; true when the request was delivered.
    bool requestForeground(int timeoutMs = 2000);
    // Second copy: hands the running copy a playlist (an absolute path) to play.
    bool requestPlay(const QString& playlist, int timeoutMs = 2000);

    static QString socketName(const QString& name);
    // An activation token is printable ASCII of at most this many bytes; others are dropped.
    static constexpr qsizetype kMaxActivationToken = 1024;

Q_SIGNALS:
    // First copy: the token a second copy sent, just before its request's own signal.
    void activationTokenReceived(const QByteArray& token);
    void foregroundRequested();
    void playRequested(const QString& playlist);

private:
    class Connection;

    void acceptPending();
    void serve(Connection& connection, const QByteArray& line);
    bool send(const QByteArray& request, int timeoutMs);

    QString m_name;
    QByteArray m_activationToken;
    int m_listener = -1;
    QSocketNotifier* m_listenerNotifier = nullptr;
};

} // namespace vantoro
