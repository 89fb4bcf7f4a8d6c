// The commit of a batch of staged copies: one flush, the final names, the flush of their
// folders, and only then the removal of a move's sources.
#include "fileops/FileOperationJob.h"

#include "fileops/DriveLimits.h"

#include "fileops/FileOperationSupport.h"
#include "fileops/IoError.h"
#include "fileops/TrashRestore.h"

#include <algorithm>
#include <cerrno>
#include <map>
#include <set>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace vantoro {

namespace {

// On a drive where each file is flushed by itself, this many copies are staged at once: enough
// to overlap the round trips of a network drive, few enough to keep its link and the machine
// free.
constexpr size_t kStagingInFlight = 4;

// Whether `size` bytes fit in what the drive of `folder` has free now.
bool fitsOnDrive(int folder, qint64 size)
{
    struct statvfs fs;
    return ::fstatvfs(folder, &fs) == 0 && qint64(fs.f_bavail) * qint64(fs.f_frsize) >= size;
}

} // namespace

FileOperationJob::Step FileOperationJob::commitPending(Pending& pending)
{
    for (;;) {
        int error = pending.file.commit(pending.finalName, pending.replace);
        if (error == 0)
            return Step::Done;
        if (error == EEXIST && !pending.replace) {
            // Taken meanwhile, e.g. by an earlier file of the same name in this very operation.
            const int folder = pending.file.folder()->get();
            QByteArray name = pending.renameOnCollision ? pending.originalName : pending.finalName;
            bool replace = false;
            const Step step = resolveCollision(folder, name, replace, false);
            if (step != Step::Done)
                return step;
            pending.finalName = name;
            pending.replace = replace;
            continue;
        }
        const Step step = askAboutRefusedName(pending.sourcePath, error, pending.finalName);
        if (step != Step::Retry)
            return step;
    }
}

