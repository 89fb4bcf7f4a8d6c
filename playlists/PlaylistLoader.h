#pragma once

#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

#include <atomic>
#include <memory>

class QThread;

namespace vantoro {

class ReadOnlyFileDevice;

// Reads a playlist on a worker thread, so that a long one keeps the window answering: every
// entry in file order, those whose files could not be found among them (see ReadPlaylist for
// what an entry stands for). Lives on the user-interface thread; finished() comes there, once,
// from the thread's end or from the first takeIfDone() after it: a queued signal alone would
// not come while the user-interface thread waits inside the handling of another posted event.
class PlaylistLoader final : public QObject
{
    Q_OBJECT

public:
    struct Result
    {
        QStringList entries;        // every entry that names something, in file order
        QStringList clips;          // the entries whose files were found, in file order
        QSet<QString> missing;      // the entries whose files were not found
        QHash<QString, int> counts; // ClipListModel::countEntries of `entries`
        int missingCount = 0;       // entries that named no file, empty ones included
        int error = 0;              // errno of a read that failed part-way, else 0
        bool cancelled = false;     // cancel() stopped the read
    };

    explicit PlaylistLoader(QObject* parent = nullptr);
    // Stops a read still running and waits for its thread, which is quick: the read looks
    // for cancel() between blocks and every few hundred entries.
    ~PlaylistLoader() override;

    // Opens the playlist here, so that a file that cannot be opened is told at once (answers
    // false, error() its errno), then reads it on a worker thread.
    bool start(const QString& path);
    int error() const { return m_openError; }
    void cancel() { m_cancel = true; }
    // Started and finished() not yet emitted.
    bool running() const { return m_running; }
    // Emits finished() if the read has ended and it has not been emitted yet; a timer of the
    // caller calls it now and then.
    void takeIfDone();
    // Bytes read so far, and the file's size; safe to ask while the read runs.
    qint64 bytesRead() const { return m_bytesRead; }
    qint64 totalBytes() const { return m_totalBytes; }
    // What the read found; valid once finished() has come.
    Result& result() { return m_result; }

Q_SIGNALS:
    void finished();

private:
    void read(const QString& path);
    void end();

    std::unique_ptr<ReadOnlyFileDevice> m_file;
    QThread* m_thread = nullptr;
    Result m_result; // written by the worker only until its thread ends
    int m_openError = 0;
    bool m_running = false;
    std::atomic<bool> m_cancel = false;
    std::atomic<bool> m_done = false; // the worker has written m_result
    std::atomic<qint64> m_bytesRead = 0;
    std::atomic<qint64> m_totalBytes = 0;
};

} // namespace vantoro
