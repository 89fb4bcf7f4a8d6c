// The folder dialog on the real folder browser and input box, driven with the keyboard.
#include "clipmanager/TKxFolderDialog.h"

#include "common/FakeMessageBoxes.h"
#include "platform/FolderTreeModel.h"
#include "platform/QtFolderBrowser.h"
#include "platform/QtTextInput.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <gtest/gtest.h>

#include <functional>

namespace vantoro {
namespace {

// Rejects every dialog still open after ten seconds, so that a script that loses its way
// fails the test instead of hanging it.
class Watchdog
{
public:
    Watchdog()
    {
        m_timer.setSingleShot(true);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            fired = true;
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                if (auto* dialog = qobject_cast<QDialog*>(widget); dialog && dialog->isVisible())
                    dialog->reject();
            }
            m_timer.start(100);
        });
        m_timer.start(10000);
    }
    bool fired = false;

private:
    QTimer m_timer;
};

// Calls `action` on the first visible input box, once it is shown.
void whenInputBoxShows(const std::function<void(QInputDialog*)>& action)
{
    auto* poll = new QTimer;
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, [poll, action] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* box = qobject_cast<QInputDialog*>(widget); box && box->isVisible()) {
                poll->stop();
                poll->deleteLater();
                action(box);
                return;
            }
        }
    });
    poll->start();
}

class FolderDialogDrivenTest : public ::testing::Test
{
protected:
    FolderDialogDrivenTest()
    {
        home = QDir::cleanPath(QDir::homePath());
        QDir().mkpath(home + QStringLiteral("/Alpha/Beta"));
        QDir().mkpath(home + QStringLiteral("/Zulu"));
        services.folderBrowser = &browser;
        services.textInput = &input;
        services.messages = &messages;
    }
    ~FolderDialogDrivenTest() override
    {
        QDir(home + QStringLiteral("/Alpha")).removeRecursively();
        QDir(home + QStringLiteral("/Zulu")).removeRecursively();
    }

    static QTreeView* treeOf(QWidget* dialog) { return dialog->findChild<QTreeView*>(); }
    static QString currentPath(QWidget* dialog)
    {
        return treeOf(dialog)->currentIndex().data(FolderTreeModel::PathRole).toString();
    }
    static QString statusOf(QWidget* dialog)
    {
        return dialog->findChild<QLabel*>(QStringLiteral("status"))->text();
    }

    QString home;
    QtFolderBrowser browser;
    QtTextInput input;
    test::FakeMessageBoxes messages;
    Services services;
};

TEST_F(FolderDialogDrivenTest, WalkTheTreeWithTheKeyboardAndChooseWithEnter)
{
    Watchdog watchdog;
    TKxFolderDialog dialog(services);
    dialog.setFlags(TKxFolderDialog::OnlyFileSystem | TKxFolderDialog::ShowPath);
    dialog.setFolder(home);
    QString startPath, statusOnBeta;
    QObject::connect(&dialog, &TKxFolderDialog::OnInitialized, [&](auto*, QWidget* window) {
        QTimer::singleShot(0, window, [&, window] {
            startPath = currentPath(window);
            QTreeView* tree = treeOf(window);
            QTest::keyClick(tree, Qt::Key_Right); // open home
            QTest::keyClick(tree, Qt::Key_Right); // its first folder: Alpha
            QTest::keyClick(tree, Qt::Key_Right); // open Alpha
            QTest::keyClick(tree, Qt::Key_Right); // Beta
            statusOnBeta = statusOf(window);
            QTest::keyClick(tree, Qt::Key_Return);
        });
    });

    ASSERT_TRUE(dialog.Execute());
    EXPECT_FALSE(watchdog.fired);
    EXPECT_EQ(startPath, home);
    EXPECT_EQ(dialog.Folder(), home + QStringLiteral("/Alpha/Beta"));
    EXPECT_EQ(statusOnBeta, TKxFolderDialog::CompactPath(dialog.Folder(), 50));
}

