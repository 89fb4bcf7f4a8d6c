#pragma once

#include "fileops/FileOperationEngine.h"

#include <QString>
#include <QStringList>

namespace vantoro {

enum class CollisionChoice { Replace, Skip, Cancel };

struct CollisionAnswer
{
    CollisionChoice choice = CollisionChoice::Cancel;
    // "Do this for all remaining conflicts": the same choice is taken, unasked, for every
    // later collision of the same operation.
    bool forAllRemaining = false;
};

struct PermanentDeleteAnswer
{
    bool yes = false; // delete it for good
    // The same answer, unasked, for every later file of the same operation.
    bool forAllRemaining = false;
};

// SkipAll: skip this file and, unasked, every later file of the operation the drive cannot hold.
enum class ErrorChoice { Retry, Skip, SkipAll, Cancel };

// One failing file of an operation, as the error box names it.
struct FileOperationError
{
    FileOperationCode operation = FileOperationCode::Copy;
    QString path;        // the file the operation failed on (display form)
    QString destination; // the folder it was going to, empty for a delete
    QString reason;      // the system's reason, e.g. "No space left on device"
    int errorCode = 0;   // errno value, 0 when the reason is not a system error
    // The destination drive cannot hold the file (its size, a character of its name, a link):
    // a retry cannot help, "skip all" can be offered.
    bool driveCannotHold = false;
};

// The questions a file operation asks. The engine calls them on the GUI thread, one at a time;
// the program answers them with message boxes, a test with scripted answers.
class FileOperationQuestions
{
public:
    virtual ~FileOperationQuestions() = default;

    // Before a delete: "move these n items to the Trash?" (toTrash) or "permanently delete?".
    // `paths` are the items to delete in order. True to go ahead.
    virtual bool confirmDelete(const QStringList& paths, bool toTrash) = 0;
    // The destination folder does not exist: true to create it.
    virtual bool confirmCreateFolder(const QString& folder) = 0;
    // A file or folder of the same name is in the destination folder already.
    virtual CollisionAnswer askCollision(const QString& name, const QString& folder) = 0;
    // The item cannot go to the Trash (`reason` says why): true to delete it permanently.
    // The safe answer, and the default button, is No.
    virtual bool confirmPermanentDelete(const QString& path, const QString& reason) = 0;
    // The file a copy or move is to replace cannot go to the Trash (`reason` says why): Yes
    // deletes it for good as it is replaced; No keeps it and skips the file that would have
    // replaced it. The safe answer, and the default button, is No.
    virtual PermanentDeleteAnswer confirmReplacePermanently(const QString& path,
                                                            const QString& reason)
    {
        return {confirmPermanentDelete(path, reason), false};
    }
    // A file failed: retry it, skip it, or cancel the rest of the operation.
    virtual ErrorChoice askError(const FileOperationError& error) = 0;

    // Called by the engine on the GUI thread, never by the work itself:
    // the operation whose questions follow (a question may name copying or moving);
    virtual void operationStarts(FileOperationCode operation) { Q_UNUSED(operation); }
    // the operation was cancelled while a question is open: close it as its Cancel answer.
    virtual void cancelOpenQuestion() {}
};

// The progress window of one operation. Called on the GUI thread: `begin` once, `update` about
// ten times a second while the operation runs, `end` once. The window itself appears only when
// the operation lasts longer than about half a second.
class FileOperationProgress
{
public:
    virtual ~FileOperationProgress() = default;

    virtual void begin(const QString& title, FileOperationCode operation) = 0;
    // `currentPath` is the item being worked on; bytes are of the whole operation (a total of 0
    // for operations that move no data, such as a delete; then `itemsDone` of `itemCount`).
    virtual void update(const QString& currentPath, qint64 bytesDone, qint64 bytesTotal,
                        int itemsDone, int itemCount) = 0;
    // True once the user pressed Cancel; the engine stops between blocks of the current copy.
    virtual bool cancelRequested() const = 0;
    virtual void end() = 0;

    // The folder a copy or move goes to, called right after `begin` (empty for a delete).
    virtual void setDestination(const QString& folder) { Q_UNUSED(folder); }
    // A question of the operation is open (true) or has been answered (false). While one is
    // open the window does not appear; after the answer the delay before it appears starts
    // afresh. A window already showing stays, under the question.
    virtual void setQuestionOpen(bool open) { Q_UNUSED(open); }
};

} // namespace vantoro
