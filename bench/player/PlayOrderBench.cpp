// Largest and Newest on 100,000 existing files, against a baseline that only stats every file
// and sorts the (key, path) pairs with the same path collation. Target: within 1.3 times.

#include "player/PlayOrder.h"
#include "playlists/ClipList.h"

#include <QCollator>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <utility>
#include <vector>

namespace {

constexpr int kFiles = 100000;

// Empty sparse files with random lengths and modification times over ten years, in a
// temporary folder that lives for the whole run.
struct ClipFolder
{
    ClipFolder()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        std::mt19937_64 random(7);
        std::uniform_int_distribution<qint64> length(0, 1000000);
        std::uniform_int_distribution<qint64> seconds(1262304000, 1262304000 + 10 * 365 * 86400LL);
        QStringList paths;
        paths.reserve(kFiles);
        for (int i = 0; i < kFiles; ++i) {
            const QString path = dir.path() + QStringLiteral("/Clip %1 %2.mp3")
                                                  .arg(random() % 100000, 5, 10, QLatin1Char('0'))
                                                  .arg(i);
            const QByteArray name = QFile::encodeName(path);
            const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (fd < 0 || ::ftruncate(fd, length(random)) != 0) {
                std::perror("creating benchmark files");
                std::abort();
            }
            ::close(fd);
            const qint64 t = seconds(random);
            const timespec times[2] = {{t, 0}, {t, 0}};
            ::utimensat(AT_FDCWD, name.constData(), times, 0);
            paths.append(path);
        }
        clips.addAll(paths);
    }

    QTemporaryDir dir;
    vantoro::ClipList clips;
};

const ClipFolder& folder()
{
    static const ClipFolder f;
    return f;
}

template <bool bySize> void baseline(benchmark::State& state)
{
    const QStringList& paths = folder().clips.items();
    for (auto _ : state) {
        QCollator collator{QLocale()};
        collator.setCaseSensitivity(Qt::CaseInsensitive);
        std::vector<std::pair<qint64, const QString*>> pairs;
        pairs.reserve(static_cast<size_t>(paths.size()));
        for (const QString& path : paths) {
            struct stat st;
            if (::stat(QFile::encodeName(path).constData(), &st) != 0)
                state.SkipWithError("stat failed");
            pairs.emplace_back(bySize ? qint64(st.st_size) : qint64(st.st_mtim.tv_sec), &path);
        }
        std::sort(pairs.begin(), pairs.end(), [&](const auto& a, const auto& b) {
            if (a.first != b.first)
                return a.first > b.first;
            return collator.compare(*a.second, *b.second) > 0;
        });
        benchmark::DoNotOptimize(pairs.data());
    }
}

void order(benchmark::State& state, vantoro::PlayOrderKind kind)
{
    const vantoro::ClipList& source = folder().clips;
    vantoro::ShuffleRandom random(1);
    for (auto _ : state) {
        vantoro::ClipList clips = source; // shares the list until the order replaces it
        vantoro::PlayOrderKeys keys;
        if (vantoro::applyPlayOrder(static_cast<int>(kind), clips, keys, random) != 0)
            state.SkipWithError("order failed");
        benchmark::DoNotOptimize(keys.values.data());
    }
}

void BM_BaselineStatSortLength(benchmark::State& state)
{
    baseline<true>(state);
}
void BM_Largest(benchmark::State& state)
{
    order(state, vantoro::PlayOrderKind::Largest);
}
void BM_BaselineStatSortMtime(benchmark::State& state)
{
    baseline<false>(state);
}
void BM_Newest(benchmark::State& state)
{
    order(state, vantoro::PlayOrderKind::Newest);
}

BENCHMARK(BM_BaselineStatSortLength)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_Largest)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_BaselineStatSortMtime)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_Newest)->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace

BENCHMARK_MAIN();
