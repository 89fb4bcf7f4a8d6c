#include "fileops/BackgroundStage.h"

#include <cerrno>
#include <chrono>
#include <system_error>

namespace vantoro {

BackgroundStage::BackgroundStage(UniqueFd source, const struct stat& sourceStat, SharedFd folder,
                                 const std::atomic<bool>* cancel, std::atomic<qint64>* bytesDone)
    : m_work(std::make_unique<Work>())
{
    m_work->source = std::move(source);
    m_work->sourceStat = sourceStat;
    m_work->folder = std::move(folder);
    m_work->cancel = cancel;
    m_work->bytesDone = bytesDone;
    Work* work = m_work.get();
    try {
        m_result = std::async(std::launch::async, [work] { return run(*work); });
    } catch (const std::system_error&) {
        // No thread to be had: the copy is made when it is waited for.
        m_result = std::async(std::launch::deferred, [work] { return run(*work); });
    }
}

BackgroundStage::~BackgroundStage()
{
    if (m_result.valid())
        m_result.wait();
}

int BackgroundStage::run(Work& work)
{
    const CopyControl control{work.cancel, work.bytesDone, &work.leftovers, &work.ownBytes};
    int error = work.file.stage(work.source.get(), work.sourceStat, work.folder, control);
    if (!error)
        error = work.file.sync();
    if (error) {
        work.file.giveBackRoom(error);
        work.file.discard();
    }
    work.source.reset();
    return error;
}

bool BackgroundStage::isDone() const
{
    return !m_result.valid() ||
           m_result.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
}

void BackgroundStage::wait() const
{
    if (m_result.valid())
        m_result.wait();
}

int BackgroundStage::finish(StagedFile& file, LeftoverTemporaries& leftovers)
{
    if (!m_result.valid())
        return EINVAL;
    const int error = m_result.get();
    leftovers.takeFrom(m_work->leftovers);
    if (error) {
        if (m_work->bytesDone)
            m_work->bytesDone->fetch_sub(m_work->ownBytes.load());
        return error;
    }
    file = std::move(m_work->file);
    file.noteLeftoversIn(&leftovers);
    return 0;
}

} // namespace vantoro
