#pragma once

// The end of every benchmark program's main that must set something up first (a Qt
// application, generated media) and so cannot use BENCHMARK_MAIN.

#include <QByteArray>
#include <QtGlobal>

#include <benchmark/benchmark.h>

namespace vantoro::bench {

// Qt's offscreen platform unless QT_QPA_PLATFORM names another: call before the application
// object exists. Widgets then need no display.
inline void preferOffscreenPlatform()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

// Runs the benchmarks the command line names (all by default), as BENCHMARK_MAIN does; call
// after the application object has taken its own options. Answers the program's exit status:
// 1 for an option neither Qt nor Google Benchmark knows.
inline int runBenchmarks(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

} // namespace vantoro::bench
