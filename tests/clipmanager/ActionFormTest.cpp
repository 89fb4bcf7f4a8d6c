#include "clipmanager/TActionForm.h"

#include "clipmanager/ClipManagerWindowOpener.h"
#include "clipmanager/TKxFolderDialog.h"
#include "clipmanager/TShellFileOp.h"
#include "common/ClipManagerFixture.h"
#include "common/FakeFileOperationEngine.h"
#include "common/TestSupport.h"
#include "platform/ModalRunner.h"
#include "playlists/PlaylistFiles.h"
#include "playlists/ProgramState.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace vantoro::test {
namespace {

using Flag = TKxFolderDialog::TBrowseInfoFlag;

// The clip manager on a fake file-operation engine that records its requests.
class ActionFormTest : public ClipManagerFixture
{
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(ClipManagerFixture::SetUp());
        services.fileOperations = &engine;
        services.programFolder = state.ProgramFolder;
    }

    // A clip file in the source folder, marked in this order.
    QString mark(const QString& name)
    {
        return markClip(QStringLiteral("Videos/") + name, name.toUtf8());
    }

    // Moves every clip into the Action Box with ">>".
    void moveAll() { QTest::mouseClick(form->SelectButton, Qt::LeftButton); }

    void go(int action)
    {
        form->setItemIndex(action);
        QTest::mouseClick(form->GoButton, Qt::LeftButton);
    }

    void selectLeft(const QList<int>& rows)
    {
        form->LeftBox->clearSelection();
        for (int row : rows)
            form->LeftBox->item(row)->setSelected(true);
    }

    FakeFileOperationEngine engine;
};

