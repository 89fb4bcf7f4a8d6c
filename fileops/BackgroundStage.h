#pragma once

#include "fileops/FileCopier.h"

#include <QtGlobal>

#include <atomic>
#include <future>
#include <memory>

#include <sys/stat.h>

namespace vantoro {

// One copy staged and flushed on a thread of its own: the data written into its hidden
// temporary, its times set and the file flushed to the drive, while the engine goes on with the
// next file. On a network drive each of those steps waits a round trip, and none of them locks
// the folder, so that several files' steps overlap. Nothing is committed here: the engine takes
// the staged file back, on its own thread and in file order, and commits it as any other.
class BackgroundStage
{
public:
    // Starts the copy of the open `source` into `folder`. `cancel` stops it between blocks;
    // its bytes are counted in `bytesDone` as they are written.
    BackgroundStage(UniqueFd source, const struct stat& sourceStat, SharedFd folder,
                    const std::atomic<bool>* cancel, std::atomic<qint64>* bytesDone);
    // Waits for the thread: a stage dropped unfinished leaves no temporary behind.
    ~BackgroundStage();
    BackgroundStage(const BackgroundStage&) = delete;
    BackgroundStage& operator=(const BackgroundStage&) = delete;

    bool isDone() const;
    void wait() const;
    // Waits, then hands the staged and flushed copy to `file` (answer 0) or answers the error
    // (ECANCELED for a cancel), with nothing left staged and the bytes it counted taken back.
    // What it could not remove is handed to `leftovers`. Once only.
    int finish(StagedFile& file, LeftoverTemporaries& leftovers);

private:
    struct Work
    {
        UniqueFd source;
        struct stat sourceStat = {};
        SharedFd folder;
        const std::atomic<bool>* cancel = nullptr;
        std::atomic<qint64>* bytesDone = nullptr;
        std::atomic<qint64> ownBytes{0};
        LeftoverTemporaries leftovers; // before the file: a file dropped last notes them here
        StagedFile file;
    };
    static int run(Work& work);

    std::unique_ptr<Work> m_work;
    std::future<int> m_result; // last: its end waits for the thread before the work goes
};

} // namespace vantoro
