// What an undo and a Replace do when files change under them: each file is checked when it is
// put back, a replaced file is deleted for good only when the user says so, a Trash entry is
// restored only while it holds the item that went there.
#include "fileops/FileOperationSupport.h"
#include "fileops/FileOperationUndo.h"
#include "fileops/ShellFileOperation.h"
#include "fileops/Trash.h"

#include "common/FileOpFakes.h"
#include "common/FileOpTestSupport.h"
#include "common/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace vantoro {
namespace {

using test::fileContents;
using test::makeFile;
using test::makeRequest;
using test::pathExists;
namespace Flag = FileOperationFlag;
using Kind = JournalEntry::Kind;

class UndoPutBackTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_trash = QFile::encodeName(test::homeTrash());
        ASSERT_TRUE(m_trash.contains("vantoro-test-home")) << "not a private Trash";
        QDir(test::homeTrash()).removeRecursively();
    }
    QByteArray path(const QByteArray& relative) const { return m_root + '/' + relative; }
    QString qpath(const QByteArray& relative) const { return QFile::decodeName(path(relative)); }
    void mkdir(const QByteArray& relative) const { QDir().mkpath(qpath(relative)); }
    FileOperationResult run(FileOperationCode code, const QStringList& sources,
                            const QString& destination = {}, quint16 flags = Flag::kNoConfirmation)
    {
        return m_engine.run(makeRequest(code, sources, destination, Flag::kAllowUndo | flags));
    }
    static QString reasonFor(const UndoOutcome& outcome, const QString& path)
    {
        for (const UndoProblem& problem : outcome.leftAlone) {
            if (problem.path == path)
                return problem.reason;
        }
        return {};
    }

    QTemporaryDir m_dir{QDir::tempPath() + QStringLiteral("/vantoro-putback-XXXXXX")};
    QByteArray m_root = QFile::encodeName(m_dir.path());
    QByteArray m_trash;
    test::FakeFileOperationQuestions m_questions;
    test::FakeFileOperationProgress m_progress;
    ShellFileOperation m_engine{m_questions, m_progress};
};

// While the person reads "Undo the rest?" a file is saved at an original place, or the moved
// file is swapped for another at the place it was moved to: neither is replaced nor moved back.
TEST_F(UndoPutBackTest, AnUndoAcrossDrivesLooksAtEachFileWhenItsTurnComes)
{
    if (!test::runningAsRoot())
        GTEST_SKIP() << "needs root to mount file systems";
    mkdir("vol");
    mkdir("home");
    test::Mount volume;
    ASSERT_TRUE(volume.ext4(path("volume.img"), path("vol")));
    mkdir("vol/clips");
    for (const char* name : {"saved.avi", "swapped.avi", "fine.avi", "gone.avi"})
        makeFile(path("vol/clips/") + name, QByteArray("moved ") + name);
    const FileOperationResult moved =
        run(FileOperationCode::Move,
            {qpath("vol/clips/saved.avi"), qpath("vol/clips/swapped.avi"),
             qpath("vol/clips/fine.avi"), qpath("vol/clips/gone.avi")},
            qpath("home"));
    ASSERT_EQ(moved.journal.count(Kind::Moved), 4);
    ASSERT_EQ(::unlink(path("home/gone.avi").constData()), 0); // so that the question comes

    bool asked = false;
    const UndoOutcome outcome =
        FileOperationUndo(moved.journal).run(m_engine, [&](const std::vector<UndoProblem>&) {
            asked = true;
            makeFile(path("vol/clips/saved.avi"), "saved meanwhile");
            ::unlink(path("home/swapped.avi").constData());
            makeFile(path("home/swapped.avi"), "a stranger", 1600000000);
            return true;
        });
    ASSERT_TRUE(asked);
    EXPECT_EQ(outcome.undone, QStringList{qpath("vol/clips/fine.avi")});
    EXPECT_EQ(fileContents(path("vol/clips/fine.avi")), "moved fine.avi");
    const struct
    {
        QByteArray name, atOrigin, whereMoved, reason;
    } rows[] = {
        {"saved.avi", "saved meanwhile", "moved saved.avi", "now has its place"},
        {"swapped.avi", "", "a stranger", "it was moved"}, // or changed since, by its inode
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name.constData());
        EXPECT_EQ(fileContents(path("vol/clips/") + row.name), row.atOrigin);
        EXPECT_EQ(fileContents(path("home/") + row.name), row.whereMoved);
        EXPECT_TRUE(reasonFor(outcome, qpath("vol/clips/") + row.name)
                        .contains(QString::fromUtf8(row.reason)));
    }
    EXPECT_TRUE(test::folderEntries(path("vol/.Trash-0/files")).isEmpty()) << "nothing replaced";
    EXPECT_TRUE(m_questions.collisions.isEmpty());
}

