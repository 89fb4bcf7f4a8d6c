// The file-operation engine on unusual files and folders of one file system: links that lead
// to the destination, folders that would go into themselves, files a copy cannot make, holes,
// extended attributes and the leftovers of a killed copy.
#include "fileops/FileCopier.h"
#include "fileops/ShellFileOperation.h"
#include "fileops/Trash.h"

#include "common/EngineFixture.h"
#include "common/FileOpFakes.h"
#include "common/FileOpTestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace vantoro {
namespace {

using test::fileContents;
using test::folderEntries;
using test::makeFile;
using test::makeRequest;
using test::pathExists;
namespace Flag = FileOperationFlag;

class FileOpEdgeCaseTest : public test::EngineFixture
{
protected:
    FileOpEdgeCaseTest() : EngineFixture("edge") {}
    bool isRegularFile(const QByteArray& relative) const
    {
        struct stat st;
        return ::lstat(path(relative).constData(), &st) == 0 && S_ISREG(st.st_mode);
    }
};

// The clip manager reaches this: it skips folders, not links, and asks about the collision.
TEST_F(FileOpEdgeCaseTest, LinkThatLeadsToTheDestinationFileIsTheSameFile)
{
    for (const char* folder : {"dst", "abs", "rel", "chain", "via"})
        mkdir(folder);
    makeFile(path("dst/clip.avi"), "the only copy");
    ASSERT_EQ(::symlink(path("dst/clip.avi").constData(), path("abs/clip.avi").constData()), 0);
    ASSERT_EQ(::symlink("../dst/clip.avi", path("rel/clip.avi").constData()), 0);
    // chain/clip.avi -> via/clip.avi -> dst/clip.avi
    ASSERT_EQ(::symlink("../via/clip.avi", path("chain/clip.avi").constData()), 0);
    ASSERT_EQ(::symlink("../dst/clip.avi", path("via/clip.avi").constData()), 0);
    for (const FileOperationCode code : {FileOperationCode::Copy, FileOperationCode::Move}) {
        for (const char* source : {"abs/clip.avi", "rel/clip.avi", "chain/clip.avi"}) {
            for (const quint16 flags : {quint16(0), Flag::kNoConfirmation}) {
                SCOPED_TRACE(std::string(source) + " op " + std::to_string(int(code)) + " flags " +
                             std::to_string(flags));
                m_questions.errors.clear();
                m_questions.collisionAnswer = {CollisionChoice::Replace, false};
                EXPECT_TRUE(m_engine.run(makeRequest(code, {qpath(source)}, qpath("dst"), flags))
                                .anyOperationsAborted);
                ASSERT_EQ(m_questions.errors.size(), 1);
                EXPECT_EQ(m_questions.errors.at(0).path, qpath(source));
                EXPECT_FALSE(m_questions.errors.at(0).reason.isEmpty());
                EXPECT_TRUE(isRegularFile("dst/clip.avi"));
                EXPECT_EQ(fileContents(path("dst/clip.avi")), "the only copy");
                EXPECT_TRUE(pathExists(path(source))) << "the link stays";
            }
        }
    }

    // The same inside a folder that is merged into one of the same name.
    mkdir("album");
    mkdir("dst/album");
    makeFile(path("dst/album/song.mp3"), "song");
    ASSERT_EQ(::symlink("../dst/album/song.mp3", path("album/song.mp3").constData()), 0);
    m_questions.errors.clear();
    EXPECT_TRUE(m_engine
                    .run(makeRequest(FileOperationCode::Move, {qpath("album")}, qpath("dst"),
                                     Flag::kNoConfirmation))
                    .anyOperationsAborted);
    ASSERT_EQ(m_questions.errors.size(), 1);
    EXPECT_EQ(m_questions.errors.at(0).path, qpath("album/song.mp3"));
    EXPECT_TRUE(isRegularFile("dst/album/song.mp3"));
    EXPECT_EQ(fileContents(path("dst/album/song.mp3")), "song");
}

// Folders only: the clip manager, which sets files-only, never copies one.
TEST_F(FileOpEdgeCaseTest, FolderIsNotCopiedIntoALinkToOneOfItsSubfolders)
{
    mkdir("v");
    mkdir("v/sub");
    makeFile(path("v/clip.avi"), "clip");
    ASSERT_EQ(::symlink(path("v/sub").constData(), path("into").constData()), 0);
    EXPECT_TRUE(m_engine.run(makeRequest(FileOperationCode::Copy, {qpath("v")}, qpath("into")))
                    .anyOperationsAborted);
    ASSERT_EQ(m_questions.errors.size(), 1);
    EXPECT_EQ(m_questions.errors.at(0).path, qpath("v"));
    EXPECT_TRUE(folderEntries(path("v/sub")).isEmpty());
}

// The clip manager reaches this one with its question: it lets the engine ask before it makes
// a folder, and Yes must not come back for ever.
TEST_F(FileOpEdgeCaseTest, DestinationThatIsADanglingLinkIsAnErrorNotAFolderToMake)
{
    makeFile(path("clip.avi"), "clip");
    ASSERT_EQ(::symlink(path("nowhere").constData(), path("dangling").constData()), 0);
    m_questions.createFolderAnswers = {true, true, true};
    m_questions.createFolderAnswer = false; // ends the old endless loop, so the test can fail
    EXPECT_TRUE(
        m_engine.run(makeRequest(FileOperationCode::Copy, {qpath("clip.avi")}, qpath("dangling")))
            .anyOperationsAborted);
    EXPECT_TRUE(m_questions.createFolderQuestions.isEmpty());
    ASSERT_EQ(m_questions.errors.size(), 1);
    EXPECT_EQ(m_questions.errors.at(0).path, qpath("dangling"));
    EXPECT_EQ(m_questions.errors.at(0).errorCode, ENOTDIR);

    // A dangling link on the way to a folder to be made.
    m_questions.errors.clear();
    m_questions.createFolderAnswers = {true, true, true};
    EXPECT_TRUE(m_engine
                    .run(makeRequest(FileOperationCode::Copy, {qpath("clip.avi")},
                                     qpath("dangling/deeper")))
                    .anyOperationsAborted);
    EXPECT_LE(m_questions.createFolderQuestions.size(), 1);
    ASSERT_EQ(m_questions.errors.size(), 1);
    EXPECT_EQ(m_questions.errors.at(0).errorCode, ENOTDIR);
    EXPECT_FALSE(pathExists(path("nowhere")));
    EXPECT_EQ(fileContents(path("clip.avi")), "clip");
}

// Folders only: the clip manager, which sets files-only, never copies one.
TEST_F(FileOpEdgeCaseTest, EveryFileAFolderCopyLeavesBehindIsNamedWithItsReason)
{
    mkdir("album");
    makeFile(path("album/song.mp3"), "song");
    ASSERT_EQ(::mkfifo(path("album/pipe").constData(), 0644), 0);
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(sock, 0);
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    const QByteArray socketPath = path("album/socket");
    ASSERT_LT(size_t(socketPath.size()), sizeof address.sun_path);
    std::memcpy(address.sun_path, socketPath.constData(), size_t(socketPath.size()));
    ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::close(sock);
    // A branch deeper than a path may be long: its last folder cannot be named.
    int fd = ::open(path("album").constData(), O_RDONLY | O_DIRECTORY);
    const QByteArray segment(200, 'd');
    QByteArray deep = path("album");
    while (deep.size() < 4200) {
        ASSERT_EQ(::mkdirat(fd, segment.constData(), 0755), 0);
        const int next = ::openat(fd, segment.constData(), O_RDONLY | O_DIRECTORY);
        ::close(fd);
        fd = next;
        deep += '/' + segment;
    }
    ::close(fd);

    m_questions.errorAnswer = ErrorChoice::Skip;
    EXPECT_TRUE(m_engine
                    .run(makeRequest(FileOperationCode::Copy, {qpath("album")}, qpath("dst"),
                                     Flag::kNoConfirmMkdir))
                    .anyOperationsAborted);
    QStringList named;
    for (const FileOperationError& error : m_questions.errors) {
        EXPECT_FALSE(error.reason.isEmpty()) << error.path.toStdString();
        named.append(error.path);
    }
    EXPECT_TRUE(named.contains(qpath("album/pipe"))) << named.join(u'\n').toStdString();
    EXPECT_TRUE(named.contains(qpath("album/socket")));
    ASSERT_EQ(named.size(), 3);
    const int tooLong =
        int(std::find_if(m_questions.errors.begin(), m_questions.errors.end(),
                         [&](const FileOperationError& e) { return e.path.size() > 4000; }) -
            m_questions.errors.begin());
    ASSERT_LT(tooLong, 3);
    EXPECT_EQ(m_questions.errors.at(tooLong).errorCode, ENAMETOOLONG);
    EXPECT_EQ(fileContents(path("dst/album/song.mp3")), "song");
    // GNU rm removes a tree deeper than a path can name.
    EXPECT_EQ(test::runProgram(QStringLiteral("rm"),
                               {QStringLiteral("-rf"), qpath("album"), qpath("dst")}),
              0);
}

// The clip manager reaches this with any clip it copies.
TEST_F(FileOpEdgeCaseTest, CopyKeepsHolesUserAttributesAndAcls)
{
    mkdir("dst");
    const QByteArray head = test::patternBytes(256 * 1024, 11);
    const QByteArray tail = test::patternBytes(4096, 12);
    const qint64 holeEnd = 64 * 1024 * 1024;
    {
        makeFile(path("sparse.img"), head);
        const int fd = ::open(path("sparse.img").constData(), O_WRONLY);
        ASSERT_EQ(::pwrite(fd, tail.constData(), size_t(tail.size()), holeEnd), tail.size());
        ::close(fd);
    }
    ASSERT_EQ(::setxattr(path("sparse.img").constData(), "user.comment", "holiday", 7, 0), 0);
    // An access ACL: owner rw, user 4242 r, group r, mask r, others none.
    const unsigned char acl[] = {2,    0, 0, 0,                          // version
                                 1,    0, 6, 0, 0xff, 0xff, 0xff, 0xff,  // user::rw
                                 2,    0, 4, 0, 0x92, 0x10, 0,    0,     // user:4242:r
                                 4,    0, 4, 0, 0xff, 0xff, 0xff, 0xff,  // group::r
                                 0x10, 0, 4, 0, 0xff, 0xff, 0xff, 0xff,  // mask::r
                                 0x20, 0, 0, 0, 0xff, 0xff, 0xff, 0xff}; // other::-
    ASSERT_EQ(
        ::setxattr(path("sparse.img").constData(), "system.posix_acl_access", acl, sizeof acl, 0),
        0);

    EXPECT_FALSE(
        m_engine.run(makeRequest(FileOperationCode::Copy, {qpath("sparse.img")}, qpath("dst")))
            .anyOperationsAborted);
    struct stat copy;
    ASSERT_EQ(::stat(path("dst/sparse.img").constData(), &copy), 0);
    EXPECT_EQ(copy.st_size, holeEnd + tail.size());
    EXPECT_LT(copy.st_blocks * 512, 4 * 1024 * 1024) << "the hole was filled";
    const QByteArray copied = fileContents(path("dst/sparse.img"));
    EXPECT_EQ(copied.left(head.size()), head);
    EXPECT_EQ(copied.right(tail.size()), tail);
    EXPECT_EQ(copied.mid(head.size(), 1024 * 1024), QByteArray(1024 * 1024, '\0'));

    char value[64] = {};
    EXPECT_EQ(::getxattr(path("dst/sparse.img").constData(), "user.comment", value, sizeof value),
              7);
    EXPECT_STREQ(value, "holiday");
    unsigned char copiedAcl[128] = {};
    ASSERT_EQ(::getxattr(path("dst/sparse.img").constData(), "system.posix_acl_access", copiedAcl,
                         sizeof copiedAcl),
              ssize_t(sizeof acl));
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(copiedAcl), sizeof acl),
              QByteArray(reinterpret_cast<const char*>(acl), sizeof acl));
}

