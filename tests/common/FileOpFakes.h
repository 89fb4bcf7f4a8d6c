#pragma once

#include "fileops/FileOperationQuestions.h"

#include <QCoreApplication>
#include <QList>
#include <QThread>

#include <atomic>
#include <functional>

namespace vantoro::test {

// Scripted answers to the engine's questions, recording what was asked. Every question must
// arrive on the GUI thread; `offThreadCalls` counts any that did not.
class FakeFileOperationQuestions final : public FileOperationQuestions
{
public:
    bool confirmDelete(const QStringList& paths, bool toTrash) override
    {
        note();
        deleteQuestions.append({paths, toTrash});
        return deleteAnswer;
    }
    bool confirmCreateFolder(const QString& folder) override
    {
        note();
        createFolderQuestions.append(folder);
        if (!createFolderAnswers.isEmpty())
            return createFolderAnswers.takeFirst();
        return createFolderAnswer;
    }
    CollisionAnswer askCollision(const QString& name, const QString& folder) override
    {
        note();
        collisions.append({name, folder});
        if (onCollision)
            onCollision();
        if (!collisionAnswers.isEmpty())
            return collisionAnswers.takeFirst();
        return collisionAnswer;
    }
    bool confirmPermanentDelete(const QString& path, const QString& reason) override
    {
        note();
        permanentDeleteQuestions.append({path, reason});
        return permanentDeleteAnswer;
    }
    PermanentDeleteAnswer confirmReplacePermanently(const QString& path,
                                                    const QString& reason) override
    {
        note();
        replacePermanentlyQuestions.append({path, reason});
        return replacePermanentlyAnswer;
    }
    ErrorChoice askError(const FileOperationError& error) override
    {
        note();
        errors.append(error);
        if (onError)
            onError();
        if (!errorAnswers.isEmpty())
            return errorAnswers.takeFirst();
        return errorAnswer;
    }

    int questionCount() const
    {
        return int(deleteQuestions.size() + createFolderQuestions.size() + collisions.size() +
                   permanentDeleteQuestions.size() + replacePermanentlyQuestions.size() +
                   errors.size());
    }

    QList<QPair<QStringList, bool>> deleteQuestions;
    QStringList createFolderQuestions;
    QList<QPair<QString, QString>> collisions;
    QList<QPair<QString, QString>> permanentDeleteQuestions;
    QList<QPair<QString, QString>> replacePermanentlyQuestions;
    QList<FileOperationError> errors;

    bool deleteAnswer = true;
    bool createFolderAnswer = true;
    QList<bool> createFolderAnswers; // answered first, in order
    CollisionAnswer collisionAnswer{CollisionChoice::Replace, false};
    QList<CollisionAnswer> collisionAnswers;
    bool permanentDeleteAnswer = false;
    PermanentDeleteAnswer replacePermanentlyAnswer{false, false};
    ErrorChoice errorAnswer = ErrorChoice::Skip;
    QList<ErrorChoice> errorAnswers;
    int offThreadCalls = 0;
    std::function<void()> onError;     // acts on the files while the error box is up
    std::function<void()> onCollision; // the same while the collision box is up

private:
    void note()
    {
        if (QThread::currentThread() != QCoreApplication::instance()->thread())
            ++offThreadCalls;
    }
};

// Records the progress calls; `cancelWhen` decides when the user presses Cancel.
class FakeFileOperationProgress final : public FileOperationProgress
{
public:
    void begin(const QString& t, FileOperationCode) override
    {
        title = t;
        ++begins;
    }
    void update(const QString& currentPath, qint64 bytesDone, qint64 bytesTotal, int, int) override
    {
        ++updates;
        lastPath = currentPath;
        lastBytesDone = bytesDone;
        lastBytesTotal = bytesTotal;
        if (cancelWhen && cancelWhen(bytesDone, bytesTotal))
            cancelled = true;
    }
    bool cancelRequested() const override { return cancelled; }
    void end() override { ++ends; }

    QString title;
    int begins = 0;
    int updates = 0;
    int ends = 0;
    QString lastPath;
    qint64 lastBytesDone = 0;
    qint64 lastBytesTotal = 0;
    bool cancelled = false;
    std::function<bool(qint64 done, qint64 total)> cancelWhen;
};

} // namespace vantoro::test
