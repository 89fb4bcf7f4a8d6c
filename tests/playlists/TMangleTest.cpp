#include "playlists/TMangle.h"

#include "common/FakeFileDialogs.h"
#include "common/FakeFileOperationEngine.h"
#include "common/FakeMessageBoxes.h"
#include "common/ScriptedModalRunner.h"
#include "common/TestSupport.h"
#include "common/FileOpFakes.h"
#include "platform/MainWindowDialogs.h"
#include "platform/ProgressWindows.h"
#include "fileops/ShellFileOperation.h"
#include "playlists/ProgramState.h"
#include "playlists/TConfirmKill.h"

#include <QAbstractItemModelTester>
#include <QCheckBox>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QListView>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

#include <sys/mount.h>

using namespace vantoro;
using vantoro::test::readFileBytes;
using vantoro::test::writeFileBytes;

QT_BEGIN_NAMESPACE
// Readable test failures.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}
QT_END_NAMESPACE

namespace {

const QString kSelectFirst = QStringLiteral("You must first select (click on) a clip");
constexpr quint16 kTrashFlags = FileOperationFlag::kAllowUndo | FileOperationFlag::kNoConfirmation |
                                FileOperationFlag::kSilent | FileOperationFlag::kFilesOnly;

QByteArray asxBytes(const QStringList& entries)
{
    QByteArray bytes = "<ASX VERSION=\"3.0\">\r\n<Title>Old</Title>\r\n";
    for (const QString& entry : entries)
        bytes += " <ENTRY><REF HREF=\"" + entry.toUtf8() + "\" /></ENTRY>\r\n";
    return bytes + "</ASX>\r\n";
}

// The HREF values of a playlist file, in file order, exactly as written.
QStringList hrefsIn(const QString& path)
{
    static const QRegularExpression href(QStringLiteral("HREF=\"([^\"]*)\""));
    QStringList found;
    const QString text = QString::fromUtf8(readFileBytes(path));
    for (const QRegularExpressionMatch& m : href.globalMatch(text))
        found.append(m.captured(1));
    return found;
}

QString trashFolder()
{
    return qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/Trash/files");
}

class PlaylistEditor : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        services.messages = &messages;
        services.fileDialogs = &dialogs;
        services.modal = &modal;
        services.fileOperations = &engine;
        state.ListFolder = dir.path();
        // The engine's trash, as the desktop's Trash would take the file.
        engine.onRun = [](const FileOperationRequest& request) {
            QDir().mkpath(trashFolder());
            FileOperationResult result;
            for (const QString& source : request.sources) {
                if (!QFile::rename(source, trashFolder() + u'/' + QFileInfo(source).fileName()))
                    result.anyOperationsAborted = true;
            }
            return result;
        };
        for (const char* name : {"b.mp3", "a.avi", "D.jpg", "c.wav", "e.ogg"})
            clip(QString::fromLatin1(name));
    }

    QString path(const QString& name) const { return dir.filePath(name); }
    QString clip(const QString& name)
    {
        writeFileBytes(path(name), "clip " + name.toUtf8());
        return path(name);
    }
    QString playlist(const QString& name, const QStringList& clipNames)
    {
        QStringList entries;
        for (const QString& c : clipNames)
            entries.append(path(c));
        writeFileBytes(path(name), asxBytes(entries));
        return path(name);
    }
    QStringList paths(const QStringList& names) const
    {
        QStringList result;
        for (const QString& n : names)
            result.append(path(n));
        return result;
    }

    // Runs the Edit command on `playlistPath` with `script` driving the editor.
    int edit(const QString& playlistPath, const std::function<void(TMangle&)>& script)
    {
        dialogs.openAnswers.append(QStringList{playlistPath});
        // The editor is the first window shown; confirmations queued before come after it.
        // Its script starts once the playlist has been read.
        modal.scripts.prepend([script](QDialog& d) {
            auto& editor = static_cast<TMangle&>(d);
            ASSERT_TRUE(test::waitUntil([&] { return !editor.reading(); }, 20000));
            if (editor.isVisible())
                script(editor);
        });
        return TMangle::PlaylistEdit(state, services, clipFolder, nullptr);
    }

    static QStringList shownEntries(const TMangle& m)
    {
        QStringList texts;
        const QAbstractItemModel* model = m.ListBox1->model();
        for (int i = 0; i < model->rowCount(); ++i)
            texts.append(model->index(i, 0).data().toString());
        return texts;
    }
    // The selected rows' texts.
    static QStringList selectedEntries(const TMangle& m)
    {
        QStringList texts;
        for (const QModelIndex& index : m.ListBox1->selectionModel()->selectedIndexes())
            texts.append(index.data().toString());
        return texts;
    }
    static int currentRow(const TMangle& m) { return m.ListBox1->currentIndex().row(); }
    static void click(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
    static void select(TMangle& m, int row, Qt::KeyboardModifiers modifiers = {})
    {
        const QModelIndex index = m.ListBox1->model()->index(row, 0);
        m.ListBox1->scrollTo(index);
        const QRect where = m.ListBox1->visualRect(index);
        QTest::mouseClick(m.ListBox1->viewport(), Qt::LeftButton, modifiers, where.center());
    }
    // The next TConfirmKill answers Yes, with the check box as given.
    void confirmDelete(bool toTrash)
    {
        modal.scripts.append([toTrash](QDialog& d) {
            auto& confirm = static_cast<TConfirmKill&>(d);
            EXPECT_FALSE(confirm.CheckBox1->isChecked());
            confirm.CheckBox1->setChecked(toTrash);
            QTest::mouseClick(confirm.OKbutton, Qt::LeftButton);
        });
    }

    QTemporaryDir dir;
    ProgramState state;
    test::FakeMessageBoxes messages;
    test::FakeFileDialogs dialogs;
    test::ScriptedModalRunner modal;
    test::FakeFileOperationEngine engine;
    Services services;
    QString clipFolder = QStringLiteral("/clips/start-up");
};