// The clip manager reaches this with its next copy or move into the folder.
TEST_F(FileOpEdgeCaseTest, LeftoversOfAKilledCopyGoOnlyWhenNoCopyHoldsThem)
{
    mkdir("dst");
    makeFile(path("clip.avi"), "clip");
    makeFile(path("dst/.clip.avi.vantoro-k1lled00.part"), "torn");
    makeFile(path("dst/.song.mp3.vantoro-w0rking0.part"), "being written");
    makeFile(path("dst/.notes.vantoro-mine.part"), "not ours: the pattern differs");
    const int held = ::open(path("dst/.song.mp3.vantoro-w0rking0.part").constData(), O_RDONLY);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    EXPECT_FALSE(
        m_engine.run(makeRequest(FileOperationCode::Copy, {qpath("clip.avi")}, qpath("dst")))
            .anyOperationsAborted);
    EXPECT_EQ(folderEntries(path("dst")),
              QList<QByteArray>(
                  {".notes.vantoro-mine.part", ".song.mp3.vantoro-w0rking0.part", "clip.avi"}));
    ::close(held);
}

TEST(TrashEntryTest, TheTrashEntryOfEachItemIsNamed)
{
    QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/vantoro-trash-entry-XXXXXX"));
    const QByteArray root = QFile::encodeName(dir.path());
    QByteArrayList names;
    for (const char* folder : {"/a", "/b"}) {
        ASSERT_EQ(::mkdir(QByteArray(root + folder).constData(), 0755), 0);
        makeFile(root + folder + "/take.one.avi", folder);
        const TrashOutcome outcome = moveToTrash(root + folder + "/take.one.avi");
        ASSERT_EQ(outcome.status, TrashOutcome::Status::Trashed) << outcome.reason.toStdString();
        EXPECT_EQ(outcome.trashFolder, QFile::encodeName(test::homeTrash()));
        EXPECT_EQ(fileContents(outcome.trashFolder + "/files/" + outcome.entryName), folder);
        EXPECT_TRUE(pathExists(outcome.trashFolder + "/info/" + outcome.entryName + ".trashinfo"));
        names.append(outcome.entryName);
    }
    EXPECT_NE(names.at(0), names.at(1));
}

} // namespace
} // namespace vantoro
