#include "fileops/FileOperationUndo.h"
#include "fileops/FileOperationSupport.h"
#include "fileops/ShellFileOperation.h"
#include "fileops/Trash.h"
#include "fileops/TrashRestore.h"

#include "common/EngineFixture.h"
#include "common/FileOpFakes.h"
#include "common/FileOpTestSupport.h"
#include "common/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/mount.h>
#include <sys/stat.h>
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
using Kind = JournalEntry::Kind;

class FileOperationUndoTest : public test::EngineFixture
{
protected:
    FileOperationUndoTest() : EngineFixture("undo") {}
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_trash = QFile::encodeName(test::homeTrash());
        ASSERT_TRUE(m_trash.contains("vantoro-test-home")) << "not a private Trash";
        QDir(test::homeTrash()).removeRecursively();
    }

    // Folders here are made with their parents.
    void mkdir(const QByteArray& relative) const { ASSERT_TRUE(QDir().mkpath(qpath(relative))); }
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
    QByteArray trashList()
    {
        QByteArray listing;
        EXPECT_EQ(test::runProgram(QStringLiteral("trash-list"), {}, &listing), 0)
            << listing.data();
        return listing;
    }

    QByteArray m_trash;
};

TEST_F(FileOperationUndoTest, JournalNamesEachFileAndItsTrashEntry)
{
    mkdir("a");
    mkdir("dst");
    makeFile(path("a/one.avi"), "one");
    makeFile(path("a/two 50%.avi"), "two");
    FileOperationResult result = run(FileOperationCode::Delete, {qpath("a/one.avi")});
    ASSERT_EQ(result.journal.entries.size(), 1u);
    EXPECT_EQ(result.journal.entries[0].kind, Kind::Trashed);
    EXPECT_EQ(result.journal.entries[0].source, path("a/one.avi"));
    EXPECT_EQ(result.journal.entries[0].trash.folder, m_trash);
    EXPECT_EQ(result.journal.entries[0].trash.name, "one.avi");

    // A second file of the same path, trashed within the same second, gets the entry the Trash
    // gave it, not the older one of the same name and path.
    makeFile(path("a/one.avi"), "one again");
    result = run(FileOperationCode::Delete, {qpath("a/one.avi")});
    ASSERT_EQ(result.journal.entries.size(), 1u);
    const TrashEntry second = result.journal.entries[0].trash;
    ASSERT_TRUE(second.isValid());
    EXPECT_NE(second.name, "one.avi");
    EXPECT_EQ(fileContents(second.filePath()), "one again");
    EXPECT_TRUE(pathExists(second.infoPath()));

    result = run(FileOperationCode::Copy, {qpath("a/two 50%.avi")}, qpath("dst"));
    ASSERT_EQ(result.journal.entries.size(), 1u);
    const JournalEntry copy = result.journal.entries[0];
    EXPECT_EQ(copy.kind, Kind::Copied);
    EXPECT_EQ(copy.destination, path("dst/two 50%.avi"));
    struct stat st;
    ASSERT_EQ(::lstat(copy.destination.constData(), &st), 0);
    EXPECT_EQ(copy.written.inode, st.st_ino);
    EXPECT_EQ(copy.written.size, 3);

    result = run(FileOperationCode::Move, {qpath("a/two 50%.avi")}, qpath("a/.."));
    ASSERT_EQ(result.journal.entries.size(), 1u);
    EXPECT_EQ(result.journal.entries[0].kind, Kind::Moved);
    EXPECT_EQ(result.journal.entries[0].source, path("a/two 50%.avi"));
    EXPECT_EQ(result.journal.entries[0].destination, path("a/../two 50%.avi"));

    // A file not handled (missing) is not in the journal.
    result = run(FileOperationCode::Move, {qpath("a/missing.avi")}, qpath("dst"));
    EXPECT_TRUE(result.journal.isEmpty());
}

