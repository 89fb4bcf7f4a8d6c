#include "fileops/ShellFileOperation.h"
#include "fileops/Trash.h"

#include "common/EngineFixture.h"
#include "common/FileOpFakes.h"
#include "common/FileOpTestSupport.h"
#include "common/TestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>

#include <fcntl.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace vantoro {
namespace {

using test::fileContents;
using test::folderEntries;
using test::makeFile;
using test::makeRequest;
using test::Mount;
using test::pathExists;
namespace Flag = FileOperationFlag;

#define REQUIRE_ROOT()                                                                             \
    if (!test::runningAsRoot())                                                                    \
    GTEST_SKIP() << "needs root to mount file systems and inject faults"

class FileOpFaultTest : public test::EngineFixture
{
protected:
    FileOpFaultTest() : EngineFixture("fault") {}
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

// Made unasked (no confirmation, or "make missing folders"), a destination that is a dangling
// link once kept the worker making it for ever: the helper must end, with the error.
TEST_F(FileOpFaultTest, UnaskedDestinationThatIsADanglingLinkEndsWithAnError)
{
    makeFile(path("clip.avi"), "clip");
    ASSERT_EQ(::symlink(path("nowhere").constData(), path("dangling").constData()), 0);
    QByteArray output;
    ASSERT_EQ(test::runProgram(QStringLiteral(FILEOP_HELPER),
                               {QStringLiteral("copy"), qpath("dangling"), qpath("clip.avi")},
                               &output, 15000),
              0)
        << "did not end";
    const QList<QByteArray> out = output.trimmed().split('\n');
    EXPECT_EQ(out.value(0), "error " + QByteArray::number(ENOTDIR) + ' ' + path("dangling"));
    EXPECT_EQ(out.value(1), "aborted 1");
    EXPECT_FALSE(pathExists(path("nowhere")));
}

// The clip manager reaches this: it skips folders, not links.
TEST_F(FileOpFaultTest, LinkToTheDestinationFileOnAnotherFileSystemIsRefused)
{
    REQUIRE_ROOT();
    mkdir("src");
    mkdir("dst");
    Mount mount;
    ASSERT_TRUE(mount.tmpfs(path("dst"), 1024));
    makeFile(path("dst/clip.avi"), "the only copy");
    ASSERT_EQ(::symlink(path("dst/clip.avi").constData(), path("src/clip.avi").constData()), 0);
    for (const FileOperationCode code : {FileOperationCode::Move, FileOperationCode::Copy}) {
        m_questions.errors.clear();
        EXPECT_TRUE(m_engine
                        .run(makeRequest(code, {qpath("src/clip.avi")}, qpath("dst"),
                                         Flag::kNoConfirmation))
                        .anyOperationsAborted);
        ASSERT_EQ(m_questions.errors.size(), 1);
        struct stat st;
        ASSERT_EQ(::lstat(path("dst/clip.avi").constData(), &st), 0);
        EXPECT_TRUE(S_ISREG(st.st_mode));
        EXPECT_EQ(fileContents(path("dst/clip.avi")), "the only copy");
    }
}

// A move across file systems whose source changes between its copy and its removal: the
// flush of the destination folder is slowed down so that the change lands in that window.
// The clip manager reaches this with a clip that is still being recorded.
TEST_F(FileOpFaultTest, MovedSourceThatChangesAfterItsCopyIsKept)
{
    REQUIRE_ROOT();
    mkdir("src");
    mkdir("dst");
    Mount mount;
    ASSERT_TRUE(mount.tmpfs(path("dst"), 16 * 1024));
    const QByteArray recorded = test::patternBytes(512 * 1024, 30);
    const QByteArray growth = test::patternBytes(1024 * 1024, 31);
    for (const bool replace : {false, true}) {
        SCOPED_TRACE(replace ? "replaced" : "grown");
        makeFile(path("src/clip.avi"), recorded);
        QProcess helper;
        helper.setProcessChannelMode(QProcess::MergedChannels);
        // LeakSanitizer cannot work in a process traced by strace (see runHelper).
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        const QString asanOptions = environment.value(QStringLiteral("ASAN_OPTIONS"));
        environment.insert(QStringLiteral("ASAN_OPTIONS"),
                           asanOptions.isEmpty() ? QStringLiteral("detect_leaks=0")
                                                 : asanOptions + QStringLiteral(":detect_leaks=0"));
        helper.setProcessEnvironment(environment);
        helper.start(QStringLiteral("strace"),
                     {QStringLiteral("-f"), QStringLiteral("-qq"), QStringLiteral("-o"),
                      QStringLiteral("/dev/null"), QStringLiteral("-P"), qpath("dst"),
                      QStringLiteral("-e"), QStringLiteral("inject=fsync:delay_enter=1500000"),
                      QStringLiteral(FILEOP_HELPER), QStringLiteral("move"), qpath("dst"),
                      qpath("src/clip.avi")});
        ASSERT_TRUE(helper.waitForStarted());
        // The copy has its name once it is complete; its folder's flush comes next.
        QElapsedTimer waited;
        waited.start();
        while (!pathExists(path("dst/clip.avi")) && waited.elapsed() < 20000)
            QThread::msleep(5);
        ASSERT_TRUE(pathExists(path("dst/clip.avi")));
        if (replace) {
            makeFile(path("src/new.avi"), growth);
            ASSERT_EQ(::rename(path("src/new.avi").constData(), path("src/clip.avi").constData()),
                      0);
        } else {
            const int fd = ::open(path("src/clip.avi").constData(), O_WRONLY | O_APPEND);
            ASSERT_EQ(::write(fd, growth.constData(), size_t(growth.size())), growth.size());
            ::close(fd);
        }
        ASSERT_TRUE(helper.waitForFinished(30000));
        const QList<QByteArray> out = helper.readAll().trimmed().split('\n');
        EXPECT_EQ(out.value(0), "error " + QByteArray::number(EBUSY) + ' ' + path("src/clip.avi"));
        EXPECT_EQ(out.value(1), "aborted 1");
        EXPECT_EQ(fileContents(path("src/clip.avi")), replace ? growth : recorded + growth);
        EXPECT_EQ(fileContents(path("dst/clip.avi")), recorded);
        ::unlink(path("dst/clip.avi").constData());
    }
}

// The clip manager reaches this with a move of clips to another volume.
TEST_F(FileOpFaultTest, FailedFlushOfTheDestinationFolderKeepsTheSources)
{
    REQUIRE_ROOT();
    mkdir("src");
    mkdir("dst");
    Mount mount;
    ASSERT_TRUE(mount.tmpfs(path("dst"), 16 * 1024));
    makeFile(path("src/a.avi"), "a");
    makeFile(path("src/b.avi"), "b");
    // Only the folder's flush fails: the copies' own flushes go through unnamed files.
    const QList<QByteArray> out =
        runHelper({QStringLiteral("strace"), QStringLiteral("-f"), QStringLiteral("-qq"),
                   QStringLiteral("-o"), QStringLiteral("/dev/null"), QStringLiteral("-P"),
                   qpath("dst"), QStringLiteral("-e"), QStringLiteral("inject=fsync:error=EIO")},
                  {QStringLiteral("move"), qpath("dst"), qpath("src/a.avi"), qpath("src/b.avi")});
    EXPECT_EQ(out.value(0), "error " + QByteArray::number(EIO) + ' ' + path("src/a.avi"));
    EXPECT_EQ(out.value(1), "aborted 1") << "one question for the folder";
    EXPECT_EQ(fileContents(path("src/a.avi")), "a");
    EXPECT_EQ(fileContents(path("src/b.avi")), "b");
}

// The clip manager reaches this: a marked clip may be a link, and files-only keeps links.
TEST_F(FileOpFaultTest, MovedLinkWhoseSourceCannotBeRemovedIsReported)
{
    REQUIRE_ROOT();
    mkdir("src");
    mkdir("dst");
    Mount mount;
    ASSERT_TRUE(mount.tmpfs(path("dst"), 1024));
    ASSERT_EQ(::symlink("clip.avi", path("src/link.avi").constData()), 0);
    ASSERT_EQ(test::runProgram(QStringLiteral("chattr"), {QStringLiteral("+i"), qpath("src")}), 0);
    const FileOperationResult result = m_engine.run(
        makeRequest(FileOperationCode::Move, {qpath("src/link.avi")}, qpath("dst"), Flag::kSilent));
    test::runProgram(QStringLiteral("chattr"), {QStringLiteral("-i"), qpath("src")});
    EXPECT_TRUE(result.anyOperationsAborted);
    ASSERT_EQ(m_questions.errors.size(), 1);
    EXPECT_EQ(m_questions.errors.at(0).path, qpath("src/link.avi"));
    EXPECT_EQ(m_questions.errors.at(0).errorCode, EPERM);
    EXPECT_TRUE(pathExists(path("src/link.avi")));
    EXPECT_TRUE(pathExists(path("dst/link.avi")));
}

// Trashing clips on a full disk: the Trash can move them but not write their records.
// The clip manager reaches this with its delete to the Trash.
TEST_F(FileOpFaultTest, TrashOnAFullDiskLeavesNoClipThatCannotBePutBack)
{
    REQUIRE_ROOT();
    mkdir("vol");
    Mount mount;
    ASSERT_TRUE(mount.ext4(path("volume.img"), path("vol")));
    makeFile(path("vol/first.avi"), "first"); // makes the volume's Trash
    ASSERT_EQ(moveToTrash(path("vol/first.avi")).status, TrashOutcome::Status::Trashed);
    QStringList clips;
    for (const char* name : {"one.avi", "two.avi", "three.avi"}) {
        makeFile(path("vol/") + name, name);
        clips.append(qpath(QByteArray("vol/") + name));
    }
    const int filler = ::open(path("vol/filler").constData(), O_WRONLY | O_CREAT, 0644);
    const QByteArray block(64 * 1024, 'f');
    while (::write(filler, block.constData(), size_t(block.size())) > 0) {
    }
    const QByteArray small(512, 'f');
    while (::write(filler, small.constData(), size_t(small.size())) > 0) {
    }
    ::fsync(filler);
    ::close(filler);

    m_questions.errorAnswer = ErrorChoice::Skip;
    EXPECT_TRUE(m_engine
                    .run(makeRequest(FileOperationCode::Delete, clips, {},
                                     Flag::kAllowUndo | Flag::kNoConfirmation))
                    .anyOperationsAborted);
    EXPECT_FALSE(m_questions.errors.isEmpty());
    const QByteArray trash = path("vol/.Trash-") + QByteArray::number(::getuid());
    for (const char* name : {"one.avi", "two.avi", "three.avi"}) {
        SCOPED_TRACE(name);
        const bool reported = std::any_of(m_questions.errors.begin(), m_questions.errors.end(),
                                          [&](const FileOperationError& e) {
                                              return e.path == qpath(QByteArray("vol/") + name);
                                          });
        if (reported) {
            EXPECT_EQ(fileContents(path("vol/") + name), name) << "put back in its place";
            EXPECT_FALSE(pathExists(trash + "/files/" + name));
        } else {
            EXPECT_EQ(fileContents(trash + "/files/" + name), name);
            EXPECT_TRUE(fileContents(trash + "/info/" + name + ".trashinfo").contains("Path="));
        }
    }
    for (const QByteArray& record : folderEntries(trash + "/info"))
        EXPECT_FALSE(fileContents(trash + "/info/" + record).isEmpty()) << record.data();
}

// A folder move, which the clip manager never makes (files-only); its clips keep their holes
// and attributes the same way.
TEST_F(FileOpFaultTest, MoveAcrossFileSystemsKeepsHolesAttributesAndDeviceFilesAreNamed)
{
    REQUIRE_ROOT();
    mkdir("album");
    mkdir("dst");
    Mount mount;
    ASSERT_TRUE(mount.tmpfs(path("dst"), 64 * 1024));
    const QByteArray data = test::patternBytes(128 * 1024, 40);
    makeFile(path("album/sparse.img"), data);
    ASSERT_EQ(::truncate(path("album/sparse.img").constData(), 32 * 1024 * 1024), 0);
    ASSERT_EQ(::setxattr(path("album/sparse.img").constData(), "user.rating", "5", 1, 0), 0);
    ASSERT_EQ(::mknod(path("album/null").constData(), S_IFCHR | 0644, makedev(1, 3)), 0);
    m_questions.errorAnswer = ErrorChoice::Skip;
    EXPECT_TRUE(m_engine
                    .run(makeRequest(FileOperationCode::Move, {qpath("album")}, qpath("dst"),
                                     Flag::kSilent))
                    .anyOperationsAborted);
    ASSERT_EQ(m_questions.errors.size(), 1);
    EXPECT_EQ(m_questions.errors.at(0).path, qpath("album/null"));
    EXPECT_TRUE(m_questions.errors.at(0).reason.contains(QStringLiteral("device")));
    EXPECT_TRUE(pathExists(path("album/null"))) << "what was not moved stays";
    struct stat st;
    ASSERT_EQ(::stat(path("dst/album/sparse.img").constData(), &st), 0);
    EXPECT_EQ(st.st_size, 32 * 1024 * 1024);
    EXPECT_LT(st.st_blocks * 512, 4 * 1024 * 1024) << "the hole was filled";
    EXPECT_EQ(fileContents(path("dst/album/sparse.img")).left(data.size()), data);
    char value[8] = {};
    EXPECT_EQ(
        ::getxattr(path("dst/album/sparse.img").constData(), "user.rating", value, sizeof value),
        1);
    EXPECT_FALSE(pathExists(path("album/sparse.img")));
}

} // namespace
} // namespace vantoro