TEST_F(PlaylistEditor, CancellingThePlaylistDialogShowsNothing)
{
    state.AllBox.add(QStringLiteral("/kept.avi"));
    state.ListFolder = QStringLiteral("/lists");
    EXPECT_EQ(TMangle::PlaylistEdit(state, services, clipFolder, nullptr), QDialog::Rejected);

    EXPECT_TRUE(modal.shown.isEmpty());
    EXPECT_TRUE(messages.shown.isEmpty());
    EXPECT_EQ(state.AllBox.items(), QStringList{QStringLiteral("/kept.avi")});
    ASSERT_EQ(dialogs.asked.size(), 1);
    const FileDialogSpec& spec = dialogs.asked.first();
    EXPECT_EQ(spec.title, QStringLiteral("Select Playlist to Modify"));
    EXPECT_EQ(spec.filters, openDialog2Spec(QString()).filters);
    EXPECT_EQ(spec.filterIndex, 0);
    EXPECT_EQ(spec.initialFolder, QStringLiteral("/lists"));
    EXPECT_EQ(spec.defaultSuffix, QStringLiteral("asx"));
    EXPECT_FALSE(spec.multiSelect);
}

TEST_F(PlaylistEditor, OpensTheListAndSavesOnOk)
{
    const QString list = playlist(QStringLiteral("mix.asx"), {"b.mp3", "a.avi"});
    QString caption;
    QStringList shown;
    const int result = edit(list, [&](TMangle& m) {
        caption = m.windowTitle();
        shown = shownEntries(m);
        EXPECT_TRUE(messages.shown.isEmpty());
        click(m.ButtonOK);
    });

    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_EQ(caption, QStringLiteral("Vantoro - Edit Playlist [") + list + u']');
    EXPECT_EQ(shown, paths({"b.mp3", "a.avi"}));
    EXPECT_EQ(hrefsIn(list), paths({"b.mp3", "a.avi"}));
    EXPECT_TRUE(readFileBytes(list).contains(QByteArray("<Title>" + list.toUtf8() + "</Title>")));
    EXPECT_EQ(state.AllBox.items(), paths({"b.mp3", "a.avi"}));
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(messages.shown[0].kind, MessageKind::Information);
    EXPECT_EQ(messages.shown[0].text,
              QStringLiteral("Playlist ") + list + QStringLiteral(" created/updated"));
}

// The clips of an unplugged drive are listed greyed where they stood; they can be deleted or
// moved like any other, and OK keeps the rest where they stand, drops them, or writes nothing.
TEST_F(PlaylistEditor, MissingEntriesAreListedInPlaceAndKeptUnlessTheUserSaysNo)
{
    const QString gone = path(QStringLiteral("unplugged/gone.avi"));
    const QString web = QStringLiteral("http://example.com/stream.mp3");
    const QString alsoGone = path(QStringLiteral("also gone.wav"));
    QByteArray file = "<ASX VERSION=\"3.0\">\r\n";
    for (const QString& href :
         {gone, path(QStringLiteral("b.mp3")), web, path(QStringLiteral("a.avi")),
          QStringLiteral("also gone.wav"), gone})
        file += " <ENTRY><REF HREF=\"" + href.toUtf8() + "\" /></ENTRY>\r\n";
    file += "</ASX>\r\n";
    const QString list = path(QStringLiteral("drive.asx"));
    const auto missing = [](const QString& p) -> QString {
        return QStringLiteral("(missing) ") + p;
    };
    const struct
    {
        MessageResult answer;
        int result;
        QStringList written; // empty: the file stays as it was
    } cases[] = {
        {MessageResult::Yes, QDialog::Accepted, {gone, path("a.avi"), web, gone, path("c.wav")}},
        {MessageResult::No, QDialog::Accepted, paths({"a.avi", "c.wav"})},
        {MessageResult::Cancel, QDialog::Rejected, {}},
    };
    for (const auto& c : cases) {
        writeFileBytes(list, file);
        messages.shown.clear();
        messages.answers = {MessageResult::Ok, c.answer};
        confirmDelete(false);
        confirmDelete(false);
        const int result = edit(list, [&](TMangle& m) {
            EXPECT_EQ(shownEntries(m),
                      QStringList({missing(gone), path("b.mp3"), missing(web), path("a.avi"),
                                   missing(alsoGone), missing(gone)}));
            const QAbstractItemModel* model = m.ListBox1->model();
            EXPECT_TRUE(model->index(0, 0).data(Qt::ForegroundRole).isValid()) << "not greyed";
            EXPECT_FALSE(model->index(1, 0).data(Qt::ForegroundRole).isValid());
            // The box came as the list filled.
            ASSERT_EQ(messages.shown.size(), 1);
            EXPECT_EQ(messages.shown[0].kind, MessageKind::Warning);
            EXPECT_EQ(messages.shown[0].text,
                      QStringLiteral("Warning: 4 clip(s) could not be found.\rThey are listed "
                                     "greyed and stay in the playlist unless you remove them."));
            select(m, 1); // b.mp3
            click(m.ButtonDelete);
            select(m, 3); // also gone.wav
            click(m.ButtonDelete);
            dialogs.openAnswers.append({path(QStringLiteral("c.wav"))});
            click(m.ButtonAdd);
            select(m, 2); // a.avi, up past the web address
            click(m.ButtonUp);
            click(m.ButtonOK);
            if (c.answer == MessageResult::Cancel) {
                EXPECT_TRUE(m.isVisible());
                EXPECT_EQ(m.entries().count(), 5);
                click(m.BitBtn1);
            }
        });
        EXPECT_EQ(result, c.result);
        ASSERT_GE(messages.shown.size(), 2);
        EXPECT_EQ(messages.shown[1].kind, MessageKind::Confirmation);
        EXPECT_EQ(messages.shown[1].buttons, MessageButtons::YesNoCancel);
        EXPECT_EQ(messages.shown[1].text,
                  QStringLiteral("Keep the 3 entries whose files could not be found?"));
        if (c.written.isEmpty()) {
            EXPECT_EQ(readFileBytes(list), file);
            EXPECT_EQ(messages.shown.size(), 2);
        } else {
            EXPECT_EQ(hrefsIn(list), c.written);
            EXPECT_EQ(state.AllBox.items(), c.written);
        }
    }

    // Every missing entry deleted: nothing is asked.
    writeFileBytes(list, asxBytes({gone, path("a.avi")}));
    messages.shown.clear();
    confirmDelete(false);
    edit(list, [&](TMangle& m) {
        select(m, 0);
        click(m.ButtonDelete);
        click(m.ButtonOK);
    });
    ASSERT_EQ(messages.shown.size(), 2);
    EXPECT_EQ(messages.shown[1].kind, MessageKind::Information);
    EXPECT_EQ(hrefsIn(list), paths({"a.avi"}));
}

