#include "playlists/PlaylistFiles.h"

#include "platform/AtomicFileWriter.h"
#include "fileops/IoError.h"
#include "platform/MessageBoxes.h"
#include "playlists/ClipList.h"
#include "playlists/DelayedProgress.h"
#include "playlists/PlaylistClipReader.h"
#include "playlists/PlaylistFormat.h"
#include "playlists/ReadOnlyFileDevice.h"

#include <QFile>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace vantoro {

namespace {

// errno when an existing file may not be written; 0 otherwise. Replacing a file by renaming
// needs only the folder's permission, so the file's own is checked here.
int writeRefusal(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    if (::access(name.constData(), F_OK) != 0)
        return 0;
    return ::access(name.constData(), W_OK) == 0 ? 0 : errno;
}

} // namespace

bool WritePlaylist(const ClipList& list, const QString& path, const QString& title,
                   MessageBoxes& boxes)
{
    if (const int refusal = writeRefusal(path); refusal != 0) {
        boxes.error(ioErrorText(refusal));
        return false;
    }
    AtomicFileWriter writer(path);
    if (!writer.begin()) {
        boxes.error(ioErrorText(writer.error()));
        return false;
    }
    if (!writeAsxPlaylist(writer, title, list.items()) || !writer.commit()) {
        boxes.error(ioErrorText(writer.error() != 0 ? writer.error() : EIO));
        return false;
    }
    return true;
}

PlaylistClipsRead readPlaylistClips(ReadOnlyFileDevice& file, const QString& path,
                                    const PlaylistClipSink& sink, bool withMissingNames,
                                    const PlaylistReadCheck& keepGoing)
{
    PlaylistClipsRead outcome;
    qint64 bytesRead = 0;
    const auto goOn = [&] {
        outcome.cancelled =
            outcome.cancelled || (keepGoing && !keepGoing(bytesRead, file.fileSize()));
        return !outcome.cancelled;
    };
    PlaylistClipReader reader(
        path,
        {[&](const QByteArray& clip) { sink(QString::fromUtf8(clip), true); },
         [&](const QString& text) {
             ++outcome.missing;
             if (!text.isEmpty())
                 sink(text, false);
         },
         goOn},
        withMissingNames);
    const bool readOk = readPlaylistEntries(
        file, playlistRulesFor(path), [&](const PlaylistEntry& entry) { reader.take(entry); },
        [&](qint64 total) {
            bytesRead = total;
            return goOn();
        });
    if (outcome.cancelled || reader.stopped()) {
        outcome.cancelled = true;
        return outcome;
    }
    reader.finish();
    if (!readOk || !file.closeFile())
        outcome.error = file.error() != 0 ? file.error() : EIO;
    return outcome;
}

std::optional<int> ReadPlaylist(ClipList& list, const QString& path, MessageBoxes& boxes,
                                DelayedProgress* progress, QStringList* missingEntries)
{
    ReadOnlyFileDevice file(path);
    if (!file.openFile()) {
        list.setSorted(false);
        list.clear();
        boxes.error(ioErrorText(file.error()));
        return std::nullopt;
    }
    // The clips are gathered aside, so that a cancelled read leaves the list as it was.
    QStringList clips;
    QStringList notFound;
    const PlaylistClipsRead read = readPlaylistClips(
        file, path,
        [&](const QString& name, bool found) { (found ? clips : notFound).append(name); },
        missingEntries != nullptr,
        [progress](qint64 done, qint64 total) {
            return progress == nullptr || progress->update(done, total);
        });
    // The window goes the moment the read ends, before any box or window that follows.
    if (progress != nullptr)
        progress->finish();
    if (read.cancelled)
        return std::nullopt;
    list.setItems(std::move(clips));
    if (missingEntries != nullptr)
        missingEntries->append(notFound);
    if (read.error != 0) {
        boxes.error(ioErrorText(read.error));
        return std::nullopt;
    }
    return read.missing;
}

} // namespace vantoro
