#pragma once

#include <QByteArray>

#include <functional>

namespace vantoro {

// Finds the entries of an XML playlist in a stream of bytes fed in chunks of any size, without
// building a document: a forgiving tag scanner that keeps only the value being collected, cut
// off at kMaxPlaylistEntryBytes (an entry that long is passed on empty).
//
// ASX (as other programs write it): element and attribute names in any case, blanks around
// '=', values in double or single quotes or unquoted, any number of elements on one line. The
// HREF of each REF is passed on; the REFs of one ENTRY are alternatives to each other (every
// one after the first is passed with `alternative` set); a REF outside any ENTRY is an entry
// of its own; ENTRYREF, MOREINFO, BANNER and every other element are not entries.
// XSPF: the text of the first <location> of each <track> (a CDATA section counts as text).
//
// Values and texts are passed on as found, trimmed of codes 0..32: character and entity
// references are left for the reader of the entry to decode (inside a CDATA section a '&' is
// passed on as "&amp;", so that decoding gives it back). Comments, processing instructions and
// declarations are skipped; a '<' followed by a blank is text.
class XmlPlaylistScanner
{
public:
    enum class Mode { Asx, Xspf };
    using Sink = std::function<void(const QByteArray& value, bool alternative)>;

    XmlPlaylistScanner() = default;
    void reset(Mode mode, Sink sink);

    void feed(const char* data, qsizetype size);
    // The input has ended: a value still being collected is passed on.
    void finish();

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
    bool nameIs(const char* name) const;
    void keep(const char* begin, const char* end);
    void keepChar(char c) { keep(&c, &c + 1); }
    void pass(bool alternative = false);
    void endLocation();

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

    enum class Tag { Other, Entry, Ref, Track, Location };
    Tag m_tag = Tag::Other;
    bool m_keepValue = false; // the attribute value being read is an entry
    bool m_refTaken = false;  // this REF element already gave its HREF

    bool m_inEntry = false;
    bool m_entryHasRef = false;
    bool m_inTrack = false;
    bool m_trackHasLocation = false;
    bool m_inLocation = false; // collecting a location's text

    QByteArray m_value;
    bool m_valueCut = false;
};

} // namespace vantoro
