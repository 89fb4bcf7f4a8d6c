#include "fileops/FileOperationUndo.h"

#include "fileops/FileOperationEngine.h"
#include "fileops/FileOperationSupport.h"
#include "fileops/IoError.h"
#include "fileops/Trash.h"
#include "fileops/TrashRestore.h"

#include <QDir>
#include <QFile>
#include <QHash>

#include <cerrno>
#include <map>

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>

namespace vantoro {

namespace {

bool exists(const QByteArray& path)
{
    struct stat st;
    return ::lstat(path.constData(), &st) == 0 || errno != ENOENT;
}

QString clips(int n)
{
    return n == 1 ? QStringLiteral("1 clip") : QStringLiteral("%1 clips").arg(n);
}

// The same file as the one recorded (same device and inode) and unchanged (size, time).
bool unchanged(const FileIdentity& recorded, const QByteArray& path)
{
    return recorded.isValid() && FileIdentity::of(path) == recorded;
}

} // namespace

FileOperationUndo::FileOperationUndo(FileOperationJournal journal) : m_journal(std::move(journal))
{}

QString FileOperationUndo::description() const
{
    const int n = int(m_journal.entries.size());
    if (n == 0)
        return {};
    if (m_journal.count(JournalEntry::Kind::Trashed) +
            m_journal.count(JournalEntry::Kind::Deleted) ==
        n)
        return QStringLiteral("delete %1").arg(clips(n));
    const QString folder = QFile::decodeName(parentFolder(m_journal.entries.front().destination));
    if (m_journal.count(JournalEntry::Kind::Moved) > 0)
        return QStringLiteral("move %1 to %2").arg(clips(n), folder);
    return QStringLiteral("copy %1 to %2").arg(clips(n), folder);
}

QString FileOperationUndo::summary() const
{
    const int n = int(m_journal.entries.size());
    if (n == 0)
        return {};
    const int trashed = m_journal.count(JournalEntry::Kind::Trashed);
    if (trashed == n)
        return QStringLiteral("%1 moved to the Trash").arg(clips(n));
    if (trashed + m_journal.count(JournalEntry::Kind::Deleted) == n)
        return QStringLiteral("%1 deleted").arg(clips(n));
    const QString folder = QFile::decodeName(parentFolder(m_journal.entries.front().destination));
    if (m_journal.count(JournalEntry::Kind::Moved) > 0)
        return QStringLiteral("%1 moved to %2").arg(clips(n), folder);
    return QStringLiteral("%1 copied to %2").arg(clips(n), folder);
}

QString FileOperationUndo::problemOf(const JournalEntry& entry)
{
    switch (entry.kind) {
    case JournalEntry::Kind::Deleted:
        return QStringLiteral("It was deleted for good (its drive has no Trash).");
    case JournalEntry::Kind::Trashed:
        // An emptied entry whose name the Trash gave to another item is not ours.
        if (!entry.trash.isValid() || !entry.trash.stillHoldsItem())
            return QStringLiteral("It is no longer in the Trash.");
        if (exists(entry.source))
            return QStringLiteral("Another file now has its place.");
        return {};
    case JournalEntry::Kind::Copied:
        if (!exists(entry.destination))
            return QStringLiteral("The copy is no longer there.");
        if (!unchanged(entry.written, entry.destination))
            return QStringLiteral("The copy has changed since it was made.");
        // Taking the copy away would leave nothing in its place: it stays.
        if (entry.replaced.isValid() && !entry.replaced.stillHoldsItem())
            return QStringLiteral("The file it replaced is no longer in the Trash.");
        return {};
    case JournalEntry::Kind::Moved: {
        const FileIdentity now = FileIdentity::of(entry.destination);
        if (!entry.written.isValid() || !now.isValid() || now.device != entry.written.device ||
            now.inode != entry.written.inode)
            return QStringLiteral("It is no longer where it was moved to.");
        // The same device and inode may be a new file that took a freed inode: the size and
        // time tell (a move keeps both).
        if (!(now == entry.written))
            return QStringLiteral("It has changed since it was moved.");
        if (exists(entry.source))
            return QStringLiteral("Another file now has its place.");
        return {};
    }
    }
    return {};
}

QString FileOperationUndo::shownPath(const JournalEntry& entry)
{
    // A copy is taken back by acting on the copy: it is the one named.
    return QFile::decodeName(entry.kind == JournalEntry::Kind::Copied ? entry.destination
                                                                      : entry.source);
}

std::vector<UndoProblem> FileOperationUndo::check() const
{
    std::vector<UndoProblem> problems;
    for (const JournalEntry& entry : m_journal.entries) {
        const QString reason = problemOf(entry);
        if (!reason.isEmpty())
            problems.push_back({shownPath(entry), reason});
    }
    return problems;
}

namespace {

// One run of an undo: each entry of the journal, newest first, goes back by the way its kind
// needs; moves across file systems are gathered per original folder and handed to the engine.
// Every entry is checked again right before it is put back: what the person or another program
// did meanwhile (while a question was open, while earlier folders went back) is never replaced.
class UndoRun
{
public:
    explicit UndoRun(const std::vector<JournalEntry>& entries)
        : m_entries(entries), m_state(entries.size(), State::Open)
    {}

