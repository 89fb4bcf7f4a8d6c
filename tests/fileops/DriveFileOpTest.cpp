// Copy, move, the Trash and undo on the drives people use: USB sticks (exFAT, FAT32, NTFS) and a
// NAS (sshfs), each through FUSE, where the no-replace rename, links and many names are refused.
#include "fileops/FileOperationUndo.h"
#include "fileops/ShellFileOperation.h"

#include "common/FileOpFakes.h"
#include "common/FileOpTestSupport.h"
#include "common/TestDrive.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace vantoro {
namespace {

using test::fileContents;
using test::folderEntries;
using test::makeFile;
using test::makeRequest;
using test::pathExists;
using test::TestDrive;
namespace Flag = FileOperationFlag;
using Kind = JournalEntry::Kind;

class DriveFileOpTest : public ::testing::TestWithParam<TestDrive::Kind>
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_work.isValid());
        QDir().mkpath(QFile::decodeName(m_home));
        const QString problem = m_drive.mount(GetParam(), QFile::encodeName(m_work.path()));
        if (!problem.isEmpty())
            GTEST_SKIP() << problem.toStdString();
    }

    QByteArray onDrive(const QByteArray& relative) const { return m_drive.root() + '/' + relative; }
    QByteArray atHome(const QByteArray& relative) const { return m_home + '/' + relative; }
    static QString q(const QByteArray& path) { return QFile::decodeName(path); }
    void mkdirOnDrive(const QByteArray& relative) const
    {
        ASSERT_EQ(::mkdir(onDrive(relative).constData(), 0755), 0) << relative.data();
    }
    FileOperationResult run(FileOperationCode code, const QList<QByteArray>& sources,
                            const QByteArray& destination = {})
    {
        QStringList paths;
        for (const QByteArray& source : sources)
            paths.append(q(source));
        return m_engine.run(makeRequest(code, paths, q(destination), Flag::kAllowUndo));
    }
    // No hidden copy of a failed or finished operation is left on the drive.
    void expectNoTemporaries(const QByteArray& folder) const
    {
        for (const QByteArray& name : folderEntries(folder))
            EXPECT_FALSE(name.endsWith(".part")) << name.data();
    }

    QTemporaryDir m_work{QDir::tempPath() + QStringLiteral("/vantoro-drive-XXXXXX")};
    QByteArray m_home = QFile::encodeName(m_work.path()) + "/home";
    TestDrive m_drive;
    test::FakeFileOperationQuestions m_questions;
    test::FakeFileOperationProgress m_progress;
    ShellFileOperation m_engine{m_questions, m_progress};
};

TEST_P(DriveFileOpTest, CopyOntoTheDriveNeverReplacesAndUndoTakesItBack)
{
    mkdirOnDrive("clips");
    makeFile(atHome("one.avi"), "one");
    makeFile(atHome("two.avi"), "two from home");
    makeFile(onDrive("clips/two.avi"), "two on the drive");
    m_questions.collisionAnswer = {CollisionChoice::Skip, false};

    const FileOperationResult result =
        run(FileOperationCode::Copy, {atHome("one.avi"), atHome("two.avi")}, onDrive("clips"));
    EXPECT_TRUE(m_questions.errors.isEmpty()) << m_questions.errors.value(0).reason.toStdString();
    ASSERT_EQ(m_questions.collisions.size(), 1);
    EXPECT_EQ(m_questions.collisions[0].first, QStringLiteral("two.avi"));
    EXPECT_EQ(fileContents(onDrive("clips/one.avi")), "one");
    EXPECT_EQ(fileContents(onDrive("clips/two.avi")), "two on the drive");
    expectNoTemporaries(onDrive("clips"));
    ASSERT_EQ(result.journal.count(Kind::Copied), 1);

    // The undo sends the copy to the drive's Trash; the file that was there stays.
    const UndoOutcome outcome = FileOperationUndo(result.journal).run(m_engine);
    EXPECT_TRUE(outcome.leftAlone.empty()) << outcome.leftAlone.front().reason.toStdString();
    EXPECT_FALSE(pathExists(onDrive("clips/one.avi")));
    EXPECT_EQ(fileContents(onDrive("clips/two.avi")), "two on the drive");
}

