#include "platform/AtomicFileWriter.h"

#include "common/TestSupport.h"
#include "common/Unprivileged.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <sys/file.h>
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

namespace {

bool folderTakesUnnamedFiles(const QString& folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_TMPFILE | O_WRONLY, 0600);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

mode_t modeOf(const QString& path)
{
    struct stat st
    {
    };
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

// Sets a file's modification time `seconds` into the past.
void age(const QString& path, int seconds)
{
    const timespec times[2] = {{::time(nullptr) - seconds, 0}, {::time(nullptr) - seconds, 0}};
    ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, AT_SYMLINK_NOFOLLOW);
}

TEST(AtomicFileWriter, RefusesToReplaceAFileTheUserMadeReadOnly)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("list.asx"));
    const QString dirPath = dir.path();
    const int status = test::runUnprivileged(dirPath, [&] {
        writeFileBytes(path, "the user's own\r\n");
        ::chmod(QFile::encodeName(path).constData(), 0444);
        const int error = AtomicFileWriter::writeWhole(path, "replacement");
        if (error != EACCES) {
            std::fprintf(stderr, "writeWhole answered %d, not EACCES\n", error);
            return 1;
        }
        AtomicFileWriter writer(path);
        if (writer.begin() || writer.error() != EACCES) {
            std::fprintf(stderr, "begin() did not refuse\n");
            return 2;
        }
        if (readFileBytes(path) != "the user's own\r\n" || modeOf(path) != 0444) {
            std::fprintf(stderr, "the read-only file changed\n");
            return 3;
        }
        if (folderEntries(dirPath) != QStringList{QStringLiteral("list.asx")}) {
            std::fprintf(stderr, "a temporary was left behind\n");
            return 4;
        }
        // Once the user allows it again, the file is written.
        ::chmod(QFile::encodeName(path).constData(), 0644);
        return AtomicFileWriter::writeWhole(path, "replacement") == 0 &&
                       readFileBytes(path) == "replacement"
                   ? 0
                   : 5;
    });
    EXPECT_EQ(status, 0);
}

TEST(AtomicFileWriter, WriterKilledBeforeCommitLeavesNoTemporary)
{
    QTemporaryDir dir;
    if (!folderTakesUnnamedFiles(dir.path()))
        GTEST_SKIP() << "the temporary folder's file system has no unnamed files";
    const QString path = dir.filePath(QStringLiteral("big.asx"));
    writeFileBytes(path, "old");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        AtomicFileWriter writer(path);
        if (!writer.begin() || !writer.writesUnnamed())
            ::_exit(1);
        const QByteArray data(4 * 1024 * 1024, 'n');
        writer.write(data);
        ::raise(SIGKILL);
        ::_exit(2);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the writer could not write an unnamed file";
    EXPECT_EQ(readFileBytes(path), "old");
    EXPECT_EQ(folderEntries(dir.path()), QStringList{QStringLiteral("big.asx")});
}

TEST(AtomicFileWriter, TemporaryNamesAreHiddenBoundedAndRecognised)
{
    const QByteArray name = AtomicFileWriter::temporaryNameFor("list.asx");
    EXPECT_TRUE(name.startsWith(".list.asx.vantoro-")) << name.constData();
    EXPECT_EQ(name.size(), 24);
    EXPECT_NE(name, AtomicFileWriter::temporaryNameFor("list.asx"));
    EXPECT_TRUE(AtomicFileWriter::isWriterTemporaryName(name));
    const QByteArray longName = AtomicFileWriter::temporaryNameFor(QByteArray(255, 'x'));
    EXPECT_EQ(longName.size(), 255);
    EXPECT_TRUE(AtomicFileWriter::isWriterTemporaryName(longName));

    // Earlier versions' temporaries of the program's own files.
    EXPECT_TRUE(AtomicFileWriter::isWriterTemporaryName(".Vantoro.INI.a1B2c3"));
    EXPECT_TRUE(AtomicFileWriter::isWriterTemporaryName(".playlist.tmp.Zz9Yy8"));
    EXPECT_TRUE(AtomicFileWriter::isWriterTemporaryName(".My Songs.ASX.q1w2e3"));
    // Other programs' files of a similar shape.
    for (const char* other :
         {".song.mp3.a1B2c3", ".asx.a1B2c3", "list.asx.vantoro-a1B2c3", ".list.asx.vantoro-a1B2c",
          ".list.asx.vantoro-a1B2c!", ".vantoro-a1B2c3", ".Vantoro.INI.swp", ".bashrc"})
        EXPECT_FALSE(AtomicFileWriter::isWriterTemporaryName(other)) << other;
}

TEST(AtomicFileWriter, StartUpSweepRemovesOnlyStaleUnlockedTemporariesOfTheProgram)
{
    QTemporaryDir dir;
    const auto make = [&](const char* name, int ageSeconds) {
        const QString path = dir.filePath(QString::fromLatin1(name));
        writeFileBytes(path, QByteArray(1000, 'x'));
        age(path, ageSeconds);
        return path;
    };
    const int hour = 3600;
    make(".list.asx.vantoro-a1B2c3", hour); // stale: removed
    make(".Vantoro.INI.k9J8h7", hour);      // an earlier version's: removed
    make(".list.asx.vantoro-Fresh1", 30);   // being written a moment ago: kept
    make(".song.mp3.a1B2c3", hour);         // not ours: kept
    make("list.asx", hour);                 // the real file: kept
    const QString locked = make(".list.asx.vantoro-Locked", hour);
    QDir(dir.path()).mkdir(QStringLiteral(".dir.asx.vantoro-a1B2c3"));
    const QString target = make("target", hour);
    ASSERT_TRUE(QFile::link(target, dir.filePath(QStringLiteral(".link.asx.vantoro-a1B2c3"))));

    // A writer still at work holds the lock on its temporary.
    const int lockFd = ::open(QFile::encodeName(locked).constData(), O_RDONLY);
    ASSERT_GE(lockFd, 0);
    ASSERT_EQ(::flock(lockFd, LOCK_EX), 0);
    EXPECT_EQ(removeStaleWriterTemporaries(dir.path()), 2);
    ::close(lockFd);

    QStringList expected = {QStringLiteral(".dir.asx.vantoro-a1B2c3"),
                            QStringLiteral(".link.asx.vantoro-a1B2c3"),
                            QStringLiteral(".list.asx.vantoro-Fresh1"),
                            QStringLiteral(".list.asx.vantoro-Locked"),
                            QStringLiteral(".song.mp3.a1B2c3"),
                            QStringLiteral("list.asx"),
                            QStringLiteral("target")};
    QStringList now = folderEntries(dir.path());
    now.sort();
    expected.sort();
    EXPECT_EQ(now, expected);
    // Unlocked now, it goes at the next start.
    EXPECT_EQ(removeStaleWriterTemporaries(dir.path()), 1);
    EXPECT_EQ(removeStaleWriterTemporaries(dir.filePath(QStringLiteral("missing"))), 0);
}

TEST(AtomicFileWriter, SweepLeavesOtherUsersTemporaries)
{
    if (!test::runningAsRoot())
        GTEST_SKIP() << "needs root to own a file as another user";
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral(".list.asx.vantoro-a1B2c3"));
    writeFileBytes(path, "someone else's");
    ASSERT_EQ(::chown(QFile::encodeName(path).constData(), test::unprivilegedUid(), 0), 0);
    age(path, 3600);
    EXPECT_EQ(removeStaleWriterTemporaries(dir.path()), 0);
    EXPECT_TRUE(QFile::exists(path));
}

} // namespace