TEST_F(FileOperationUndoTest, UndoOfDeleteRestoresFromTheTrashAndRemovesTheRecords)
{
    mkdir("a");
    mkdir("b");
    makeFile(path("a/x.avi"), "x");
    makeFile(path("b/y é.mp3"), "y");
    const FileOperationResult result =
        run(FileOperationCode::Delete, {qpath("a/x.avi"), qpath("b/y é.mp3")});
    ASSERT_FALSE(result.anyOperationsAborted);
    EXPECT_EQ(folderEntries(m_trash + "/files").size(), 2);
    // The folder of one clip is gone meanwhile: it is made again.
    ASSERT_TRUE(QDir(qpath("b")).removeRecursively());

    const FileOperationUndo undo(result.journal);
    EXPECT_EQ(undo.description(), QStringLiteral("delete 2 clips"));
    EXPECT_EQ(undo.summary(), QStringLiteral("2 clips moved to the Trash"));
    EXPECT_TRUE(undo.check().empty());
    const UndoOutcome outcome = undo.run(m_engine);
    EXPECT_EQ(outcome.undone, QStringList({qpath("a/x.avi"), qpath("b/y é.mp3")}));
    EXPECT_TRUE(outcome.leftAlone.empty());
    EXPECT_EQ(fileContents(path("a/x.avi")), "x");
    EXPECT_EQ(fileContents(path("b/y é.mp3")), "y");
    EXPECT_TRUE(folderEntries(m_trash + "/files").isEmpty());
    EXPECT_TRUE(folderEntries(m_trash + "/info").isEmpty());
    const QByteArray listing = trashList();
    EXPECT_FALSE(listing.contains("x.avi")) << listing.data();
    EXPECT_FALSE(listing.contains("y é.mp3")) << listing.data();
}