TEST_P(DriveFileOpTest, MoveBetweenFoldersOfTheDriveAndItsUndo)
{
    mkdirOnDrive("a");
    mkdirOnDrive("b");
    mkdirOnDrive("a/sub");
    makeFile(onDrive("a/x.avi"), "x");
    makeFile(onDrive("a/y.avi"), "y from a");
    makeFile(onDrive("a/sub/z.avi"), "z");
    makeFile(onDrive("b/y.avi"), "y in b");
    m_questions.collisionAnswer = {CollisionChoice::Skip, false};

    const FileOperationResult result =
        run(FileOperationCode::Move, {onDrive("a/x.avi"), onDrive("a/y.avi"), onDrive("a/sub")},
            onDrive("b"));
    EXPECT_TRUE(m_questions.errors.isEmpty()) << m_questions.errors.value(0).reason.toStdString();
    EXPECT_EQ(m_questions.collisions.size(), 1);
    EXPECT_EQ(fileContents(onDrive("b/x.avi")), "x");
    EXPECT_EQ(fileContents(onDrive("b/sub/z.avi")), "z");
    EXPECT_EQ(fileContents(onDrive("b/y.avi")), "y in b");
    EXPECT_EQ(fileContents(onDrive("a/y.avi")), "y from a");
    EXPECT_FALSE(pathExists(onDrive("a/x.avi")));
    EXPECT_EQ(result.journal.count(Kind::Moved), 2);

    // Undo moves them back; a file that took the old place meanwhile is never replaced.
    makeFile(onDrive("a/x.avi"), "new x");
    const UndoOutcome outcome = FileOperationUndo(result.journal).run(m_engine);
    EXPECT_EQ(outcome.undone, QStringList({q(onDrive("a/sub"))}));
    EXPECT_EQ(fileContents(onDrive("a/x.avi")), "new x");
    EXPECT_EQ(fileContents(onDrive("b/x.avi")), "x");
    EXPECT_EQ(fileContents(onDrive("a/sub/z.avi")), "z");
}

TEST_P(DriveFileOpTest, TrashOnTheDriveAndUndo)
{
    mkdirOnDrive("clips");
    makeFile(onDrive("clips/x.avi"), "x");
    makeFile(onDrive("clips/y.avi"), "y");
    const FileOperationResult result =
        run(FileOperationCode::Delete, {onDrive("clips/x.avi"), onDrive("clips/y.avi")});
    EXPECT_TRUE(m_questions.permanentDeleteQuestions.isEmpty());
    ASSERT_EQ(result.journal.count(Kind::Trashed), 2);
    EXPECT_FALSE(pathExists(onDrive("clips/x.avi")));

    // One is put back by hand meanwhile: the undo leaves it, and brings the other back.
    makeFile(onDrive("clips/y.avi"), "another y");
    const UndoOutcome outcome =
        FileOperationUndo(result.journal).run(m_engine, [](auto&) { return true; });
    EXPECT_EQ(outcome.undone, QStringList({q(onDrive("clips/x.avi"))}));
    EXPECT_EQ(fileContents(onDrive("clips/x.avi")), "x");
    EXPECT_EQ(fileContents(onDrive("clips/y.avi")), "another y");
}

TEST_P(DriveFileOpTest, WhatTheDriveCannotHoldIsSaidPerFileAndSkipAllSkipsTheRest)
{
    // Per drive: the reason given for each file, empty where the drive holds it.
    struct Expected
    {
        QByteArray name;
        QString exFat, fat32, ntfs;
    };
    const QString colon = QStringLiteral("This drive cannot hold the character \":\" in a name");
    const QString link =
        QStringLiteral("This drive cannot hold symbolic links (FAT and exFAT drives have none)");
    const QList<Expected> table = {
        {"a:b.avi", colon, colon, colon},
        {"c?.avi", QStringLiteral("This drive cannot hold the character \"?\" in a name"),
         QStringLiteral("This drive cannot hold the character \"?\" in a name"),
         QStringLiteral("This drive cannot hold the character \"?\" in a name")},
        {"dot.", {}, {}, QStringLiteral("This drive cannot hold a name that ends with a dot")},
        {"link.avi", link, link, {}},
        {"ok.avi", {}, {}, {}},
    };
    mkdirOnDrive("clips");
    QList<QByteArray> sources;
    for (const Expected& row : table) {
        if (row.name == "link.avi")
            ASSERT_EQ(::symlink("ok.avi", atHome(row.name).constData()), 0);
        else
            makeFile(atHome(row.name), row.name);
        sources.append(atHome(row.name));
    }
    run(FileOperationCode::Copy, sources, onDrive("clips"));

    QStringList expected;
    QStringList asked;
    for (const Expected& row : table) {
        const QString reason = GetParam() == TestDrive::Kind::ExFat   ? row.exFat
                               : GetParam() == TestDrive::Kind::Fat32 ? row.fat32
                               : GetParam() == TestDrive::Kind::Ntfs  ? row.ntfs
                                                                      : QString();
        if (!reason.isEmpty())
            expected.append(QFile::decodeName(row.name) + ": " + reason);
        else
            EXPECT_TRUE(pathExists(onDrive("clips/" + row.name))) << row.name.data();
    }
    for (const FileOperationError& error : m_questions.errors) {
        EXPECT_TRUE(error.driveCannotHold);
        asked.append(error.path.section('/', -1) + ": " + error.reason);
    }
    EXPECT_EQ(asked, expected);
    expectNoTemporaries(onDrive("clips"));

    // Skip All skips, unasked, every later file the drive cannot hold; the others are copied.
    if (expected.isEmpty())
        return;
    m_questions.errors.clear();
    m_questions.errorAnswer = ErrorChoice::SkipAll;
    ASSERT_TRUE(QDir(q(onDrive("clips"))).removeRecursively());
    mkdirOnDrive("clips");
    const FileOperationResult result = run(FileOperationCode::Copy, sources, onDrive("clips"));
    EXPECT_EQ(m_questions.errors.size(), 1);
    EXPECT_TRUE(result.anyOperationsAborted);
    EXPECT_EQ(fileContents(onDrive("clips/ok.avi")), "ok.avi");
}

