#include "playlists/PlaylistFiles.h"

#include "platform/AtomicFileWriter.h"
#include "platform/IoError.h"
#include "platform/MessageBoxes.h"
#include "playlists/ClipList.h"
#include "playlists/DelayedProgress.h"
#include "playlists/PlaylistEntryResolver.h"
#include "playlists/PlaylistFormat.h"
#include "playlists/ReadOnlyFileDevice.h"

#include <QFile>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace vantoro {

namespace {

// Entries between progress checks while a block is being read: stat() calls on a slow file
// system must not keep the window from answering.
constexpr int kEntriesPerProgressCheck = 256;

// Whether `name` (as the file system stores it, UTF-8) is a regular file; a symbolic link to
// one counts, a folder does not.
bool isExistingFile(const QByteArray& name)
{
    struct stat info
    {
    };
    return ::stat(name.constData(), &info) == 0 && S_ISREG(info.st_mode);
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

// The text of an entry that names no local file (a web address, say), its escapes decoded.
QString entryText(const PlaylistEntry& entry)
{
    QByteArray utf8 = entry.bytes;
    if (entry.charset == PlaylistEntryCharset::Utf8Else1252 &&
        !QByteArrayView(entry.bytes).isValidUtf8())
        utf8 = PlaylistEntryResolver::fromWindows1252(entry.bytes).toUtf8();
    switch (entry.escapes) {
    case PlaylistEntryEscapes::Xml:
        utf8 = PlaylistEntryResolver::decodeXmlReferences(utf8);
        break;
    case PlaylistEntryEscapes::OwnLineBreaks:
        utf8 = PlaylistEntryResolver::decodeOwnLineBreaks(utf8);
        break;
    case PlaylistEntryEscapes::None:
        break;
    }
    return QString::fromUtf8(utf8);
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
    int sinceCheck = 0;
    bool stopped = false;
    const auto keepGoing = [&] {
        stopped = stopped || (progress != nullptr && !progress->update(bytesRead, file.fileSize()));
        return !stopped;
    };
    PlaylistEntryResolver resolver(path);
    const bool readOk = readPlaylistEntries(
        file, playlistRulesFor(path),
        [&](const PlaylistEntry& entry) {
            if (stopped)
                return;
            if (++sinceCheck == kEntriesPerProgressCheck) {
                sinceCheck = 0;
                if (!keepGoing())
                    return;
            }
            const PlaylistEntryResolver::Candidates candidates = resolver.localNames(entry);
            for (int i = 0; i < candidates.count; ++i) {
                // Candidates are valid UTF-8 (see PlaylistEntryResolver).
                if (isExistingFile(candidates.names[size_t(i)])) {
                    clips.append(QString::fromUtf8(candidates.names[size_t(i)]));
                    return;
                }
            }
            ++missing;
            if (missingEntries != nullptr && !entry.bytes.isEmpty())
                notFound.append(candidates.count > 0 ? QString::fromUtf8(candidates.names[0])
                                                     : entryText(entry));
        },
        [&](qint64 total) {
            bytesRead = total;
            return keepGoing();
        });
    if (stopped)
        return std::nullopt;
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
