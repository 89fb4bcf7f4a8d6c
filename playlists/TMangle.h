#pragma once

#include "platform/Services.h"
#include "playlists/ClipList.h"

#include <QDialog>
#include <QString>

class QLabel;
class QListView;
class QPushButton;

namespace vantoro {

class ClipListModel;
struct ProgramState;

// The playlist editor: the user picks a saved playlist, adds clips to it, removes clips
// (optionally sending their files to the Trash), moves and sorts them, and saves the result as
// an ASX playlist. The editor works on its own copy of the entries; the playlist file changes
// only on OK.
//
// Lifetime: one editor per Edit click (PlaylistEdit), released when it closes. FormCreate picks
// and reads the playlist before the window is shown; when it answers false the editor must be
// released without ever being shown.
//
// The shared clip list AllBox is overwritten when the playlist is read and again on OK; it is
// not restored afterwards.
//
// Entries whose files are not there when the playlist is read (an unplugged drive, a share not
// mounted) are not listed, but they are not lost: the editor says so as it opens, and OK asks
// whether to keep them, writing them back after the listed clips.
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
    // caption and reads it. Entries whose files are gone are left out of the list and kept
    // aside for OK; a box tells how many. Answers false when the user cancelled or the playlist
    // could not be read (its error box has been shown).
    bool FormCreate();

    // The path under which OK saves a playlist opened at `path`: its extension replaced by
    // ".asx", so an M3U playlist is saved as a new ASX file beside it. An extension that is
    // "asx" in any letter case is kept, so that the opened file itself is updated.
    static QString savePathFor(const QString& path);

    // The editor's entries, in the order shown.
    const ClipList& entries() const;
    QString playlistPath() const { return m_playlistPath; }
    // The entries of the playlist whose files were not found as it was read, in file order.
    const QStringList& missingEntries() const { return m_missing; }

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

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildControls();
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
    QStringList m_missing;
};

} // namespace vantoro