// A playlist whose clips are all there asks nothing at OK.
TEST_F(PlaylistEditor, NothingIsAskedWhenNoFileIsMissing)
{
    const QString list = playlist(QStringLiteral("l.asx"), {"a.avi"});
    edit(list, [&](TMangle& m) { click(m.ButtonOK); });
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(messages.shown[0].kind, MessageKind::Information);
}

TEST_F(PlaylistEditor, CommandsWithoutASelectionAskForOne)
{
    const QString list = playlist(QStringLiteral("l.asx"), {"a.avi", "b.mp3"});
    const QByteArray before = readFileBytes(list);
    edit(list, [&](TMangle& m) {
        // The list frames (and selects) its first row as it takes the focus: take it away.
        m.ListBox1->selectionModel()->clear();
        click(m.ButtonDelete);
        click(m.ButtonUp);
        click(m.ButtonDown);
        EXPECT_EQ(shownEntries(m), paths({"a.avi", "b.mp3"}));
        // Esc is Cancel.
        QTest::keyClick(m.ListBox1, Qt::Key_Escape);
        EXPECT_FALSE(m.isVisible());
    });
    ASSERT_EQ(messages.shown.size(), 3);
    for (const auto& box : messages.shown) {
        EXPECT_EQ(box.kind, MessageKind::Plain);
        EXPECT_EQ(box.text, kSelectFirst);
    }
    EXPECT_EQ(modal.shown.size(), 1); // no confirmation was asked
    EXPECT_EQ(readFileBytes(list), before);
}

// Holding a Move button keeps moving the clip; held without a selection it says so once.
TEST_F(PlaylistEditor, AHeldMoveButtonRepeats)
{
    const QString list = playlist(QStringLiteral("l.asx"), {"a.avi", "b.mp3", "c.wav", "D.jpg"});
    edit(list, [&](TMangle& m) {
        EXPECT_TRUE(m.ButtonDown->autoRepeat());
        EXPECT_TRUE(m.ButtonUp->autoRepeat());
        m.ListBox1->selectionModel()->clear();
        QTest::mousePress(m.ButtonDown, Qt::LeftButton);
        QTest::qWait(m.ButtonDown->autoRepeatDelay() + 3 * m.ButtonDown->autoRepeatInterval() +
                     200);
        QTest::mouseRelease(m.ButtonDown, Qt::LeftButton);
        EXPECT_EQ(messages.texts(),
                  QStringList(QStringLiteral("You must first select (click on) a clip")));
        EXPECT_FALSE(m.ButtonDown->isDown());

        select(m, 0);
        QTest::mousePress(m.ButtonDown, Qt::LeftButton);
        QTest::qWait(m.ButtonDown->autoRepeatDelay() + 3 * m.ButtonDown->autoRepeatInterval() +
                     200);
        QTest::mouseRelease(m.ButtonDown, Qt::LeftButton);
        EXPECT_EQ(shownEntries(m), paths({"b.mp3", "c.wav", "D.jpg", "a.avi"}));
        EXPECT_EQ(selectedEntries(m), paths({"a.avi"}));
        click(m.BitBtn1);
    });
}

TEST_F(PlaylistEditor, MovesStopAtBothEndsAlsoAfterAddingAndRemoving)
{
    const QString list = playlist(QStringLiteral("l.asx"), {"a.avi", "b.mp3", "c.wav"});
    confirmDelete(false);
    edit(list, [&](TMangle& m) {
        // Repeated Move Down carries the same clip to the end, where it stops.
        select(m, 0);
        for (int i = 0; i < 4; ++i)
            click(m.ButtonDown);
        EXPECT_EQ(shownEntries(m), paths({"b.mp3", "c.wav", "a.avi"}));
        EXPECT_EQ(currentRow(m), 2);
        click(m.ButtonUp);
        click(m.ButtonUp);
        click(m.ButtonUp);
        EXPECT_EQ(shownEntries(m), paths({"a.avi", "b.mp3", "c.wav"}));

        // Two clips added at the end: the new last one does not move down.
        dialogs.openAnswers.append(paths({"e.ogg", "D.jpg"}));
        click(m.ButtonAdd);
        EXPECT_EQ(shownEntries(m), paths({"a.avi", "b.mp3", "c.wav", "e.ogg", "D.jpg"}));
        select(m, 4);
        click(m.ButtonDown);
        EXPECT_EQ(m.entries().items(), paths({"a.avi", "b.mp3", "c.wav", "e.ogg", "D.jpg"}));

        // The first removed: the new first one does not move up; the new last one still
        // stops.
        select(m, 0);
        click(m.ButtonDelete);
        EXPECT_EQ(shownEntries(m), paths({"b.mp3", "c.wav", "e.ogg", "D.jpg"}));
        select(m, 0);
        click(m.ButtonUp);
        select(m, 3);
        click(m.ButtonDown);
        EXPECT_EQ(shownEntries(m), paths({"b.mp3", "c.wav", "e.ogg", "D.jpg"}));
        EXPECT_EQ(m.entries().items(), shownEntries(m));
        click(m.ButtonOK);
    });
    EXPECT_EQ(hrefsIn(list), paths({"b.mp3", "c.wav", "e.ogg", "D.jpg"}));
    EXPECT_TRUE(QFile::exists(path(QStringLiteral("a.avi"))));
}

