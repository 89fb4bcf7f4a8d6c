#pragma once

#include "fileops/BackgroundStage.h"
#include "fileops/DriveLimits.h"
#include "fileops/FileCopier.h"
#include "fileops/FileOperationEngine.h"
#include "fileops/FileOperationQuestions.h"

#include <QByteArray>
#include <QMutex>
#include <QString>

#include <sys/stat.h>

#include <atomic>
#include <memory>
#include <optional>
#include <vector>

namespace vantoro {

// What a running operation shares with the thread that shows its progress.
struct FileOperationStatus
{
    std::atomic<bool> cancel{false};
    std::atomic<qint64> bytesDone{0};
    std::atomic<qint64> bytesTotal{0};
    std::atomic<int> itemsDone{0};
    std::atomic<int> itemCount{0};

    void setCurrentPath(const QString& path)
    {
        QMutexLocker lock(&m_mutex);
        m_currentPath = path;
    }
    QString currentPath() const
    {
        QMutexLocker lock(&m_mutex);
        return m_currentPath;
    }

private:
    mutable QMutex m_mutex;
    QString m_currentPath;
};

// One delete, copy or move, run start to end on the calling thread (the engine runs it on a
// worker thread). Every question goes to `questions`, which must be safe to call from that
// thread. Copies are staged in unnamed temporary files and committed in batches: one flush to
// the disk for many small files, after which they are linked under their final names, and only
// then are the sources of a move removed. On a drive where each file is flushed by itself
// (FUSE: sticks, a NAS) a few copies are staged and flushed at once on threads of their own
// (BackgroundStage); the commits, the questions and the journal stay on the calling thread.
class FileOperationJob
{
public:
    FileOperationJob(const FileOperationRequest& request, FileOperationQuestions& questions,
                     FileOperationStatus& status);
    ~FileOperationJob();
    FileOperationJob(const FileOperationJob&) = delete;
    FileOperationJob& operator=(const FileOperationJob&) = delete;

    FileOperationResult run();

private:
    struct Pending
    {
        StagedFile file;
        QByteArray finalName;
        QByteArray originalName; // the source's own name, from which free names are made
        bool replace = false;
        bool renameOnCollision = false;
        QByteArray sourceToRemove; // a moved file's source, removed after the commit
        QByteArray sourcePath;
        QByteArray folderPath;          // the path of the folder it goes into
        struct stat copiedStat = {};    // the source as it was when copied
        bool* treeIncomplete = nullptr; // set when this file of a folder move is not committed
        bool journalled = false;        // listed in the journal on its own
        SharedFd folder;                // the folder it goes into
        std::unique_ptr<BackgroundStage> staging; // while staged on a thread of its own
    };
    enum class Step { Done, Retry, Skipped, Cancelled };

    bool flag(quint16 f) const { return (m_request.flags & f) != 0; }
    bool cancelRequested() const { return m_status.cancel.load(std::memory_order_relaxed); }
    Step askAboutError(const QByteArray& path, int errorCode, const QString& reason = {},
                       bool driveCannotHold = false);
    // Asks the per-file error question about `path` and turns the answer into a step (Skip and
    // Cancel mark the operation aborted; Cancel stops it), flushing nothing first. What the
    // drive cannot hold is skipped unasked once the user said "skip all" to it.
    Step askErrorNow(const QByteArray& path, int errorCode, const QString& reason,
                     bool driveCannotHold = false);
    // The error question for a name the destination refused (`error`), in plain words where
    // the drive's name rules are the reason.
    Step askAboutRefusedName(const QByteArray& path, int error, const QByteArray& name);

    void runDelete();
    Step deleteOne(const QByteArray& path);

