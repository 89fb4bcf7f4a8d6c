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

// The entry rules for a playlist path, from the first character of its extension (the text
// after the last dot of the file name), upper-cased: A selects ASX, M selects M3U. Any other
// character, a name without extension, or a dot only in a folder name selects neither.
PlaylistRules playlistRulesFor(const QString& path);

// Writes an ASX playlist: five header lines, one line per entry, the closing line; every line
// ends CR LF; UTF-8 without byte-order mark; the title and the entries are written exactly as
// given, nothing escaped. Answers false at the first write the device does not take whole;
// the device's own error says why.
bool writeAsxPlaylist(QIODevice& out, const QString& title, const QStringList& entries);

// Reads the device to its end (or to a Ctrl-Z) and passes every entry of the given rules to
// `sink` (see PlaylistReader). Answers false when a read fails; the entries before the failure
// have been passed on.
bool readPlaylistEntries(QIODevice& in, PlaylistRules rules, const PlaylistEntrySink& sink);

} // namespace vantoro