TEST_F(ActionFormTest, OpensWithTheMarkedClipsAndItsSettings)
{
    const QString a = mark(QStringLiteral("a.avi"));
    mark(QStringLiteral("b.avi"));
    const QStringList markedNames = state.LeftBox;
    TActionForm& window = open();

    EXPECT_EQ(window.windowTitle(), QStringLiteral("Vantoro - Media File Manager"));
    EXPECT_FALSE(window.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(window.windowFlags() & Qt::WindowSystemMenuHint);
    EXPECT_EQ(window.minimumSize(), window.maximumSize()) << "not resizable";
    EXPECT_EQ(window.leftNames(), markedNames);
    EXPECT_EQ(window.PathLeft(), state.PathLeft);
    EXPECT_TRUE(window.rightNames().isEmpty());
    EXPECT_EQ(window.ItemIndex(), TActionForm::kDelete);
    EXPECT_EQ(window.KxFolderDialog1().Folder(), path("Videos"));
    EXPECT_EQ(window.RadioGroup1->title(), QStringLiteral(" Choose Action "));
    EXPECT_EQ(window.MemoAction->toPlainText().split(u'\n'), TActionForm::MemoActionLines());
    EXPECT_TRUE(window.MemoAction->isReadOnly());

    // The action text is no tab stop; Enter presses Go (the list keys are tested below).
    EXPECT_EQ(window.MemoAction->focusPolicy(), Qt::NoFocus);
    EXPECT_TRUE(window.GoButton->isDefault());
    EXPECT_EQ(window.GoButton->toolTip(), QStringLiteral("Execute Action on items in Action Box"));
    EXPECT_TRUE(window.GoButton->font().bold() && window.GoButton->font().italic());

    const TKxFolderDialog& folders = window.KxFolderDialog1();
    EXPECT_EQ(folders.Flags(),
              TKxFolderDialog::TBrowseInfoFlagSet(Flag::OnlyFileSystem | Flag::ShowPath));
    EXPECT_TRUE(
        folders.LabelCaptions().contains(QStringLiteral("Default=Browse to DESTINATION folder:")));
    EXPECT_TRUE(folders.LabelCaptions().contains(QStringLiteral("0407=Mappe gewählt:")));
    EXPECT_TRUE(folders.NewFolderCaptions().contains(QStringLiteral("0413=Nieuwe map")));
    const TShellFileOp& shell = window.ShellFileOp1();
    EXPECT_TRUE(shell.FilesOnly());
    EXPECT_FALSE(shell.NoConfirmation());
    EXPECT_FALSE(shell.AutoMakeDir());
    EXPECT_FALSE(shell.RenameOnCollision());
    EXPECT_TRUE(shell.Animate());
    EXPECT_EQ(shell.ProgressTitle(), QStringLiteral("Vantoro"));

    const FileDialogSpec open = TActionForm::OpenDialog1Spec(state.ProgramFolder);
    EXPECT_EQ(open.title, QStringLiteral("Playlist for Adding Clips"));
    EXPECT_EQ(open.filters, QStringList{QStringLiteral("Playlists (*.asx)")});
    EXPECT_EQ(open.defaultSuffix, QStringLiteral("asx"));
    EXPECT_FALSE(open.multiSelect);
    const FileDialogSpec save = TActionForm::SaveDialog1Spec(state.ProgramFolder);
    EXPECT_EQ(save.title, QStringLiteral("Name for New Playlist  (don't enter extension)"));
    EXPECT_EQ(save.filters, QStringList{QStringLiteral("Playlist (*.asx)")});
    EXPECT_EQ(save.defaultSuffix, QStringLiteral("asx"));
    EXPECT_EQ(save.initialFolder, state.ProgramFolder);
    EXPECT_EQ(a, window.PathLeft().first());
}

TEST_F(ActionFormTest, EveryTextFitsItsControl)
{
    mark(QStringLiteral("a.avi"));
    TActionForm& window = open();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_LE(window.frameGeometry().width(), 1024);
    EXPECT_LE(window.frameGeometry().height(), 700);

    for (QLabel* label : window.findChildren<QLabel*>()) {
        EXPECT_GE(label->width(), label->sizeHint().width()) << label->text().toStdString();
        EXPECT_GE(label->height(), label->sizeHint().height()) << label->text().toStdString();
    }
    for (QRadioButton* item : window.findChildren<QRadioButton*>()) {
        EXPECT_GE(item->width(), item->sizeHint().width()) << item->text().toStdString();
        EXPECT_GE(item->height(), item->sizeHint().height()) << item->text().toStdString();
    }
    for (QPushButton* button : window.findChildren<QPushButton*>()) {
        EXPECT_GE(button->width(), button->fontMetrics().horizontalAdvance(button->text()) + 8)
            << button->text().toStdString();
        EXPECT_GE(button->height(), button->fontMetrics().height() + 4)
            << button->text().toStdString();
    }
    const QWidget* viewport = window.MemoAction->viewport();
    const QFontMetrics memo(window.MemoAction->font());
    const int margin = qRound(window.MemoAction->document()->documentMargin());
    for (const QString& line : TActionForm::MemoActionLines())
        EXPECT_LE(memo.horizontalAdvance(line.trimmed()) + 2 * margin, viewport->width());
    EXPECT_LE(memo.lineSpacing() * 4 + 2 * margin, viewport->height());
    EXPECT_GE(window.RadioGroup1->width(), window.RadioGroup1->sizeHint().width());
    EXPECT_GE(window.RadioGroup1->height(), window.RadioGroup1->sizeHint().height());
}

TEST_F(ActionFormTest, ClipsMovedTogetherArriveReversedAndComeBackInOrder)
{
    const QString a = mark(QStringLiteral("a.avi")), b = mark(QStringLiteral("b.avi")),
                  c = mark(QStringLiteral("c.avi")), d = mark(QStringLiteral("d.avi"));
    TActionForm& window = open();

    // Nothing selected: ">" does nothing.
    window.LeftBox->clearSelection();
    QTest::mouseClick(window.FillButton, Qt::LeftButton);
    EXPECT_TRUE(window.rightNames().isEmpty());

    selectLeft({0, 2});
    QTest::mouseClick(window.FillButton, Qt::LeftButton);
    EXPECT_EQ(window.rightNames(), QStringList({"c.avi", "a.avi"}));
    EXPECT_EQ(window.PathRight(), QStringList({c, a}));
    EXPECT_EQ(window.leftNames(), QStringList({"b.avi", "d.avi"}));
    EXPECT_EQ(window.PathLeft(), QStringList({b, d}));

    moveAll();
    EXPECT_EQ(window.rightNames(), QStringList({"c.avi", "a.avi", "d.avi", "b.avi"}));
    EXPECT_EQ(window.PathRight(), QStringList({c, a, d, b}));
    EXPECT_TRUE(window.PathLeft().isEmpty());

    QTest::mouseClick(window.UnSelButton, Qt::LeftButton);
    EXPECT_EQ(window.leftNames(), QStringList({"b.avi", "d.avi", "a.avi", "c.avi"}));
    EXPECT_EQ(window.PathLeft(), QStringList({b, d, a, c}));
    EXPECT_TRUE(window.PathRight().isEmpty());

    // The textbook case: a, b, c all moved give c, b, a; "<<" gives a, b, c back.
    QTest::mouseClick(window.UnSelButton, Qt::LeftButton);
    window.FormCreate();
    selectLeft({0, 1, 2});
    QTest::mouseClick(window.FillButton, Qt::LeftButton);
    EXPECT_EQ(window.rightNames(), QStringList({"c.avi", "b.avi", "a.avi"}));
    QTest::mouseClick(window.UnSelButton, Qt::LeftButton);
    EXPECT_EQ(window.leftNames(), QStringList({"d.avi", "a.avi", "b.avi", "c.avi"}));
    EXPECT_EQ(window.PathLeft(), QStringList({d, a, b, c}));
    EXPECT_EQ(state.PathLeft, QStringList({a, b, c, d})) << "the marks themselves never change";
}

TEST_F(ActionFormTest, GoWithAnEmptyActionBoxOnlySaysSo)
{
    mark(QStringLiteral("a.avi"));
    open();
    for (int action = TActionForm::kDelete; action <= TActionForm::kAddToNewPlaylist; ++action)
        go(action);
    ASSERT_EQ(messages.shown.size(), 5);
    for (const FakeMessageBoxes::Shown& shown : messages.shown) {
        EXPECT_EQ(shown.kind, MessageKind::Plain);
        EXPECT_EQ(shown.text,
                  QStringLiteral("ERROR: no files have been put in right-hand \"Action Box\""));
    }
    EXPECT_TRUE(engine.requests.isEmpty());
    EXPECT_TRUE(browser.specs.isEmpty());
    EXPECT_TRUE(dialogs.asked.isEmpty());
    EXPECT_TRUE(form->isVisible());

    // Enter in a list presses Go, the window's default button.
    messages.shown.clear();
    form->LeftBox->setFocus();
    QTest::keyClick(form->LeftBox, Qt::Key_Return);
    EXPECT_EQ(messages.shown.size(), 1);
}

TEST_F(ActionFormTest, CopyAsksOnceWithTheCountInWordsAndStopsOnCancel)
{
    const QString a = mark(QStringLiteral("a.avi"));
    mark(QStringLiteral("b.avi"));
    const QString keep = path("Keep");
    QDir().mkpath(keep);
    TActionForm& window = open();

    // Folder dialog cancelled: nothing asked, nothing changed.
    selectLeft({0});
    QTest::mouseClick(window.FillButton, Qt::LeftButton);
    go(TActionForm::kCopy);
    ASSERT_EQ(browser.specs.size(), 1);
    EXPECT_EQ(browser.specs.first().title, QStringLiteral("Browse to DESTINATION folder:"));
    EXPECT_TRUE(messages.shown.isEmpty());
    EXPECT_EQ(window.PathRight(), QStringList{a});

    // One clip: singular; declined: nothing changed.
    browser.scripts = {FakeFolderBrowser::choose(keep)};
    go(TActionForm::kCopy);
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(messages.shown.first().kind, MessageKind::Confirmation);
    EXPECT_EQ(messages.shown.first().buttons, MessageButtons::OkCancel);
    EXPECT_EQ(messages.shown.first().text,
              QStringLiteral("Ready to COPY clip from ") + path("Videos") + " to " + keep);
    EXPECT_TRUE(engine.requests.isEmpty());
    EXPECT_EQ(window.PathRight(), QStringList{a});

    // Two clips: plural; OK: the engine gets both, sorted, and the Action Box empties.
    moveAll();
    messages.shown.clear();
    messages.answers = {MessageResult::Ok};
    browser.scripts = {FakeFolderBrowser::choose(keep)};
    go(TActionForm::kMove);
    ASSERT_EQ(messages.texts(), QStringList{QStringLiteral("Ready to MOVE clips from ") +
                                            path("Videos") + " to " + keep});
    ASSERT_EQ(engine.requests.size(), 1);
    const FileOperationRequest& request = engine.requests.first();
    EXPECT_EQ(request.operation, FileOperationCode::Move);
    EXPECT_EQ(request.sources, QStringList({a, path("Videos/b.avi")}));
    EXPECT_EQ(request.destination, keep);
    EXPECT_EQ(request.flags, 0x0180);
    EXPECT_EQ(request.progressTitle, QStringLiteral("Vantoro"));
    EXPECT_TRUE(window.PathRight().isEmpty());
    EXPECT_FALSE(window.isVisible()) << "nothing left to act on";
}

TEST_F(ActionFormTest, TheSourceFolderIsRefusedUnderAnyNameButOtherFoldersAreNot)
{
    mark(QStringLiteral("a.avi"));
    mark(QStringLiteral("b.avi"));
    const QString link = path("VideosLink");
    ASSERT_TRUE(QFile::link(path("Videos"), link));
    const QString otherCase = path("videos");
    const QString sub = path("Videos/Sub");
    QDir().mkpath(otherCase);
    QDir().mkpath(sub);
    TActionForm& window = open();
    selectLeft({0});
    QTest::mouseClick(window.FillButton, Qt::LeftButton);

    // The folder the dialog opens on (the first marked clip's), accepted unchanged; the same
    // folder by a symbolic link; and with a trailing slash.
    const FakeFolderBrowser::Script acceptUnchanged = [](FakeFolderBrowser::Window& browserWindow,
                                                         FolderBrowserCallbacks&) {
        return std::optional<QString>(browserWindow.selected);
    };
    for (const QString& same : QStringList{QString(), link, path("Videos") + u'/'}) {
        messages.shown.clear();
        browser.scripts = {same.isEmpty() ? acceptUnchanged : FakeFolderBrowser::choose(same)};
        go(TActionForm::kCopy);
        if (same.isEmpty()) {
            EXPECT_EQ(browser.lastSelected, path("Videos"));
        }
        ASSERT_EQ(messages.shown.size(), 1) << same.toStdString();
        EXPECT_EQ(messages.shown.first().kind, MessageKind::Error);
        EXPECT_EQ(messages.shown.first().text,
                  QStringLiteral("Source and destination directories can NOT be the same"));
    }
    EXPECT_TRUE(engine.requests.isEmpty());
    EXPECT_EQ(window.rightNames(), QStringList{"a.avi"});

    // Another letter case is another folder here; a sub-folder is another folder.
    messages.answers = {MessageResult::Ok, MessageResult::Ok};
    messages.shown.clear();
    browser.scripts = {FakeFolderBrowser::choose(otherCase)};
    go(TActionForm::kCopy);
    selectLeft({0});
    QTest::mouseClick(window.FillButton, Qt::LeftButton);
    browser.scripts = {FakeFolderBrowser::choose(sub)};
    go(TActionForm::kMove);
    ASSERT_EQ(engine.requests.size(), 2);
    EXPECT_EQ(engine.requests.at(0).destination, otherCase);
    EXPECT_EQ(engine.requests.at(1).destination, sub);
    EXPECT_FALSE(window.isVisible());
}

TEST_F(ActionFormTest, DeleteAsksNothingItselfAndTheClipsLeaveEvenWhenCancelled)
{
    const QString a = mark(QStringLiteral("a.avi")), b = mark(QStringLiteral("b.avi"));
    TActionForm& window = open();
    selectLeft({1});
    QTest::mouseClick(window.FillButton, Qt::LeftButton);
    engine.result.anyOperationsAborted = true; // the user said No to the engine's question
    go(TActionForm::kDelete);
    EXPECT_TRUE(messages.shown.isEmpty());
    ASSERT_EQ(engine.requests.size(), 1);
    EXPECT_EQ(engine.requests.first().operation, FileOperationCode::Delete);
    EXPECT_EQ(engine.requests.first().sources, QStringList{b});
    EXPECT_EQ(engine.requests.first().flags, 0x01C0);
    EXPECT_TRUE(window.PathRight().isEmpty());
    EXPECT_TRUE(window.isVisible()) << "a.avi is still on the left";
    EXPECT_EQ(window.PathLeft(), QStringList{a});

    // Undo stays on for a later copy of the same window.
    QDir().mkpath(path("Keep"));
    moveAll();
    messages.answers = {MessageResult::Ok};
    browser.scripts = {FakeFolderBrowser::choose(path("Keep"))};
    go(TActionForm::kCopy);
    ASSERT_EQ(engine.requests.size(), 2);
    EXPECT_EQ(engine.requests.at(1).flags, 0x01C0);
    EXPECT_FALSE(window.isVisible());
}

TEST_F(ActionFormTest, AddToExistingPlaylistKeepsOneOfEachAndTheMissingClips)
{
    const QString a = mark(QStringLiteral("a.avi")), c = mark(QStringLiteral("c.avi"));
    // A marked clip the playlist already lists, under exactly its path.
    const QString z = mark(QStringLiteral("z.avi"));
    const QString list = path("list.asx");
    ClipList existing;
    // Another file whose name differs from a.avi only in letter case: a different clip here.
    const QString aUpper = path("Videos/A.AVI");
    writeFileBytes(aUpper, "A");
    existing.setItems({z, aUpper, path("gone.avi")});
    ASSERT_TRUE(WritePlaylist(existing, list, QStringLiteral("Old"), messages));

    TActionForm& window = open();
    moveAll();
    // Cancelled dialog: nothing changes but the window closes, the left list being empty.
    go(TActionForm::kAddToExistingPlaylist);
    ASSERT_EQ(dialogs.asked.size(), 1);
    EXPECT_EQ(dialogs.asked.first().initialFolder, state.ProgramFolder);
    EXPECT_EQ(window.PathRight().size(), 3);
    EXPECT_FALSE(window.isVisible());

    window.show();
    dialogs.openAnswers = {{list}};
    go(TActionForm::kAddToExistingPlaylist);
    EXPECT_TRUE(messages.shown.isEmpty());
    EXPECT_TRUE(window.PathRight().isEmpty()) << "the duplicate leaves the Action Box too";
    // Sorted ignoring case; of two equal keys the one listed before comes first.
    // The entry whose file is gone stays, sorted with the rest.
    const QString gone = path("gone.avi");
    EXPECT_EQ(state.AllBox.items(), QStringList({gone, aUpper, a, c, z}));
    const QByteArray written = readFileBytes(list);
    EXPECT_TRUE(written.contains(("<Title>" + list + "</Title>").toUtf8()));
    EXPECT_EQ(written.count(gone.toUtf8()), 1);
    EXPECT_EQ(written.count(z.toUtf8()), 1);
    EXPECT_LT(written.indexOf(aUpper.toUtf8()), written.indexOf(a.toUtf8()));
    EXPECT_LT(written.indexOf(a.toUtf8()), written.indexOf(c.toUtf8()));
    EXPECT_LT(written.indexOf(c.toUtf8()), written.indexOf(z.toUtf8()));
    EXPECT_FALSE(window.isVisible());
}

TEST_F(ActionFormTest, APlaylistThatCannotBeReadEndsGoWithItsError)
{
    const QString a = mark(QStringLiteral("a.avi"));
    TActionForm& window = open();
    moveAll();
    dialogs.openAnswers = {{path("vanished.asx")}};
    go(TActionForm::kAddToExistingPlaylist);
    EXPECT_EQ(messages.texts(), QStringList{QStringLiteral("File not found")});
    EXPECT_EQ(window.PathRight(), QStringList{a});
    EXPECT_TRUE(window.isVisible()) << "Go ended before closing the window";
    EXPECT_FALSE(QFile::exists(path("vanished.asx")));
}

TEST_F(ActionFormTest, AddToNewPlaylistAsksBeforeReplacingAndKeepsTheActionBox)
{
    const QString a = mark(QStringLiteral("a.avi")), b = mark(QStringLiteral("b.avi")),
                  c = mark(QStringLiteral("c.avi"));
    TActionForm& window = open();
    selectLeft({0, 2});
    QTest::mouseClick(window.FillButton, Qt::LeftButton);

    // An installed copy proposes the user's playlist folder, made when first needed.
    state.PlaylistFolder = path("Playlists") + u'/';
    const QString fresh = path("Playlists/fresh.asx");
    dialogs.saveAnswers = {fresh};
    go(TActionForm::kAddToNewPlaylist);
    ASSERT_EQ(dialogs.asked.size(), 1);
    EXPECT_EQ(dialogs.asked.first().initialFolder, state.PlaylistFolder);
    EXPECT_TRUE(QFileInfo(state.PlaylistFolder).isDir());
    EXPECT_TRUE(messages.shown.isEmpty());
    EXPECT_EQ(state.AllBox.items(), QStringList({a, c}));
    EXPECT_TRUE(state.AllBox.sorted());
    EXPECT_TRUE(readFileBytes(fresh).contains(("<Title>" + fresh + "</Title>").toUtf8()));
    EXPECT_EQ(window.PathRight(), QStringList({c, a}));
    EXPECT_TRUE(window.isVisible()) << "b.avi is still on the left";

    // An existing name: Cancel leaves the file and the window as they were.
    const QString taken = path("taken.asx");
    writeFileBytes(taken, "keep me");
    dialogs.saveAnswers = {taken};
    go(TActionForm::kAddToNewPlaylist);
    EXPECT_EQ(messages.texts(), QStringList{QStringLiteral(
                                    "Playlist with that name already exists!\rOK to overwrite?")});
    EXPECT_EQ(messages.shown.first().buttons, MessageButtons::OkCancel);
    EXPECT_EQ(readFileBytes(taken), QByteArray("keep me"));

    // OK replaces it; with every clip moved the window closes though the Action Box is full.
    moveAll();
    messages.answers = {MessageResult::Ok};
    dialogs.saveAnswers = {taken};
    go(TActionForm::kAddToNewPlaylist);
    EXPECT_EQ(state.AllBox.items(), QStringList({a, b, c}));
    const QByteArray written = readFileBytes(taken);
    EXPECT_TRUE(written.contains(b.toUtf8()));
    EXPECT_EQ(window.PathRight().size(), 3);
    EXPECT_FALSE(window.isVisible());
}

TEST_F(ActionFormTest, APlaylistThatCannotBeWrittenLeavesTheWindowOpen)
{
    mark(QStringLiteral("a.avi"));
    TActionForm& window = open();
    moveAll();
    dialogs.saveAnswers = {path("no such folder/new.asx")};
    go(TActionForm::kAddToNewPlaylist);
    EXPECT_EQ(messages.texts(), QStringList{QStringLiteral("File not found")});
    EXPECT_TRUE(window.isVisible());
}

// Shows the window it is given without an event loop and records it; answers Rejected.
class RecordingRunner final : public ModalRunner
{
public:
    int exec(QDialog& dialog) override
    {
        titles.append(dialog.windowTitle());
        if (auto* form = qobject_cast<TActionForm*>(&dialog))
            names = form->leftNames();
        return QDialog::Rejected;
    }
    QStringList titles;
    QStringList names;
};

TEST_F(ActionFormTest, TheOpenerShowsOneWindowForTheMarkedClips)
{
    mark(QStringLiteral("x.avi"));
    mark(QStringLiteral("y.avi"));
    RecordingRunner runner;
    services.modal = &runner;
    ClipManagerWindowOpener opener(state, services);
    opener.OpenClipManager();
    EXPECT_EQ(runner.titles, QStringList{QStringLiteral("Vantoro - Media File Manager")});
    EXPECT_EQ(runner.names, QStringList({"x.avi", "y.avi"}));
}

// Escape would throw the clips away: the window stays. Return on the focused Close closes it.
TEST_F(ActionFormTest, EscapeKeepsTheWindowReturnOnCloseClosesIt)
{
    mark(QStringLiteral("a.avi"));
    TActionForm& window = open();
    QApplication::setActiveWindow(&window);
    QTest::keyClick(window.LeftBox, Qt::Key_Escape);
    QTest::keyClick(&window, Qt::Key_Escape);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.PathLeft().size(), 1);
    for (int i = 0; i < 20 && window.focusWidget() != window.CloseButton; ++i)
        QTest::keyClick(window.focusWidget() ? window.focusWidget() : &window, Qt::Key_Tab);
    ASSERT_EQ(window.focusWidget(), window.CloseButton);
    QTest::keyClick(window.CloseButton, Qt::Key_Return);
    EXPECT_FALSE(window.isVisible());
}

