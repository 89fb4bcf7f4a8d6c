#pragma once

#include "platform/Services.h"
#include "playlists/ClipList.h"

#include <QDialog>
#include <QString>

class QLabel;
class QListView;
class QProgressBar;
class QPushButton;
class QTimer;

namespace vantoro {

class ClipListModel;
class PlaylistLoader;
struct ProgramState;

// The playlist editor: the user picks a saved playlist, adds clips to it, removes clips
// (optionally sending their files to the Trash), moves and sorts them, and saves the result as
// an ASX playlist. The editor works on its own copy of the entries; the playlist file changes
// only on OK.
//
// Lifetime: one editor per Edit click (PlaylistEdit), released when it closes. FormCreate picks
// and opens the playlist before the window is shown; when it answers false the editor must be
// released without ever being shown. The playlist is read on a worker thread (PlaylistLoader)
// while the editor shows, with the read's progress under the list; every command but Cancel
// waits for the read, and Cancel (or Escape, or the close box) stops it and closes the editor.
//
// The shared clip list AllBox is overwritten when the playlist has been read and again on OK;
// it is not restored afterwards.
//
// Entries whose files are not there when the playlist is read (an unplugged drive, a share not
// mounted) are listed greyed and marked as missing, where they stood in the file, and can be
// deleted or moved like any other; a box says how many as the list fills. OK asks whether to
// keep those still listed (Yes writes each where it stands in the list, No leaves them out,
// Cancel writes nothing and keeps the editor open).
//
// The list is a view of a ClipListModel: a move, a removal or an addition is one row's change,
// so the editor answers at once also with a hundred thousand entries. The selected row is
// always the framed (current) one.
class TMangle final : public QDialog
{
    Q_OBJECT

public:
    // Tag of the Move Down button: the shared move handler moves down for it, up otherwise.
    static constexpr int kMoveDownTag = 69;

    // `clipDialogFolder`: the initial folder of the main window's clip dialog.
    TMangle(ProgramState& state, const Services& services, QString clipDialogFolder,
            QWidget* parent = nullptr);

    // The main window's Edit command: creates the editor, opens a playlist, shows the editor
    // modally (through the modal-window service) and releases it. Answers QDialog::Accepted
    // after a saved playlist, QDialog::Rejected otherwise (also when never shown).
    static int PlaylistEdit(ProgramState& state, const Services& services,
                            const QString& clipDialogFolder, QWidget* parent);

    // Opening: asks for the playlist ("Select Playlist to Modify"), adds its path to the
    // caption, opens it and starts reading it. Answers false when the user cancelled or the
    // playlist could not be opened (its error box has been shown).
    bool FormCreate();
    // Whether the playlist is still being read.
    bool reading() const;

    // The path under which OK saves a playlist opened at `path`: its extension replaced by
    // ".asx", so an M3U playlist is saved as a new ASX file beside it. An extension that is
    // "asx" in any letter case is kept, so that the opened file itself is updated.
    static QString savePathFor(const QString& path);

    // The editor's entries, in the order shown, the missing ones included.
    const ClipList& entries() const;
    QString playlistPath() const { return m_playlistPath; }

    // Adds clips as Add does with the paths picked in its dialog: a path already listed
    // (exactly; another letter case is another file) is skipped, as is a repeat within
    // `paths`; each goes to the end, or to its sorted place while the list is sorted. The
    // selected clip stays selected. With `beforeRow` (a drop on the list), an unsorted list
    // takes them before that row instead of at the end.
    void addClips(const QStringList& paths, int beforeRow = -1);

    void ButtonAddClick();
    void ButtonDeleteClick();
    // Shared by Move Up and Move Down; `sender` is the button pressed.
    void ButtonUpClick(QObject* sender);
    void ButtonSortClick();
    void ButtonOKClick();
    void BitBtn1Click();

    QLabel* Label1 = nullptr;
    QListView* ListBox1 = nullptr;
    QPushButton* ButtonAdd = nullptr;
    QPushButton* ButtonDelete = nullptr;
    QPushButton* ButtonUp = nullptr;
    QPushButton* ButtonDown = nullptr;
    QPushButton* ButtonSort = nullptr;
    QPushButton* ButtonOK = nullptr;
    QPushButton* BitBtn1 = nullptr;
    // The read's progress, under the list while the playlist is read.
    QLabel* ReadLabel = nullptr;
    QProgressBar* ReadProgress = nullptr;

public Q_SLOTS:
    // Cancel, Escape and the close box: also stops a read still running.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildControls();
    // While reading, only Cancel works and the progress shows.
    void setReading(bool on);
    void showReadProgress();
    void readEnded();
    // The selected entry, or -1.
    int selectedIndex() const;
    // Selects `row` and makes it the current one, or clears both for -1.
    void selectRow(int row);
    // Widens the common row size, when needed, to fit the widest of `paths`.
    void fitRowSize(const QStringList& paths);
    // Whether OK may write `target`: another file of that name is replaced only when the user
    // says so.
    bool mayReplace(const QString& target);
    int runModal(QDialog& dialog);

    ProgramState& m_state;
    Services m_services;
    QString m_clipDialogFolder;
    QString m_playlistPath;
    ClipListModel* m_model = nullptr;
    PlaylistLoader* m_loader = nullptr;
    QTimer* m_progressTimer = nullptr;
};

} // namespace vantoro
