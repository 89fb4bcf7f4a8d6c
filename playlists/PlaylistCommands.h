#pragma once

#include "platform/Services.h"
#include "playlists/PlaylistCommandHandler.h"

#include <QString>

namespace vantoro {

class ClipManagerOpener;
class MainWindowControl;
class PlayerOpener;
struct PlayerResult;
struct ProgramState;

// New, Load and Delete of the main window's playlist box: pick clips or a playlist, fill the
// clip list, hand over to the player, then save the new playlist or pass the marked clips on.
class PlaylistCommands final : public PlaylistCommandHandler
{
public:
    PlaylistCommands(ProgramState& state, const Services& services, MainWindowControl& mainWindow,
                     PlayerOpener& player, ClipManagerOpener* clipManager);

    // Initial folders of the clip dialog and the playlist dialog (fixed at start-up).
    void setDialogFolders(const QString& clipFolder, const QString& listFolder);

    void PlaylistNewClick() override;
    void PlaylistLoadClick() override;
    void PlaylistDeleteClick() override;
    // A single playlist file (see isPlaylistFileName) is loaded as Load loads a picked one.
    // Anything else starts New with the clips the paths stand for (clipsOfDroppedPaths) as if
    // they had been picked in the clip dialog; the source folder is the first item's folder, or
    // the first item itself when that is a folder.
    void PlaylistDropped(const QStringList& paths) override;

    // Load with `path` instead of a picked file, then Go at once: what opening a playlist from
    // the file manager (or the command line) does.
    void playPlaylistFile(const QString& path);

    // The folder part of a path, without trailing '/'; the root keeps its '/'.
    static QString folderOf(const QString& path);
    // A name without any extension gets ".asx"; any other name is kept.
    static QString withPlaylistExtension(const QString& name);

    // Where playlist dialogs start and new playlists are proposed (see ProgramState).
    QString playlistFolder() const;
    // `folder`, made first when it is the playlist folder and does not exist yet.
    QString playlistDialogFolder(const QString& folder) const;

private:
    // Answers false when the command must stop (the power-off outcome has been handled).
    bool afterPlayer(const PlayerResult& result);
    // New from its step after the clip dialog, with `clips` picked in `sourceFolder`.
    void startNew(const QStringList& clips, const QString& sourceFolder);
    void saveNewPlaylist(bool playlistWritten);
    void loadPlaylist(const QString& path, bool goAtOnce);
    void rememberListDialogFilter();

    ProgramState& m_state;
    Services m_services;
    MainWindowControl& m_mainWindow;
    PlayerOpener& m_player;
    ClipManagerOpener* m_clipManager;
    QString m_clipDialogFolder;
    QString m_listDialogFolder;
    int m_listDialogFilter = 0; // the playlist dialog's filter chosen last
};

} // namespace vantoro
