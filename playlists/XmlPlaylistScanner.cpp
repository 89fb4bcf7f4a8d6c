#include "playlists/XmlPlaylistScanner.h"

#include "playlists/PlaylistEntry.h"

#include <cstring>

namespace vantoro {

namespace {

// Names are compared only as far as the longest one that matters ("location").
constexpr int kMaxNameChars = 10;

bool isBlank(char c)
{
    return static_cast<unsigned char>(c) <= 32;
}

char lower(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

constexpr char kCdataOpen[] = "[CDATA[";
// Stands for a base too long to keep: a scheme that names no local folder.
constexpr char kInvalidBase[] = "invalid:";
constexpr char kAmpReference[] = "&amp;";

} // namespace

void XmlPlaylistScanner::reset(Mode mode, Sink sink)
{
    *this = XmlPlaylistScanner();
    m_mode = mode;
    m_sink = std::move(sink);
}

void XmlPlaylistScanner::startName()
{
    m_nameLength = 0;
    m_nameCut = false;
}

void XmlPlaylistScanner::nameChar(char c)
{
    if (m_nameLength < kMaxNameChars)
        m_name[m_nameLength++] = lower(c);
    else
        m_nameCut = true;
}

void XmlPlaylistScanner::keep(const char* begin, const char* end)
{
    if (m_valueCut)
        return;
    if (m_value.size() + (end - begin) > kMaxPlaylistEntryBytes) {
        m_valueCut = true;
        m_value.resize(0);
        return;
    }
    m_value.append(begin, end - begin);
}

void XmlPlaylistScanner::pass(Role role)
{
    qsizetype b = 0;
    qsizetype e = m_value.size();
    while (b < e && isBlank(m_value.at(b)))
        ++b;
    while (e > b && isBlank(m_value.at(e - 1)))
        --e;
    if (b > 0 || e < m_value.size())
        m_value = m_value.mid(b, e - b);
    m_sink(m_value, role);
    m_value.resize(0);
    m_valueCut = false;
}

void XmlPlaylistScanner::endLocation()
{
    m_inLocation = false;
    // An empty location names nothing; it is no entry.
    if (m_valueCut || m_value.trimmed().size() > 0) {
        pass(m_trackHasLocation ? Role::Alternative : Role::Entry);
        m_trackHasLocation = true;
    }
    m_value.resize(0);
    m_valueCut = false;
}

void XmlPlaylistScanner::nameDone()
{
    m_tag = Tag::Other;
    if (m_mode == Mode::Asx) {
        if (nameIs("entry")) {
            m_tag = Tag::Entry;
            m_inEntry = !m_closing;
            if (!m_closing)
                m_entryHasRef = false;
        } else if (nameIs("ref") && !m_closing) {
            m_tag = Tag::Ref;
            m_refTaken = false;
        } else if (nameIs("entryref") && !m_closing && !m_inEntry) {
            m_tag = Tag::EntryRef;
            m_refTaken = false;
        }
    } else if (m_mode == Mode::Wpl) {
        if (nameIs("media") && !m_closing) {
            m_tag = Tag::Media;
            m_refTaken = false;
        }
    } else {
        xspfNameDone();
    }
}

void XmlPlaylistScanner::xspfNameDone()
{
    if (nameIs("extension")) {
        if (!m_closing)
            ++m_extensionDepth;
        else if (m_extensionDepth > 0)
            --m_extensionDepth;
        return;
    }
    if (m_extensionDepth > 0)
        return;
    if (nameIs("playlist"))
        m_tag = Tag::Playlist;
    else if (nameIs("tracklist"))
        m_tag = Tag::TrackList;
    else if (nameIs("track"))
        m_tag = Tag::Track;
    else if (nameIs("location"))
        m_tag = Tag::Location;
    else
        return;
    // An element's base holds from its start tag to its end tag.
    setBase(int(m_tag) - int(Tag::Playlist), QByteArray());
    if (m_tag == Tag::Track) {
        m_inTrack = !m_closing;
        m_trackHasLocation = false;
    }
    if (m_closing)
        m_tag = Tag::Other;
}

void XmlPlaylistScanner::setBase(int level, const QByteArray& base)
{
    bool changed = m_bases[size_t(level)] != base;
    m_bases[size_t(level)] = base;
    for (int inner = level + 1; inner < kBaseLevels; ++inner) {
        changed = changed || !m_bases[size_t(inner)].isEmpty();
        m_bases[size_t(inner)].clear();
    }
    if (!changed)
        return;
    m_baseList.clear();
    for (const QByteArray& b : m_bases)
        if (!b.isEmpty())
            m_baseList.append(b);
}

void XmlPlaylistScanner::tagDone(bool selfClosing)
{
    if (m_tag == Tag::Entry && selfClosing)
        m_inEntry = false;
    if (m_tag >= Tag::Playlist && selfClosing)
        setBase(int(m_tag) - int(Tag::Playlist), QByteArray());
    if (m_tag == Tag::Location && !selfClosing && m_inTrack) {
        m_inLocation = true;
        m_value.resize(0);
        m_valueCut = false;
    }
    m_tag = Tag::Other;
    m_state = State::Text;
}

void XmlPlaylistScanner::attributeNameDone()
{
    m_valueKind = Value::Ignored;
    if ((m_tag == Tag::Ref || m_tag == Tag::Media || m_tag == Tag::EntryRef) && !m_refTaken &&
        (m_tag == Tag::Media ? nameIs("src") : nameIs("href")))
        m_valueKind = m_tag == Tag::EntryRef ? Value::Reference : Value::Entry;
    else if (m_tag >= Tag::Playlist && nameIs("xml:base"))
        m_valueKind = Value::Base;
    m_keepValue = m_valueKind != Value::Ignored;
    if (m_keepValue) {
        m_value.resize(0);
        m_valueCut = false;
    }
}

void XmlPlaylistScanner::valueDone()
{
    if (!m_keepValue)
        return;
    m_keepValue = false;
    if (m_valueKind == Value::Base) {
        const QByteArray base = m_valueCut ? QByteArray(kInvalidBase) : m_value.trimmed();
        setBase(int(m_tag) - int(Tag::Playlist), base);
        m_value.resize(0);
        m_valueCut = false;
        return;
    }
    m_refTaken = true;
    if (m_valueKind == Value::Reference) {
        pass(Role::Reference);
        return;
    }
    const bool alternative = m_inEntry && m_entryHasRef;
    if (m_inEntry)
        m_entryHasRef = true;
    pass(alternative ? Role::Alternative : Role::Entry);
}

void XmlPlaylistScanner::feed(const char* data, qsizetype size)
{
    const char* p = data;
    const char* const end = data + size;
    while (p < end) {
        const char c = *p;
        switch (m_state) {
        case State::Text: {
            const auto* open = static_cast<const char*>(std::memchr(p, '<', size_t(end - p)));
            const char* stop = open != nullptr ? open : end;
            if (m_inLocation)
                keep(p, stop);
            p = stop;
            if (open != nullptr) {
                m_state = State::TagOpen;
                ++p;
            }
            continue;
        }
        case State::TagOpen:
            startName();
            m_closing = false;
            m_slash = false;
            if (c == '!') {
                m_state = State::Bang;
                m_matched = 0;
                break;
            }
            if (m_inLocation && !isBlank(c))
                endLocation();
            if (c == '?') {
                m_state = State::SkipToClose;
            } else if (c == '/') {
                m_closing = true;
                m_state = State::Name;
            } else if (isBlank(c)) {
                // Not a tag: "a < b" in text.
                if (m_inLocation)
                    keepChar('<');
                m_state = State::Text;
                continue;
            } else {
                m_state = State::Name;
                continue;
            }
            break;
        case State::Name: {
            const char* q = p;
            while (q < end && !isBlank(*q) && *q != '>' && *q != '/')
                nameChar(*q++);
            p = q;
            if (q == end)
                continue;
            nameDone();
            // Only the attributes of the elements above matter; any other tag is passed over
            // to its end.
            m_quote = 0;
            m_state = m_tag == Tag::Other || m_tag == Tag::Entry ? State::SkipTag : State::InTag;
            continue;
        }
        case State::InTag:
            if (c == '>') {
                tagDone(m_slash);
            } else if (c == '/') {
                m_slash = true;
            } else if (c == '"' || c == '\'') {
                // A stray quoted text: skipped like a value, so that a '>' in it ends nothing.
                m_keepValue = false;
                m_quote = c;
                m_state = State::ValueQuoted;
            } else if (!isBlank(c)) {
                m_slash = false;
                startName();
                m_state = State::AttrName;
                continue;
            }
            break;
        case State::AttrName:
            if (isBlank(c) || c == '=' || c == '>' || c == '/') {
                attributeNameDone();
                m_state = State::AfterAttrName;
                continue;
            }
            nameChar(c);
            break;
        case State::AfterAttrName:
            if (c == '=') {
                m_state = State::BeforeValue;
            } else if (!isBlank(c)) {
                m_keepValue = false; // an attribute without a value
                m_state = State::InTag;
                continue;
            }
            break;
        case State::BeforeValue:
            if (c == '"' || c == '\'') {
                m_quote = c;
                m_state = State::ValueQuoted;
            } else if (c == '>') {
                valueDone();
                tagDone(false);
            } else if (!isBlank(c)) {
                m_state = State::ValueUnquoted;
                continue;
            }
            break;
        case State::ValueQuoted: {
            const auto* close = static_cast<const char*>(std::memchr(p, m_quote, size_t(end - p)));
            const char* stop = close != nullptr ? close : end;
            if (m_keepValue)
                keep(p, stop);
            p = stop;
            if (close != nullptr) {
                valueDone();
                m_state = State::InTag;
                ++p;
            }
            continue;
        }
        case State::ValueUnquoted:
            if (isBlank(c) || c == '>') {
                valueDone();
                m_state = State::InTag;
                continue;
            }
            if (m_keepValue)
                keepChar(c);
            break;
        case State::Bang:
            // After "<!": a comment ("--"), a CDATA section ("[CDATA["), or a declaration.
            if (m_matched == 0 && (c == '-' || c == '[')) {
                m_bangComment = c == '-';
                m_matched = 1;
                break;
            }
            if (m_matched > 0 && m_bangComment && c == '-') {
                m_state = State::Comment;
                m_matched = 0;
                break;
            }
            if (m_matched > 0 && !m_bangComment && c == kCdataOpen[m_matched]) {
                if (++m_matched == int(sizeof kCdataOpen - 1)) {
                    m_state = State::Cdata;
                    m_matched = 0;
                }
                break;
            }
            if (m_inLocation)
                endLocation();
            m_state = State::SkipToClose;
            continue;
        case State::Comment:
            // Ends at "-->"; m_matched counts the dashes just seen.
            if (c == '-') {
                ++m_matched;
            } else {
                if (c == '>' && m_matched >= 2)
                    m_state = State::Text;
                m_matched = 0;
            }
            break;
        case State::Cdata:
            // Ends at "]]>"; m_matched counts the brackets held back.
            if (c == ']') {
                if (m_matched == 2) {
                    if (m_inLocation)
                        keepChar(']');
                } else {
                    ++m_matched;
                }
            } else if (c == '>' && m_matched == 2) {
                m_matched = 0;
                m_state = State::Text;
            } else {
                if (m_inLocation) {
                    for (; m_matched > 0; --m_matched)
                        keepChar(']');
                    if (c == '&')
                        keep(kAmpReference, kAmpReference + sizeof kAmpReference - 1);
                    else
                        keepChar(c);
                }
                m_matched = 0;
            }
            break;
        case State::SkipToClose:
            if (c == '>')
                m_state = State::Text;
            break;
        case State::SkipTag:
            // To the '>' that is not inside a quoted value; a '/' just before it closes the
            // element at once.
            while (p < end) {
                const char d = *p;
                if (m_quote != 0) {
                    const auto* close =
                        static_cast<const char*>(std::memchr(p, m_quote, size_t(end - p)));
                    if (close == nullptr) {
                        p = end;
                        break;
                    }
                    p = close;
                    m_quote = 0;
                } else if (d == '>') {
                    tagDone(m_slash);
                    break;
                } else if (d == '"' || d == '\'') {
                    m_quote = d;
                    m_slash = false;
                } else if (!isBlank(d)) {
                    m_slash = d == '/';
                }
                ++p;
            }
            if (p == end)
                continue;
            break;
        }
        ++p;
    }
}

void XmlPlaylistScanner::finish()
{
    if ((m_state == State::ValueQuoted || m_state == State::ValueUnquoted) && m_keepValue)
        valueDone();
    if (m_inLocation)
        endLocation();
    m_state = State::Text;
}

} // namespace vantoro
