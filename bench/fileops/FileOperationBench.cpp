// The file-operation engine against the command-line tools doing the same work, measured in the
// same run on the same file system (the temporary folder's):
//   copy a 1 GiB file              vs  cp + sync of that file       (target: at most 1.1x)
//   copy 2,000 files of 50 KB      vs  cp + one sync of the volume   (target: at most 1.3x)
//   copy 10,000 files in 20 folders (124 MB) vs cp -r + sync -f      (target: at most 1.3x)
//   move 2,000 files, one volume   vs  mv                            (target: at most 1.5x)
//   trash 1,000 and 10,000 files   vs  gio trash, the same files     (target: at most 1.2x)
// The "...Vs..." benchmarks run both sides in every iteration, taking turns at going first, and
// report the median of the per-iteration ratios as "vs_cp" / "vs_gio".
// The Trash is a private one under the benchmark's own temporary folder.
#include "BenchEngine.h"
#include "bench/common/BenchMain.h"
#include "fileops/FileOperationQuestions.h"
#include "fileops/ShellFileOperation.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace {

using namespace vantoro;

using bench::NoProgress;
using bench::NoQuestions;

QTemporaryDir* g_root = nullptr;

QString root()
{
    return g_root->path();
}

void writeFile(const QString& path, qint64 size)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        std::abort();
    QByteArray block(1024 * 1024, Qt::Uninitialized);
    for (int i = 0; i < block.size(); ++i)
        block[i] = char((i * 7919) >> 3);
    for (qint64 done = 0; done < size;) {
        const qint64 n = qMin<qint64>(block.size(), size - done);
        block[0] = char(done >> 20); // no two blocks alike
        if (::write(fd, block.constData(), size_t(n)) != n)
            std::abort();
        done += n;
    }
    ::fsync(fd);
    ::close(fd);
}

void run(const QString& program, const QStringList& arguments)
{
    if (QProcess::execute(program, arguments) != 0)
        std::abort();
}

void runEngine(FileOperationCode code, const QStringList& sources, const QString& destination,
               quint16 extraFlags = 0)
{
    NoQuestions questions;
    NoProgress progress;
    ShellFileOperation engine(questions, progress);
    FileOperationRequest request;
    request.operation = code;
    request.sources = sources;
    request.destination = destination;
    request.flags = FileOperationFlag::kNoConfirmation | extraFlags;
    if (engine.run(request).anyOperationsAborted)
        std::abort();
}

void freshFolder(const QString& path)
{
    QDir(path).removeRecursively();
    QDir().mkpath(path);
}

// ---- one large file ------------------------------------------------------------------------

const QString& largeFile()
{
    static const QString path = [] {
        const QString p = root() + QStringLiteral("/large/movie.mkv");
        QDir().mkpath(root() + QStringLiteral("/large"));
        writeFile(p, qint64(1) << 30);
        return p;
    }();
    return path;
}

