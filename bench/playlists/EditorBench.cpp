// The playlist editor on a long playlist: opening it, moving a clip one place, deleting a clip,
// inserting one and sorting, each at 100,000 entries beside the same step at 1,000 entries in the
// same run. Every step counts until the window has laid out and painted its list again, which is
// when it answers the user. Opening counts from the playlist's pick until the list is filled and
// painted; meanwhile a 1 ms timer on the window's thread measures the longest time the window
// did not answer (counter freeze_ms), as a person would see it freeze. Each step reports its
// worst single press (worst_ms). Five repetitions each, reported as median, mean, min and max.
// Targets at 100,000 entries: opening frees the window within 0.25 s at any moment (freeze_ms)
// and lists within 0.5 s (beside the read alone, its baseline); a move, a delete or an insertion
// costs at most 1.5 times its cost at 1,000 entries; Sort within 300 ms.

#include "platform/FileDialogs.h"
#include "platform/MessageBoxes.h"
#include "platform/ModalRunner.h"
#include "platform/Services.h"
#include "playlists/ClipList.h"
#include "playlists/PlaylistFiles.h"
#include "playlists/ProgramState.h"
#include "playlists/TMangle.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QListView>
#include <QListWidget>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace {

using namespace vantoro;

class NoBoxes final : public MessageBoxes
{
public:
    MessageResult show(MessageKind, const QString&, MessageButtons) override
    {
        return MessageResult::Ok;
    }
};

// Always picks the playlist it was given.
class PickPlaylist final : public FileDialogs
{
public:
    QStringList openFiles(const FileDialogSpec&) override { return {playlist}; }
    QString saveFile(const FileDialogSpec&) override { return {}; }
    QString playlist;
};

// Answers Yes to the deletion question at once (its check box left clear).
class AnswerYes final : public ModalRunner
{
public:
    int exec(QDialog&) override { return QDialog::Accepted; }
};

// 100,000 clip files (100 folders of 1,000), and two playlists naming them in a shuffled order:
// all of them, and the first 1,000.
struct Fixture
{
    Fixture()
    {
        QStringList paths;
        for (int artist = 0; artist < 100; ++artist) {
            const QString folder =
                dir.path() +
                QStringLiteral("/Artist %1/Album").arg(artist, 3, 10, QLatin1Char('0'));
            QDir().mkpath(folder);
            for (int track = 0; track < 1000; ++track) {
                const QString path =
                    folder +
                    QStringLiteral("/Track %1 - Title.mp3").arg(track, 4, 10, QLatin1Char('0'));
                QFile(path).open(QIODevice::WriteOnly);
                paths.append(path);
            }
        }
        std::shuffle(paths.begin(), paths.end(), *QRandomGenerator::global());
        large = write(QStringLiteral("large.asx"), paths);
        small = write(QStringLiteral("small.asx"), paths.mid(0, 1000));
    }

    QString write(const QString& name, const QStringList& paths) const
    {
        const QString file = dir.filePath(name);
        FILE* f = std::fopen(QFile::encodeName(file).constData(), "wb");
        std::fputs("<ASX VERSION=\"3.0\">\r\n<Title>t</Title>\r\n", f);
        for (const QString& p : paths) {
            const QByteArray bytes = p.toUtf8();
            std::fputs(" <ENTRY><REF HREF=\"", f);
            std::fwrite(bytes.constData(), 1, size_t(bytes.size()), f);
            std::fputs("\" /></ENTRY>\r\n", f);
        }
        std::fputs("</ASX>\r\n", f);
        std::fclose(f);
        return file;
    }

    QTemporaryDir dir;
    QString large;
    QString small;
};

Fixture& fixture()
{
    static Fixture f;
    return f;
}

// An editor on the playlist of `entries` entries, as the Edit command makes it.
struct Editor
{
    explicit Editor(int entries)
    {
        dialogs.playlist = entries > 1000 ? fixture().large : fixture().small;
        services.messages = &boxes;
        services.fileDialogs = &dialogs;
        services.modal = &yes;
        editor = std::make_unique<TMangle>(state, services, QString());
    }

    // Opens the playlist and shows the editor with its list painted.
    void open()
    {
        if (!editor->FormCreate())
            std::abort();
        editor->show();
        while (editor->reading())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        settle();
    }

    // Until the window answers again: posted work done, the list laid out and painted.
    void settle()
    {
        QCoreApplication::processEvents();
        editor->ListBox1->viewport()->repaint();
    }

    void select(int row)
    {
        QAbstractItemView* view = editor->ListBox1;
        view->selectionModel()->setCurrentIndex(view->model()->index(row, 0),
                                                QItemSelectionModel::ClearAndSelect);
    }

    ProgramState state;
    NoBoxes boxes;
    PickPlaylist dialogs;
    AnswerYes yes;
    Services services;
    std::unique_ptr<TMangle> editor;
};

