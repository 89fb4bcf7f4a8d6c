#pragma once

#include "common/ClipManagerFixture.h"
#include "common/FileOpFakes.h"
#include "fileops/ShellFileOperation.h"

namespace vantoro::test {

// The clip manager on real files through the real file-operation engine, whose questions and
// progress are scripted; the folder "Keep" beside "Videos" is a destination. The Trash is the
// private one of the test's home ($XDG_DATA_HOME/Trash), emptied before each test.
class ClipManagerFilesFixture : public ClipManagerFixture
{
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(ClipManagerFixture::SetUp());
        QDir().mkpath(path("Keep"));
        services.fileOperations = &engine;
        trash = qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/Trash");
        QDir(trash).removeRecursively();
    }

    // The clip at `relativePath`, holding "clip " and that path, marked after those before.
    QString mark(const QString& relativePath)
    {
        return markClip(relativePath, "clip " + relativePath.toUtf8());
    }

    FakeFileOperationQuestions questions;
    FakeFileOperationProgress progress;
    ShellFileOperation engine{questions, progress};
    QString trash;
};

} // namespace vantoro::test
