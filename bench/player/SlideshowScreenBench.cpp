// A long slideshow as a person sees it: how long each picture stays on the screen, and how the
// program's resident memory develops while the slideshow runs.
//
// The media control plays a playlist of photos (each a colour of its own, cycled so that
// neighbours differ) at the shortest picture time, in a window with the real video surface, on
// an X display (run it under tests/tools/with-display). A second process, started from this
// program, reads one pixel in the middle of the picture from the X server every few
// milliseconds and reports each change of colour with its time: the intervals between changes
// are what the screen shows, whatever the player's events say. The resident set size of the
// playing process is read every five seconds.
//
//   player_slideshow_screen_bench [--minutes=N] [--window] [--check] [benchmark options]
//
// Counters: interval_ms (median), interval_mean_ms, worst_pct (largest deviation from the
// picture time, in percent), within_3pct (share of intervals within 3 %), rss_start_mb (at the
// reference minute: the second, or half way through a shorter run; the middle reading of half a
// minute), rss_growth_mb (from there to the end, the same way). The baseline is the picture
// time itself ("picture_ms").
//
// With --check the program exits with status 1 when the memory grew by more than allowed
// after the reference minute, or when the pictures' mean time is off by more than 3 %; the
// test suite runs it so for two minutes.
//
// SLIDESHOW_TRACE=1 prints each change seen and mpv's end and first-frame events;
// SLIDESHOW_MPVLOG=FILE writes mpv's log.
#include "BenchMedia.h"
#include "BenchPlaylist.h"
#include "platform/DBusMediaSession.h"
#include "platform/DBusScreenSaverInhibitor.h"
#include "platform/LogindPowerService.h"
#include "platform/MessageBoxes.h"
#include "platform/ModalRunner.h"
#include "platform/QtShellOpener.h"
#include "platform/QtTimerFactory.h"
#include "platform/Services.h"
#include "player/TSleepF.h"
#include "player/TSpeedF.h"
#include "player/TWMTPlayer.h"
#include "player/TWplayerF2.h"
#include "playlists/ProgramState.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

using namespace vantoro;

namespace {

constexpr int kPictureSeconds = 3;
constexpr int kDistinctPictures = 10;
constexpr int kPlaylistEntries = 1500;
// Growth allowed after the reference minute in a long run (20 minutes or more) and in a
// shorter one.
constexpr double kAllowedGrowthMb = 10.0;
constexpr double kAllowedShortGrowthMb = 3.0;
constexpr int kMemoryEveryMs = 5000;
constexpr int kSampleEveryMs = 4;

// Well apart from each other, so that scaling and JPEG's losses never make one read as another.
const QRgb kPalette[kDistinctPictures] = {
    qRgb(220, 30, 30),  qRgb(30, 200, 30),  qRgb(30, 30, 220),   qRgb(230, 230, 40),
    qRgb(40, 220, 220), qRgb(220, 40, 220), qRgb(250, 250, 250), qRgb(120, 60, 0),
    qRgb(0, 100, 110),  qRgb(140, 140, 140)};

int paletteIndex(QRgb colour)
{
    int best = -1;
    int bestDistance = 60 * 60 * 3; // farther than this from every entry: not a picture
    for (int i = 0; i < kDistinctPictures; ++i) {
        const int dr = qRed(colour) - qRed(kPalette[i]);
        const int dg = qGreen(colour) - qGreen(kPalette[i]);
        const int db = qBlue(colour) - qBlue(kPalette[i]);
        const int distance = dr * dr + dg * dg + db * db;
        if (distance < bestDistance) {
            bestDistance = distance;
            best = i;
        }
    }
    return best;
}

// Photos of a real collection differ in size and shape (cameras, phones, crops, portrait and
// landscape), and so do the buffers made for them.
const QSize kPhotoSizes[kDistinctPictures] = {
    {4000, 3000}, {3000, 4000}, {6000, 4000}, {3264, 2448}, {2448, 3264},
    {4032, 3024}, {5184, 3456}, {1600, 1200}, {3840, 2160}, {2976, 2976}};

// A camera-sized photo: the colour of its index with fine grain, so that its JPEG carries about
// as much data as a real photograph.
void writePhoto(const QString& path, int index)
{
    const QRgb base = kPalette[index];
    bench::writeGrainyPhoto(path, kPhotoSizes[index], index, 92, [base](int, int, quint32 noise) {
        const int grain = static_cast<int>(noise & 15) - 8;
        return qRgb(std::clamp(qRed(base) + grain, 0, 255),
                    std::clamp(qGreen(base) + grain, 0, 255),
                    std::clamp(qBlue(base) + grain, 0, 255));
    });
}

double residentMb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0.0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return 0.0;
}

