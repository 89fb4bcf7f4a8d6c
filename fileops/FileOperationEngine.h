#pragma once

#include "fileops/FileOperationJournal.h"

#include <QHash>
#include <QString>
#include <QStringList>

namespace vantoro {

// Operation codes of a file operation (the values the shell's record carries).
enum class FileOperationCode : unsigned { Move = 1, Copy = 2, Delete = 3 };

// Flags of a file operation, OR-ed into FileOperationRequest::flags.
namespace FileOperationFlag {
constexpr quint16 kSilent = 0x0004;            // FOF_SILENT: no progress window
constexpr quint16 kRenameOnCollision = 0x0008; // FOF_RENAMEONCOLLISION: "clip (2).avi"
constexpr quint16 kNoConfirmation = 0x0010;    // FOF_NOCONFIRMATION: answer every question Yes
constexpr quint16 kAllowUndo = 0x0040;         // FOF_ALLOWUNDO: a delete goes to the Trash
constexpr quint16 kFilesOnly = 0x0080;         // FOF_FILESONLY: folders in the list are skipped
constexpr quint16 kSimpleProgress = 0x0100; // FOF_SIMPLEPROGRESS: progress titled by progressTitle
constexpr quint16 kNoConfirmMkdir = 0x0200; // FOF_NOCONFIRMMKDIR: make a missing folder unasked
// The program's own: a name taken in the destination is skipped unasked, never replaced (an
// undo putting files back). The skipped sources are missing from the journal.
constexpr quint16 kNeverReplace = 0x8000;
} // namespace FileOperationFlag

// One delete, copy or move of a list of files, as the program hands it to the engine.
struct FileOperationRequest
{
    FileOperationCode operation = FileOperationCode::Copy;
    QStringList sources;   // full paths, handed over in this order
    QString destination;   // destination folder of a copy or move; ignored by a delete
    quint16 flags = 0;     // FileOperationFlag values
    QString progressTitle; // title of the progress window with kSimpleProgress
    // Who sources must be, by their path bytes: one that is another file when it is reached
    // (swapped meanwhile) is skipped unasked and missing from the journal. Sources not listed
    // are taken as they are.
    QHash<QByteArray, FileIdentity> sourceIdentities;
};

// The word the progress window uses for an operation ("Copying").
inline QString fileOperationVerb(FileOperationCode operation)
{
    switch (operation) {
    case FileOperationCode::Move:
        return QStringLiteral("Moving");
    case FileOperationCode::Copy:
        return QStringLiteral("Copying");
    case FileOperationCode::Delete:
        break;
    }
    return QStringLiteral("Deleting");
}

struct FileOperationResult
{
    // True when the user cancelled, or anything in the list was skipped or failed.
    bool anyOperationsAborted = false;
    // What was done, file by file (what an undo needs).
    FileOperationJournal journal;
};

// The file-operation engine: runs one operation modally on the GUI thread's terms, asking its
// own questions (confirmations, collisions, missing folder, per-file errors) and showing its own
// progress window. Nothing is ever lost: a cancel, a full disk or a failing file leaves every
// source in place and no partial file under a final name.
class FileOperationEngine
{
public:
    virtual ~FileOperationEngine() = default;
    virtual FileOperationResult run(const FileOperationRequest& request) = 0;
};

} // namespace vantoro
