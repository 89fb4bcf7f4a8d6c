#include "playlists/PlaylistCommands.h"

#include "common/FakeFileDialogs.h"
#include "common/FakeMessageBoxes.h"
#include "common/TestDrive.h"
#include "common/TestSupport.h"
#include "platform/ProgressWindows.h"
#include "playlists/DroppedClips.h"
#include "playlists/PlayerOpener.h"
#include "playlists/PlaylistFiles.h"
#include "playlists/ProgramState.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <thread>

#include <unistd.h>

using namespace vantoro;
using vantoro::test::readFileBytes;
using vantoro::test::writeFileBytes;

namespace {

// Stands in for the player window: records what it was handed and plays its part of the road
// (writing the temporary playlist as Go does, marking clips) as each test scripts it.
class ScriptedPlayer final : public PlayerOpener
{
public:
    explicit ScriptedPlayer(ProgramState& state, MessageBoxes& boxes)
        : m_state(state), m_boxes(boxes)
    {}
    PlayerResult OpenPlayerAndGo() override
    {
        ++openedWithGo;
        return OpenPlayer();
    }
    PlayerResult OpenPlayer() override
    {
        ++opened;
        clipsSeen = m_state.AllBox.items();
        tagSeen = m_state.Tag;
        playFileSeen = m_state.PlayFile;
        PlayerResult result;
        result.outcome = outcome;
        if (pressGo)
            result.playlistWritten =
                WritePlaylist(m_state.AllBox, m_state.PlayFile, m_state.PlaylistTitle, m_boxes);
        if (during)
            during(m_state);
        return result;
    }

    int opened = 0;
    int openedWithGo = 0;
    QStringList clipsSeen;
    int tagSeen = -1;
    QString playFileSeen;
    bool pressGo = true;
    PlayerOutcome outcome = PlayerOutcome::Closed;
    std::function<void(ProgramState&)> during;

private:
    ProgramState& m_state;
    MessageBoxes& m_boxes;
};

class RecordingMainWindow final : public MainWindowControl
{
public:
    void showMainWindow() override { ++shown; }
    void closeMainWindow() override { ++closed; }
    int shown = 0;
    int closed = 0;
};

class RecordingClipManager final : public ClipManagerOpener
{
public:
    void OpenClipManager() override { ++opened; }
    int opened = 0;
};

class PlaylistCommandsTest : public ::testing::Test
{
protected:
    PlaylistCommandsTest()
    {
        QDir().mkpath(clipsDir());
        state.ProgramFolder = programDir.path() + u'/';
        services.messages = &messages;
        services.fileDialogs = &dialogs;
        commands =
            std::make_unique<PlaylistCommands>(state, services, mainWindow, player, &clipManager);
        commands->setDialogFolders(QStringLiteral("/start/clips"), QStringLiteral("/start/lists"));
    }
    QString clipsDir() const { return mediaDir.path() + QStringLiteral("/Clips"); }
    QString clip(const char* name) const
    {
        const QString path = clipsDir() + u'/' + QString::fromUtf8(name);
        if (!QFileInfo::exists(path))
            writeFileBytes(path, "RIFF");
        return path;
    }
    QString temporaryPlaylist() const { return state.ProgramFolder + "playlist.tmp"; }