void copyLargeFileEngine(benchmark::State& state)
{
    const QString source = largeFile();
    const QString target = root() + QStringLiteral("/large-out");
    for (auto _ : state) {
        state.PauseTiming();
        freshFolder(target);
        state.ResumeTiming();
        runEngine(FileOperationCode::Copy, {source}, target, FileOperationFlag::kSilent);
    }
    state.SetBytesProcessed(state.iterations() * (qint64(1) << 30));
}
BENCHMARK(copyLargeFileEngine)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void copyLargeFileCpSync(benchmark::State& state)
{
    const QString source = largeFile();
    const QString target = root() + QStringLiteral("/large-out");
    for (auto _ : state) {
        state.PauseTiming();
        freshFolder(target);
        state.ResumeTiming();
        run(QStringLiteral("cp"), {source, target + QStringLiteral("/movie.mkv")});
        run(QStringLiteral("sync"), {target + QStringLiteral("/movie.mkv")});
    }
    state.SetBytesProcessed(state.iterations() * (qint64(1) << 30));
}
BENCHMARK(copyLargeFileCpSync)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// Both copies in every iteration, taking turns at going first, so that a change in the
// machine's load falls on both alike; "vs_cp" is the median of the per-iteration ratios.
void copyLargeFileEngineVsCpSync(benchmark::State& state)
{
    const QString source = largeFile();
    const QString target = root() + QStringLiteral("/large-out");
    const QString copied = target + QStringLiteral("/movie.mkv");
    std::vector<double> ratios;
    for (auto _ : state) {
        double engineMs = 0.0;
        double cpMs = 0.0;
        for (int turn = 0; turn < 2; ++turn) {
            const bool engineNow = (turn == 0) == (ratios.size() % 2 == 0);
            freshFolder(target);
            run(QStringLiteral("sync"), {QStringLiteral("-f"), root()});
            QElapsedTimer clock;
            clock.start();
            if (engineNow) {
                runEngine(FileOperationCode::Copy, {source}, target, FileOperationFlag::kSilent);
                engineMs = clock.nsecsElapsed() / 1e6;
            } else {
                run(QStringLiteral("cp"), {source, copied});
                run(QStringLiteral("sync"), {copied});
                cpMs = clock.nsecsElapsed() / 1e6;
            }
        }
        ratios.push_back(engineMs / cpMs);
        state.SetIterationTime(engineMs / 1e3);
    }
    std::sort(ratios.begin(), ratios.end());
    const size_t mid = ratios.size() / 2;
    state.counters["vs_cp"] =
        ratios.size() % 2 != 0 ? ratios[mid] : (ratios[mid - 1] + ratios[mid]) / 2.0;
}
BENCHMARK(copyLargeFileEngineVsCpSync)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(5);

// ---- many small files ----------------------------------------------------------------------

QStringList makeSmallFiles(const QString& folder, int count, qint64 size)
{
    freshFolder(folder);
    QStringList paths;
    for (int i = 0; i < count; ++i) {
        const QString p = folder + QStringLiteral("/clip%1.jpg").arg(i, 5, 10, QLatin1Char('0'));
        QFile file(p);
        if (!file.open(QIODevice::WriteOnly))
            std::abort();
        file.write(QByteArray(size, char('a' + i % 26)));
        paths.append(p);
    }
    run(QStringLiteral("sync"), {QStringLiteral("-f"), folder});
    return paths;
}

const QStringList& smallFiles()
{
    static const QStringList paths =
        makeSmallFiles(root() + QStringLiteral("/small"), 2000, 50 * 1024);
    return paths;
}

void copySmallFilesEngine(benchmark::State& state)
{
    const QStringList& sources = smallFiles();
    const QString target = root() + QStringLiteral("/small-out");
    for (auto _ : state) {
        state.PauseTiming();
        freshFolder(target);
        run(QStringLiteral("sync"), {QStringLiteral("-f"), root()});
        state.ResumeTiming();
        runEngine(FileOperationCode::Copy, sources, target, FileOperationFlag::kSilent);
    }
}
BENCHMARK(copySmallFilesEngine)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void copySmallFilesCpSync(benchmark::State& state)
{
    const QStringList& sources = smallFiles();
    const QString target = root() + QStringLiteral("/small-out");
    for (auto _ : state) {
        state.PauseTiming();
        freshFolder(target);
        run(QStringLiteral("sync"), {QStringLiteral("-f"), root()});
        state.ResumeTiming();
        run(QStringLiteral("cp"), QStringList{QStringLiteral("-t"), target} + sources);
        // One flush of the volume (syncfs), the same the engine makes per batch of copies.
        run(QStringLiteral("sync"), {QStringLiteral("-f"), target});
    }
}
BENCHMARK(copySmallFilesCpSync)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// ---- a tree of many small files ---------------------------------------------------------

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t mid = values.size() / 2;
    return values.size() % 2 != 0 ? values[mid] : (values[mid - 1] + values[mid]) / 2.0;
}

