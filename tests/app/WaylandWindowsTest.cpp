// Every window of the program on a Wayland compositor (run by tests/tools/with-display --wayland,
// see wayland.cmake): each one is mapped (the compositor configured it and Qt exposed it), the
// windows that ask modally included, and the single-instance guard hands a second copy's
// activation token to the compositor. Elsewhere the tests are skipped.

#include "app/TForm1.h"
#include "app/TXJustOne.h"

#include "clipmanager/TActionForm.h"
#include "common/FakeFileDialogs.h"
#include "common/FakeFileOperationEngine.h"
#include "common/FakeFolderBrowser.h"
#include "common/FakeMessageBoxes.h"
#include "common/FakeShellOpener.h"
#include "common/TestSupport.h"
#include "platform/MainWindowDialogs.h"
#include "platform/QtFileDialogs.h"
#include "platform/QtFolderBrowser.h"
#include "platform/QtMessageBoxes.h"
#include "player/TSleepF.h"
#include "player/TSpeedF.h"
#include "playlists/TMangle.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QUuid>
#include <QWindow>

#include <gtest/gtest.h>

#include <cstdio>

using namespace vantoro;
using vantoro::test::waitUntil;

namespace {

bool onWayland()
{
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

bool mapped(QWidget* widget)
{
    return widget->windowHandle() && widget->windowHandle()->isExposed();
}

// Shows a window and waits until the compositor has mapped it.
bool showsUp(QWidget* widget)
{
    widget->show();
    return waitUntil([widget] { return mapped(widget); }, 10000);
}

// Runs `ask` (which shows a modal window and waits for the answer) and records whether the modal
// window was mapped; it is then closed as Escape would.
struct ModalOutcome
{
    bool mapped = false;
    QString title;
};
ModalOutcome whileModal(const std::function<void()>& ask)
{
    ModalOutcome outcome;
    QTimer watch;
    watch.setInterval(50);
    int ticks = 0;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && mapped(modal)) {
            outcome.mapped = true;
            outcome.title = modal->windowTitle();
            modal->close();
        } else if (++ticks > 200 && modal) {
            modal->close(); // not mapped within 10 s: a failure, but the test must go on
        }
    });
    watch.start();
    ask();
    return outcome;
}

class WaylandWindows : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!onWayland() && qEnvironmentVariableIsSet("WAYLAND_DISPLAY"))
            FAIL() << "a compositor is there but Qt runs on "
                   << qPrintable(QGuiApplication::platformName());
        if (!onWayland())
            GTEST_SKIP() << "needs a Wayland compositor (tests/tools/with-display --wayland)";
        services.messages = &messages;
        services.fileDialogs = &dialogs;
        services.shell = &shell;
        services.folderBrowser = &folderBrowser;
        services.fileOperations = &engine;
        services.programFolder = dir.path() + u'/';
        services.executableFolder = dir.path();
    }

    QTemporaryDir dir;
    test::FakeMessageBoxes messages;
    test::FakeFileDialogs dialogs;
    test::FakeShellOpener shell;
    test::FakeFolderBrowser folderBrowser;
    test::FakeFileOperationEngine engine;
    Services services;
};

TEST_F(WaylandWindows, MainWindowAndTheModelessWindowsAreMapped)
{
    TForm1 form(services);
    form.FormCreate();
    EXPECT_TRUE(showsUp(&form)) << "main window";

    ProgramState& state = form.state();
    const QString clip = dir.path() + QStringLiteral("/a.wav");
    test::writeFileBytes(clip, "RIFF");
    state.LeftBox = {QStringLiteral("a.wav")};
    state.PathLeft = {clip};
    TActionForm clipManager(state, services, &form);
    clipManager.FormCreate();
    EXPECT_TRUE(showsUp(&clipManager)) << "clip manager";
    clipManager.close();

    TMangle editor(state, services, dir.path(), &form);
    EXPECT_TRUE(showsUp(&editor)) << "playlist editor";
    editor.close();

    TSleepF sleep(state);
    EXPECT_TRUE(showsUp(&sleep)) << "sleep timer";
    sleep.close();
    TSpeedF speed;
    EXPECT_TRUE(showsUp(&speed)) << "playback speed";
    speed.close();
}

