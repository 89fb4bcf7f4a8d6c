#pragma once

#include "fileops/FileOperationEngine.h"
#include "fileops/FileOperationJournal.h"

#include <QObject>
#include <QString>
#include <QStringList>

namespace vantoro {

// Collects file paths and hands them to the file-operation engine as one delete, copy or move,
// so that the engine shows its confirmations, progress window and error boxes and a delete can
// go to the Trash. Owned by its form.
class TShellFileOp : public QObject
{
    Q_OBJECT
public:
    explicit TShellFileOp(FileOperationEngine& engine, QObject* owner = nullptr);

    bool FilesOnly() const { return m_filesOnly; }
    void setFilesOnly(bool on) { m_filesOnly = on; }
    bool NoConfirmation() const { return m_noConfirmation; }
    void setNoConfirmation(bool on) { m_noConfirmation = on; }
    bool AutoMakeDir() const { return m_autoMakeDir; }
    void setAutoMakeDir(bool on) { m_autoMakeDir = on; }
    bool RenameOnCollision() const { return m_renameOnCollision; }
    void setRenameOnCollision(bool on) { m_renameOnCollision = on; }
    bool Animate() const { return m_animate; }
    void setAnimate(bool on) { m_animate = on; }
    QString ProgressTitle() const { return m_progressTitle; }
    void setProgressTitle(const QString& title) { m_progressTitle = title; }
    // Set by the first DeleteFiles and never cleared.
    bool AllowUndo() const { return m_allowUndo; }
    // The paths collected for the next operation, in the order they will be handed over.
    const QStringList& PendingFiles() const { return m_pendingFiles; }
    QString Destination() const { return m_destination; }
    // What the last operation did, file by file.
    const FileOperationJournal& LastJournal() const { return m_lastJournal; }

    // Adds a full path to the pending list (kept in ascending order ignoring case; a path
    // already listed is not added again). No check that the file exists.
    void AddFile(const QString& path);
    void CopyFiles(const QString& destination);
    void MoveFiles(const QString& destination);
    // Answers true when the engine reports that any part of the delete was aborted.
    bool DeleteFiles();

private:
    bool runOperation(FileOperationCode operation);

    FileOperationEngine& m_engine;
    bool m_filesOnly = false;
    bool m_noConfirmation = false;
    bool m_autoMakeDir = false;
    bool m_allowUndo = false;
    bool m_renameOnCollision = false;
    bool m_animate = false;
    QString m_progressTitle;
    QStringList m_pendingFiles;
    QString m_destination;
    FileOperationJournal m_lastJournal;
};

} // namespace vantoro