TEST_F(FileOperationUndoTest, UndoOfMoveReturnsEachFileToItsOwnFolder)
{
    mkdir("a");
    mkdir("b");
    mkdir("dst");
    makeFile(path("a/1.avi"), "1");
    makeFile(path("a/2.avi"), "2");
    makeFile(path("b/3.avi"), "3");
    struct stat before;
    ASSERT_EQ(::lstat(path("a/1.avi").constData(), &before), 0);
    const FileOperationResult result =
        run(FileOperationCode::Move, {qpath("a/1.avi"), qpath("b/3.avi"), qpath("a/2.avi")},
            qpath("dst"));
    ASSERT_EQ(result.journal.count(Kind::Moved), 3);
    const FileOperationUndo undo(result.journal);
    EXPECT_EQ(undo.description(), QStringLiteral("move 3 clips to %1").arg(qpath("dst")));

    const int requestsBefore = m_progress.begins;
    const UndoOutcome outcome = undo.run(m_engine);
    EXPECT_FALSE(outcome.aborted);
    EXPECT_EQ(outcome.undone, QStringList({qpath("a/1.avi"), qpath("b/3.avi"), qpath("a/2.avi")}));
    EXPECT_EQ(m_progress.begins, requestsBefore) << "renames on one file system";
    EXPECT_EQ(m_questions.questionCount(), 0) << "an undo asks nothing";
    EXPECT_TRUE(folderEntries(path("dst")).isEmpty());
    EXPECT_EQ(fileContents(path("a/1.avi")), "1");
    EXPECT_EQ(fileContents(path("a/2.avi")), "2");
    EXPECT_EQ(fileContents(path("b/3.avi")), "3");
    struct stat after;
    ASSERT_EQ(::lstat(path("a/1.avi").constData(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino) << "a rename on one file system";
}

TEST_F(FileOperationUndoTest, UndoOfCopySendsTheCopiesToTheTrash)
{
    mkdir("a");
    mkdir("dst");
    makeFile(path("a/1.avi"), "1");
    makeFile(path("a/2.avi"), "2");
    const FileOperationResult result =
        run(FileOperationCode::Copy, {qpath("a/1.avi"), qpath("a/2.avi")}, qpath("dst"));
    ASSERT_EQ(result.journal.count(Kind::Copied), 2);
    const UndoOutcome outcome = FileOperationUndo(result.journal).run(m_engine);
    EXPECT_EQ(outcome.undone.size(), 2);
    EXPECT_TRUE(folderEntries(path("dst")).isEmpty());
    EXPECT_EQ(fileContents(path("a/1.avi")), "1");
    EXPECT_EQ(fileContents(path("a/2.avi")), "2");
    EXPECT_EQ(fileContents(m_trash + "/files/1.avi"), "1");
    EXPECT_EQ(fileContents(m_trash + "/files/2.avi"), "2");
}

TEST_F(FileOperationUndoTest, WhatCannotGoBackIsNamedAndLeftAsItIs)
{
    mkdir("a");
    mkdir("dst");
    for (const char* name : {"occupied.avi", "emptied.avi", "fine.avi"})
        makeFile(path("a/") + name, name);
    FileOperationResult deleted =
        run(FileOperationCode::Delete,
            {qpath("a/occupied.avi"), qpath("a/emptied.avi"), qpath("a/fine.avi")});
    ASSERT_EQ(deleted.journal.count(Kind::Trashed), 3);
    makeFile(path("a/occupied.avi"), "newcomer");
    ASSERT_EQ(::unlink(QByteArray(m_trash + "/files/emptied.avi").constData()), 0);
    ASSERT_EQ(::unlink(QByteArray(m_trash + "/info/emptied.avi.trashinfo").constData()), 0);

    const FileOperationUndo undo(deleted.journal);
    const std::vector<UndoProblem> problems = undo.check();
    ASSERT_EQ(problems.size(), 2u);
    EXPECT_EQ(problems[0].path, qpath("a/occupied.avi"));
    EXPECT_TRUE(problems[0].reason.contains(QStringLiteral("now has its place")));
    EXPECT_EQ(problems[1].path, qpath("a/emptied.avi"));
    EXPECT_TRUE(problems[1].reason.contains(QStringLiteral("no longer in the Trash")));
    const UndoOutcome outcome = undo.run(m_engine);
    EXPECT_EQ(outcome.undone, QStringList({qpath("a/fine.avi")}));
    EXPECT_EQ(fileContents(path("a/occupied.avi")), "newcomer") << "never replaced";
    EXPECT_EQ(fileContents(m_trash + "/files/occupied.avi"), "occupied.avi");

    // A copy changed since it was made stays; an unchanged one goes.
    makeFile(path("a/c1.avi"), "c1");
    makeFile(path("a/c2.avi"), "c2");
    const FileOperationResult copied =
        run(FileOperationCode::Copy, {qpath("a/c1.avi"), qpath("a/c2.avi")}, qpath("dst"));
    ASSERT_EQ(copied.journal.count(Kind::Copied), 2);
    makeFile(path("dst/c1.avi"), "edited", 1600000000);
    const FileOperationUndo copyUndo(copied.journal);
    ASSERT_EQ(copyUndo.check().size(), 1u);
    EXPECT_EQ(copyUndo.check()[0].path, qpath("dst/c1.avi")) << "the copy is named";
    EXPECT_TRUE(copyUndo.check()[0].reason.contains(QStringLiteral("changed")));
    copyUndo.run(m_engine);
    EXPECT_EQ(fileContents(path("dst/c1.avi")), "edited");
    EXPECT_FALSE(pathExists(path("dst/c2.avi")));

    // A moved file whose old place is taken stays where it is.
    makeFile(path("a/m.avi"), "moved");
    const FileOperationResult moved =
        run(FileOperationCode::Move, {qpath("a/m.avi")}, qpath("dst"));
    makeFile(path("a/m.avi"), "in its place");
    const FileOperationUndo moveUndo(moved.journal);
    ASSERT_EQ(moveUndo.check().size(), 1u);
    EXPECT_TRUE(moveUndo.run(m_engine).undone.isEmpty());
    EXPECT_EQ(fileContents(path("a/m.avi")), "in its place");
    EXPECT_EQ(fileContents(path("dst/m.avi")), "moved");

    // A moved file that another file has taken the place of since is not moved back.
    makeFile(path("a/n.avi"), "moved away");
    const FileOperationResult movedAway =
        run(FileOperationCode::Move, {qpath("a/n.avi")}, qpath("dst"));
    ASSERT_EQ(::unlink(path("dst/n.avi").constData()), 0);
    makeFile(path("dst/n.avi"), "a stranger", 1600000000);
    const FileOperationUndo strangerUndo(movedAway.journal);
    ASSERT_EQ(strangerUndo.check().size(), 1u);
    EXPECT_FALSE(strangerUndo.check()[0].reason.isEmpty());
    EXPECT_TRUE(strangerUndo.run(m_engine).undone.isEmpty());
    EXPECT_FALSE(pathExists(path("a/n.avi")));
    EXPECT_EQ(fileContents(path("dst/n.avi")), "a stranger");
}

TEST_F(FileOperationUndoTest, TwoUndosInARowTakeBackTwoActions)
{
    mkdir("a");
    mkdir("dst");
    makeFile(path("a/1.avi"), "1");
    makeFile(path("a/2.avi"), "2");
    const FileOperationResult moved =
        run(FileOperationCode::Move, {qpath("a/1.avi"), qpath("a/2.avi")}, qpath("dst"));
    const FileOperationResult deleted = run(FileOperationCode::Delete, {qpath("dst/1.avi")});
    ASSERT_EQ(deleted.journal.count(Kind::Trashed), 1);

    // Newest first: the delete, then the move.
    EXPECT_EQ(FileOperationUndo(deleted.journal).run(m_engine).undone.size(), 1);
    EXPECT_EQ(fileContents(path("dst/1.avi")), "1");
    const FileOperationUndo undoMove(moved.journal);
    EXPECT_TRUE(undoMove.check().empty()) << "the restored file is the one that was moved";
    EXPECT_EQ(undoMove.run(m_engine).undone.size(), 2);
    EXPECT_EQ(fileContents(path("a/1.avi")), "1");
    EXPECT_EQ(fileContents(path("a/2.avi")), "2");
    EXPECT_TRUE(folderEntries(path("dst")).isEmpty());
    EXPECT_TRUE(folderEntries(m_trash + "/info").isEmpty());
}

TEST_F(FileOperationUndoTest, AReplacedFileGoesToTheTrashAndComesBackWithTheUndo)
{
    mkdir("a");
    mkdir("dst");
    makeFile(path("a/copied.avi"), "new copy");
    makeFile(path("a/moved.avi"), "new move");
    makeFile(path("dst/copied.avi"), "old one", 1300000000);
    makeFile(path("dst/moved.avi"), "old two");
    m_questions.collisionAnswer = {CollisionChoice::Replace, false};
    // Asked, not answered by "no confirmation": the replaced file is the user's to keep.
    const FileOperationResult copied = m_engine.run(makeRequest(
        FileOperationCode::Copy, {qpath("a/copied.avi")}, qpath("dst"), Flag::kAllowUndo));
    const FileOperationResult moved = m_engine.run(makeRequest(
        FileOperationCode::Move, {qpath("a/moved.avi")}, qpath("dst"), Flag::kAllowUndo));
    EXPECT_EQ(m_questions.collisions.size(), 2);
    EXPECT_EQ(fileContents(path("dst/copied.avi")), "new copy");
    EXPECT_EQ(fileContents(path("dst/moved.avi")), "new move");
    EXPECT_EQ(fileContents(m_trash + "/files/copied.avi"), "old one");
    EXPECT_EQ(fileContents(m_trash + "/files/moved.avi"), "old two");
    ASSERT_EQ(copied.journal.entries.size(), 1u);
    EXPECT_EQ(copied.journal.entries[0].replaced.name, "copied.avi");
    ASSERT_EQ(moved.journal.entries.size(), 1u);
    EXPECT_EQ(moved.journal.entries[0].replaced.name, "moved.avi");

    EXPECT_EQ(FileOperationUndo(moved.journal).run(m_engine).undone.size(), 1);
    EXPECT_EQ(fileContents(path("a/moved.avi")), "new move");
    EXPECT_EQ(fileContents(path("dst/moved.avi")), "old two");
    EXPECT_EQ(FileOperationUndo(copied.journal).run(m_engine).undone.size(), 1);
    EXPECT_EQ(fileContents(path("dst/copied.avi")), "old one");
    struct stat st;
    ASSERT_EQ(::lstat(path("dst/copied.avi").constData(), &st), 0);
    EXPECT_EQ(st.st_mtime, 1300000000);
    // The copy that replaced it is in the Trash now; nothing else is.
    const QList<QByteArray> left = folderEntries(m_trash + "/files");
    ASSERT_EQ(left.size(), 1);
    EXPECT_EQ(fileContents(m_trash + "/files/" + left[0]), "new copy");
    EXPECT_EQ(folderEntries(m_trash + "/info").size(), 1);
}

// A replacing move that then fails (the source's folder is immutable) puts the file it was
// to replace back in its place from the Trash: a failure leaves the destination as it was.
TEST_F(FileOperationUndoTest, AReplacingMoveThatFailsPutsTheReplacedFileBack)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "chattr needs root";
    mkdir("a");
    mkdir("dst");
    makeFile(path("a/moved.avi"), "new move");
    makeFile(path("dst/moved.avi"), "old one");
    if (test::runProgram(QStringLiteral("chattr"), {QStringLiteral("+i"), qpath("a")}) != 0)
        GTEST_SKIP() << "this file system has no immutable flag";
    m_questions.collisionAnswer = {CollisionChoice::Replace, false};
    m_questions.errorAnswer = ErrorChoice::Skip;
    const FileOperationResult moved = m_engine.run(makeRequest(
        FileOperationCode::Move, {qpath("a/moved.avi")}, qpath("dst"), Flag::kAllowUndo));
    test::runProgram(QStringLiteral("chattr"), {QStringLiteral("-i"), qpath("a")});
    EXPECT_TRUE(moved.anyOperationsAborted);
    EXPECT_EQ(m_questions.errors.size(), 1);
    EXPECT_EQ(fileContents(path("a/moved.avi")), "new move");
    EXPECT_EQ(fileContents(path("dst/moved.avi")), "old one");
    EXPECT_TRUE(folderEntries(m_trash + "/files").isEmpty());
    EXPECT_TRUE(folderEntries(m_trash + "/info").isEmpty());
    EXPECT_TRUE(moved.journal.isEmpty());
}

TEST_F(FileOperationUndoTest, UndoAcrossFileSystemsAndInAVolumeTrash)
{
    if (!test::runningAsRoot())
        GTEST_SKIP() << "needs root to mount file systems";
    mkdir("vol");
    mkdir("home");
    Mount volume;
    ASSERT_TRUE(volume.ext4(path("volume.img"), path("vol")));
    ASSERT_EQ(::mkdir(path("vol/clips").constData(), 0755), 0);
    makeFile(path("vol/clips/a b.avi"), "on the volume", 1400000000);
    makeFile(path("vol/clips/t.avi"), "to the volume's Trash");

    // Moved off the volume (a copy across), then back.
    const FileOperationResult moved =
        run(FileOperationCode::Move, {qpath("vol/clips/a b.avi")}, qpath("home"));
    ASSERT_EQ(moved.journal.count(Kind::Moved), 1);
    ASSERT_FALSE(pathExists(path("vol/clips/a b.avi")));
    const int requestsBefore = m_progress.begins;
    EXPECT_EQ(FileOperationUndo(moved.journal).run(m_engine).undone.size(), 1);
    EXPECT_EQ(m_progress.begins - requestsBefore, 1) << "one engine request for the folder";
    EXPECT_EQ(m_progress.title, QStringLiteral("Undo"));
    EXPECT_EQ(fileContents(path("vol/clips/a b.avi")), "on the volume");
    EXPECT_FALSE(pathExists(path("home/a b.avi")));
    struct stat st;
    ASSERT_EQ(::lstat(path("vol/clips/a b.avi").constData(), &st), 0);
    EXPECT_EQ(st.st_mtime, 1400000000) << "the safe copy keeps the time";

    // Trashed into the volume's own Trash, restored from there.
    const FileOperationResult deleted = run(FileOperationCode::Delete, {qpath("vol/clips/t.avi")});
    ASSERT_EQ(deleted.journal.count(Kind::Trashed), 1);
    const QByteArray volumeTrash = path("vol/.Trash-") + QByteArray::number(::getuid());
    EXPECT_EQ(deleted.journal.entries[0].trash.folder, volumeTrash);
    EXPECT_EQ(FileOperationUndo(deleted.journal).run(m_engine).undone.size(), 1);
    EXPECT_EQ(fileContents(path("vol/clips/t.avi")), "to the volume's Trash");
    EXPECT_TRUE(folderEntries(volumeTrash + "/info").isEmpty());

    // A copy on a file system without a Trash stays, and the undo says so.
    mkdir("tmp");
    Mount tmp;
    ASSERT_TRUE(tmp.tmpfs(path("tmp")));
    const FileOperationResult copied =
        run(FileOperationCode::Copy, {qpath("vol/clips/t.avi")}, qpath("tmp"));
    ASSERT_EQ(copied.journal.count(Kind::Copied), 1);
    const UndoOutcome outcome = FileOperationUndo(copied.journal).run(m_engine);
    EXPECT_TRUE(outcome.undone.isEmpty());
    ASSERT_EQ(outcome.leftAlone.size(), 1u);
    EXPECT_TRUE(outcome.leftAlone[0].reason.contains(QStringLiteral("Trash refused")));
    EXPECT_EQ(fileContents(path("tmp/t.avi")), "to the volume's Trash") << "never deleted outright";
    EXPECT_TRUE(m_questions.permanentDeleteQuestions.isEmpty());
}

// While the person reads "Undo the rest?" a file is saved at an original place, or the moved
// file is swapped for another at the place it was moved to: neither is replaced nor moved back.
TEST_F(FileOperationUndoTest, AnUndoAcrossDrivesLooksAtEachFileWhenItsTurnComes)
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
    EXPECT_EQ(fileContents(path("vol/clips/saved.avi")), "saved meanwhile");
    EXPECT_EQ(fileContents(path("home/saved.avi")), "moved saved.avi");
    EXPECT_TRUE(reasonFor(outcome, qpath("vol/clips/saved.avi")).contains(u"now has its place"));
    EXPECT_FALSE(pathExists(path("vol/clips/swapped.avi")));
    EXPECT_EQ(fileContents(path("home/swapped.avi")), "a stranger");
    EXPECT_TRUE(
        reasonFor(outcome, qpath("vol/clips/swapped.avi")).contains(u"moved")); // or changed
    EXPECT_TRUE(test::folderEntries(path("vol/.Trash-0/files")).isEmpty()) << "nothing replaced";
    EXPECT_TRUE(m_questions.collisions.isEmpty());
}