TEST_F(PlaylistEditor, SortThenAddPlacesNewClipsThenMoveLeavesTheOrder)
{
    const QString list = playlist(QStringLiteral("l.asx"), {"e.ogg", "b.mp3", "c.wav"});
    edit(list, [&](TMangle& m) {
        click(m.ButtonSort);
        EXPECT_EQ(shownEntries(m), paths({"b.mp3", "c.wav", "e.ogg"}));
        // A clip selected before Add stays selected where the additions moved it.
        select(m, 1);
        dialogs.openAnswers.append(paths({"D.jpg", "a.avi"}));
        click(m.ButtonAdd);
        EXPECT_EQ(shownEntries(m), paths({"a.avi", "b.mp3", "c.wav", "D.jpg", "e.ogg"}));
        EXPECT_EQ(selectedEntries(m), paths({"c.wav"}));

        // A move leaves the sorted order, and later additions go to the end.
        select(m, 0);
        click(m.ButtonDown);
        EXPECT_EQ(shownEntries(m), paths({"b.mp3", "a.avi", "c.wav", "D.jpg", "e.ogg"}));
        dialogs.openAnswers.append({clip(QStringLiteral("0first.mp3"))});
        click(m.ButtonAdd);
        EXPECT_EQ(shownEntries(m).last(), path(QStringLiteral("0first.mp3")));
        click(m.ButtonOK);
    });
    EXPECT_EQ(hrefsIn(list), paths({"b.mp3", "a.avi", "c.wav", "D.jpg", "e.ogg", "0first.mp3"}));
    // The clip dialog is the main window's, with its preview and its start-up folder.
    ASSERT_EQ(dialogs.asked.size(), 3);
    const FileDialogSpec& clipDialog = dialogs.asked[1];
    const FileDialogSpec mainClipDialog = openDialog1Spec(clipFolder);
    EXPECT_EQ(clipDialog.title, mainClipDialog.title);
    EXPECT_EQ(clipDialog.filters, mainClipDialog.filters);
    EXPECT_EQ(clipDialog.initialFolder, clipFolder);
    EXPECT_TRUE(clipDialog.multiSelect);
    EXPECT_TRUE(clipDialog.picturePreview);
}

// Names that differ in letter case are different files here: both are listed, and sorting
// still ignores the case.
TEST_F(PlaylistEditor, AddSkipsExactlyTheListedPaths)
{
    const QString list = playlist(QStringLiteral("l.asx"), {"a.avi", "D.jpg"});
    edit(list, [&](TMangle& m) {
        dialogs.openAnswers.append({path(QStringLiteral("A.avi")), path(QStringLiteral("D.jpg")),
                                    path(QStringLiteral("c.wav")), path(QStringLiteral("c.wav"))});
        click(m.ButtonAdd);
        EXPECT_EQ(shownEntries(m), paths({"a.avi", "D.jpg", "A.avi", "c.wav"}));
        // Cancelling the clip dialog changes nothing.
        click(m.ButtonAdd);
        EXPECT_EQ(shownEntries(m), paths({"a.avi", "D.jpg", "A.avi", "c.wav"}));
        click(m.ButtonSort);
        EXPECT_EQ(shownEntries(m), paths({"a.avi", "A.avi", "c.wav", "D.jpg"}));
        m.addClips(paths({"b.mp3", "a.avi", "C.wav"}));
        EXPECT_EQ(shownEntries(m), paths({"a.avi", "A.avi", "b.mp3", "c.wav", "C.wav", "D.jpg"}));
        click(m.ButtonOK);
    });
    EXPECT_EQ(hrefsIn(list), paths({"a.avi", "A.avi", "b.mp3", "c.wav", "C.wav", "D.jpg"}));
}

