// Return presses the button that has the focus, in every dialog and message box of the
// program: each test tabs to every button that is not the default, presses Return there and
// checks that button's answer. And a focused button shows a focus frame.
#include "platform/FocusFrameStyle.h"
#include "platform/QtFileOperationQuestions.h"
#include "platform/QtMessageBoxes.h"
#include "player/TSleepF.h"
#include "player/TSpeedF.h"
#include "playlists/ProgramState.h"
#include "playlists/TConfirmKill.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QStyleOptionButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace vantoro {
namespace {

// Tabs through `window` until `target` has the focus, then presses Return on it. Answers false
// (and closes the window) when no number of Tabs reaches the button.
bool tabToAndPressReturn(QWidget* window, QAbstractButton* target)
{
    for (int i = 0; i < 20 && window->focusWidget() != target; ++i)
        QTest::keyClick(window->focusWidget() ? window->focusWidget() : window, Qt::Key_Tab);
    if (window->focusWidget() != target) {
        if (auto* dialog = qobject_cast<QDialog*>(window))
            dialog->reject();
        return false;
    }
    QTest::keyClick(target, Qt::Key_Return);
    return true;
}

// Once a modal window is up, runs `act` on it (within `limitMs`, else the window is closed).
void whenModal(std::function<void(QWidget*)> act, int limitMs = 5000)
{
    auto* poll = new QTimer;
    auto waited = std::make_shared<int>(0);
    QObject::connect(poll, &QTimer::timeout, [poll, act, waited, limitMs] {
        *waited += 10;
        QWidget* window = QApplication::activeModalWidget();
        if (!window && *waited < limitMs)
            return;
        poll->stop();
        poll->deleteLater();
        if (window)
            act(window);
    });
    poll->start(10);
}

// The button of a message box whose text (without its mnemonic) is `text`.
QAbstractButton* boxButton(QWidget* window, const QString& text)
{
    auto* box = qobject_cast<QMessageBox*>(window);
    if (!box)
        return nullptr;
    for (QAbstractButton* button : box->buttons()) {
        if (button->text().remove(QLatin1Char('&')) == text)
            return button;
    }
    return nullptr;
}

// Opens a message box through `ask`, tabs to the button `text`, presses Return; true when the
// button was reached.
bool answerByReturnOn(const QString& text, const std::function<void()>& ask)
{
    bool reached = false;
    whenModal([&](QWidget* window) {
        QAbstractButton* button = boxButton(window, text);
        if (!button) {
            qobject_cast<QDialog*>(window)->reject();
            return;
        }
        reached = tabToAndPressReturn(window, button);
    });
    ask();
    return reached;
}

TEST(DialogKeys, MessageBoxesAnswerTheFocusedButton)
{
    QtMessageBoxes boxes;
    MessageResult result = MessageResult::Ok;
    EXPECT_TRUE(answerByReturnOn(u"No"_qs, [&] {
        result = boxes.show(MessageKind::Confirmation, u"Save Playlist?"_qs, MessageButtons::YesNo);
    }));
    EXPECT_EQ(result, MessageResult::No);
    EXPECT_TRUE(answerByReturnOn(u"Cancel"_qs, [&] {
        result =
            boxes.show(MessageKind::Confirmation, u"Ready to COPY"_qs, MessageButtons::OkCancel);
    }));
    EXPECT_EQ(result, MessageResult::Cancel);
}

TEST(DialogKeys, FileOperationQuestionsAnswerTheFocusedButton)
{
    QtFileOperationQuestions questions;
    bool yes = true;
    EXPECT_TRUE(answerByReturnOn(
        u"No"_qs, [&] { yes = questions.confirmDelete({u"/clips/a.avi"_qs}, true); }));
    EXPECT_FALSE(yes);
    EXPECT_TRUE(answerByReturnOn(u"No"_qs, [&] { yes = questions.confirmCreateFolder(u"/x"_qs); }));
    EXPECT_FALSE(yes);
    // Its default is No: the other button is Yes.
    EXPECT_TRUE(answerByReturnOn(u"Yes"_qs, [&] {
        yes = questions.confirmPermanentDelete(u"/clips/a.avi"_qs, u"no Trash"_qs);
    }));
    EXPECT_TRUE(yes);

    // The conflict question's default is Skip.
    const struct
    {
        const char16_t* button;
        CollisionChoice choice;
    } collisions[] = {{u"Replace", CollisionChoice::Replace}, {u"Cancel", CollisionChoice::Cancel}};
    for (const auto& c : collisions) {
        CollisionAnswer answer;
        answer.choice = CollisionChoice::Skip;
        EXPECT_TRUE(answerByReturnOn(QString::fromUtf16(c.button), [&] {
            answer = questions.askCollision(u"a.avi"_qs, u"/keep"_qs);
        }));
        EXPECT_EQ(answer.choice, c.choice) << QString::fromUtf16(c.button).toStdString();
    }

    // The error question's default is Skip.
    const struct
    {
        const char16_t* button;
        ErrorChoice choice;
        bool driveCannotHold; // offers Skip All instead of Retry
    } errors[] = {{u"Retry", ErrorChoice::Retry, false},
                  {u"Cancel", ErrorChoice::Cancel, false},
                  {u"Skip All", ErrorChoice::SkipAll, true}};
    for (const auto& e : errors) {
        ErrorChoice choice = ErrorChoice::Skip;
        FileOperationError error;
        error.path = u"/clips/a.avi"_qs;
        error.reason = u"Disk full"_qs;
        error.driveCannotHold = e.driveCannotHold;
        EXPECT_TRUE(answerByReturnOn(QString::fromUtf16(e.button),
                                     [&] { choice = questions.askError(error); }));
        EXPECT_EQ(choice, e.choice) << QString::fromUtf16(e.button).toStdString();
    }
}

// Return on a focused No deletes nothing; Yes stays the answer of Return while no other button
// has the focus (the check box, say).
TEST(DialogKeys, ConfirmKillReturnOnNoIsNo)
{
    {
        TConfirmKill dialog;
        whenModal([&](QWidget* window) { tabToAndPressReturn(window, dialog.CancelButton); });
        EXPECT_EQ(dialog.exec(), QDialog::Rejected);
    }
    {
        TConfirmKill dialog;
        whenModal([&](QWidget* window) {
            dialog.CheckBox1->setFocus();
            QTest::keyClick(window->focusWidget(), Qt::Key_Return);
        });
        EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    }
}

TEST(DialogKeys, OptionDialogsCancelByReturnOnCancel)
{
    ProgramState state;
    TSleepF sleep(state);
    TSpeedF speed;
    for (QDialog* dialog : {static_cast<QDialog*>(&sleep), static_cast<QDialog*>(&speed)}) {
        QPushButton* cancel = nullptr;
        for (QPushButton* button : dialog->findChildren<QPushButton*>())
            if (button->text().remove(QLatin1Char('&')) == u"Cancel")
                cancel = button;
        ASSERT_TRUE(cancel) << dialog->windowTitle().toStdString();
        bool reached = false;
        whenModal([&](QWidget* window) { reached = tabToAndPressReturn(window, cancel); });
        EXPECT_EQ(dialog->exec(), QDialog::Rejected) << dialog->windowTitle().toStdString();
        EXPECT_TRUE(reached) << dialog->windowTitle().toStdString();
    }
}

// The number of pixels of `colour` along the top edge of the button's focus frame.
int focusFramePixels(QPushButton& button, const QColor& colour)
{
    QStyleOptionButton option;
    option.initFrom(&button);
    const QRect frame =
        button.style()->subElementRect(QStyle::SE_PushButtonFocusRect, &option, &button);
    const QImage image = button.grab().toImage();
    const int y = frame.top() + 1;
    int count = 0;
    for (int x = frame.left() + 1; x < frame.right() - 1; ++x)
        count += image.pixelColor(x * image.width() / button.width(),
                                  y * image.height() / button.height()) == colour;
    return count;
}

TEST(DialogKeys, TheFocusedButtonShowsAFocusFrame)
{
    QApplication::setStyle(new FocusFrameStyle);
    TConfirmKill dialog;
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    const QColor ink = dialog.CancelButton->palette().color(QPalette::ButtonText);
    // Focus given by the program, not by a Tab: a frame all the same.
    dialog.OKbutton->setFocus(Qt::OtherFocusReason);
    QApplication::processEvents();
    EXPECT_GT(focusFramePixels(*dialog.OKbutton, ink), 5);
    EXPECT_EQ(focusFramePixels(*dialog.CancelButton, ink), 0);
    dialog.CancelButton->setFocus(Qt::OtherFocusReason);
    QApplication::processEvents();
    EXPECT_GT(focusFramePixels(*dialog.CancelButton, ink), 5);
    EXPECT_EQ(focusFramePixels(*dialog.OKbutton, ink), 0);
}

} // namespace
} // namespace vantoro