// The longest time the window's thread did not answer while it ran: the largest gap between
// ticks of a 1 ms timer.
class FreezeProbe
{
public:
    FreezeProbe()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(1);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { tick(); });
        m_clock.start();
        m_last = 0;
        m_timer.start();
    }
    // Milliseconds, the gap until now included.
    double longestMs()
    {
        tick();
        return double(m_longest) / 1e6;
    }

private:
    void tick()
    {
        const qint64 now = m_clock.nsecsElapsed();
        m_longest = std::max(m_longest, now - m_last);
        m_last = now;
    }
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    qint64 m_longest = 0;
};

void BM_EditorOpen(benchmark::State& state)
{
    fixture();
    double freeze = 0;
    for (auto _ : state) {
        Editor e(int(state.range(0)));
        FreezeProbe probe;
        e.open();
        freeze = std::max(freeze, probe.longestMs());
        state.PauseTiming();
        e.editor.reset();
        state.ResumeTiming();
    }
    state.counters["freeze_ms"] = freeze;
}

// Times each press of a step; the worst goes to the counter worst_ms.
class WorstPress
{
public:
    void start() { m_clock.start(); }
    void stop() { m_worst = std::max(m_worst, m_clock.nsecsElapsed()); }
    void report(benchmark::State& state) const
    {
        state.counters["worst_ms"] = double(m_worst) / 1e6;
    }

private:
    QElapsedTimer m_clock;
    qint64 m_worst = 0;
};

// Baseline of opening: only the read of the playlist that opening does first, without the
// window.
void BM_BaselineReadOnly(benchmark::State& state)
{
    const QString playlist = state.range(0) > 1000 ? fixture().large : fixture().small;
    NoBoxes boxes;
    for (auto _ : state) {
        ClipList list;
        if (!ReadPlaylist(list, playlist, boxes))
            std::abort();
        benchmark::DoNotOptimize(list.items().data());
    }
}

// One place down, then back up: the same clip, as a person moving it would.
void BM_EditorMove(benchmark::State& state)
{
    Editor e(int(state.range(0)));
    e.open();
    e.select(int(state.range(0)) / 2);
    e.settle();
    bool down = true;
    WorstPress worst;
    for (auto _ : state) {
        worst.start();
        e.editor->ButtonUpClick(down ? e.editor->ButtonDown : e.editor->ButtonUp);
        e.settle();
        worst.stop();
        down = !down;
    }
    worst.report(state);
}

void BM_EditorDelete(benchmark::State& state)
{
    Editor e(int(state.range(0)));
    e.open();
    WorstPress worst;
    for (auto _ : state) {
        state.PauseTiming();
        e.select(int(e.editor->entries().count()) / 2);
        e.settle();
        state.ResumeTiming();
        worst.start();
        e.editor->ButtonDeleteClick();
        e.settle();
        worst.stop();
    }
    worst.report(state);
}

// One clip dropped on the middle row (the row selected), as a drop or Add clip(s) adds it: the
// check that it is not listed yet, the row inserted, the selection kept.
void BM_EditorInsert(benchmark::State& state)
{
    Editor e(int(state.range(0)));
    e.open();
    const QString folder = fixture().dir.path();
    int added = 0;
    WorstPress worst;
    for (auto _ : state) {
        state.PauseTiming();
        const int middle = int(e.editor->entries().count()) / 2;
        e.select(middle);
        e.settle();
        const QStringList clip = {folder + QStringLiteral("/Added %1.mp3").arg(++added)};
        state.ResumeTiming();
        worst.start();
        e.editor->addClips(clip, middle);
        e.settle();
        worst.stop();
    }
    worst.report(state);
}

void BM_EditorSort(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto e = std::make_unique<Editor>(int(state.range(0)));
        e->open();
        e->select(int(state.range(0)) / 2);
        e->settle();
        state.ResumeTiming();
        e->editor->ButtonSortClick();
        e->settle();
        state.PauseTiming();
        e.reset();
        state.ResumeTiming();
    }
}

// Five repetitions of each; the spread is reported as min and max beside median and mean.
void spread(benchmark::internal::Benchmark* b)
{
    b->Arg(1000)
        ->Arg(100000)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Repetitions(5)
        ->ReportAggregatesOnly(true)
        ->ComputeStatistics(
            "min",
            [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); })
        ->ComputeStatistics("max", [](const std::vector<double>& v) {
            return *std::max_element(v.begin(), v.end());
        });
}

BENCHMARK(BM_EditorOpen)->Apply(spread);
BENCHMARK(BM_BaselineReadOnly)->Apply(spread);
BENCHMARK(BM_EditorMove)->Apply(spread);
// Each step removes an entry for good: a fixed count keeps the list near its length.
BENCHMARK(BM_EditorDelete)->Apply(spread)->Iterations(30);
BENCHMARK(BM_EditorInsert)->Apply(spread)->Iterations(30);
BENCHMARK(BM_EditorSort)->Apply(spread)->Iterations(3);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