// Files dragged from a file manager onto the list are added as Add adds them: an unsorted list
// takes them where they were dropped, a sorted one at their places, listed paths are skipped.
TEST_F(PlaylistEditor, FilesDroppedOnTheListAreAddedWhereTheyFall)
{
    const QString list = playlist(QStringLiteral("l.asx"), {"a.avi", "c.wav", "e.ogg"});
    ASSERT_TRUE(QDir().mkpath(path(QStringLiteral("new"))));
    writeFileBytes(path(QStringLiteral("new/a.mp3")), "RIFF");
    writeFileBytes(path(QStringLiteral("new/e.mp3")), "RIFF");
    const auto drop = [](TMangle& m, const QStringList& files, int row) {
        QByteArray uris;
        for (const QString& file : files)
            uris += QUrl::fromLocalFile(file).toEncoded() + "\r\n";
        QMimeData data;
        data.setData(QStringLiteral("text/uri-list"), uris);
        m.show();
        QWidget* viewport = m.ListBox1->viewport();
        const QPoint at = m.ListBox1->visualRect(m.ListBox1->model()->index(row, 0)).center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(viewport, &enter);
        QDragMoveEvent move(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(viewport, &move);
        QDropEvent dropped(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(viewport, &dropped);
        return dropped.isAccepted();
    };
    edit(list, [&](TMangle& m) {
        const int rows = m.ListBox1->model()->rowCount();
        ASSERT_TRUE(drop(m, paths({"new/e.mp3", "c.wav"}), 1));
        ASSERT_TRUE(test::waitUntil([&] { return m.ListBox1->model()->rowCount() > rows; }, 5000));
        EXPECT_EQ(shownEntries(m), paths({"a.avi", "new/e.mp3", "c.wav", "e.ogg"}));
        click(m.ButtonSort);
        // A dropped folder brings its clips; sorted, they go to their places.
        ASSERT_TRUE(drop(m, {path(QStringLiteral("new"))}, 0));
        ASSERT_TRUE(test::waitUntil([&] { return m.ListBox1->model()->rowCount() == 5; }, 5000));
        EXPECT_EQ(shownEntries(m), paths({"a.avi", "c.wav", "e.ogg", "new/a.mp3", "new/e.mp3"}));
        click(m.ButtonOK);
    });
    EXPECT_EQ(hrefsIn(list), paths({"a.avi", "c.wav", "e.ogg", "new/a.mp3", "new/e.mp3"}));
}

TEST_F(PlaylistEditor, DeleteKeepsTheFileUnlessTheTrashIsAskedFor)
{
    const QString list = playlist(QStringLiteral("l.asx"), {"a.avi", "b.mp3", "c.wav"});
    const QString a = path(QStringLiteral("a.avi"));
    const QString b = path(QStringLiteral("b.mp3"));
    // No, then Yes without the check box, then Yes with it.
    modal.scripts.append([](QDialog& d) {
        QTest::mouseClick(static_cast<TConfirmKill&>(d).CancelButton, Qt::LeftButton);
    });
    confirmDelete(false);
    confirmDelete(true);
    edit(list, [&](TMangle& m) {
        select(m, 0);
        click(m.ButtonDelete);
        EXPECT_EQ(shownEntries(m), paths({"a.avi", "b.mp3", "c.wav"}));
        click(m.ButtonDelete);
        EXPECT_EQ(shownEntries(m), paths({"b.mp3", "c.wav"}));
        EXPECT_TRUE(engine.requests.isEmpty());
        select(m, 0);
        click(m.ButtonDelete);
        EXPECT_EQ(shownEntries(m), paths({"c.wav"}));
        click(m.ButtonOK);
    });
    EXPECT_EQ(modal.shown.mid(1),
              QStringList(3, QStringLiteral("Confirm clip deletion from playlist")));
    EXPECT_TRUE(QFile::exists(a));
    EXPECT_FALSE(QFile::exists(b));
    EXPECT_EQ(readFileBytes(trashFolder() + QStringLiteral("/b.mp3")), "clip b.mp3");
    ASSERT_EQ(engine.requests.size(), 1);
    EXPECT_EQ(engine.requests[0].operation, FileOperationCode::Delete);
    EXPECT_EQ(engine.requests[0].flags, kTrashFlags);
    EXPECT_EQ(engine.requests[0].sources, QStringList{b});
    EXPECT_EQ(hrefsIn(list), paths({"c.wav"}));
}

TEST_F(PlaylistEditor, AClipTheTrashRefusedStaysListed)
{
    const QString list = playlist(QStringLiteral("l.asx"), {"a.avi", "b.mp3"});
    engine.onRun = nullptr;
    engine.result.anyOperationsAborted = true;
    confirmDelete(true);
    edit(list, [&](TMangle& m) {
        select(m, 1);
        click(m.ButtonDelete);
        EXPECT_EQ(shownEntries(m), paths({"a.avi", "b.mp3"}));
        click(m.ButtonOK);
    });
    EXPECT_EQ(engine.requests.size(), 1);
    EXPECT_EQ(hrefsIn(list), paths({"a.avi", "b.mp3"}));
}

TEST_F(PlaylistEditor, CancelWritesNothingAndLeavesTheTrashAsItIs)
{
    const QString list = playlist(QStringLiteral("l.asx"), {"a.avi", "b.mp3"});
    const QByteArray before = readFileBytes(list);
    confirmDelete(true);
    const int result = edit(list, [&](TMangle& m) {
        select(m, 0);
        click(m.ButtonDelete);
        dialogs.openAnswers.append({path(QStringLiteral("c.wav"))});
        click(m.ButtonAdd);
        click(m.BitBtn1);
    });
    EXPECT_EQ(result, QDialog::Rejected);
    EXPECT_EQ(readFileBytes(list), before);
    EXPECT_TRUE(QFile::exists(trashFolder() + QStringLiteral("/a.avi")));
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("a.avi"))));
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_F(PlaylistEditor, OkOnAnEmptiedListWritesAPlaylistWithoutEntries)
{
    const QString list = playlist(QStringLiteral("l.asx"), {"a.avi", "b.mp3"});
    confirmDelete(false);
    confirmDelete(false);
    edit(list, [&](TMangle& m) {
        select(m, 1);
        click(m.ButtonDelete);
        select(m, 0);
        click(m.ButtonDelete);
        EXPECT_EQ(m.ListBox1->model()->rowCount(), 0);
        // Enter in the list is OK.
        m.ListBox1->setFocus();
        QTest::keyClick(m.ListBox1, Qt::Key_Return);
    });
    const QList<QByteArray> lines = readFileBytes(list).split('\n');
    EXPECT_EQ(lines.size(), 7); // six lines, each ending CR LF
    EXPECT_EQ(lines.at(2), "<Title>" + list.toUtf8() + "</Title>\r");
    EXPECT_EQ(lines.at(5), "</ASX>\r");
    EXPECT_TRUE(hrefsIn(list).isEmpty());
    EXPECT_TRUE(state.AllBox.isEmpty());
}

TEST_F(PlaylistEditor, AnM3uIsSavedAsAnAsxBesideIt)
{
    const QByteArray m3u = "#EXTM3U\r\n" + path(QStringLiteral("c.wav")).toUtf8() + "\r\n" +
                           path(QStringLiteral("a.avi")).toUtf8() + "\r\n";
    const QString list = path(QStringLiteral("mix.m3u"));
    writeFileBytes(list, m3u);
    edit(list, [&](TMangle& m) {
        EXPECT_EQ(shownEntries(m), paths({"c.wav", "a.avi"}));
        click(m.ButtonSort);
        click(m.ButtonOK);
    });
    const QString asx = path(QStringLiteral("mix.asx"));
    EXPECT_EQ(readFileBytes(list), m3u);
    EXPECT_EQ(hrefsIn(asx), paths({"a.avi", "c.wav"}));
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(messages.shown[0].text,
              QStringLiteral("Playlist ") + asx + QStringLiteral(" created/updated"));
}