// On a volume without a Trash, Replace asks before the old file is deleted for good: once, for
// all when told so; No keeps the old file and the source.
TEST_F(UndoPutBackTest, ReplacingWhereTheTrashRefusesAsksBeforeDeletingForGood)
{
    if (!test::runningAsRoot())
        GTEST_SKIP() << "needs root to mount file systems";
    const struct
    {
        FileOperationCode operation;
        bool yes;
    } rows[] = {{FileOperationCode::Copy, false},
                {FileOperationCode::Copy, true},
                {FileOperationCode::Move, false},
                {FileOperationCode::Move, true}};
    int row = 0;
    for (const auto& r : rows) {
        SCOPED_TRACE(row);
        const QByteArray dir = "r" + QByteArray::number(row++);
        mkdir(dir + "/src");
        mkdir(dir + "/tmp");
        test::Mount tmp;
        ASSERT_TRUE(tmp.tmpfs(path(dir + "/tmp")));
        for (const char* name : {"1.avi", "2.avi"}) {
            makeFile(path(dir + "/src/") + name, "new");
            makeFile(path(dir + "/tmp/") + name, "old");
        }
        m_questions = {};
        m_questions.collisionAnswer = {CollisionChoice::Replace, true};
        m_questions.replacePermanentlyAnswer = {r.yes, true};
        const FileOperationResult result =
            run(r.operation, {qpath(dir + "/src/1.avi"), qpath(dir + "/src/2.avi")},
                qpath(dir + "/tmp"), 0);
        EXPECT_EQ(m_questions.replacePermanentlyQuestions.size(), 1) << "once, for all";
        EXPECT_EQ(result.anyOperationsAborted, !r.yes);
        for (const char* name : {"1.avi", "2.avi"}) {
            EXPECT_EQ(fileContents(path(dir + "/tmp/") + name), r.yes ? "new" : "old");
            EXPECT_EQ(pathExists(path(dir + "/src/") + name),
                      r.operation == FileOperationCode::Copy || !r.yes);
        }
    }
}

// An emptied Trash entry whose name went to another item: that item is not ours to restore,
// and a copy whose replaced file is gone so stays rather than leaving nothing.
TEST_F(UndoPutBackTest, ATrashEntryIsRestoredOnlyWhileItHoldsWhatWentThere)
{
    mkdir("a");
    mkdir("b");
    mkdir("dst");
    makeFile(path("a/clip.avi"), "ours");
    makeFile(path("a/copy.avi"), "new copy");
    makeFile(path("dst/copy.avi"), "replaced");
    const FileOperationResult deleted = run(FileOperationCode::Delete, {qpath("a/clip.avi")});
    m_questions.collisionAnswer = {CollisionChoice::Replace, false};
    const FileOperationResult copied =
        run(FileOperationCode::Copy, {qpath("a/copy.avi")}, qpath("dst"), 0);
    ASSERT_EQ(copied.journal.entries.at(0).replaced.name, "copy.avi");
    // Both entries emptied; another program then trashes other files of the same names.
    for (const char* name : {"clip.avi", "copy.avi"}) {
        ASSERT_EQ(::unlink(QByteArray(m_trash + "/files/" + name).constData()), 0);
        ASSERT_EQ(::unlink(QByteArray(m_trash + "/info/" + name + ".trashinfo").constData()), 0);
        makeFile(path("b/") + name, "someone else's", 1600000000);
        ASSERT_EQ(moveToTrash(path("b/") + name).status, TrashOutcome::Status::Trashed);
    }

    for (const FileOperationResult* done : {&deleted, &copied}) {
        bool asked = false;
        const UndoOutcome outcome =
            FileOperationUndo(done->journal).run(m_engine, [&](const std::vector<UndoProblem>&) {
                return asked = true;
            });
        EXPECT_FALSE(asked) << "nothing is left to undo: no \"Undo the rest?\"";
        EXPECT_TRUE(outcome.undone.isEmpty());
        ASSERT_EQ(outcome.leftAlone.size(), 1u);
        EXPECT_TRUE(outcome.leftAlone[0].reason.contains(QStringLiteral("no longer in the Trash")));
    }
    EXPECT_FALSE(pathExists(path("a/clip.avi")));
    EXPECT_EQ(fileContents(path("dst/copy.avi")), "new copy");
    for (const char* name : {"clip.avi", "copy.avi"})
        EXPECT_EQ(fileContents(m_trash + "/files/" + name), "someone else's");
}

