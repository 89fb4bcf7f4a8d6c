// A folder tree of 10,000 media files dropped on the main window: the drop's search for the clips
// the clip dialog's filters accept, beside a bare recursive listing of the same tree (readdir,
// every regular file's path as a QString, no filter) measured in the same run. Target: the search
// within 1.5 times of the listing. The whole drop up to the player (search, then the sorted clip
// list) is measured too, for the 2 s a person may wait.

#include "platform/MainWindowDialogs.h"
#include "platform/MediaFileSearch.h"
#include "playlists/ClipList.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <dirent.h>
#include <string>

namespace {

using namespace vantoro;

// 10,000 media files: 20 artists x 10 albums x 50 tracks (audio, and a cover picture per album
// among them), with a text file and a hidden folder per album that the search passes over.
struct Tree
{
    Tree()
    {
        const char* kinds[] = {".mp3", ".ogg", ".wav", ".JPG", ".mpg"};
        for (int artist = 0; artist < 20; ++artist) {
            for (int album = 0; album < 10; ++album) {
                const QString folder =
                    dir.path() +
                    QStringLiteral(u"/Artist %1 \u00e9/Album %2").arg(artist).arg(album);
                QDir().mkpath(folder + QStringLiteral("/.thumbnails"));
                for (int track = 0; track < 50; ++track) {
                    QFile(folder + QStringLiteral("/Track %1 - Title%2")
                                       .arg(track, 2, 10, QLatin1Char('0'))
                                       .arg(QLatin1String(kinds[track % 5])))
                        .open(QIODevice::WriteOnly);
                }
                QFile(folder + QStringLiteral("/notes.txt")).open(QIODevice::WriteOnly);
            }
        }
    }
    QTemporaryDir dir;
};

Tree& tree()
{
    static Tree t;
    return t;
}

void listAll(const std::string& folder, QStringList& out)
{
    DIR* d = ::opendir(folder.c_str());
    if (!d)
        return;
    while (const dirent* e = ::readdir(d)) {
        if (e->d_name[0] == '.' && (e->d_name[1] == 0 || (e->d_name[1] == '.' && !e->d_name[2])))
            continue;
        const std::string path = folder + '/' + e->d_name;
        if (e->d_type == DT_DIR)
            listAll(path, out);
        else if (e->d_type == DT_REG)
            out.append(QFile::decodeName(QByteArray::fromStdString(path)));
    }
    ::closedir(d);
}

void BM_DropSearch(benchmark::State& state)
{
    const QString root = tree().dir.path();
    qsizetype found = 0;
    for (auto _ : state) {
        const QStringList clips = findFilesBelow(root, clipDialogMediaExtensions());
        found = clips.size();
        benchmark::DoNotOptimize(clips.constData());
    }
    state.counters["files"] = double(found);
    if (found != 10000)
        state.SkipWithError("the search did not find the 10,000 media files");
}

void BM_BaselineRecursiveListing(benchmark::State& state)
{
    const std::string root = QFile::encodeName(tree().dir.path()).toStdString();
    qsizetype found = 0;
    for (auto _ : state) {
        QStringList all;
        listAll(root, all);
        found = all.size();
        benchmark::DoNotOptimize(all.constData());
    }
    state.counters["files"] = double(found);
}

void BM_DropUpToThePlayer(benchmark::State& state)
{
    const QString root = tree().dir.path();
    for (auto _ : state) {
        ClipList box;
        box.addAll(findFilesBelow(root, clipDialogMediaExtensions()));
        box.setSorted(true);
        benchmark::DoNotOptimize(box.count());
    }
}

} // namespace

BENCHMARK(BM_DropSearch)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BaselineRecursiveListing)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DropUpToThePlayer)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
