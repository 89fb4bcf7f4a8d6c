#pragma once

#include "platform/Services.h"
#include "playlists/PlayerOpener.h"
#include "playlists/ProgramState.h"

#include <QList>
#include <QWidget>

#include <functional>

class QDragEnterEvent;
class QDragLeaveEvent;
class QDragMoveEvent;
class QDropEvent;
class QFrame;
class QMimeData;
class QGroupBox;
class QPlainTextEdit;
class QPushButton;

namespace vantoro {

class PlaylistCommandHandler;
class Settings;
class TXJustOne;
class THtmlTextView;

// The main window: the playlist commands, the link and help buttons, the guide panel, and the
// program-wide state that every other window shares by reference.
class TForm1 final : public QWidget, public MainWindowControl
{
    Q_OBJECT

public:
    explicit TForm1(const Services& services, QWidget* parent = nullptr);
    ~TForm1() override;

    ProgramState& state() { return m_state; }
    const Services& services() const { return m_services; }

    // The playlist box's commands; not owned. Until one is set the four buttons do nothing.
    void setPlaylistCommands(PlaylistCommandHandler* commands) { m_commands = commands; }
    // The playlist editor, opened by the Edit button.
    void setPlaylistEditor(std::function<void()> edit) { m_editPlaylist = std::move(edit); }

    // Start-up: guide text, state, settings, dialog folders, playback-engine check, random seed.
    void FormCreate();
    // The playback-engine check of start-up. FormCreate runs it unless it is deferred, in which
    // case the owner calls it once the engine's answer is known (the engine loads in the
    // background, so the window can show meanwhile). It does nothing when start-up ended early.
    void setMediaCheckDeferred(bool deferred) { m_mediaCheckDeferred = deferred; }
    void checkMediaPlayer();
    // Removes, off the GUI thread, the temporaries that a save killed mid-way left in the folders
    // the program writes to (empty and repeated folders skipped), once per start. FormCreate
    // starts it unless it is deferred, in which case the owner calls it when the window is on the
    // screen: the sweep reads whole folders, and the first paint need not share the disk with it.
    void setSweepDeferred(bool deferred) { m_sweepDeferred = deferred; }
    void sweepStaleTemporaries();
    // Writes the settings; runs whenever the window closes.
    void FormClose();
    // Closes the window on a termination request (logout, shutdown, kill). The settings are
    // written as at every close, but a failure is reported on stderr instead of in a box: nobody
    // is there to click, and the session would wait for the program.
    void closeOnTermination();

    // Initial folders of the clip dialog and the playlist dialog, fixed at start-up.
    QString OpenDialog1InitialDir() const { return m_openDialog1Folder; }
    QString OpenDialog2InitialDir() const { return m_openDialog2Folder; }

    static QString guideHtml();
    // The guide's HTML source, one line of source per line, in a hidden text box. Nothing on the
    // screen needs it: it is made when first asked for.
    QPlainTextEdit* Memo1();

    void showMainWindow() override;
    void closeMainWindow() override;

    // Controls, by their design names (for the commands and for tests).
    THtmlTextView* MemoGuide = nullptr;
    QFrame* Bevel1 = nullptr;
    QGroupBox* PlayListBox = nullptr;
    QPushButton* PlaylistNew = nullptr;
    QPushButton* PlaylistLoad = nullptr;
    QPushButton* PlaylistEdit = nullptr;
    QPushButton* PlaylistDelete = nullptr;
    QPushButton* BitBtn7 = nullptr;
    QPushButton* BitBtn9 = nullptr;
    QPushButton* ExitButton = nullptr;
    QPushButton* BitBtn10 = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QPushButton* BitBtn2 = nullptr;
    QPushButton* BitBtn3 = nullptr;
    QPushButton* BitBtn4 = nullptr;
    QPushButton* BitBtn6 = nullptr;
    QPushButton* BitBtn8 = nullptr;
    QPushButton* BitBtn5 = nullptr;
    TXJustOne* XJustOne1 = nullptr;

public Q_SLOTS:
    void PlaylistNewClick();
    void PlaylistLoadClick();
    void PlaylistEditClick();
    void PlaylistDeleteClick();
    void ExitButtonClick();
    void BitBtn1Click();
    void BitBtn2Click();
    void BitBtn3Click();
    void BitBtn4Click();
    void BitBtn5Click();
    void BitBtn6Click();
    void BitBtn7Click();
    void BitBtn8Click();
    void BitBtn9Click();
    void BitBtn10Click();

protected:
    void closeEvent(QCloseEvent* event) override;
    // Files, folders and playlists dropped from a file manager start New or Load; anything that
    // is not a local file, and any drop while a modal window is open, is refused.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // Places the seven shop buttons in one row across GroupBox1, each wide enough for its
    // caption.
    void placeShopButtons(const QList<QPushButton*>& buttons);
    void buildControls();
    void openTarget(const QString& target);
    // The paths a drag carries when this window takes it now; empty when it is refused.
    QStringList acceptableDrop(const QMimeData* mime) const;

    Services m_services;
    ProgramState m_state;
    QPlainTextEdit* m_memo1 = nullptr;
    PlaylistCommandHandler* m_commands = nullptr;
    std::function<void()> m_editPlaylist;
    QStringList m_draggedPaths; // of the drag over the window, read as it came in
    bool m_mediaCheckDeferred = false;
    bool m_sweepDeferred = false;
    QStringList m_sweepFolders; // of the sweep that FormCreate left to do
    bool m_terminating = false;
    bool m_mediaCheckDue = false;
    QString m_openDialog1Folder;
    QString m_openDialog2Folder;
};

} // namespace vantoro