// 10,000 files of 4 to 21 KB (124 MB) in 20 folders.
const QString& smallTree()
{
    static const QString tree = [] {
        const QString top = root() + QStringLiteral("/tree/set");
        freshFolder(top);
        int n = 0;
        for (int folder = 0; folder < 20; ++folder) {
            const QString sub =
                top + QStringLiteral("/folder%1").arg(folder, 2, 10, QLatin1Char('0'));
            QDir().mkpath(sub);
            for (int i = 0; i < 500; ++i, ++n) {
                QFile file(sub + QStringLiteral("/clip%1.jpg").arg(i, 3, 10, QLatin1Char('0')));
                if (!file.open(QIODevice::WriteOnly))
                    std::abort();
                file.write(QByteArray(4096 + (n % 17) * 1040, char('a' + n % 26)));
            }
        }
        run(QStringLiteral("sync"), {QStringLiteral("-f"), top});
        return top;
    }();
    return tree;
}

void copyTreeEngineVsCpSync(benchmark::State& state)
{
    const QString tree = smallTree();
    const QString target = root() + QStringLiteral("/tree-out");
    std::vector<double> ratios;
    for (auto _ : state) {
        double engineMs = 0.0;
        double cpMs = 0.0;
        for (int turn = 0; turn < 2; ++turn) {
            const bool engineNow = (turn == 0) == (ratios.size() % 2 == 0);
            freshFolder(target);
            run(QStringLiteral("sync"), {QStringLiteral("-f"), root()});
            QElapsedTimer clock;
            clock.start();
            if (engineNow) {
                runEngine(FileOperationCode::Copy, {tree}, target, FileOperationFlag::kSilent);
                engineMs = clock.nsecsElapsed() / 1e6;
            } else {
                run(QStringLiteral("cp"), {QStringLiteral("-r"), tree, target});
                run(QStringLiteral("sync"), {QStringLiteral("-f"), target});
                cpMs = clock.nsecsElapsed() / 1e6;
            }
        }
        ratios.push_back(engineMs / cpMs);
        state.SetIterationTime(engineMs / 1e3);
    }
    state.counters["vs_cp"] = median(ratios);
}
BENCHMARK(copyTreeEngineVsCpSync)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

// ---- moves within one volume ---------------------------------------------------------------

QStringList namesIn(const QString& folder, const QStringList& paths)
{
    QStringList moved;
    for (const QString& p : paths)
        moved.append(folder + p.mid(p.lastIndexOf(QLatin1Char('/'))));
    return moved;
}

void moveFilesEngine(benchmark::State& state)
{
    const QString from = root() + QStringLiteral("/move-src");
    const QString to = root() + QStringLiteral("/move-out");
    const QStringList sources = makeSmallFiles(from, 2000, 1024);
    for (auto _ : state) {
        state.PauseTiming();
        freshFolder(to);
        state.ResumeTiming();
        runEngine(FileOperationCode::Move, sources, to, FileOperationFlag::kSilent);
        state.PauseTiming();
        run(QStringLiteral("mv"), QStringList{QStringLiteral("-t"), from} + namesIn(to, sources));
        state.ResumeTiming();
    }
}
BENCHMARK(moveFilesEngine)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

void moveFilesMv(benchmark::State& state)
{
    const QString from = root() + QStringLiteral("/move-src");
    const QString to = root() + QStringLiteral("/move-out");
    const QStringList sources = makeSmallFiles(from, 2000, 1024);
    for (auto _ : state) {
        state.PauseTiming();
        freshFolder(to);
        state.ResumeTiming();
        run(QStringLiteral("mv"), QStringList{QStringLiteral("-t"), to} + sources);
        state.PauseTiming();
        run(QStringLiteral("mv"), QStringList{QStringLiteral("-t"), from} + namesIn(to, sources));
        state.ResumeTiming();
    }
}
BENCHMARK(moveFilesMv)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

