// Whole-process start-up: from starting the process to its first painted window, for the real
// main window and for a bare Qt window with five buttons, measured in the same run.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

// Answers the seconds from spawning the probe to its "painted" line, or a negative value.
double runProbe(const char* mode, const std::string& folder)
{
    int out[2];
    if (pipe(out) != 0)
        return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    std::string probe = STARTUP_PROBE;
    std::string modeArg = mode;
    std::string folderArg = folder;
    char* argv[] = {probe.data(), modeArg.data(), folderArg.empty() ? nullptr : folderArg.data(),
                    nullptr};
    pid_t pid = 0;
    const auto start = std::chrono::steady_clock::now();
    const int spawned = posix_spawn(&pid, probe.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (spawned != 0) {
        close(out[0]);
        return -1;
    }
    char buffer[16] = {};
    const ssize_t n = read(out[0], buffer, sizeof buffer - 1);
    const auto painted = std::chrono::steady_clock::now();
    close(out[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (n <= 0 || std::string(buffer).rfind("painted", 0) != 0)
        return -1;
    return std::chrono::duration<double>(painted - start).count();
}

double g_bareFastestSeconds = 0.0;

// Reports the fastest start of the run too ("fastest_ms"): on a busy machine the mean mostly
// measures the other programs, the fastest start what this one needs. The main window's
// fastest start is also given against the bare window's ("vs_bare").
void startProbe(benchmark::State& state, const char* mode)
{
    double fastest = 0.0;
    if (std::getenv("DISPLAY") == nullptr)
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
    char folder[] = "/tmp/vantoro-startup-XXXXXX";
    if (!mkdtemp(folder)) {
        state.SkipWithError("no temporary folder");
        return;
    }
    for (auto _ : state) {
        const double seconds = runProbe(mode, folder);
        if (seconds < 0) {
            state.SkipWithError("the probe failed");
            break;
        }
        state.SetIterationTime(seconds);
        if (fastest == 0.0 || seconds < fastest)
            fastest = seconds;
    }
    state.counters["fastest_ms"] = fastest * 1000.0;
    if (std::string(mode) == "bare")
        g_bareFastestSeconds = fastest;
    else if (g_bareFastestSeconds > 0.0)
        state.counters["vs_bare"] = fastest / g_bareFastestSeconds;
    std::string cleanup = std::string("rm -rf ") + folder;
    [[maybe_unused]] int rc = std::system(cleanup.c_str());
}

void BM_StartupBareQtWindow(benchmark::State& state)
{
    startProbe(state, "bare");
}
void BM_StartupMainWindow(benchmark::State& state)
{
    startProbe(state, "vantoro");
}

} // namespace

BENCHMARK(BM_StartupBareQtWindow)->Unit(benchmark::kMillisecond)->UseManualTime()->MinTime(2.0);
BENCHMARK(BM_StartupMainWindow)->Unit(benchmark::kMillisecond)->UseManualTime()->MinTime(2.0);
BENCHMARK_MAIN();
