#include "fileops/FileOperationJob.h"

#include "fileops/FileOperationSupport.h"
#include "fileops/IoError.h"
#include "fileops/Trash.h"
#include "fileops/TrashRestore.h"

#include <QFile>

#include <algorithm>
#include <cerrno>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vantoro {

namespace {

// A batch of staged copies is flushed to the disk together once it holds this many files or
// bytes; a large file thus goes alone, while many small ones share one flush.
constexpr size_t kBatchFiles = 128;
constexpr qint64 kBatchBytes = 64 * 1024 * 1024;

QString display(const QByteArray& path)
{
    return QFile::decodeName(path);
}

} // namespace

FileOperationJob::FileOperationJob(const FileOperationRequest& request,
                                   FileOperationQuestions& questions, FileOperationStatus& status)
    : m_request(request), m_questions(questions), m_status(status)
{}

FileOperationJob::~FileOperationJob() = default;

FileOperationResult FileOperationJob::run()
{
    if (m_request.operation == FileOperationCode::Delete)
        runDelete();
    else
        runTransfer();
    // Whatever could not be removed as its copy failed goes now, where the drive answers again.
    m_leftovers.removeReachable();
    return m_result;
}

FileOperationJob::Step FileOperationJob::askAboutError(const QByteArray& path, int errorCode,
                                                       const QString& reason, bool driveCannotHold)
{
    // What is staged so far is complete: it goes to its final names before the user is asked,
    // so that a Cancel keeps the work done and the box never waits with files half-placed.
    flushBatch();
    if (m_stop)
        return Step::Cancelled;
    return askErrorNow(path, errorCode, reason, driveCannotHold);
}

FileOperationJob::Step FileOperationJob::askErrorNow(const QByteArray& path, int errorCode,
                                                     const QString& reason, bool driveCannotHold)
{
    if (driveCannotHold && m_skipWhatDriveCannotHold) {
        m_result.anyOperationsAborted = true;
        return Step::Skipped;
    }
    // The failed copy's temporary goes before the box waits for the user: a drive that lost
    // its connection for a moment answers again by now.
    if (!m_leftovers.isEmpty())
        m_leftovers.removeReachable();
    FileOperationError error;
    error.driveCannotHold = driveCannotHold;
    error.operation = m_request.operation;
    error.path = display(path);
    if (m_request.operation != FileOperationCode::Delete)
        error.destination = display(m_destination);
    error.errorCode = errorCode;
    error.reason = reason.isEmpty() ? systemErrorText(errorCode) : reason;
    switch (m_questions.askError(error)) {
    case ErrorChoice::Retry:
        return Step::Retry;
    case ErrorChoice::SkipAll:
        m_skipWhatDriveCannotHold = driveCannotHold;
        [[fallthrough]];
    case ErrorChoice::Skip:
        m_result.anyOperationsAborted = true;
        return Step::Skipped;
    case ErrorChoice::Cancel:
        break;
    }
    m_result.anyOperationsAborted = true;
    m_stop = true;
    return Step::Cancelled;
}

FileOperationJob::Step FileOperationJob::askAboutRefusedName(const QByteArray& path, int error,
                                                             const QByteArray& name)
{
    const QString reason = unholdableNameReason(name, error);
    return askAboutError(path, error, reason, !reason.isEmpty());
}

// ---- delete -------------------------------------------------------------------------------

void FileOperationJob::runDelete()
{
    std::vector<QByteArray> items;
    QStringList shown;
    for (const QString& source : m_request.sources) {
        const QByteArray path = withoutTrailingSlashes(QFile::encodeName(source));
        struct stat st;
        if (flag(FileOperationFlag::kFilesOnly) && ::lstat(path.constData(), &st) == 0 &&
            S_ISDIR(st.st_mode))
            continue;
        items.push_back(path);
        shown.append(display(path));
    }
    if (items.empty())
        return;
    const bool toTrash = flag(FileOperationFlag::kAllowUndo);
    if (!flag(FileOperationFlag::kNoConfirmation) && !m_questions.confirmDelete(shown, toTrash)) {
        m_result.anyOperationsAborted = true;
        return;
    }
    m_status.itemCount = int(items.size());
    for (const QByteArray& path : items) {
        if (m_stop || cancelRequested()) {
            m_result.anyOperationsAborted = true;
            return;
        }
        m_status.setCurrentPath(display(path));
        deleteOne(path);
        ++m_status.itemsDone;
    }
}

