#pragma once

#include "fileops/FileOperationJournal.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace vantoro {

class FileOperationEngine;

// A file that an undo leaves as it is, and why.
struct UndoProblem
{
    QString path;
    QString reason;
};

struct UndoOutcome
{
    // The original paths that are back (a restored or moved-back file), in the journal's order;
    // a copy sent to the Trash is listed by its source.
    QStringList undone;
    // What was left as it is and why, each file as it was found when its turn came (a copy is
    // named by the copy's path, anything else by its original path).
    std::vector<UndoProblem> leftAlone;
    // The entries that failed (a system error, an engine request cancelled or failed) and may
    // go back when tried again; the entries that cannot go back are not among them.
    FileOperationJournal retry;
    // Not everything that could go back did: `retry` holds the rest, or the caller's
    // `proceed` said no and nothing was done.
    bool aborted = false;
};

// Takes one file operation back from its journal: a trashed file is restored from the Trash, a
// moved one goes back to its old path (a rename on one file system; across file systems the
// engine's safe copy, one engine request per original folder), a copy goes to the Trash (never
// deleted outright: where the Trash refuses it, it stays), a file replaced by a copy or move comes
// back from the Trash. Nothing is ever replaced: a file now in the original place stays there.
class FileOperationUndo
{
public:
    FileOperationUndo() = default;
    explicit FileOperationUndo(FileOperationJournal journal);

    const FileOperationJournal& journal() const { return m_journal; }
    bool isEmpty() const { return m_journal.isEmpty(); }

    // What the undo would do, for a button's hint: "move 12 clips to /media/keep".
    QString description() const;
    // What the operation did, for a notification: "2 clips moved to the Trash".
    QString summary() const;

    // The files that cannot go back, checked now, before anything is done: a file now in the
    // original place, a copy changed since it was made, a Trash entry already emptied, a file
    // deleted for good.
    std::vector<UndoProblem> check() const;

    // Undoes everything that can be, through `engine` for the moves (its requests carry no
    // confirmation and never replace). Each file is checked again right before it is put
    // back; one whose place is taken by then is left alone. When check() names files and some
    // others could go back, `proceed` is asked first with them and nothing is done unless it
    // answers true (the outcome is then aborted, everything in `retry`); when none could, it
    // is not asked and they are all in `leftAlone`.
    using Proceed = std::function<bool(const std::vector<UndoProblem>&)>;
    UndoOutcome run(FileOperationEngine& engine, const Proceed& proceed = {}) const;

    // Why the entry cannot go back now; empty when it can.
    static QString problemOf(const JournalEntry& entry);
    // The path a report names for the entry: the copy for a copy, else the original path.
    static QString shownPath(const JournalEntry& entry);

private:
    FileOperationJournal m_journal;
};

} // namespace vantoro
