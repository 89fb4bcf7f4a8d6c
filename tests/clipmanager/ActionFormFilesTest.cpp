#include "clipmanager/TActionForm.h"
#include "common/ClipManagerFilesFixture.h"

#include "common/TestSupport.h"
#include "playlists/ProgramState.h"

#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace vantoro::test {
namespace {

// The clip manager on real files through the real file-operation engine; the engine's own
// questions and the window's boxes and dialogs are scripted. The Trash is the private one of
// the test's home ($XDG_DATA_HOME/Trash).
class ActionFormFilesTest : public ClipManagerFilesFixture
{
protected:
    void moveAllAndGo(int action)
    {
        QTest::mouseClick(form->SelectButton, Qt::LeftButton);
        form->setItemIndex(action);
        QTest::mouseClick(form->GoButton, Qt::LeftButton);
    }
};

TEST_F(ActionFormFilesTest, CopyLeavesTheClipsAndPutsCopiesInTheFolder)
{
    const QString a = mark("Videos/a.avi"), b = mark("Videos/b.avi");
    open();
    browser.scripts = {FakeFolderBrowser::choose(path("Keep"))};
    messages.answers = {MessageResult::Ok};
    moveAllAndGo(TActionForm::kCopy);

    EXPECT_EQ(readFileBytes(path("Keep/a.avi")), QByteArray("clip Videos/a.avi"));
    EXPECT_EQ(readFileBytes(path("Keep/b.avi")), QByteArray("clip Videos/b.avi"));
    EXPECT_TRUE(QFile::exists(a));
    EXPECT_TRUE(QFile::exists(b));
    EXPECT_EQ(progress.title, QStringLiteral("Vantoro"));
    EXPECT_EQ(questions.questionCount(), 0);
    EXPECT_FALSE(form->isVisible());
}

TEST_F(ActionFormFilesTest, MoveRefusesOnlyTheClipAlreadyInTheDestination)
{
    // A clip from another folder was marked too; the destination is that folder. It cannot be
    // moved onto itself and must survive; the other clip moves.
    QDir().mkpath(path("Other"));
    const QString a = mark("Videos/a.avi"), o = mark("Other/o.avi");
    open();
    browser.scripts = {FakeFolderBrowser::choose(path("Other"))};
    messages.answers = {MessageResult::Ok};
    moveAllAndGo(TActionForm::kMove);

    EXPECT_EQ(messages.texts(), QStringList{QStringLiteral("Ready to MOVE clips from ") +
                                            path("Videos") + " to " + path("Other")});
    EXPECT_FALSE(QFile::exists(a));
    EXPECT_EQ(readFileBytes(path("Other/a.avi")), QByteArray("clip Videos/a.avi"));
    EXPECT_EQ(readFileBytes(o), QByteArray("clip Other/o.avi"));
    EXPECT_EQ(questions.errors.size(), 1);
    EXPECT_TRUE(form->PathRight().isEmpty());
}

TEST_F(ActionFormFilesTest, DeleteSendsTheClipsToTheTrashOnlyWhenTheUserAgrees)
{
    const QString a = mark("Videos/a.avi"), b = mark("Videos/b.avi");
    TActionForm& window = open();

    // Declined: nothing is deleted, but the clips have left the Action Box.
    questions.deleteAnswer = false;
    QTest::mouseClick(window.FillButton, Qt::LeftButton); // nothing selected: nothing moves
    window.LeftBox->item(0)->setSelected(true);
    QTest::mouseClick(window.FillButton, Qt::LeftButton);
    window.setItemIndex(TActionForm::kDelete);
    QTest::mouseClick(window.GoButton, Qt::LeftButton);
    ASSERT_EQ(questions.deleteQuestions.size(), 1);
    EXPECT_EQ(questions.deleteQuestions.first().first, QStringList{a});
    EXPECT_TRUE(questions.deleteQuestions.first().second) << "to the Trash";
    EXPECT_TRUE(QFile::exists(a));
    EXPECT_TRUE(window.PathRight().isEmpty());
    EXPECT_EQ(window.PathLeft(), QStringList{b});
    EXPECT_TRUE(window.isVisible());

    questions.deleteAnswer = true;
    moveAllAndGo(TActionForm::kDelete);
    EXPECT_FALSE(QFile::exists(b));
    EXPECT_EQ(readFileBytes(trash + QStringLiteral("/files/b.avi")),
              QByteArray("clip Videos/b.avi"));
    EXPECT_TRUE(QFile::exists(trash + QStringLiteral("/info/b.avi.trashinfo")));
    EXPECT_TRUE(QFile::exists(a)) << "only what was in the Action Box goes";
    EXPECT_TRUE(messages.shown.isEmpty()) << "the window itself asks nothing before a delete";
    EXPECT_FALSE(window.isVisible());
}

} // namespace
} // namespace vantoro::test
