#include "platform/QtMessageBoxes.h"

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QWindow>

#include <gtest/gtest.h>

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

// A box stays over the window it belongs to (its transient parent), which the window system
// then centres it on: the modal window that asks, or with no active window (a Wayland
// compositor without a seat activates none) the visible window made last. It is announced by its
// caption and text.
TEST(QtMessageBoxes, BelongToTheAskingWindowAlsoWhenNoneIsActive)
{
    QtMessageBoxes boxes;
    QWidget main;
    main.setWindowTitle(QStringLiteral("main"));
    main.show();
    QDialog asking(&main);
    asking.setWindowTitle(QStringLiteral("asking"));

    struct Seen
    {
        QString owner;
        QString transientParent;
        QString accessibleName;
        QString accessibleDescription;
    };
    const auto seeWhatTheBoxBelongsTo = [](Seen& seen) {
        QTimer::singleShot(0, [&seen] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            seen.owner = box->parentWidget() ? box->parentWidget()->windowTitle() : QString();
            const QWindow* parent = box->windowHandle()->transientParent();
            seen.transientParent = parent ? parent->title() : QString();
            seen.accessibleName = box->accessibleName();
            seen.accessibleDescription = box->accessibleDescription();
            box->button(QMessageBox::Ok)->click();
        });
    };

    QApplication::setActiveWindow(nullptr);
    Seen fromMain;
    seeWhatTheBoxBelongsTo(fromMain);
    boxes.show(MessageKind::Error, QStringLiteral("Disk full"), MessageButtons::Ok);
    EXPECT_EQ(fromMain.owner, QStringLiteral("main"));
    EXPECT_EQ(fromMain.transientParent, QStringLiteral("main"));
    EXPECT_EQ(fromMain.accessibleName, QStringLiteral("Error"));
    EXPECT_EQ(fromMain.accessibleDescription, QStringLiteral("Disk full"));

    Seen fromDialog;
    QTimer::singleShot(0, [&] {
        QApplication::setActiveWindow(nullptr);
        seeWhatTheBoxBelongsTo(fromDialog);
        boxes.show(MessageKind::Information, QStringLiteral("a\rb"), MessageButtons::Ok);
        asking.accept();
    });
    asking.exec();
    EXPECT_EQ(fromDialog.owner, QStringLiteral("asking"));
    EXPECT_EQ(fromDialog.transientParent, QStringLiteral("asking"));
    EXPECT_EQ(fromDialog.accessibleDescription, QStringLiteral("a\nb"));
}
