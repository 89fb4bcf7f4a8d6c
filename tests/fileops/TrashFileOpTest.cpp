#include "fileops/GioLibrary.h"
#include "fileops/ShellFileOperation.h"
#include "fileops/Trash.h"

#include "common/EngineFixture.h"
#include "common/FileOpFakes.h"
#include "common/FileOpTestSupport.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
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
namespace Flag = FileOperationFlag;

// The trashinfo record of an item, as the desktop reads it.
struct TrashInfo
{
    QByteArray path;         // Path= as written
    QByteArray deletionDate; // DeletionDate= as written
};

TrashInfo readTrashInfo(const QByteArray& infoFile)
{
    TrashInfo info;
    const QList<QByteArray> lines = fileContents(infoFile).split('\n');
    EXPECT_EQ(lines.value(0), "[Trash Info]");
    for (const QByteArray& line : lines) {
        if (line.startsWith("Path="))
            info.path = line.mid(5);
        else if (line.startsWith("DeletionDate="))
            info.deletionDate = line.mid(13);
    }
    return info;
}

// Checks one trashed item in a trash folder (`trash` holds files/ and info/): its contents are
// under files/, its record names the original path percent-encoded (`expectedPath` as the
// record must give it: absolute for the home Trash, relative to the volume's top otherwise), and
// carries a deletion date of today.
void expectTrashed(const QByteArray& trash, const QByteArray& trashedName,
                   const QByteArray& expectedPath, const QByteArray& contents)
{
    SCOPED_TRACE(trashedName.toStdString());
    EXPECT_EQ(fileContents(trash + "/files/" + trashedName), contents);
    const TrashInfo info = readTrashInfo(trash + "/info/" + trashedName + ".trashinfo");
    // Every byte outside printable ASCII (and the space, the newline) is escaped.
    for (const char c : info.path)
        EXPECT_TRUE(c > ' ' && c < 127) << "raw byte " << int(uchar(c)) << " in Path=";
    EXPECT_EQ(QByteArray::fromPercentEncoding(info.path), expectedPath);
    const QDateTime date = QDateTime::fromString(QString::fromLatin1(info.deletionDate),
                                                 QStringLiteral("yyyy-MM-ddTHH:mm:ss"));
    ASSERT_TRUE(date.isValid()) << info.deletionDate.toStdString();
    EXPECT_LT(qAbs(date.secsTo(QDateTime::currentDateTime())), 300);
}

class TrashTest : public test::EngineFixture
{
protected:
    TrashTest() : EngineFixture("trash") {}
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        // The test home lives on the same file system as the temporary folder.
        m_trash = QFile::encodeName(test::homeTrash());
        ASSERT_TRUE(m_trash.contains("vantoro-test-home")) << "not a private Trash";
        // Earlier tests of the run (a Replace sends the replaced file there) leave entries.
        QDir(test::homeTrash()).removeRecursively();
    }

    QByteArray m_trash;
};

