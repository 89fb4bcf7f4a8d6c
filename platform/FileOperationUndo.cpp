#include "platform/FileOperationUndo.h"

#include "platform/FileOperationEngine.h"
#include "platform/IoError.h"
#include "platform/Trash.h"
#include "platform/TrashRestore.h"

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

QByteArray parentOf(const QByteArray& path)
{
    const int slash = path.lastIndexOf('/');
    if (slash <= 0)
        return "/";
    return path.left(slash);
}

QByteArray baseNameOf(const QByteArray& path)
{
    return path.mid(path.lastIndexOf('/') + 1);
}

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
    const QString folder = QFile::decodeName(parentOf(m_journal.entries.front().destination));
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
    const QString folder = QFile::decodeName(parentOf(m_journal.entries.front().destination));
    if (m_journal.count(JournalEntry::Kind::Moved) > 0)
        return QStringLiteral("%1 moved to %2").arg(clips(n), folder);
    return QStringLiteral("%1 copied to %2").arg(clips(n), folder);
}

QString FileOperationUndo::problemOf(const JournalEntry& entry) const
{
    switch (entry.kind) {
    case JournalEntry::Kind::Deleted:
        return QStringLiteral("It was deleted for good (its drive has no Trash).");
    case JournalEntry::Kind::Trashed: {
        struct stat st;
        if (!entry.trash.isValid() || ::lstat(entry.trash.filePath().constData(), &st) != 0)
            return QStringLiteral("It is no longer in the Trash.");
        if (exists(entry.source))
            return QStringLiteral("Another file now has its place.");
        return {};
    }
    case JournalEntry::Kind::Copied:
        if (!exists(entry.destination))
            return QStringLiteral("The copy is no longer there.");
        if (!unchanged(entry.written, entry.destination))
            return QStringLiteral("The copy has changed since it was made.");
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

std::vector<UndoProblem> FileOperationUndo::check() const
{
    std::vector<UndoProblem> problems;
    for (const JournalEntry& entry : m_journal.entries) {
        const QString reason = problemOf(entry);
        if (!reason.isEmpty())
            problems.push_back({QFile::decodeName(entry.source), reason});
    }
    return problems;
}

UndoOutcome FileOperationUndo::run(FileOperationEngine& engine, const Proceed& proceed) const
{
    UndoOutcome outcome;
    const auto& entries = m_journal.entries;
    // Checked once, before anything is done.
    std::vector<bool> blocked(entries.size(), false);
    std::vector<UndoProblem> problems;
    for (size_t i = 0; i < entries.size(); ++i) {
        const QString reason = problemOf(entries[i]);
        if (!reason.isEmpty()) {
            blocked[i] = true;
            problems.push_back({QFile::decodeName(entries[i].source), reason});
        }
    }
    if (!problems.empty() && proceed && !proceed(problems)) {
        outcome.aborted = true;
        return outcome;
    }
    std::vector<bool> done(entries.size(), false);
    auto leave = [&](const JournalEntry& entry, const QString& reason) {
        outcome.leftAlone.push_back({QFile::decodeName(entry.source), reason});
    };
    auto restoreReplaced = [&](const JournalEntry& entry) {
        if (!entry.replaced.isValid())
            return;
        if (const int error = restoreFromTrash(entry.replaced, entry.destination))
            outcome.leftAlone.push_back(
                {QFile::decodeName(entry.destination),
                 QStringLiteral("The file it replaced stays in the Trash: %1")
                     .arg(systemErrorText(error))});
    };

    // Moves go back per original folder, in the order the folders first appear.
    std::vector<QByteArray> folders;
    std::map<QByteArray, std::vector<size_t>> byFolder;

    for (size_t i = entries.size(); i-- > 0;) {
        const JournalEntry& entry = entries[i];
        if (blocked[i])
            continue;
        switch (entry.kind) {
        case JournalEntry::Kind::Deleted:
            break;
        case JournalEntry::Kind::Trashed:
            if (const int error = restoreFromTrash(entry.trash, entry.source))
                leave(entry, systemErrorText(error));
            else
                done[i] = true;
            break;
        case JournalEntry::Kind::Copied: {
            const TrashOutcome trashed = moveToTrash(entry.destination);
            if (trashed.status != TrashOutcome::Status::Trashed) {
                leave(entry, QStringLiteral("The copy %1 stays: the Trash refused it (%2).")
                                 .arg(QFile::decodeName(entry.destination), trashed.reason));
                break;
            }
            done[i] = true;
            restoreReplaced(entry);
            break;
        }
        case JournalEntry::Kind::Moved: {
            // On one file system a rename that never replaces (its folder made again if it
            // is gone); across file systems the engine's safe copy, one request per folder.
            int error = 0;
            for (int attempt = 0; attempt < 2; ++attempt) {
                error = ::renameat2(AT_FDCWD, entry.destination.constData(), AT_FDCWD,
                                    entry.source.constData(), RENAME_NOREPLACE) == 0
                            ? 0
                            : errno;
                if (error != ENOENT || !exists(entry.destination))
                    break;
                QDir().mkpath(QFile::decodeName(parentOf(entry.source)));
            }
            if (error == 0) {
                done[i] = true;
                restoreReplaced(entry);
            } else if (error == EXDEV &&
                       baseNameOf(entry.destination) == baseNameOf(entry.source)) {
                const QByteArray folder = parentOf(entry.source);
                auto& list = byFolder[folder];
                if (list.empty())
                    folders.push_back(folder);
                list.push_back(i);
            } else {
                leave(entry, error == EEXIST ? QStringLiteral("Another file now has its place.")
                                             : systemErrorText(error));
            }
            break;
        }
        }
    }

    for (const QByteArray& folder : folders) {
        const std::vector<size_t>& list = byFolder[folder];
        FileOperationRequest request;
        request.operation = FileOperationCode::Move;
        request.destination = QFile::decodeName(folder);
        request.flags = FileOperationFlag::kNoConfirmation | FileOperationFlag::kNoConfirmMkdir |
                        FileOperationFlag::kSimpleProgress;
        request.progressTitle = QStringLiteral("Undo");
        for (auto it = list.rbegin(); it != list.rend(); ++it)
            request.sources.append(QFile::decodeName(entries[*it].destination));
        const FileOperationResult moved = engine.run(request);
        if (moved.anyOperationsAborted)
            outcome.aborted = true;
        // What went back is what the engine's own journal says it moved to the old place.
        QHash<QByteArray, QByteArray> back;
        for (const JournalEntry& item : moved.journal.entries) {
            if (item.kind == JournalEntry::Kind::Moved)
                back.insert(item.source, item.destination);
        }
        for (const size_t i : list) {
            const JournalEntry& entry = entries[i];
            if (back.value(entry.destination) == entry.source) {
                done[i] = true;
                restoreReplaced(entry);
            } else {
                leave(entry, QStringLiteral("It could not be moved back."));
            }
        }
    }

    for (size_t i = 0; i < entries.size(); ++i) {
        if (done[i])
            outcome.undone.append(QFile::decodeName(entries[i].source));
    }
    return outcome;
}

} // namespace vantoro
