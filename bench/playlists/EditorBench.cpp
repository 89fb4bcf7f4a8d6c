// The playlist editor on a long playlist: opening it, moving a clip one place, deleting a clip
// and sorting, each at 100,000 entries beside the same step at 1,000 entries in the same run.
// Every step counts until the window has laid out and painted its list again, which is when
// it answers the user. Targets at 100,000 entries: a move or a delete within 20 ms, Sort within
// 300 ms, opening within 0.5 s (beside the read alone, its baseline); a move or a delete costs
// about the same at both lengths.

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
#include <QFile>
#include <QListView>
#include <QListWidget>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>

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

void BM_EditorOpen(benchmark::State& state)
{
    fixture();
    for (auto _ : state) {
        Editor e(int(state.range(0)));
        e.open();
        state.PauseTiming();
        e.editor.reset();
        state.ResumeTiming();
    }
}

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
    for (auto _ : state) {
        e.editor->ButtonUpClick(down ? e.editor->ButtonDown : e.editor->ButtonUp);
        e.settle();
        down = !down;
    }
}

void BM_EditorDelete(benchmark::State& state)
{
    Editor e(int(state.range(0)));
    e.open();
    for (auto _ : state) {
        state.PauseTiming();
        e.select(int(e.editor->entries().count()) / 2);
        e.settle();
        state.ResumeTiming();
        e.editor->ButtonDeleteClick();
        e.settle();
    }
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

BENCHMARK(BM_EditorOpen)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BaselineReadOnly)
    ->Arg(1000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_EditorMove)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();
// Each step removes an entry for good: a fixed count keeps the list near its length.
BENCHMARK(BM_EditorDelete)
    ->Arg(1000)
    ->Arg(100000)
    ->Iterations(30)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_EditorSort)
    ->Arg(1000)
    ->Arg(100000)
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

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