TEST_F(WaylandWindows, ModalQuestionsDialogsAndTheFolderBrowserAreMapped)
{
    TForm1 form(services);
    ASSERT_TRUE(showsUp(&form));
    const QImage picture(64, 48, QImage::Format_RGB32);
    picture.save(dir.filePath(QStringLiteral("picture.jpg")));

    QtMessageBoxes boxes;
    ModalOutcome box = whileModal([&] {
        boxes.show(MessageKind::Confirmation, QStringLiteral("Save Playlist?"),
                   MessageButtons::YesNo);
    });
    EXPECT_TRUE(box.mapped) << "message box";

    QtFileDialogs fileDialogs;
    ModalOutcome clips = whileModal([&] { fileDialogs.openFiles(openDialog1Spec(dir.path())); });
    EXPECT_TRUE(clips.mapped) << "clip dialog with its picture preview";
    EXPECT_EQ(clips.title, QStringLiteral("Select clip(s)"));
    ModalOutcome save = whileModal([&] { fileDialogs.saveFile(saveDialog1Spec(dir.path())); });
    EXPECT_TRUE(save.mapped) << "save dialog";

    struct NoCallbacks final : FolderBrowserCallbacks
    {
        void browserInitialized(FolderBrowserWindow&) override {}
        void browserSelectionChanged(FolderBrowserWindow&, const QString&, const QString&) override
        {}
    } callbacks;
    QtFolderBrowser browser;
    FolderBrowseSpec spec;
    spec.title = QStringLiteral("Choose a folder");
    spec.rootPath = dir.path();
    ModalOutcome folder = whileModal([&] { browser.browse(spec, callbacks); });
    EXPECT_TRUE(folder.mapped) << "folder browser";
}

// The compositor may or may not offer xdg-activation (Weston 10 does not): the token a second
// copy brings goes to Qt's Wayland plugin either way, and the test says which happened.
TEST_F(WaylandWindows, SecondCopyHandsItsActivationTokenToTheFirst)
{
    const QString name =
        QStringLiteral("VantoroWayland-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    QWidget mainWindow;
    ASSERT_TRUE(showsUp(&mainWindow));
    TXJustOne first(&mainWindow);
    ASSERT_TRUE(first.Loaded(name));
    QSignalSpy forward(&first, &TXJustOne::broughtForward);

    const QByteArray token = "launcher-token-" + QUuid::createUuid().toByteArray(QUuid::Id128);
    qputenv("XDG_ACTIVATION_TOKEN", token);
    TXJustOne second(nullptr);
    EXPECT_FALSE(second.Loaded(name));
    qunsetenv("XDG_ACTIVATION_TOKEN");
    ASSERT_TRUE(forward.wait(5000));

    EXPECT_EQ(first.lastActivationToken(), token);
    EXPECT_FALSE(qEnvironmentVariableIsSet("XDG_ACTIVATION_TOKEN"))
        << "a token is never left for a later activation";
    EXPECT_TRUE(mapped(&mainWindow)) << "the first copy stays on screen";

    QProcess info;
    info.start(QStringLiteral("weston-info"), {});
    const bool listed = info.waitForFinished(10000);
    const bool offered = listed && info.readAllStandardOutput().contains("'xdg_activation_v1'");
    const char* what = !listed ? "the compositor's globals could not be listed"
                       : offered
                           ? "the compositor offers xdg-activation: the first copy was activated "
                             "with the second copy's token"
                           : "the compositor offers no xdg-activation: the first copy showed and "
                             "raised itself, which is all a Wayland client can do";
    RecordProperty("activation", what);
    std::printf("single-instance on Wayland: %s\n", what);
}

} // namespace
