#include "playlists/PlaylistFiles.h"

#include "platform/AtomicFileWriter.h"
#include "platform/IoError.h"
#include "platform/MessageBoxes.h"
#include "playlists/ClipList.h"
#include "playlists/PlaylistFormat.h"
#include "playlists/ReadOnlyFileDevice.h"

#include <QFile>
#include <QStringDecoder>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace vantoro {

namespace {

bool isExistingFile(const QByteArray& entry)
{
    // A NUL would end the name early and test some other file.
    if (entry.isEmpty() || entry.contains('\0'))
        return false;
    struct stat info
    {
    };
    return ::stat(entry.constData(), &info) == 0 && S_ISREG(info.st_mode);
}

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

std::optional<int> ReadPlaylist(ClipList& list, const QString& path, MessageBoxes& boxes)
{
    list.setSorted(false);
    list.clear();
    ReadOnlyFileDevice file(path);
    if (!file.openFile()) {
        boxes.error(ioErrorText(file.error()));
        return std::nullopt;
    }
    int missing = 0;
    // A name that is not valid UTF-8 cannot be held in the clip list as it is: it counts as
    // missing rather than being kept as some other name.
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const bool readOk =
        readPlaylistEntries(file, playlistRulesFor(path), [&](const QByteArray& entry) {
            if (isExistingFile(entry)) {
                QString name = decoder.decode(entry);
                if (!decoder.hasError()) {
                    list.add(name);
                    return;
                }
                decoder.resetState();
            }
            ++missing;
        });
    if (!readOk || !file.closeFile()) {
        boxes.error(ioErrorText(file.error() != 0 ? file.error() : EIO));
        return std::nullopt;
    }
    return missing;
}

} // namespace vantoro