    QTemporaryDir programDir;
    QTemporaryDir mediaDir;
    ProgramState state;
    test::FakeMessageBoxes messages;
    test::FakeFileDialogs dialogs;
    Services services;
    ScriptedPlayer player{state, messages};
    RecordingMainWindow mainWindow;
    RecordingClipManager clipManager;
    std::unique_ptr<PlaylistCommands> commands;
};

TEST_F(PlaylistCommandsTest,
       NewPlaysPickedClipsAlphabeticallyAndSavesACopyTitledWithTheTemporaryPath)
{
    const QString b = clip("b.wav"), a = clip("A.wav"), c = clip("c.png");
    dialogs.openAnswers = {{c, a, b}};
    messages.answers = {MessageResult::Yes};
    dialogs.saveAnswers = {mediaDir.path() + "/Saved"};
    state.LeftBox = {QStringLiteral("old.wav")};
    state.PathLeft = {QStringLiteral("/old.wav")};

    commands->PlaylistNewClick();

    EXPECT_EQ(player.clipsSeen, QStringList({a, b, c}));
    EXPECT_EQ(player.tagSeen, kModeNew);
    EXPECT_EQ(player.playFileSeen, temporaryPlaylist());
    EXPECT_EQ(state.SourceFolder, clipsDir());
    EXPECT_EQ(state.ClipFolder, clipsDir()) << "no trailing slash";
    EXPECT_TRUE(state.LeftBox.isEmpty());
    EXPECT_TRUE(state.PathLeft.isEmpty());
    EXPECT_EQ(messages.texts(), QStringList{"Save Playlist?"});
    ASSERT_EQ(dialogs.asked.size(), 2);
    EXPECT_EQ(dialogs.asked[0].title, "Select clip(s)");
    EXPECT_EQ(dialogs.asked[0].initialFolder, "/start/clips");
    EXPECT_EQ(dialogs.asked[1].title, "do NOT include extension in filename");
    EXPECT_EQ(dialogs.asked[1].initialFolder, state.ProgramFolder);
    const QByteArray saved = readFileBytes(mediaDir.path() + "/Saved.asx");
    EXPECT_EQ(saved, readFileBytes(temporaryPlaylist()));
    EXPECT_TRUE(saved.contains(("<Title>" + temporaryPlaylist() + "</Title>").toUtf8()));
    EXPECT_EQ(clipManager.opened, 0);
    EXPECT_EQ(mainWindow.shown, 1);
}

TEST_F(PlaylistCommandsTest, NewWithOneClipNeverAsksAndCancelChangesNothing)
{
    commands->PlaylistNewClick(); // cancelled
    EXPECT_EQ(player.opened, 0);
    EXPECT_EQ(state.Tag, kModeNone);
    EXPECT_EQ(mainWindow.shown, 0);

    dialogs.openAnswers = {{clip("only.mp3")}};
    commands->PlaylistNewClick();
    EXPECT_EQ(player.opened, 1);
    EXPECT_TRUE(messages.shown.isEmpty());
    EXPECT_EQ(mainWindow.shown, 1);
}

TEST_F(PlaylistCommandsTest, SaveKeepsAnyExtensionAndReplacesWithoutAsking)
{
    const QString target = mediaDir.path() + "/list.txt";
    writeFileBytes(target, "old contents");
    dialogs.openAnswers = {{clip("x.wav"), clip("y.wav")}};
    messages.answers = {MessageResult::Yes};
    dialogs.saveAnswers = {target};
    commands->PlaylistNewClick();
    EXPECT_EQ(readFileBytes(target), readFileBytes(temporaryPlaylist()));
    EXPECT_FALSE(QFileInfo::exists(target + ".asx"));
    EXPECT_EQ(PlaylistCommands::withPlaylistExtension(QStringLiteral("/a.b/name")),
              "/a.b/name.asx");
    EXPECT_EQ(PlaylistCommands::withPlaylistExtension(QStringLiteral("/a/name.m3u")),
              "/a/name.m3u");
}

TEST_F(PlaylistCommandsTest, PlayerClosedBeforeGoSavesTheCurrentClipList)
{
    writeFileBytes(temporaryPlaylist(), "stale playlist of an earlier run");
    player.pressGo = false;
    const QString a = clip("a.wav"), b = clip("b.wav");
    dialogs.openAnswers = {{b, a}};
    messages.answers = {MessageResult::Yes};
    dialogs.saveAnswers = {mediaDir.path() + "/fresh"};
    commands->PlaylistNewClick();
    ClipList readBack;
    ASSERT_EQ(ReadPlaylist(readBack, mediaDir.path() + "/fresh.asx", messages), 0);
    EXPECT_EQ(readBack.items(), QStringList({a, b}));
    EXPECT_TRUE(readFileBytes(mediaDir.path() + "/fresh.asx")
                    .contains(("<Title>" + temporaryPlaylist() + "</Title>").toUtf8()));
}

TEST_F(PlaylistCommandsTest, MarkedClipsGoToTheClipManagerWithoutASaveQuestion)
{
    dialogs.openAnswers = {{clip("a.wav"), clip("b.wav")}};
    player.during = [](ProgramState& s) {
        s.LeftBox.append(QStringLiteral("a.wav"));
        s.PathLeft.append(QStringLiteral("/x/a.wav"));
    };
    commands->PlaylistNewClick();
    EXPECT_TRUE(messages.shown.isEmpty());
    EXPECT_EQ(clipManager.opened, 1);
    EXPECT_EQ(mainWindow.shown, 1);
}

TEST_F(PlaylistCommandsTest, PowerOffOutcomesEndTheCommand)
{
    dialogs.openAnswers = {{clip("a.wav"), clip("b.wav")}, {clip("a.wav"), clip("b.wav")}};
    player.outcome = PlayerOutcome::ShutdownRequested;
    commands->PlaylistNewClick();
    EXPECT_EQ(mainWindow.closed, 1) << "the program ends normally as the computer goes down";
    EXPECT_EQ(mainWindow.shown, 0);

    player.outcome = PlayerOutcome::ShutdownFailed;
    commands->PlaylistNewClick();
    EXPECT_EQ(mainWindow.shown, 1) << "never left running without a window";
    EXPECT_TRUE(messages.shown.isEmpty()) << "no save question after a power-off attempt";
}

TEST_F(PlaylistCommandsTest, RootFolderKeepsItsSlash)
{
    EXPECT_EQ(PlaylistCommands::folderOf(QStringLiteral("/a.wav")), "/");
    EXPECT_EQ(PlaylistCommands::folderOf(QStringLiteral("/m/a.wav")), "/m");
    EXPECT_EQ(PlaylistCommands::folderOf(QStringLiteral("a.wav")), "");
}

TEST_F(PlaylistCommandsTest, LoadPlaysInFileOrderWithoutMarkingOrSaving)
{
    const QString z = clip("z.wav"), a = clip("a.wav");
    const QString list = mediaDir.path() + "/Lists/mine.asx";
    QDir().mkpath(mediaDir.path() + "/Lists");
    ClipList clips;
    clips.addAll({z, a});
    ASSERT_TRUE(WritePlaylist(clips, list, list, messages));
    state.LeftBox = {QStringLiteral("kept.wav")};
    dialogs.openAnswers = {{list}};
    commands->PlaylistLoadClick();
    EXPECT_EQ(player.clipsSeen, QStringList({z, a}));
    EXPECT_EQ(player.tagSeen, kModeLoad);
    EXPECT_EQ(player.playFileSeen, temporaryPlaylist());
    EXPECT_EQ(state.PlaylistTitle, list);
    EXPECT_EQ(state.ListFolder, mediaDir.path() + "/Lists");
    EXPECT_EQ(state.LeftBox, QStringList{"kept.wav"}) << "Load leaves earlier marks alone";
    EXPECT_TRUE(messages.shown.isEmpty());
    EXPECT_EQ(clipManager.opened, 0);
    EXPECT_EQ(dialogs.asked[0].title, "Select Playlist");
    EXPECT_EQ(dialogs.asked[0].initialFolder, "/start/lists");
}

TEST_F(PlaylistCommandsTest, LoadOfAnM3uLeavesItUnchanged)
{
    const QString a = clip("a.mp3");
    const QString list = mediaDir.path() + "/list.M3U";
    const QByteArray m3u = "#EXTM3U\n#EXTINF:1,A\n" + a.toUtf8() + "\n";
    writeFileBytes(list, m3u);
    dialogs.openAnswers = {{list}};
    commands->PlaylistLoadClick();
    EXPECT_EQ(player.clipsSeen, QStringList{a});
    EXPECT_EQ(readFileBytes(list), m3u);
}

TEST_F(PlaylistCommandsTest, LoadOfAnotherProgramsRelativePlaylistFindsEveryClip)
{
    // As a common playlist library writes it: names relative to the playlist's folder, title
    // lines, CR LF and backslashes. The current folder is somewhere else.
    const QString a = clip("a.wav"), b = clip("b.wav");
    const QString list = mediaDir.path() + "/list.m3u";
    writeFileBytes(list, "#EXTM3U\r\n#EXTINF:,a.wav\r\nClips\\a.wav\r\n#EXTINF:,b.mp3\r\n"
                         "Clips/b.wav\r\n");
    dialogs.openAnswers = {{list}};
    commands->PlaylistLoadClick();
    EXPECT_TRUE(messages.shown.isEmpty()) << messages.texts().join(u'|').toStdString();
    EXPECT_EQ(player.clipsSeen, QStringList({a, b}));
}

// A progress window that the user cancels as soon as it shows.
class CancellingProgress final : public ProgressWindows
{
public:
    struct Window final : ProgressWindow
    {
        void setProgress(qint64, qint64) override {}
        bool cancelled() const override { return true; }
    };
    std::unique_ptr<ProgressWindow> open(const QString& text) override
    {
        texts.append(text);
        return std::make_unique<Window>();
    }
    QStringList texts;
};

TEST_F(PlaylistCommandsTest, CancelledLoadLeavesEverythingAsItWas)
{
    const QString a = clip("a.wav");
    QByteArray m3u;
    for (int i = 0; i < 200000; ++i)
        m3u += a.toUtf8() + "\n";
    const QString list = mediaDir.path() + "/long.m3u";
    writeFileBytes(list, m3u);
    CancellingProgress progress;
    services.progress = &progress;
    commands =
        std::make_unique<PlaylistCommands>(state, services, mainWindow, player, &clipManager);
    // The read takes as long as it takes on this machine: the file grows until the window shows.
    for (int attempt = 0; attempt < 6 && progress.texts.isEmpty(); ++attempt) {
        if (attempt > 0) {
            m3u += m3u;
            writeFileBytes(list, m3u);
        }
        state.AllBox.setItems({QStringLiteral("/m/earlier.wav")});
        state.Tag = kModeNew;
        state.PlayFile = temporaryPlaylist();
        state.PlaylistTitle = QStringLiteral("earlier title");
        player.opened = 0;
        messages.shown.clear();
        dialogs.openAnswers = {{list}};
        commands->PlaylistLoadClick();
    }
    ASSERT_EQ(progress.texts.size(), 1);
    EXPECT_EQ(progress.texts.front(), "Reading playlist " + list);
    EXPECT_EQ(state.AllBox.items(), QStringList{QStringLiteral("/m/earlier.wav")});
    EXPECT_EQ(state.Tag, kModeNew);
    EXPECT_EQ(state.PlayFile, temporaryPlaylist());
    EXPECT_EQ(state.PlaylistTitle, QStringLiteral("earlier title"));
    EXPECT_TRUE(messages.shown.isEmpty());
    EXPECT_EQ(player.opened, 0);
}

// A progress window that stays until it is closed; counts the windows on screen.
class LastingProgress final : public ProgressWindows
{
public:
    struct Window final : ProgressWindow
    {
        explicit Window(LastingProgress& windows) : owner(windows) { ++owner.onScreen; }
        ~Window() override { --owner.onScreen; }
        void setProgress(qint64, qint64) override {}
        bool cancelled() const override { return false; }
        LastingProgress& owner;
    };
    std::unique_ptr<ProgressWindow> open(const QString&) override
    {
        ++opened;
        return std::make_unique<Window>(*this);
    }
    int opened = 0;
    int onScreen = 0;
};

TEST_F(PlaylistCommandsTest, ProgressWindowClosesBeforeTheMissingBoxAndThePlayer)
{
    const QString a = clip("a.wav");
    // One entry is missing; the others name a clip that is there, so that each costs the read
    // a look at the disk (a missing folder is looked at once per read, which is too quick).
    QByteArray m3u = mediaDir.path().toUtf8() + "/gone/0.wav\n";
    for (int i = 0; i < 100000; ++i)
        m3u += a.toUtf8() + "\n";
    const QString list = mediaDir.path() + "/long.m3u";
    LastingProgress progress;
    services.progress = &progress;
    commands =
        std::make_unique<PlaylistCommands>(state, services, mainWindow, player, &clipManager);
    QList<int> openAtBox;
    messages.onShow = [&](const auto&) { openAtBox.append(progress.onScreen); };
    int openAtPlayer = -1;
    player.during = [&](ProgramState&) { openAtPlayer = progress.onScreen; };
    // The read takes as long as it takes on this machine: the file grows until the window shows.
    for (int attempt = 0; attempt < 6 && progress.opened == 0; ++attempt) {
        if (attempt > 0)
            m3u += m3u.mid(m3u.indexOf('\n') + 1);
        writeFileBytes(list, m3u);
        openAtBox.clear();
        dialogs.openAnswers = {{list}};
        commands->PlaylistLoadClick();
    }
    ASSERT_EQ(progress.opened, 1);
    ASSERT_EQ(openAtBox.size(), 1);
    EXPECT_TRUE(messages.shown.back().text.contains(QStringLiteral("could not be found")));
    EXPECT_EQ(openAtBox.front(), 0) << "no progress window under the missing-clips box";
    EXPECT_EQ(openAtPlayer, 0) << "no progress window behind the player";
}

TEST_F(PlaylistCommandsTest, LoadCountsMissingEntriesAndRefusesAnEmptyResult)
{
    const QString list = mediaDir.path() + "/gone.asx";
    ClipList clips;
    clips.addAll({mediaDir.path() + "/missing.wav", mediaDir.path() + "/missing.wav",
                  mediaDir.path() + "/other.wav"});
    ASSERT_TRUE(WritePlaylist(clips, list, list, messages));
    dialogs.openAnswers = {{list}};
    commands->PlaylistLoadClick();
    EXPECT_EQ(messages.texts(),
              QStringList({"Warning: 3 clip(s) could not be found.\rWill play any remaining clips",
                           "Warning: No clips found!"}));
    EXPECT_EQ(messages.shown[0].kind, MessageKind::Error);
    EXPECT_EQ(player.opened, 0);
    EXPECT_EQ(mainWindow.shown, 1);
}

TEST_F(PlaylistCommandsTest, LoadOfATypedNameThatDoesNotExistShowsFileNotFound)
{
    dialogs.openAnswers = {{mediaDir.path() + "/typed.asx"}};
    commands->PlaylistLoadClick();
    EXPECT_EQ(messages.texts(), QStringList{"File not found"});
    EXPECT_EQ(player.opened, 0);
    EXPECT_EQ(mainWindow.shown, 0) << "the command stops at the error";
}

TEST_F(PlaylistCommandsTest, DeleteRemovesTheFileAndEndsTheProgram)
{
    const QString list = mediaDir.path() + "/old.asx";
    writeFileBytes(list, "<ASX>");
    dialogs.openAnswers = {{list}, {list}};
    messages.answers = {MessageResult::No, MessageResult::Yes};
    commands->PlaylistDeleteClick();
    EXPECT_TRUE(QFileInfo::exists(list)) << "No keeps the file";
    EXPECT_EQ(mainWindow.closed, 0);
    commands->PlaylistDeleteClick();
    EXPECT_FALSE(QFileInfo::exists(list));
    EXPECT_EQ(mainWindow.closed, 1);
    EXPECT_EQ(messages.texts().last(),
              "Are you sure you want to delete Playlist \"" + list + "\"?");
    EXPECT_EQ(dialogs.asked[0].filterIndex, 0);
}

// The playlist dialog keeps the filter chosen in it last: Load opens on it (also when that dialog
// was cancelled, or was Delete's), while Delete always opens on the first one.
TEST_F(PlaylistCommandsTest, LoadOpensOnTheFilterChosenLastAndDeleteOnTheFirst)
{
    EXPECT_EQ(dialogs.lastFilterIndex(), -1);
    dialogs.filterAnswers = {1, 1, 0, 1};
    commands->PlaylistLoadClick();   // opens on ASX, m3u chosen, cancelled
    commands->PlaylistLoadClick();   // opens on m3u, kept, cancelled
    commands->PlaylistDeleteClick(); // opens on ASX whatever was chosen, ASX kept, cancelled
    commands->PlaylistLoadClick();   // opens on ASX, m3u chosen
    commands->PlaylistDeleteClick();
    commands->PlaylistLoadClick(); // Delete's dialog was left on ASX
    ASSERT_EQ(dialogs.asked.size(), 6);
    QList<int> opened;
    for (const FileDialogSpec& spec : dialogs.asked)
        opened.append(spec.filterIndex);
    EXPECT_EQ(opened, QList<int>({0, 1, 0, 0, 0, 0}));
}

TEST_F(PlaylistCommandsTest, DeleteOfAMissingFileShowsTheErrorAndKeepsRunning)
{
    dialogs.openAnswers = {{mediaDir.path() + "/typed.asx"}};
    messages.answers = {MessageResult::Yes};
    commands->PlaylistDeleteClick();
    EXPECT_EQ(messages.texts().last(), "File not found");
    EXPECT_EQ(mainWindow.closed, 0);
}

} // namespace

