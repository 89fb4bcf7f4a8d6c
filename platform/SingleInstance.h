#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

namespace vantoro {

// A per-user named lock: a lock file under $XDG_RUNTIME_DIR (else the temporary folder) held
// with flock() for the life of the object. The kernel drops the lock when the process ends in
// any way, SIGKILL included, so a later start is never blocked by a dead copy.
class NamedInstanceLock
{
public:
    explicit NamedInstanceLock(const QString& name);
    ~NamedInstanceLock();
    NamedInstanceLock(const NamedInstanceLock&) = delete;
    NamedInstanceLock& operator=(const NamedInstanceLock&) = delete;

    // True when this process now holds the lock; false when another process holds it (or the
    // lock file cannot be opened, which counts as "another copy runs" to stay on the safe side).
    bool tryAcquire();
    bool isHeld() const { return m_held; }
    QString lockFilePath() const { return m_path; }

private:
    QString m_path;
    int m_fd = -1;
    bool m_held = false;
};

// The per-user local socket of a running copy. The first copy listens; a second copy sends one
// request ("come forward") and ends.
class InstanceChannel final : public QObject
{
    Q_OBJECT

public:
    explicit InstanceChannel(const QString& name, QObject* parent = nullptr);

    // First copy, while holding the lock: any socket file left by a killed copy is stale and is
    // removed before listening.
    bool listen();
    // Second copy: asks the running copy to come forward; true when the request was delivered.
    bool requestForeground(int timeoutMs = 2000);
    // Second copy: hands the running copy a playlist (an absolute path) to play.
    bool requestPlay(const QString& playlist, int timeoutMs = 2000);

    static QString socketName(const QString& name);

Q_SIGNALS:
    void foregroundRequested();
    void playRequested(const QString& playlist);

private:
    void acceptPending();
    bool send(const QByteArray& request, int timeoutMs);

    QString m_name;
    QLocalServer* m_server = nullptr;
};

} // namespace vantoro