TEST_F(TrashTest, HomeVolumeItemsGoToTheHomeTrashWithTheirRecords)
{
    // Names a shell or a URL would trip over: a newline, a leading dash, a percent sign,
    // spaces and a letter outside ASCII.
    const QByteArray names[] = {"line\nbreak.avi", "-rf clip.mp3", "50% é.jpg"};
    QStringList sources;
    for (const QByteArray& name : names) {
        makeFile(path(name), "data of " + name);
        sources.append(qpath(name));
    }
    // A folder holding a name that is not UTF-8 goes whole, byte for byte.
    ASSERT_EQ(::mkdir(path("album").constData(), 0755), 0);
    makeFile(path("album/bad\xff\xfe.mp3"), "latin");
    sources.append(qpath("album"));

    const FileOperationResult result =
        m_engine.run(makeRequest(FileOperationCode::Delete, sources, {}, Flag::kAllowUndo));
    EXPECT_FALSE(result.anyOperationsAborted);
    ASSERT_EQ(m_questions.deleteQuestions.size(), 1);
    EXPECT_TRUE(m_questions.deleteQuestions.at(0).second) << "asked as a move to the Trash";
    EXPECT_EQ(m_questions.questionCount(), 1);
    for (const QByteArray& name : names) {
        EXPECT_FALSE(pathExists(path(name)));
        expectTrashed(m_trash, name, path(name), "data of " + name);
    }
    EXPECT_EQ(fileContents(m_trash + "/files/album/bad\xff\xfe.mp3"), "latin");
    expectTrashed(m_trash, "album", path("album"), QByteArray());

    // The desktop's own tools see them and could put them back.
    QByteArray listing;
    ASSERT_EQ(test::runProgram(QStringLiteral("trash-list"), {}, &listing), 0) << listing.data();
    for (const char* shown : {"-rf clip.mp3", "50% é.jpg", "/album"})
        EXPECT_TRUE(listing.contains(shown)) << shown << " missing in\n" << listing.data();

    // A second item of the same name gets its own place in the Trash.
    makeFile(path("-rf clip.mp3"), "second");
    EXPECT_FALSE(m_engine
                     .run(makeRequest(FileOperationCode::Delete, {qpath("-rf clip.mp3")}, {},
                                      Flag::kAllowUndo | Flag::kNoConfirmation))
                     .anyOperationsAborted);
    EXPECT_EQ(fileContents(m_trash + "/files/-rf clip.mp3"), "data of -rf clip.mp3");
    EXPECT_EQ(folderEntries(m_trash + "/info").size(), 5);

    // Qt cannot name the non-UTF-8 file to remove it with the test's home: the engine can.
    EXPECT_FALSE(m_engine
                     .run(makeRequest(FileOperationCode::Delete,
                                      {QFile::decodeName(m_trash + "/files/album")}, {},
                                      Flag::kNoConfirmation))
                     .anyOperationsAborted);
    EXPECT_FALSE(pathExists(m_trash + "/files/album"));
}

TEST_F(TrashTest, DeclinedConfirmationAndMissingFileTrashNothing)
{
    makeFile(path("keep.avi"), "keep");
    m_questions.deleteAnswer = false;
    EXPECT_TRUE(
        m_engine
            .run(makeRequest(FileOperationCode::Delete, {qpath("keep.avi")}, {}, Flag::kAllowUndo))
            .anyOperationsAborted);
    EXPECT_EQ(m_questions.deleteQuestions.at(0).first, QStringList{qpath("keep.avi")});
    EXPECT_EQ(fileContents(path("keep.avi")), "keep");

    m_questions.deleteAnswer = true;
    EXPECT_TRUE(m_engine
                    .run(makeRequest(FileOperationCode::Delete,
                                     {qpath("gone.avi"), qpath("keep.avi")}, {}, Flag::kAllowUndo))
                    .anyOperationsAborted);
    ASSERT_EQ(m_questions.errors.size(), 1);
    EXPECT_EQ(m_questions.errors.at(0).path, qpath("gone.avi"));
    EXPECT_EQ(m_questions.errors.at(0).errorCode, ENOENT);
    EXPECT_FALSE(pathExists(path("keep.avi")));
    EXPECT_EQ(fileContents(m_trash + "/files/keep.avi"), "keep");
}

// GIO is opened at the first trash; where it cannot be used, the Trash says why and moves nothing.
TEST_F(TrashTest, AnUnusableGioLibraryFailsAndMovesNothing)
{
    makeFile(path("keep.avi"), "keep");
    // A library that is not there, and one that loads but lacks the Trash's calls.
    for (const char* library : {"libvantoro-no-such-gio.so.0", "libglib-2.0.so.0"}) {
        SCOPED_TRACE(library);
        const GioLibrary gio(library);
        EXPECT_FALSE(gio.isUsable());
        const TrashOutcome outcome = moveToTrash(path("keep.avi"), gio);
        EXPECT_EQ(outcome.status, TrashOutcome::Status::Failed);
        EXPECT_TRUE(outcome.reason.startsWith(QStringLiteral("The Trash cannot be used: ")) &&
                    outcome.reason.contains(QLatin1String(library)))
            << outcome.reason.toStdString();
        EXPECT_EQ(fileContents(path("keep.avi")), "keep");
        EXPECT_FALSE(pathExists(m_trash + "/files"));
    }
    EXPECT_TRUE(GioLibrary::shared().isUsable()) << GioLibrary::shared().error().toStdString();
}

} // namespace
} // namespace vantoro