// ---- the Trash -----------------------------------------------------------------------------

void emptyTrash()
{
    QDir(qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/Trash")).removeRecursively();
}

// Files that were trashed go back to their folder by rename, under the names they had (the
// Trash keeps a file's name when it holds none of that name yet), and the Trash is emptied: the
// next side starts from the very same files, inodes and folder entries included, and an empty
// Trash.
void putBackFromTrash(const QString& folder, const QStringList& paths)
{
    const QString trash = qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/Trash");
    for (const QString& p : paths) {
        const QString trashed =
            trash + QStringLiteral("/files") + p.mid(p.lastIndexOf(QLatin1Char('/')));
        if (::rename(QFile::encodeName(trashed).constData(), QFile::encodeName(p).constData()) != 0)
            std::abort();
    }
    emptyTrash();
    run(QStringLiteral("sync"), {QStringLiteral("-f"), folder});
}

double quantile(std::vector<double> values, double q)
{
    std::sort(values.begin(), values.end());
    const double at = q * double(values.size() - 1);
    const size_t below = size_t(at);
    const size_t above = std::min(below + 1, values.size() - 1);
    return values[below] + (values[above] - values[below]) * (at - double(below));
}

void reportSpread(benchmark::State& state, const std::string& name,
                  const std::vector<double>& values)
{
    state.counters[name] = quantile(values, 0.5);
    state.counters[name + "_p25"] = quantile(values, 0.25);
    state.counters[name + "_p75"] = quantile(values, 0.75);
}

// The engine's Delete with undo against `gio trash` on the same files: one pair of runs per
// iteration, taking turns at going first. "vs_gio" is the median of the pairs' ratios (target:
// at most 1.2), "engine_ms" and "gio_ms" the medians of each side; _p25 and _p75 the quartiles.
void trashEngineVsGio(benchmark::State& state)
{
    const int count = int(state.range(0));
    const QString folder = root() + QStringLiteral("/trash-") + QString::number(count);
    emptyTrash();
    const QStringList sources = makeSmallFiles(folder, count, 1024);
    std::vector<double> engine, gio, ratios;
    for (auto _ : state) {
        double engineMs = 0.0;
        double gioMs = 0.0;
        for (int turn = 0; turn < 2; ++turn) {
            const bool engineNow = (turn == 0) == (ratios.size() % 2 == 0);
            QElapsedTimer clock;
            clock.start();
            if (engineNow) {
                runEngine(FileOperationCode::Delete, sources, {},
                          FileOperationFlag::kSilent | FileOperationFlag::kAllowUndo);
                engineMs = clock.nsecsElapsed() / 1e6;
            } else {
                run(QStringLiteral("gio"), QStringList{QStringLiteral("trash")} + sources);
                gioMs = clock.nsecsElapsed() / 1e6;
            }
            putBackFromTrash(folder, sources);
        }
        engine.push_back(engineMs);
        gio.push_back(gioMs);
        ratios.push_back(engineMs / gioMs);
        state.SetIterationTime(engineMs / 1e3);
    }
    reportSpread(state, "vs_gio", ratios);
    reportSpread(state, "engine_ms", engine);
    reportSpread(state, "gio_ms", gio);
}
BENCHMARK(trashEngineVsGio)
    ->Arg(1000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(9);

} // namespace

int main(int argc, char** argv)
{
    // The temporary folder and a private Trash, before GIO reads the environment.
    QTemporaryDir rootDir(QDir::tempPath() + QStringLiteral("/vantoro-fileop-bench-XXXXXX"));
    if (!rootDir.isValid())
        return 2;
    g_root = &rootDir;
    qputenv("XDG_DATA_HOME", QFile::encodeName(rootDir.path() + QStringLiteral("/data")));
    QDir().mkpath(rootDir.path() + QStringLiteral("/data"));
    QCoreApplication app(argc, argv);
    return vantoro::bench::runBenchmarks(argc, argv);
}
