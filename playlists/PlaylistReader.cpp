#include "playlists/PlaylistReader.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace vantoro {

namespace {

constexpr char kCtrlZ = 26;
constexpr char kAsxMarker[] = {'F', '=', '"'};
// The marker must not start within the first six characters of the trimmed line: an
// attribute at the very start of a line is no element's HREF.
constexpr qsizetype kFirstMarkerPosition = 7;
// Characters are counted only as far as needed to tell where the marker's quote stands.
constexpr qsizetype kCountedChars = kFirstMarkerPosition + 2;

// The fourth line of every ASX file this program writes.
constexpr char kOwnAuthorLine[] = "<Author>Vantoro Media Manager</Author>";
constexpr qsizetype kOwnAuthorLineBytes = sizeof kOwnAuthorLine - 1;
// The first four lines of an own file are short (the title is a path): a file whose first
// four lines are longer is not one, and is read as soon as this much has been seen.
constexpr qsizetype kMaxPreludeBytes = 64 * 1024;

bool isBlank(char c)
{
    return static_cast<unsigned char>(c) <= 32;
}

// The first CR or LF in [p, end), or end. Skips eight bytes at a time while none of them is
// below 14 (the usual case inside a line).
const char* findLineBreak(const char* p, const char* end)
{
    constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
    constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;
    for (;;) {
        while (end - p >= 8) {
            std::uint64_t word = 0;
            std::memcpy(&word, p, 8);
            if (((word - kOnes * 14) & ~word & kHighBits) != 0)
                break;
            p += 8;
        }
        const char* const stop = std::min(end, p + 8);
        for (; p < stop; ++p)
            if (*p == '\r' || *p == '\n')
                return p;
        if (p == end)
            return end;
    }
}

// Whether a byte starts a code point (every byte except a UTF-8 continuation byte).
bool startsChar(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
}

bool isLowerAsciiCaseOf(char c, char lowerCase)
{
    return c == lowerCase || c == lowerCase - 'a' + 'A';
}

} // namespace

PlaylistReader::PlaylistReader(PlaylistRules rules, PlaylistEntrySink sink)
    : m_rules(rules), m_sink(std::move(sink)),
      m_charset(rules == PlaylistRules::M3u8 ? PlaylistEntryCharset::Utf8
                                             : PlaylistEntryCharset::Utf8Else1252)
{
    if (m_rules == PlaylistRules::Xspf) {
        m_xml.reset(XmlPlaylistScanner::Mode::Xspf,
                    [this](const QByteArray& value, XmlPlaylistScanner::Role role) {
                        passXmlEntry(value, PlaylistEntryForm::Uri, role);
                    });
    } else if (m_rules == PlaylistRules::Wpl) {
        m_xml.reset(XmlPlaylistScanner::Mode::Wpl,
                    [this](const QByteArray& value, XmlPlaylistScanner::Role role) {
                        passXmlEntry(value, PlaylistEntryForm::Path, role);
                    });
    }
}

bool PlaylistReader::feed(const char* data, qsizetype size)
{
    if (m_ended)
        return false;
    if (m_stage == Stage::Mark)
        markBytes(data, size);
    else
        forward(data, size);
    return !m_ended;
}

void PlaylistReader::finish()
{
    if (!m_ended)
        complete();
}

void PlaylistReader::markBytes(const char* data, qsizetype size)
{
    const qsizetype take = std::min<qsizetype>(size, 3 - m_markBytes.size());
    m_markBytes.append(data, take);
    if (m_markBytes.size() < 3)
        return;
    decideMark();
    if (!m_ended)
        forward(data + take, size - take);
}

void PlaylistReader::decideMark()
{
    m_stage = Stage::Text;
    qsizetype skip = 0;
    if (m_markBytes.startsWith("\xEF\xBB\xBF")) {
        skip = 3;
        m_charset = PlaylistEntryCharset::Utf8;
    } else if (m_markBytes.startsWith("\xFF\xFE")) {
        skip = 2;
        m_utf16 = Utf16::LittleEndian;
    } else if (m_markBytes.startsWith("\xFE\xFF")) {
        skip = 2;
        m_utf16 = Utf16::BigEndian;
    }
    if (m_utf16 != Utf16::No)
        m_charset = PlaylistEntryCharset::Utf8; // converted below
    const QByteArray held = m_markBytes.mid(skip);
    m_markBytes = QByteArray();
    forward(held.constData(), held.size());
}

void PlaylistReader::forward(const char* data, qsizetype size)
{
    if (size <= 0 || m_ended)
        return;
    if (m_utf16 != Utf16::No)
        utf16Bytes(data, size);
    else
        textBytes(data, size);
}

