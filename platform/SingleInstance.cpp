#include "platform/SingleInstance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSocketNotifier>
#include <QThread>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <utility>

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

bool isActivationToken(const QByteArray& token)
{
    return !token.isEmpty() && token.size() <= InstanceChannel::kMaxActivationToken &&
           std::all_of(token.begin(), token.end(), [](char c) { return c > 0x20 && c < 0x7f; });
}

// The address of the socket file at `path`; false when the path does not fit in one.
bool socketAddress(const QString& path, sockaddr_un& address)
{
    const QByteArray encoded = QFile::encodeName(path);
    address = sockaddr_un{};
    address.sun_family = AF_UNIX;
    if (encoded.isEmpty() || static_cast<size_t>(encoded.size()) >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, encoded.constData(), static_cast<size_t>(encoded.size()));
    return true;
}

// A folder of this user's that nobody else may enter.
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

// One accepted connection of a second copy: the bytes read so far and the activation token that
// came ahead of its next request.
class InstanceChannel::Connection final : public QObject
{
public:
    Connection(int fd, InstanceChannel* channel)
        : QObject(channel), m_fd(fd), m_notifier(fd, QSocketNotifier::Read)
    {
        connect(&m_notifier, &QSocketNotifier::activated, this,
                [this, channel] { read(*channel); });
    }
    ~Connection() override
    {
        m_notifier.setEnabled(false);
        ::close(m_fd);
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    QByteArray takeActivationToken() { return std::exchange(m_activationToken, QByteArray()); }
    void setActivationToken(const QByteArray& token) { m_activationToken = token; }

private:
    void read(InstanceChannel& channel)
    {
        bool ended = false;
        for (;;) {
            char chunk[4096];
            const ssize_t n = ::read(m_fd, chunk, sizeof chunk);
            if (n > 0) {
                m_pending.append(chunk, n);
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            ended = n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK);
            break;
        }
        // Requests are single lines; anything else is ignored, and a line longer than any
        // request ends the connection.
        for (qsizetype end = m_pending.indexOf('\n'); end >= 0; end = m_pending.indexOf('\n')) {
            const QByteArray line = m_pending.left(end + 1);
            m_pending.remove(0, end + 1);
            if (line.size() <= kMaxRequestLine)
                channel.serve(*this, line);
        }
        if (ended || m_pending.size() > kMaxRequestLine) {
            m_notifier.setEnabled(false);
            deleteLater();
        }
    }

    int m_fd;
    QSocketNotifier m_notifier;
    QByteArray m_pending;
    QByteArray m_activationToken;
};

InstanceChannel::InstanceChannel(const QString& name, QObject* parent)
    : QObject(parent), m_name(socketName(name))
{}

InstanceChannel::~InstanceChannel()
{
    if (m_listener < 0)
        return;
    delete m_listenerNotifier;
    ::close(m_listener);
    ::unlink(QFile::encodeName(m_name).constData());
}

QString InstanceChannel::socketName(const QString& name)
{
    return instanceFolder() + QStringLiteral("/") + safeName(name) +
           QStringLiteral("-%1.socket").arg(::geteuid());
}

bool InstanceChannel::listen()
{
    if (m_listener >= 0)
        return true;
    sockaddr_un address{};
    if (!socketAddress(m_name, address))
        return false;
    // Only the copy holding the lock listens: a socket file found now was left by a killed copy.
    ::unlink(address.sun_path);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return false;
    }
    if (::chmod(address.sun_path, 0600) != 0 || ::listen(fd, SOMAXCONN) != 0) {
        ::close(fd);
        ::unlink(address.sun_path);
        return false;
    }
    m_listener = fd;
    m_listenerNotifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(m_listenerNotifier, &QSocketNotifier::activated, this, &InstanceChannel::acceptPending);
    return true;
}

void InstanceChannel::acceptPending()
{
    for (;;) {
        const int fd = ::accept4(m_listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            return; // EAGAIN: none left; anything else: try again at the next wake-up
        }
        // Only this user's own processes may ask anything of the running copy.
        ucred peer{};
        socklen_t size = sizeof peer;
        if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0 ||
            peer.uid != ::geteuid()) {
            ::close(fd);
            continue;
        }
        new Connection(fd, this);
    }
}

void InstanceChannel::serve(Connection& connection, const QByteArray& line)
{
    const auto emitActivationToken = [&] {
        // A token is good for one activation.
        const QByteArray token = connection.takeActivationToken();
        if (!token.isEmpty())
            Q_EMIT activationTokenReceived(token);
    };
    if (line.startsWith(kActivationTokenLine) && line.endsWith('\n')) {
        const QByteArray token =
            QByteArray::fromPercentEncoding(line.mid(sizeof kActivationTokenLine - 1).chopped(1));
        connection.setActivationToken(isActivationToken(token) ? token : QByteArray());
    } else if (line == kForegroundRequest) {
        emitActivationToken();
        Q_EMIT foregroundRequested();
    } else if (line.startsWith(kPlayRequest) && line.endsWith('\n')) {
        const QByteArray encoded = line.mid(sizeof kPlayRequest - 1).chopped(1);
        const QString path = QFile::decodeName(QByteArray::fromPercentEncoding(encoded));
        if (path.startsWith(u'/')) {
            emitActivationToken();
            Q_EMIT playRequested(path);
        }
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
    sockaddr_un address{};
    if (!socketAddress(m_name, address))
        return false;
    const QByteArray message =
        isActivationToken(m_activationToken)
            ? kActivationTokenLine + m_activationToken.toPercentEncoding() + '\n' + request
            : request;
    // A copy started a moment earlier may hold the lock and not yet listen: try until the
    // deadline.
    QDeadlineTimer deadline(timeoutMs);
    int fd = -1;
    for (;;) {
        fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd < 0)
            return false;
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0)
            break;
        ::close(fd);
        if (deadline.hasExpired())
            return false;
        QThread::msleep(50);
    }
    const QDeadlineTimer writing(timeoutMs);
    qsizetype written = 0;
    while (written < message.size()) {
        const ssize_t n = ::send(fd, message.constData() + written,
                                 static_cast<size_t>(message.size() - written), MSG_NOSIGNAL);
        if (n > 0) {
            written += n;
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            pollfd ready{fd, POLLOUT, 0};
            const auto left = static_cast<int>(writing.remainingTime());
            if (left == 0 || ::poll(&ready, 1, left) <= 0)
                break;
        } else {
            break;
        }
    }
    ::close(fd);
    return written == message.size();
}

} // namespace vantoro
