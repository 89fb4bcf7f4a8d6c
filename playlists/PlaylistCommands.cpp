#include "playlists/PlaylistCommands.h"

#include "fileops/IoError.h"
#include "platform/FileDialogs.h"
#include "platform/FileSystem.h"
#include "platform/MainWindowDialogs.h"
#include "platform/MessageBoxes.h"
#include "platform/ProgramFolder.h"
#include "playlists/BackgroundWork.h"
#include "playlists/DelayedProgress.h"
#include "playlists/DroppedClips.h"
#include "playlists/PlayerOpener.h"
#include "playlists/PlaylistFiles.h"
#include "playlists/ProgramState.h"

#include <QFileInfo>

#include <optional>

namespace vantoro {

namespace {

const QString kTemporaryPlaylistName = QStringLiteral("playlist.tmp");

} // namespace

PlaylistCommands::PlaylistCommands(ProgramState& state, const Services& services,
                                   MainWindowControl& mainWindow, PlayerOpener& player,
                                   ClipManagerOpener* clipManager)
    : m_state(state), m_services(services), m_mainWindow(mainWindow), m_player(player),
      m_clipManager(clipManager)
{}

void PlaylistCommands::setDialogFolders(const QString& clipFolder, const QString& listFolder)
{
    m_clipDialogFolder = clipFolder;
    m_listDialogFolder = listFolder;
}

QString PlaylistCommands::folderOf(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    if (slash < 0)
        return QString();
    if (slash == 0)
        return QStringLiteral("/");
    return path.left(slash);
}

QString PlaylistCommands::withPlaylistExtension(const QString& name)
{
    const QString fileName = name.mid(name.lastIndexOf(u'/') + 1);
    if (fileName.contains(u'.'))
        return name;
    return name + QStringLiteral(".asx");
}

QString PlaylistCommands::playlistFolder() const
{
    return m_state.PlaylistFolder.isEmpty() ? m_state.ProgramFolder : m_state.PlaylistFolder;
}

QString PlaylistCommands::playlistDialogFolder(const QString& folder) const
{
    // The user's playlist folder is made the first time a dialog opens in it; a folder that
    // cannot be made leaves the dialog to start where the platform chooses.
    if (!folder.isEmpty() && folder == playlistFolder())
        makeFolderPath(folder);
    return folder;
}

bool PlaylistCommands::afterPlayer(const PlayerResult& result)
{
    switch (result.outcome) {
    case PlayerOutcome::Closed:
        return true;
    case PlayerOutcome::ShutdownRequested:
        // The computer is going down: end normally, so the settings are saved.
        m_mainWindow.closeMainWindow();
        return false;
    case PlayerOutcome::ShutdownFailed:
        // The failure has been reported; never leave the program running without a window.
        m_mainWindow.showMainWindow();
        return false;
    }
    return true;
}

void PlaylistCommands::PlaylistNewClick()
{
    const QStringList picked =
        m_services.fileDialogs->openFiles(openDialog1Spec(m_clipDialogFolder));
    if (picked.isEmpty())
        return;
    startNew(picked, folderOf(picked.first()));
}

void PlaylistCommands::PlaylistDropped(const QStringList& paths)
{
    if (paths.isEmpty())
        return;
    const QString& first = paths.first();
    // A dropped folder on a slow or stalled drive is searched off the GUI thread.
    bool firstIsFolder = false;
    QStringList clips;
    const bool cancelled = runInBackground(
        *m_services.messages, m_services.progress, QStringLiteral("Searching for clips"),
        [&](MessageBoxes&, DelayedProgress* progress) {
            firstIsFolder = QFileInfo(first).isDir();
            if (paths.size() == 1 && !firstIsFolder && isPlaylistFileName(first))
                return;
            int folders = 0;
            clips = clipsOfDroppedPaths(
                paths, [&] { return progress == nullptr || progress->update(++folders, 0); });
        });
    if (cancelled)
        return;
    if (paths.size() == 1 && !firstIsFolder && isPlaylistFileName(first)) {
        loadPlaylist(first, false);
        return;
    }
    if (clips.isEmpty()) {
        m_services.messages->error(QStringLiteral("Warning: No clips found!"));
        return;
    }
    QString sourceFolder = firstIsFolder ? first : folderOf(first);
    while (sourceFolder.size() > 1 && sourceFolder.endsWith(u'/'))
        sourceFolder.chop(1);
    startNew(clips, sourceFolder);
}

void PlaylistCommands::startNew(const QStringList& clips, const QString& sourceFolder)
{
    m_state.Tag = kModeNew;
    m_state.SourceFolder = sourceFolder;
    m_state.ClipFolder = m_state.SourceFolder;
    m_state.PlayFile = m_state.ProgramFolder + kTemporaryPlaylistName;
    m_state.PlaylistTitle = m_state.PlayFile;
    m_state.LeftBox.clear();
    m_state.AllBox.clear();
    m_state.AllBox.setSorted(false);
    m_state.PathLeft.clear();
    // Names typed into the dialog are taken as they are, existing or not.
    m_state.AllBox.addAll(clips);
    m_state.AllBox.setSorted(true);

    const PlayerResult result = m_player.OpenPlayer();
    if (!afterPlayer(result))
        return;

    if (m_state.LeftBox.isEmpty() && m_state.AllBox.count() >= 2 &&
        m_services.messages->askYesNo(QStringLiteral("Save Playlist?"))) {
        saveNewPlaylist(result.playlistWritten);
    }
    if (!m_state.LeftBox.isEmpty() && m_clipManager)
        m_clipManager->OpenClipManager();
    m_mainWindow.showMainWindow();
}

void PlaylistCommands::saveNewPlaylist(bool playlistWritten)
{
    const QString chosen =
        m_services.fileDialogs->saveFile(saveDialog1Spec(playlistDialogFolder(playlistFolder())));
    if (chosen.isEmpty())
        return;
    const QString target = withPlaylistExtension(chosen);
    if (!playlistWritten) {
        // The player was closed before Go: the temporary playlist is stale or missing, so the
        // clip list itself is saved, titled as a copy of the temporary playlist would be.
        WritePlaylist(m_state.AllBox, target, m_state.PlayFile, *m_services.messages);
        return;
    }
    // A failing copy is reported: the user must not believe a playlist saved that is not.
    if (const int error = copyFileReplacing(m_state.PlayFile, target))
        m_services.messages->error(ioErrorText(error));
}

void PlaylistCommands::PlaylistLoadClick()
{
    // The playlist dialog opens on the filter chosen in it last, by Load or by Delete.
    FileDialogSpec spec = openDialog2Spec(playlistDialogFolder(m_listDialogFolder));
    spec.filterIndex = m_listDialogFilter;
    const QStringList chosen = m_services.fileDialogs->openFiles(spec);
    rememberListDialogFilter();
    if (chosen.isEmpty())
        return;
    loadPlaylist(chosen.first(), false);
}

void PlaylistCommands::playPlaylistFile(const QString& path)
{
    loadPlaylist(path, true);
}

void PlaylistCommands::loadPlaylist(const QString& path, bool goAtOnce)
{
    const int previousTag = m_state.Tag;
    const QString previousPlayFile = m_state.PlayFile;
    const QString previousTitle = m_state.PlaylistTitle;
    m_state.ListFolder = folderOf(path);
    m_state.Tag = kModeLoad;
    m_state.PlayFile = path;
    m_state.PlaylistTitle = path;
    // The read looks up every clip: on a slow network drive that takes a round trip each, so
    // it runs off the GUI thread, into a copy of the list, while the windows stay alive.
    ClipList read = m_state.AllBox;
    std::optional<int> missing;
    const bool cancelled = runInBackground(*m_services.messages, m_services.progress,
                                           QStringLiteral("Reading playlist %1").arg(path),
                                           [&](MessageBoxes& boxes, DelayedProgress* progress) {
                                               missing = ReadPlaylist(read, path, boxes, progress);
                                           });
    m_state.AllBox = std::move(read);
    if (cancelled) {
        // Nothing was loaded: the clip list and the playlist it came from stay as they were.
        m_state.Tag = previousTag;
        m_state.PlayFile = previousPlayFile;
        m_state.PlaylistTitle = previousTitle;
    }
    if (!missing)
        return;
    if (*missing > 0) {
        m_services.messages->error(QStringLiteral("Warning: %1 clip(s) could not be found.\r"
                                                  "Will play any remaining clips")
                                       .arg(*missing));
    }
    m_state.PlayFile = m_state.ProgramFolder + kTemporaryPlaylistName;
    if (m_state.AllBox.isEmpty()) {
        m_services.messages->error(QStringLiteral("Warning: No clips found!"));
    } else if (!afterPlayer(goAtOnce ? m_player.OpenPlayerAndGo() : m_player.OpenPlayer())) {
        return;
    }
    m_mainWindow.showMainWindow();
}

void PlaylistCommands::rememberListDialogFilter()
{
    if (const int chosen = m_services.fileDialogs->lastFilterIndex(); chosen >= 0)
        m_listDialogFilter = chosen;
}

void PlaylistCommands::PlaylistDeleteClick()
{
    FileDialogSpec spec = openDialog2Spec(playlistDialogFolder(m_listDialogFolder));
    spec.filterIndex = 0;
    const QStringList chosen = m_services.fileDialogs->openFiles(spec);
    rememberListDialogFilter();
    if (chosen.isEmpty())
        return;
    const QString path = chosen.first();
    if (!m_services.messages->askYesNo(
            QStringLiteral("Are you sure you want to delete Playlist \"%1\"?").arg(path)))
        return;
    if (const int error = deleteFilePermanently(path)) {
        m_services.messages->error(ioErrorText(error));
        return;
    }
    m_mainWindow.closeMainWindow();
}

} // namespace vantoro