TEST_F(PlaylistCommandsTest, PlayingAPlaylistFileLoadsItAndGoesAtOnceWithoutADialog)
{
    const QString a = clip("a.wav");
    const QString list = mediaDir.path() + "/Lists/handed.asx";
    QDir().mkpath(mediaDir.path() + "/Lists");
    ClipList clips;
    clips.addAll({a, mediaDir.path() + "/missing.wav"});
    ASSERT_TRUE(WritePlaylist(clips, list, list, messages));

    commands->playPlaylistFile(list);

    EXPECT_TRUE(dialogs.asked.isEmpty()) << "no dialog: the file was named";
    EXPECT_EQ(player.openedWithGo, 1);
    EXPECT_EQ(player.clipsSeen, QStringList{a});
    EXPECT_EQ(player.tagSeen, kModeLoad);
    EXPECT_EQ(state.PlaylistTitle, list);
    EXPECT_EQ(state.ListFolder, mediaDir.path() + "/Lists");
    EXPECT_EQ(messages.texts(),
              QStringList{"Warning: 1 clip(s) could not be found.\rWill play any remaining clips"})
        << "missing clips are counted and warned about as in Load";
    EXPECT_EQ(mainWindow.shown, 1);

    commands->playPlaylistFile(mediaDir.path() + "/nothing-here.asx");
    EXPECT_EQ(messages.texts().last(), "File not found");
    EXPECT_EQ(player.openedWithGo, 1);
}

