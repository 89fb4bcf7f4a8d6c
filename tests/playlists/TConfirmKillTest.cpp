#include "playlists/TConfirmKill.h"

#include "playlists/ProgramState.h"
#include "playlists/TMangle.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace vantoro;

namespace {

// Runs `dialog` modally and presses `key` on it once it is up; answers its result.
int execPressing(QDialog& dialog, Qt::Key key)
{
    QTimer::singleShot(0, &dialog, [&dialog, key] {
        QWidget* target = dialog.focusWidget() ? dialog.focusWidget() : &dialog;
        QTest::keyClick(target, key);
        if (dialog.isVisible())
            dialog.done(-1);
    });
    return dialog.exec();
}

// Every label and button of `window` has room for its whole text (and icon).
void expectNothingClipped(QWidget& window)
{
    const QList<QWidget*> children = window.findChildren<QWidget*>();
    int checked = 0;
    for (QWidget* child : children) {
        if (!qobject_cast<QLabel*>(child) && !qobject_cast<QAbstractButton*>(child))
            continue;
        if (!child->isVisible())
            continue;
        ++checked;
        const QSize need = child->sizeHint();
        EXPECT_GE(child->width(), need.width()) << child->objectName().toStdString() << " "
                                                << child->property("text").toString().toStdString();
        EXPECT_GE(child->height(), need.height()) << child->objectName().toStdString();
        EXPECT_TRUE(window.rect().contains(QRect(child->mapTo(&window, QPoint()), child->size())))
            << child->objectName().toStdString() << " reaches outside the window";
    }
    EXPECT_GT(checked, 2);
    const QString shots = qEnvironmentVariable("VANTORO_SCREENSHOT_DIR");
    if (!shots.isEmpty())
        window.grab().save(shots + u'/' + QString::fromLatin1(window.metaObject()->className()) +
                           QStringLiteral(".png"));
}

TEST(ConfirmKill, LooksAsTheQuestionShould)
{
    TConfirmKill dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Confirm clip deletion from playlist"));
    const Qt::WindowFlags flags = dialog.windowFlags();
    EXPECT_FALSE(flags & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(flags & Qt::WindowSystemMenuHint);
    EXPECT_FALSE(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(dialog.palette().color(QPalette::Window), QColor(255, 255, 0));
    EXPECT_EQ(dialog.Label1->text(),
              QStringLiteral("Are you sure you want to delete selected clip from the playlist?"));
    EXPECT_TRUE(dialog.Label1->font().bold());
    EXPECT_EQ(dialog.CheckBox1->text(), QStringLiteral("Send clip to the Trash also"));
    EXPECT_FALSE(dialog.CheckBox1->isChecked());
    EXPECT_EQ(dialog.OKbutton->text(), QStringLiteral("&Yes"));
    EXPECT_EQ(dialog.CancelButton->text(), QStringLiteral("&No"));
    dialog.show();
    expectNothingClipped(dialog);
}

TEST(ConfirmKill, EnterIsYesEscIsNo)
{
    {
        TConfirmKill dialog;
        EXPECT_EQ(execPressing(dialog, Qt::Key_Return), QDialog::Accepted);
    }
    {
        TConfirmKill dialog;
        EXPECT_EQ(execPressing(dialog, Qt::Key_Escape), QDialog::Rejected);
    }
    {
        TConfirmKill dialog;
        EXPECT_EQ(dialog.OKbutton->shortcut(), QKeySequence(Qt::ALT | Qt::Key_Y));
        EXPECT_EQ(dialog.CancelButton->shortcut(), QKeySequence(Qt::ALT | Qt::Key_N));
    }
    {
        // Ticking the box with the keyboard leaves the dialog open; Enter then answers Yes.
        TConfirmKill dialog;
        QTimer::singleShot(0, &dialog, [&dialog] {
            dialog.CheckBox1->setFocus();
            QTest::keyClick(dialog.CheckBox1, Qt::Key_Space);
            EXPECT_TRUE(dialog.isVisible());
            QTest::keyClick(dialog.CheckBox1, Qt::Key_Return);
            if (dialog.isVisible())
                dialog.done(-1);
        });
        EXPECT_EQ(dialog.exec(), QDialog::Accepted);
        EXPECT_TRUE(dialog.CheckBox1->isChecked());
    }
}

TEST(ConfirmKill, WithoutATrashTheBoxCannotBeTicked)
{
    TConfirmKill dialog;
    dialog.CheckBox1->setChecked(true);
    dialog.setTrashAvailable(false);
    EXPECT_FALSE(dialog.CheckBox1->isChecked());
    EXPECT_FALSE(dialog.CheckBox1->isEnabled());
}

TEST(Mangle, ControlsCarryTheirCaptionsAndHintsAndFitTheWindow)
{
    ProgramState state;
    Services services;
    TMangle editor(state, services, QString());
    EXPECT_EQ(editor.windowTitle(), QStringLiteral("Vantoro - Edit Playlist"));
    EXPECT_FALSE(editor.windowFlags() &
                 (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(editor.Label1->text(), QStringLiteral("Media in this Playlist:"));
    EXPECT_TRUE(editor.Label1->font().bold());
    EXPECT_EQ(editor.Label1->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    EXPECT_EQ(editor.ListBox1->selectionMode(), QAbstractItemView::SingleSelection);
    const struct
    {
        QPushButton* button;
        const char* caption;
        const char* hint;
    } buttons[] = {
        {editor.ButtonAdd, "Add clip(s)", "Add Clip(s) to this Playlist"},
        {editor.ButtonDelete, "Delete clip", "Delete Selected Media from Playlist"},
        {editor.ButtonUp, "Move Up", "Move selected clip up in Playlist"},
        {editor.ButtonDown, "Move Down", "Move selected clip down in Playlist"},
        {editor.ButtonSort, "Sort", "Put clips in alphabetical order"},
        {editor.ButtonOK, "OK", "Save changes & Exit"},
        {editor.BitBtn1, "Cancel", "Undo any changes"},
    };
    for (const auto& b : buttons) {
        EXPECT_EQ(b.button->text(), QString::fromUtf8(b.caption));
        EXPECT_EQ(b.button->toolTip(), QString::fromUtf8(b.hint));
    }
    EXPECT_EQ(editor.ButtonDown->property("tag").toInt(), 69);
    EXPECT_TRUE(editor.ButtonOK->isDefault());
    editor.addClips({QStringLiteral("/home/user/Music/An Artist/First Album/01 Track.mp3"),
                     QStringLiteral("/home/user/Videos/Holiday 2023/beach.avi"),
                     QStringLiteral("/home/user/Pictures/slides/img_0001.jpg")});
    editor.show();
    const QSize before = editor.size();
    expectNothingClipped(editor);
    // Not resizable.
    editor.resize(before + QSize(100, 100));
    EXPECT_EQ(editor.size(), before);
}

} // namespace
