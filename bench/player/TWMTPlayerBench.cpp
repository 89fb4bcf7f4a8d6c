// Start-up latency of the media control against bare libmpv, both with null outputs.
#include "BenchMedia.h"
#include "BenchPlaylist.h"
#include "bench/common/BenchMain.h"
#include "player/TWMTPlayer.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QtEndian>

#include <benchmark/benchmark.h>

#include <clocale>
#include <cmath>
#include <numbers>

using namespace vantoro;

namespace {

QTemporaryDir* g_dir = nullptr;

QString mediaPath(const char* name)
{
    return g_dir->filePath(QLatin1String(name));
}

// One second of a 440 Hz tone, 16-bit mono at 8 kHz.
void writeTone(const QString& path)
{
    constexpr quint32 kRate = 8000;
    QByteArray data;
    for (quint32 i = 0; i < kRate; ++i) {
        const auto sample =
            static_cast<qint16>(16000 * std::sin(2.0 * std::numbers::pi * 440.0 * i / kRate));
        char bytes[2];
        qToLittleEndian(sample, bytes);
        data.append(bytes, 2);
    }
    QByteArray file("RIFF");
    char word[4];
    qToLittleEndian<quint32>(36 + data.size(), word);
    file.append(word, 4);
    file += "WAVEfmt ";
    const quint32 fmt[] = {16, 0x00010001, kRate, kRate * 2, 0x00100002};
    for (quint32 value : fmt) {
        qToLittleEndian(value, word);
        file.append(word, 4);
    }
    file += "data";
    qToLittleEndian<quint32>(data.size(), word);
    file.append(word, 4);
    file += data;
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(file) != file.size())
        qFatal("cannot write %s", qPrintable(path));
}

MpvSession::Options nullOutputs()
{
    MpvSession::Options options;
    options.audioOutput = "null";
    return options;
}

void BM_ControlOpenToFirstNewStream(benchmark::State& state)
{
    TWMTPlayer player(MpvLibrary::shared(), nullOutputs());
    QEventLoop loop;
    QObject::connect(&player, &TWMTPlayer::NewStream, &loop, &QEventLoop::quit);
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, &loop, [&] { loop.exit(1); });
    const QString list = mediaPath("list.asx");
    for (auto _ : state) {
        limit.start(5000);
        if (!player.Open(list) || loop.exec() != 0) {
            state.SkipWithError("no NewStream");
            break;
        }
        state.PauseTiming();
        player.Stop();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ControlOpenToFirstNewStream)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_BareMpvLoadfileToFileLoaded(benchmark::State& state)
{
    const auto& mpv = MpvLibrary::shared().api();
    mpv_handle* handle = mpv.create();
    for (const auto& [name, value] : {std::pair{"config", "no"},
                                      {"load-scripts", "no"},
                                      {"ytdl", "no"},
                                      {"osc", "no"},
                                      {"idle", "yes"},
                                      {"vo", "null"},
                                      {"ao", "null"},
                                      {"gapless-audio", "no"},
                                      {"af", "scaletempo2=min-speed=0.1"}})
        mpv.set_option_string(handle, name, value);
    if (mpv.initialize(handle) < 0) {
        state.SkipWithError("mpv_initialize failed");
        mpv.terminate_destroy(handle);
        return;
    }
    const QByteArray clip = mediaPath("tone.wav").toUtf8();
    for (auto _ : state) {
        const char* load[] = {"loadfile", clip.constData(), "replace", nullptr};
        mpv.command(handle, load);
        bool loaded = false;
        while (!loaded) {
            const mpv_event* event = mpv.wait_event(handle, 5.0);
            if (event->event_id == MPV_EVENT_NONE)
                break;
            loaded = event->event_id == MPV_EVENT_FILE_LOADED;
        }
        if (!loaded) {
            state.SkipWithError("no file-loaded");
            break;
        }
        state.PauseTiming();
        const char* stop[] = {"stop", nullptr};
        mpv.command(handle, stop);
        while (mpv.wait_event(handle, 0.05)->event_id != MPV_EVENT_NONE) {
        }
        state.ResumeTiming();
    }
    mpv.terminate_destroy(handle);
}
BENCHMARK(BM_BareMpvLoadfileToFileLoaded)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    bench::requireLibmpv();
    QTemporaryDir dir;
    g_dir = &dir;
    writeTone(mediaPath("tone.wav"));
    bench::writeAsx(mediaPath("list.asx"),
                    {mediaPath("tone.wav"), mediaPath("tone.wav"), mediaPath("tone.wav")});
    return bench::runBenchmarks(argc, argv);
}
