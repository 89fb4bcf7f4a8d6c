#include "player/SleepTimer.h"
#include "player/TSleepF.h"
#include "player/TSpeedF.h"

#include "common/LayoutCheck.h"
#include "common/TestSupport.h"
#include "playlists/ProgramState.h"

#include <QGroupBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <gtest/gtest.h>

#include <functional>

namespace vantoro {
namespace {

// Runs the dialog modally while `script` runs inside its loop; a dialog the script leaves open
// is rejected after five seconds, and the test then fails on the missing result.
int execWith(QDialog& dialog, const std::function<void()>& script)
{
    bool ran = false;
    QTimer::singleShot(0, &dialog, [&] {
        ran = true;
        script();
    });
    QTimer::singleShot(5000, &dialog, [&] {
        ADD_FAILURE() << "dialog left open";
        dialog.reject();
    });
    const int result = dialog.exec();
    EXPECT_TRUE(ran);
    return result;
}

TEST(SpeedDialog, ShowsItsTextsAndColours)
{
    TSpeedF dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Vantoro - Playback Speed"));
    EXPECT_EQ(dialog.radioGroup1()->title(), QStringLiteral("  Playback Speed  "));
    EXPECT_EQ(dialog.radioGroup1()->palette().color(QPalette::Window), QColor(255, 255, 0));
    EXPECT_EQ(dialog.radioGroup1()->font().family(), QStringLiteral("Arial"));
    EXPECT_EQ(
        dialog.colorMemo1()->toPlainText(),
        QStringLiteral("Note:  Audio becomes difficult to understand at rates lower than 0.5 \n"
                       "or higher than 1.5."));
    EXPECT_TRUE(dialog.colorMemo1()->isReadOnly());
    EXPECT_EQ(dialog.colorMemo1()->palette().color(QPalette::Base), QColor(0, 255, 255));
    EXPECT_TRUE(dialog.bitBtn1()->isDefault());
    const QStringList items{"Normal (1.0)", "Fifth (0.2)", "Half  (0.5)", "Fast (1.5)",
                            "Double (2.0)"};
    const double rates[] = {1.0, 0.2, 0.5, 1.5, 2.0};
    for (int i = 0; i < items.size(); ++i) {
        ASSERT_NE(dialog.item(i), nullptr);
        EXPECT_EQ(dialog.item(i)->text(), items[i]);
        EXPECT_DOUBLE_EQ(TSpeedF::rateOfItem(i), rates[i]);
        // Five columns: all items on one row.
        EXPECT_EQ(dialog.item(i)->geometry().top(), dialog.item(0)->geometry().top());
    }
    EXPECT_EQ(dialog.itemIndex(), 0);
}

TEST(SpeedDialog, OkAppliesTheChoiceAndCancelKeepsTheSelection)
{
    TSpeedF dialog;
    int result = execWith(dialog, [&] {
        QTest::mouseClick(dialog.item(3), Qt::LeftButton);
        QTest::mouseClick(dialog.bitBtn1(), Qt::LeftButton);
    });
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_DOUBLE_EQ(dialog.rate(), 1.5);
    EXPECT_TRUE(dialog.speedBoxChecked());

    result = execWith(dialog, [&] {
        EXPECT_TRUE(dialog.item(3)->isChecked()); // opens with the last choice
        QTest::mouseClick(dialog.item(1), Qt::LeftButton);
        QTest::mouseClick(dialog.bitBtn2(), Qt::LeftButton);
    });
    EXPECT_EQ(result, QDialog::Rejected);
    EXPECT_EQ(dialog.itemIndex(), 1);

    result = execWith(dialog, [&] { QTest::keyClick(&dialog, Qt::Key_Escape); });
    EXPECT_EQ(result, QDialog::Rejected);

    result = execWith(dialog, [&] {
        QTest::mouseClick(dialog.item(0), Qt::LeftButton);
        QTest::keyClick(&dialog, Qt::Key_Return); // OK is the default button
    });
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_DOUBLE_EQ(dialog.rate(), 1.0);
    EXPECT_FALSE(dialog.speedBoxChecked());
}

TEST(SpeedDialog, BottomEdgeLinesUpWithThePlayerWindow)
{
    QWidget player;
    player.setGeometry(40, 60, 700, 500);
    player.show();
    TSpeedF dialog;
    dialog.setPlayerWindow(&player);
    dialog.show();
    ASSERT_TRUE(test::waitUntil([&] { return dialog.isVisible(); }, 2000));
    const int left = dialog.frameGeometry().left();
    EXPECT_EQ(dialog.frameGeometry().bottom(), player.frameGeometry().bottom());

    // Each activation aligns again; the horizontal place stays.
    player.move(80, 200);
    QEvent activate(QEvent::WindowActivate);
    QCoreApplication::sendEvent(&dialog, &activate);
    EXPECT_EQ(dialog.frameGeometry().bottom(), player.frameGeometry().bottom());
    EXPECT_EQ(dialog.frameGeometry().left(), left);
}

TEST(OptionDialogs, ButtonPicturesComeWithTheFirstShowAndFitTheButtons)
{
    ProgramState state;
    TSleepF sleep(state);
    TSpeedF speed;
    for (QDialog* dialog : {static_cast<QDialog*>(&sleep), static_cast<QDialog*>(&speed)}) {
        SCOPED_TRACE(dialog->windowTitle().toStdString());
        QPushButton* ok = dialog == &sleep ? sleep.bitBtn1() : speed.bitBtn1();
        QPushButton* cancel = dialog == &sleep ? sleep.bitBtn2() : speed.bitBtn2();
        // Built without them (loading them is what slows a start-up) ...
        EXPECT_TRUE(ok->icon().isNull());
        const int result = execWith(*dialog, [&] {
            // ... and shown with them, the buttons laid out with room for picture and text.
            EXPECT_FALSE(ok->icon().isNull());
            EXPECT_FALSE(cancel->icon().isNull());
            EXPECT_GE(ok->width(), ok->sizeHint().width());
            EXPECT_GE(cancel->width(), cancel->sizeHint().width());
            dialog->reject();
        });
        EXPECT_EQ(result, QDialog::Rejected);
    }
}

// Both dialogs at the size of the design (scaled from its 120 pixels per inch to the screen),
// as shown, with every caption inside its control and no control over another.
TEST(OptionDialogs, SizedToTheDesignWithNothingClippedOrOverlapping)
{
    ProgramState state;
    TSleepF sleep(state);
    TSpeedF speed;
    struct Case
    {
        QDialog* dialog;
        const char* name;
        QSize design;
    };
    for (const Case& c : {Case{&speed, "speed-dialog", QSize(588, 185)},
                          Case{&sleep, "sleep-dialog", QSize(528, 404)}}) {
        SCOPED_TRACE(c.name);
        execWith(*c.dialog, [&] {
            const double scale = c.dialog->logicalDpiY() / 120.0;
            EXPECT_NEAR(c.dialog->width(), c.design.width() * scale, 2);
            EXPECT_NEAR(c.dialog->height(), c.design.height() * scale, 2);
            test::expectCleanLayout(*c.dialog, QString::fromLatin1(c.name));
            if (c.dialog == &sleep) {
                // What the window system is asked for: a title, and no buttons on it.
                ASSERT_NE(sleep.windowHandle(), nullptr);
                const Qt::WindowFlags flags = sleep.windowHandle()->flags();
                EXPECT_TRUE(flags & Qt::WindowTitleHint);
                EXPECT_FALSE(flags & (Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint |
                                      Qt::WindowContextHelpButtonHint));
            }
            c.dialog->reject();
        });
    }
    // The sleep dialog's frame is fixed: nothing to maximise.
    EXPECT_EQ(sleep.minimumSize(), sleep.maximumSize());
}

TEST(SleepDialog, ShowsItsItemsAndNote)
{
    ProgramState state;
    TSleepF dialog(state);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Vantoro - Sleep Timer"));
    EXPECT_FALSE(dialog.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(dialog.windowFlags() & Qt::WindowMinMaxButtonsHint);
    EXPECT_FALSE(dialog.windowFlags() & Qt::WindowContextHelpButtonHint);
    EXPECT_EQ(dialog.sleepTimerGroup()->title(), QStringLiteral(" Shutdown:"));
    EXPECT_EQ(dialog.sleepTimerGroup()->palette().color(QPalette::Window), QColor(255, 255, 0));
    const QStringList items{
        "Off (don't shutdown)",  "When Playlist finishes", "  15 minutes", "  30 minutes",
        "  45 minuties",         "  60 minutes (1 hour)",  "  90 minutes", "120 minutes (2 hours)",
        "150 minutes ",          "180 minutes (3 hours)",  "210 minutes",  "240 minutes (4 hours)",
        "1 minute (for testing)"};
    const int minutes[] = {0, 0, 15, 30, 45, 60, 90, 120, 150, 180, 210, 240, 1};
    for (int i = 0; i < items.size(); ++i) {
        ASSERT_NE(dialog.item(i), nullptr);
        EXPECT_EQ(dialog.item(i)->text(), items[i]);
        EXPECT_EQ(SleepTimer::minutesOfItem(i), minutes[i]) << i;
    }
    EXPECT_EQ(dialog.item(items.size()), nullptr);
    EXPECT_EQ(dialog.itemIndex(), 0);

    const QStringList lines = dialog.memo1()->toPlainText().split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 20);
    for (const int empty : {0, 7, 15})
        EXPECT_TRUE(lines[empty].isEmpty()) << empty;
    EXPECT_EQ(lines[1], QStringLiteral("This Sleep Timer will shut down your "));
    EXPECT_EQ(lines[3], QStringLiteral("power it off.  Select the first item (Off) to "));
    EXPECT_EQ(lines[14], QStringLiteral("so that the Playlist keeps repeating."));
    EXPECT_EQ(lines[19], QStringLiteral("running on your computer."));
    EXPECT_TRUE(dialog.memo1()->isReadOnly());
    EXPECT_TRUE(dialog.memo1()->font().bold());
    EXPECT_EQ(dialog.memo1()->font().family(), QStringLiteral("Arial"));
    EXPECT_EQ(dialog.memo1()->palette().color(QPalette::Base), QColor(0, 255, 255));
    EXPECT_EQ(dialog.bitBtn1()->toolTip(), QStringLiteral("Apply change"));
    EXPECT_EQ(dialog.bitBtn2()->toolTip(), QStringLiteral("No Changes"));
}

TEST(SleepDialog, OkStoresTheChoiceAndCancelKeepsTheSelectionOnly)
{
    ProgramState state;
    state.SleepChoice = 5; // selected when the dialog is created
    TSleepF dialog(state);
    EXPECT_EQ(dialog.itemIndex(), 5);

    int result = execWith(dialog, [&] {
        QTest::mouseClick(dialog.item(12), Qt::LeftButton);
        QTest::mouseClick(dialog.bitBtn1(), Qt::LeftButton);
    });
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_EQ(state.SleepChoice, 12);
    EXPECT_EQ(dialog.itemIndex(), 12);

    result = execWith(dialog, [&] {
        QTest::mouseClick(dialog.item(1), Qt::LeftButton);
        QTest::mouseClick(dialog.bitBtn2(), Qt::LeftButton);
    });
    EXPECT_EQ(result, QDialog::Rejected);
    EXPECT_EQ(state.SleepChoice, 12);
    EXPECT_EQ(dialog.itemIndex(), 1);

    result = execWith(dialog, [&] { QTest::keyClick(&dialog, Qt::Key_Escape); });
    EXPECT_EQ(result, QDialog::Rejected);
    EXPECT_EQ(state.SleepChoice, 12);
}

} // namespace
} // namespace vantoro