TEST_F(PlaylistCommandsTest, AnInstalledCopyProposesAndMakesTheUserPlaylistFolder)
{
    state.PlaylistFolder = mediaDir.path() + "/Music/Playlists/";
    commands->setDialogFolders(QStringLiteral("/start/clips"), state.PlaylistFolder);
    const QString b = clip("b.wav"), a = clip("a.wav");
    dialogs.openAnswers = {{b, a}};
    messages.answers = {MessageResult::Yes};
    dialogs.saveAnswers = {QString()};

    commands->PlaylistNewClick();

    ASSERT_EQ(dialogs.asked.size(), 2);
    EXPECT_EQ(dialogs.asked[1].initialFolder, state.PlaylistFolder)
        << "never the hidden program folder";
    EXPECT_TRUE(QFileInfo(state.PlaylistFolder).isDir()) << "made on first use";

    dialogs.openAnswers = {{}};
    commands->PlaylistLoadClick();
    EXPECT_EQ(dialogs.asked.last().initialFolder, state.PlaylistFolder);
}

// Files and folders dropped on the main window.
class PlaylistDropTest : public PlaylistCommandsTest
{
protected:
    QString file(const QString& relative, const QByteArray& bytes = "RIFF")
    {
        const QString path = mediaDir.path() + u'/' + relative;
        QDir().mkpath(QFileInfo(path).path());
        writeFileBytes(path, bytes);
        return path;
    }
};

