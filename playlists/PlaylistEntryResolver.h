#pragma once

#include "playlists/PlaylistEntry.h"

#include <QString>
#include <QStringDecoder>

#include <array>
#include <optional>

namespace vantoro {

// Turns the entries of one playlist into the local paths they name.
//
// Text: the entry's bytes are decoded by its charset. For Utf8Else1252, once one entry of the
// file has shown itself not to be UTF-8, the file is taken to be Windows-1252 and every later
// entry is read so too. Then its escapes are decoded.
//
// Paths: a `file:` URI (file:///p, file://localhost/p, file:/p) becomes its path,
// percent-decoded; a URI of any other scheme (http:, mms:, rtsp: ...) names no local file. A
// drive letter (C:) is no scheme. A relative name is taken against the playlist's folder,
// never the current folder. A name holding backslashes is also tried with slashes, as
// playlists written on Windows hold them.
class PlaylistEntryResolver
{
public:
    // The paths an entry may name, in the order they are to be tried.
    struct Candidates
    {
        std::array<QString, 2> paths;
        int count = 0;
    };

    // `playlistPath` may be relative (to the current folder).
    explicit PlaylistEntryResolver(const QString& playlistPath);

    // The entry's text, or nothing when its bytes are not text in its charset.
    std::optional<QString> text(const PlaylistEntry& entry);
    Candidates localPaths(const QString& text, PlaylistEntryForm form) const;

    const QString& folder() const { return m_folder; }

    // XML references: &amp; &lt; &gt; &quot; &apos; &#N; &#xH;. Anything else, a bare '&'
    // included, stays as it is.
    static QString decodeXmlReferences(const QString& text);
    // Exactly "&#13;" and "&#10;", which Vantoro's writer uses for CR and LF in a path.
    static QString decodeOwnLineBreaks(const QString& text);
    // "%XX" becomes the byte; a '%' without two hex digits stays.
    static QByteArray percentDecode(QStringView text);
    static QString fromWindows1252(QByteArrayView bytes);
    static QString percentDecodedText(QStringView text);

private:
    QString fromBytes(QByteArrayView bytes, bool allow1252);
    void addPath(Candidates& c, const QString& path) const;

    QString m_folder; // with a trailing '/'
    QStringDecoder m_utf8{QStringDecoder::Utf8, QStringDecoder::Flag::Stateless};
    bool m_is1252 = false;
};

} // namespace vantoro
