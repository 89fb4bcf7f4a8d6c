#include "platform/SingleInstance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QRegularExpression>
#include <QThread>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace vantoro {

namespace {

constexpr char kForegroundRequest[] = "foreground\n";
// "play " and the playlist's path, percent-encoded so that it stays on one line.
constexpr char kPlayRequest[] = "play ";
// Longest request line accepted: a path of PATH_MAX bytes, each percent-encoded.
constexpr qint64 kMaxRequestLine = 3 * 4096 + 16;

// File names made from the application title: anything but letters, digits, '.', '-' and '_'
// becomes '_'.
QString safeName(const QString& name)
{
    QString safe = name.left(255);
    static const QRegularExpression unsafe(QStringLiteral("[^A-Za-z0-9._-]"));
    safe.replace(unsafe, QStringLiteral("_"));
    return safe;
}

QString runtimeFolder()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir(runtime).exists())
        return runtime;
    return QDir::tempPath();
}

} // namespace

NamedInstanceLock::NamedInstanceLock(const QString& name)
    : m_path(runtimeFolder() + QStringLiteral("/") + safeName(name) +
             QStringLiteral("-%1.lock").arg(::getuid()))
{}

NamedInstanceLock::~NamedInstanceLock()
{
    if (m_fd >= 0)
        ::close(m_fd); // releases the lock; the file itself stays for the next start
}

bool NamedInstanceLock::tryAcquire()
{
    if (m_held)
        return true;
    if (m_fd < 0)
        m_fd = ::open(QFile::encodeName(m_path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (m_fd < 0)
        return false;
    m_held = ::flock(m_fd, LOCK_EX | LOCK_NB) == 0;
    return m_held;
}

InstanceChannel::InstanceChannel(const QString& name, QObject* parent)
    : QObject(parent), m_name(socketName(name))
{}

QString InstanceChannel::socketName(const QString& name)
{
    return runtimeFolder() + QStringLiteral("/") + safeName(name) +
           QStringLiteral("-%1.socket").arg(::getuid());
}

bool InstanceChannel::listen()
{
    QLocalServer::removeServer(m_name);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &InstanceChannel::acceptPending);
    return m_server->listen(m_name);
}

void InstanceChannel::acceptPending()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            // Requests are single lines; anything else is ignored.
            while (socket->canReadLine()) {
                const QByteArray line = socket->readLine(kMaxRequestLine + 1);
                if (line == kForegroundRequest) {
                    Q_EMIT foregroundRequested();
                } else if (line.startsWith(kPlayRequest) && line.endsWith('\n')) {
                    const QByteArray encoded = line.mid(sizeof kPlayRequest - 1).chopped(1);
                    const QString path =
                        QFile::decodeName(QByteArray::fromPercentEncoding(encoded));
                    if (path.startsWith(u'/'))
                        Q_EMIT playRequested(path);
                }
            }
            if (socket->bytesAvailable() > kMaxRequestLine)
                socket->abort();
        });
    }
}

bool InstanceChannel::requestForeground(int timeoutMs)
{
    return send(kForegroundRequest, timeoutMs);
}

bool InstanceChannel::requestPlay(const QString& playlist, int timeoutMs)
{
    return send(kPlayRequest + QFile::encodeName(playlist).toPercentEncoding() + '\n', timeoutMs);
}

bool InstanceChannel::send(const QByteArray& request, int timeoutMs)
{
    // A copy started a moment earlier may hold the lock and not yet listen: try until the
    // deadline.
    QLocalSocket socket;
    QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        socket.connectToServer(m_name);
        if (socket.waitForConnected(100))
            break;
        socket.abort();
        if (deadline.hasExpired())
            return false;
        QThread::msleep(50);
    }
    socket.write(request);
    const bool sent = socket.waitForBytesWritten(timeoutMs);
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(timeoutMs);
    return sent;
}

} // namespace vantoro