TEST_F(PlaylistDropTest, FolderStartsNewWithTheMediaFilesBelowItSortedAndItselfAsSourceFolder)
{
    const QString root = mediaDir.path() + QStringLiteral(u"/Dropped Music \u00e9t\u00e9");
    const QString top = file(QStringLiteral(u"Dropped Music \u00e9t\u00e9/Zebra 100%.MP3"));
    const QString nested = file(QStringLiteral(u"Dropped Music \u00e9t\u00e9/A b/c d/Song.ogg"));
    const QString picture = file(QStringLiteral(u"Dropped Music \u00e9t\u00e9/A b/Cover.JPEG"));
    file(QStringLiteral(u"Dropped Music \u00e9t\u00e9/A b/notes.txt"));
    file(QStringLiteral(u"Dropped Music \u00e9t\u00e9/A b/list.m3u"));
    file(QStringLiteral(u"Dropped Music \u00e9t\u00e9/no extension"));
    file(QStringLiteral(u"Dropped Music \u00e9t\u00e9/.thumbnails/hidden.jpg"));
    file(QStringLiteral(u"Dropped Music \u00e9t\u00e9/.hidden.mp3"));
    // A link back up the tree is searched once, not forever.
    ASSERT_EQ(::symlink(QFile::encodeName(root).constData(),
                        QFile::encodeName(root + QStringLiteral("/A b/loop")).constData()),
              0);
    state.LeftBox = {QStringLiteral("old.wav")};
    player.pressGo = false;

    commands->PlaylistDropped({root + u'/'});

    EXPECT_EQ(player.opened, 1);
    EXPECT_EQ(player.tagSeen, kModeNew);
    EXPECT_EQ(player.playFileSeen, temporaryPlaylist());
    EXPECT_EQ(player.clipsSeen, QStringList({nested, picture, top}))
        << player.clipsSeen.join(u'\n').toStdString();
    EXPECT_EQ(state.SourceFolder, root) << "the dropped folder itself, without trailing slash";
    EXPECT_EQ(state.ClipFolder, root);
    EXPECT_TRUE(state.LeftBox.isEmpty());
    EXPECT_EQ(messages.texts(), QStringList{"Save Playlist?"});
    EXPECT_TRUE(dialogs.asked.isEmpty()) << "a drop never shows the clip dialog";
}