TEST_F(FolderDialogDrivenTest, EscapeCancelsAndKeepsTheFolder)
{
    Watchdog watchdog;
    TKxFolderDialog dialog(services);
    dialog.setFolder(home + QStringLiteral("/Zulu"));
    QString startPath;
    QObject::connect(&dialog, &TKxFolderDialog::OnInitialized, [&](auto*, QWidget* window) {
        QTimer::singleShot(0, window, [&, window] {
            startPath = currentPath(window);
            QTest::keyClick(treeOf(window), Qt::Key_Up);
            QTest::keyClick(treeOf(window), Qt::Key_Escape);
        });
    });
    EXPECT_FALSE(dialog.Execute());
    EXPECT_FALSE(watchdog.fired);
    EXPECT_EQ(startPath, home + QStringLiteral("/Zulu"));
    EXPECT_EQ(dialog.Folder(), home + QStringLiteral("/Zulu"));
}

TEST_F(FolderDialogDrivenTest, NewFolderTypedIntoTheInputBoxIsSelectedWhenTheDialogReopens)
{
    Watchdog watchdog;
    TKxFolderDialog dialog(services);
    dialog.setFolder(home + QStringLiteral("/Alpha"));
    int showings = 0;
    QString boxTitle, selectedOnReopen;
    QObject::connect(&dialog, &TKxFolderDialog::OnInitialized, [&](auto* sender, QWidget* window) {
        ++showings;
        QTimer::singleShot(0, window, [&, sender, window] {
            if (showings == 1) {
                whenInputBoxShows([&](QInputDialog* box) {
                    boxTitle = box->windowTitle();
                    QTest::keyClicks(box->findChild<QLineEdit*>(), QStringLiteral("Clips"));
                    QTest::keyClick(box->findChild<QLineEdit*>(), Qt::Key_Return);
                });
                sender->NewFolderButton()->click();
            } else {
                selectedOnReopen = currentPath(window);
                QTest::keyClick(treeOf(window), Qt::Key_Return);
            }
        });
    });

    ASSERT_TRUE(dialog.Execute());
    EXPECT_FALSE(watchdog.fired);
    EXPECT_EQ(showings, 2);
    EXPECT_EQ(boxTitle, QStringLiteral("New folder"));
    const QString clips = home + QStringLiteral("/Alpha/Clips");
    EXPECT_TRUE(QFileInfo(clips).isDir());
    EXPECT_EQ(selectedOnReopen, clips);
    EXPECT_EQ(dialog.Folder(), clips);
    EXPECT_TRUE(messages.shown.isEmpty());
}

// Return presses the button that has the focus: Cancel cancels, New folder asks for a name
// (and is not taken for OK).
TEST_F(FolderDialogDrivenTest, ReturnPressesTheFocusedButton)
{
    const auto tabToAndPressReturn = [](QWidget* window, QWidget* target) {
        for (int i = 0; i < 20 && window->focusWidget() != target; ++i)
            QTest::keyClick(window->focusWidget() ? window->focusWidget() : window, Qt::Key_Tab);
        ASSERT_EQ(window->focusWidget(), target);
        QTest::keyClick(target, Qt::Key_Return);
    };
    {
        Watchdog watchdog;
        TKxFolderDialog dialog(services);
        dialog.setFolder(home + QStringLiteral("/Zulu"));
        QObject::connect(&dialog, &TKxFolderDialog::OnInitialized, [&](auto*, QWidget* window) {
            QTimer::singleShot(0, window, [&, window] {
                for (QPushButton* button : window->findChildren<QPushButton*>())
                    if (button->text().remove(u'&') == u"Cancel")
                        tabToAndPressReturn(window, button);
            });
        });
        EXPECT_FALSE(dialog.Execute());
        EXPECT_FALSE(watchdog.fired);
    }
    {
        Watchdog watchdog;
        TKxFolderDialog dialog(services);
        dialog.setFolder(home + QStringLiteral("/Zulu"));
        bool asked = false;
        QObject::connect(
            &dialog, &TKxFolderDialog::OnInitialized, [&](auto* sender, QWidget* window) {
                QTimer::singleShot(0, window, [&, sender, window] {
                    whenInputBoxShows([&, window](QInputDialog* box) {
                        asked = true;
                        box->reject();
                        QTimer::singleShot(0, window,
                                           [window] { qobject_cast<QDialog*>(window)->reject(); });
                    });
                    tabToAndPressReturn(window, sender->NewFolderButton());
                });
            });
        EXPECT_FALSE(dialog.Execute()) << "Return on New folder was taken for OK";
        EXPECT_TRUE(asked);
        EXPECT_FALSE(watchdog.fired);
    }
}

} // namespace
} // namespace vantoro
