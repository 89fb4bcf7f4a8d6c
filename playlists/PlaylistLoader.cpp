#include "playlists/PlaylistLoader.h"

#include "playlists/ClipListModel.h"
#include "playlists/PlaylistFiles.h"
#include "playlists/ReadOnlyFileDevice.h"

#include <QThread>

namespace vantoro {

PlaylistLoader::PlaylistLoader(QObject* parent) : QObject(parent) {}

PlaylistLoader::~PlaylistLoader()
{
    if (m_thread != nullptr) {
        m_cancel = true;
        m_thread->wait();
        delete m_thread;
    }
}

bool PlaylistLoader::start(const QString& path)
{
    m_file = std::make_unique<ReadOnlyFileDevice>(path);
    if (!m_file->openFile()) {
        m_openError = m_file->error();
        return false;
    }
    m_totalBytes = m_file->fileSize();
    m_running = true;
    m_thread = QThread::create([this, path] { read(path); });
    // The thread's finished signal comes from the thread itself: queued to this object's.
    connect(m_thread, &QThread::finished, this, [this] { end(); });
    m_thread->start();
    return true;
}

void PlaylistLoader::read(const QString& path)
{
    Result& result = m_result;
    const PlaylistClipsRead read = readPlaylistClips(
        *m_file, path,
        [&result](const QString& name, bool found) {
            result.entries.append(name);
            if (found)
                result.clips.append(name);
            else
                result.missing.insert(name);
        },
        true,
        [this](qint64 done, qint64) {
            m_bytesRead = done;
            return !m_cancel;
        });
    // Counted here rather than when the editor first checks an addition against the list.
    if (!read.cancelled && read.error == 0)
        result.counts = ClipListModel::countEntries(result.entries);
    result.missingCount = read.missing;
    result.error = read.error;
    result.cancelled = read.cancelled;
    m_bytesRead = m_totalBytes.load();
    m_done = true;
}

void PlaylistLoader::takeIfDone()
{
    if (m_running && m_done)
        end();
}

void PlaylistLoader::end()
{
    if (!m_running)
        return;
    m_thread->wait(); // past the last write of the result
    m_running = false;
    Q_EMIT finished();
}

} // namespace vantoro
