#include "platform/QtProgressWindows.h"

#include <QApplication>
#include <QPointer>
#include <QProgressBar>
#include <QProgressDialog>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace vantoro;

TEST(QtProgressWindows, ShowsBytesOfTheSizeAndItsCancelButtonWorks)
{
    QtProgressWindows windows;
    std::unique_ptr<ProgressWindow> window =
        windows.open(QStringLiteral("Reading playlist /p/x.m3u"));
    QPointer<QProgressDialog> dialog =
        qobject_cast<QProgressDialog*>(QApplication::activeModalWidget());
    ASSERT_FALSE(dialog.isNull()) << "the window is modal and shown at once";
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_FALSE(window->cancelled());

    // The last update of a read (done == total) is always shown, however soon it comes.
    window->setProgress(5 * 1024 * 1024 + 512 * 1024, 10 * 1024 * 1024);
    window->setProgress(10 * 1024 * 1024, 10 * 1024 * 1024);
    EXPECT_EQ(dialog->labelText(), QStringLiteral("Reading playlist /p/x.m3u\n10.0 MB of 10.0 MB"));
    EXPECT_EQ(dialog->value(), dialog->maximum());
    EXPECT_FALSE(window->cancelled());

    auto* cancel = dialog->findChild<QPushButton*>();
    ASSERT_NE(cancel, nullptr);
    EXPECT_EQ(cancel->text(), QStringLiteral("Cancel"));
    cancel->click();
    EXPECT_TRUE(window->cancelled());
    window.reset();
    EXPECT_TRUE(dialog.isNull()) << "the window closes with its owner";
}

TEST(QtProgressWindows, AmountsInMegabytes)
{
    EXPECT_EQ(QtProgressWindows::amountText(0, 0), QStringLiteral("0.0 MB of 0.0 MB"));
    EXPECT_EQ(QtProgressWindows::amountText(1536 * 1024, 3 * 1024 * 1024),
              QStringLiteral("1.5 MB of 3.0 MB"));
}