FileOperationJob::Step FileOperationJob::deleteOne(const QByteArray& path)
{
    for (;;) {
        int error = 0;
        QString reason = misreadNameReason(path);
        if (!reason.isEmpty()) {
            // Never acted on: the name may stand for another file.
        } else if (flag(FileOperationFlag::kAllowUndo)) {
            const TrashOutcome outcome = moveToTrash(path);
            if (outcome.status == TrashOutcome::Status::Trashed) {
                m_result.journal.recordTrashed(
                    path, TrashEntry::at(outcome.trashFolder, outcome.entryName));
                return Step::Done;
            }
            if (outcome.status == TrashOutcome::Status::NoTrash) {
                // Asked even with "no confirmation": going past the Trash cannot be undone, and
                // the caller asked for a delete that can be.
                if (!m_questions.confirmPermanentDelete(display(path), outcome.reason)) {
                    m_result.anyOperationsAborted = true;
                    return Step::Skipped;
                }
                error = removePermanently(path);
            } else {
                error = outcome.errorCode;
                reason = outcome.reason;
            }
        } else {
            error = removePermanently(path);
        }
        if (error == 0 && reason.isEmpty()) {
            m_result.journal.recordDeleted(path);
            return Step::Done;
        }
        const Step step = askAboutError(path, error, reason);
        if (step != Step::Retry)
            return step;
    }
}

// ---- copy and move ------------------------------------------------------------------------

qint64 FileOperationJob::totalBytes(const QByteArray& path) const
{
    struct stat st;
    if (::lstat(path.constData(), &st) != 0)
        return 0;
    if (S_ISREG(st.st_mode))
        return st.st_size;
    if (!S_ISDIR(st.st_mode) || flag(FileOperationFlag::kFilesOnly))
        return 0;
    qint64 sum = 0;
    if (DIR* dir = ::opendir(path.constData())) {
        while (const dirent* entry = ::readdir(dir)) {
            const QByteArray name(entry->d_name);
            if (name != "." && name != "..")
                sum += totalBytes(path + '/' + name);
        }
        ::closedir(dir);
    }
    return sum;
}

