// Undoing a move of 2,000 files on one file system against the move itself, measured in the
// same run on the same folders (target: the undo takes at most 1.5x the move). The undo checks
// every file before it acts and moves them back through the engine.
#include "BenchEngine.h"
#include "bench/common/BenchMain.h"
#include "fileops/FileOperationQuestions.h"
#include "fileops/FileOperationUndo.h"
#include "fileops/ShellFileOperation.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdlib>

#include <fcntl.h>
#include <unistd.h>

namespace {

using namespace vantoro;

constexpr int kFiles = 2000;

using bench::NoProgress;
using bench::NoQuestions;

QTemporaryDir* g_root = nullptr;

QStringList makeFiles(const QString& folder)
{
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    QStringList paths;
    const QByteArray data(1024, 'x');
    for (int i = 0; i < kFiles; ++i) {
        const QString path =
            folder + QStringLiteral("/clip %1.avi").arg(i, 5, 10, QLatin1Char('0'));
        const int fd =
            ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0 || ::write(fd, data.constData(), size_t(data.size())) != data.size())
            std::abort();
        ::close(fd);
        paths.append(path);
    }
    return paths;
}

// Each iteration moves the files and undoes the move; the move is reported as `move_ms`, the
// undo as the iteration's time, and their ratio as `undo_over_move`.
void undoMoveOfFiles(benchmark::State& state)
{
    const QString from = g_root->path() + QStringLiteral("/src");
    const QString to = g_root->path() + QStringLiteral("/dst");
    const QStringList sources = makeFiles(from);
    QDir().mkpath(to);
    NoQuestions questions;
    NoProgress progress;
    ShellFileOperation engine(questions, progress);
    double moveSeconds = 0;
    double undoSeconds = 0;
    for (auto _ : state) {
        FileOperationRequest request;
        request.operation = FileOperationCode::Move;
        request.sources = sources;
        request.destination = to;
        request.flags = FileOperationFlag::kNoConfirmation | FileOperationFlag::kSilent;
        QElapsedTimer timer;
        timer.start();
        const FileOperationResult result = engine.run(request);
        const double move = timer.nsecsElapsed() / 1e9;
        if (result.anyOperationsAborted || result.journal.entries.size() != size_t(kFiles))
            std::abort();
        timer.restart();
        const FileOperationUndo undo(result.journal);
        if (!undo.check().empty())
            std::abort();
        const UndoOutcome outcome = undo.run(engine);
        const double back = timer.nsecsElapsed() / 1e9;
        if (outcome.undone.size() != kFiles || !QDir(to).isEmpty())
            std::abort();
        moveSeconds += move;
        undoSeconds += back;
        state.SetIterationTime(back);
    }
    state.counters["move_ms"] = moveSeconds * 1000 / double(state.iterations());
    state.counters["undo_over_move"] = undoSeconds / moveSeconds;
}
BENCHMARK(undoMoveOfFiles)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(10);

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir rootDir(QDir::tempPath() + QStringLiteral("/vantoro-undo-bench-XXXXXX"));
    if (!rootDir.isValid())
        return 2;
    g_root = &rootDir;
    qputenv("XDG_DATA_HOME", QFile::encodeName(rootDir.path() + QStringLiteral("/data")));
    QDir().mkpath(rootDir.path() + QStringLiteral("/data"));
    QCoreApplication app(argc, argv);
    return vantoro::bench::runBenchmarks(argc, argv);
}
