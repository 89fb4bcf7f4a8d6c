#include "platform/ShellFileOperation.h"

#include "FileOpFakes.h"
#include "FileOpTestSupport.h"
#include "common/TestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vantoro {
namespace {

using test::fileContents;
using test::folderEntries;
using test::makeFile;
using test::makeRequest;
using test::pathExists;
namespace Flag = FileOperationFlag;

#define REQUIRE_ROOT()                                                                             \
    if (!test::runningAsRoot())                                                                    \
    GTEST_SKIP() << "needs root to mount file systems and inject faults"

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

    bool tmpfs(const QByteArray& target, int kilobytes)
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

class FileOpFaultTest : public ::testing::Test
{
protected:
    QByteArray path(const QByteArray& relative) const { return m_root + '/' + relative; }
    QString qpath(const QByteArray& relative) const { return QFile::decodeName(path(relative)); }
    void mkdir(const QByteArray& relative) const
    {
        ASSERT_EQ(::mkdir(path(relative).constData(), 0755), 0);
    }
    // Runs the helper (under `wrapper`, e.g. strace or setpriv) and answers its output lines.
    QList<QByteArray> runHelper(const QStringList& wrapper, const QStringList& arguments)
    {
        QStringList command = wrapper;
        command << QStringLiteral(FILEOP_HELPER) << arguments;
        // LeakSanitizer cannot work in a process traced by strace and ends it with an error:
        // in a sanitizer build the traced helper runs without the leak check.
        const QByteArray asanOptions = qgetenv("ASAN_OPTIONS");
        const bool traced = !wrapper.isEmpty() && wrapper.first() == QLatin1String("strace");
        if (traced)
            qputenv("ASAN_OPTIONS",
                    asanOptions + (asanOptions.isEmpty() ? "" : ":") + "detect_leaks=0");
        QByteArray output;
        const int rc = test::runProgram(command.takeFirst(), command, &output, 120000);
        if (traced)
            qputenv("ASAN_OPTIONS", asanOptions);
        EXPECT_EQ(rc, 0) << output.data();
        return output.trimmed().split('\n');
    }

