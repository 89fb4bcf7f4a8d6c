#pragma once

#include "playlists/LetterCaseLookup.h"
#include "playlists/PlaylistEntry.h"
#include "playlists/PlaylistEntryResolver.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

#include <functional>
#include <memory>
#include <set>
#include <utility>

#include <sys/types.h>

namespace vantoro {

// Turns the entries of one playlist, as PlaylistReader finds them, into clips: the files they
// name, or one missing clip each. One object serves one Load.
//
// An entry's clip is the first of these that is an existing regular file (a symbolic link to
// one counts): each name the entry stands for as written (PlaylistEntryResolver), then each
// looked for ignoring letter case (LetterCaseLookup); then, for a Windows absolute name, its
// tail below the playlist's folder, most specific first ("Music/Album/a.wav", "Album/a.wav",
// "a.wav"), each as written and then ignoring letter case; last, below a folder above the
// playlist's that bears the name of one of the Windows name's folders, the rest of the name
// (the nearest such folder first): ~/Music/Playlists/a.wpl naming C:\Users\Me\Music\Album\x.wav
// finds ~/Music/Album/x.wav. Of the references of one entry (ASX REFs, XSPF locations) the
// first that names a clip is taken.
//
// An ASX ENTRYREF is replaced by the entries of the playlist it names, found as a clip is,
// read by the rules of its extension (ASX when the extension selects none) and resolved
// against its own folder. Each playlist file is read at most once per Load, and references
// are followed to a depth of kMaxReferenceDepth below the playlist loaded: a reference to a
// file already read, one beyond that depth, and one that cannot be opened or read through each
// count as one missing clip (the entries read before a failure stay). A playlist file read in
// this Load is never a clip: an entry naming one counts as missing.
class PlaylistClipReader
{
public:
    static constexpr int kMaxReferenceDepth = 8;
    // A Windows name's tail is looked for from at most this many components before its file
    // name: no path is that deep, and a crafted one costs no more.
    static constexpr int kMaxTailComponents = 16;

    struct Sinks
    {
        // A clip found: the name as the file system stores it (valid UTF-8).
        std::function<void(const QByteArray& clip)> clip;
        // An entry that named no clip. With missing texts kept: the local name it stands for,
        // or for an entry of another scheme its text; empty for an empty entry.
        std::function<void(const QString& text)> missing;
        // Asked every few hundred entries of any file read: false stops the Load.
        std::function<bool()> keepGoing;
    };

    PlaylistClipReader(const QString& playlistPath, Sinks sinks, bool keepMissingTexts);
    ~PlaylistClipReader();

    // The entries of the playlist loaded, in file order (a PlaylistEntrySink).
    void take(const PlaylistEntry& entry);
    // The playlist loaded has ended: its last entry is settled.
    void finish();
    bool stopped() const { return m_stopped; }

private:
    struct File;
    using Identity = std::pair<dev_t, ino_t>;

    void takeIn(File& file, const PlaylistEntry& entry);
    void closeEntry(File& file);
    // The file the names stand for (see above); empty when none. `identity` is its device and
    // inode.
    QByteArray fileFor(const PlaylistEntryResolver::Candidates& candidates, const File& file,
                       Identity& identity);
    QByteArray tailFile(const QByteArray& tail, const QByteArray& folder, Identity& identity);
    // The existing folders below `folder` a Windows folder's tails name (see tailFile), most
    // specific first, `folder` itself last; looked up once per read.
    const QList<QByteArray>& tailFolders(const QByteArray& folder, QByteArrayView windowsFolder);
    // The folders a Windows folder stands for above the playlist's (see the class comment).
    void addAncestorFolders(QList<QByteArray>& folders, const QByteArray& folder,
                            QByteArrayView windowsFolder);
    bool existsAsWritten(const QByteArray& name, Identity& identity);
    QByteArray foundIgnoringCase(const QByteArray& name, qsizetype baseLength, Identity& identity);
    // Reads the playlist at `path` in the entry's place; false when it cannot be read through.
    bool readReferenced(const QByteArray& path, int depth);

    Sinks m_sinks;
    bool m_keepMissingTexts;
    LetterCaseLookup m_lookup;
    std::set<Identity> m_playlists; // every playlist file read in this Load
    std::set<ino_t> m_playlistInodes;
    // A file found in a folder's listing, whose device is not asked for unless needed.
    static constexpr dev_t kNoDevice = static_cast<dev_t>(-1);
    QHash<QByteArray, QList<QByteArray>> m_tailFolders; // by folder and Windows folder
    std::unique_ptr<File> m_top;
    int m_sinceCheck = 0;
    bool m_stopped = false;
};

} // namespace vantoro
