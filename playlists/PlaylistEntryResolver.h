#pragma once

#include "playlists/PlaylistEntry.h"

#include <QByteArray>
#include <QString>

#include <array>

namespace vantoro {

// Turns the entries of one playlist into the local names they may stand for, as the file
// system stores names: UTF-8. Works on bytes, so that an entry is converted to text only once
// it has been found.
//
// Text: the entry's bytes are taken by its charset. For Utf8Else1252, once one entry of the
// file has shown itself not to be UTF-8, the file is taken to be Windows-1252 and every later
// entry is read so too. Then its escapes are decoded.
//
// Names: a `file:` URI (file:///p, file://localhost/p, file:/p) becomes its path,
// percent-decoded; a URI of any other scheme (http:, mms:, rtsp: ...) names no local file. A
// drive letter (C:) is no scheme. A relative name is taken against the playlist's folder,
// never the current folder, or against the entry's XML base (xml:base, see PlaylistEntry);
// below a base of another scheme it names no local file. A name holding backslashes is also
// tried with slashes, as playlists written on Windows hold them. A name holding a NUL names
// nothing.
//
// A Windows absolute name (C:\Music\a.wav, D:/Music/a.wav, file:///C:/Music/a.wav,
// \\server\share\a.wav, file://server/share/a.wav) also hands out its tail, to be looked for
// below the playlist's folder when the name does not exist (see windowsTail). A name starting
// with a drive (C:\, D:/) is never taken relative to the playlist's folder: its tail is all
// there is to look for.
class PlaylistEntryResolver
{
public:
    // The names an entry may stand for, in the order they are to be tried; always valid UTF-8.
    struct Candidates
    {
        std::array<QByteArray, 2> names;
        // The length of each name's part that is not the entry's own: the playlist's folder
        // for a relative name, "/" for an absolute one (see LetterCaseLookup).
        std::array<qsizetype, 2> baseLengths{};
        int count = 0;
        // See windowsTail; empty for any other name.
        QByteArray windowsTail;
    };

    // `playlistPath` may be relative (to the current folder).
    explicit PlaylistEntryResolver(const QString& playlistPath);

    Candidates localNames(const PlaylistEntry& entry);

    // The playlist's folder as a name prefix, with a trailing '/'.
    const QByteArray& folder() const { return m_folder; }

    // XML references in UTF-8 text: &amp; &lt; &gt; &quot; &apos; &#N; &#xH;. Anything else, a
    // bare '&' included, stays as it is.
    static QByteArray decodeXmlReferences(QByteArrayView text);
    // Exactly "&#13;" and "&#10;", which Vantoro's writer uses for CR and LF in a path.
    static QByteArray decodeOwnLineBreaks(QByteArrayView text);
    // "%XX" becomes the byte; a '%' without two hex digits stays.
    static QByteArray percentDecode(QByteArrayView text);
    static QString fromWindows1252(QByteArrayView bytes);
    // What follows the drive (C:\ or C:/, and /C:/ or /C|/ as file: URIs give it), the server
    // (\\server\ or //server/: no folder here) or a lone leading backslash of a Windows name,
    // with '/' between its components, empty and "." components left out; empty for any other
    // name and for one that climbs (".."). "C:\Music\Album\a.wav" gives "Music/Album/a.wav".
    static QByteArray windowsTail(QByteArrayView name);

private:
    bool utf8Text(const QByteArray& bytes, const PlaylistEntry& entry, QByteArray& text);
    // The folder (ending with '/') relative names of `entry` are taken against; false when
    // its base is no local folder.
    bool baseFolder(const PlaylistEntry& entry, QByteArray& folder);
    void addName(Candidates& c, QByteArray name, const QByteArray& folder) const;

    QByteArray m_folder;
    bool m_is1252 = false;
};

} // namespace vantoro