// OK on NAME.m3u writes NAME.asx: another playlist of that name is replaced only on OK.
TEST_F(PlaylistEditor, SavingBesideAnM3uAsksBeforeReplacingAnotherPlaylist)
{
    const QString m3u = path(QStringLiteral("mix.m3u"));
    writeFileBytes(m3u, path(QStringLiteral("a.avi")).toUtf8() + "\r\n");
    const QString asx = playlist(QStringLiteral("mix.asx"), {"e.ogg", "c.wav"});
    const QByteArray other = readFileBytes(asx);
    messages.answers = {MessageResult::Cancel, MessageResult::Ok};
    const int result = edit(m3u, [&](TMangle& m) {
        dialogs.openAnswers.append({path(QStringLiteral("b.mp3"))});
        click(m.ButtonAdd);
        click(m.ButtonOK);
        // Cancel: nothing written, the editor stays with its edits.
        EXPECT_TRUE(m.isVisible());
        EXPECT_EQ(readFileBytes(asx), other);
        EXPECT_EQ(shownEntries(m), paths({"a.avi", "b.mp3"}));
        click(m.ButtonOK);
    });
    EXPECT_EQ(result, QDialog::Accepted);
    ASSERT_EQ(messages.shown.size(), 3);
    for (int i : {0, 1}) {
        EXPECT_EQ(messages.shown[i].kind, MessageKind::Confirmation);
        EXPECT_EQ(messages.shown[i].buttons, MessageButtons::OkCancel);
        EXPECT_EQ(messages.shown[i].text,
                  QStringLiteral("Playlist with that name already exists!\rOK to overwrite?"));
    }
    EXPECT_EQ(messages.shown[2].kind, MessageKind::Information);
    EXPECT_EQ(hrefsIn(asx), paths({"a.avi", "b.mp3"}));

    // The opened playlist itself, also through a link to it, is updated without a question.
    const QString link = path(QStringLiteral("link.m3u"));
    ASSERT_TRUE(QFile::link(asx, path(QStringLiteral("link.asx"))));
    writeFileBytes(link, "");
    messages.shown.clear();
    edit(asx, [&](TMangle& m) { click(m.ButtonOK); });
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(messages.shown[0].kind, MessageKind::Information);
}

// The framed row is the selected one: a person who sees a row framed can delete or move it.
TEST_F(PlaylistEditor, TheFramedRowIsTheSelectedOne)
{
    const QString list = playlist(QStringLiteral("l.asx"), {"a.avi", "b.mp3", "c.wav"});
    confirmDelete(false);
    edit(list, [&](TMangle& m) {
        m.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&m, 2000));
        m.ButtonAdd->setFocus();
        m.ListBox1->setFocus(Qt::TabFocusReason);
        // Focus frames the first row: it is selected with it.
        ASSERT_EQ(currentRow(m), 0);
        EXPECT_EQ(selectedEntries(m), paths({"a.avi"}));
        // The keyboard moves the frame without selecting (Ctrl+Down): the selection follows.
        QTest::keyClick(m.ListBox1, Qt::Key_Down, Qt::ControlModifier);
        EXPECT_EQ(currentRow(m), 1);
        EXPECT_EQ(selectedEntries(m), paths({"b.mp3"}));
        click(m.ButtonDelete);
        EXPECT_EQ(shownEntries(m), paths({"a.avi", "c.wav"}));
        // After a delete nothing is framed or selected.
        EXPECT_EQ(currentRow(m), -1);
        EXPECT_TRUE(selectedEntries(m).isEmpty());
        // Ctrl+click takes the selection away, and the frame with it.
        select(m, 1);
        EXPECT_EQ(selectedEntries(m), paths({"c.wav"}));
        select(m, 1, Qt::ControlModifier);
        EXPECT_TRUE(selectedEntries(m).isEmpty());
        EXPECT_EQ(currentRow(m), -1);
        click(m.ButtonOK);
    });
    EXPECT_EQ(hrefsIn(list), paths({"a.avi", "c.wav"}));
    EXPECT_EQ(messages.shown.size(), 1) << "no \"You must first select\"";
}

TEST_F(PlaylistEditor, SortKeepsTheSelectedClipSelected)
{
    // Two entries of the same clip: the selected one of the two stays selected.
    const QString list = playlist(QStringLiteral("l.asx"), {"e.ogg", "c.wav", "a.avi", "c.wav"});
    edit(list, [&](TMangle& m) {
        select(m, 3);
        click(m.ButtonSort);
        EXPECT_EQ(shownEntries(m), paths({"a.avi", "c.wav", "c.wav", "e.ogg"}));
        EXPECT_EQ(currentRow(m), 2);
        EXPECT_EQ(selectedEntries(m), paths({"c.wav"}));
        click(m.ButtonUp);
        EXPECT_EQ(currentRow(m), 1);
        select(m, 3);
        click(m.ButtonSort);
        EXPECT_EQ(selectedEntries(m), paths({"e.ogg"}));
        EXPECT_EQ(currentRow(m), 3);
        click(m.BitBtn1);
    });
}

// A one-row change is told to the view as that change (a move by one place as two rows'
// texts changing): the view keeps its layout and its selection instead of taking a hundred
// thousand rows again.
TEST_F(PlaylistEditor, OneRowChangesDoNotRebuildTheList)
{
    const QString list = playlist(QStringLiteral("l.asx"), {"a.avi", "b.mp3", "c.wav"});
    confirmDelete(false);
    edit(list, [&](TMangle& m) {
        QAbstractItemModelTester tester(m.ListBox1->model(),
                                        QAbstractItemModelTester::FailureReportingMode::Warning);
        QSignalSpy resets(m.ListBox1->model(), &QAbstractItemModel::modelReset);
        QSignalSpy moves(m.ListBox1->model(), &QAbstractItemModel::dataChanged);
        QSignalSpy removals(m.ListBox1->model(), &QAbstractItemModel::rowsRemoved);
        QSignalSpy insertions(m.ListBox1->model(), &QAbstractItemModel::rowsInserted);
        select(m, 0);
        click(m.ButtonDown);
        click(m.ButtonDown);
        click(m.ButtonUp);
        EXPECT_EQ(moves.size(), 6); // two rows a move
        click(m.ButtonDelete);
        EXPECT_EQ(removals.size(), 1);
        click(m.ButtonSort);
        dialogs.openAnswers.append(paths({"e.ogg", "D.jpg"}));
        click(m.ButtonAdd);
        EXPECT_EQ(insertions.size(), 2);
        EXPECT_EQ(shownEntries(m), paths({"b.mp3", "c.wav", "D.jpg", "e.ogg"}));
        EXPECT_EQ(resets.size(), 0);
        click(m.BitBtn1);
    });
}

