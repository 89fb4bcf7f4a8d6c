#pragma once

#include <QByteArray>
#include <QList>

#include <array>
#include <cstring>
#include <functional>

namespace vantoro {

// Finds the entries of an XML playlist in a stream of bytes fed in chunks of any size, without
// building a document: a forgiving tag scanner that keeps only the value being collected, cut
// off at kMaxPlaylistEntryBytes (an entry that long is passed on empty).
//
// ASX (as other programs write it): element and attribute names in any case, blanks around
// '=', values in double or single quotes or unquoted, any number of elements on one line. The
// HREF of each REF is passed on; the REFs of one ENTRY are alternatives to each other (every
// one after the first is passed as Role::Alternative); a REF outside any ENTRY is an entry of
// its own. The HREF of an ENTRYREF outside any ENTRY is passed as Role::Reference: another ASX
// file whose entries stand in its place. MOREINFO, BANNER and every other element are not
// entries.
// XSPF: the text of each <location> of each <track> (a CDATA section counts as text), those
// after the first of a track as alternatives; locations inside an <extension> are another
// program's data and no entries, as are a track's image, info, identifier, link and meta. The
// xml:base of playlist, trackList, track and location is kept while the element is open and
// handed out by bases().
// WPL (SMIL): the src of every <media>.
class XmlPlaylistScanner
{
public:
    enum class Mode { Asx, Xspf, Wpl };
    enum class Role { Entry, Alternative, Reference };
    using Sink = std::function<void(const QByteArray& value, Role role)>;

    XmlPlaylistScanner() = default;
    void reset(Mode mode, Sink sink);

    void feed(const char* data, qsizetype size);
    // The input has ended: a value still being collected is passed on.
    void finish();

    // The xml:base values in scope where the value being passed stands, outermost first; valid
    // during the sink's call. A value too long to keep is replaced by "invalid:", a base that
    // names no local folder.
    const QList<QByteArray>& bases() const { return m_baseList; }

private:
    enum class State {
        Text,
        TagOpen,
        Name,
        InTag,
        AttrName,
        AfterAttrName,
        BeforeValue,
        ValueQuoted,
        ValueUnquoted,
        Bang,
        Comment,
        Cdata,
        SkipToClose,
        SkipTag,
    };

    void nameDone();
    void tagDone(bool selfClosing);
    void attributeNameDone();
    void valueDone();
    void startName();
    void nameChar(char c);
    // Mostly a mismatch, told by the length alone.
    template <size_t N> bool nameIs(const char (&name)[N]) const
    {
        return int(N - 1) == m_nameLength && !m_nameCut && std::memcmp(name, m_name, N - 1) == 0;
    }
    void keep(const char* begin, const char* end);
    void keepChar(char c) { keep(&c, &c + 1); }
    void pass(Role role = Role::Entry);
    void endLocation();
    void xspfNameDone();
    // Sets the xml:base of an XSPF level (playlist, trackList, track, location) and forgets
    // those of the levels inside it.
    void setBase(int level, const QByteArray& base);

    Mode m_mode = Mode::Asx;
    Sink m_sink;
    State m_state = State::Text;

    // Element or attribute name, lower case, cut at a few characters.
    char m_name[12] = {};
    int m_nameLength = 0;
    bool m_nameCut = false;
    bool m_closing = false; // an end tag (</name>)
    bool m_slash = false;   // the last thing inside the tag was a '/'
    char m_quote = 0;
    int m_matched = 0; // characters of "--" / "[CDATA[" matched after "<!", dashes or brackets
    bool m_bangComment = false;

    enum class Tag { Other, Entry, Ref, EntryRef, Media, Playlist, TrackList, Track, Location };
    Tag m_tag = Tag::Other;
    // What the attribute value being read is.
    enum class Value { Ignored, Entry, Reference, Base };
    Value m_valueKind = Value::Ignored;
    bool m_keepValue = false; // the attribute value being read is kept (m_valueKind)
    bool m_refTaken = false;  // this element already gave its HREF or src

    bool m_inEntry = false;
    bool m_entryHasRef = false;
    bool m_inTrack = false;
    bool m_trackHasLocation = false;
    bool m_inLocation = false; // collecting a location's text
    int m_extensionDepth = 0;  // <extension> elements open

    static constexpr int kBaseLevels = 4;
    std::array<QByteArray, kBaseLevels> m_bases;
    QList<QByteArray> m_baseList; // the non-empty ones of m_bases

    QByteArray m_value;
    bool m_valueCut = false;
};

} // namespace vantoro
