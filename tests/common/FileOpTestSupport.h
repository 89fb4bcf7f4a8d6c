#pragma once

#include "fileops/FileOperationEngine.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>

#include <sys/mount.h>
#include <sys/types.h>

namespace vantoro::test {

// Writes a file by its path bytes, with a fixed modification time and permission bits.
void makeFile(const QByteArray& path, const QByteArray& contents, time_t mtime = 1500000000,
              mode_t mode = 0644);
// Contents of a file by its path bytes; empty when it cannot be read.
QByteArray fileContents(const QByteArray& path);
bool pathExists(const QByteArray& path);
// Every name in a folder, hidden ones included, sorted.
QList<QByteArray> folderEntries(const QByteArray& path);
QByteArray patternBytes(qint64 size, int seed);

FileOperationRequest makeRequest(FileOperationCode operation, const QStringList& sources,
                                 const QString& destination = {}, quint16 flags = 0);

// The Trash of the test's private XDG_DATA_HOME.
QString homeTrash();
// Runs a program and answers its exit code (-1 when it could not run); output is collected.
int runProgram(const QString& program, const QStringList& arguments, QByteArray* output = nullptr,
               int timeoutMs = 60000);
// Runs strace with `arguments` (a program under injected faults) as runProgram does. LeakSanitizer
// cannot work in a traced process and ends it with an error: the traced program runs without the
// leak check.
int runUnderStrace(const QStringList& arguments, QByteArray* output = nullptr,
                   int timeoutMs = 60000);

// A mount made for one test and removed with it.
class Mount
{
public:
    Mount() = default;
    ~Mount()
    {
        if (!m_target.isEmpty())
            ::umount2(m_target.constData(), MNT_DETACH);
    }
    Mount(const Mount&) = delete;
    Mount& operator=(const Mount&) = delete;

    bool tmpfs(const QByteArray& target, int kilobytes = 1024)
    {
        const QByteArray options = "size=" + QByteArray::number(kilobytes) + "k";
        return adopt(target, ::mount("tmpfs", target.constData(), "tmpfs", 0, options.constData()));
    }
    bool readOnlyBind(const QByteArray& source, const QByteArray& target)
    {
        if (!adopt(target,
                   ::mount(source.constData(), target.constData(), nullptr, MS_BIND, nullptr)))
            return false;
        return ::mount(nullptr, target.constData(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY,
                       nullptr) == 0;
    }
    // A fresh ext4 file system in an image file, loop-mounted.
    bool ext4(const QByteArray& image, const QByteArray& target)
    {
        QFile file(QFile::decodeName(image));
        if (!file.open(QIODevice::WriteOnly) || !file.resize(32 * 1024 * 1024))
            return false;
        file.close();
        if (test::runProgram(QStringLiteral("mkfs.ext4"),
                             {QStringLiteral("-q"), QStringLiteral("-F"), file.fileName()}) != 0)
            return false;
        if (test::runProgram(QStringLiteral("mount"),
                             {QStringLiteral("-o"), QStringLiteral("loop"), file.fileName(),
                              QFile::decodeName(target)}) != 0)
            return false;
        m_target = target;
        return true;
    }

private:
    bool adopt(const QByteArray& target, int rc)
    {
        if (rc == 0)
            m_target = target;
        return rc == 0;
    }
    QByteArray m_target;
};

} // namespace vantoro::test
