#include "clipmanager/TActionForm.h"
#include "clipmanager/UndoStack.h"
#include "common/ClipManagerFilesFixture.h"

#include "common/TestSupport.h"
#include "common/FileOpTestSupport.h"
#include "playlists/ClipList.h"
#include "playlists/PlaylistFiles.h"
#include "playlists/ProgramState.h"

#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace vantoro::test {
namespace {

// Undo of the clip manager's actions on real files, the real engine and the test's private
// Trash, through the window's Undo button, Ctrl+Z and the program-wide stack.
class ClipManagerUndoTest : public ClipManagerFilesFixture
{
protected:
    // The window on the program-wide stack, active.
    TActionForm& open()
    {
        form = std::make_unique<TActionForm>(state, services);
        form->setUndoStack(&undo);
        form->show();
        // Ctrl+Z is a shortcut of the window: it must be the active one, as on a desktop.
        form->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(form.get(), 5000));
        return *form;
    }

    // Moves the left list's entries at `rows` into the Action Box and runs `action`.
    void go(const QList<int>& rows, int action)
    {
        for (const int row : rows)
            form->LeftBox->item(row)->setSelected(true);
        QTest::mouseClick(form->FillButton, Qt::LeftButton);
        form->setItemIndex(action);
        QTest::mouseClick(form->GoButton, Qt::LeftButton);
    }

    QStringList trashed() const { return QDir(trash + "/files").entryList(QDir::Files); }

    UndoStack undo;
};

TEST_F(ClipManagerUndoTest, TheUndoButtonTakesOnlyFreeSpace)
{
    mark("Videos/a.avi");
    TActionForm window(state, services);
    window.show();
    QWidget* const controls[] = {window.Label1,      window.Label2,      window.LeftBox,
                                 window.RightBox,    window.FillButton,  window.SelectButton,
                                 window.EmptyButton, window.UnSelButton, window.MemoAction,
                                 window.RadioGroup1, window.GoButton,    window.CloseButton};
    QList<QRect> before;
    for (QWidget* control : controls)
        before.append(control->geometry());
    const QSize size = window.size();
    EXPECT_FALSE(window.UndoButton->isVisible()) << "no stack, no button";

    window.setUndoStack(&undo);
    QCoreApplication::processEvents();
    ASSERT_TRUE(window.UndoButton->isVisible());
    EXPECT_EQ(window.size(), size);
    for (int i = 0; i < int(std::size(controls)); ++i) {
        EXPECT_EQ(controls[i]->geometry(), before[i]) << controls[i]->metaObject()->className();
        EXPECT_FALSE(controls[i]->geometry().intersects(window.UndoButton->geometry()));
    }
    EXPECT_LT(window.UndoButton->geometry().bottom(), window.MemoAction->geometry().top());
    EXPECT_FALSE(window.UndoButton->isEnabled());
}