TEST(PlaylistEditorSavePath, ReplacesTheExtensionWithAsx)
{
    const struct
    {
        const char* opened;
        const char* saved;
    } cases[] = {
        {"/l/mix.m3u", "/l/mix.asx"},
        {"/l/mix.M3U", "/l/mix.asx"},
        {"/l/mix.asx", "/l/mix.asx"},
        {"/l/Mix.ASX", "/l/Mix.ASX"},
        {"/l/mix", "/l/mix.asx"},
        {"/l.d/mix", "/l.d/mix.asx"},
        {"/l/mix.old.m3u", "/l/mix.old.asx"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TMangle::savePathFor(QString::fromUtf8(c.opened)), QString::fromUtf8(c.saved))
            << c.opened;
}

TEST_F(PlaylistEditor, AnUnreadablePlaylistIsReportedAndNeverEdited)
{
    // A typed name of a file that does not exist, then a folder.
    QDir().mkpath(path(QStringLiteral("folder.asx")));
    const struct
    {
        QString chosen;
        QString error;
    } cases[] = {{path(QStringLiteral("none.asx")), QStringLiteral("File not found")},
                 {path(QStringLiteral("folder.asx")), QStringLiteral("Invalid filename")}};
    for (const auto& c : cases) {
        messages.shown.clear();
        dialogs.openAnswers.append(QStringList{c.chosen});
        EXPECT_EQ(TMangle::PlaylistEdit(state, services, clipFolder, nullptr), QDialog::Rejected);
        EXPECT_TRUE(modal.shown.isEmpty()) << "the editor was shown";
        ASSERT_EQ(messages.shown.size(), 1);
        EXPECT_EQ(messages.shown[0].kind, MessageKind::Error);
        EXPECT_EQ(messages.shown[0].text, c.error);
    }
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("none.asx"))));
    EXPECT_TRUE(QFileInfo(path(QStringLiteral("folder.asx"))).isDir());
}

TEST_F(PlaylistEditor, AnUnwritablePlaylistKeepsTheEditorOpenWithItsEdits)
{
    // OK on mix.m3u writes mix.asx, which here is a folder.
    const QByteArray m3u = path(QStringLiteral("a.avi")).toUtf8() + "\r\n";
    const QString list = path(QStringLiteral("mix.m3u"));
    writeFileBytes(list, m3u);
    QDir().mkpath(path(QStringLiteral("mix.asx")));
    edit(list, [&](TMangle& m) {
        dialogs.openAnswers.append({path(QStringLiteral("b.mp3"))});
        click(m.ButtonAdd);
        click(m.ButtonOK);
        EXPECT_TRUE(m.isVisible());
        EXPECT_EQ(shownEntries(m), paths({"a.avi", "b.mp3"}));
        ASSERT_EQ(messages.shown.size(), 1);
        EXPECT_EQ(messages.shown[0].kind, MessageKind::Error);
        // The user makes room and tries again.
        QDir(path(QStringLiteral("mix.asx"))).removeRecursively();
        click(m.ButtonOK);
        EXPECT_FALSE(m.isVisible());
    });
    EXPECT_EQ(readFileBytes(list), m3u);
    EXPECT_EQ(hrefsIn(path(QStringLiteral("mix.asx"))), paths({"a.avi", "b.mp3"}));
    ASSERT_EQ(messages.shown.size(), 2);
    EXPECT_EQ(messages.shown[1].kind, MessageKind::Information);
}

TEST_F(PlaylistEditor, AFullDiskLeavesTheOldPlaylistIntact)
{
    test::SmallTmpfs disk(64);
    if (!disk.isMounted())
        GTEST_SKIP() << "filling a disk needs root (a tmpfs mount)";
    const QString list = disk.path() + QStringLiteral("/full.asx");
    QStringList many;
    for (int i = 0; i < 40; ++i)
        many.append(clip(QStringLiteral("clip%1-with-a-long-name-to-take-room.mp3").arg(i)));
    writeFileBytes(list, asxBytes(many.mid(0, 2)));
    const QByteArray before = readFileBytes(list);
    disk.fill();
    int result = edit(list, [&](TMangle& m) {
        dialogs.openAnswers.append(many);
        click(m.ButtonAdd);
        click(m.ButtonOK);
        EXPECT_TRUE(m.isVisible());
        EXPECT_EQ(m.entries().count(), 40);
        click(m.BitBtn1);
    });
    EXPECT_EQ(result, QDialog::Rejected);
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(messages.shown[0].text, QStringLiteral("Disk full"));
    EXPECT_EQ(readFileBytes(list), before);
    EXPECT_EQ(QDir(disk.path()).entryList(QDir::Files | QDir::Hidden).size(), 2)
        << "a temporary file was left";
}

TEST_F(PlaylistEditor, AReadOnlyDiskLeavesTheOldPlaylistIntact)
{
    test::SmallTmpfs disk(256);
    if (!disk.isMounted())
        GTEST_SKIP() << "a read-only file system needs root (a tmpfs mount)";
    const QString list = disk.path() + QStringLiteral("/old.asx");
    writeFileBytes(list, asxBytes(paths({"a.avi", "b.mp3"})));
    const QByteArray before = readFileBytes(list);
    ASSERT_EQ(::mount("tmpfs", disk.path().toLocal8Bit().constData(), "tmpfs",
                      MS_REMOUNT | MS_RDONLY, nullptr),
              0);
    confirmDelete(false);
    const int result = edit(list, [&](TMangle& m) {
        select(m, 0);
        click(m.ButtonDelete);
        click(m.ButtonOK);
        EXPECT_TRUE(m.isVisible());
        EXPECT_EQ(shownEntries(m), paths({"b.mp3"}));
        click(m.BitBtn1);
    });
    EXPECT_EQ(result, QDialog::Rejected);
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(messages.shown[0].kind, MessageKind::Error);
    EXPECT_EQ(messages.shown[0].text, QStringLiteral("File access denied"));
    EXPECT_EQ(readFileBytes(list), before);
}