namespace {

char* putUtf8(char* out, char32_t cp)
{
    if (cp < 0x80) {
        *out++ = char(cp);
    } else if (cp < 0x800) {
        *out++ = char(0xC0 | (cp >> 6));
        *out++ = char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        *out++ = char(0xE0 | (cp >> 12));
        *out++ = char(0x80 | ((cp >> 6) & 0x3F));
        *out++ = char(0x80 | (cp & 0x3F));
    } else {
        *out++ = char(0xF0 | (cp >> 18));
        *out++ = char(0x80 | ((cp >> 12) & 0x3F));
        *out++ = char(0x80 | ((cp >> 6) & 0x3F));
        *out++ = char(0x80 | (cp & 0x3F));
    }
    return out;
}

} // namespace

// UTF-16 is converted to UTF-8 on the way in, so that everything after this works on one
// ASCII-compatible text; an unpaired surrogate becomes U+FFFD (and then names no file).
void PlaylistReader::utf16Bytes(const char* data, qsizetype size)
{
    // Each code unit gives at most three bytes; a pair of units four.
    m_utf8.resize((size / 2 + 2) * 3);
    char* out = m_utf8.data();
    const auto* p = reinterpret_cast<const unsigned char*>(data);
    const auto* const end = p + size;
    while (p < end) {
        unsigned first = 0;
        if (m_utf16Odd >= 0) {
            first = unsigned(m_utf16Odd);
            m_utf16Odd = -1;
        } else {
            first = *p++;
            if (p == end) {
                m_utf16Odd = int(first);
                break;
            }
        }
        const unsigned second = *p++;
        const auto unit = char16_t(m_utf16 == Utf16::LittleEndian ? first | (second << 8)
                                                                  : (first << 8) | second);
        const bool high = unit >= 0xD800 && unit <= 0xDBFF;
        const bool low = unit >= 0xDC00 && unit <= 0xDFFF;
        if (m_highSurrogate != 0) {
            if (low) {
                out = putUtf8(out, 0x10000 + ((char32_t(m_highSurrogate) - 0xD800) << 10) +
                                       (unit - 0xDC00));
                m_highSurrogate = 0;
                continue;
            }
            out = putUtf8(out, 0xFFFD);
            m_highSurrogate = 0;
        }
        if (high)
            m_highSurrogate = unit;
        else
            out = putUtf8(out, low ? 0xFFFD : unit);
    }
    m_utf8.truncate(out - m_utf8.constData());
    textBytes(m_utf8.constData(), m_utf8.size());
}

void PlaylistReader::textBytes(const char* data, qsizetype size)
{
    const auto* ctrlZ = static_cast<const char*>(std::memchr(data, kCtrlZ, size_t(size)));
    const qsizetype n = ctrlZ != nullptr ? ctrlZ - data : size;
    if (m_rules == PlaylistRules::Asx && m_asxKind == AsxKind::Undecided)
        preludeBytes(data, n);
    else
        dispatch(data, n);
    if (ctrlZ != nullptr) {
        m_ctrlZ = true;
        complete();
    }
}

void PlaylistReader::preludeBytes(const char* data, qsizetype size)
{
    qsizetype i = 0;
    for (; i < size && m_preludeLines < 4; ++i) {
        const char c = data[i];
        if (c == '\r' || (c == '\n' && !m_preludeAfterCr)) {
            ++m_preludeLines;
        } else if (c != '\n' && m_preludeLines == 3 && m_line4.size() <= kOwnAuthorLineBytes + 64) {
            m_line4.append(c);
        }
        m_preludeAfterCr = c == '\r';
    }
    m_prelude.append(data, i);
    if (m_preludeLines < 4 && m_prelude.size() < kMaxPreludeBytes)
        return;
    decideAsxKind();
    dispatch(data + i, size - i);
}

void PlaylistReader::decideAsxKind()
{
    const bool own = m_line4.trimmed() == QByteArrayView(kOwnAuthorLine, kOwnAuthorLineBytes);
    m_asxKind = own ? AsxKind::Own : AsxKind::Other;
    if (!own) {
        m_xml.reset(XmlPlaylistScanner::Mode::Asx,
                    [this](const QByteArray& value, XmlPlaylistScanner::Role role) {
                        passXmlEntry(value, PlaylistEntryForm::Path, role);
                    });
    }
    const QByteArray prelude = std::move(m_prelude);
    m_prelude = QByteArray();
    m_line4 = QByteArray();
    dispatch(prelude.constData(), prelude.size());
}

