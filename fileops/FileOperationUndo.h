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
    // What was left as it is, found only while undoing (check() lists what is known before).
    std::vector<UndoProblem> leftAlone;
    bool aborted = false; // the engine reported a cancel or a failure
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
    // confirmation). The files check() would name are left alone; when there are any,
    // `proceed` is asked first with them and nothing is done unless it answers true (the
    // outcome is then marked aborted).
    using Proceed = std::function<bool(const std::vector<UndoProblem>&)>;
    UndoOutcome run(FileOperationEngine& engine, const Proceed& proceed = {}) const;

private:
    QString problemOf(const JournalEntry& entry) const;

    FileOperationJournal m_journal;
};

} // namespace vantoro
