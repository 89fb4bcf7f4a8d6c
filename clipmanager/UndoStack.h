#pragma once

#include "fileops/FileOperationUndo.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <functional>

#include <optional>
#include <vector>

namespace vantoro {

class FileOperationEngine;
class MessageBoxes;

// One action of the clip manager, as an undo needs it.
struct ClipAction
{
    FileOperationUndo files; // a delete, copy or move

    // A playlist the action wrote: its bytes before (none for a new one) and the identity of
    // what the action left there.
    QString playlist;
    bool playlistExisted = false;
    QByteArray playlistBefore;
    FileIdentity playlistWritten;

    // The Action Box before Go, in its order, and the serial number of the clip manager
    // window it was in (0: none): an undo done while that window is open puts the clips back.
    // A number, not the window's address: the next window may be given the same address.
    quint64 window = 0;
    QStringList boxPaths;
    QStringList boxNames;
    int clipCount = 0; // the clips the action took

    // What an undo would do ("move 12 clips to /media/keep") and what was done ("2 clips moved
    // to the Trash").
    QString description() const;
    QString summary() const;
};

struct ClipUndoResult
{
    ClipAction action;
    // The Action Box clips whose files are back (or whose playlist is), in their old order,
    // with their names.
    QStringList restoredPaths;
    QStringList restoredNames;
};

// The clip manager's actions of the whole run of the program, newest first: an action done in
// one clip manager window can be undone from a later one or from the main window. Owned by the
// program and handed to each window.
class UndoStack : public QObject
{
    Q_OBJECT
public:
    explicit UndoStack(QObject* parent = nullptr);

    bool canUndo() const { return !m_actions.empty(); }
    int size() const { return int(m_actions.size()); }
    // "Undo: move 12 clips to /media/keep"; empty while there is nothing to undo.
    QString hint() const;

    // Adds an action that did something (an empty one is not kept).
    void push(ClipAction action);

    // Undoes the newest action: first names what cannot go back and asks Continue or Cancel
    // (nothing is done on Cancel and the action stays; not asked when nothing else is left),
    // then undoes the rest with the engine's requests carrying no confirmation, and tells what
    // was left as it is. What failed or was cancelled on the way stays on the stack, to be
    // tried again. Answers what was undone (also sent as `undone`); nothing when there was
    // nothing to undo, an undo is running already, or the user cancelled.
    std::optional<ClipUndoResult> undoNewest(MessageBoxes& messages, FileOperationEngine& engine);
    bool isBusy() const { return m_busy; }

    // Undoes the newest action once the program is idle (the desktop notification's Undo):
    // `busy` is asked every quarter of a second (a modal window, a running file operation) and
    // the undo starts when it answers false and no undo runs. `depth` is the stack's size the
    // request was made for: when the stack changed meanwhile, nothing is done. A request made
    // while one waits replaces it.
    void undoWhenIdle(int depth, std::function<bool()> busy, MessageBoxes& messages,
                      FileOperationEngine& engine);

    // What the last undo did, for a status line: "Undone: move 2 clips to /media/keep".
    QString lastReport() const { return m_lastReport; }

    // The reasons a playlist action cannot go back; empty when it can.
    static QString playlistProblem(const ClipAction& action);

Q_SIGNALS:
    void changed();
    // An action was added (for the desktop notification).
    void pushed(const QString& summary);
    // An undo finished: the window whose action it was puts the restored clips back.
    void undone(const vantoro::ClipUndoResult& result);

private:
    // Writes a playlist back as it was, or trashes a new one; answers why not, empty when done.
    static QString undoPlaylist(const ClipAction& action);

    std::vector<ClipAction> m_actions; // oldest first
    bool m_busy = false;               // an undo is running
    QString m_lastReport;
    QTimer* m_idleWait = nullptr;
    std::function<void()> m_whenIdle; // what the waiting request does, asked each tick
};

} // namespace vantoro
