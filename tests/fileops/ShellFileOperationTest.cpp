#include "fileops/ShellFileOperation.h"

#include "common/EngineFixture.h"
#include "common/FileOpFakes.h"
#include "common/FileOpTestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

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

class ShellFileOperationTest : public test::EngineFixture
{
protected:
    ShellFileOperationTest() : EngineFixture("fileop") {}

    FileOperationResult run(const FileOperationRequest& request) { return m_engine.run(request); }
};

TEST_F(ShellFileOperationTest, CopyKeepsBytesTimeAndModeAndLeavesNoTemporary)
{
    mkdir("src");
    mkdir("dst");
    const QByteArray big = test::patternBytes(3 * 1024 * 1024 + 17, 1);
    makeFile(path("src/clip.avi"), big, 1400000000, 0640);
    makeFile(path("src/empty.mp3"), QByteArray(), 1300000000, 0600);
    makeFile(path("src/run.sh"), "#!/bin/sh\n", 1200000000, 0755);

    const FileOperationResult result =
        run(makeRequest(FileOperationCode::Copy,
                        {qpath("src/clip.avi"), qpath("src/empty.mp3"), qpath("src/run.sh")},
                        qpath("dst"), Flag::kSimpleProgress));
    EXPECT_FALSE(result.anyOperationsAborted);
    EXPECT_EQ(folderEntries(path("dst")), QList<QByteArray>({"clip.avi", "empty.mp3", "run.sh"}));
    EXPECT_EQ(fileContents(path("dst/clip.avi")), big);
    EXPECT_EQ(fileContents(path("src/clip.avi")), big);
    const struct
    {
        const char* name;
        time_t mtime;
        mode_t mode;
    } expected[] = {{"dst/clip.avi", 1400000000, 0640},
                    {"dst/empty.mp3", 1300000000, 0600},
                    {"dst/run.sh", 1200000000, 0755}};
    for (const auto& e : expected) {
        struct stat st;
        ASSERT_EQ(::stat(path(e.name).constData(), &st), 0) << e.name;
        EXPECT_EQ(st.st_mtim.tv_sec, e.mtime) << e.name;
        EXPECT_EQ(st.st_mode & 07777, e.mode) << e.name;
    }
    EXPECT_EQ(m_questions.questionCount(), 0);
    // The progress window saw the whole operation, titled by its default without a title.
    EXPECT_EQ(m_progress.begins, 1);
    EXPECT_EQ(m_progress.ends, 1);
    EXPECT_EQ(m_progress.lastBytesTotal, big.size() + 10);
    EXPECT_EQ(m_progress.lastBytesDone, big.size() + 10);
    EXPECT_EQ(m_progress.title, QStringLiteral("Copying"));
}

TEST_F(ShellFileOperationTest, ProgressTitleAndSilence)
{
    mkdir("dst");
    makeFile(path("a"), "a");
    FileOperationRequest request =
        makeRequest(FileOperationCode::Copy, {qpath("a")}, qpath("dst"), Flag::kSimpleProgress);
    request.progressTitle = QStringLiteral("Vantoro");
    run(request);
    EXPECT_EQ(m_progress.title, QStringLiteral("Vantoro"));
    EXPECT_EQ(m_progress.begins, 1);

    request.flags = Flag::kSilent | Flag::kRenameOnCollision;
    run(request);
    EXPECT_EQ(m_progress.begins, 1) << "a silent operation shows no progress window";
    EXPECT_EQ(folderEntries(path("dst")), QList<QByteArray>({"a", "a (2)"}));
}

