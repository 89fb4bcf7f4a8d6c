#pragma once

#include "playlists/PlaylistEntry.h"
#include "playlists/XmlPlaylistScanner.h"

#include <QByteArray>

#include <array>
#include <functional>

namespace vantoro {

// Which entry rules a playlist is read with; chosen by the file's extension.
enum class PlaylistRules { None, Asx, M3u, M3u8, Pls, Xspf, Wpl };

// Receives each entry in file order. The reference is valid only during the call.
using PlaylistEntrySink = std::function<void(const PlaylistEntry& entry)>;

// Splits playlist bytes into entries, fed in chunks of any size; memory stays bounded by the
// longest entry kept (kMaxEntryBytes), whatever the input.
//
// Text: a UTF-16 byte-order mark (either order) makes the file UTF-16, read as such; a UTF-8
// mark is skipped and makes the file UTF-8. Without a mark the bytes are UTF-8 when valid and
// Windows-1252 otherwise (decided per entry, see PlaylistEntry), except .m3u8: always UTF-8.
// Ctrl-Z (code 26) ends the file: nothing after it is read.
//
// Lines (M3U, PLS and Vantoro's own ASX files): a line ends at CR, at LF, or at CR LF (one line
// end); LF CR is two line ends. Each line is trimmed of leading and trailing codes 0..32.
//
// ASX files whose fourth line is `<Author>Vantoro Media Manager</Author>` were written by this
// program, which stores paths raw: they keep the rules their writer relies on. A trimmed line
// of fewer than 5 characters holds no entry; the first `F="` (the end of a capital HREF
// attribute's opening) marks the entry unless it starts within the first six characters of
// the trimmed line; the entry is the text after it up to the next double quote, at most 999
// characters; with no quote after the marker the entry is empty. Only `&#13;` and `&#10;` are
// decoded in them (PlaylistEntryEscapes::OwnLineBreaks).
// Any other ASX file is read as XML (XmlPlaylistScanner): every REF of each ENTRY, those after
// the first passed on as alternatives (PlaylistEntry::alternative), and every ENTRYREF as a
// reference to another playlist (PlaylistEntry::reference).
// M3U: every trimmed line that is not empty and does not start with '#' is an entry.
// PLS: the value of every `FileN=` line (key in any case, blanks around '=').
// XSPF: every <location> of every <track>, a URI, those after the first of a track as
// alternatives, with the xml:base values in scope (PlaylistEntry::bases).
// WPL: the src of every <media>, a path.
// None: nothing is an entry.
//
// An entry longer than kMaxEntryBytes (no path is that long) is passed on empty, so that it
// counts as missing.
class PlaylistReader
{
public:
    static constexpr int kMaxAsxEntryChars = 999;
    static constexpr qsizetype kMaxEntryBytes = kMaxPlaylistEntryBytes;

    PlaylistReader(PlaylistRules rules, PlaylistEntrySink sink);

    // Takes the next bytes of the file. Answers false once Ctrl-Z has ended the file.
    bool feed(const char* data, qsizetype size);
    // The file has ended: the last line, if any, is taken as a complete line.
    void finish();
    bool endedByCtrlZ() const { return m_ctrlZ; }

private:
    enum class Stage { Mark, Text };
    enum class AsxKind { Undecided, Own, Other };

    void markBytes(const char* data, qsizetype size);
    void decideMark();
    void forward(const char* data, qsizetype size);
    void utf16Bytes(const char* data, qsizetype size);
    void textBytes(const char* data, qsizetype size);
    void preludeBytes(const char* data, qsizetype size);
    void decideAsxKind();
    void dispatch(const char* data, qsizetype size);
    void lineBytes(const char* data, qsizetype size);
    void lineData(const char* begin, const char* end);
    void asxData(const char* begin, const char* end);
    void keptLineData(const char* begin, const char* end);
    void complete();
    void endLine();
    void endPlsLine();
    void resetLine();
    void passEntry(const QByteArray& bytes, PlaylistEntryEscapes escapes, PlaylistEntryForm form);
    void passXmlEntry(const QByteArray& bytes, PlaylistEntryForm form,
                      XmlPlaylistScanner::Role role);

    PlaylistRules m_rules;
    PlaylistEntrySink m_sink;
    PlaylistEntryCharset m_charset;
    bool m_ended = false; // Ctrl-Z seen or finish() called
    bool m_ctrlZ = false;

    // Byte-order mark: the first bytes, until three are known.
    Stage m_stage = Stage::Mark;
    QByteArray m_markBytes;
    enum class Utf16 { No, LittleEndian, BigEndian } m_utf16 = Utf16::No;
    int m_utf16Odd = -1;          // a byte of an incomplete code unit, or -1
    char16_t m_highSurrogate = 0; // a high surrogate waiting for its partner
    QByteArray m_utf8;            // UTF-16 converted, per chunk

    // ASX: the first four lines, held until line 4 tells whose file this is.
    AsxKind m_asxKind = AsxKind::Undecided;
    QByteArray m_prelude;
    int m_preludeLines = 0;
    bool m_preludeAfterCr = false;
    QByteArray m_line4;
    XmlPlaylistScanner m_xml;

    bool m_afterCr = false;     // the previous byte was a CR (an LF now belongs to that line end)
    bool m_lineStarted = false; // a non-blank byte has been seen on this line

    // Own ASX line state.
    enum class AsxPhase { Searching, Collecting, Complete, Skipped };
    AsxPhase m_asxPhase = AsxPhase::Searching;
    int m_markerMatched = 0; // characters of the marker matched so far
    qsizetype m_charPos = 0; // characters of the trimmed line seen (counted up to 9 only)
    int m_entryChars = 0;
    bool m_entryCut = false; // the entry reached its limit: nothing more is kept

    // Kept-line state (M3U, PLS): the kept text and the blanks that end it so far. A line
    // longer than kMaxEntryBytes keeps only its beginning.
    QByteArray m_pendingBlanks;
    qsizetype m_pendingBlankCount = 0;
    bool m_overlong = false;

    QByteArray m_entry; // ASX entry or line being collected
};

} // namespace vantoro
