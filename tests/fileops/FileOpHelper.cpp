// A command-line run of the file-operation engine, for the tests that must run it in another
// process: under reduced privileges, under strace's fault injection, or to be killed mid-copy.
//   fileops_helper copy|move|delete|trash DESTINATION SOURCE...
// Runs silently and unconfirmed; every error box is answered Skip and printed as
// "error ERRNO PATH", a trash refusal is answered No and printed as "notrash PATH"; the last
// line is "aborted 0|1".
#include "fileops/FileOperationQuestions.h"
#include "fileops/ShellFileOperation.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>
#include <cstring>

namespace {

using namespace vantoro;

class PrintingQuestions final : public FileOperationQuestions
{
public:
    bool confirmDelete(const QStringList&, bool) override { return true; }
    bool confirmCreateFolder(const QString&) override { return true; }
    CollisionAnswer askCollision(const QString&, const QString&) override
    {
        return {CollisionChoice::Replace, true};
    }
    bool confirmPermanentDelete(const QString& path, const QString&) override
    {
        std::printf("notrash %s\n", QFile::encodeName(path).constData());
        return false;
    }
    ErrorChoice askError(const FileOperationError& error) override
    {
        std::printf("error %d %s\n", error.errorCode, QFile::encodeName(error.path).constData());
        return ErrorChoice::Skip;
    }
};

class NoProgress final : public FileOperationProgress
{
public:
    void begin(const QString&, FileOperationCode) override {}
    void update(const QString&, qint64, qint64, int, int) override {}
    bool cancelRequested() const override { return false; }
    void end() override {}
};

} // namespace

int main(int argc, char** argv)
{
    if (argc < 4)
        return 2;
    QCoreApplication app(argc, argv);
    FileOperationRequest request;
    const char* what = argv[1];
    request.flags = FileOperationFlag::kSilent | FileOperationFlag::kNoConfirmation;
    if (!std::strcmp(what, "copy"))
        request.operation = FileOperationCode::Copy;
    else if (!std::strcmp(what, "move"))
        request.operation = FileOperationCode::Move;
    else if (!std::strcmp(what, "delete") || !std::strcmp(what, "trash"))
        request.operation = FileOperationCode::Delete;
    else
        return 2;
    if (!std::strcmp(what, "trash"))
        request.flags |= FileOperationFlag::kAllowUndo;
    request.destination = QFile::decodeName(argv[2]);
    for (int i = 3; i < argc; ++i)
        request.sources.append(QFile::decodeName(argv[i]));
    PrintingQuestions questions;
    NoProgress progress;
    ShellFileOperation engine(questions, progress);
    const FileOperationResult result = engine.run(request);
    std::printf("aborted %d\n", result.anyOperationsAborted ? 1 : 0);
    return 0;
}