TEST_P(DriveFileOpTest, FatRefusesAFileOver4GBBeforeWritingIt)
{
    if (GetParam() != TestDrive::Kind::Fat32)
        GTEST_SKIP() << "only FAT has the 4 GB limit";
    makeFile(atHome("big.avi"), "");
    ASSERT_EQ(::truncate(atHome("big.avi").constData(), 4LL * 1024 * 1024 * 1024), 0);
    makeFile(atHome("small.avi"), "small");
    run(FileOperationCode::Move, {atHome("big.avi"), atHome("small.avi")}, onDrive(""));
    ASSERT_EQ(m_questions.errors.size(), 1);
    EXPECT_EQ(m_questions.errors[0].reason,
              QStringLiteral("FAT drives cannot hold files over 4 GB: this file was not copied"));
    EXPECT_EQ(m_progress.lastBytesDone, 5); // nothing of it was written
    EXPECT_TRUE(pathExists(atHome("big.avi")));
    EXPECT_EQ(fileContents(onDrive("small.avi")), "small");
    expectNoTemporaries(m_drive.root());
}

TEST_P(DriveFileOpTest, NamesDifferingInLetterCaseMeetOnADriveThatIgnoresCase)
{
    if (GetParam() != TestDrive::Kind::ExFat && GetParam() != TestDrive::Kind::Fat32)
        GTEST_SKIP() << "this drive keeps letter case apart";
    mkdirOnDrive("clips");
    makeFile(onDrive("clips/clip.avi"), "on the drive");
    QDir().mkpath(q(atHome("x")));
    QDir().mkpath(q(atHome("y")));
    makeFile(atHome("x/Clip.avi"), "from x");
    makeFile(atHome("x/Song.avi"), "Song");
    makeFile(atHome("y/song.avi"), "song");
    m_questions.collisionAnswer = {CollisionChoice::Skip, false};
    run(FileOperationCode::Copy, {atHome("x/Clip.avi"), atHome("x/Song.avi"), atHome("y/song.avi")},
        onDrive("clips"));
    ASSERT_EQ(m_questions.collisions.size(), 2);
    EXPECT_EQ(m_questions.collisions[0].first, QStringLiteral("clip.avi"));
    EXPECT_EQ(m_questions.collisions[1].first, QStringLiteral("Song.avi"));
    EXPECT_EQ(fileContents(onDrive("clips/clip.avi")), "on the drive");
    EXPECT_EQ(fileContents(onDrive("clips/Song.avi")), "Song");
    EXPECT_TRUE(m_questions.errors.isEmpty());
}

TEST_P(DriveFileOpTest, AMoveFromADriveThatVanishedReportsItsClipsAsCopiedNotMoved)
{
    makeFile(onDrive("a.avi"), "a");
    makeFile(onDrive("b.avi"), "b");
    makeFile(atHome("b.avi"), "b at home");
    // The stick is pulled while a question is open: the copy of a.avi is complete, its source
    // can no longer be found, as the path now leads into the empty folder it was mounted on.
    m_questions.collisionAnswer = {CollisionChoice::Skip, false};
    m_questions.onCollision = [this] { m_drive.unmount(); };
    const FileOperationResult result =
        run(FileOperationCode::Move, {onDrive("a.avi"), onDrive("b.avi")}, m_home);
    EXPECT_EQ(fileContents(atHome("a.avi")), "a");
    EXPECT_EQ(fileContents(atHome("b.avi")), "b at home");
    EXPECT_EQ(result.journal.count(Kind::Moved), 0);
    EXPECT_EQ(result.journal.count(Kind::Copied), 1);
    EXPECT_TRUE(result.anyOperationsAborted);
    ASSERT_EQ(m_questions.errors.size(), 1);
    EXPECT_TRUE(m_questions.errors[0].reason.startsWith(
        QStringLiteral("The drive it is on no longer answers")));
}