    UndoOutcome run(FileOperationEngine& engine)
    {
        for (size_t i = m_entries.size(); i-- > 0;)
            undoEntry(i);
        for (const QByteArray& folder : m_folders)
            moveBackAcrossDrives(engine, folder);
        for (size_t i = 0; i < m_entries.size(); ++i) {
            if (m_state[i] == State::Done)
                m_outcome.undone.append(QFile::decodeName(m_entries[i].source));
            else if (m_state[i] == State::Failed)
                m_outcome.retry.entries.push_back(m_entries[i]);
        }
        m_outcome.aborted = !m_outcome.retry.isEmpty();
        return std::move(m_outcome);
    }

private:
    // Open: not yet acted on; Left: cannot go back; Failed: may go back when tried again.
    enum class State { Open, Done, Left, Failed };

    void leave(size_t i, const QString& reason, State state = State::Left)
    {
        m_state[i] = state;
        m_outcome.leftAlone.push_back({FileOperationUndo::shownPath(m_entries[i]), reason});
    }
    // The reason an entry cannot go back, looked at now; it is left alone when there is one.
    bool blockedNow(size_t i)
    {
        const QString reason = FileOperationUndo::problemOf(m_entries[i]);
        if (!reason.isEmpty())
            leave(i, reason);
        return !reason.isEmpty();
    }
    // What a failed rename or restore means for the entry.
    void leaveForError(size_t i, int error, const QString& notOurs)
    {
        if (error == EEXIST)
            leave(i, QStringLiteral("Another file now has its place."));
        else if (error == ESTALE)
            leave(i, notOurs);
        else
            leave(i, systemErrorText(error), State::Failed);
    }

    // The entry is back; a file it replaced comes back from the Trash.
    void markDone(size_t i)
    {
        m_state[i] = State::Done;
        const JournalEntry& entry = m_entries[i];
        if (!entry.replaced.isValid())
            return;
        if (const int error = restoreFromTrash(entry.replaced, entry.destination)) {
            const QString why = error == ESTALE   ? QStringLiteral("it is no longer there")
                                : error == EEXIST ? QStringLiteral("another file now has its place")
                                                  : systemErrorText(error);
            m_outcome.leftAlone.push_back(
                {QFile::decodeName(entry.destination),
                 QStringLiteral("The file it replaced stays in the Trash: %1").arg(why)});
        }
    }

    void undoEntry(size_t i)
    {
        const JournalEntry& entry = m_entries[i];
        if (blockedNow(i))
            return;
        switch (entry.kind) {
        case JournalEntry::Kind::Deleted:
            break;
        case JournalEntry::Kind::Trashed:
            if (const int error = restoreFromTrash(entry.trash, entry.source))
                leaveForError(i, error, QStringLiteral("It is no longer in the Trash."));
            else
                m_state[i] = State::Done;
            break;
        case JournalEntry::Kind::Copied:
            trashCopy(i);
            break;
        case JournalEntry::Kind::Moved:
            moveBack(i);
            break;
        }
    }