TEST_F(ShellFileOperationTest, CopyOrMoveOntoItselfIsRefusedWithoutTouchingTheFile)
{
    mkdir("v");
    ASSERT_EQ(::symlink(path("v").constData(), path("alias").constData()), 0);
    makeFile(path("v/clip.avi"), "precious");
    // The destination names the folder differently; only its identity tells it is the same.
    for (const FileOperationCode code : {FileOperationCode::Copy, FileOperationCode::Move}) {
        m_questions.errors.clear();
        const FileOperationResult result =
            run(makeRequest(code, {qpath("v/clip.avi")}, qpath("alias/")));
        EXPECT_TRUE(result.anyOperationsAborted);
        ASSERT_EQ(m_questions.errors.size(), 1);
        EXPECT_EQ(m_questions.errors.at(0).path, qpath("v/clip.avi"));
        EXPECT_EQ(fileContents(path("v/clip.avi")), "precious");
        EXPECT_EQ(folderEntries(path("v")), QList<QByteArray>({"clip.avi"}));
    }
    // A hard link of the file in the destination is the same file too.
    mkdir("w");
    ASSERT_EQ(::link(path("v/clip.avi").constData(), path("w/clip.avi").constData()), 0);
    m_questions.errors.clear();
    EXPECT_TRUE(run(makeRequest(FileOperationCode::Move, {qpath("v/clip.avi")}, qpath("w")))
                    .anyOperationsAborted);
    EXPECT_EQ(m_questions.errors.size(), 1);
    EXPECT_EQ(fileContents(path("v/clip.avi")), "precious");
    EXPECT_EQ(fileContents(path("w/clip.avi")), "precious");

    // With rename-on-collision a copy in its own folder is a new file beside it.
    m_questions.errors.clear();
    EXPECT_FALSE(run(makeRequest(FileOperationCode::Copy, {qpath("v/clip.avi")}, qpath("v"),
                                 Flag::kRenameOnCollision))
                     .anyOperationsAborted);
    EXPECT_EQ(folderEntries(path("v")), QList<QByteArray>({"clip (2).avi", "clip.avi"}));
    EXPECT_EQ(fileContents(path("v/clip (2).avi")), "precious");

    // A folder cannot be copied into itself.
    mkdir("v/sub");
    m_questions.errors.clear();
    EXPECT_TRUE(run(makeRequest(FileOperationCode::Copy, {qpath("v")}, qpath("v/sub")))
                    .anyOperationsAborted);
    EXPECT_EQ(m_questions.errors.size(), 1);
    EXPECT_TRUE(folderEntries(path("v/sub")).isEmpty());
}

TEST_F(ShellFileOperationTest, CollisionAnsweredEachWay)
{
    mkdir("src");
    mkdir("dst");
    for (const char* name : {"a", "b", "c", "d"}) {
        makeFile(path("src/") + name, QByteArray("new ") + name);
        makeFile(path("dst/") + name, QByteArray("old ") + name);
    }
    const QStringList sources{qpath("src/a"), qpath("src/b"), qpath("src/c"), qpath("src/d")};
    m_questions.collisionAnswers = {{CollisionChoice::Replace, false},
                                    {CollisionChoice::Skip, false},
                                    {CollisionChoice::Cancel, false}};
    const FileOperationResult result =
        run(makeRequest(FileOperationCode::Move, sources, qpath("dst")));
    EXPECT_TRUE(result.anyOperationsAborted);
    ASSERT_EQ(m_questions.collisions.size(), 3);
    EXPECT_EQ(m_questions.collisions.at(0).first, QStringLiteral("a"));
    EXPECT_EQ(m_questions.collisions.at(0).second, qpath("dst"));
    EXPECT_EQ(fileContents(path("dst/a")), "new a");
    EXPECT_FALSE(pathExists(path("src/a"))) << "a replaced move takes the source";
    EXPECT_EQ(fileContents(path("dst/b")), "old b");
    EXPECT_EQ(fileContents(path("src/b")), "new b");
    EXPECT_EQ(fileContents(path("dst/c")), "old c");
    EXPECT_EQ(fileContents(path("src/c")), "new c");
    EXPECT_EQ(fileContents(path("dst/d")), "old d") << "nothing after Cancel";
    EXPECT_EQ(fileContents(path("src/d")), "new d");
    EXPECT_EQ(folderEntries(path("dst")), QList<QByteArray>({"a", "b", "c", "d"}));
}

TEST_F(ShellFileOperationTest, OneAnswerForAllRemainingConflicts)
{
    mkdir("src");
    mkdir("dst");
    QStringList sources;
    for (int i = 0; i < 12; ++i) {
        const QByteArray name = "clip" + QByteArray::number(i);
        makeFile(path("src/") + name, "new" + name);
        if (i >= 2)
            makeFile(path("dst/") + name, "old" + name);
        sources.append(QFile::decodeName(path("src/") + name));
    }
    for (const CollisionChoice choice : {CollisionChoice::Skip, CollisionChoice::Replace}) {
        m_questions.collisions.clear();
        m_questions.collisionAnswer = {choice, true};
        const FileOperationResult result =
            run(makeRequest(FileOperationCode::Copy, sources, qpath("dst")));
        EXPECT_EQ(m_questions.collisions.size(), 1) << "ten conflicts, one question";
        EXPECT_EQ(result.anyOperationsAborted, choice == CollisionChoice::Skip);
        for (int i = 0; i < 12; ++i) {
            const QByteArray name = "clip" + QByteArray::number(i);
            const bool replaced = i < 2 || choice == CollisionChoice::Replace;
            EXPECT_EQ(fileContents(path("dst/") + name), (replaced ? "new" : "old") + name);
        }
        EXPECT_EQ(folderEntries(path("dst")).size(), 12);
    }
}