// A folder copied or moved into a folder of the same name: the undo takes away what the merge
// added, never the folder's own files.
TEST_F(UndoPutBackTest, AFolderMergeJournalsOnlyWhatItAdded)
{
    for (const FileOperationCode operation : {FileOperationCode::Copy, FileOperationCode::Move}) {
        SCOPED_TRACE(int(operation));
        QDir(qpath("src")).removeRecursively();
        QDir(qpath("dst")).removeRecursively();
        mkdir("src/album/sub");
        mkdir("src/album/both");
        mkdir("dst/album/both");
        makeFile(path("src/album/new.avi"), "new");
        makeFile(path("src/album/sub/deep.avi"), "deep");
        makeFile(path("src/album/both/added.avi"), "added");
        makeFile(path("dst/album/own.avi"), "own");
        makeFile(path("dst/album/both/kept.avi"), "kept");
        const FileOperationResult result = run(operation, {qpath("src/album")}, qpath("dst"));
        ASSERT_FALSE(result.anyOperationsAborted);
        QStringList journalled;
        for (const JournalEntry& entry : result.journal.entries)
            journalled.append(QFile::decodeName(entry.destination));
        journalled.sort();
        EXPECT_EQ(journalled, QStringList({qpath("dst/album/both/added.avi"),
                                           qpath("dst/album/new.avi"), qpath("dst/album/sub")}));
        const UndoOutcome outcome = FileOperationUndo(result.journal).run(m_engine);
        EXPECT_EQ(outcome.undone.size(), 3);
        EXPECT_EQ(fileContents(path("dst/album/own.avi")), "own");
        EXPECT_EQ(fileContents(path("dst/album/both/kept.avi")), "kept");
        EXPECT_FALSE(pathExists(path("dst/album/new.avi")));
        EXPECT_FALSE(pathExists(path("dst/album/sub")));
        EXPECT_EQ(fileContents(path("src/album/sub/deep.avi")), "deep");
    }
}

// A name that is not UTF-8 beside its look-alike: neither is acted on, and the error names the
// other one with its bad bytes escaped.
TEST_F(UndoPutBackTest, ANameThatIsNotUtf8IsNeverTakenForItsLookAlike)
{
    mkdir("a");
    mkdir("dst");
    makeFile(path("a/clip\xff.avi"), "latin");
    makeFile(path("a/clip\xef\xbf\xbd.avi"), "look-alike");
    const QString shown = QFile::decodeName(path("a/clip\xff.avi"));
    ASSERT_EQ(QFile::encodeName(shown), path("a/clip\xef\xbf\xbd.avi"));
    for (const FileOperationCode operation :
         {FileOperationCode::Delete, FileOperationCode::Copy, FileOperationCode::Move}) {
        SCOPED_TRACE(int(operation));
        m_questions = {};
        const FileOperationResult result = run(operation, {shown}, qpath("dst"));
        EXPECT_TRUE(result.anyOperationsAborted);
        EXPECT_TRUE(result.journal.isEmpty());
        ASSERT_EQ(m_questions.errors.size(), 1);
        EXPECT_TRUE(m_questions.errors[0].reason.contains(QStringLiteral("clip\\xFF.avi")))
            << m_questions.errors[0].reason.toStdString();
        EXPECT_EQ(fileContents(path("a/clip\xff.avi")), "latin");
        EXPECT_EQ(fileContents(path("a/clip\xef\xbf\xbd.avi")), "look-alike");
        EXPECT_TRUE(test::folderEntries(path("dst")).isEmpty());
    }
}

// A file rewritten in place with its modification time put back (as taggers do) is not the
// file that was copied: only its change time tells.
TEST_F(UndoPutBackTest, AFileRewrittenInPlaceWithItsTimePutBackIsNotUnchanged)
{
    makeFile(path("tagged.mp3"), "before", 1500000000);
    struct stat copied, now;
    ASSERT_EQ(::lstat(path("tagged.mp3").constData(), &copied), 0);
    ::usleep(20000);
    makeFile(path("tagged.mp3"), "after!", 1500000000); // same size, same time, same inode
    ASSERT_EQ(::lstat(path("tagged.mp3").constData(), &now), 0);
    ASSERT_EQ(now.st_ino, copied.st_ino);
    ASSERT_EQ(now.st_mtim.tv_sec, copied.st_mtim.tv_sec);
    EXPECT_FALSE(unchangedSince(now, copied));
    EXPECT_TRUE(unchangedSince(now, now));
}

} // namespace
} // namespace vantoro
