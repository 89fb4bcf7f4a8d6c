// Files, folders and playlists dragged from a file manager onto the main window, delivered as
// the window system delivers them: drag-enter, drag-move and drop events carrying text/uri-list.

#include "app/TForm1.h"

#include "common/FakeFileDialogs.h"
#include "common/FakeMessageBoxes.h"
#include "common/TestSupport.h"
#include "playlists/PlayerOpener.h"
#include "playlists/PlaylistCommandHandler.h"
#include "playlists/PlaylistCommands.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

using namespace vantoro;
using vantoro::test::waitUntil;
using vantoro::test::writeFileBytes;

namespace {

class RecordingCommands final : public PlaylistCommandHandler
{
public:
    void PlaylistNewClick() override {}
    void PlaylistLoadClick() override {}
    void PlaylistDeleteClick() override {}
    void PlaylistDropped(const QStringList& paths) override { drops.append(paths); }
    QList<QStringList> drops;
};

class RecordingPlayer final : public PlayerOpener
{
public:
    explicit RecordingPlayer(ProgramState& state) : m_state(state) {}
    PlayerResult OpenPlayer() override
    {
        clipsSeen = m_state.AllBox.items();
        tagSeen = m_state.Tag;
        ++opened;
        return {};
    }
    PlayerResult OpenPlayerAndGo() override { return OpenPlayer(); }
    QStringList clipsSeen;
    int tagSeen = -1;
    int opened = 0;

private:
    ProgramState& m_state;
};

struct DragOutcome
{
    bool enterAccepted = false;
    bool moveAccepted = false;
    bool dropAccepted = false;
    Qt::DropAction dropAction = Qt::IgnoreAction;
};

// A whole drag over the window and the drop, as a file manager offering `actions` makes it.
DragOutcome dragAndDrop(QWidget* target, QMimeData* data,
                        Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction)
{
    DragOutcome outcome;
    const QPoint at(target->width() / 2, target->height() / 2);
    QDragEnterEvent enter(at, actions, data, Qt::LeftButton, Qt::NoModifier);
    enter.ignore();
    QCoreApplication::sendEvent(target, &enter);
    outcome.enterAccepted = enter.isAccepted();
    QDragMoveEvent move(at, actions, data, Qt::LeftButton, Qt::NoModifier);
    move.ignore();
    QCoreApplication::sendEvent(target, &move);
    outcome.moveAccepted = move.isAccepted();
    QDropEvent drop(QPointF(at), actions, data, Qt::LeftButton, Qt::NoModifier);
    drop.ignore();
    QCoreApplication::sendEvent(target, &drop);
    outcome.dropAccepted = drop.isAccepted();
    outcome.dropAction = drop.dropAction();
    return outcome;
}

QMimeData* uriList(const QByteArray& lines)
{
    auto* data = new QMimeData;
    data->setData(QStringLiteral("text/uri-list"), lines);
    return data;
}

class MainWindowDrop : public ::testing::Test
{
protected:
    MainWindowDrop()
    {
        services.messages = &messages;
        services.fileDialogs = &dialogs;
        services.programFolder = dir.path() + u'/';
        form = std::make_unique<TForm1>(services);
        form->setPlaylistCommands(&recorder);
    }
    QString file(const QString& relative)
    {
        const QString path = dir.path() + u'/' + relative;
        QDir().mkpath(QFileInfo(path).path());
        writeFileBytes(path, "RIFF");
        return path;
    }
    // What the file manager writes: every byte outside the unreserved set %-escaped.
    QByteArray uriOf(const QString& path) const
    {
        return "file://" + QFile::encodeName(path).toPercentEncoding("/");
    }