bool FileOperationJob::prepareDestination()
{
    m_destination = withoutTrailingSlashes(QFile::encodeName(m_request.destination));
    for (;;) {
        int error = 0;
        struct stat st;
        if (m_destination.isEmpty()) {
            error = ENOENT;
        } else if (::stat(m_destination.constData(), &st) == 0) {
            if (S_ISDIR(st.st_mode)) {
                const int fd =
                    ::open(m_destination.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
                if (fd >= 0) {
                    m_destinationFolder = std::make_shared<const UniqueFd>(fd);
                    ::fstat(fd, &m_destinationStat);
                    // The folder as the file system has it, links resolved: a folder must not
                    // go into itself by way of a link that names one of its sub-folders.
                    if (char* resolved = ::realpath(m_destination.constData(), nullptr)) {
                        m_resolvedDestination = resolved;
                        ::free(resolved);
                    } else {
                        m_resolvedDestination = m_destination;
                    }
                    removeStaleCopyTemporaries(fd);
                    m_destinationLimits = driveLimitsOf(fd);
                    m_stageInBackground = !m_destinationLimits.syncfsReaches;
                    return true;
                }
                error = errno;
            } else {
                error = ENOTDIR;
            }
        } else if (errno == ENOENT && ::lstat(m_destination.constData(), &st) == 0) {
            // Something is there that is not a folder and cannot become one (a dangling link).
            error = ENOTDIR;
        } else if (errno == ENOENT) {
            if (!flag(FileOperationFlag::kNoConfirmMkdir) &&
                !flag(FileOperationFlag::kNoConfirmation) &&
                !m_questions.confirmCreateFolder(display(m_destination))) {
                m_result.anyOperationsAborted = true;
                return false;
            }
            error = makeFolders(m_destination);
            if (error == 0)
                continue;
        } else {
            error = errno;
        }
        // Without its folder nothing of the operation can be done: Skip ends it like Cancel.
        if (askAboutError(m_destination, error) != Step::Retry) {
            m_result.anyOperationsAborted = true;
            return false;
        }
    }
}

void FileOperationJob::runTransfer()
{
    if (m_request.sources.isEmpty() || !prepareDestination())
        return;
    struct Item
    {
        QByteArray path;
        struct stat st;
        bool statKnown;
    };
    std::vector<Item> items;
    qint64 total = 0;
    for (const QString& source : m_request.sources) {
        const QByteArray path = withoutTrailingSlashes(QFile::encodeName(source));
        struct stat st = {};
        const bool statKnown = ::lstat(path.constData(), &st) == 0;
        if (statKnown) {
            if (S_ISDIR(st.st_mode)) {
                if (flag(FileOperationFlag::kFilesOnly))
                    continue;
                total += totalBytes(path);
            } else if (S_ISREG(st.st_mode)) {
                total += st.st_size;
            }
        }
        items.push_back({path, st, statKnown});
    }
    m_status.bytesTotal = total;
    m_status.itemCount = int(items.size());
    for (const Item& item : items) {
        if (m_stop || cancelRequested())
            break;
        m_status.setCurrentPath(display(item.path));
        transferOne(item.path, item.statKnown ? &item.st : nullptr);
        ++m_status.itemsDone;
    }
    flushBatch();
    if (cancelRequested())
        m_result.anyOperationsAborted = true;
}

FileOperationJob::Step FileOperationJob::resolveCollision(int folder, QByteArray& name,
                                                          bool& replace, bool sameFolderCopy)
{
    replace = false;
    if (!existsInFolder(folder, name))
        return Step::Done;
    if (sameFolderCopy || flag(FileOperationFlag::kRenameOnCollision)) {
        name = freeNameInFolder(folder, name);
        return Step::Done;
    }
    CollisionChoice choice = CollisionChoice::Replace;
    if (flag(FileOperationFlag::kNeverReplace)) {
        choice = CollisionChoice::Skip;
    } else if (m_collisionForAll) {
        choice = *m_collisionForAll;
    } else if (!flag(FileOperationFlag::kNoConfirmation)) {
        if (!settleBeforeAsking())
            return Step::Cancelled;
        const CollisionAnswer answer = m_questions.askCollision(
            display(nameHeldInFolder(folder, name)), display(m_destination));
        choice = answer.choice;
        if (answer.forAllRemaining)
            m_collisionForAll = choice;
    }
    switch (choice) {
    case CollisionChoice::Replace:
        replace = true;
        return Step::Done;
    case CollisionChoice::Skip:
        m_result.anyOperationsAborted = true;
        return Step::Skipped;
    case CollisionChoice::Cancel:
        break;
    }
    m_result.anyOperationsAborted = true;
    m_stop = true;
    return Step::Cancelled;
}

FileOperationJob::Step FileOperationJob::transferOne(const QByteArray& source,
                                                     const struct stat* known)
{
    for (;;) {
        const Step step = transferAttempt(source, known);
        if (step != Step::Retry)
            return step;
        known = nullptr; // a retry looks again
    }
}

FileOperationJob::Step FileOperationJob::transferAttempt(const QByteArray& source,
                                                         const struct stat* known)
{
    const bool move = m_request.operation == FileOperationCode::Move;
    struct stat st;
    if (known)
        st = *known;
    else if (::lstat(source.constData(), &st) != 0)
        return askAboutError(source, errno);
    if (!isExpectedSource(source, st))
        return Step::Skipped;
    if (const QString misread = misreadNameReason(source); !misread.isEmpty())
        return askAboutError(source, 0, misread);
    const bool sameFolder = inDestinationFolder(source);
    if (const QString refusal = transferRefusal(st, sameFolder); !refusal.isEmpty())
        return askAboutError(source, 0, refusal);

    const int folder = m_destinationFolder->get();
    QByteArray name = baseName(source);
    bool crossDevice = false;
    if (move) {
        if (const std::optional<Step> step = moveByRename(source, st, name, crossDevice))
            return *step;
    }
    bool nameTaken = true;
    if (namesSameFile(source, st, folder, name, nameTaken) &&
        !flag(FileOperationFlag::kRenameOnCollision)) {
        // The destination holds this very file under another name, or the source is a link
        // that leads to it: replacing it with a copy of itself would gain nothing, putting the
        // link in its place would leave a link to itself and lose the data.
        return askAboutError(source, 0, sameFileReason());
    }
    bool replace = false;
    if (nameTaken) {
        const Step collision = resolveCollision(folder, name, replace, sameFolder);
        if (collision != Step::Done)
            return collision;
    }
    if (move && !crossDevice) {
        if (const std::optional<Step> step = moveReplacing(source, st, name, replace))
            return *step;
    }
    return transferByCopy(source, st, name, replace);
}

bool FileOperationJob::isExpectedSource(const QByteArray& source, const struct stat& st)
{
    const auto expected = m_request.sourceIdentities.constFind(source);
    if (expected == m_request.sourceIdentities.cend() || FileIdentity::of(st) == *expected)
        return true;
    m_result.anyOperationsAborted = true;
    return false;
}

bool FileOperationJob::inDestinationFolder(const QByteArray& source)
{
    // Sources mostly share one folder: its identity is looked up once.
    const QByteArray parent = parentFolder(source);
    if (parent != m_parentPath) {
        m_parentPath = parent;
        m_parentKnown = ::stat(parent.constData(), &m_parentStat) == 0;
    }
    return m_parentKnown && sameFile(m_parentStat, m_destinationStat);
}

QString FileOperationJob::transferRefusal(const struct stat& st, bool sameFolder) const
{
    const bool move = m_request.operation == FileOperationCode::Move;
    if (sameFolder && (move || !flag(FileOperationFlag::kRenameOnCollision)))
        return sameFileReason();
    if (!S_ISDIR(st.st_mode))
        return {};
    // A folder cannot go into itself or into one of its own sub-folders: walk up from the
    // destination comparing identities, not names.
    for (QByteArray up = m_resolvedDestination;; up = parentFolder(up)) {
        struct stat at;
        if (::stat(up.constData(), &at) == 0 && sameFile(at, st))
            return QStringLiteral("The destination folder is inside the folder being copied");
        if (up == "/" || up == ".")
            return {};
    }
}

qint64 FileOperationJob::bytesOf(const struct stat& st, const QByteArray& path) const
{
    if (S_ISREG(st.st_mode))
        return st.st_size;
    return S_ISDIR(st.st_mode) ? totalBytes(path) : 0;
}

std::optional<FileOperationJob::Step> FileOperationJob::moveByRename(const QByteArray& source,
                                                                     const struct stat& st,
                                                                     const QByteArray& name,
                                                                     bool& crossDevice)
{
    const QByteArray target = m_destination + '/' + name;
    const int error = placeWithoutReplacing(AT_FDCWD, source, m_destinationFolder->get(), name);
    if (error == 0) {
        m_status.bytesDone += bytesOf(st, target);
        m_result.journal.recordTransfer(JournalEntry::Kind::Moved, source, target);
        return Step::Done;
    }
    crossDevice = error == EXDEV;
    if (error != EEXIST && error != EXDEV)
        return askAboutError(source, error);
    return std::nullopt;
}

std::optional<FileOperationJob::Step> FileOperationJob::moveReplacing(const QByteArray& source,
                                                                      const struct stat& st,
                                                                      const QByteArray& name,
                                                                      bool& replace)
{
    const QByteArray target = m_destination + '/' + name;
    const int folder = m_destinationFolder->get();
    if (S_ISDIR(st.st_mode) && !m_destinationLimits.renamesFolders)
        return std::nullopt; // moved file by file, as between drives
    // A replaced file goes to the Trash first, where an undo finds it again; where the Trash
    // refuses it, it is deleted for good only if the user says so.
    TrashEntry replaced;
    if (replace && !S_ISDIR(st.st_mode)) {
        if (const Step step = setReplacedAside(target, replaced, replace); step != Step::Done)
            return step;
    }
    const int error =
        replace
            ? (::renameat(AT_FDCWD, source.constData(), folder, name.constData()) == 0 ? 0 : errno)
            : placeWithoutReplacing(AT_FDCWD, source, folder, name);
    if (error == 0) {
        m_status.bytesDone += bytesOf(st, target);
        m_result.journal.recordTransfer(JournalEntry::Kind::Moved, source, target, replaced);
        return Step::Done;
    }
    // The file that was to be replaced goes back to its place: a failed move leaves the
    // destination as it found it.
    if (replaced.isValid())
        restoreFromTrash(replaced, target);
    const bool mergeFolders = S_ISDIR(st.st_mode) && (error == ENOTEMPTY || error == EEXIST);
    if (error != EXDEV && !mergeFolders)
        return askAboutError(source, error);
    return std::nullopt;
}

FileOperationJob::Step FileOperationJob::transferByCopy(const QByteArray& source,
                                                        const struct stat& st,
                                                        const QByteArray& name, bool replace)
{
    const bool move = m_request.operation == FileOperationCode::Move;
    const Place place{m_destinationFolder, m_destination, true};
    if (S_ISREG(st.st_mode))
        return copyFile(source, place, name, replace, move, nullptr);
    if (S_ISLNK(st.st_mode))
        return copySymlink(source, st, place, name, replace, move);
    if (S_ISDIR(st.st_mode)) {
        bool incomplete = false;
        const Step step = copyFolder(source, place, name, move, incomplete);
        if (move && !incomplete && !m_stop && step == Step::Done)
            removeEmptyFolders(source);
        if (incomplete)
            m_result.anyOperationsAborted = true;
        return step;
    }
    return askAboutError(source, EOPNOTSUPP, uncopiableKindReason(st.st_mode));
}

FileOperationJob::Step FileOperationJob::setReplacedAside(const QByteArray& target,
                                                          TrashEntry& replaced, bool& replace)
{
    struct stat st;
    if (::lstat(target.constData(), &st) != 0 && errno == ENOENT) {
        replace = false; // gone meanwhile: nothing is replaced
        return Step::Done;
    }
    QString refusal;
    replaced = m_result.journal.trashBeforeReplace(target, &refusal);
    if (replaced.isValid()) {
        replace = false;
        return Step::Done;
    }
    // Going past the Trash cannot be undone: asked as a delete on this volume asks, even
    // without confirmations.
    bool yes = m_replacePermanentlyForAll.value_or(false);
    if (!m_replacePermanentlyForAll) {
        if (!settleBeforeAsking())
            return Step::Cancelled;
        const PermanentDeleteAnswer answer =
            m_questions.confirmReplacePermanently(display(target), refusal);
        yes = answer.yes;
        if (answer.forAllRemaining)
            m_replacePermanentlyForAll = yes;
    }
    if (yes)
        return Step::Done;
    m_result.anyOperationsAborted = true;
    return Step::Skipped;
}

bool FileOperationJob::namesSameFile(const QByteArray& source, const struct stat& sourceStat,
                                     int folder, const QByteArray& name, bool& nameTaken) const
{
    struct stat existing;
    nameTaken = ::fstatat(folder, name.constData(), &existing, AT_SYMLINK_NOFOLLOW) == 0;
    if (!nameTaken) {
        nameTaken = errno != ENOENT; // an answer other than "not there" is no free name
        return false;
    }
    return sameFile(existing, sourceStat) ||
           (S_ISLNK(sourceStat.st_mode) && linkLeadsTo(source, existing));
}

FileOperationJob::Step FileOperationJob::copyFile(const QByteArray& source, const Place& place,
                                                  const QByteArray& name, bool replace,
                                                  bool removeSource, bool* treeIncomplete)
{
    const CopyControl control{&m_status.cancel, &m_status.bytesDone, &m_leftovers};
    for (;;) {
        if (cancelRequested()) {
            m_result.anyOperationsAborted = true;
            m_stop = true;
            return Step::Cancelled;
        }
        int error = 0;
        Pending pending;
        const qint64 before = m_status.bytesDone;
        UniqueFd in(::open(source.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
        struct stat st;
        const qint64 largest = m_destinationLimits.largestFile;
        if (!in.isValid() || ::fstat(in.get(), &st) != 0)
            error = errno;
        else if (!treeIncomplete && !isExpectedSource(source, st))
            return Step::Skipped; // swapped since it was looked at: what is open is not ours
        else if (largest > 0 && st.st_size > largest)
            error = EFBIG; // known before a byte is written
        else if (m_stageInBackground)
            waitForStagingSlot(); // its errors are asked about as the batch is committed
        else
            error = pending.file.stage(in.get(), st, place.folder, control);
        if (error == ECANCELED) {
            if (treeIncomplete)
                *treeIncomplete = true;
            m_result.anyOperationsAborted = true;
            m_stop = true;
            return Step::Cancelled;
        }
        if (error) {
            if (!m_stageInBackground) // copies staged meanwhile count their own bytes
                m_status.bytesDone = before;
            const bool tooLarge = error == EFBIG && largest > 0;
            const Step step = tooLarge
                                  ? askAboutError(source, error, tooLargeForDriveReason(), true)
                                  : askAboutError(source, error);
            if (step == Step::Retry)
                continue;
            if (treeIncomplete)
                *treeIncomplete = true;
            return step;
        }
        pending.finalName = name;
        pending.originalName = baseName(source);
        pending.replace = replace;
        pending.renameOnCollision = flag(FileOperationFlag::kRenameOnCollision);
        pending.sourcePath = source;
        pending.folderPath = place.path;
        pending.journalled = place.journalled;
        pending.copiedStat = st;
        if (removeSource)
            pending.sourceToRemove = source;
        pending.treeIncomplete = treeIncomplete;
        pending.folder = place.folder;
        if (m_stageInBackground)
            pending.staging = std::make_unique<BackgroundStage>(
                std::move(in), st, place.folder, &m_status.cancel, &m_status.bytesDone);
        m_batchBytes += st.st_size;
        m_batch.push_back(std::move(pending));
        if (m_batch.size() >= kBatchFiles || m_batchBytes >= kBatchBytes)
            flushBatch();
        return Step::Done;
    }
}

FileOperationJob::Step FileOperationJob::copySymlink(const QByteArray& source,
                                                     const struct stat& linkStat,
                                                     const Place& place, const QByteArray& name,
                                                     bool replace, bool removeSource)
{
    const int dir = place.folder->get();
    const QByteArray target = place.path + '/' + name;
    TrashEntry replaced;
    if (replace) {
        if (const Step step = setReplacedAside(target, replaced, replace); step != Step::Done)
            return step;
    }
    bool made = false;
    for (;;) {
        int error = 0;
        QString reason;
        if (!made) {
            QByteArray link(4096, '\0');
            const ssize_t n = ::readlink(source.constData(), link.data(), size_t(link.size()));
            error = n < 0 ? errno : 0;
            if (!error) {
                link.truncate(int(n));
                const QByteArray temp = replace ? "." + name.left(200) + ".vantoro-link" : name;
                if (::symlinkat(link.constData(), dir, temp.constData()) != 0)
                    error = errno;
                else if (replace && ::renameat(dir, temp.constData(), dir, name.constData()) != 0)
                    error = errno, ::unlinkat(dir, temp.constData(), 0);
            }
            made = error == 0;
        }
        if (made && removeSource) {
            // The new link must be on the disk before the old one goes, and the old one must
            // still be the link that was copied: a file put in its place is not removed.
            struct stat now;
            if (::fsync(dir) != 0)
                error = errno;
            else if (::lstat(source.constData(), &now) != 0)
                error = errno;
            else if (!sameFile(now, linkStat))
                error = EBUSY, reason = changedSinceCopyReason();
            else if (::unlink(source.constData()) != 0)
                error = errno;
            if (error == ENOENT && !goneFromItsDrive(source, linkStat.st_dev))
                error = ENODEV, reason = driveGoneReason();
            else if (error == ENOENT)
                error = 0;
        }
        if (!error)
            break;
        bool cannotHold = false;
        if (!made && reason.isEmpty()) {
            reason = unholdableNameReason(name, error);
            if (reason.isEmpty())
                reason = unholdableLinkReason(error);
            cannotHold = !reason.isEmpty();
        }
        const Step step = askAboutError(source, error, reason, cannotHold);
        if (step == Step::Retry)
            continue;
        // The file it was to replace goes back to its place when the link did not take it.
        if (!made && replaced.isValid())
            restoreFromTrash(replaced, target);
        if (made && place.journalled)
            m_result.journal.recordTransfer(JournalEntry::Kind::Copied, source, target, replaced);
        return step;
    }
    if (place.journalled)
        m_result.journal.recordTransfer(removeSource ? JournalEntry::Kind::Moved
                                                     : JournalEntry::Kind::Copied,
                                        source, target, replaced);
    return Step::Done;
}

FileOperationJob::Step FileOperationJob::copyFolder(const QByteArray& source, const Place& place,
                                                    const QByteArray& name, bool removeSource,
                                                    bool& incomplete)
{
    // The files of this folder point at `own` until they are committed: the batch is flushed
    // before it goes out of scope.
    bool own = false;
    bool merged = false;
    const Step step = copyTree(source, place, name, removeSource, own, merged);
    flushBatch();
    if (place.journalled && !merged && !own && step == Step::Done)
        m_result.journal.recordTransfer(removeSource ? JournalEntry::Kind::Moved
                                                     : JournalEntry::Kind::Copied,
                                        source, place.path + '/' + name);
    if (own)
        incomplete = true;
    return step;
}

FileOperationJob::Step FileOperationJob::copyTree(const QByteArray& source, const Place& place,
                                                  const QByteArray& name, bool removeSource,
                                                  bool& incomplete, bool& merged)
{
    SharedFd sub;
    struct stat sourceStat;
    for (;;) {
        int error = 0;
        if (::lstat(source.constData(), &sourceStat) != 0)
            error = errno;
        merged = false;
        if (!error && ::mkdirat(place.folder->get(), name.constData(), 0700) != 0) {
            error = errno == EEXIST ? 0 : errno;
            merged = error == 0;
        }
        if (!error) {
            // An existing folder of the name is merged into; anything else of the name is not.
            const int fd = ::openat(place.folder->get(), name.constData(),
                                    O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (fd >= 0) {
                sub = std::make_shared<const UniqueFd>(fd);
                if (merged) {
                    // A copy of this very operation may be in flight into it: its temporary is
                    // locked only once created.
                    waitForStaging();
                    removeStaleCopyTemporaries(fd);
                }
            } else {
                error = errno;
            }
        }
        if (!error)
            break;
        const Step step = askAboutRefusedName(source, error, name);
        if (step == Step::Retry)
            continue;
        incomplete = true;
        return step;
    }

    std::vector<QByteArray> names;
    if (DIR* dir = ::opendir(source.constData())) {
        while (const dirent* entry = ::readdir(dir)) {
            const QByteArray child(entry->d_name);
            if (child != "." && child != "..")
                names.push_back(child);
        }
        ::closedir(dir);
    } else {
        incomplete = true;
        return askAboutError(source, errno) == Step::Cancelled ? Step::Cancelled : Step::Skipped;
    }
    std::sort(names.begin(), names.end());

    // What goes into a folder that was there before is the operation's own, item by item; what
    // goes into a new folder goes with it.
    const Place inside{sub, place.path + '/' + name, place.journalled && merged};
    for (const QByteArray& childName : names) {
        if (m_stop || cancelRequested()) {
            incomplete = true;
            m_stop = true;
            return Step::Cancelled;
        }
        const QByteArray child = source + '/' + childName;
        m_status.setCurrentPath(display(child));
        if (copyTreeEntry(child, inside, childName, removeSource, incomplete) != Step::Done)
            incomplete = true;
    }
    if (merged)
        return m_stop ? Step::Cancelled : Step::Done; // the folder that was there keeps its own
    ::fchmod(sub->get(), sourceStat.st_mode & 07777);
    // A folder's default ACL is what its new files inherit: it goes with the folder.
    const UniqueFd sourceFolder(
        ::open(source.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (sourceFolder.isValid())
        copyExtendedAttributes(sourceFolder.get(), sub->get());
    return m_stop ? Step::Cancelled : Step::Done;
}

FileOperationJob::Step FileOperationJob::copyTreeEntry(const QByteArray& child, const Place& sub,
                                                       const QByteArray& childName,
                                                       bool removeSource, bool& incomplete)
{
    for (;;) {
        // Whatever is left behind is named with its reason, never only counted.
        struct stat st;
        Step step = Step::Done;
        if (::lstat(child.constData(), &st) != 0) {
            step = askAboutError(child, errno);
        } else if (S_ISDIR(st.st_mode)) {
            if (sub.journalled)
                return copyFolder(child, sub, childName, removeSource, incomplete);
            bool merged = false;
            return copyTree(child, sub, childName, removeSource, incomplete, merged);
        } else if (!S_ISREG(st.st_mode) && !S_ISLNK(st.st_mode)) {
            step = askAboutError(child, EOPNOTSUPP, uncopiableKindReason(st.st_mode));
        } else if (bool nameTaken = true;
                   namesSameFile(child, st, sub.folder->get(), childName, nameTaken)) {
            step = askAboutError(child, 0, sameFileReason());
        } else {
            QByteArray target = childName;
            bool replace = false;
            step = nameTaken ? resolveCollision(sub.folder->get(), target, replace, false)
                             : Step::Done;
            if (step != Step::Done)
                return step;
            if (S_ISREG(st.st_mode))
                return copyFile(child, sub, target, replace, removeSource, &incomplete);
            return copySymlink(child, st, sub, target, replace, removeSource);
        }
        if (step != Step::Retry)
            return step;
    }
}

} // namespace vantoro
