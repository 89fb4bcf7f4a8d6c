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
    int missing = 0;
    qint64 bytesRead = 0;
    bool stopped = false;
    const auto keepGoing = [&] {
        stopped = stopped || (progress != nullptr && !progress->update(bytesRead, file.fileSize()));
        return !stopped;
    };
    PlaylistClipReader reader(
        path,
        {[&](const QByteArray& clip) { clips.append(QString::fromUtf8(clip)); },
         [&](const QString& text) {
             ++missing;
             if (!text.isEmpty())
                 notFound.append(text);
         },
         keepGoing},
        missingEntries != nullptr);
    const bool readOk = readPlaylistEntries(
        file, playlistRulesFor(path), [&](const PlaylistEntry& entry) { reader.take(entry); },
        [&](qint64 total) {
            bytesRead = total;
            return keepGoing();
        });
    // The window goes the moment the read ends, before any box or window that follows.
    if (progress != nullptr)
        progress->finish();
    if (stopped || reader.stopped())
        return std::nullopt;
    reader.finish();
    list.setItems(std::move(clips));
    if (missingEntries != nullptr)
        missingEntries->append(notFound);
    if (!readOk || !file.closeFile()) {
        boxes.error(ioErrorText(file.error() != 0 ? file.error() : EIO));
        return std::nullopt;
    }
    return missing;
}

} // namespace vantoro