void PlaylistReader::dispatch(const char* data, qsizetype size)
{
    if (size <= 0)
        return;
    switch (m_rules) {
    case PlaylistRules::Asx:
        if (m_asxKind == AsxKind::Own)
            lineBytes(data, size);
        else
            m_xml.feed(data, size);
        break;
    case PlaylistRules::Xspf:
    case PlaylistRules::Wpl:
        m_xml.feed(data, size);
        break;
    case PlaylistRules::M3u:
    case PlaylistRules::M3u8:
    case PlaylistRules::Pls:
        lineBytes(data, size);
        break;
    case PlaylistRules::None:
        break;
    }
}

void PlaylistReader::complete()
{
    if (m_stage == Stage::Mark)
        decideMark();
    if (m_utf16 != Utf16::No && (m_utf16Odd >= 0 || m_highSurrogate != 0) && !m_ctrlZ) {
        m_utf16Odd = -1;
        m_highSurrogate = 0;
        textBytes("\xEF\xBF\xBD", 3); // U+FFFD
    }
    if (m_ended)
        return;
    m_ended = true;
    if (m_rules == PlaylistRules::Asx && m_asxKind == AsxKind::Undecided)
        decideAsxKind();
    if (m_rules == PlaylistRules::Xspf || m_rules == PlaylistRules::Wpl ||
        (m_rules == PlaylistRules::Asx && m_asxKind == AsxKind::Other))
        m_xml.finish();
    else
        endLine();
}

void PlaylistReader::lineBytes(const char* data, qsizetype size)
{
    const char* p = data;
    const char* const end = data + size;
    while (p < end) {
        if (m_afterCr) {
            m_afterCr = false;
            if (*p == '\n') {
                ++p;
                continue;
            }
        }
        const char* q = findLineBreak(p, end);
        if (q > p)
            lineData(p, q);
        if (q == end)
            break;
        endLine();
        m_afterCr = *q == '\r';
        p = q + 1;
    }
}

void PlaylistReader::lineData(const char* begin, const char* end)
{
    if (!m_lineStarted) {
        while (begin < end && isBlank(*begin))
            ++begin;
        if (begin == end)
            return;
        m_lineStarted = true;
    }
    if (m_rules == PlaylistRules::Asx)
        asxData(begin, end);
    else
        keptLineData(begin, end);
}

void PlaylistReader::asxData(const char* begin, const char* end)
{
    const char* p = begin;
    if (m_asxPhase == AsxPhase::Searching) {
        for (; p < end; ++p) {
            if (m_markerMatched == 0 && m_charPos >= kCountedChars) {
                // Positions no longer matter: go straight to the next possible marker start.
                p = static_cast<const char*>(std::memchr(p, 'F', static_cast<size_t>(end - p)));
                if (p == nullptr) {
                    p = end;
                    break;
                }
            }
            const char c = *p;
            if (m_charPos < kCountedChars && startsChar(c))
                ++m_charPos;
            if (c == kAsxMarker[m_markerMatched]) {
                if (++m_markerMatched == 3)
                    break;
            } else {
                // 'F' cannot occur inside the marker after its start, so a mismatch restarts
                // the match at this byte.
                m_markerMatched = c == kAsxMarker[0] ? 1 : 0;
            }
        }
        if (p == end)
            return;
        // m_charPos is the position of the marker's quote (counted up to kCountedChars): the
        // marker started two characters earlier.
        if (m_charPos - 2 < kFirstMarkerPosition) {
            m_asxPhase = AsxPhase::Skipped;
            return;
        }
        m_asxPhase = AsxPhase::Collecting;
        ++p;
    }
    if (m_asxPhase != AsxPhase::Collecting)
        return;
    const auto* quote = static_cast<const char*>(std::memchr(p, '"', static_cast<size_t>(end - p)));
    const char* stop = quote != nullptr ? quote : end;
    // Cut before the character that would exceed the limit; a run shorter in bytes than the
    // characters still allowed cannot reach it.
    if (!m_entryCut) {
        const char* cut = stop;
        if (stop - p > kMaxAsxEntryChars - m_entryChars) {
            for (cut = p; cut < stop; ++cut) {
                if (startsChar(*cut) && m_entryChars++ == kMaxAsxEntryChars) {
                    m_entryCut = true;
                    break;
                }
            }
        } else {
            m_entryChars += int(std::count_if(p, stop, startsChar));
        }
        m_entry.append(p, cut - p);
    }
    if (quote != nullptr)
        m_asxPhase = AsxPhase::Complete;
}

