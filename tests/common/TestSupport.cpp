#include "common/TestSupport.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QThread>

#include <sys/mount.h>
#include <unistd.h>

#include <stdexcept>

namespace vantoro::test {

QByteArray readFileBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

void writeFileBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write test file " + path.toStdString());
}

bool waitUntil(const std::function<bool()>& done, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return done();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(2);
    }
    return true;
}

bool runningAsRoot()
{
    return ::geteuid() == 0;
}

SmallTmpfs::SmallTmpfs(int kilobytes)
{
    if (!runningAsRoot())
        return;
    QByteArray templ = QDir::tempPath().toLocal8Bit() + "/vantoro-tmpfs-XXXXXX";
    if (!::mkdtemp(templ.data()))
        return;
    m_path = QString::fromLocal8Bit(templ);
    const QByteArray options = "size=" + QByteArray::number(kilobytes) + "k";
    m_mounted = ::mount("tmpfs", templ.constData(), "tmpfs", 0, options.constData()) == 0;
    if (!m_mounted) {
        QDir().rmdir(m_path);
        m_path.clear();
    }
}

SmallTmpfs::~SmallTmpfs()
{
    if (m_mounted)
        ::umount2(m_path.toLocal8Bit().constData(), MNT_DETACH);
    if (!m_path.isEmpty())
        QDir(m_path).removeRecursively();
}

void SmallTmpfs::fill()
{
    QFile filler(m_path + QStringLiteral("/.filler"));
    if (!filler.open(QIODevice::WriteOnly))
        return;
    const QByteArray block(4096, 'x');
    while (filler.write(block) == block.size() && filler.flush()) {
    }
    // A short write leaves a few bytes free: take them one by one.
    while (filler.write("x", 1) == 1 && filler.flush()) {
    }
}

} // namespace vantoro::test
