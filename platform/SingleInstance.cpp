#include "platform/SingleInstance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QRegularExpression>
#include <QThread>
#include <QVariant>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vantoro {

namespace {

constexpr char kForegroundRequest[] = "foreground\n";
// "play " and the playlist's path, percent-encoded so that it stays on one line.
constexpr char kPlayRequest[] = "play ";
// "activation-token " and the token, percent-encoded, ahead of a request.
constexpr char kActivationTokenLine[] = "activation-token ";
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

// A folder of this user's that nobody else may enter.
bool isActivationToken(const QByteArray& token)
{
    return !token.isEmpty() && token.size() <= InstanceChannel::kMaxActivationToken &&
           std::all_of(token.begin(), token.end(), [](char c) { return c > 0x20 && c < 0x7f; });
}

bool isPrivateFolder(const QByteArray& path)
{
    struct stat st
    {
    };
    return ::stat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() &&
           (st.st_mode & 077) == 0;
}

} // namespace

QString instanceFolder()
{
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && isPrivateFolder(runtime))
        return QFile::decodeName(runtime);
    QByteArray cache = qgetenv("XDG_CACHE_HOME");
    if (cache.isEmpty() || !cache.startsWith('/')) {
        const QByteArray home = qgetenv("HOME");
        if (home.isEmpty())
            return {};
        cache = home + "/.cache";
    }
    QDir().mkpath(QFile::decodeName(cache));
    const QByteArray folder = cache + "/vantoro";
    if (::mkdir(folder.constData(), 0700) != 0 && errno != EEXIST)
        return {};
    return isPrivateFolder(folder) ? QFile::decodeName(folder) : QString();
}

NamedInstanceLock::NamedInstanceLock(const QString& name)
{
    const QString folder = instanceFolder();
    if (!folder.isEmpty())
        m_path = folder + QStringLiteral("/") + safeName(name) +
                 QStringLiteral("-%1.lock").arg(::geteuid());
}

NamedInstanceLock::~NamedInstanceLock()
{
    if (m_fd >= 0)
        ::close(m_fd); // releases the lock; the file itself stays for the next start
}

NamedInstanceLock::Outcome NamedInstanceLock::failed(const QString& why)
{
    m_failure = why;
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    return Outcome::Failed;
}

NamedInstanceLock::Outcome NamedInstanceLock::acquire()
{
    if (m_held)
        return Outcome::Acquired;
    m_failure.clear();
    if (m_path.isEmpty()) {
        return failed(QStringLiteral("no private folder for the lock file: $XDG_RUNTIME_DIR is "
                                     "not usable and the cache folder cannot be made"));
    }
    const auto describe = [this](int err) {
        return QStringLiteral("%1: %2").arg(m_path, QString::fromLocal8Bit(std::strerror(err)));
    };
    if (m_fd < 0) {
        m_fd = ::open(QFile::encodeName(m_path).constData(),
                      O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
        if (m_fd < 0)
            return failed(describe(errno));
        struct stat st
        {
        };
        if (::fstat(m_fd, &st) != 0)
            return failed(describe(errno));
        if (!S_ISREG(st.st_mode))
            return failed(QStringLiteral("%1: not a regular file").arg(m_path));
        if (st.st_uid != ::geteuid())
            return failed(QStringLiteral("%1: belongs to another user").arg(m_path));
    }
    if (::flock(m_fd, LOCK_EX | LOCK_NB) == 0) {
        m_held = true;
        return Outcome::Acquired;
    }
    if (errno == EWOULDBLOCK)
        return Outcome::HeldElsewhere;
    return failed(describe(errno));
}

InstanceChannel::InstanceChannel(const QString& name, QObject* parent)
    : QObject(parent), m_name(socketName(name))
{}

QString InstanceChannel::socketName(const QString& name)
{
    return instanceFolder() + QStringLiteral("/") + safeName(name) +
           QStringLiteral("-%1.socket").arg(::geteuid());
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
                if (line.startsWith(kActivationTokenLine) && line.endsWith('\n')) {
                    const QByteArray token = QByteArray::fromPercentEncoding(
                        line.mid(sizeof kActivationTokenLine - 1).chopped(1));
                    socket->setProperty("activationToken",
                                        isActivationToken(token) ? token : QByteArray());
                } else if (line == kForegroundRequest) {
                    emitActivationToken(socket);
                    Q_EMIT foregroundRequested();
                } else if (line.startsWith(kPlayRequest) && line.endsWith('\n')) {
                    const QByteArray encoded = line.mid(sizeof kPlayRequest - 1).chopped(1);
                    const QString path =
                        QFile::decodeName(QByteArray::fromPercentEncoding(encoded));
                    if (path.startsWith(u'/')) {
                        emitActivationToken(socket);
                        Q_EMIT playRequested(path);
                    }
                }
            }
            if (socket->bytesAvailable() > kMaxRequestLine)
                socket->abort();
        });
    }
}

void InstanceChannel::emitActivationToken(QObject* socket)
{
    const QByteArray token = socket->property("activationToken").toByteArray();
    if (token.isEmpty())
        return;
    socket->setProperty("activationToken", QVariant()); // a token is good for one activation
    Q_EMIT activationTokenReceived(token);
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
    const QByteArray message =
        isActivationToken(m_activationToken)
            ? kActivationTokenLine + m_activationToken.toPercentEncoding() + '\n' + request
            : request;
    for (;;) {
        socket.connectToServer(m_name);
        if (socket.waitForConnected(100))
            break;
        socket.abort();
        if (deadline.hasExpired())
            return false;
        QThread::msleep(50);
    }
    socket.write(message);
    const bool sent = socket.waitForBytesWritten(timeoutMs);
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(timeoutMs);
    return sent;
}

} // namespace vantoro
