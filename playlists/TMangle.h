#pragma once

#include "platform/Services.h"
#include "playlists/ClipList.h"

#include <QDialog>
#include <QString>

class QLabel;
class QListWidget;
class QPushButton;

namespace vantoro {

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
    // caption and reads it; clips whose files are gone are left out silently. Answers false
    // when the user cancelled or the playlist could not be read (its error box has been shown).
    bool FormCreate();

    // The path under which OK saves a playlist opened at `path`: its extension replaced by
    // ".asx", so an M3U playlist is saved as a new ASX file beside it. An extension that is
    // "asx" in any letter case is kept, so that the opened file itself is updated.
    static QString savePathFor(const QString& path);

    // The editor's entries, in the order shown.
    const ClipList& entries() const { return m_list; }
    QString playlistPath() const { return m_playlistPath; }

    void ButtonAddClick();
    void ButtonDeleteClick();
    // Shared by Move Up and Move Down; `sender` is the button pressed.
    void ButtonUpClick(QObject* sender);
    void ButtonSortClick();
    void ButtonOKClick();
    void BitBtn1Click();

    QLabel* Label1 = nullptr;
    QListWidget* ListBox1 = nullptr;
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
    // Shows the entries again and selects `row` (-1: nothing).
    void showEntries(int row);
    int runModal(QDialog& dialog);

    ProgramState& m_state;
    Services m_services;
    QString m_clipDialogFolder;
    QString m_playlistPath;
    ClipList m_list;
};

} // namespace vantoro