TEST_F(ShellFileOperationTest, RenameOnCollisionFindsAFreeName)
{
    mkdir("dst");
    mkdir("one");
    mkdir("two");
    makeFile(path("dst/clip.avi"), "0");
    makeFile(path("dst/clip (2).avi"), "2");
    makeFile(path("one/clip.avi"), "1");
    makeFile(path("two/clip.avi"), "b");
    makeFile(path("one/.hidden"), "h");
    makeFile(path("dst/.hidden"), "x");
    // Two sources of the same name in one operation: the second one collides with the first.
    EXPECT_FALSE(
        run(makeRequest(FileOperationCode::Copy,
                        {qpath("one/clip.avi"), qpath("two/clip.avi"), qpath("one/.hidden")},
                        qpath("dst"), Flag::kRenameOnCollision))
            .anyOperationsAborted);
    EXPECT_EQ(fileContents(path("dst/clip (3).avi")), "1");
    EXPECT_EQ(fileContents(path("dst/clip (4).avi")), "b");
    EXPECT_EQ(fileContents(path("dst/.hidden (2)")), "h");
    EXPECT_EQ(fileContents(path("dst/clip.avi")), "0");
    EXPECT_EQ(m_questions.questionCount(), 0);
}

TEST_F(ShellFileOperationTest, MissingDestinationFolderIsAskedFor)
{
    makeFile(path("a"), "a");
    m_questions.createFolderAnswer = false;
    EXPECT_TRUE(run(makeRequest(FileOperationCode::Copy, {qpath("a")}, qpath("new/deeper")))
                    .anyOperationsAborted);
    EXPECT_EQ(m_questions.createFolderQuestions, QStringList{qpath("new/deeper")});
    EXPECT_FALSE(pathExists(path("new")));

    m_questions.createFolderAnswer = true;
    EXPECT_FALSE(run(makeRequest(FileOperationCode::Copy, {qpath("a")}, qpath("new/deeper")))
                     .anyOperationsAborted);
    EXPECT_EQ(fileContents(path("new/deeper/a")), "a");

    m_questions.createFolderQuestions.clear();
    EXPECT_FALSE(run(makeRequest(FileOperationCode::Move, {qpath("a")}, qpath("made"),
                                 Flag::kNoConfirmMkdir))
                     .anyOperationsAborted);
    EXPECT_TRUE(m_questions.createFolderQuestions.isEmpty());
    EXPECT_EQ(fileContents(path("made/a")), "a");
    EXPECT_FALSE(pathExists(path("a")));
}

TEST_F(ShellFileOperationTest, FilesOnlySkipsFoldersOtherwiseFoldersAreCopiedWhole)
{
    mkdir("dst");
    mkdir("album");
    mkdir("album/disc 2");
    makeFile(path("album/one.mp3"), "1");
    makeFile(path("album/disc 2/two.mp3"), "2");
    ASSERT_EQ(::symlink("one.mp3", path("album/link.mp3").constData()), 0);
    makeFile(path("single.mp3"), "s");
    const QStringList sources{qpath("album"), qpath("single.mp3")};

    EXPECT_FALSE(run(makeRequest(FileOperationCode::Copy, sources, qpath("dst"), Flag::kFilesOnly))
                     .anyOperationsAborted);
    EXPECT_EQ(folderEntries(path("dst")), QList<QByteArray>({"single.mp3"}));

    EXPECT_FALSE(
        run(makeRequest(FileOperationCode::Move, sources, qpath("dst"), Flag::kRenameOnCollision))
            .anyOperationsAborted);
    EXPECT_EQ(fileContents(path("dst/album/disc 2/two.mp3")), "2");
    EXPECT_EQ(fileContents(path("dst/album/link.mp3")), "1");
    EXPECT_EQ(fileContents(path("dst/single (2).mp3")), "s");
    EXPECT_FALSE(pathExists(path("album")));

    EXPECT_FALSE(run(makeRequest(FileOperationCode::Delete, {qpath("dst/album")}, {},
                                 Flag::kFilesOnly | Flag::kNoConfirmation))
                     .anyOperationsAborted);
    EXPECT_TRUE(pathExists(path("dst/album/one.mp3")));
}

