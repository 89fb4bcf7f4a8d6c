#include "playlists/PlaylistFiles.h"

#include "platform/AtomicFileWriter.h"
#include "platform/IoError.h"
#include "platform/MessageBoxes.h"
#include "playlists/ClipList.h"
#include "playlists/DelayedProgress.h"
#include "playlists/LetterCaseLookup.h"
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

PlaylistClipsRead readPlaylistClips(ReadOnlyFileDevice& file, const QString& path,
                                    const PlaylistClipSink& sink, bool withMissingNames,
                                    const PlaylistReadCheck& keepGoing)
{
    PlaylistClipsRead outcome;
    qint64 bytesRead = 0;
    int sinceCheck = 0;
    const auto goOn = [&] {
        outcome.cancelled =
            outcome.cancelled || (keepGoing && !keepGoing(bytesRead, file.fileSize()));
        return !outcome.cancelled;
    };
    PlaylistEntryResolver resolver(path);
    LetterCaseLookup lookup;
    // The clip an entry's names stand for: the first name that exists as written, else the
    // first found ignoring letter case; empty when none.
    const auto clipFor = [&](const PlaylistEntryResolver::Candidates& candidates) -> QByteArray {
        for (int i = 0; i < candidates.count; ++i) {
            const QByteArray& name = candidates.names[size_t(i)];
            if (!lookup.folderAbsentAsWritten(name) && isExistingFile(name))
                return name;
        }
        for (int i = 0; i < candidates.count; ++i) {
            QByteArray found =
                lookup.find(candidates.names[size_t(i)], candidates.baseLengths[size_t(i)]);
            if (!found.isEmpty())
                return found;
        }
        return {};
    };
    // Whether the entry being read (with its alternatives) has named no clip so far, and what
    // stands for it among the missing entries.
    bool entryMissing = false;
    QString entryNotFound;
    const auto closeEntry = [&] {
        if (entryMissing) {
            ++outcome.missing;
            if (!entryNotFound.isEmpty())
                sink(entryNotFound, false);
        }
        entryNotFound.clear();
    };
    const bool readOk = readPlaylistEntries(
        file, playlistRulesFor(path),
        [&](const PlaylistEntry& entry) {
            if (outcome.cancelled)
                return;
            if (++sinceCheck == kEntriesPerProgressCheck) {
                sinceCheck = 0;
                if (!goOn())
                    return;
            }
            if (!entry.alternative) {
                closeEntry();
                entryMissing = true;
            }
            const PlaylistEntryResolver::Candidates candidates = resolver.localNames(entry);
            // An entry that names nothing is kept as its first reference reads.
            if (!entry.alternative && withMissingNames && !entry.bytes.isEmpty())
                entryNotFound = candidates.count > 0 ? QString::fromUtf8(candidates.names[0])
                                                     : entryText(entry);
            if (!entryMissing)
                return; // an earlier reference of this entry named its clip
            const QByteArray clip = clipFor(candidates);
            if (!clip.isEmpty()) {
                // Names found are valid UTF-8 (see PlaylistEntryResolver, LetterCaseLookup).
                sink(QString::fromUtf8(clip), true);
                entryMissing = false;
            }
        },
        [&](qint64 total) {
            bytesRead = total;
            return goOn();
        });
    if (outcome.cancelled)
        return outcome;
    closeEntry();
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
