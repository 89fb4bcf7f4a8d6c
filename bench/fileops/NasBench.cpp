// The engine copying clips onto a NAS at the far end of a slow link, against cp + sync doing the
// same, measured in the same run: 20 clips of 2 MB onto an sshfs drive whose every chunk of
// data is held 0.1 s in each direction (a 0.2 s round trip) by a relay in front of a private
// sshd on 127.0.0.1 (target: at most 1.3x). Root only, like the drive tests; without sshfs the
// benchmark says why and measures nothing.
#include "BenchEngine.h"
#include "fileops/FileOperationQuestions.h"
#include "fileops/ShellFileOperation.h"

#include "common/TestDrive.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

using namespace vantoro;

constexpr int kClips = 20;
constexpr qint64 kClipBytes = 2 * 1024 * 1024;
constexpr int kRoundTripMs = 200;

using bench::NoProgress;
using bench::NoQuestions;

QTemporaryDir* g_root = nullptr;
test::TestDrive* g_nas = nullptr;
QString g_nasProblem;

QStringList clips()
{
    static const QStringList paths = [] {
        QStringList made;
        const QString folder = g_root->path() + QStringLiteral("/clips");
        QDir().mkpath(folder);
        for (int i = 0; i < kClips; ++i) {
            QFile file(folder + QStringLiteral("/clip%1.mp4").arg(i, 2, 10, QLatin1Char('0')));
            QByteArray data(int(kClipBytes), Qt::Uninitialized);
            for (int at = 0; at < data.size(); ++at)
                data[at] = char((at * 7919 + i) >> 3);
            if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size())
                std::abort();
            made.append(file.fileName());
        }
        return made;
    }();
    return paths;
}

double timeMs(const std::function<void()>& work)
{
    QElapsedTimer clock;
    clock.start();
    work();
    return clock.nsecsElapsed() / 1e6;
}

void copyClipsToNasEngineVsCpSync(benchmark::State& state)
{
    if (!g_nasProblem.isEmpty()) {
        state.SkipWithError(g_nasProblem.toStdString().c_str());
        return;
    }
    const QStringList sources = clips();
    const QString nas = QFile::decodeName(g_nas->root());
    std::vector<double> ratios;
    int round = 0;
    for (auto _ : state) {
        double engineMs = 0.0;
        double cpMs = 0.0;
        const QString engineTarget = nas + QStringLiteral("/engine%1").arg(round);
        const QString cpTarget = nas + QStringLiteral("/cp%1").arg(round++);
        QDir().mkpath(engineTarget);
        QDir().mkpath(cpTarget);
        for (int turn = 0; turn < 2; ++turn) {
            if ((turn == 0) == (ratios.size() % 2 == 0)) {
                engineMs = timeMs([&] {
                    NoQuestions questions;
                    NoProgress progress;
                    FileOperationRequest request;
                    request.operation = FileOperationCode::Copy;
                    request.sources = sources;
                    request.destination = engineTarget;
                    request.flags = FileOperationFlag::kNoConfirmation;
                    if (ShellFileOperation(questions, progress).run(request).anyOperationsAborted)
                        std::abort();
                });
            } else {
                cpMs = timeMs([&] {
                    if (QProcess::execute(QStringLiteral("cp"), sources + QStringList{cpTarget}) ||
                        QProcess::execute(QStringLiteral("sync"), {cpTarget}))
                        std::abort();
                });
            }
        }
        ratios.push_back(engineMs / cpMs);
        std::fprintf(stderr, "iteration %zu: engine %.0f ms, cp + sync %.0f ms, %.2fx\n",
                     ratios.size(), engineMs, cpMs, engineMs / cpMs);
        state.SetIterationTime(engineMs / 1e3);
        state.counters["cp_ms"] = cpMs;
    }
    // Each iteration's ratio as well as their median: the spread shows how steady the link was.
    for (size_t i = 0; i < ratios.size(); ++i)
        state.counters["vs_cp_" + std::to_string(i)] = ratios[i];
    std::sort(ratios.begin(), ratios.end());
    const size_t mid = ratios.size() / 2;
    state.counters["vs_cp"] =
        ratios.size() % 2 != 0 ? ratios[mid] : (ratios[mid - 1] + ratios[mid]) / 2.0;
}
// Each iteration takes a minute or more: VANTORO_NAS_ITERATIONS sets fewer (or more) of them.
int iterations()
{
    const int asked = qEnvironmentVariableIntValue("VANTORO_NAS_ITERATIONS");
    return asked > 0 ? asked : 3;
}
BENCHMARK(copyClipsToNasEngineVsCpSync)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(iterations());

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir rootDir(QDir::tempPath() + QStringLiteral("/vantoro-nas-bench-XXXXXX"));
    if (!rootDir.isValid())
        return 2;
    g_root = &rootDir;
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    test::TestDrive nas;
    g_nas = &nas;
    g_nasProblem =
        nas.mount(test::TestDrive::Kind::Sshfs, QFile::encodeName(rootDir.path()), kRoundTripMs);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