TEST_F(PlaylistDropTest, FilesAndFoldersTogetherTakeFilesAsTheyAreAndTheFirstItemsFolder)
{
    const QString loose = file(QStringLiteral("Loose/readme.txt"));
    const QString clipFile = file(QStringLiteral("Loose/b.wav"));
    const QString inFolder = file(QStringLiteral("Album/Track.flac.mp3"));
    file(QStringLiteral("Album/Track.flac"));
    const QString playlist = file(QStringLiteral("Loose/Mix.xspf"));
    player.pressGo = false;

    commands->PlaylistDropped(
        {clipFile, mediaDir.path() + QStringLiteral("/Album"), loose, playlist});

    EXPECT_EQ(player.clipsSeen, QStringList({inFolder, clipFile, loose}))
        << "a file dropped by itself is taken as the clip dialog takes a picked one; a playlist "
           "among other items is no clip";
    EXPECT_EQ(state.SourceFolder, mediaDir.path() + QStringLiteral("/Loose"));
}

TEST_F(PlaylistDropTest, SinglePlaylistLoadsAsLoadDoes)
{
    const QString a = file(QStringLiteral("Lists/a.wav"));
    const QString list = file(QStringLiteral("Lists/Party Mix.M3U8"), "#EXTM3U\na.wav\n");
    state.SourceFolder = QStringLiteral("/kept");
    state.LeftBox = {QStringLiteral("kept.wav")};

    commands->PlaylistDropped({list});

    EXPECT_EQ(player.opened, 1);
    EXPECT_EQ(player.openedWithGo, 0) << "the player waits for Go, as after Load";
    EXPECT_EQ(player.clipsSeen, QStringList{a});
    EXPECT_EQ(player.tagSeen, kModeLoad);
    EXPECT_EQ(state.ListFolder, mediaDir.path() + QStringLiteral("/Lists"));
    EXPECT_EQ(state.SourceFolder, "/kept");
    EXPECT_EQ(state.LeftBox, QStringList{"kept.wav"});
    EXPECT_TRUE(dialogs.asked.isEmpty());
}

