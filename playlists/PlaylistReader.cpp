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

bool isBlank(char c)
{
    return static_cast<unsigned char>(c) <= 32;
}

bool isLineBreak(char c)
{
    return static_cast<unsigned char>(c) <= 26 && (c == '\r' || c == '\n' || c == kCtrlZ);
}

// The first CR, LF or Ctrl-Z in [p, end), or end. Skips eight bytes at a time while none of
// them is below 27 (the usual case inside a line).
const char* findLineBreak(const char* p, const char* end)
{
    constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
    constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;
    for (;;) {
        while (end - p >= 8) {
            std::uint64_t word = 0;
            std::memcpy(&word, p, 8);
            if (((word - kOnes * 27) & ~word & kHighBits) != 0)
                break;
            p += 8;
        }
        const char* const stop = std::min(end, p + 8);
        for (; p < stop; ++p)
            if (isLineBreak(*p))
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

} // namespace

PlaylistReader::PlaylistReader(PlaylistRules rules, PlaylistEntrySink sink)
    : m_rules(rules), m_sink(std::move(sink))
{}

bool PlaylistReader::feed(const char* data, qsizetype size)
{
    if (m_ended)
        return false;
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
        if (*q == kCtrlZ) {
            m_ended = true;
            return false;
        }
        m_afterCr = *q == '\r';
        p = q + 1;
    }
    return true;
}

void PlaylistReader::finish()
{
    if (m_ended)
        return;
    endLine();
    m_ended = true;
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
    switch (m_rules) {
    case PlaylistRules::Asx:
        asxData(begin, end);
        break;
    case PlaylistRules::M3u:
        m3uData(begin, end);
        break;
    case PlaylistRules::None:
        break;
    }
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

void PlaylistReader::m3uData(const char* begin, const char* end)
{
    const char* lastKept = end;
    while (lastKept > begin && isBlank(lastKept[-1]))
        --lastKept;
    if (lastKept > begin) {
        // Blanks held back from earlier chunks are inside the line after all.
        if (m_pendingBlankCount > 0) {
            if (m_pendingBlankCount > m_pendingBlanks.size() ||
                m_entry.size() + m_pendingBlankCount >= kMaxPathBytes)
                m_overlong = true;
            else if (!m_overlong)
                m_entry.append(m_pendingBlanks);
            pushTail(m_pendingBlanks.constEnd() - std::min<qsizetype>(m_pendingBlanks.size(), 5),
                     m_pendingBlanks.constEnd());
            m_pendingBlanks.resize(0);
            m_pendingBlankCount = 0;
        }
        if (m_overlong || m_entry.size() + (lastKept - begin) >= kMaxPathBytes) {
            m_overlong = true;
            m_entry.resize(0);
        } else {
            m_entry.append(begin, lastKept - begin);
        }
        pushTail(begin, lastKept);
    }
    // Trailing blanks are kept aside until the line shows whether anything follows them.
    m_pendingBlankCount += end - lastKept;
    const qsizetype room = kMaxPathBytes - m_pendingBlanks.size();
    m_pendingBlanks.append(lastKept, std::min<qsizetype>(room, end - lastKept));
}

void PlaylistReader::pushTail(const char* begin, const char* end)
{
    // Only the last five characters can matter: find where they start.
    const char* from = end;
    int chars = 0;
    while (from > begin && chars < 5) {
        --from;
        if (startsChar(*from))
            ++chars;
    }
    for (const char* p = from; p < end; ++p) {
        if (!startsChar(*p))
            continue;
        if (m_tailCount == 5) {
            std::copy(m_tailIsDot.begin() + 1, m_tailIsDot.end(), m_tailIsDot.begin());
            m_tailCount = 4;
        }
        m_tailIsDot[static_cast<size_t>(m_tailCount++)] = *p == '.';
    }
}

void PlaylistReader::endLine()
{
    switch (m_rules) {
    case PlaylistRules::Asx:
        if (m_asxPhase == AsxPhase::Complete)
            m_sink(m_entry);
        else if (m_asxPhase == AsxPhase::Collecting)
            m_sink(QByteArray());
        break;
    case PlaylistRules::M3u:
        // Five characters at least, with the dot of a three- or four-letter extension.
        if (m_tailCount == 5 && (m_tailIsDot[1] || m_tailIsDot[0]))
            m_sink(m_overlong ? QByteArray() : m_entry);
        break;
    case PlaylistRules::None:
        break;
    }
    resetLine();
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
    m_tailCount = 0;
    m_entry.resize(0);
}

} // namespace vantoro