TEST_F(ShellFileOperationTest, MissingSourceAsksRetrySkipCancel)
{
    mkdir("dst");
    makeFile(path("b"), "b");
    makeFile(path("c"), "c");
    const QStringList sources{qpath("a"), qpath("b"), qpath("c")};
    m_questions.errorAnswers = {ErrorChoice::Skip};
    EXPECT_TRUE(
        run(makeRequest(FileOperationCode::Copy, sources, qpath("dst"))).anyOperationsAborted);
    ASSERT_EQ(m_questions.errors.size(), 1);
    EXPECT_EQ(m_questions.errors.at(0).errorCode, ENOENT);
    EXPECT_EQ(m_questions.errors.at(0).destination, qpath("dst"));
    EXPECT_FALSE(m_questions.errors.at(0).reason.isEmpty());
    EXPECT_EQ(folderEntries(path("dst")), QList<QByteArray>({"b", "c"}));

    // Retry finds the file that appeared meanwhile.
    m_questions.errors.clear();
    m_questions.errorAnswers = {ErrorChoice::Retry};
    m_questions.onError = [&] { makeFile(path("a"), "late"); };
    ASSERT_EQ(::unlink(path("dst/b").constData()), 0);
    EXPECT_FALSE(run(makeRequest(FileOperationCode::Copy, {qpath("a"), qpath("b")}, qpath("dst")))
                     .anyOperationsAborted);
    EXPECT_EQ(m_questions.errors.size(), 1);
    EXPECT_EQ(fileContents(path("dst/a")), "late");
    m_questions.onError = nullptr;
    ASSERT_EQ(::unlink(path("a").constData()), 0);
    ASSERT_EQ(::unlink(path("dst/a").constData()), 0);

    // Cancel stops before the rest.
    ASSERT_EQ(::unlink(path("dst/b").constData()), 0);
    ASSERT_EQ(::unlink(path("dst/c").constData()), 0);
    m_questions.errorAnswers = {ErrorChoice::Cancel};
    EXPECT_TRUE(
        run(makeRequest(FileOperationCode::Copy, sources, qpath("dst"))).anyOperationsAborted);
    EXPECT_TRUE(folderEntries(path("dst")).isEmpty());
}

TEST_F(ShellFileOperationTest, CancelMidCopyLeavesNothingAndKeepsTheSource)
{
    mkdir("dst");
    const QByteArray big = test::patternBytes(192 * 1024 * 1024, 7);
    makeFile(path("big.mkv"), big);
    makeFile(path("after.mkv"), "after");
    m_progress.cancelWhen = [](qint64 done, qint64 total) { return done > 0 && done < total; };
    const FileOperationResult result = run(
        makeRequest(FileOperationCode::Copy, {qpath("big.mkv"), qpath("after.mkv")}, qpath("dst")));
    if (!m_progress.cancelled)
        GTEST_SKIP() << "the copy finished before the first progress tick";
    EXPECT_TRUE(result.anyOperationsAborted);
    // Seen by the copy between two blocks, the cancel leaves nothing; on a busy machine the last
    // block may be written before the worker looks, and the complete copy is kept. Never a part
    // of it, and nothing after it.
    const QList<QByteArray> left = folderEntries(path("dst"));
    if (!left.isEmpty()) {
        EXPECT_EQ(left, QList<QByteArray>({"big.mkv"}));
        EXPECT_EQ(fileContents(path("dst/big.mkv")), big);
    }
    EXPECT_EQ(fileContents(path("big.mkv")), big);
}

TEST_F(ShellFileOperationTest, PermanentDeleteAsksFirstAndNamesTheItems)
{
    makeFile(path("a"), "a");
    mkdir("folder");
    makeFile(path("folder/inner"), "i");
    const QStringList items{qpath("a"), qpath("folder")};
    m_questions.deleteAnswer = false;
    EXPECT_TRUE(run(makeRequest(FileOperationCode::Delete, items)).anyOperationsAborted);
    ASSERT_EQ(m_questions.deleteQuestions.size(), 1);
    EXPECT_EQ(m_questions.deleteQuestions.at(0).first, items);
    EXPECT_FALSE(m_questions.deleteQuestions.at(0).second);
    EXPECT_TRUE(pathExists(path("a")));
    EXPECT_TRUE(pathExists(path("folder/inner")));

    m_questions.deleteAnswer = true;
    EXPECT_FALSE(run(makeRequest(FileOperationCode::Delete, items)).anyOperationsAborted);
    EXPECT_FALSE(pathExists(path("a")));
    EXPECT_FALSE(pathExists(path("folder")));
    EXPECT_EQ(m_questions.offThreadCalls, 0);
}

} // namespace
} // namespace vantoro