TEST_F(PlaylistDropTest, FolderWithoutMediaSaysSoAndOpensNothing)
{
    file(QStringLiteral("Docs/a.txt"));
    file(QStringLiteral("Docs/sub/b.pdf"));
    state.Tag = kModeLoad;

    commands->PlaylistDropped({mediaDir.path() + QStringLiteral("/Docs")});

    EXPECT_EQ(player.opened, 0);
    EXPECT_EQ(messages.texts(), QStringList{"Warning: No clips found!"});
    EXPECT_EQ(state.Tag, kModeLoad) << "nothing of New has happened";
}

TEST(PlaylistFileNames, ThePlaylistFormatsInAnyCase)
{
    for (const char* name : {"/a/b.asx", "/a/b.M3U", "/a/b.m3u8", "/a/b.Pls", "/a/b.XSPF",
                             "/a/b.wpl", "/a/b.WAX", "/a/b.wvx", "/a/b.wmx", "/a/b.vlc"})
        EXPECT_TRUE(isPlaylistFileName(QString::fromUtf8(name))) << name;
    for (const char* name :
         {"/a/b.mp3", "/a/asx", "/a.asx/b", "/a/b.asx.txt", "/a/b.m3u9", "/a/b.asf", "/a/b.wma"})
        EXPECT_FALSE(isPlaylistFileName(QString::fromUtf8(name))) << name;
}