    // A copy goes to the Trash, never deleted outright: where the Trash refuses it, it stays.
    void trashCopy(size_t i)
    {
        const JournalEntry& entry = m_entries[i];
        const TrashOutcome trashed = moveToTrash(entry.destination);
        if (trashed.status != TrashOutcome::Status::Trashed) {
            leave(i, QStringLiteral("The copy %1 stays: the Trash refused it (%2).")
                         .arg(QFile::decodeName(entry.destination), trashed.reason));
            return;
        }
        markDone(i);
    }

    // On one file system a rename that never replaces (its folder made again if it is gone);
    // across file systems the engine's safe copy, gathered per original folder.
    void moveBack(size_t i)
    {
        const JournalEntry& entry = m_entries[i];
        int error = 0;
        for (int attempt = 0; attempt < 2; ++attempt) {
            error = placeWithoutReplacing(AT_FDCWD, entry.destination, AT_FDCWD, entry.source);
            if (error != ENOENT || !exists(entry.destination))
                break;
            QDir().mkpath(QFile::decodeName(parentFolder(entry.source)));
        }
        if (error == 0) {
            markDone(i);
        } else if (error == EXDEV && baseName(entry.destination) == baseName(entry.source)) {
            const QByteArray folder = parentFolder(entry.source);
            auto& list = m_byFolder[folder];
            if (list.empty())
                m_folders.push_back(folder);
            list.push_back(i);
        } else {
            leaveForError(i, error, {});
        }
    }

    // One engine request for the files that go back to `folder` from another file system. It
    // never replaces (a name taken by then is skipped) and takes each file only if it is still
    // the one that was moved there.
    void moveBackAcrossDrives(FileOperationEngine& engine, const QByteArray& folder)
    {
        FileOperationRequest request;
        request.operation = FileOperationCode::Move;
        request.destination = QFile::decodeName(folder);
        request.flags = FileOperationFlag::kNoConfirmation | FileOperationFlag::kNoConfirmMkdir |
                        FileOperationFlag::kSimpleProgress | FileOperationFlag::kNeverReplace;
        request.progressTitle = QStringLiteral("Undo");
        std::vector<size_t> list;
        for (auto it = m_byFolder[folder].rbegin(); it != m_byFolder[folder].rend(); ++it) {
            if (blockedNow(*it))
                continue;
            const JournalEntry& entry = m_entries[*it];
            list.push_back(*it);
            request.sources.append(QFile::decodeName(entry.destination));
            request.sourceIdentities.insert(entry.destination, entry.written);
        }
        if (list.empty())
            return;
        const FileOperationResult moved = engine.run(request);
        // What went back is what the engine's own journal says it moved to the old place.
        QHash<QByteArray, QByteArray> back;
        for (const JournalEntry& item : moved.journal.entries) {
            if (item.kind == JournalEntry::Kind::Moved)
                back.insert(item.source, item.destination);
        }
        for (const size_t i : list) {
            const JournalEntry& entry = m_entries[i];
            if (back.value(entry.destination) == entry.source)
                markDone(i);
            else if (!blockedNow(i))
                leave(i, QStringLiteral("It could not be moved back."), State::Failed);
        }
    }

    const std::vector<JournalEntry>& m_entries;
    std::vector<State> m_state;
    UndoOutcome m_outcome;
    // Moves across file systems per original folder, in the order the folders first appear.
    std::vector<QByteArray> m_folders;
    std::map<QByteArray, std::vector<size_t>> m_byFolder;
};

} // namespace

UndoOutcome FileOperationUndo::run(FileOperationEngine& engine, const Proceed& proceed) const
{
    // Looked at before anything is done, for the question; each file is looked at again when
    // its turn comes.
    const std::vector<UndoProblem> problems = check();
    if (problems.size() == m_journal.entries.size()) {
        // Nothing is left to undo: there is nothing to ask about.
        UndoOutcome outcome;
        outcome.leftAlone = problems;
        return outcome;
    }
    if (!problems.empty() && proceed && !proceed(problems)) {
        UndoOutcome outcome;
        outcome.aborted = true;
        outcome.retry = m_journal;
        return outcome;
    }
    return UndoRun(m_journal.entries).run(engine);
}

} // namespace vantoro
