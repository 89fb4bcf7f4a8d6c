// Feeds arbitrary bytes to the playlist reader under every rule set, in chunks of varying size,
// and checks: the entries do not depend on how the input is cut into chunks; Vantoro's own ASX
// files and M3U files give what a plain whole-line reading of their rules gives; no entry is
// longer than the reader's bound; and every entry resolves to at most two names that are valid
// UTF-8 without a NUL.

#include "playlists/PlaylistEntryResolver.h"
#include "playlists/PlaylistReader.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace {

using vantoro::PlaylistEntry;
using vantoro::PlaylistEntryResolver;
using vantoro::PlaylistReader;
using vantoro::PlaylistRules;

const std::string kOwnHeader = "<ASX VERSION=\"3.0\">\r\n<!-- x -->\r\n<Title>t</Title>\r\n"
                               "<Author>Vantoro Media Manager</Author>\r\n";

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

std::vector<std::string> trimmedLines(const std::string& bytes)
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
    for (std::string& l : lines) {
        std::size_t b = 0;
        std::size_t e = l.size();
        while (b < e && static_cast<unsigned char>(l[b]) <= 32)
            ++b;
        while (e > b && static_cast<unsigned char>(l[e - 1]) <= 32)
            --e;
        l = l.substr(b, e - b);
    }
    return lines;
}

// Vantoro's own ASX line rules, written for clarity rather than bounded memory.
std::vector<QByteArray> ownAsxReference(const std::string& bytes)
{
    std::vector<QByteArray> entries;
    for (const std::string& t : trimmedLines(bytes)) {
        if (charCount(t, t.size()) < 5)
            continue;
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
    }
    return entries;
}

std::vector<QByteArray> m3uReference(std::string bytes)
{
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0)
        bytes.erase(0, 3);
    std::vector<QByteArray> entries;
    for (const std::string& t : trimmedLines(bytes)) {
        if (t.empty() || t[0] == '#')
            continue;
        if (qsizetype(t.size()) > PlaylistReader::kMaxEntryBytes)
            entries.push_back(QByteArray());
        else
            entries.push_back(QByteArray(t.data(), qsizetype(t.size())));
    }
    return entries;
}

std::vector<QByteArray> streamed(const std::string& bytes, PlaylistRules rules, std::size_t chunk,
                                 bool resolve)
{
    std::vector<QByteArray> entries;
    PlaylistEntryResolver resolver(QStringLiteral("/p/list"));
    PlaylistReader reader(rules, [&](const PlaylistEntry& e) {
        if (e.bytes.size() > PlaylistReader::kMaxEntryBytes)
            __builtin_trap();
        entries.push_back(e.bytes);
        if (!resolve)
            return;
        const PlaylistEntryResolver::Candidates c = resolver.localNames(e);
        if (c.count < 0 || c.count > 2)
            __builtin_trap();
        for (int i = 0; i < c.count; ++i) {
            const QByteArray& name = c.names[std::size_t(i)];
            if (name.isEmpty() || name.contains('\0') || !QByteArrayView(name).isValidUtf8())
                __builtin_trap();
        }
        const QByteArray& tail = c.windowsTail;
        if (tail.contains('\0') || tail.startsWith('/') || tail.contains("//") ||
            !QByteArrayView(tail).isValidUtf8())
            __builtin_trap();
    });
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
    // The first byte picks the chunk size, so that marks, tags, line ends, references and
    // UTF-8 or UTF-16 sequences fall across chunk boundaries.
    const std::size_t chunk = std::size_t(data[0] % 17) + 1;
    const std::string bytes(reinterpret_cast<const char*>(data + 1), size - 1);

    for (const PlaylistRules rules :
         {PlaylistRules::Asx, PlaylistRules::M3u, PlaylistRules::M3u8, PlaylistRules::Pls,
          PlaylistRules::Xspf, PlaylistRules::Wpl}) {
        const std::vector<QByteArray> whole = streamed(bytes, rules, bytes.size() + 1, true);
        if (streamed(bytes, rules, chunk, false) != whole)
            __builtin_trap();
    }

    const bool utf16 = bytes.compare(0, 2, "\xFF\xFE") == 0 || bytes.compare(0, 2, "\xFE\xFF") == 0;
    if (!utf16 && streamed(bytes, PlaylistRules::M3u, chunk, false) != m3uReference(bytes))
        __builtin_trap();

    const std::string own = kOwnHeader + bytes;
    if (streamed(own, PlaylistRules::Asx, chunk, false) != ownAsxReference(own))
        __builtin_trap();
    return 0;
}
