#include "platform/QtMessageBoxes.h"

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <gtest/gtest.h>

#include <functional>

using namespace vantoro;

namespace {

// Presses `button` of the next message box that appears and records its caption and text.
struct BoxPresser
{
    QString caption;
    QString text;
    void pressSoon(QMessageBox::StandardButton button)
    {
        QTimer::singleShot(0, [this, button] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) {
                pressSoon(button);
                return;
            }
            caption = box->windowTitle();
            text = box->text();
            box->button(button)->click();
        });
    }
};

} // namespace

TEST(QtMessageBoxes, CarriageReturnsBecomeLineBreaks)
{
    EXPECT_EQ(QtMessageBoxes::displayText(QStringLiteral("ERROR:\rline two\r\nthree")),
              "ERROR:\nline two\nthree");
}

TEST(QtMessageBoxes, PlainBoxCarriesTheApplicationTitleAndQuestionsAnswer)
{
    QtMessageBoxes boxes;
    BoxPresser presser;
    presser.pressSoon(QMessageBox::Ok);
    EXPECT_EQ(boxes.show(MessageKind::Plain, QStringLiteral("a\rb"), MessageButtons::Ok),
              MessageResult::Ok);
    EXPECT_EQ(presser.caption, QApplication::applicationName());
    EXPECT_EQ(presser.text, "a\nb");

    presser.pressSoon(QMessageBox::No);
    EXPECT_FALSE(boxes.askYesNo(QStringLiteral("Save Playlist?")));
    presser.pressSoon(QMessageBox::Yes);
    EXPECT_TRUE(boxes.askYesNo(QStringLiteral("Save Playlist?")));
    presser.pressSoon(QMessageBox::Cancel);
    EXPECT_FALSE(boxes.askOkCancel(QStringLiteral("Delete?")));
    presser.pressSoon(QMessageBox::Ok);
    EXPECT_TRUE(boxes.askOkCancel(QStringLiteral("Delete?")));
    EXPECT_EQ(presser.caption, "Confirm");
}

TEST(QtMessageBoxes, ContinueCancelNamesItsButtonContinue)
{
    QtMessageBoxes boxes;
    QString shownCaption;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        shownCaption = box->button(QMessageBox::Ok)->text();
        box->button(QMessageBox::Ok)->click();
    });
    EXPECT_TRUE(boxes.askContinueCancel(QStringLiteral("Undo the rest?")));
    EXPECT_EQ(shownCaption, QStringLiteral("Continue"));
    BoxPresser presser;
    presser.pressSoon(QMessageBox::Cancel);
    EXPECT_FALSE(boxes.askContinueCancel(QStringLiteral("Undo the rest?")));
}

// A box belongs to (is a transient child of) the modal window that asks, else, with no active
// window (Wayland without a seat activates none), the visible window made last; it is read out
// by its caption and text.
TEST(QtMessageBoxes, BelongToTheAskingWindowAlsoWhenNoneIsActive)
{
    QWidget main;
    main.setWindowTitle(QStringLiteral("main"));
    main.show();
    QDialog asking(&main);
    asking.setWindowTitle(QStringLiteral("asking"));
    QStringList seen;
    const auto showBox = [&seen](const QString& text) {
        QApplication::setActiveWindow(nullptr);
        QTimer::singleShot(0, [&seen] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            seen = {box->parentWidget()->windowTitle(),
                    box->windowHandle()->transientParent()->title(), box->accessibleName(),
                    box->accessibleDescription()};
            box->button(QMessageBox::Ok)->click();
        });
        QtMessageBoxes().show(MessageKind::Error, text, MessageButtons::Ok);
    };
    showBox(QStringLiteral("Disk full"));
    EXPECT_EQ(seen, QStringList({"main", "main", "Error", "Disk full"}));
    QTimer::singleShot(0, [&] {
        showBox(QStringLiteral("a\rb"));
        asking.accept();
    });
    asking.exec();
    EXPECT_EQ(seen, QStringList({"asking", "asking", "Error", "a\nb"}));
}

// Escape and the close box answer Cancel, which must leave everything as it was.
TEST(QtMessageBoxes, YesNoCancelAnswersCancelToEscapeAndTheCloseBox)
{
    QtMessageBoxes boxes;
    const struct
    {
        std::function<void(QMessageBox&)> answer;
        MessageResult result;
    } cases[] = {
        {[](QMessageBox& b) { b.button(QMessageBox::Yes)->click(); }, MessageResult::Yes},
        {[](QMessageBox& b) { b.button(QMessageBox::No)->click(); }, MessageResult::No},
        {[](QMessageBox& b) { QTest::keyClick(&b, Qt::Key_Escape); }, MessageResult::Cancel},
        {[](QMessageBox& b) { b.close(); }, MessageResult::Cancel},
    };
    for (const auto& c : cases) {
        QString caption;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            caption = box->windowTitle();
            EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::Yes));
            c.answer(*box);
        });
        EXPECT_EQ(boxes.askYesNoCancel(QStringLiteral("Keep them?")), c.result);
        EXPECT_EQ(caption, "Confirm");
    }
    BoxPresser presser;
    presser.pressSoon(QMessageBox::Ok);
    boxes.warning(QStringLiteral("Some clips could not be found."));
    EXPECT_EQ(presser.caption, "Warning");
}
