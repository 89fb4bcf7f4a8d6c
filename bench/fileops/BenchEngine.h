#pragma once

#include "fileops/FileOperationQuestions.h"

namespace vantoro::bench {

// The engine's benchmarks run without a person: every question answered at once (a collision
// or a failing file cancels, so that a fault shows as a failed run, never as a slow one).
class NoQuestions final : public FileOperationQuestions
{
public:
    bool confirmDelete(const QStringList&, bool) override { return true; }
    bool confirmCreateFolder(const QString&) override { return true; }
    CollisionAnswer askCollision(const QString&, const QString&) override
    {
        return {CollisionChoice::Cancel, false};
    }
    bool confirmPermanentDelete(const QString&, const QString&) override { return false; }
    ErrorChoice askError(const FileOperationError&) override { return ErrorChoice::Cancel; }
};

class NoProgress final : public FileOperationProgress
{
public:
    void begin(const QString&, FileOperationCode) override {}
    void update(const QString&, qint64, qint64, int, int) override {}
    bool cancelRequested() const override { return false; }
    void end() override {}
};

} // namespace vantoro::bench
