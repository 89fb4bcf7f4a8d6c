// Feeds arbitrary bytes to the playlist reader under both rule sets, in chunks of varying
// size, and compares the entries with a plain whole-line reading of the same rules.

#include "playlists/PlaylistReader.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace {

using vantoro::PlaylistReader;
using vantoro::PlaylistRules;

bool startsChar(unsigned char c)
{
    return (c & 0xC0) != 0x80;
}

std::size_t charCount(const std::string& s, std::size_t end)
{
    std::size_t n = 0;
    for (std::size_t i = 0; i < end; ++i)
        n += startsChar(static_cast<unsigned char>(s[i]));
    return n;
}

// The rules applied to whole lines, written for clarity rather than bounded memory.
std::vector<QByteArray> referenceEntries(const std::string& bytes, PlaylistRules rules)
{
    std::vector<std::string> lines;
    std::string line;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == 26)
            break;
        if (c == '\r' || c == '\n') {
            lines.push_back(line);
            line.clear();
            if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
                ++i;
            continue;
        }
        line += c;
    }
    lines.push_back(line);

    std::vector<QByteArray> entries;
    for (std::string& l : lines) {
        std::size_t b = 0;
        std::size_t e = l.size();
        while (b < e && static_cast<unsigned char>(l[b]) <= 32)
            ++b;
        while (e > b && static_cast<unsigned char>(l[e - 1]) <= 32)
            --e;
        const std::string t = l.substr(b, e - b);
        if (charCount(t, t.size()) < 5)
            continue;
        if (rules == PlaylistRules::Asx) {
            const std::size_t marker = t.find("F=\"");
            if (marker == std::string::npos || charCount(t, marker) + 1 <= 6)
                continue;
            const std::string rest = t.substr(marker + 3);
            const std::size_t quote = rest.find('"');
            if (quote == std::string::npos) {
                entries.push_back(QByteArray());
                continue;
            }
            std::string entry;
            int chars = 0;
            for (std::size_t i = 0; i < quote; ++i) {
                if (startsChar(static_cast<unsigned char>(rest[i])) && ++chars > 999)
                    break;
                entry += rest[i];
            }
            entries.push_back(QByteArray(entry.data(), qsizetype(entry.size())));
        } else if (rules == PlaylistRules::M3u) {
            std::vector<char> lastChars;
            for (std::size_t i = 0; i < t.size(); ++i)
                if (startsChar(static_cast<unsigned char>(t[i])))
                    lastChars.push_back(t[i]);
            const std::size_t n = lastChars.size();
            if (lastChars[n - 4] != '.' && lastChars[n - 5] != '.')
                continue;
            if (qsizetype(t.size()) >= PlaylistReader::kMaxPathBytes)
                entries.push_back(QByteArray());
            else
                entries.push_back(QByteArray(t.data(), qsizetype(t.size())));
        }
    }
    return entries;
}

std::vector<QByteArray> streamedEntries(const std::string& bytes, PlaylistRules rules,
                                        std::size_t chunk)
{
    std::vector<QByteArray> entries;
    PlaylistReader reader(rules, [&](const QByteArray& e) { entries.push_back(e); });
    bool more = true;
    for (std::size_t at = 0; more && at < bytes.size(); at += chunk) {
        const std::size_t n = std::min(chunk, bytes.size() - at);
        more = reader.feed(bytes.data() + at, qsizetype(n));
    }
    reader.finish();
    return entries;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    // The first byte picks the chunk size, so that line ends, markers and UTF-8 sequences
    // fall across chunk boundaries.
    const std::size_t chunk = std::size_t(data[0] % 17) + 1;
    const std::string bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    for (const PlaylistRules rules : {PlaylistRules::Asx, PlaylistRules::M3u}) {
        const std::vector<QByteArray> expected = referenceEntries(bytes, rules);
        if (streamedEntries(bytes, rules, chunk) != expected)
            __builtin_trap();
        if (streamedEntries(bytes, rules, bytes.size() + 1) != expected)
            __builtin_trap();
    }
    return 0;
}
