// Preview of a 4000 x 3000 photograph: the scaled libjpeg decode against a full-size decode by
// Qt's image reader, measured in the same run. Target: a preview under 50 ms.
#include "JpegSamples.h"

#include "bench/common/BenchMain.h"
#include "platform/JpegDecoder.h"
#include "platform/PicturePreview.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QImageReader>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

constexpr QSize kPaneSize(220, 220);

// The sample photograph, written once for all benchmarks.
const QString& samplePath()
{
    static QTemporaryDir folder;
    static const QString path = [] {
        const QString file = folder.filePath(QStringLiteral("photo.jpg"));
        if (!vantoro::test::photoLikeImage(QSize(4000, 3000)).save(file, "JPG", 90))
            std::abort();
        return file;
    }();
    return path;
}

void previewOfLargePhoto(benchmark::State& state)
{
    const QString& path = samplePath();
    for (auto _ : state) {
        const QImage image = vantoro::PicturePreview::load(path, kPaneSize);
        if (image.size() != QSize(220, 165))
            state.SkipWithError("wrong preview size");
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["fileBytes"] = double(QFileInfo(path).size());
}
BENCHMARK(previewOfLargePhoto)->Unit(benchmark::kMillisecond)->UseRealTime();

void scaledDecodeOfLargePhoto(benchmark::State& state)
{
    const QString& path = samplePath();
    for (auto _ : state) {
        const QImage image = vantoro::JpegDecoder::decodeFile(path, kPaneSize);
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(scaledDecodeOfLargePhoto)->Unit(benchmark::kMillisecond)->UseRealTime();

// Baseline: what a preview costs when the whole picture is decoded.
void fullDecodeWithQImageReader(benchmark::State& state)
{
    const QString& path = samplePath();
    for (auto _ : state) {
        QImageReader reader(path);
        const QImage image = reader.read();
        if (image.size() != QSize(4000, 3000))
            state.SkipWithError(qPrintable(reader.errorString()));
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(fullDecodeWithQImageReader)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv); // Qt's image plugins are found through it
    return vantoro::bench::runBenchmarks(argc, argv);
}