TEST_F(ClipManagerUndoTest, CtrlZUndoesAMoveAndPutsTheClipsBackInTheActionBox)
{
    const QString a = mark("Videos/a.avi"), b = mark("Videos/b.avi"), c = mark("Videos/c.avi");
    TActionForm& window = open();
    browser.scripts = {FakeFolderBrowser::choose(path("Keep"))};
    messages.answers = {MessageResult::Ok};
    go({0, 2}, TActionForm::kMove);
    ASSERT_TRUE(window.isVisible()) << "b.avi is still on the left";
    ASSERT_FALSE(QFile::exists(a));
    ASSERT_TRUE(window.PathRight().isEmpty());
    ASSERT_TRUE(window.UndoButton->isEnabled());
    EXPECT_EQ(window.UndoButton->toolTip(),
              QStringLiteral("Undo: move 2 clips to %1").arg(path("Keep")));

    QTest::keyClick(&window, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(readFileBytes(a), QByteArray("clip Videos/a.avi"));
    EXPECT_EQ(readFileBytes(c), QByteArray("clip Videos/c.avi"));
    EXPECT_TRUE(QDir(path("Keep")).isEmpty());
    // Back in the order Go found them (">" walks from the end: c, then a).
    EXPECT_EQ(window.PathRight(), QStringList({c, a}));
    EXPECT_EQ(window.rightNames(), QStringList({"c.avi", "a.avi"}));
    EXPECT_EQ(window.PathLeft(), QStringList{b});
    EXPECT_FALSE(window.UndoButton->isEnabled());
    EXPECT_EQ(window.UndoButton->toolTip(), QStringLiteral("Nothing to undo"));
    EXPECT_EQ(messages.shown.size(), 1) << "the undo asked nothing";
}

TEST_F(ClipManagerUndoTest, AnActionOfAClosedWindowIsUndoneFromTheNextOneFilesOnly)
{
    const QString a = mark("Videos/a.avi"), b = mark("Videos/b.avi");
    TActionForm& first = open();
    go({0, 1}, TActionForm::kDelete);
    ASSERT_FALSE(first.isVisible()) << "nothing left: Go closed the window";
    ASSERT_EQ(trashed().size(), 2);
    EXPECT_EQ(undo.hint(), QStringLiteral("Undo: delete 2 clips"));

    // A later window: the stack is the program's, the Action Box is its own.
    TActionForm& second = open();
    ASSERT_TRUE(second.UndoButton->isEnabled());
    QTest::mouseClick(second.UndoButton, Qt::LeftButton);
    EXPECT_EQ(readFileBytes(a), QByteArray("clip Videos/a.avi"));
    EXPECT_EQ(readFileBytes(b), QByteArray("clip Videos/b.avi"));
    EXPECT_TRUE(trashed().isEmpty());
    EXPECT_TRUE(QDir(trash + "/info").entryList(QDir::Files).isEmpty());
    EXPECT_TRUE(second.PathRight().isEmpty()) << "no list of another window is touched";
    EXPECT_EQ(second.PathLeft().size(), 2);
    QByteArray listing;
    ASSERT_EQ(runProgram(QStringLiteral("trash-list"), {}, &listing), 0);
    EXPECT_FALSE(listing.contains("a.avi")) << listing.data();
}

TEST_F(ClipManagerUndoTest, WhatCannotGoBackIsAskedFirstAndCancelKeepsTheAction)
{
    const QString a = mark("Videos/a.avi"), b = mark("Videos/b.avi");
    open();
    go({0, 1}, TActionForm::kDelete);
    writeFileBytes(a, "a newcomer");

    messages.answers = {MessageResult::Cancel};
    EXPECT_FALSE(undo.undoNewest(messages, engine).has_value());
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(messages.shown[0].buttons, MessageButtons::ContinueCancel);
    EXPECT_TRUE(
        messages.shown[0].text.contains(a + QStringLiteral(": Another file now has its place")))
        << messages.shown[0].text.toStdString();
    EXPECT_FALSE(messages.shown[0].text.contains(b));
    EXPECT_FALSE(QFile::exists(b)) << "Cancel undoes nothing";
    EXPECT_TRUE(undo.canUndo());

    // A second undo asked for while the question is up (a key, the notification) is not
    // started.
    bool nestedStarted = true;
    messages.onShow = [&](const FakeMessageBoxes::Shown&) {
        messages.onShow = nullptr;
        nestedStarted = undo.undoNewest(messages, engine).has_value();
    };
    messages.answers = {MessageResult::Ok};
    const auto result = undo.undoNewest(messages, engine);
    EXPECT_FALSE(nestedStarted);
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(result->restoredPaths, QStringList{b});
    EXPECT_EQ(readFileBytes(b), QByteArray("clip Videos/b.avi"));
    EXPECT_EQ(readFileBytes(a), QByteArray("a newcomer")) << "never replaced";
    EXPECT_EQ(trashed(), QStringList{"a.avi"});
    EXPECT_FALSE(undo.canUndo());
}

TEST_F(ClipManagerUndoTest, PlaylistsGoBackByteForByteUnlessChangedSince)
{
    const QString a = mark("Videos/a.avi"), b = mark("Videos/b.avi"), c = mark("Videos/c.avi");
    const QString list = path("list.asx");
    ClipList existing;
    existing.setItems({c});
    ASSERT_TRUE(WritePlaylist(existing, list, QStringLiteral("Old"), messages));
    const QByteArray before = readFileBytes(list);
    TActionForm& window = open();

    dialogs.openAnswers = {{list}};
    go({0}, TActionForm::kAddToExistingPlaylist);
    ASSERT_NE(readFileBytes(list), before);
    EXPECT_EQ(undo.hint(), QStringLiteral("Undo: add 1 clip to %1").arg(list));
    ASSERT_TRUE(window.UndoButton->isEnabled());
    QTest::keyClick(&window, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_FALSE(undo.canUndo());
    EXPECT_TRUE(messages.shown.isEmpty()) << messages.texts().join(u'|').toStdString();
    EXPECT_EQ(readFileBytes(list), before);
    EXPECT_EQ(window.PathRight(), QStringList{a});

    // A new playlist goes to the Trash.
    const QString fresh = path("fresh.asx");
    dialogs.saveAnswers = {fresh};
    go({0}, TActionForm::kAddToNewPlaylist);
    ASSERT_TRUE(QFile::exists(fresh));
    QTest::mouseClick(window.UndoButton, Qt::LeftButton);
    EXPECT_FALSE(QFile::exists(fresh));
    EXPECT_EQ(trashed(), QStringList{"fresh.asx"});

    // Changed since it was written: named, and left as it is.
    dialogs.openAnswers = {{list}};
    window.RightBox->selectAll();
    QTest::mouseClick(window.EmptyButton, Qt::LeftButton);
    go({0}, TActionForm::kAddToExistingPlaylist);
    writeFileBytes(list, "edited by hand");
    messages.shown.clear();
    messages.answers = {MessageResult::Ok};
    QTest::mouseClick(window.UndoButton, Qt::LeftButton);
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_TRUE(messages.shown[0].text.contains(QStringLiteral("changed since")));
    EXPECT_EQ(readFileBytes(list), QByteArray("edited by hand"));
    EXPECT_TRUE(QFile::exists(b));
}

TEST_F(ClipManagerUndoTest, TwoUndosInARowTakeBackACopyAndAMove)
{
    const QString a = mark("Videos/a.avi"), b = mark("Videos/b.avi"), c = mark("Videos/c.avi");
    TActionForm& window = open();
    browser.scripts = {FakeFolderBrowser::choose(path("Keep"))};
    messages.answers = {MessageResult::Ok};
    go({0}, TActionForm::kCopy);
    browser.scripts = {FakeFolderBrowser::choose(path("Keep"))};
    messages.answers = {MessageResult::Ok};
    go({0}, TActionForm::kMove); // b.avi
    ASSERT_EQ(undo.size(), 2);
    QTest::keyClick(&window, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_TRUE(QFile::exists(b));
    EXPECT_EQ(undo.hint(), QStringLiteral("Undo: copy 1 clip to %1").arg(path("Keep")));
    QTest::keyClick(&window, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_TRUE(QDir(path("Keep")).isEmpty());
    EXPECT_EQ(trashed(), QStringList{"a.avi"});
    EXPECT_EQ(readFileBytes(a), QByteArray("clip Videos/a.avi"));
    EXPECT_EQ(window.PathRight(), QStringList({b, a}));
    EXPECT_EQ(window.PathLeft(), QStringList{c});
}

// Whoever starts the undo (the notification once the program is idle, the main window), the
// clips come back into the window of the action, and only while that very window is open: the next
// window, even one at the same address, gets none. An undo that fails stays on the stack to be
// tried again.
TEST_F(ClipManagerUndoTest, RestoredClipsGoOnlyToTheirOwnWindowAndAFailedUndoStays)
{
    const QString a = mark("Videos/a.avi"), b = mark("Videos/b.avi"), c = mark("Videos/c.avi");
    TActionForm& window = open();
    go({0}, TActionForm::kDelete); // a.avi
    ASSERT_FALSE(QFile::exists(a));
    // The notification's Undo waits while the program is busy (a modal window is open).
    bool busy = true;
    undo.undoWhenIdle(
        undo.size(), [&] { return busy; }, messages, engine);
    QTest::qWait(600);
    EXPECT_FALSE(QFile::exists(a)) << "undone while busy";
    busy = false;
    EXPECT_TRUE(QTest::qWaitFor([&] { return QFile::exists(a); }, 3000));
    EXPECT_EQ(window.PathRight(), QStringList{a});

    window.RightBox->selectAll();
    QTest::mouseClick(window.EmptyButton, Qt::LeftButton);
    go({0, 1, 2}, TActionForm::kDelete);
    ASSERT_FALSE(QFile::exists(b));
    form.reset();
    TActionForm& next = open();
    if (test::runningAsRoot() &&
        runProgram(QStringLiteral("chattr"), {QStringLiteral("+i"), path("Videos")}) == 0) {
        messages.answers = {MessageResult::Ok};
        EXPECT_TRUE(undo.undoNewest(messages, engine).has_value());
        runProgram(QStringLiteral("chattr"), {QStringLiteral("-i"), path("Videos")});
        EXPECT_FALSE(QFile::exists(b));
        ASSERT_TRUE(undo.canUndo()) << "the failed undo stays";
        EXPECT_EQ(undo.hint(), QStringLiteral("Undo: delete 3 clips"));
    }
    ASSERT_TRUE(undo.undoNewest(messages, engine).has_value());
    EXPECT_EQ(readFileBytes(b), QByteArray("clip Videos/b.avi"));
    EXPECT_EQ(readFileBytes(c), QByteArray("clip Videos/c.avi"));
    EXPECT_TRUE(next.PathRight().isEmpty()) << "not this window's action";
    EXPECT_FALSE(undo.canUndo());
}

} // namespace
} // namespace vantoro::test
