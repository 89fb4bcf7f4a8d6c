// Opening the folder browser on a folder whose parent holds 10,000 sub-folders: from the call
// to a painted window with that folder selected (its parent listed, sorted and shown), against
// a bare QFileDialog in directory mode opened on the same folder, from construction to a
// painted window once its model has loaded the folder. Target: at most 1.5 times the baseline.
#include "bench/common/BenchMain.h"
#include "platform/FolderBrowser.h"
#include "platform/QtFolderBrowser.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

constexpr int kSiblings = 10000;

struct Folders
{
    QTemporaryDir dir;
    QString parent;
    QString target;
};

const Folders& folders()
{
    static Folders f = [] {
        Folders made;
        made.parent = made.dir.filePath(QStringLiteral("Many"));
        QDir parent;
        for (int i = 0; i < kSiblings; ++i) {
            if (!parent.mkpath(made.parent +
                               QStringLiteral("/Folder %1").arg(i, 5, 10, QLatin1Char('0'))))
                std::abort();
        }
        made.target = made.parent + QStringLiteral("/Folder 05000");
        QDir().mkpath(made.target + QStringLiteral("/Inside"));
        return made;
    }();
    return f;
}

// Selects the folder when the browser opens, then closes it once it has been painted.
class OpenAndClose final : public vantoro::FolderBrowserCallbacks
{
public:
    explicit OpenAndClose(QString path) : m_path(std::move(path)) {}
    void browserInitialized(vantoro::FolderBrowserWindow& window) override
    {
        selected = window.selectPath(m_path);
        QTimer::singleShot(0, window.widget(), [&window] {
            window.widget()->repaint();
            window.closeAsCancelled();
        });
    }
    void browserSelectionChanged(vantoro::FolderBrowserWindow&, const QString&,
                                 const QString&) override
    {}
    bool selected = false;

private:
    QString m_path;
};

void folderBrowserOnFolderAmong10000(benchmark::State& state)
{
    const Folders& f = folders();
    vantoro::QtFolderBrowser browser;
    vantoro::FolderBrowseSpec spec;
    spec.title = QStringLiteral("Browse to DESTINATION folder:");
    spec.flags = vantoro::FolderBrowseFlag::kStatusText;
    for (auto _ : state) {
        OpenAndClose callbacks(f.target);
        browser.browse(spec, callbacks);
        if (!callbacks.selected)
            state.SkipWithError("the folder was not selected");
    }
}
BENCHMARK(folderBrowserOnFolderAmong10000)->Unit(benchmark::kMillisecond)->UseRealTime();

// Baseline: Qt's own dialog in directory mode, opened on `folder`, closed once painted with
// the folder's contents loaded.
void openFileDialog(benchmark::State& state, const QString& folder)
{
    for (auto _ : state) {
        QFileDialog dialog;
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly);
        dialog.setDirectory(folder);
        auto* model = dialog.findChild<QFileSystemModel*>();
        if (!model) {
            state.SkipWithError("no file system model");
            return;
        }
        QObject::connect(model, &QFileSystemModel::directoryLoaded, &dialog,
                         [&dialog, folder](const QString& loaded) {
                             if (QDir::cleanPath(loaded) != QDir::cleanPath(folder))
                                 return;
                             QTimer::singleShot(0, &dialog, [&dialog] {
                                 dialog.repaint();
                                 dialog.reject();
                             });
                         });
        // A dialog whose folder never reports loaded still ends.
        QTimer::singleShot(10000, &dialog, &QDialog::reject);
        dialog.exec();
    }
}

void fileDialogOnFolderAmong10000(benchmark::State& state)
{
    openFileDialog(state, folders().target);
}
BENCHMARK(fileDialogOnFolderAmong10000)->Unit(benchmark::kMillisecond)->UseRealTime();

// For reference: Qt's dialog listing the 10,000 folders themselves.
void fileDialogOnTheParentOf10000(benchmark::State& state)
{
    openFileDialog(state, folders().parent);
}
BENCHMARK(fileDialogOnTheParentOf10000)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    vantoro::bench::preferOffscreenPlatform();
    QApplication app(argc, argv);
    folders();
    return vantoro::bench::runBenchmarks(argc, argv);
}
