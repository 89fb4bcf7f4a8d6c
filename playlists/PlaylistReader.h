#pragma once

#include <QByteArray>

#include <array>
#include <functional>

namespace vantoro {

// Which entry rules a playlist is read with; chosen by the file's extension.
enum class PlaylistRules { None, Asx, M3u };

// Receives each entry in file order: the path's bytes as found in the file (UTF-8, not
// checked). An entry may be empty (an ASX marker without a closing quote, or an M3U line too
// long to be a path here). The reference is valid only during the call.
using PlaylistEntrySink = std::function<void(const QByteArray& entry)>;

// Splits playlist bytes into lines and picks the entries out of them, fed in chunks of any size.
//
// Lines: a line ends at CR, at LF, or at CR LF (one line end); LF CR is two line ends. Ctrl-Z
// (code 26) ends the file: nothing after it is read. The text is UTF-8; a "character" below is
// one code point. Each line is trimmed of leading and trailing bytes with codes 0..32, and a
// trimmed line of fewer than 5 characters holds no entry.
//
// ASX rules: the first occurrence of `F="` (the end of a capital HREF attribute's opening)
// marks the entry, unless it starts within the first six characters of the trimmed line (then
// the line holds nothing). The entry is the text after the marker up to the next double quote,
// at most 999 characters; with no quote after the marker the entry is empty.
// M3U rules: the trimmed line is an entry when its fourth-last or fifth-last character is a dot
// (a three- or four-letter extension). Comment lines get no special treatment.
// None: no line is an entry.
//
// Memory stays bounded whatever the input: an ASX entry is cut at 999 characters, and an M3U
// line of kMaxPathBytes bytes or more (longer than any path the system accepts) is passed on
// as an empty entry instead of being kept.
class PlaylistReader
{
public:
    static constexpr int kMaxAsxEntryChars = 999;
    static constexpr qsizetype kMaxPathBytes = 4096;

    PlaylistReader(PlaylistRules rules, PlaylistEntrySink sink);

    // Takes the next bytes of the file. Answers false once Ctrl-Z has ended the file.
    bool feed(const char* data, qsizetype size);
    // The file has ended: the last line, if any, is taken as a complete line.
    void finish();
    bool endedByCtrlZ() const { return m_ended; }

private:
    void lineData(const char* begin, const char* end);
    void asxData(const char* begin, const char* end);
    void m3uData(const char* begin, const char* end);
    void endLine();
    void resetLine();
    void pushTail(const char* begin, const char* end);

    PlaylistRules m_rules;
    PlaylistEntrySink m_sink;
    bool m_ended = false;
    bool m_afterCr = false;     // the previous byte was a CR (an LF now belongs to that line end)
    bool m_lineStarted = false; // a non-blank byte has been seen on this line

    // ASX line state.
    enum class AsxPhase { Searching, Collecting, Complete, Skipped };
    AsxPhase m_asxPhase = AsxPhase::Searching;
    int m_markerMatched = 0; // characters of the marker matched so far
    qsizetype m_charPos = 0; // characters of the trimmed line seen (counted up to 7 only)
    int m_entryChars = 0;
    bool m_entryCut = false; // the entry reached its limit: nothing more is kept

    // M3U line state: the kept text, the blanks that end it so far, and the last five
    // characters (whether each is a dot), oldest first.
    QByteArray m_pendingBlanks;
    qsizetype m_pendingBlankCount = 0;
    bool m_overlong = false;
    std::array<bool, 5> m_tailIsDot{};
    int m_tailCount = 0;

    QByteArray m_entry; // ASX entry or M3U line being collected
};

} // namespace vantoro
