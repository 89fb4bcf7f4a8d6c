// Files and folders dragged onto a list that a ClipDropTarget serves (the editor's list), through
// the drag-and-drop events Qt delivers to the list's viewport.

#include "playlists/ClipDropTarget.h"

#include "common/TestSupport.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QListWidget>
#include <QMimeData>
#include <QTemporaryDir>
#include <QVBoxLayout>

#include <gtest/gtest.h>

using namespace vantoro;
using vantoro::test::waitUntil;
using vantoro::test::writeFileBytes;

namespace {

struct Added
{
    QStringList clips;
    int row = -2;
};

class ClipDropTargetTest : public ::testing::Test
{
protected:
    ClipDropTargetTest()
    {
        auto* layout = new QVBoxLayout(&editor);
        list = new QListWidget(&editor);
        layout->addWidget(list);
        list->addItems({QStringLiteral("/music/one.mp3"), QStringLiteral("/music/two.mp3"),
                        QStringLiteral("/music/three.mp3")});
        new ClipDropTarget(list, [this](const QStringList& clips, int row) {
            added.append({clips, row});
        });
        editor.resize(400, 300);
        editor.setModal(true);
        editor.show(); // the editor is itself modal
    }
    QString file(const QString& relative)
    {
        const QString path = dir.path() + u'/' + relative;
        QDir().mkpath(QFileInfo(path).path());
        writeFileBytes(path, "RIFF");
        return path;
    }
    QByteArray uriOf(const QString& path) const
    {
        return "file://" + QFile::encodeName(path).toPercentEncoding("/") + "\r\n";
    }
    // Drags `uris` over the list to `at` in the viewport and drops; answers whether the drop
    // was taken.
    bool dropAt(const QByteArray& uris, QPoint at, Qt::DropActions actions = Qt::CopyAction)
    {
        QMimeData data;
        data.setData(QStringLiteral("text/uri-list"), uris);
        QWidget* viewport = list->viewport();
        QDragEnterEvent enter(at, actions, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(viewport, &enter);
        QDragMoveEvent move(at, actions, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(viewport, &move);
        QDropEvent drop(QPointF(at), actions, &data, Qt::LeftButton, Qt::NoModifier);
        drop.ignore();
        QCoreApplication::sendEvent(viewport, &drop);
        return drop.isAccepted() && drop.dropAction() == Qt::CopyAction;
    }
    QPoint onRow(int row) const { return list->visualItemRect(list->item(row)).center(); }

    QTemporaryDir dir;
    QDialog editor;
    QListWidget* list = nullptr;
    QList<Added> added;
};

TEST_F(ClipDropTargetTest, FilesAndFoldersArriveAsClipsWithTheRowDroppedOn)
{
    const QString spaced = file(QStringLiteral(u"New clips/Caf\u00e9 50% off.mp3"));
    const QString nested = file(QStringLiteral("Album/CD 1/Track.wav"));
    file(QStringLiteral("Album/CD 1/booklet.pdf"));
    file(QStringLiteral("Album/list.m3u"));

    ASSERT_TRUE(dropAt(uriOf(spaced) + uriOf(dir.path() + QStringLiteral("/Album")), onRow(1)));
    EXPECT_TRUE(added.isEmpty()) << "the list changes after the drop has returned";
    ASSERT_TRUE(waitUntil([&] { return added.size() == 1; }, 5000));
    EXPECT_EQ(added[0].clips, QStringList({spaced, nested}));
    EXPECT_EQ(added[0].row, 1);

    ASSERT_TRUE(dropAt(uriOf(spaced), QPoint(5, list->viewport()->height() - 3)));
    ASSERT_TRUE(waitUntil([&] { return added.size() == 2; }, 5000));
    EXPECT_EQ(added[1].row, -1) << "below the last row";
}

TEST_F(ClipDropTargetTest, NonLocalDropsMovesAndDropsUnderAnotherModalWindowAreRefused)
{
    const QString clip = file(QStringLiteral("a.mp3"));
    EXPECT_FALSE(dropAt("https://example.org/a.mp3\r\n", onRow(0)));
    EXPECT_FALSE(dropAt(uriOf(clip) + "ftp://example.org/b.mp3\r\n", onRow(0)));
    EXPECT_FALSE(dropAt(uriOf(clip), onRow(0), Qt::MoveAction));
    {
        QDialog question(&editor);
        question.setModal(true);
        question.show();
        ASSERT_EQ(QApplication::activeModalWidget(), &question);
        EXPECT_FALSE(dropAt(uriOf(clip), onRow(0))) << "a question is open over the editor";
    }
    // A folder without clips is taken, but adds nothing.
    QDir().mkpath(dir.path() + QStringLiteral("/empty"));
    EXPECT_TRUE(dropAt(uriOf(dir.path() + QStringLiteral("/empty")), onRow(0)));
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_TRUE(added.isEmpty());
    EXPECT_EQ(list->count(), 3) << "the list's own drag handling never moved anything";
}

} // namespace