// The sampler process: prints "<monotonic ms> <palette index>" whenever the pixel at (x, y) of
// the screen changes to another colour of the palette.
int runSampler(int x, int y)
{
    QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return 2;
    QTextStream out(stdout);
    int last = -2;
    // Both processes read the same monotonic clock.
    QElapsedTimer clock;
    clock.start();
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        const QImage pixel = screen->grabWindow(0, x, y, 1, 1).toImage();
        if (pixel.isNull())
            return;
        const int index = paletteIndex(pixel.pixel(0, 0));
        if (index < 0 || index == last)
            return;
        last = index;
        out << clock.msecsSinceReference() + clock.elapsed() << ' ' << index << Qt::endl;
    });
    timer.start(kSampleEveryMs);
    // Runs until the parent ends it.
    return QCoreApplication::exec();
}

// The window's boxes ("Sound Card Not Enabled" with no sound device) are answered unseen, as a
// person would answer them, so that the slideshow starts.
class UnseenMessageBoxes final : public MessageBoxes
{
public:
    MessageResult show(MessageKind, const QString&, MessageButtons buttons) override
    {
        return buttons == MessageButtons::YesNo ? MessageResult::Yes : MessageResult::Ok;
    }
};

double g_minutes = 2.0;
bool g_check = false;
bool g_window = false;
bool g_failed = false;
QString g_program;

