#include "PlayerWindowTestSupport.h"

#include "common/FakeFileDialogs.h"
#include "player/PlayerWindowOpener.h"
#include "playlists/PlaylistCommands.h"
#include "playlists/PlaylistFiles.h"

#include <QPushButton>
#include <QTest>

namespace vantoro::test {
namespace {

// The main window as the commands see it: shown and hidden for real, closing recorded.
class MainWindowStandIn final : public QWidget, public MainWindowControl
{
public:
    void showMainWindow() override { show(); }
    void closeMainWindow() override
    {
        ++closed;
        close();
    }
    int closed = 0;
};

class PlaylistRoadTest : public PlayerWindowFixture
{
protected:
    void SetUp() override
    {
        PlayerWindowFixture::SetUp();
        services.fileDialogs = &dialogs;
        mainWindow.show();
        opener = std::make_unique<PlayerWindowOpener>(state, services, *speed, *sleep, &mainWindow,
                                                      setup());
        commands =
            std::make_unique<PlaylistCommands>(state, services, mainWindow, *opener, nullptr);
    }

    // The next player window: press Go, note the captions of the first `entries` entries,
    // and close it by its close box.
    void playAndClose(int entries)
    {
        modal.scripts.append([this, entries](QDialog& dialog) {
            auto& window = *qobject_cast<TWplayerF2*>(&dialog);
            markVisible = false;
            QTest::mouseClick(window.goButton(), Qt::LeftButton);
            for (int n = 1; n <= entries; ++n) {
                const QString prefix = QStringLiteral("Vantoro - (%1/").arg(n);
                ASSERT_TRUE(
                    waitUntil([&] { return window.windowTitle().startsWith(prefix); }, kWaitMs));
                captions.append(window.windowTitle());
                markVisible = markVisible || window.markButton()->isVisible();
                EXPECT_FALSE(mainWindow.isVisible()) << "the main window hides while playing";
            }
            window.close();
        });
    }

    FakeFileDialogs dialogs;
    MainWindowStandIn mainWindow;
    std::unique_ptr<PlayerWindowOpener> opener;
    std::unique_ptr<PlaylistCommands> commands;
    // The boxes shown, less the warning of a machine without a sound card.
    QStringList questions() const
    {
        QStringList texts = messages.texts();
        texts.removeAll(QString::fromLatin1(TWplayerF2::kSoundCardWarning));
        return texts;
    }

    QStringList captions;
    bool markVisible = false;
};

TEST_F(PlaylistRoadTest, NewPlaysAlphabeticallyIsSavedAndLoadsAgainInFileOrder)
{
    const QString c = tone("c.wav", 0.4), a = tone("a.wav", 0.4), b = tone("B.wav", 0.4);
    dialogs.openAnswers = {{c, a, b}};
    playAndClose(3);
    messages.defaultYesNo = MessageResult::Yes; // "Save Playlist?"
    const QString saved = path(QStringLiteral("mine"));
    dialogs.saveAnswers = {saved};

    commands->PlaylistNewClick();

    EXPECT_EQ(captions, QStringList({"Vantoro - (1/3) a.wav", "Vantoro - (2/3) B.wav",
                                     "Vantoro - (3/3) c.wav"}));
    EXPECT_TRUE(markVisible) << "a new playlist can be marked";
    ASSERT_EQ(questions(), QStringList{"Save Playlist?"});
    EXPECT_TRUE(mainWindow.isVisible());
    const QByteArray file = readFileBytes(saved + ".asx");
    EXPECT_TRUE(file.contains(("<Title>" + state.ProgramFolder + "playlist.tmp</Title>").toUtf8()));
    EXPECT_TRUE(file.contains(("<ENTRY><REF HREF=\"" + a + "\" /></ENTRY>").toUtf8()));

    // Load plays the saved playlist in its order, with no Mark button, and never asks to save.
    captions.clear();
    messages.shown.clear();
    dialogs.openAnswers = {{saved + ".asx"}};
    playAndClose(2);
    commands->PlaylistLoadClick();
    EXPECT_EQ(captions, QStringList({"Vantoro - (1/3) a.wav", "Vantoro - (2/3) B.wav"}));
    EXPECT_FALSE(markVisible);
    EXPECT_TRUE(questions().isEmpty());
    EXPECT_EQ(state.Tag, kModeLoad);
    EXPECT_TRUE(mainWindow.isVisible());
}

TEST_F(PlaylistRoadTest, NewWithOneClipNeverAsksToSave)
{
    dialogs.openAnswers = {{tone("only.wav", 0.3)}};
    playAndClose(1);
    commands->PlaylistNewClick();
    EXPECT_EQ(captions, QStringList{"Vantoro - (1/1) only.wav"});
    EXPECT_TRUE(questions().isEmpty());
    EXPECT_TRUE(mainWindow.isVisible());
}

TEST_F(PlaylistRoadTest, LoadWithMissingClipsWarnsThenPlaysTheRest)
{
    const QString a = tone("a.wav", 0.3);
    ClipList clips;
    clips.addAll({path("gone.wav"), a, path("gone.wav")});
    const QString list = path("list.asx");
    ASSERT_TRUE(WritePlaylist(clips, list, list, messages));
    dialogs.openAnswers = {{list}};
    playAndClose(1);
    commands->PlaylistLoadClick();
    EXPECT_EQ(questions(),
              QStringList{"Warning: 2 clip(s) could not be found.\rWill play any remaining clips"});
    EXPECT_EQ(captions, QStringList{"Vantoro - (1/1) a.wav"});
}

} // namespace
} // namespace vantoro::test
