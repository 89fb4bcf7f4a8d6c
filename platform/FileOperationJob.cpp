#include "platform/FileOperationJob.h"

#include "platform/IoError.h"
#include "platform/Folders.h"
#include "platform/Trash.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <set>

#include <dirent.h>
#include <fcntl.h>
#include <ftw.h>
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

QByteArray withoutTrailingSlashes(QByteArray path)
{
    while (path.size() > 1 && path.endsWith('/'))
        path.chop(1);
    return path;
}

QByteArray baseName(const QByteArray& path)
{
    const int slash = path.lastIndexOf('/');
    return slash < 0 ? path : path.mid(slash + 1);
}

QByteArray parentFolder(const QByteArray& path)
{
    const int slash = path.lastIndexOf('/');
    if (slash < 0)
        return ".";
    return slash == 0 ? QByteArray("/") : path.left(slash);
}

bool sameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

int removeEntry(const char* path, const struct stat*, int type, struct FTW*)
{
    const int rc = type == FTW_DP ? ::rmdir(path) : ::unlink(path);
    return rc == 0 ? 0 : errno;
}

// Removes a file, or a folder with everything in it, for good.
int removePermanently(const QByteArray& path)
{
    struct stat st;
    if (::lstat(path.constData(), &st) != 0)
        return errno;
    if (!S_ISDIR(st.st_mode))
        return ::unlink(path.constData()) == 0 ? 0 : errno;
    const int rc = ::nftw(path.constData(), removeEntry, 32, FTW_DEPTH | FTW_PHYS);
    return rc < 0 ? errno : rc;
}

// After a folder was moved by copying: removes the folders of the source that are empty now,
// deepest first. Anything still inside (a file that could not be moved, or one that appeared
// meanwhile) keeps its folders.
void removeEmptyFolders(const QByteArray& path)
{
    if (DIR* dir = ::opendir(path.constData())) {
        std::vector<QByteArray> children;
        while (const dirent* entry = ::readdir(dir)) {
            const QByteArray name(entry->d_name);
            if (name != "." && name != ".." && entry->d_type == DT_DIR)
                children.push_back(path + '/' + name);
        }
        ::closedir(dir);
        for (const QByteArray& child : children)
            removeEmptyFolders(child);
    }
    ::rmdir(path.constData());
}

int makeFolders(const QByteArray& path)
{
    for (int slash = path.indexOf('/', 1);; slash = path.indexOf('/', slash + 1)) {
        const QByteArray prefix = slash < 0 ? path : path.left(slash);
        if (::mkdir(prefix.constData(), 0777) != 0 && errno != EEXIST)
            return errno;
        if (slash < 0)
            return 0;
    }
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
    return m_result;
}

