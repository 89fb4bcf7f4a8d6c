// The gap between two pictures of a slideshow of 24-megapixel JPEGs (6000 x 4000): from the
// end of one picture (mpv's end-file) to the next picture's first frame (mpv's playback
// restart), as the media control plays it and as bare libmpv plays the same files from its own
// playlist with the same options. Both use null outputs, so the figure is the engine's opening
// and decoding plus whatever the control adds between entries. The control decodes each photo
// itself, fitted to the screen, while the one before it shows (PicturePreloader); bare libmpv
// decodes each file when it comes to it, so its gap is about one full decode
// (BM_DecodeOnePicture).
//
// Each benchmark plays the slideshow a few times and reports the median gap ("gap_ms", also the
// manual iteration time), the largest gap and, for the control, its median against bare
// libmpv's ("vs_bare", measured in the same run).
#include "BenchMedia.h"
#include "BenchPlaylist.h"
#include "bench/common/BenchMain.h"
#include "platform/JpegDecoder.h"
#include "player/MpvSession.h"
#include "player/TWMTPlayer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

using namespace vantoro;

namespace {

constexpr int kPictures = 4;
constexpr int kPasses = 3;
constexpr const char* kPictureSeconds = "0.6";

QTemporaryDir* g_dir = nullptr;
QStringList g_pictures;
double g_bareMedianMs = 0.0;

// A photo-like picture: smooth gradients with fine detail, so that the JPEG carries about as
// much entropy as a real photograph of that size.
void writePicture(const QString& path, int seed)
{
    bench::writeGrainyPhoto(path, QSize(6000, 4000), seed, 90, [seed](int x, int y, quint32 noise) {
        const int grain = static_cast<int>(noise & 31);
        return qRgb((x / 24 + seed * 40 + grain) & 255, (y / 16 + grain) & 255,
                    ((x + y) / 40 + seed * 90) & 255);
    });
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    const size_t mid = values.size() / 2;
    return values.size() % 2 != 0 ? values[mid] : (values[mid - 1] + values[mid]) / 2.0;
}

void report(benchmark::State& state, const std::vector<double>& gaps)
{
    const double middle = median(gaps);
    state.counters["gap_ms"] = middle;
    state.counters["gap_max_ms"] = gaps.empty() ? 0.0 : *std::max_element(gaps.begin(), gaps.end());
    state.counters["gaps"] = static_cast<double>(gaps.size());
    if (g_bareMedianMs > 0.0)
        state.counters["vs_bare"] = middle / g_bareMedianMs;
}

// The control's own options (MpvSession::create) with null outputs; `prefetch` adds mpv's
// playlist prefetch.
void BM_BareMpvSlideshowGap(benchmark::State& state)
{
    const bool prefetch = state.range(0) != 0;
    const auto& mpv = MpvLibrary::shared().api();
    std::vector<double> gaps;
    for (auto _ : state) {
        mpv_handle* handle = mpv.create();
        for (const auto& [name, value] : {std::pair{"config", "no"},
                                          {"load-scripts", "no"},
                                          {"ytdl", "no"},
                                          {"osc", "no"},
                                          {"input-default-bindings", "no"},
                                          {"input-vo-keyboard", "no"},
                                          {"terminal", "no"},
                                          {"idle", "yes"},
                                          {"gapless-audio", "no"},
                                          {"audio-fallback-to-null", "yes"},
                                          {"af", "scaletempo2=min-speed=0.1"},
                                          {"vo", "null"},
                                          {"ao", "null"},
                                          {"image-display-duration", kPictureSeconds},
                                          {"prefetch-playlist", prefetch ? "yes" : "no"}})
            mpv.set_option_string(handle, name, value);
        if (mpv.initialize(handle) < 0) {
            state.SkipWithError("mpv_initialize failed");
            mpv.terminate_destroy(handle);
            return;
        }
        std::vector<double> passGaps;
        for (int pass = 0; pass < kPasses; ++pass) {
            for (int i = 0; i < g_pictures.size(); ++i) {
                const QByteArray path = g_pictures.at(i).toUtf8();
                const char* load[] = {"loadfile", path.constData(), i == 0 ? "replace" : "append",
                                      nullptr};
                mpv.command(handle, load);
            }
            QElapsedTimer clock;
            clock.start();
            qint64 endedAt = -1;
            int restarts = 0;
            int ends = 0;
            while (ends < g_pictures.size()) {
                const mpv_event* event = mpv.wait_event(handle, 10.0);
                if (event->event_id == MPV_EVENT_NONE) {
                    state.SkipWithError("mpv stalled");
                    break;
                }
                if (event->event_id == MPV_EVENT_END_FILE) {
                    ++ends;
                    endedAt = clock.nsecsElapsed();
                } else if (event->event_id == MPV_EVENT_PLAYBACK_RESTART) {
                    if (restarts++ > 0 && endedAt >= 0)
                        passGaps.push_back((clock.nsecsElapsed() - endedAt) / 1e6);
                    endedAt = -1;
                }
            }
        }
        mpv.terminate_destroy(handle);
        state.SetIterationTime(median(passGaps) / 1000.0);
        gaps.insert(gaps.end(), passGaps.begin(), passGaps.end());
    }
    const double middle = median(gaps);
    if (prefetch)
        g_bareMedianMs = middle;
    report(state, gaps);
}
BENCHMARK(BM_BareMpvSlideshowGap)
    ->Arg(0)
    ->Arg(1)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// The media control playing the same pictures from an ASX playlist, timed on the control's
// GUI thread from mpv's events as the control receives them.
void BM_ControlSlideshowGap(benchmark::State& state)
{
    MpvSession::Options options;
    options.audioOutput = "null";
    options.extraOptions = {{"image-display-duration", kPictureSeconds}};
    TWMTPlayer player(MpvLibrary::shared(), options);
    const MpvSession* session = player.session();
    if (session == nullptr) {
        state.SkipWithError("no mpv session");
        return;
    }
    const QString list = g_dir->filePath(QStringLiteral("slideshow.asx"));
    bench::writeAsx(list, g_pictures);
    QElapsedTimer clock;
    qint64 endedAt = -1;
    int restarts = 0;
    std::vector<double> passGaps;
    QObject::connect(session, &MpvSession::fileEnded, &player,
                     [&](qint64, MpvSession::EndReason reason) {
                         if (reason == MpvSession::EndReason::EndOfFile)
                             endedAt = clock.nsecsElapsed();
                     });
    QObject::connect(session, &MpvSession::playbackRestarted, &player, [&] {
        if (restarts++ > 0 && endedAt >= 0)
            passGaps.push_back((clock.nsecsElapsed() - endedAt) / 1e6);
        endedAt = -1;
    });
    std::vector<double> gaps;
    for (auto _ : state) {
        for (int pass = 0; pass < kPasses; ++pass) {
            restarts = 0;
            endedAt = -1;
            clock.start();
            if (!player.Open(list)) {
                state.SkipWithError("Open failed");
                return;
            }
            // Wait in an event loop, as the program does: the GUI thread sleeps between events.
            QEventLoop loop;
            const auto finished =
                QObject::connect(&player, &TWMTPlayer::PlayStateChanged, &loop, [&] {
                    if (!player.isPlaying())
                        loop.quit();
                });
            QTimer::singleShot(60000, &loop, &QEventLoop::quit);
            loop.exec();
            QObject::disconnect(finished);
            if (player.isPlaying()) {
                state.SkipWithError("slideshow did not finish");
                return;
            }
        }
        state.SetIterationTime(median(passGaps) / 1000.0);
        gaps.insert(gaps.end(), passGaps.begin(), passGaps.end());
        passGaps.clear();
    }
    report(state, gaps);
}
BENCHMARK(BM_ControlSlideshowGap)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

// The floor under any gap that decodes a picture only after the one before has ended: one
// full-size decode of the same file with libjpeg, already read into memory.
void BM_DecodeOnePicture(benchmark::State& state)
{
    QFile file(g_pictures.first());
    if (!file.open(QIODevice::ReadOnly)) {
        state.SkipWithError("cannot read the picture");
        return;
    }
    const QByteArray data = file.readAll();
    for (auto _ : state) {
        const QImage image = JpegDecoder::decode(data);
        if (image.width() != 6000) {
            state.SkipWithError("decode failed");
            return;
        }
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_DecodeOnePicture)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    bench::requireLibmpv();
    QTemporaryDir dir;
    g_dir = &dir;
    for (int i = 0; i < kPictures; ++i) {
        const QString path = dir.filePath(QStringLiteral("photo%1.jpg").arg(i + 1));
        writePicture(path, i);
        g_pictures.append(path);
    }
    return bench::runBenchmarks(argc, argv);
}