// Without a mouse: Tab visits every button, the list keys move the clip under the cursor (or
// the selected ones) and bring the next one under it, Return presses Go, Escape does nothing.
TEST_F(ActionFormTest, KeyboardAloneReachesEveryButtonAndMovesClipsByTheListKeys)
{
    for (const char* name : {"a.avi", "b.avi", "c.avi", "d.avi"})
        mark(QString::fromLatin1(name));
    TActionForm& window = open();
    window.UndoButton->show();
    QApplication::setActiveWindow(&window);
    QList<QWidget*> visited;
    for (window.LeftBox->setFocus(); !visited.contains(window.focusWidget());) {
        visited.append(window.focusWidget());
        QTest::keyClick(window.focusWidget(), Qt::Key_Tab);
    }
    EXPECT_EQ(visited.mid(0, 6),
              QList<QWidget*>({window.LeftBox, window.FillButton, window.SelectButton,
                               window.EmptyButton, window.UnSelButton, window.RightBox}));
    for (QWidget* button : {window.GoButton, window.CloseButton, window.UndoButton})
        EXPECT_TRUE(visited.contains(button));

    const struct
    {
        QListWidget* box;
        Qt::Key key;
        const char* left;
        const char* right;
    } steps[] = {
        {window.LeftBox, Qt::Key_Insert, "b.avi c.avi d.avi", "a.avi"},
        {window.LeftBox, Qt::Key_Right, "c.avi d.avi", "a.avi b.avi"},
        {window.LeftBox, Qt::Key_Left, "c.avi d.avi", "a.avi b.avi"}, // the wrong way
        {window.RightBox, Qt::Key_Delete, "c.avi d.avi a.avi", "b.avi"},
        {window.RightBox, Qt::Key_Left, "c.avi d.avi a.avi b.avi", ""},
    };
    window.LeftBox->setCurrentRow(0, QItemSelectionModel::NoUpdate);
    window.RightBox->setFocus(); // the Action Box gets its cursor on its first clip
    for (const auto& step : steps) {
        step.box->setFocus();
        QTest::keyClick(step.box, step.key);
        EXPECT_EQ(window.leftNames().join(u' '), QLatin1String(step.left)) << step.key;
        EXPECT_EQ(window.rightNames().join(u' '), QLatin1String(step.right)) << step.key;
    }
    window.LeftBox->item(3)->setSelected(true); // with c.avi, under the cursor
    QTest::keyClick(window.LeftBox, Qt::Key_Insert);
    EXPECT_EQ(window.rightNames(), QStringList({"b.avi", "c.avi"}));
    EXPECT_EQ(window.PathRight().size(), 2);

    window.UnSelButton->click(); // an empty Action Box: Go only says so
    window.FillButton->setFocus();
    QTest::keyClick(window.FillButton, Qt::Key_Return);
    QTest::keyClick(window.FillButton, Qt::Key_Escape);
    EXPECT_EQ(messages.shown.size(), 1) << "Return presses Go";
    EXPECT_TRUE(window.isVisible());
}

} // namespace
} // namespace vantoro::test