void PlaylistReader::keptLineData(const char* begin, const char* end)
{
    const char* lastKept = end;
    while (lastKept > begin && isBlank(lastKept[-1]))
        --lastKept;
    if (lastKept > begin) {
        // Blanks held back from earlier chunks are inside the line after all.
        if (m_pendingBlankCount > 0) {
            if (m_pendingBlankCount > m_pendingBlanks.size() ||
                m_entry.size() + m_pendingBlankCount > kMaxEntryBytes)
                m_overlong = true;
            else if (!m_overlong)
                m_entry.append(m_pendingBlanks);
            m_pendingBlanks.resize(0);
            m_pendingBlankCount = 0;
        }
        if (!m_overlong && m_entry.size() + (lastKept - begin) > kMaxEntryBytes) {
            // Only the beginning is kept: it tells a comment or a PLS key.
            m_entry.append(begin, kMaxEntryBytes - m_entry.size());
            m_overlong = true;
        } else if (!m_overlong) {
            m_entry.append(begin, lastKept - begin);
        }
    }
    // Trailing blanks are kept aside until the line shows whether anything follows them.
    m_pendingBlankCount += end - lastKept;
    const qsizetype room = kMaxEntryBytes - m_pendingBlanks.size();
    m_pendingBlanks.append(lastKept, std::min<qsizetype>(room, end - lastKept));
}

void PlaylistReader::endLine()
{
    static const QByteArray kEmpty;
    switch (m_rules) {
    case PlaylistRules::Asx:
        if (m_asxPhase == AsxPhase::Complete)
            passEntry(m_entry, PlaylistEntryEscapes::OwnLineBreaks, PlaylistEntryForm::Path);
        else if (m_asxPhase == AsxPhase::Collecting)
            passEntry(kEmpty, PlaylistEntryEscapes::OwnLineBreaks, PlaylistEntryForm::Path);
        break;
    case PlaylistRules::M3u:
    case PlaylistRules::M3u8:
        // Lines starting with '#' are comments and directives (#EXTM3U, #EXTINF:...).
        if (!m_entry.isEmpty() && m_entry.at(0) != '#')
            passEntry(m_overlong ? kEmpty : m_entry, PlaylistEntryEscapes::None,
                      PlaylistEntryForm::Path);
        break;
    case PlaylistRules::Pls:
        endPlsLine();
        break;
    case PlaylistRules::None:
    case PlaylistRules::Xspf:
    case PlaylistRules::Wpl:
        break;
    }
    resetLine();
}

// A PLS line names a clip when its key is "File" and a number: "File1=/music/a.mp3". Every
// other line ([playlist], TitleN, LengthN, NumberOfEntries, Version) is no entry.
void PlaylistReader::endPlsLine()
{
    const QByteArray& line = m_entry;
    const qsizetype n = line.size();
    if (n < 5 || !isLowerAsciiCaseOf(line.at(0), 'f') || !isLowerAsciiCaseOf(line.at(1), 'i') ||
        !isLowerAsciiCaseOf(line.at(2), 'l') || !isLowerAsciiCaseOf(line.at(3), 'e'))
        return;
    qsizetype i = 4;
    while (i < n && line.at(i) >= '0' && line.at(i) <= '9')
        ++i;
    if (i == 4)
        return;
    while (i < n && isBlank(line.at(i)))
        ++i;
    if (i == n || line.at(i) != '=')
        return;
    ++i;
    while (i < n && isBlank(line.at(i)))
        ++i;
    if (m_overlong) {
        passEntry(QByteArray(), PlaylistEntryEscapes::None, PlaylistEntryForm::Path);
        return;
    }
    if (i == n)
        return; // "File3=" names nothing
    passEntry(line.mid(i), PlaylistEntryEscapes::None, PlaylistEntryForm::Path);
}

void PlaylistReader::passEntry(const QByteArray& bytes, PlaylistEntryEscapes escapes,
                               PlaylistEntryForm form)
{
    // Vantoro's own files are UTF-8, as their writer makes them.
    const PlaylistEntryCharset charset =
        escapes == PlaylistEntryEscapes::OwnLineBreaks ? PlaylistEntryCharset::Utf8 : m_charset;
    m_sink(PlaylistEntry{bytes, charset, escapes, form});
}

void PlaylistReader::passXmlEntry(const QByteArray& bytes, PlaylistEntryForm form,
                                  XmlPlaylistScanner::Role role)
{
    using Role = XmlPlaylistScanner::Role;
    const QList<QByteArray>& bases = m_xml.bases();
    m_sink(PlaylistEntry{bytes, m_charset, PlaylistEntryEscapes::Xml, form,
                         role == Role::Alternative, role == Role::Reference,
                         bases.isEmpty() ? nullptr : &bases});
}

void PlaylistReader::resetLine()
{
    m_lineStarted = false;
    m_asxPhase = AsxPhase::Searching;
    m_markerMatched = 0;
    m_charPos = 0;
    m_entryChars = 0;
    m_entryCut = false;
    m_pendingBlanks.resize(0);
    m_pendingBlankCount = 0;
    m_overlong = false;
    m_entry.resize(0);
}

} // namespace vantoro
