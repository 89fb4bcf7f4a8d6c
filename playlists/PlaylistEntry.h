#pragma once

#include <QByteArray>
#include <QList>

namespace vantoro {

// No path is this long; an entry that is longer is passed on empty (it then counts as missing)
// instead of being kept, so that memory stays bounded. Room for a path of the system's
// longest length written with every byte percent-encoded or as a character reference.
inline constexpr qsizetype kMaxPlaylistEntryBytes = 32 * 1024;

// How an entry's bytes become text.
enum class PlaylistEntryCharset {
    Utf8,         // UTF-8; bytes that are not valid UTF-8 name no file
    Utf8Else1252, // UTF-8 when valid, otherwise Windows-1252 (8-bit files without a mark)
};

// Which escapes the entry's text holds.
enum class PlaylistEntryEscapes {
    None,          // taken as it stands (M3U, PLS)
    OwnLineBreaks, // Vantoro's own ASX files: exactly `&#13;` and `&#10;`, nothing else
    Xml,           // XML character and entity references; a bare '&' stays itself
};

// What an entry names.
enum class PlaylistEntryForm {
    Path, // a path, absolute or relative to the playlist's folder, or a URI with a scheme
    Uri,  // a URI reference: without a scheme it is a relative path, percent-encoded (XSPF)
};

// One entry of a playlist, as the reader found it.
struct PlaylistEntry
{
    const QByteArray& bytes;
    PlaylistEntryCharset charset;
    PlaylistEntryEscapes escapes;
    PlaylistEntryForm form;
    // Another reference of the entry before (the REFs of one ASX ENTRY are alternatives, tried
    // in order; so are the locations of one XSPF track): it stands for a clip only when none
    // of the references before it does.
    bool alternative = false;
    // Names another playlist whose entries take this entry's place (an ASX ENTRYREF), not a
    // clip.
    bool reference = false;
    // The XML base URIs in scope (xml:base), outermost first, each as found in the file (same
    // charset and escapes as the entry); relative ones are taken against the one before, the
    // first against the playlist's folder. Null or empty: the playlist's folder is the base.
    const QList<QByteArray>* bases = nullptr;
};

} // namespace vantoro