FileOperationJob::Step FileOperationJob::askAboutError(const QByteArray& path, int errorCode,
                                                       const QString& reason)
{
    // What is staged so far is complete: it goes to its final names before the user is asked,
    // so that a Cancel keeps the work done and the box never waits with files half-placed.
    flushBatch();
    if (m_stop)
        return Step::Cancelled;
    FileOperationError error;
    error.operation = m_request.operation;
    error.path = display(path);
    if (m_request.operation != FileOperationCode::Delete)
        error.destination = display(m_destination);
    error.errorCode = errorCode;
    error.reason = reason.isEmpty() ? systemErrorText(errorCode) : reason;
    switch (m_questions.askError(error)) {
    case ErrorChoice::Retry:
        return Step::Retry;
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
        QString reason;
        if (flag(FileOperationFlag::kAllowUndo)) {
            const TrashOutcome outcome = moveToTrash(path);
            if (outcome.status == TrashOutcome::Status::Trashed) {
                m_result.journal.recordTrashed(path);
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
                    return true;
                }
                error = errno;
            } else {
                error = ENOTDIR;
            }
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
    if (m_collisionForAll) {
        choice = *m_collisionForAll;
    } else if (!flag(FileOperationFlag::kNoConfirmation)) {
        const CollisionAnswer answer =
            m_questions.askCollision(display(name), display(m_destination));
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
    const bool move = m_request.operation == FileOperationCode::Move;
    for (;;) {
        struct stat st;
        if (known) {
            st = *known;
            known = nullptr; // a retry looks again
        } else if (::lstat(source.constData(), &st) != 0) {
            const Step step = askAboutError(source, errno);
            if (step == Step::Retry)
                continue;
            return step;
        }
        const int folder = m_destinationFolder->get();
        // Sources mostly share one folder: its identity is looked up once.
        const QByteArray parent = parentFolder(source);
        if (parent != m_parentPath) {
            m_parentPath = parent;
            m_parentKnown = ::stat(parent.constData(), &m_parentStat) == 0;
        }
        const bool sameFolder = m_parentKnown && sameFile(m_parentStat, m_destinationStat);
        QString refusal;
        if (sameFolder && (move || !flag(FileOperationFlag::kRenameOnCollision)))
            refusal = QStringLiteral("The source and the destination are the same file");
        if (S_ISDIR(st.st_mode) && refusal.isEmpty()) {
            // A folder cannot go into itself or into one of its own sub-folders: walk up from
            // the destination comparing identities, not names.
            for (QByteArray up = m_destination;; up = parentFolder(up)) {
                struct stat at;
                if (::stat(up.constData(), &at) == 0 && sameFile(at, st)) {
                    refusal =
                        QStringLiteral("The destination folder is inside the folder being copied");
                    break;
                }
                if (up == "/" || up == ".")
                    break;
            }
        }
        if (!refusal.isEmpty()) {
            const Step step = askAboutError(source, 0, refusal);
            if (step == Step::Retry)
                continue;
            return step;
        }

        QByteArray name = baseName(source);
        bool replace = false;
        bool crossDevice = false;
        if (move) {
            // A move within one file system is one rename that never replaces: only when the
            // name turns out to be taken (or the file systems differ) is more to be done.
            if (::renameat2(AT_FDCWD, source.constData(), folder, name.constData(),
                            RENAME_NOREPLACE) == 0) {
                m_status.bytesDone += S_ISREG(st.st_mode)   ? qint64(st.st_size)
                                      : S_ISDIR(st.st_mode) ? totalBytes(m_destination + '/' + name)
                                                            : 0;
                m_result.journal.recordTransfer(JournalEntry::Kind::Moved, source,
                                                m_destination + '/' + name);
                return Step::Done;
            }
            const int error = errno;
            crossDevice = error == EXDEV;
            if (error != EEXIST && error != EXDEV && error != EINVAL && error != ENOSYS) {
                const Step step = askAboutError(source, error);
                if (step == Step::Retry)
                    continue;
                return step;
            }
        }
        struct stat existing = {};
        const bool nameTaken =
            ::fstatat(folder, name.constData(), &existing, AT_SYMLINK_NOFOLLOW) == 0 ||
            errno != ENOENT;
        if (nameTaken && sameFile(existing, st) && !flag(FileOperationFlag::kRenameOnCollision)) {
            // The destination holds this very file under another link: replacing it with a
            // copy of itself would gain nothing, a move would lose the last name.
            const Step step = askAboutError(
                source, 0, QStringLiteral("The source and the destination are the same file"));
            if (step == Step::Retry)
                continue;
            return step;
        }
        if (nameTaken) {
            const Step collision = resolveCollision(folder, name, replace, sameFolder);
            if (collision != Step::Done)
                return collision;
        }

        // A replaced file goes to the Trash first, where an undo finds it again; where the Trash
        // refuses it, it is replaced as asked.
        TrashEntry replaced;
        if (replace && move && !crossDevice && !S_ISDIR(st.st_mode)) {
            replaced = m_result.journal.trashBeforeReplace(m_destination + '/' + name);
            replace = !replaced.isValid();
        }
        if (move && !crossDevice) {
            const int rc = replace
                               ? ::renameat(AT_FDCWD, source.constData(), folder, name.constData())
                               : ::renameat2(AT_FDCWD, source.constData(), folder, name.constData(),
                                             RENAME_NOREPLACE);
            if (rc == 0) {
                m_status.bytesDone += S_ISREG(st.st_mode)   ? qint64(st.st_size)
                                      : S_ISDIR(st.st_mode) ? totalBytes(m_destination + '/' + name)
                                                            : 0;
                m_result.journal.recordTransfer(JournalEntry::Kind::Moved, source,
                                                m_destination + '/' + name, replaced);
                return Step::Done;
            }
            const int error = errno;
            const bool mergeFolders =
                S_ISDIR(st.st_mode) && (error == ENOTEMPTY || error == EEXIST);
            if (error != EXDEV && !mergeFolders) {
                const Step step = askAboutError(source, error);
                if (step == Step::Retry)
                    continue;
                return step;
            }
        }
        if (S_ISREG(st.st_mode))
            return copyFile(source, m_destinationFolder, name, replace, move, nullptr);
        if (S_ISLNK(st.st_mode)) {
            const Step step = copySymlink(source, folder, name, replace, move);
            if (step == Step::Done)
                m_result.journal.recordTransfer(move ? JournalEntry::Kind::Moved
                                                     : JournalEntry::Kind::Copied,
                                                source, m_destination + '/' + name);
            return step;
        }
        if (S_ISDIR(st.st_mode)) {
            bool incomplete = false;
            const Step step = copyTree(source, m_destinationFolder, name, move, incomplete);
            flushBatch();
            if (move && !incomplete && !m_stop && step == Step::Done)
                removeEmptyFolders(source);
            if (!incomplete && step == Step::Done)
                m_result.journal.recordTransfer(move ? JournalEntry::Kind::Moved
                                                     : JournalEntry::Kind::Copied,
                                                source, m_destination + '/' + name);
            if (incomplete)
                m_result.anyOperationsAborted = true;
            return step;
        }
        const Step step = askAboutError(source, EOPNOTSUPP);
        if (step == Step::Retry)
            continue;
        return step;
    }
}

FileOperationJob::Step FileOperationJob::copyFile(const QByteArray& source, const SharedFd& folder,
                                                  const QByteArray& name, bool replace,
                                                  bool removeSource, bool* treeIncomplete)
{
    const CopyControl control{&m_status.cancel, &m_status.bytesDone};
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
        if (!in.isValid() || ::fstat(in.get(), &st) != 0)
            error = errno;
        else
            error = pending.file.stage(in.get(), st, folder, control);
        if (error == ECANCELED) {
            if (treeIncomplete)
                *treeIncomplete = true;
            m_result.anyOperationsAborted = true;
            m_stop = true;
            return Step::Cancelled;
        }
        if (error) {
            m_status.bytesDone = before;
            const Step step = askAboutError(source, error);
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
        if (removeSource)
            pending.sourceToRemove = source;
        pending.treeIncomplete = treeIncomplete;
        m_batchBytes += st.st_size;
        m_batch.push_back(std::move(pending));
        if (m_batch.size() >= kBatchFiles || m_batchBytes >= kBatchBytes)
            flushBatch();
        return Step::Done;
    }
}

FileOperationJob::Step FileOperationJob::copySymlink(const QByteArray& source, int folder,
                                                     const QByteArray& name, bool replace,
                                                     bool removeSource)
{
    for (;;) {
        QByteArray target(4096, '\0');
        const ssize_t n = ::readlink(source.constData(), target.data(), size_t(target.size()));
        int error = n < 0 ? errno : 0;
        if (!error) {
            target.truncate(int(n));
            const QByteArray temp = replace ? "." + name.left(200) + ".vantoro-link" : name;
            if (::symlinkat(target.constData(), folder, temp.constData()) != 0)
                error = errno;
            else if (replace && ::renameat(folder, temp.constData(), folder, name.constData()) != 0)
                error = errno, ::unlinkat(folder, temp.constData(), 0);
        }
        if (!error) {
            if (removeSource)
                ::unlink(source.constData());
            return Step::Done;
        }
        const Step step = askAboutError(source, error);
        if (step != Step::Retry)
            return step;
    }
}

FileOperationJob::Step FileOperationJob::copyTree(const QByteArray& source, const SharedFd& folder,
                                                  const QByteArray& name, bool removeSource,
                                                  bool& incomplete)
{
    SharedFd sub;
    struct stat sourceStat;
    for (;;) {
        int error = 0;
        if (::lstat(source.constData(), &sourceStat) != 0)
            error = errno;
        else if (::mkdirat(folder->get(), name.constData(), 0700) != 0 && errno != EEXIST)
            error = errno;
        if (!error) {
            // An existing folder of the name is merged into; anything else of the name is not.
            const int fd = ::openat(folder->get(), name.constData(),
                                    O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (fd >= 0)
                sub = std::make_shared<const UniqueFd>(fd);
            else
                error = errno;
        }
        if (!error)
            break;
        const Step step = askAboutError(source, error);
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

    for (const QByteArray& childName : names) {
        if (m_stop || cancelRequested()) {
            incomplete = true;
            m_stop = true;
            return Step::Cancelled;
        }
        const QByteArray child = source + '/' + childName;
        struct stat st;
        if (::lstat(child.constData(), &st) != 0) {
            incomplete = true;
            continue;
        }
        m_status.setCurrentPath(display(child));
        if (S_ISDIR(st.st_mode)) {
            copyTree(child, sub, childName, removeSource, incomplete);
            continue;
        }
        QByteArray target = childName;
        bool replace = false;
        if (resolveCollision(sub->get(), target, replace, false) != Step::Done) {
            incomplete = true;
            continue;
        }
        Step step = Step::Done;
        if (S_ISREG(st.st_mode))
            step = copyFile(child, sub, target, replace, removeSource, &incomplete);
        else if (S_ISLNK(st.st_mode))
            step = copySymlink(child, sub->get(), target, replace, removeSource);
        else
            incomplete = true; // devices, sockets and pipes are not copied
        if (step != Step::Done)
            incomplete = true;
    }
    ::fchmod(sub->get(), sourceStat.st_mode & 07777);
    return m_stop ? Step::Cancelled : Step::Done;
}

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
        const Step step = askAboutError(pending.sourcePath, error);
        if (step != Step::Retry)
            return step;
    }
}

int FileOperationJob::flushBatch()
{
    if (m_batch.empty())
        return 0;
    std::vector<Pending> batch;
    batch.swap(m_batch);
    m_batchBytes = 0;

    // One flush for the whole batch: syncfs per file system when there are several files
    // (a single journal commit instead of one per file). syncfs reports a write-back error on
    // its file system without saying which file; then each file is flushed to find it.
    std::vector<int> syncError(batch.size(), 0);
    if (batch.size() == 1) {
        syncError[0] = batch[0].file.sync();
    } else {
        std::set<dev_t> failedDevices;
        std::set<dev_t> doneDevices;
        for (const Pending& p : batch) {
            if (doneDevices.insert(p.file.device()).second && ::syncfs(p.file.fd()) != 0)
                failedDevices.insert(p.file.device());
        }
        for (size_t i = 0; i < batch.size(); ++i) {
            if (failedDevices.count(batch[i].file.device()))
                syncError[i] = batch[i].file.sync();
        }
    }

    std::set<const UniqueFd*> touchedFolders;
    std::vector<SharedFd> keepFolders;
    std::vector<bool> committed(batch.size(), false);
    std::vector<TrashEntry> replaced(batch.size());
    // A cancel from the progress window keeps the copies that are complete; a Cancel answered
    // to a question during this flush drops the ones not yet placed.
    const bool stoppedBefore = m_stop;
    for (size_t i = 0; i < batch.size(); ++i) {
        Pending& p = batch[i];
        if (m_stop && !stoppedBefore) {
            p.file.discard();
            continue;
        }
        if (syncError[i]) {
            // The kernel reported the write-back error once and will not again: this copy
            // cannot be trusted, the file is copied afresh on Retry.
            p.file.discard();
            Step step = Step::Retry;
            while (step == Step::Retry) {
                FileOperationError error;
                error.operation = m_request.operation;
                error.path = display(p.sourcePath);
                error.destination = display(m_destination);
                error.errorCode = syncError[i];
                error.reason = systemErrorText(syncError[i]);
                const ErrorChoice choice = m_questions.askError(error);
                if (choice == ErrorChoice::Cancel) {
                    m_stop = true;
                    step = Step::Cancelled;
                    break;
                }
                if (choice == ErrorChoice::Skip) {
                    step = Step::Skipped;
                    break;
                }
                UniqueFd in(::open(p.sourcePath.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
                struct stat st;
                const SharedFd folder = p.file.folder() ? p.file.folder() : m_destinationFolder;
                int again = (!in.isValid() || ::fstat(in.get(), &st) != 0) ? errno : 0;
                if (!again)
                    again = p.file.stage(in.get(), st, folder,
                                         CopyControl{&m_status.cancel, &m_status.bytesDone});
                if (!again)
                    again = p.file.sync();
                if (!again)
                    step = Step::Done;
                else
                    syncError[i] = again, p.file.discard();
            }
            if (step != Step::Done) {
                m_result.anyOperationsAborted = true;
                continue;
            }
        }
        const SharedFd folder = p.file.folder();
        // A file of the operation's own list that replaces another sends that one to the Trash
        // first (where the Trash takes it), so that an undo can bring it back.
        if (p.replace && p.treeIncomplete == nullptr) {
            replaced[i] = m_result.journal.trashBeforeReplace(m_destination + '/' + p.finalName);
            p.replace = !replaced[i].isValid();
        }
        if (commitPending(p) == Step::Done) {
            committed[i] = true;
            if (touchedFolders.insert(folder.get()).second)
                keepFolders.push_back(folder);
        } else {
            p.file.discard();
        }
    }
    // The new names must be on the disk before any source of a move goes.
    for (const SharedFd& folder : keepFolders)
        ::fsync(folder->get());
    for (size_t i = 0; i < batch.size(); ++i) {
        Pending& p = batch[i];
        if (!committed[i]) {
            if (p.treeIncomplete)
                *p.treeIncomplete = true;
            continue;
        }
        // The journal lists the operation's own files; those inside a folder go with it.
        const bool topLevel = p.treeIncomplete == nullptr;
        if (p.sourceToRemove.isEmpty()) {
            if (topLevel)
                m_result.journal.recordTransfer(JournalEntry::Kind::Copied, p.sourcePath,
                                                m_destination + '/' + p.finalName, replaced[i]);
            continue;
        }
        bool removed = true;
        while (::unlink(p.sourceToRemove.constData()) != 0 && errno != ENOENT) {
            FileOperationError error;
            error.operation = m_request.operation;
            error.path = display(p.sourceToRemove);
            error.destination = display(m_destination);
            error.errorCode = errno;
            error.reason = systemErrorText(error.errorCode);
            const ErrorChoice choice = m_questions.askError(error);
            if (choice == ErrorChoice::Retry)
                continue;
            m_result.anyOperationsAborted = true;
            removed = false;
            if (p.treeIncomplete)
                *p.treeIncomplete = true;
            if (choice == ErrorChoice::Cancel)
                m_stop = true;
            break;
        }
        if (topLevel)
            m_result.journal.recordTransfer(
                removed ? JournalEntry::Kind::Moved : JournalEntry::Kind::Copied, p.sourcePath,
                m_destination + '/' + p.finalName, replaced[i]);
    }
    return 0;
}

} // namespace vantoro