double median(std::vector<double> values)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void BM_SlideshowOnScreen(benchmark::State& state)
{
    QTemporaryDir dir;
    QStringList photos;
    for (int i = 0; i < kDistinctPictures; ++i) {
        photos << dir.filePath(QStringLiteral("photo%1.jpg").arg(i));
        writePhoto(photos.last(), i);
    }
    QStringList entries;
    for (int i = 0; i < kPlaylistEntries; ++i)
        entries << photos.at(i % kDistinctPictures);
    const QString list = dir.filePath(QStringLiteral("slideshow.asx"));
    bench::writeAsx(list, entries);

    MpvSession::Options options;
    options.audioOutput = "null";
    if (qEnvironmentVariableIsSet("SLIDESHOW_MPVLOG"))
        options.extraOptions = {{"log-file", qgetenv("SLIDESHOW_MPVLOG")}};

    // With --window the control plays inside the player window as the program makes it, with
    // the desktop's media session and screen-saver service on the session bus (when there is
    // one); otherwise the control alone.
    ProgramState programState;
    UnseenMessageBoxes messages;
    QtShellOpener shell;
    ExecModalRunner modal;
    QtTimerFactory timers;
    LogindPowerService power;
    DBusMediaSession mediaSession;
    DBusScreenSaverInhibitor screenSaver;
    Services services;
    services.messages = &messages;
    services.shell = &shell;
    services.modal = &modal;
    services.timers = &timers;
    services.power = &power;
    services.mediaSession = &mediaSession;
    services.screenSaver = &screenSaver;
    services.programFolder = dir.path() + u'/';
    services.executableFolder = dir.path();
    programState.ProgramFolder = services.programFolder;
    programState.PlayFile = programState.ProgramFolder + QStringLiteral("playlist.tmp");
    programState.PlaylistTitle = QStringLiteral("bench");
    TSpeedF speed;
    TSleepF sleep(programState);
    std::unique_ptr<TWplayerF2> window;
    std::unique_ptr<TWMTPlayer> alone;
    TWMTPlayer* control = nullptr;
    if (g_window) {
        PlayerWindowSetup setup;
        setup.makeControl = [options](QWidget* parent) {
            return new TWMTPlayer(MpvLibrary::shared(), options, parent);
        };
        window = std::make_unique<TWplayerF2>(programState, services, speed, sleep, setup);
        control = window->wmtPlayer1();
        window->move(0, 0);
        window->show();
    } else {
        alone = std::make_unique<TWMTPlayer>(MpvLibrary::shared(), options);
        control = alone.get();
        control->setWindowFlag(Qt::FramelessWindowHint);
        control->setGeometry(40, 40, 800, 600);
        control->show();
    }
    TWMTPlayer& player = *control;
    if (player.session() == nullptr || !player.hasVideoSurface()) {
        state.SkipWithError("no mpv session with a video surface (run on an X display)");
        g_failed = true;
        return;
    }
    player.setPictureSeconds(kPictureSeconds);
    {
        QEventLoop settle;
        QTimer::singleShot(500, &settle, &QEventLoop::quit);
        settle.exec();
    }
    const QPoint centre = player.pictureArea()->mapToGlobal(player.pictureArea()->rect().center());

    for (auto _ : state) {
        QProcess sampler;
        std::vector<std::pair<qint64, int>> changes;
        QObject::connect(&sampler, &QProcess::readyReadStandardOutput, [&] {
            while (sampler.canReadLine()) {
                const QList<QByteArray> parts = sampler.readLine().trimmed().split(' ');
                if (parts.size() == 2)
                    changes.emplace_back(parts[0].toLongLong(), parts[1].toInt());
                if (qEnvironmentVariableIsSet("SLIDESHOW_TRACE"))
                    std::fprintf(stderr, "%s %s\n", parts.value(0).constData(),
                                 parts.value(1).constData());
            }
        });
        sampler.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        sampler.start(g_program,
                      {QStringLiteral("--sample=%1,%2").arg(centre.x()).arg(centre.y())});
        if (!sampler.waitForStarted(5000)) {
            state.SkipWithError("the sampler did not start");
            g_failed = true;
            return;
        }
        const qint64 runMs = static_cast<qint64>(g_minutes * 60000.0);
        // By then every photo of the cycle has shown at least once (the buffers made for the
        // largest are among those counted).
        const qint64 referenceMs = std::min<qint64>(120000, runMs / 2);
        std::vector<std::pair<qint64, double>> resident; // (ms since Open, MB)
        QElapsedTimer clock;
        clock.start();
        if (qEnvironmentVariableIsSet("SLIDESHOW_TRACE")) {
            const MpvSession* session = player.session();
            auto stamp = [&clock](const char* what) {
                std::fprintf(stderr, "%lld   %s\n",
                             static_cast<long long>(clock.msecsSinceReference() + clock.elapsed()),
                             what);
            };
            QObject::connect(session, &MpvSession::fileEnded, &player, [stamp] { stamp("end"); });
            QObject::connect(session, &MpvSession::playbackRestarted, &player,
                             [stamp] { stamp("restart"); });
        }
        if (window != nullptr) {
            programState.AllBox.addAll(entries);
            window->GoButtonClick();
        } else if (!player.Open(list)) {
            state.SkipWithError("Open failed");
            g_failed = true;
            return;
        }
        QTimer memory;
        QObject::connect(&memory, &QTimer::timeout, [&] {
            resident.emplace_back(clock.elapsed(), residentMb());
            if (resident.size() % 6 == 0)
                std::fprintf(stderr, "%6.1f s  rss %.1f MB  pictures %zu\n",
                             clock.elapsed() / 1000.0, resident.back().second, changes.size());
        });
        memory.start(kMemoryEveryMs);
        QEventLoop loop;
        QTimer::singleShot(runMs, &loop, &QEventLoop::quit);
        loop.exec();
        player.Stop();
        sampler.kill();
        sampler.waitForFinished(5000);

        // The first change is the first picture appearing; intervals start from the second.
        std::vector<double> intervals;
        for (size_t i = 2; i < changes.size(); ++i)
            intervals.push_back(static_cast<double>(changes[i].first - changes[i - 1].first));
        if (intervals.empty()) {
            state.SkipWithError("no picture change was seen on the screen");
            g_failed = true;
            return;
        }
        const double pictureMs = kPictureSeconds * 1000.0;
        double sum = 0.0;
        double worst = 0.0;
        int within = 0;
        for (double interval : intervals) {
            sum += interval;
            const double deviation = std::abs(interval - pictureMs) / pictureMs * 100.0;
            worst = std::max(worst, deviation);
            within += deviation <= 3.0 ? 1 : 0;
        }
        const double mean = sum / static_cast<double>(intervals.size());
        state.SetIterationTime(mean / 1000.0);
        state.counters["picture_ms"] = pictureMs;
        state.counters["interval_ms"] = median(intervals);
        state.counters["interval_mean_ms"] = mean;
        state.counters["worst_pct"] = worst;
        state.counters["within_3pct"] = within / static_cast<double>(intervals.size());
        state.counters["pictures"] = static_cast<double>(intervals.size());
        // The middle resident size of half a minute from the reference minute on, and of the
        // last half minute. Picture buffers go back to the system as soon as they are freed, so
        // one reading may catch a moment with a buffer more or one less (up to 15 MB either
        // way); neither is growth, and neither moves the middle of six readings.
        auto middleBetween = [&resident](qint64 from, qint64 to) {
            std::vector<double> readings;
            for (const auto& [at, mb] : resident) {
                if (at >= from && at < to)
                    readings.push_back(mb);
            }
            return readings.empty() ? 0.0 : median(readings);
        };
        const double rssAtReference = middleBetween(referenceMs, referenceMs + 30000);
        const double rssAtEnd = middleBetween(runMs - 30000, runMs + 1);
        const double growth = rssAtEnd - rssAtReference;
        const double allowed = runMs >= 20 * 60000 ? kAllowedGrowthMb : kAllowedShortGrowthMb;
        state.counters["rss_start_mb"] = rssAtReference;
        state.counters["rss_growth_mb"] = growth;
        if (g_check) {
            if (rssAtReference == 0.0 || rssAtEnd == 0.0 || growth > allowed) {
                std::fprintf(stderr, "memory grew by %.1f MB after %.0f s (allowed: %.0f MB)\n",
                             growth, referenceMs / 1000.0, allowed);
                g_failed = true;
            }
            if (std::abs(mean - pictureMs) > pictureMs * 0.03) {
                std::fprintf(stderr, "pictures showed %.0f ms on average, not %.0f ms\n", mean,
                             pictureMs);
                g_failed = true;
            }
        }
    }
}
BENCHMARK(BM_SlideshowOnScreen)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    std::vector<char*> rest;
    int sampleX = -1;
    int sampleY = -1;
    for (int i = 0; i < argc; ++i) {
        if (std::strncmp(argv[i], "--minutes=", 10) == 0)
            g_minutes = std::atof(argv[i] + 10);
        else if (std::strcmp(argv[i], "--check") == 0)
            g_check = true;
        else if (std::strcmp(argv[i], "--window") == 0)
            g_window = true;
        else if (std::sscanf(argv[i], "--sample=%d,%d", &sampleX, &sampleY) == 2)
            continue;
        else
            rest.push_back(argv[i]);
    }
    if (sampleX >= 0) {
        QGuiApplication app(argc, argv);
        return runSampler(sampleX, sampleY);
    }
    QApplication app(argc, argv);
    g_program = QCoreApplication::applicationFilePath();
    bench::requireLibmpv();
    int restCount = static_cast<int>(rest.size());
    benchmark::Initialize(&restCount, rest.data());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return g_failed ? 1 : 0;
}
