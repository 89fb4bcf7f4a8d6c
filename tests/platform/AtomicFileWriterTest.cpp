#include "platform/AtomicFileWriter.h"

#include "common/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace vantoro;
using vantoro::test::readFileBytes;
using vantoro::test::writeFileBytes;

namespace {

QStringList folderEntries(const QString& path)
{
    return QDir(path).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

TEST(AtomicFileWriter, ReplacesTheFileOnlyAtCommitAndKeepsItsPermissions)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("list.asx"));
    writeFileBytes(path, "old");
    ::chmod(QFile::encodeName(path).constData(), 0640);

    AtomicFileWriter writer(path);
    ASSERT_TRUE(writer.begin());
    ASSERT_EQ(writer.write("new contents"), 12);
    EXPECT_EQ(readFileBytes(path), "old") << "nothing may change before commit";
    ASSERT_TRUE(writer.commit());
    EXPECT_EQ(readFileBytes(path), "new contents");
    struct stat st
    {
    };
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(folderEntries(dir.path()), QStringList{QStringLiteral("list.asx")});
}

TEST(AtomicFileWriter, AbandonedWriteLeavesOldFileAndNoTemporary)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.ini"));
    writeFileBytes(path, "old");
    {
        AtomicFileWriter writer(path);
        ASSERT_TRUE(writer.begin());
        writer.write("half");
    }
    EXPECT_EQ(readFileBytes(path), "old");
    EXPECT_EQ(folderEntries(dir.path()), QStringList{QStringLiteral("a.ini")});
}

TEST(AtomicFileWriter, WritesThroughASymbolicLink)
{
    QTemporaryDir dir;
    const QString real = dir.filePath(QStringLiteral("real.ini"));
    const QString link = dir.filePath(QStringLiteral("link.ini"));
    writeFileBytes(real, "old");
    ASSERT_TRUE(QFile::link(real, link));
    ASSERT_EQ(AtomicFileWriter::writeWhole(link, "new"), 0);
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(readFileBytes(real), "new");
}

TEST(AtomicFileWriter, ReportsFailuresWithTheirErrno)
{
    QTemporaryDir dir;
    EXPECT_EQ(AtomicFileWriter::writeWhole(dir.filePath(QStringLiteral("none/x")), "x"), ENOENT);
    EXPECT_EQ(AtomicFileWriter::writeWhole(dir.path(), "x"), EISDIR);
    writeFileBytes(dir.filePath(QStringLiteral("file")), "x");
    EXPECT_EQ(AtomicFileWriter::writeWhole(dir.filePath(QStringLiteral("file/x")), "x"), ENOTDIR);
}

TEST(AtomicFileWriter, FullDiskFailsWithoutTouchingTheOldFile)
{
    test::SmallTmpfs disk(256);
    if (!disk.isMounted())
        GTEST_SKIP() << "needs root to mount a small tmpfs";
    const QString path = disk.path() + QStringLiteral("/big.asx");
    const QByteArray old(100 * 1024, 'o');
    writeFileBytes(path, old);
    // More than the space left: the first short write must already count as a failure.
    AtomicFileWriter writer(path);
    ASSERT_TRUE(writer.begin());
    const QByteArray data(200 * 1024, 'n');
    EXPECT_EQ(writer.write(data), -1);
    EXPECT_FALSE(writer.commit());
    EXPECT_EQ(writer.error(), ENOSPC);
    EXPECT_EQ(readFileBytes(path), old);
    EXPECT_EQ(folderEntries(disk.path()), QStringList{QStringLiteral("big.asx")});
}

// A process killed at any moment leaves the old file or the new one, never a torn one.
TEST(AtomicFileWriter, KilledWriterNeverLeavesATornFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("list.asx"));
    const QByteArray a(512 * 1024, 'a');
    const QByteArray b(512 * 1024, 'b');
    writeFileBytes(path, a);
    for (int round = 0; round < 25; ++round) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (int i = 0;; ++i) {
                AtomicFileWriter writer(path);
                if (!writer.begin())
                    ::_exit(1);
                const QByteArray& data = (i % 2) ? a : b;
                for (qsizetype at = 0; at < data.size(); at += 4096)
                    writer.write(data.constData() + at, 4096);
                writer.commit();
            }
        }
        ::usleep(1000 + QRandomGenerator::global()->bounded(30000));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        const QByteArray now = readFileBytes(path);
        ASSERT_TRUE(now == a || now == b)
            << "torn file in round " << round << ", size " << now.size();
    }
}

} // namespace
