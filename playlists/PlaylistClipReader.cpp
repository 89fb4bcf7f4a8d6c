#include "playlists/PlaylistClipReader.h"

#include "playlists/PlaylistFormat.h"
#include "playlists/ReadOnlyFileDevice.h"

#include <QFile>
#include <QVarLengthArray>

#include <algorithm>

#include <sys/stat.h>

namespace vantoro {

namespace {

// Entries between progress checks: stat() calls on a slow file system must not keep the
// window from answering.
constexpr int kEntriesPerProgressCheck = 256;

// Whether `name` (as the file system stores it, UTF-8) is a regular file; a symbolic link to
// one counts, a folder does not.
bool isExistingFile(const QByteArray& name, std::pair<dev_t, ino_t>& identity)
{
    struct stat info
    {
    };
    if (::stat(name.constData(), &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    identity = {info.st_dev, info.st_ino};
    return true;
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

// One playlist file being read: its names are resolved against its own folder.
struct PlaylistClipReader::File
{
    File(const QString& path, int fileDepth) : resolver(path), depth(fileDepth) {}

    PlaylistEntryResolver resolver;
    int depth;
    // Whether the entry being read (with its alternatives) has named no clip so far, and what
    // stands for it among the missing entries.
    bool entryOpen = false;
    bool entryMissing = false;
    QString entryNotFound;
};

PlaylistClipReader::PlaylistClipReader(const QString& playlistPath, Sinks sinks,
                                       bool keepMissingTexts)
    : m_sinks(std::move(sinks)), m_keepMissingTexts(keepMissingTexts),
      m_top(std::make_unique<File>(playlistPath, 0))
{
    Identity identity;
    if (isExistingFile(QFile::encodeName(playlistPath), identity)) {
        m_playlists.insert(identity);
        m_playlistInodes.insert(identity.second);
    }
}

PlaylistClipReader::~PlaylistClipReader() = default;

void PlaylistClipReader::take(const PlaylistEntry& entry)
{
    takeIn(*m_top, entry);
}

void PlaylistClipReader::finish()
{
    if (!m_stopped)
        closeEntry(*m_top);
}

void PlaylistClipReader::closeEntry(File& file)
{
    if (file.entryOpen && file.entryMissing)
        m_sinks.missing(file.entryNotFound);
    file.entryOpen = false;
    file.entryMissing = false;
    file.entryNotFound.clear();
}

void PlaylistClipReader::takeIn(File& file, const PlaylistEntry& entry)
{
    if (m_stopped)
        return;
    if (++m_sinceCheck == kEntriesPerProgressCheck) {
        m_sinceCheck = 0;
        if (m_sinks.keepGoing && !m_sinks.keepGoing()) {
            m_stopped = true;
            return;
        }
    }
    if (!entry.alternative || !file.entryOpen) {
        closeEntry(file);
        file.entryOpen = true;
        file.entryMissing = true;
    }
    const PlaylistEntryResolver::Candidates candidates = file.resolver.localNames(entry);
    // An entry that names nothing is kept as its first reference reads.
    if (!entry.alternative && m_keepMissingTexts && !entry.bytes.isEmpty())
        file.entryNotFound =
            candidates.count > 0 ? QString::fromUtf8(candidates.names[0]) : entryText(entry);
    if (!file.entryMissing)
        return; // an earlier reference of this entry named its clip
    Identity identity;
    const QByteArray found = fileFor(candidates, file, identity);
    // A playlist read in this Load is never a clip, nor read again.
    if (found.isEmpty() || m_playlists.count(identity) > 0)
        return;
    if (!entry.reference) {
        m_sinks.clip(found);
        file.entryMissing = false;
        return;
    }
    if (file.depth >= kMaxReferenceDepth || !isExistingFile(found, identity))
        return;
    m_playlists.insert(identity);
    m_playlistInodes.insert(identity.second);
    // The referenced playlist's entries are counted on their own; the reference itself is
    // missing only when that playlist cannot be read through.
    file.entryMissing = !readReferenced(found, file.depth + 1);
    if (m_stopped)
        file.entryMissing = false;
}

bool PlaylistClipReader::readReferenced(const QByteArray& path, int depth)
{
    const QString name = QString::fromUtf8(path);
    ReadOnlyFileDevice device(name);
    if (!device.openFile())
        return false;
    PlaylistRules rules = playlistRulesFor(name);
    if (rules == PlaylistRules::None)
        rules = PlaylistRules::Asx; // a reference names an ASX file, whatever it is called
    File file(name, depth);
    const bool readOk = readPlaylistEntries(
        device, rules, [&](const PlaylistEntry& entry) { takeIn(file, entry); },
        [this](qint64) { return !m_stopped; });
    if (m_stopped)
        return true;
    closeEntry(file);
    return device.closeFile() && readOk;
}

bool PlaylistClipReader::existsAsWritten(const QByteArray& name, Identity& identity)
{
    return !m_lookup.folderAbsentAsWritten(name) && isExistingFile(name, identity);
}

QByteArray PlaylistClipReader::foundIgnoringCase(const QByteArray& name, qsizetype baseLength,
                                                 Identity& identity)
{
    ino_t inode = 0;
    QByteArray found = m_lookup.find(name, baseLength, &inode);
    // The file's device is asked for only when its inode is a playlist's: a file of another
    // inode is no playlist read in this Load.
    if (found.isEmpty() || m_playlistInodes.count(inode) == 0)
        identity = {kNoDevice, inode};
    else if (!isExistingFile(found, identity))
        found.clear();
    return found;
}

QByteArray PlaylistClipReader::fileFor(const PlaylistEntryResolver::Candidates& candidates,
                                       const File& file, Identity& identity)
{
    for (int i = 0; i < candidates.count; ++i) {
        const QByteArray& name = candidates.names[size_t(i)];
        if (existsAsWritten(name, identity))
            return name;
    }
    for (int i = 0; i < candidates.count; ++i) {
        QByteArray found = foundIgnoringCase(candidates.names[size_t(i)],
                                             candidates.baseLengths[size_t(i)], identity);
        if (!found.isEmpty())
            return found;
    }
    if (candidates.windowsTail.isEmpty())
        return {};
    return tailFile(candidates.windowsTail, file.resolver.folder(), identity);
}

const QList<QByteArray>& PlaylistClipReader::tailFolders(const QByteArray& folder,
                                                         QByteArrayView windowsFolder)
{
    QByteArray key;
    key.reserve(folder.size() + windowsFolder.size());
    key.append(folder);
    key.append(windowsFolder);
    const auto known = m_tailFolders.constFind(key);
    if (known != m_tailFolders.cend())
        return *known;
    QList<QByteArray> folders;
    if (!windowsFolder.isEmpty()) {
        QVarLengthArray<qsizetype, 32> starts{0}; // of each component, front to back
        for (qsizetype at = windowsFolder.indexOf('/'); at >= 0;
             at = windowsFolder.indexOf('/', at + 1))
            starts.append(at + 1);
        for (qsizetype i = std::max<qsizetype>(0, starts.size() - kMaxTailComponents);
             i < starts.size(); ++i) {
            QByteArray found = m_lookup.folderFor(
                folder + windowsFolder.sliced(starts[i]).toByteArray() + '/', folder.size());
            if (!found.isEmpty())
                folders.append(std::move(found));
        }
    }
    folders.append(folder);
    addAncestorFolders(folders, folder, windowsFolder);
    return *m_tailFolders.insert(key, std::move(folders));
}

void PlaylistClipReader::addAncestorFolders(QList<QByteArray>& folders, const QByteArray& folder,
                                            QByteArrayView windowsFolder)
{
    if (windowsFolder.isEmpty())
        return;
    QVarLengthArray<QByteArrayView, 32> parts;
    for (qsizetype at = 0; at <= windowsFolder.size();) {
        qsizetype slash = windowsFolder.indexOf('/', at);
        if (slash < 0)
            slash = windowsFolder.size();
        parts.append(windowsFolder.sliced(at, slash - at));
        at = slash + 1;
    }
    // Nearest folder above first; below it, the longest rest of the Windows folder first.
    qsizetype end = folder.size() - 1; // the '/' that ends the playlist's folder
    for (int up = 0; up < kMaxTailComponents; ++up) {
        end = folder.lastIndexOf('/', end - 1);
        if (end <= 0)
            return;
        const qsizetype nameStart = folder.lastIndexOf('/', end - 1) + 1;
        const QByteArray name =
            LetterCaseLookup::folded(QByteArrayView(folder).sliced(nameStart, end - nameStart));
        for (qsizetype i = 0; i < parts.size(); ++i) {
            if (LetterCaseLookup::folded(parts[i]) != name)
                continue;
            QByteArray written = folder.first(end + 1);
            for (qsizetype k = i + 1; k < parts.size(); ++k)
                written += parts[k].toByteArray() + '/';
            QByteArray found = m_lookup.folderFor(written, end + 1);
            if (!found.isEmpty() && !folders.contains(found))
                folders.append(std::move(found));
        }
    }
}

QByteArray PlaylistClipReader::tailFile(const QByteArray& tail, const QByteArray& folder,
                                        Identity& identity)
{
    // A folder that does not exist holds no file: the tails of the entry's folder are looked
    // up once for all entries in it.
    const qsizetype slash = tail.lastIndexOf('/');
    const QByteArrayView fileName = QByteArrayView(tail).sliced(slash + 1);
    QByteArray name;
    for (const QByteArray& found :
         tailFolders(folder, slash < 0 ? QByteArrayView() : QByteArrayView(tail).first(slash))) {
        name.resize(0);
        name.reserve(found.size() + fileName.size());
        name.append(found);
        name.append(fileName);
        if (isExistingFile(name, identity))
            return name;
        QByteArray other = foundIgnoringCase(name, found.size(), identity);
        if (!other.isEmpty())
            return other;
    }
    return {};
}

} // namespace vantoro