    QTemporaryDir m_dir{QDir::tempPath() + QStringLiteral("/vantoro-fault-XXXXXX")};
    QByteArray m_root = QFile::encodeName(m_dir.path());
    test::FakeFileOperationQuestions m_questions;
    test::FakeFileOperationProgress m_progress;
    ShellFileOperation m_engine{m_questions, m_progress};
};

TEST_F(FileOpFaultTest, DiskFullInMidCopyLeavesNoPartialFile)
{
    REQUIRE_ROOT();
    mkdir("src");
    mkdir("full");
    Mount mount;
    ASSERT_TRUE(mount.tmpfs(path("full"), 1024));
    const QByteArray big = test::patternBytes(3 * 1024 * 1024, 3);
    makeFile(path("src/big.avi"), big);
    makeFile(path("src/small.avi"), "small");
    for (const FileOperationCode code : {FileOperationCode::Copy, FileOperationCode::Move}) {
        SCOPED_TRACE(int(code));
        m_questions.errors.clear();
        const FileOperationResult result = m_engine.run(makeRequest(
            code, {qpath("src/big.avi"), qpath("src/small.avi")}, qpath("full"), Flag::kSilent));
        EXPECT_TRUE(result.anyOperationsAborted);
        ASSERT_EQ(m_questions.errors.size(), 1);
        EXPECT_EQ(m_questions.errors.at(0).errorCode, ENOSPC);
        EXPECT_EQ(m_questions.errors.at(0).path, qpath("src/big.avi"));
        // The cross-device move of the big file failed: its source stays whole.
        EXPECT_EQ(fileContents(path("src/big.avi")), big);
        EXPECT_EQ(folderEntries(path("full")), QList<QByteArray>({"small.avi"}));
        EXPECT_EQ(fileContents(path("full/small.avi")), "small");
        EXPECT_EQ(pathExists(path("src/small.avi")), code == FileOperationCode::Copy);
        ::unlink(path("full/small.avi").constData());
    }
}

TEST_F(FileOpFaultTest, CrossDeviceMoveThatFillsTheDiskKeepsEverySource)
{
    REQUIRE_ROOT();
    mkdir("src");
    mkdir("dst");
    Mount mount;
    ASSERT_TRUE(mount.tmpfs(path("dst"), 1024));
    QStringList sources;
    QList<QByteArray> contents;
    for (int i = 0; i < 4; ++i) {
        const QByteArray name = "part" + QByteArray::number(i);
        contents.append(test::patternBytes(300 * 1024, i));
        makeFile(path("src/") + name, contents.last());
        sources.append(QFile::decodeName(path("src/") + name));
    }
    m_questions.errorAnswer = ErrorChoice::Skip;
    EXPECT_TRUE(m_engine.run(makeRequest(FileOperationCode::Move, sources, qpath("dst")))
                    .anyOperationsAborted);
    // Each file is either moved complete or still complete at its source, never neither.
    int moved = 0;
    for (int i = 0; i < 4; ++i) {
        const QByteArray name = "part" + QByteArray::number(i);
        const bool atDestination = pathExists(path("dst/") + name);
        EXPECT_NE(atDestination, pathExists(path("src/") + name)) << name.data();
        EXPECT_EQ(fileContents((atDestination ? path("dst/") : path("src/")) + name),
                  contents.at(i));
        moved += atDestination;
    }
    EXPECT_GE(moved, 2);
    EXPECT_LT(moved, 4);
    EXPECT_EQ(folderEntries(path("dst")).size(), moved) << "no temporary left";
}

TEST_F(FileOpFaultTest, ReadOnlyDestination)
{
    REQUIRE_ROOT();
    mkdir("target");
    mkdir("ro");
    makeFile(path("target/old.avi"), "old");
    makeFile(path("new.avi"), "new");
    makeFile(path("old.avi"), "replacement");
    Mount mount;
    ASSERT_TRUE(mount.readOnlyBind(path("target"), path("ro")));
    for (const FileOperationCode code : {FileOperationCode::Copy, FileOperationCode::Move}) {
        m_questions.errors.clear();
        EXPECT_TRUE(m_engine
                        .run(makeRequest(code, {qpath("new.avi"), qpath("old.avi")}, qpath("ro"),
                                         Flag::kNoConfirmation))
                        .anyOperationsAborted);
        ASSERT_EQ(m_questions.errors.size(), 2);
        EXPECT_EQ(m_questions.errors.at(0).errorCode, EROFS);
        EXPECT_EQ(folderEntries(path("target")), QList<QByteArray>({"old.avi"}));
        EXPECT_EQ(fileContents(path("target/old.avi")), "old");
        EXPECT_EQ(fileContents(path("new.avi")), "new");
        EXPECT_EQ(fileContents(path("old.avi")), "replacement");
    }
}

const QStringList kWithoutPrivileges{
    QStringLiteral("setpriv"), QStringLiteral("--inh-caps=-all"),
    QStringLiteral("--bounding-set=-dac_override,-dac_read_search,-fowner")};

TEST_F(FileOpFaultTest, UnreadableSourceAndUnremovableSourceOfAMove)
{
    REQUIRE_ROOT();
    mkdir("dst");
    makeFile(path("secret.avi"), "secret", 1500000000, 0000);
    makeFile(path("open.avi"), "open");
    QList<QByteArray> out = runHelper(kWithoutPrivileges, {QStringLiteral("copy"), qpath("dst"),
                                                           qpath("secret.avi"), qpath("open.avi")});
    EXPECT_EQ(out.value(0), "error " + QByteArray::number(EACCES) + ' ' + path("secret.avi"));
    EXPECT_EQ(out.value(1), "aborted 1");
    EXPECT_EQ(folderEntries(path("dst")), QList<QByteArray>({"open.avi"}));

    // A move across file systems out of a folder the user may not change: the copy is made,
    // the source cannot go, and both stay complete.
    mkdir("locked");
    makeFile(path("locked/clip.avi"), "clip");
    ASSERT_EQ(::chmod(path("locked").constData(), 0555), 0);
    mkdir("other");
    Mount mount;
    ASSERT_TRUE(mount.tmpfs(path("other"), 1024));
    out = runHelper(kWithoutPrivileges,
                    {QStringLiteral("move"), qpath("other"), qpath("locked/clip.avi")});
    EXPECT_EQ(out.value(0), "error " + QByteArray::number(EACCES) + ' ' + path("locked/clip.avi"));
    EXPECT_EQ(fileContents(path("locked/clip.avi")), "clip");
    EXPECT_EQ(fileContents(path("other/clip.avi")), "clip");
    ::chmod(path("locked").constData(), 0755);
}

TEST_F(FileOpFaultTest, InjectedIoErrorsOnReadWriteAndFlush)
{
    REQUIRE_ROOT();
    mkdir("src");
    mkdir("dst");
    Mount mount;
    // Another file system, so that the copy goes through read and write.
    ASSERT_TRUE(mount.tmpfs(path("dst"), 16 * 1024));
    const QByteArray data = test::patternBytes(5 * 1024 * 1024, 5);
    makeFile(path("src/clip.avi"), data);
    // Reads are filtered to the source (the loader reads libraries with pread64 too); the
    // copy writes into an unnamed file that has no path to filter on, and nothing else in the
    // helper writes with pwrite64 or flushes.
    const struct
    {
        const char* inject;
        const char* operation;
        bool onSourceOnly;
    } cases[] = {
        {"pread64:error=EIO:when=2", "copy", true},
        {"pwrite64:error=EIO:when=3", "copy", false},
        {"fsync:error=EIO", "copy", false},
        {"pwrite64:error=EIO:when=2", "move", false},
        {"copy_file_range:error=EIO:when=2", "copy", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.inject);
        // copy_file_range is only tried within one file system.
        const QString destination =
            QString::fromLatin1(c.inject).startsWith(QLatin1String("copy_file_range"))
                ? qpath("src")
                : qpath("dst");
        const QString target = destination == qpath("src") ? qpath("src/sub") : destination;
        if (destination == qpath("src"))
            QDir().mkpath(target);
        QStringList strace{QStringLiteral("strace"),
                           QStringLiteral("-f"),
                           QStringLiteral("-qq"),
                           QStringLiteral("-o"),
                           QStringLiteral("/dev/null"),
                           QStringLiteral("-e"),
                           QStringLiteral("inject=") + QLatin1String(c.inject)};
        if (c.onSourceOnly)
            strace << QStringLiteral("-P") << qpath("src/clip.avi");
        const QList<QByteArray> out =
            runHelper(strace, {QLatin1String(c.operation), target, qpath("src/clip.avi")});
        EXPECT_EQ(out.value(0), "error " + QByteArray::number(EIO) + ' ' + path("src/clip.avi"));
        EXPECT_EQ(out.value(1), "aborted 1");
        EXPECT_EQ(fileContents(path("src/clip.avi")), data);
        EXPECT_TRUE(folderEntries(QFile::encodeName(target)).isEmpty());
        if (destination == qpath("src"))
            QDir(target).removeRecursively();
    }
}

TEST_F(FileOpFaultTest, KilledMidCopyNeverLeavesAPartialFile)
{
    REQUIRE_ROOT();
    mkdir("src");
    QStringList arguments{QStringLiteral("copy"), qpath("dst")};
    QList<QByteArray> contents;
    for (int i = 0; i < 8; ++i) {
        const QByteArray name = "clip" + QByteArray::number(i);
        contents.append(test::patternBytes(6 * 1024 * 1024, 20 + i));
        makeFile(path("src/") + name, contents.last());
        arguments.append(QFile::decodeName(path("src/") + name));
    }
    int killedMidWay = 0;
    for (int round = 0; round < 12; ++round) {
        QDir(qpath("dst")).removeRecursively();
        mkdir("dst");
        QProcess helper;
        helper.start(QStringLiteral(FILEOP_HELPER), arguments);
        ASSERT_TRUE(helper.waitForStarted());
        if (round % 2 == 0) {
            // Anywhere from before the first copy on.
            QThread::msleep(QRandomGenerator::global()->bounded(0, 60));
        } else {
            // A copy of 48 MB takes a quiet machine a few tens of milliseconds: the kill is
            // aimed at the moment the first file has got its name.
            QElapsedTimer waited;
            waited.start();
            while (folderEntries(path("dst")).isEmpty() && waited.elapsed() < 10000 &&
                   helper.state() == QProcess::Running)
                QThread::usleep(200);
            QThread::usleep(QRandomGenerator::global()->bounded(0, 3000));
        }
        ::kill(pid_t(helper.processId()), SIGKILL);
        helper.waitForFinished();
        const QList<QByteArray> entries = folderEntries(path("dst"));
        killedMidWay += entries.size() < 8;
        // Unnamed temporaries vanish with the process: only complete copies have names.
        for (const QByteArray& name : entries) {
            ASSERT_TRUE(name.startsWith("clip")) << name.data();
            EXPECT_EQ(fileContents(path("dst/") + name), contents.at(name.mid(4).toInt()))
                << "torn file " << name.data() << " in round " << round;
        }
    }
    EXPECT_GT(killedMidWay, 0) << "every round finished before the kill";
}

TEST_F(FileOpFaultTest, TrashOnAnotherVolumeUsesItsOwnTrashOrAsks)
{
    REQUIRE_ROOT();
    mkdir("vol");
    Mount mount;
    ASSERT_TRUE(mount.ext4(path("volume.img"), path("vol")));
    makeFile(path("vol/clip one.avi"), "one");
    EXPECT_FALSE(m_engine
                     .run(makeRequest(FileOperationCode::Delete, {qpath("vol/clip one.avi")}, {},
                                      Flag::kAllowUndo | Flag::kNoConfirmation))
                     .anyOperationsAborted);
    const QByteArray trash = path("vol/.Trash-") + QByteArray::number(::getuid());
    EXPECT_EQ(fileContents(trash + "/files/clip one.avi"), "one");
    // In a volume's own Trash the path is relative to the volume's top.
    EXPECT_TRUE(
        fileContents(trash + "/info/clip one.avi.trashinfo").contains("Path=clip%20one.avi"));
    EXPECT_TRUE(m_questions.permanentDeleteQuestions.isEmpty());

    // No usable Trash on the volume: the engine asks, and No keeps the file.
    ASSERT_TRUE(QDir(QFile::decodeName(trash)).removeRecursively());
    makeFile(trash, QByteArray()); // a file where the Trash folder would have to be
    makeFile(path("vol/clip two.avi"), "two");
    EXPECT_TRUE(m_engine
                    .run(makeRequest(FileOperationCode::Delete, {qpath("vol/clip two.avi")}, {},
                                     Flag::kAllowUndo | Flag::kNoConfirmation))
                    .anyOperationsAborted);
    ASSERT_EQ(m_questions.permanentDeleteQuestions.size(), 1);
    EXPECT_EQ(m_questions.permanentDeleteQuestions.at(0).first, qpath("vol/clip two.avi"));
    EXPECT_EQ(fileContents(path("vol/clip two.avi")), "two");
}

TEST_F(FileOpFaultTest, TmpfsHasNoTrashSoTheEngineAsksBeforeDeletingForGood)
{
    REQUIRE_ROOT();
    mkdir("tmp");
    Mount mount;
    ASSERT_TRUE(mount.tmpfs(path("tmp"), 1024));
    makeFile(path("tmp/a.avi"), "a");
    makeFile(path("tmp/b.avi"), "b");
    const FileOperationRequest request = makeRequest(
        FileOperationCode::Delete, {qpath("tmp/a.avi"), qpath("tmp/b.avi")}, {}, Flag::kAllowUndo);
    m_questions.permanentDeleteAnswer = false;
    EXPECT_TRUE(m_engine.run(request).anyOperationsAborted);
    EXPECT_EQ(m_questions.permanentDeleteQuestions.size(), 2);
    EXPECT_FALSE(m_questions.permanentDeleteQuestions.at(0).second.isEmpty());
    EXPECT_EQ(folderEntries(path("tmp")), QList<QByteArray>({"a.avi", "b.avi"}));

    m_questions.permanentDeleteAnswer = true;
    EXPECT_FALSE(m_engine.run(request).anyOperationsAborted);
    EXPECT_TRUE(folderEntries(path("tmp")).isEmpty());
}

} // namespace
} // namespace vantoro
