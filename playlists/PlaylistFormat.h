#pragma once

#include "platform/ProductWebsite.h"
#include "playlists/PlaylistReader.h"

#include <QString>
#include <QStringList>

class QIODevice;

namespace vantoro {

// The maker's rights notice (the Copyright element of a written ASX file); the comment line
// names kProductWebAddress.
inline constexpr char kProductRightsNotice[] =
    "Copyright (c) Vantoro Software. All rights reserved.";

// The entry rules for a playlist path, from its extension (the text after the last dot of the
// file name): "pls" selects PLS, "xspf" XSPF, "wpl" WPL, "m3u8" M3U read as UTF-8, "wax", "wvx"
// and "wmx" ASX, "vlc" M3U; otherwise its first character, upper-cased: A selects ASX, M selects
// M3U. Any other character, a name without extension, or a dot only in a folder name selects none.
PlaylistRules playlistRulesFor(const QString& path);

// A path or title as written into an ASX line: CR and LF become "&#13;" and "&#10;" (a line
// break would end the line and cut the entry); every other character stays as it is.
QString escapeAsxLineBreaks(const QString& text);

// Writes an ASX playlist: five header lines, one line per entry, the closing line; every line
// ends CR LF; UTF-8 without byte-order mark; the title and the entries are written as given
// (an '&' stays bare), except for CR and LF inside them (escapeAsxLineBreaks). Answers false
// at the first write the device does not take whole; the device's own error says why.
bool writeAsxPlaylist(QIODevice& out, const QString& title, const QStringList& entries);

// Called after each block read with the bytes read so far; answers false to stop reading.
using PlaylistReadProgress = std::function<bool(qint64 bytesRead)>;

// Reads the device to its end (or to a Ctrl-Z) and passes every entry of the given rules to
// `sink` (see PlaylistReader). Answers false when a read fails or `progress` stops it; the
// entries before that have been passed on.
bool readPlaylistEntries(QIODevice& in, PlaylistRules rules, const PlaylistEntrySink& sink,
                         const PlaylistReadProgress& progress = {});

} // namespace vantoro