    QTemporaryDir dir;
    test::FakeMessageBoxes messages;
    test::FakeFileDialogs dialogs;
    Services services;
    RecordingCommands recorder;
    std::unique_ptr<TForm1> form;
};

TEST_F(MainWindowDrop, LocalFilesAreTakenAsACopyWithTheirEscapesDecodedInDropOrder)
{
    const QString spaced = file(QStringLiteral("My Music/Song one.mp3"));
    const QString percent = file(QStringLiteral("My Music/100% pure.ogg"));
    const QString accented = file(QStringLiteral(u"Musique \u00e9t\u00e9/\u00c5se \u266b.wav"));
    std::unique_ptr<QMimeData> data(uriList(uriOf(spaced) + "\r\n" + uriOf(percent) + "\r\n" +
                                            "file://localhost" +
                                            QFile::encodeName(accented).toPercentEncoding("/") +
                                            "\r\n# a comment line\r\n" + uriOf(dir.path())));

    const DragOutcome outcome = dragAndDrop(form.get(), data.get());

    EXPECT_TRUE(outcome.enterAccepted);
    EXPECT_TRUE(outcome.moveAccepted);
    EXPECT_TRUE(outcome.dropAccepted);
    EXPECT_EQ(outcome.dropAction, Qt::CopyAction) << "a move would let the file manager delete";
    EXPECT_TRUE(recorder.drops.isEmpty()) << "the command starts after the drop has returned";
    ASSERT_TRUE(waitUntil([&] { return !recorder.drops.isEmpty(); }, 5000));
    ASSERT_EQ(recorder.drops.size(), 1);
    EXPECT_EQ(recorder.drops.first(), QStringList({spaced, percent, accented, dir.path()}));
}

TEST_F(MainWindowDrop, AnythingButLocalFilesIsRefusedWithoutABox)
{
    const QString local = file(QStringLiteral("a.mp3"));
    struct Case
    {
        const char* what;
        std::function<QMimeData*()> make;
        Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction;
    };
    const QList<Case> cases = {
        {"a web address", [] { return uriList("https://example.org/music/a.mp3\r\n"); }},
        {"a web address among files",
         [&] { return uriList(uriOf(local) + "\r\nhttp://example.org/b.mp3\r\n"); }},
        {"a file on another host",
         [] { return uriList("file://otherhost.example/srv/a.mp3\r\n"); }},
        {"text",
         [&] {
             auto* data = new QMimeData;
             data->setText(local);
             return data;
         }},
        {"nothing at all", [] { return uriList(""); }},
        {"files the source only lets go by moving", [&] { return uriList(uriOf(local)); },
         Qt::MoveAction},
    };
    for (const Case& c : cases) {
        std::unique_ptr<QMimeData> data(c.make());
        const DragOutcome outcome = dragAndDrop(form.get(), data.get(), c.actions);
        EXPECT_FALSE(outcome.enterAccepted) << c.what;
        EXPECT_FALSE(outcome.moveAccepted) << c.what;
        EXPECT_FALSE(outcome.dropAccepted) << c.what;
    }
    QCoreApplication::processEvents();
    EXPECT_TRUE(recorder.drops.isEmpty());
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_F(MainWindowDrop, DropsAreRefusedWhileAModalWindowIsOpen)
{
    const QString local = file(QStringLiteral("a.mp3"));
    form->show();
    QDialog modal(form.get());
    modal.setModal(true);
    modal.show();
    ASSERT_EQ(QApplication::activeModalWidget(), &modal);
    std::unique_ptr<QMimeData> data(uriList(uriOf(local)));

    const DragOutcome outcome = dragAndDrop(form.get(), data.get());

    EXPECT_FALSE(outcome.enterAccepted);
    EXPECT_FALSE(outcome.dropAccepted);
    QCoreApplication::processEvents();
    EXPECT_TRUE(recorder.drops.isEmpty());

    modal.close();
    const DragOutcome after = dragAndDrop(form.get(), data.get());
    EXPECT_TRUE(after.dropAccepted) << "taken again once the modal window has closed";
    EXPECT_TRUE(waitUntil([&] { return recorder.drops.size() == 1; }, 5000));
}

// Over X11 the drop fetches the data from the source once more, and that can come back empty:
// the paths read as the drag came in are the same drag's. A drag that left the window takes
// them along, and a drop carrying something else is judged on its own.
TEST_F(MainWindowDrop, ADropWhoseDataComesBackEmptyUsesWhatTheDragBrought)
{
    const QString local = file(QStringLiteral("My Music/a b.mp3"));
    std::unique_ptr<QMimeData> entering(uriList(uriOf(local) + "\r\n"));
    std::unique_ptr<QMimeData> emptied(uriList(""));
    std::unique_ptr<QMimeData> web(uriList("https://example.org/a.mp3\r\n"));
    const QPoint at(10, 10);
    const auto enter = [&] {
        QDragEnterEvent event(at, Qt::CopyAction, entering.get(), Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(form.get(), &event);
        return event.isAccepted();
    };
    const auto drop = [&](QMimeData* data) {
        QDropEvent event(QPointF(at), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        event.ignore();
        QCoreApplication::sendEvent(form.get(), &event);
        return event.isAccepted();
    };

    ASSERT_TRUE(enter());
    EXPECT_TRUE(drop(emptied.get()));
    ASSERT_TRUE(waitUntil([&] { return recorder.drops.size() == 1; }, 5000));
    EXPECT_EQ(recorder.drops.first(), QStringList{local});

    ASSERT_TRUE(enter());
    EXPECT_FALSE(drop(web.get())) << "what the drop carries is judged, not what came in";
    ASSERT_TRUE(enter());
    QDragLeaveEvent leave;
    QCoreApplication::sendEvent(form.get(), &leave);
    EXPECT_FALSE(drop(emptied.get())) << "a drag that left took its paths along";
    QCoreApplication::processEvents();
    EXPECT_EQ(recorder.drops.size(), 1);
}

// The whole road: a dropped tree reaches the player through the real commands.
TEST_F(MainWindowDrop, DroppedFolderTreeAndPlaylistReachThePlayer)
{
    ProgramState& state = form->state();
    state.ProgramFolder = services.programFolder;
    RecordingPlayer player(state);
    PlaylistCommands commands(state, services, *form, player, nullptr);
    form->setPlaylistCommands(&commands);
    const QString root = dir.path() + QStringLiteral(u"/Fotos & M\u00fcsik 50%");
    const QString deep = file(QStringLiteral(u"Fotos & M\u00fcsik 50%/2024/Juli/Strand 1.jpg"));
    const QString song = file(QStringLiteral(u"Fotos & M\u00fcsik 50%/Lied.MP3"));
    file(QStringLiteral(u"Fotos & M\u00fcsik 50%/2024/Juli/desktop.ini"));
    file(QStringLiteral(u"Fotos & M\u00fcsik 50%/2024/liste.pls"));
    std::unique_ptr<QMimeData> folderDrop(uriList(uriOf(root) + "\r\n"));

    ASSERT_TRUE(dragAndDrop(form.get(), folderDrop.get()).dropAccepted);
    ASSERT_TRUE(waitUntil([&] { return player.opened == 1; }, 5000));
    EXPECT_EQ(player.clipsSeen, QStringList({deep, song}));
    EXPECT_EQ(player.tagSeen, kModeNew);
    EXPECT_EQ(state.SourceFolder, root);

    const QString a = file(QStringLiteral("Lists/a.wav"));
    const QString list = dir.path() + QStringLiteral("/Lists/Fest liste.pls");
    writeFileBytes(list, "[playlist]\nFile1=a.wav\nNumberOfEntries=1\n");
    std::unique_ptr<QMimeData> listDrop(uriList(uriOf(list) + "\r\n"));
    ASSERT_TRUE(dragAndDrop(form.get(), listDrop.get()).dropAccepted);
    ASSERT_TRUE(waitUntil([&] { return player.opened == 2; }, 5000));
    EXPECT_EQ(player.clipsSeen, QStringList{a});
    EXPECT_EQ(player.tagSeen, kModeLoad);
    EXPECT_TRUE(dialogs.asked.isEmpty());
}

} // namespace