    void runTransfer();
    bool prepareDestination();
    // One source of a copy or move, asked about again for as long as the answer is Retry.
    Step transferOne(const QByteArray& source, const struct stat* known);
    // One try at it: the checks, a rename where one will do, the collision, then the copy.
    Step transferAttempt(const QByteArray& source, const struct stat* known);
    // Whether the source lies in the destination folder itself.
    bool inDestinationFolder(const QByteArray& source);
    // Why the source cannot go to the destination at all (it is the destination, or a folder
    // that holds it); empty when it can.
    QString transferRefusal(const struct stat& st, bool sameFolder) const;
    // A move within one file system is one rename that never replaces. Answers the step when
    // that settled the source; nothing when more is to be done: the name is taken, or the file
    // systems differ (`crossDevice`).
    std::optional<Step> moveByRename(const QByteArray& source, const struct stat& st,
                                     const QByteArray& name, bool& crossDevice);
    // The move's rename once a collision is answered (a replaced file goes to the Trash first;
    // `replace` is cleared when it did). Nothing when the folder is to be merged or copied.
    std::optional<Step> moveReplacing(const QByteArray& source, const struct stat& st,
                                      const QByteArray& name, bool& replace);
    // The source's data, link or folder tree copied under `name`; a move then removes it.
    Step transferByCopy(const QByteArray& source, const struct stat& st, const QByteArray& name,
                        bool replace);
    qint64 bytesOf(const struct stat& st, const QByteArray& path) const;
    Step resolveCollision(int folder, QByteArray& name, bool& replace, bool sameFolderCopy);
    // Whether a source is who the request says it must be (see sourceIdentities); a source
    // that is not is skipped.
    bool isExpectedSource(const QByteArray& source, const struct stat& st);
    // Where a copy puts an item: the open folder and its path, and whether the item is listed
    // in the journal on its own (an item of the operation's list, or one a merge adds to a
    // folder that was there before) rather than with the new folder that holds it.
    struct Place
    {
        SharedFd folder;
        QByteArray path;
        bool journalled = false;
    };
    Step copyFile(const QByteArray& source, const Place& place, const QByteArray& name,
                  bool replace, bool removeSource, bool* treeIncomplete);
    // Copies a folder tree under `name`; `merged` is set when a folder of that name was there
    // already and the tree went into it (each item it added then journalled on its own).
    Step copyTree(const QByteArray& source, const Place& place, const QByteArray& name,
                  bool removeSource, bool& incomplete, bool& merged);
    Step copyTreeEntry(const QByteArray& child, const Place& sub, const QByteArray& childName,
                       bool removeSource, bool& incomplete);
    // A folder of a tree (or the operation's own folder) copied, then journalled as a whole
    // where it is new and `place` journals what goes into it.
    Step copyFolder(const QByteArray& source, const Place& place, const QByteArray& name,
                    bool removeSource, bool& incomplete);
    Step copySymlink(const QByteArray& source, const struct stat& linkStat, const Place& place,
                     const QByteArray& name, bool replace, bool removeSource);
    // The file a copy or move is about to replace at `target` goes to the Trash first, where
    // an undo finds it again (`replaced`, and `replace` cleared). Where the Trash refuses it,
    // the user is asked whether to delete it for good: Yes keeps `replace` (the new file takes
    // its place), No keeps it and skips the source.
    Step setReplacedAside(const QByteArray& target, TrashEntry& replaced, bool& replace);
    // Whether `name` in the folder is the source itself (or what the source links to); tells
    // whether the name is taken at all, so that the one look serves the collision too (on a
    // network drive each look is a round trip).
    bool namesSameFile(const QByteArray& source, const struct stat& sourceStat, int folder,
                       const QByteArray& name, bool& nameTaken) const;
    // What became of one staged copy of a batch on its way to its final name.
    struct Placement
    {
        SharedFd folder;
        int syncError = 0;
        bool committed = false;
        bool stagedAlongside = false; // staged on a thread of its own, with others at once
        TrashEntry replaced;          // the file it replaced, in the Trash
    };
    // Flushes the batch to the disk, gives each copy its final name, flushes their folders and
    // only then removes a move's sources; each step in one of the functions below.
    int flushBatch();
    std::vector<Placement> syncBatch(std::vector<Pending>& batch);
    // Whether a copy of the batch is still being staged on a thread of its own.
    bool stagingInFlight() const;
    // Waits until fewer than the allowed number of copies are staged at once, or none.
    void waitForStagingSlot();
    void waitForStaging();
    // Before a question is asked: the copies in flight are finished and committed first, so
    // that no file fails unseen while the box waits, and earlier files are asked about first.
    // False when the operation was cancelled meanwhile.
    bool settleBeforeAsking();
    Step copyAgainAfterSyncError(Pending& pending, Placement& placement);
    void placeBatch(std::vector<Pending>& batch, std::vector<Placement>& placements);
    void finishBatch(std::vector<Pending>& batch, const std::vector<Placement>& placements);
    int stageAgain(Pending& pending, const SharedFd& folder);
    Step askAboutPending(const Pending& pending, int errorCode, const QString& reason);
    Step removeMovedSource(Pending& pending, const SharedFd& folder);
    Step commitPending(Pending& pending);
    qint64 totalBytes(const QByteArray& path) const;

    const FileOperationRequest& m_request;
    FileOperationQuestions& m_questions;
    FileOperationStatus& m_status;
    FileOperationResult m_result;
    QByteArray m_destination;
    QByteArray m_resolvedDestination; // m_destination with every link resolved
    SharedFd m_destinationFolder;
    DriveLimits m_destinationLimits;
    bool m_stageInBackground = false; // each file is flushed by itself: several at once
    bool m_skipWhatDriveCannotHold = false;
    struct stat m_destinationStat = {};
    QByteArray m_parentPath; // the folder of the last source, and its identity
    struct stat m_parentStat = {};
    bool m_parentKnown = false;
    std::optional<CollisionChoice> m_collisionForAll;
    std::optional<bool> m_replacePermanentlyForAll;
    LeftoverTemporaries m_leftovers; // before the batch: its copies note their leftovers here
    std::vector<Pending> m_batch;
    qint64 m_batchBytes = 0;
    bool m_stop = false;
};

} // namespace vantoro