// On a volume without a Trash, Replace asks before the old file is deleted for good: once, for
// all when told so; No keeps the old file and the source.
TEST_F(FileOperationUndoTest, ReplacingWhereTheTrashRefusesAsksBeforeDeletingForGood)
{
    if (!test::runningAsRoot())
        GTEST_SKIP() << "needs root to mount file systems";
    int row = 0;
    for (const auto& [operation, yes] : {std::pair{FileOperationCode::Copy, false},
                                         {FileOperationCode::Copy, true},
                                         {FileOperationCode::Move, false},
                                         {FileOperationCode::Move, true}}) {
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
        m_questions.replacePermanentlyAnswer = {yes, true};
        const FileOperationResult result =
            run(operation, {qpath(dir + "/src/1.avi"), qpath(dir + "/src/2.avi")},
                qpath(dir + "/tmp"), 0);
        EXPECT_EQ(m_questions.replacePermanentlyQuestions.size(), 1) << "once, for all";
        EXPECT_EQ(result.anyOperationsAborted, !yes);
        for (const char* name : {"1.avi", "2.avi"}) {
            EXPECT_EQ(fileContents(path(dir + "/tmp/") + name), yes ? "new" : "old");
            EXPECT_EQ(pathExists(path(dir + "/src/") + name),
                      operation == FileOperationCode::Copy || !yes);
        }
    }
}