int FileOperationJob::stageAgain(Pending& pending, const SharedFd& folder)
{
    UniqueFd in(::open(pending.sourcePath.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
    if (!in.isValid() || ::fstat(in.get(), &pending.copiedStat) != 0)
        return errno;
    if (const int error =
            pending.file.stage(in.get(), pending.copiedStat, folder,
                               CopyControl{&m_status.cancel, &m_status.bytesDone, &m_leftovers}))
        return error;
    return pending.file.sync();
}

FileOperationJob::Step FileOperationJob::askAboutPending(const Pending& pending, int errorCode,
                                                         const QString& reason)
{
    // The batch is being placed: only this file is asked about, nothing is flushed first.
    return askErrorNow(pending.sourcePath, errorCode, reason);
}

FileOperationJob::Step FileOperationJob::removeMovedSource(Pending& pending, const SharedFd& folder)
{
    const QByteArray& source = pending.sourceToRemove;
    for (;;) {
        // The source goes by name, so the name must still hold what was copied: a recording
        // that grew, or a file another program put in its place, stays. (Between this look
        // and the unlink a replacement can still slip in; no call removes a name only if it
        // still names a given file.)
        struct stat now;
        int error = 0;
        QString reason;
        if (::lstat(source.constData(), &now) != 0) {
            error = errno;
        } else if (!unchangedSince(now, pending.copiedStat)) {
            error = EBUSY;
            reason = changedSinceCopyReason();
        } else if (::unlink(source.constData()) == 0) {
            return Step::Done;
        } else {
            error = errno;
        }
        // Not found is done only where the drive answers: a pulled stick's files are not gone.
        if (error == ENOENT) {
            if (goneFromItsDrive(source, pending.copiedStat.st_dev))
                return Step::Done;
            error = ENODEV;
            reason = driveGoneReason();
        }
        const Step step = askAboutPending(pending, error, reason);
        if (step != Step::Retry)
            return step;
        if (error != EBUSY || reason.isEmpty())
            continue; // a look again, at a drive that may be back
        // Retry of a changed source: copy it afresh over the copy just placed, then look again.
        for (;;) {
            int again = stageAgain(pending, folder);
            if (!again)
                again = pending.file.commit(pending.finalName, true);
            if (!again && ::fsync(folder->get()) != 0)
                again = errno;
            if (!again)
                break;
            pending.file.discard();
            const Step retry = askAboutPending(pending, again, {});
            if (retry != Step::Retry)
                return retry;
        }
    }
}

int FileOperationJob::flushBatch()
{
    if (m_batch.empty())
        return 0;
    std::vector<Pending> batch;
    batch.swap(m_batch);
    m_batchBytes = 0;
    std::vector<Placement> placements = syncBatch(batch);
    placeBatch(batch, placements);
    finishBatch(batch, placements);
    return 0;
}

bool FileOperationJob::stagingInFlight() const
{
    return std::any_of(m_batch.begin(), m_batch.end(),
                       [](const Pending& p) { return p.staging != nullptr; });
}

void FileOperationJob::waitForStagingSlot()
{
    for (;;) {
        const Pending* oldest = nullptr;
        size_t running = 0;
        for (const Pending& p : m_batch) {
            if (p.staging && !p.staging->isDone()) {
                ++running;
                if (!oldest)
                    oldest = &p;
            }
        }
        if (running < kStagingInFlight)
            return;
        oldest->staging->wait();
    }
}

void FileOperationJob::waitForStaging()
{
    for (const Pending& p : m_batch) {
        if (p.staging)
            p.staging->wait();
    }
}

bool FileOperationJob::settleBeforeAsking()
{
    if (!stagingInFlight())
        return true;
    flushBatch();
    if (!m_stop)
        return true;
    m_result.anyOperationsAborted = true;
    return false;
}

std::vector<FileOperationJob::Placement> FileOperationJob::syncBatch(std::vector<Pending>& batch)
{
    // The copies staged on threads of their own were flushed there, each by itself; they are
    // taken back in file order. The others share one flush: syncfs per file system when there
    // are several files (a single journal commit instead of one per file). syncfs reports a
    // write-back error on its file system without saying which file; then each file is
    // flushed to find it. On a drive that syncfs does not reach (FUSE) each file is flushed by
    // itself.
    std::vector<Placement> placements(batch.size());
    std::vector<size_t> rest;
    for (size_t i = 0; i < batch.size(); ++i) {
        if (!batch[i].staging) {
            rest.push_back(i);
            continue;
        }
        placements[i].syncError = batch[i].staging->finish(batch[i].file, m_leftovers);
        placements[i].stagedAlongside = true;
        batch[i].staging.reset();
    }
    if (rest.size() == 1) {
        placements[rest[0]].syncError = batch[rest[0]].file.sync();
        return placements;
    }
    std::set<dev_t> failedDevices;
    std::set<dev_t> doneDevices;
    for (const size_t i : rest) {
        const Pending& p = batch[i];
        if (doneDevices.insert(p.file.device()).second &&
            (!syncfsReachesDrive(p.file.fd()) || ::syncfs(p.file.fd()) != 0))
            failedDevices.insert(p.file.device());
    }
    for (const size_t i : rest) {
        if (failedDevices.count(batch[i].file.device()))
            placements[i].syncError = batch[i].file.sync();
    }
    return placements;
}

FileOperationJob::Step FileOperationJob::copyAgainAfterSyncError(Pending& pending,
                                                                 Placement& placement)
{
    // The kernel reported the write-back error once and will not again: this copy cannot be
    // trusted, the file is copied afresh on Retry.
    pending.file.discard();
    for (;;) {
        const Step step = askAboutPending(pending, placement.syncError, {});
        if (step != Step::Retry)
            return step;
        placement.syncError = stageAgain(pending, placement.folder);
        if (!placement.syncError)
            return Step::Done;
        pending.file.discard();
    }
}

void FileOperationJob::placeBatch(std::vector<Pending>& batch, std::vector<Placement>& placements)
{
    // A cancel from the progress window keeps the copies that are complete; a Cancel answered
    // to a question during this flush drops the ones not yet placed.
    const bool stoppedBefore = m_stop;
    for (size_t i = 0; i < batch.size(); ++i) {
        Pending& p = batch[i];
        Placement& placement = placements[i];
        if (m_stop && !stoppedBefore) {
            p.file.discard();
            continue;
        }
        placement.folder = p.file.folder() ? p.file.folder() : p.folder;
        if (!placement.folder)
            placement.folder = m_destinationFolder;
        const bool full = placement.syncError == ENOSPC || placement.syncError == EDQUOT;
        if (full && placement.stagedAlongside &&
            fitsOnDrive(placement.folder->get(), p.copiedStat.st_size)) {
            // The copies in flight with it took the room it needed, and gave it back as they
            // failed: it goes again, alone, before anything is asked.
            placement.syncError = stageAgain(p, placement.folder);
            if (placement.syncError)
                p.file.discard();
        }
        if (placement.syncError == ECANCELED) {
            // Stopped by a cancel while it was staged on its own thread: dropped, not asked.
            m_result.anyOperationsAborted = true;
            continue;
        }
        if (placement.syncError && copyAgainAfterSyncError(p, placement) != Step::Done)
            continue;
        // A file that replaces another sends that one to the Trash first, so that an undo can
        // bring it back; where the Trash refuses it, it is deleted for good only if the user
        // says so, else this file is skipped.
        const QByteArray target = p.folderPath + '/' + p.finalName;
        if (p.replace && setReplacedAside(target, placement.replaced, p.replace) != Step::Done) {
            p.file.discard();
            continue;
        }
        if (commitPending(p) == Step::Done) {
            placement.committed = true;
        } else {
            p.file.discard();
            // The file that was to be replaced goes back to its place.
            if (placement.replaced.isValid() && restoreFromTrash(placement.replaced, target) == 0)
                placement.replaced = {};
        }
    }
}

void FileOperationJob::finishBatch(std::vector<Pending>& batch,
                                   const std::vector<Placement>& placements)
{
    // The new names must be on the disk before any source of a move goes. A folder whose flush
    // failed may not hold them after a crash: its sources stay, and the user is asked once per
    // folder whether to flush it again.
    struct FolderFlush
    {
        int error = 0;
        std::optional<Step> answer; // what the user chose for a folder that failed
    };
    std::map<const UniqueFd*, FolderFlush> flushes;
    for (const Placement& placement : placements) {
        if (placement.committed && !flushes.count(placement.folder.get()))
            flushes[placement.folder.get()].error =
                ::fsync(placement.folder->get()) == 0 ? 0 : errno;
    }
    for (size_t i = 0; i < batch.size(); ++i) {
        Pending& p = batch[i];
        const Placement& placement = placements[i];
        Step step = placement.committed ? Step::Done : Step::Skipped;
        if (placement.committed) {
            FolderFlush& flush = flushes[placement.folder.get()];
            while (flush.error && !flush.answer) {
                const Step answer = askAboutPending(p, flush.error, {});
                if (answer != Step::Retry)
                    flush.answer = answer;
                else if (::fsync(placement.folder->get()) == 0)
                    flush.error = 0;
                else
                    flush.error = errno;
            }
            if (flush.error)
                step = *flush.answer;
        }
        if (step == Step::Done && !p.sourceToRemove.isEmpty())
            step = removeMovedSource(p, placement.folder);
        // The journal lists the operation's own files and what a merge added; those inside a
        // new folder go with it. A move whose source stayed left a copy.
        if (placement.committed && p.journalled)
            m_result.journal.recordTransfer(
                !p.sourceToRemove.isEmpty() && step == Step::Done ? JournalEntry::Kind::Moved
                                                                  : JournalEntry::Kind::Copied,
                p.sourcePath, p.folderPath + '/' + p.finalName, placement.replaced);
        if (step != Step::Done) {
            m_result.anyOperationsAborted = true;
            if (p.treeIncomplete)
                *p.treeIncomplete = true;
        }
    }
}

} // namespace vantoro