// Load and a dropped folder look at every clip on its drive; on a network drive that stalls
// the windows go on meanwhile (a timer of the GUI thread fires while the drive does not answer).
TEST_F(PlaylistCommandsTest, LoadAndDropNeverWaitOnAStalledDriveInTheGuiThread)
{
    test::TestDrive drive;
    const QString problem = drive.mount(test::TestDrive::Kind::Sshfs,
                                        QFile::encodeName(mediaDir.path()) + "/nas-drive");
    if (!problem.isEmpty())
        GTEST_SKIP() << problem.toStdString();
    const QString onDrive = QFile::decodeName(drive.root());
    const QString list = mediaDir.path() + "/nas.m3u";
    const std::function<void()> commandsOf[] = {
        [&] {
            dialogs.openAnswers = {{list}};
            commands->PlaylistLoadClick();
        },
        [&] { commands->PlaylistDropped({onDrive + "/dropped"}); },
    };
    int round = 0;
    for (const auto& command : commandsOf) {
        // Clips the drive has not seen yet: each look at one goes to the stalled server.
        const QByteArray folder = drive.serverFolder() + "/dropped";
        QDir().mkpath(QFile::decodeName(folder));
        const QString name = QStringLiteral("clip%1.wav").arg(++round);
        writeFileBytes(QFile::decodeName(folder) + u'/' + name, "RIFF");
        writeFileBytes(list, (onDrive + "/dropped/" + name + "\n").toUtf8());
        ASSERT_TRUE(drive.stall(true));
        bool guiRan = false;
        QTimer::singleShot(300, [&] {
            guiRan = true;
            drive.stall(false);
        });
        // Should the GUI thread wait on the drive, the drive comes back after a while anyway.
        std::thread rescue([&] {
            QThread::msleep(3000);
            drive.stall(false);
        });
        player.opened = 0;
        command();
        rescue.join();
        EXPECT_TRUE(guiRan) << "round " << round;
        EXPECT_EQ(player.opened, 1) << "round " << round;
        EXPECT_TRUE(player.clipsSeen.contains(onDrive + "/dropped/" + name)) << "round " << round;
    }
}
