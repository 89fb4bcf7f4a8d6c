#include "clipmanager/TShellFileOp.h"

#include <algorithm>

namespace vantoro {

namespace {

// Ascending ignoring letter case; paths that differ only in case (different files here) keep a
// fixed order among themselves, so the list does not depend on the order of the additions.
bool pathBefore(const QString& a, const QString& b)
{
    const int folded = a.compare(b, Qt::CaseInsensitive);
    if (folded != 0)
        return folded < 0;
    return a.compare(b, Qt::CaseSensitive) < 0;
}

} // namespace

TShellFileOp::TShellFileOp(FileOperationEngine& engine, QObject* owner)
    : QObject(owner), m_engine(engine)
{}

void TShellFileOp::AddFile(const QString& path)
{
    const auto place =
        std::lower_bound(m_pendingFiles.begin(), m_pendingFiles.end(), path, pathBefore);
    if (place != m_pendingFiles.end() && *place == path)
        return;
    m_pendingFiles.insert(place, path);
}

void TShellFileOp::CopyFiles(const QString& destination)
{
    m_destination = destination;
    runOperation(FileOperationCode::Copy);
}

void TShellFileOp::MoveFiles(const QString& destination)
{
    m_destination = destination;
    runOperation(FileOperationCode::Move);
}

bool TShellFileOp::DeleteFiles()
{
    m_allowUndo = true;
    return runOperation(FileOperationCode::Delete);
}

bool TShellFileOp::runOperation(FileOperationCode operation)
{
    if (m_pendingFiles.isEmpty())
        return false;

    FileOperationRequest request;
    request.operation = operation;
    request.sources = m_pendingFiles;
    request.destination = m_destination;
    if (m_filesOnly)
        request.flags |= FileOperationFlag::kFilesOnly;
    if (m_noConfirmation)
        request.flags |= FileOperationFlag::kNoConfirmation;
    if (!m_animate)
        request.flags |= FileOperationFlag::kSilent;
    if (m_allowUndo)
        request.flags |= FileOperationFlag::kAllowUndo;
    if (!m_progressTitle.isEmpty()) {
        request.flags |= FileOperationFlag::kSimpleProgress;
        request.progressTitle = m_progressTitle;
    }
    if (operation != FileOperationCode::Delete) {
        if (m_autoMakeDir)
            request.flags |= FileOperationFlag::kNoConfirmMkdir;
        if (m_renameOnCollision)
            request.flags |= FileOperationFlag::kRenameOnCollision;
    }

    // The list is handed over whatever comes of it: a failed or cancelled operation is not
    // retried with the next one.
    m_pendingFiles.clear();
    FileOperationResult result = m_engine.run(request);
    m_lastJournal = std::move(result.journal);
    return result.anyOperationsAborted;
}

} // namespace vantoro
