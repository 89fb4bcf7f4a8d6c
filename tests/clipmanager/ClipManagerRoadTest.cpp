#include "player/PlayerWindowTestSupport.h"

#include "clipmanager/ClipManagerWindowOpener.h"
#include "clipmanager/TActionForm.h"
#include "clipmanager/TKxFolderDialog.h"
#include "common/FakeFileDialogs.h"
#include "common/FakeFolderBrowser.h"
#include "common/FakeTextInput.h"
#include "common/FileOpFakes.h"
#include "fileops/ShellFileOperation.h"
#include "player/PlayerWindowOpener.h"
#include "playlists/PlaylistCommands.h"

#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

namespace vantoro::test {
namespace {

// The main window as the commands see it: shown and hidden for real.
class MainWindowStandIn final : public QWidget, public MainWindowControl
{
public:
    void showMainWindow() override { show(); }
    void closeMainWindow() override { close(); }
};

// New, play, mark, close the player, and act on the marked clips in the clip manager, with real
// playback, the real file-operation engine and real files.
class ClipManagerRoadTest : public PlayerWindowFixture
{
protected:
    void SetUp() override
    {
        PlayerWindowFixture::SetUp();
        services.fileDialogs = &dialogs;
        services.fileOperations = &engine;
        services.folderBrowser = &browser;
        services.textInput = &textInput;
        mainWindow.show();
        player = std::make_unique<PlayerWindowOpener>(state, services, *speed, *sleep, &mainWindow,
                                                      setup());
        clipManager = std::make_unique<ClipManagerWindowOpener>(state, services);
        commands = std::make_unique<PlaylistCommands>(state, services, mainWindow, *player,
                                                      clipManager.get());
    }

    FakeFileDialogs dialogs;
    FakeFileOperationQuestions questions;
    FakeFileOperationProgress progress;
    ShellFileOperation engine{questions, progress};
    FakeFolderBrowser browser;
    FakeTextInput textInput;
    MainWindowStandIn mainWindow;
    std::unique_ptr<PlayerWindowOpener> player;
    std::unique_ptr<ClipManagerWindowOpener> clipManager;
    std::unique_ptr<PlaylistCommands> commands;
};

TEST_F(ClipManagerRoadTest, MarkedClipsAreMovedToANewFolder)
{
    QDir().mkpath(path("Clips"));
    const QString one = tone("Clips/one.wav", 1.2), two = tone("Clips/two.wav", 1.2),
                  three = tone("Clips/three.wav", 1.2);
    dialogs.openAnswers = {{three, one, two}};

    // The player: Go, mark the first and the last entry (one.wav, two.wav in alphabetical
    // order: one, three, two), then close it by its close box.
    QStringList markedWhilePlaying;
    modal.scripts.append([&](QDialog& dialog) {
        auto& window = *qobject_cast<TWplayerF2*>(&dialog);
        QTest::mouseClick(window.goButton(), Qt::LeftButton);
        for (const int entry : {1, 3}) {
            const QString prefix = QStringLiteral("Vantoro - (%1/").arg(entry);
            ASSERT_TRUE(
                waitUntil([&] { return window.windowTitle().startsWith(prefix); }, kWaitMs));
            ASSERT_TRUE(waitUntil([&] { return window.markButton()->isEnabled(); }, kWaitMs));
            QTest::mouseClick(window.markButton(), Qt::LeftButton);
            markedWhilePlaying.append(window.windowTitle());
        }
        window.close();
    });

    // The clip manager: ">>", Move, a new folder made in the folder browser, Go.
    QStringList namesShown;
    const QString kept = path("Clips/Kept");
    modal.scripts.append([&](QDialog& dialog) {
        auto& form = *qobject_cast<TActionForm*>(&dialog);
        namesShown = form.leftNames();
        QTest::mouseClick(form.SelectButton, Qt::LeftButton);
        form.setItemIndex(TActionForm::kMove);
        textInput.answers = {QStringLiteral("Kept")};
        // First showing: the browser opens on the clips' folder; "New folder" makes Kept there
        // and reopens the browser, which then selects it; OK.
        browser.scripts = {[&](FakeFolderBrowser::Window&, FolderBrowserCallbacks&) {
                               QPushButton* newFolder = form.KxFolderDialog1().NewFolderButton();
                               if (newFolder)
                                   QTest::mouseClick(newFolder, Qt::LeftButton);
                               return std::optional<QString>();
                           },
                           [&](FakeFolderBrowser::Window& window, FolderBrowserCallbacks&) {
                               return std::optional<QString>(window.selected);
                           }};
        messages.answers = {MessageResult::Ok}; // "Ready to MOVE clips from ..."
        QTest::mouseClick(form.GoButton, Qt::LeftButton);
    });

    commands->PlaylistNewClick();

    EXPECT_EQ(markedWhilePlaying,
              QStringList({"Vantoro - (1/3) one.wav", "Vantoro - (3/3) two.wav"}));
    EXPECT_EQ(namesShown, QStringList({"one.wav", "two.wav"}));
    EXPECT_EQ(modal.shown, QStringList({QString::fromLatin1(TWplayerF2::kCaption),
                                        QString::fromLatin1(TActionForm::kCaption)}));
    EXPECT_EQ(textInput.asked, QStringList{QStringLiteral("New folder")});
    ASSERT_GE(browser.specs.size(), 1);
    EXPECT_EQ(browser.specs.first().title, QStringLiteral("Browse to DESTINATION folder:"));

    // No "Save Playlist?" with marks; the one question is the move's.
    QStringList texts = messages.texts();
    texts.removeAll(QString::fromLatin1(TWplayerF2::kSoundCardWarning));
    EXPECT_EQ(texts, QStringList{QStringLiteral("Ready to MOVE clips from ") + path("Clips") +
                                 QStringLiteral(" to ") + kept});

    EXPECT_TRUE(QFile::exists(kept + QStringLiteral("/one.wav")));
    EXPECT_TRUE(QFile::exists(kept + QStringLiteral("/two.wav")));
    EXPECT_FALSE(QFile::exists(one));
    EXPECT_FALSE(QFile::exists(two));
    EXPECT_TRUE(QFile::exists(three));
    EXPECT_FALSE(QFile::exists(kept + QStringLiteral("/three.wav")));
    EXPECT_EQ(questions.questionCount(), 0);
    EXPECT_EQ(state.LeftBox, QStringList({"one.wav", "two.wav"}));
    EXPECT_TRUE(mainWindow.isVisible()) << "the main window is back";
}

} // namespace
} // namespace vantoro::test