// An emptied Trash entry whose name went to another item: that item is not ours to restore,
// and a copy whose replaced file is gone so stays rather than leaving nothing.
TEST_F(FileOperationUndoTest, ATrashEntryIsRestoredOnlyWhileItHoldsWhatWentThere)
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
TEST_F(FileOperationUndoTest, AFolderMergeJournalsOnlyWhatItAdded)
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
TEST_F(FileOperationUndoTest, ANameThatIsNotUtf8IsNeverTakenForItsLookAlike)
{
    mkdir("a");
    mkdir("dst");
    makeFile(path("a/clip\xff.avi"), "latin");
    makeFile(path("a/clip\xef\xbf\xbd.avi"), "look-alike");
    const QString shown = QFile::decodeName(path("a/clip\xff.avi")); // encodes as the other
    for (const FileOperationCode operation :
         {FileOperationCode::Delete, FileOperationCode::Copy, FileOperationCode::Move}) {
        SCOPED_TRACE(int(operation));
        m_questions = {};
        const FileOperationResult result = run(operation, {shown}, qpath("dst"));
        EXPECT_TRUE(result.anyOperationsAborted);
        EXPECT_TRUE(result.journal.isEmpty());
        ASSERT_EQ(m_questions.errors.size(), 1);
        EXPECT_TRUE(m_questions.errors[0].reason.contains(QStringLiteral("clip\\xFF.avi")));
        EXPECT_EQ(fileContents(path("a/clip\xff.avi")), "latin");
        EXPECT_EQ(fileContents(path("a/clip\xef\xbf\xbd.avi")), "look-alike");
        EXPECT_TRUE(test::folderEntries(path("dst")).isEmpty());
    }
}

// A file rewritten in place with its modification time put back (as taggers do) is not the
// file that was copied: only its change time tells.
TEST_F(FileOperationUndoTest, AFileRewrittenInPlaceWithItsTimePutBackIsNotUnchanged)
{
    makeFile(path("tagged.mp3"), "before", 1500000000);
    struct stat copied, now;
    ASSERT_EQ(::lstat(path("tagged.mp3").constData(), &copied), 0);
    ::usleep(20000);
    makeFile(path("tagged.mp3"), "after!", 1500000000); // same size, same time, same inode
    ASSERT_EQ(::lstat(path("tagged.mp3").constData(), &now), 0);
    EXPECT_FALSE(unchangedSince(now, copied));
    EXPECT_TRUE(unchangedSince(now, now));
}

} // namespace
} // namespace vantoro
