#pragma once

#include "platform/FileDialogs.h"
#include "platform/Services.h"

#include <QDialog>
#include <QString>
#include <QStringList>

class QButtonGroup;
class QGroupBox;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace vantoro {

struct ProgramState;
class TKxFolderDialog;
class TShellFileOp;
class UndoStack;
struct ClipAction;

// The clip manager ("Media File Manager"): acts on the clips marked while a new playlist played.
// The user moves clips from the left list ("Available Marked clips") into the right list (the
// "Action Box"), picks one of five actions and presses Go: the clips are sent to the Trash,
// copied or moved to a folder through the file-operation engine, or added to an existing or a new
// playlist through the clip list AllBox.
//
// Each visible list has a hidden path list of the same length beside it (LeftBox/PathLeft,
// RightBox/PathRight), changed together; the visible lists show file names, every action works
// on the paths.
//
// Created fresh for each showing and destroyed when it closes (ClipManagerWindowOpener). The
// marked-clip list of the program state is copied when the window is created and never changed
// here; AllBox keeps what the playlist actions gave it.
//
// Services used: messages, fileDialogs, fileOperations, folderBrowser and textInput (the last
// two through KxFolderDialog1); none of them may be null.
class TActionForm final : public QDialog
{
    Q_OBJECT

public:
    enum Action : int {
        kDelete = 0,
        kCopy = 1,
        kMove = 2,
        kAddToExistingPlaylist = 3,
        kAddToNewPlaylist = 4,
    };

    static constexpr char kCaption[] = "Vantoro - Media File Manager";
    static constexpr char kEmptyActionBox[] =
        "ERROR: no files have been put in right-hand \"Action Box\"";
    static constexpr char kSameFolder[] = "Source and destination directories can NOT be the same";
    static constexpr char kPlaylistExists[] =
        "Playlist with that name already exists!\rOK to overwrite?";

    TActionForm(ProgramState& state, const Services& services, QWidget* parent = nullptr);
    ~TActionForm() override;

    // Opening: the folder dialog starts in the first marked clip's folder; the left list is
    // filled with the marked clips in marking order; the Action Box starts empty.
    void FormCreate();
    // ">" moves the selected entries of the left list into the Action Box, ">>" all of them. The
    // list is walked from its end, so entries moved together arrive in reverse order.
    void FillButtonClick(QPushButton* sender);
    // "<" and "<<": the mirror image of FillButtonClick.
    void EmptyButtonClick(QPushButton* sender);
    // Runs the chosen action on the Action Box's clips.
    void GoButtonClick();
    // Undoes the program's newest clip manager action (Ctrl+Z presses it); clips of an action
    // of this window come back into the Action Box in their old order.
    void UndoButtonClick();
    // The program's undo stack: each action of Go goes on it. Without one the Undo button is
    // not shown.
    void setUndoStack(UndoStack* stack);

    int ItemIndex() const;
    void setItemIndex(int index);
    const QStringList& PathLeft() const { return m_pathLeft; }
    const QStringList& PathRight() const { return m_pathRight; }
    // The names shown in either list, top to bottom.
    QStringList leftNames() const;
    QStringList rightNames() const;

    TKxFolderDialog& KxFolderDialog1() const { return *m_kxFolderDialog1; }
    TShellFileOp& ShellFileOp1() const { return *m_shellFileOp1; }

    // The two file dialogs of the playlist actions, opening in `folder` (the program folder, or
    // the user's playlist folder for an installed copy).
    static FileDialogSpec OpenDialog1Spec(const QString& folder);
    static FileDialogSpec SaveDialog1Spec(const QString& folder);
    static QStringList MemoActionLines();
    static QStringList ActionItems();
    // Whether two folder names lead to the same folder on disk (symbolic links followed). Two
    // names of which neither exists are the same only as equal texts.
    static bool sameFolder(const QString& first, const QString& second);
    // "Ready to COPY clips from <source> to <destination>" for a copy or move of `count` clips.
    static QString confirmationText(int action, qsizetype count, const QString& source,
                                    const QString& destination);

    // Controls, by their design names.
    QLabel* Label1 = nullptr; // "Available Marked clips"
    QLabel* Label2 = nullptr; // "Action Box"
    QListWidget* LeftBox = nullptr;
    QListWidget* RightBox = nullptr;
    QPushButton* FillButton = nullptr;   // ">"
    QPushButton* SelectButton = nullptr; // ">>"
    QPushButton* EmptyButton = nullptr;  // "<"
    QPushButton* UnSelButton = nullptr;  // "<<"
    QPlainTextEdit* MemoAction = nullptr;
    QGroupBox* RadioGroup1 = nullptr;
    QPushButton* GoButton = nullptr;
    QPushButton* CloseButton = nullptr;
    QPushButton* UndoButton = nullptr; // above the action text, shown with an undo stack

protected:
    void showEvent(QShowEvent* event) override;
    // The window closes only by CloseButton or after Go has left nothing to act on: Escape and
    // the window manager's close request (Alt+F4, the window menu) would throw away the clips
    // still in the lists, which cannot be reached again, so both do nothing here.
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // The lists' keys: Right or Insert in the left list moves its selected clips (or the one
    // under the cursor) into the Action Box, Left or Delete in the Action Box moves them back.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildWindow();
    // A list key of the lists' keys (see eventFilter); answers whether it was one.
    bool moveByKey(bool fromLeft, int key);
    // Moves the selected entries from one list pair to the other, walking from the end.
    static void moveSelected(QListWidget& fromBox, QStringList& fromPaths, QListWidget& toBox,
                             QStringList& toPaths);
    void removeRight(int index);
    // The file operations of Go (delete, copy, move); answers false when Go stops early.
    bool runFileAction(int action);
    // The playlist actions; answer false when Go ends without its last step.
    bool addToExistingPlaylist();
    bool addToNewPlaylist();
    void closeWhenNothingLeft();
    void pushUndo(ClipAction& action);
    void updateUndoButton();
    // Where the two playlist dialogs open.
    QString playlistDialogFolder() const;

    ProgramState& m_state;
    Services m_services;
    QStringList m_pathLeft;
    QStringList m_pathRight;
    QButtonGroup* m_actions = nullptr;
    TKxFolderDialog* m_kxFolderDialog1 = nullptr; // owned as a child object
    TShellFileOp* m_shellFileOp1 = nullptr;       // owned as a child object
    UndoStack* m_undo = nullptr;
    // This window among all clip manager windows of the run, for the actions it put on the
    // stack (an address could be the next window's).
    const quint64 m_serial;
    QStringList m_goPaths; // the Action Box as Go found it
    QStringList m_goNames;
};

} // namespace vantoro