TEST_F(PlaylistEditor, TheProgramsEngineSendsTheClipToThePrivateTrash)
{
    test::FakeFileOperationQuestions questions;
    test::FakeFileOperationProgress progress;
    ShellFileOperation realEngine(questions, progress);
    services.fileOperations = &realEngine;
    const QString list = playlist(QStringLiteral("l.asx"), {"a.avi", "b.mp3"});
    const QString trash = qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/Trash");
    const QString b = path(QStringLiteral("b.mp3"));
    confirmDelete(true);
    edit(list, [&](TMangle& m) {
        select(m, 1);
        click(m.ButtonDelete);
        click(m.ButtonOK);
    });
    EXPECT_FALSE(QFile::exists(b));
    EXPECT_EQ(questions.questionCount(), 0) << "the editor's own question is the only one";
    // Where the desktop's Trash looks: the file under files/, its origin under info/.
    QDir info(trash + QStringLiteral("/info"));
    const QStringList notes = info.entryList({QStringLiteral("b*.trashinfo")}, QDir::Files);
    ASSERT_EQ(notes.size(), 1);
    const QString trashed = QFileInfo(notes.first()).completeBaseName();
    EXPECT_EQ(readFileBytes(trash + QStringLiteral("/files/") + trashed), "clip b.mp3");
    EXPECT_TRUE(readFileBytes(info.filePath(notes.first()))
                    .contains(QByteArray("Path=" + QUrl::toPercentEncoding(b, "/"))));
    EXPECT_EQ(hrefsIn(list), paths({"a.avi"}));
}

} // namespace

namespace {

// A playlist long enough that reading it takes a while on any machine.
QString longPlaylist(const QString& folder, const QString& clip, int entries)
{
    QByteArray m3u = (folder + QStringLiteral("/unplugged.avi")).toUtf8() + "\n";
    for (int i = 0; i < entries; ++i)
        m3u += clip.toUtf8() + "\n";
    const QString list = folder + QStringLiteral("/long.m3u");
    writeFileBytes(list, m3u);
    return list;
}

// The editor shows at once while a long playlist is read, with the read's progress and only
// Cancel working; the list fills, and the warning comes, as the read ends.
TEST_F(PlaylistEditor, ALongPlaylistIsReadWhileTheEditorShows)
{
    const QString list = longPlaylist(dir.path(), path(QStringLiteral("a.avi")), 200000);
    bool readingAtFirst = false;
    qsizetype listedAtBox = -1;
    TMangle* editor = nullptr;
    messages.onShow = [&](const test::FakeMessageBoxes::Shown& box) {
        if (box.kind == MessageKind::Warning)
            listedAtBox = editor->ListBox1->model()->rowCount();
    };
    dialogs.openAnswers.append(QStringList{list});
    modal.scripts.append([&](QDialog& d) {
        auto& m = static_cast<TMangle&>(d);
        editor = &m;
        readingAtFirst = m.reading();
        if (readingAtFirst) {
            EXPECT_TRUE(m.ReadProgress->isVisible());
            EXPECT_FALSE(m.ButtonOK->isEnabled());
            EXPECT_FALSE(m.ButtonAdd->isEnabled());
            EXPECT_TRUE(m.BitBtn1->isEnabled());
            EXPECT_EQ(m.ListBox1->model()->rowCount(), 0);
        }
        ASSERT_TRUE(test::waitUntil([&] { return !m.reading(); }, 30000));
        EXPECT_FALSE(m.ReadProgress->isVisible());
        EXPECT_TRUE(m.ButtonOK->isEnabled());
        click(m.BitBtn1);
    });
    TMangle::PlaylistEdit(state, services, clipFolder, nullptr);
    EXPECT_TRUE(readingAtFirst) << "the read ended before the editor showed";
    EXPECT_EQ(listedAtBox, 200001);
    EXPECT_EQ(state.AllBox.count(), 200000);
}

// Cancel while reading stops the read and closes the editor: nothing written, the shared clip
// list as it was.
TEST_F(PlaylistEditor, CancelWhileReadingClosesTheEditorAndKeepsThePlaylist)
{
    const QString list = longPlaylist(dir.path(), path(QStringLiteral("a.avi")), 200000);
    const QByteArray before = readFileBytes(list);
    state.AllBox.add(QStringLiteral("/kept.avi"));
    bool cancelledWhileReading = false;
    dialogs.openAnswers.append(QStringList{list});
    modal.scripts.append([&](QDialog& d) {
        auto& m = static_cast<TMangle&>(d);
        cancelledWhileReading = m.reading();
        QTest::keyClick(&m, Qt::Key_Escape);
        EXPECT_FALSE(m.isVisible());
    });
    EXPECT_EQ(TMangle::PlaylistEdit(state, services, clipFolder, nullptr), QDialog::Rejected);
    EXPECT_TRUE(cancelledWhileReading);
    EXPECT_TRUE(messages.shown.isEmpty());
    EXPECT_EQ(readFileBytes(list), before);
    EXPECT_EQ(state.AllBox.items(), QStringList{QStringLiteral("/kept.avi")});
}

// Rows share one size, taken from the widest paths: the longest path is not cut short and
// the list scrolls far enough to show its end.
TEST_F(PlaylistEditor, EveryPathFitsItsRow)
{
    const QString longName = QString(180, u'W') + QStringLiteral(".avi");
    const QString list = playlist(QStringLiteral("l.asx"), {"a.avi", "b.mp3"});
    edit(list, [&](TMangle& m) {
        // Not the last row, which a list view would otherwise measure for all.
        m.addClips({clip(longName), path(QStringLiteral("c.wav"))});
        QCoreApplication::processEvents();
        const int textWidth = m.ListBox1->fontMetrics().horizontalAdvance(path(longName));
        const QModelIndex index = m.ListBox1->model()->index(2, 0);
        ASSERT_EQ(index.data().toString(), path(longName));
        EXPECT_GE(m.ListBox1->visualRect(index).width(), textWidth);
        EXPECT_GE(m.ListBox1->horizontalScrollBar()->maximum() + m.ListBox1->viewport()->width(),
                  textWidth);
        click(m.BitBtn1);
    });
}

} // namespace