TEST_P(DriveFileOpTest, AFailedCopyLeavesNoTemporaryOnceTheDriveAnswersAgain)
{
    // A write fails as when the connection drops, and so does the first removal of the hidden
    // temporary; the drive answers again by the time the error is asked about.
    makeFile(atHome("clip.avi"), test::patternBytes(3 * 1024 * 1024, 1));
    mkdirOnDrive("clips");
    QByteArray output;
    const int rc =
        test::runUnderStrace({"-f", "-o", "/dev/null", "-e", "inject=pwrite64:error=EIO:when=2",
                              "-e", "inject=unlinkat:error=ENOTCONN:when=1", FILEOP_HELPER, "copy",
                              q(onDrive("clips")), q(atHome("clip.avi"))},
                             &output);
    if (rc < 0)
        GTEST_SKIP() << "strace is not installed";
    EXPECT_TRUE(output.contains("error 5 ")) << output.data();
    EXPECT_EQ(folderEntries(onDrive("clips")), QList<QByteArray>()) << output.data();
}

TEST_P(DriveFileOpTest, AFailureOrCancelAmongCopiesInFlightLeavesEachFileWholeOrAbsent)
{
    // Several copies are staged at once on these drives (each file is flushed by itself): one
    // that fails among them, or a cancel with several in flight, leaves each other file whole
    // and committed or not there at all, no hidden copy, and a journal of exactly what is there.
    struct Case
    {
        const char* what;
        int tooLarge;    // the file that finds the drive full, or -1
        double cancelAt; // the share of the bytes after which Cancel is pressed, or 0
    };
    const Case cases[] = {
        {"one file finds the drive full while others are in flight", 2, 0.0},
        {"a cancel with several files in flight", -1, 0.3},
    };
    constexpr int kFiles = 6;
    constexpr qint64 kClip = 3 * 1024 * 1024;
    int row = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.tooLarge >= 0 && GetParam() == TestDrive::Kind::Sshfs)
            continue; // the NAS lies on this machine's disk, which a test does not fill
        const QByteArray folder = "inflight" + QByteArray::number(++row);
        mkdirOnDrive(folder);
        QList<QByteArray> sources;
        for (int i = 0; i < kFiles; ++i) {
            const qint64 size = i == c.tooLarge ? 80 * 1024 * 1024 : kClip;
            sources.append(atHome(folder + "-" + QByteArray::number(i) + ".avi"));
            makeFile(sources.last(), test::patternBytes(size, i));
        }
        m_questions.errors.clear();
        m_progress.cancelled = false;
        m_progress.cancelWhen = nullptr;
        if (c.cancelAt > 0)
            m_progress.cancelWhen = [&c](qint64 done, qint64 total) {
                return done >= qint64(double(total) * c.cancelAt);
            };

        const FileOperationResult result = run(FileOperationCode::Copy, sources, onDrive(folder));
        expectNoTemporaries(onDrive(folder));
        int present = 0;
        for (int i = 0; i < kFiles; ++i) {
            const QByteArray copy =
                onDrive(folder + '/' + folder + '-' + QByteArray::number(i) + ".avi");
            if (!pathExists(copy))
                continue;
            ++present;
            EXPECT_EQ(fileContents(copy), fileContents(sources[i])) << copy.data();
        }
        EXPECT_EQ(result.journal.count(Kind::Copied), present);
        if (c.tooLarge >= 0) {
            EXPECT_EQ(present, kFiles - 1);
            ASSERT_EQ(m_questions.errors.size(), 1);
            EXPECT_EQ(m_questions.errors[0].path, q(sources[c.tooLarge]));
            EXPECT_TRUE(result.anyOperationsAborted);
        }
        if (m_progress.cancelled) {
            EXPECT_TRUE(result.anyOperationsAborted);
            EXPECT_TRUE(m_questions.errors.isEmpty()); // a cancel is no error to ask about
        }
        for (const QByteArray& source : sources)
            QFile::remove(q(source));
    }
}

INSTANTIATE_TEST_SUITE_P(Drives, DriveFileOpTest, ::testing::ValuesIn(TestDrive::allKinds()),
                         [](const auto& drive) {
                             return TestDrive::nameOf(drive.param).toStdString();
                         });

} // namespace
} // namespace vantoro
