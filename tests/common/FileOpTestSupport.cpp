#include "common/FileOpTestSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>

#include <algorithm>
#include <stdexcept>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vantoro::test {

void makeFile(const QByteArray& path, const QByteArray& contents, time_t mtime, mode_t mode)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        throw std::runtime_error("cannot create " + path.toStdString());
    qint64 done = 0;
    while (done < contents.size()) {
        const ssize_t n = ::write(fd, contents.constData() + done, size_t(contents.size() - done));
        if (n <= 0) {
            ::close(fd);
            throw std::runtime_error("cannot write " + path.toStdString());
        }
        done += n;
    }
    ::fchmod(fd, mode);
    const struct timespec times[2] = {{mtime, 0}, {mtime, 0}};
    ::futimens(fd, times);
    ::close(fd);
}

QByteArray fileContents(const QByteArray& path)
{
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return {};
    QByteArray all;
    char buffer[65536];
    ssize_t n;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0)
        all.append(buffer, n);
    ::close(fd);
    return all;
}

bool pathExists(const QByteArray& path)
{
    struct stat st;
    return ::lstat(path.constData(), &st) == 0;
}

QList<QByteArray> folderEntries(const QByteArray& path)
{
    QList<QByteArray> names;
    if (DIR* dir = ::opendir(path.constData())) {
        while (const dirent* entry = ::readdir(dir)) {
            const QByteArray name(entry->d_name);
            if (name != "." && name != "..")
                names.append(name);
        }
        ::closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

QByteArray patternBytes(qint64 size, int seed)
{
    QByteArray bytes((size + 3) / 4 * 4, Qt::Uninitialized);
    QRandomGenerator generator(quint32(seed) + 1);
    generator.fillRange(reinterpret_cast<quint32*>(bytes.data()), bytes.size() / 4);
    bytes.truncate(size);
    return bytes;
}

FileOperationRequest makeRequest(FileOperationCode operation, const QStringList& sources,
                                 const QString& destination, quint16 flags)
{
    FileOperationRequest request;
    request.operation = operation;
    request.sources = sources;
    request.destination = destination;
    request.flags = flags;
    return request;
}

QString homeTrash()
{
    return qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/Trash");
}

namespace {

int runIn(QProcess& process, const QString& program, const QStringList& arguments,
          QByteArray* output, int timeoutMs)
{
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForStarted(10000))
        return -1;
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        return -1;
    }
    if (output)
        *output = process.readAll();
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

} // namespace

int runProgram(const QString& program, const QStringList& arguments, QByteArray* output,
               int timeoutMs)
{
    QProcess process;
    return runIn(process, program, arguments, output, timeoutMs);
}

int runUnderStrace(const QStringList& arguments, QByteArray* output, int timeoutMs)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    const QString asan = environment.value(QStringLiteral("ASAN_OPTIONS"));
    environment.insert(QStringLiteral("ASAN_OPTIONS"),
                       asan + (asan.isEmpty() ? "" : ":") + QStringLiteral("detect_leaks=0"));
    QProcess process;
    process.setProcessEnvironment(environment);
    return runIn(process, QStringLiteral("strace"), arguments, output, timeoutMs);
}

} // namespace vantoro::test
