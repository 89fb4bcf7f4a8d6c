#include "clipmanager/TShellFileOp.h"
#include "fileops/ShellFileOperation.h"

#include "common/FileOpFakes.h"
#include "common/FileOpTestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace vantoro {
namespace {

// The clip manager's component on the real engine and real files: a delete goes to the
// (private) Trash after one question, a later copy keeps working with allow-undo set.
TEST(TShellFileOpOnTheEngine, DeleteToTrashThenCopyWithTheClipManagerSettings)
{
    QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/vantoro-shellop-XXXXXX"));
    const QByteArray root = QFile::encodeName(dir.path());
    ASSERT_TRUE(QDir().mkpath(dir.path() + QStringLiteral("/keep")));
    for (const char* name : {"b.avi", "A.avi", "c.avi"})
        test::makeFile(root + '/' + name, QByteArray("clip ") + name);

    test::FakeFileOperationQuestions questions;
    test::FakeFileOperationProgress progress;
    ShellFileOperation engine(questions, progress);
    TShellFileOp op(engine);
    op.setFilesOnly(true);
    op.setAnimate(true);
    op.setProgressTitle(QStringLiteral("Vantoro"));

    op.AddFile(dir.path() + QStringLiteral("/b.avi"));
    op.AddFile(dir.path() + QStringLiteral("/A.avi"));
    op.AddFile(dir.path()); // a folder: skipped with FilesOnly
    EXPECT_FALSE(op.DeleteFiles());
    ASSERT_EQ(questions.deleteQuestions.size(), 1);
    EXPECT_EQ(questions.deleteQuestions.at(0).first,
              QStringList(
                  {dir.path() + QStringLiteral("/A.avi"), dir.path() + QStringLiteral("/b.avi")}));
    EXPECT_TRUE(questions.deleteQuestions.at(0).second);
    const QByteArray trash = QFile::encodeName(test::homeTrash());
    EXPECT_EQ(test::fileContents(trash + "/files/A.avi"), "clip A.avi");
    EXPECT_EQ(test::fileContents(trash + "/files/b.avi"), "clip b.avi");
    EXPECT_EQ(progress.title, QStringLiteral("Vantoro"));

    op.AddFile(dir.path() + QStringLiteral("/c.avi"));
    op.CopyFiles(dir.path() + QStringLiteral("/keep"));
    EXPECT_EQ(test::fileContents(root + "/keep/c.avi"), "clip c.avi");
    EXPECT_EQ(test::fileContents(root + "/c.avi"), "clip c.avi");
    EXPECT_EQ(questions.questionCount(), 1);
}

} // namespace
} // namespace vantoro
