#include "playlists/PlaylistEntryResolver.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace vantoro {

namespace {

// Code points of Windows-1252 bytes 0x80..0x9F; the five bytes it leaves undefined stay the
// C1 control of the same value, as Latin-1 reads them.
constexpr char16_t k1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// "#x0010FFFF;": the longest reference decoded, with its semicolon.
constexpr qsizetype kMaxReferenceChars = 11;

bool isAsciiLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// The length of a URI scheme at the start of `text` ("http" in "http://..."), or 0. One
// letter is a drive (C:), not a scheme.
qsizetype schemeLength(QByteArrayView text)
{
    if (text.isEmpty() || !isAsciiLetter(text.at(0)))
        return 0;
    qsizetype i = 1;
    while (i < text.size() &&
           (isAsciiLetter(text.at(i)) || (text.at(i) >= '0' && text.at(i) <= '9') ||
            text.at(i) == '+' || text.at(i) == '-' || text.at(i) == '.'))
        ++i;
    if (i < 2 || i == text.size() || text.at(i) != ':')
        return 0;
    return i;
}

// The character a reference such as "amp", "#233" or "#xE9" stands for; 0 when it stands
// for none.
char32_t referencedChar(QByteArrayView name)
{
    if (name == "amp")
        return '&';
    if (name == "lt")
        return '<';
    if (name == "gt")
        return '>';
    if (name == "quot")
        return '"';
    if (name == "apos")
        return '\'';
    if (name.size() < 2 || name.at(0) != '#')
        return 0;
    const bool hex = name.at(1) == 'x' || name.at(1) == 'X';
    const QByteArrayView digits = name.sliced(hex ? 2 : 1);
    if (digits.isEmpty() || digits.size() > 8)
        return 0;
    char32_t value = 0;
    for (const char c : digits) {
        const int d = hex ? hexValue(c) : (c >= '0' && c <= '9' ? c - '0' : -1);
        if (d < 0)
            return 0;
        value = value * (hex ? 16 : 10) + char32_t(d);
    }
    // NUL, surrogates and values beyond Unicode are no characters.
    if (value == 0 || (value >= 0xD800 && value <= 0xDFFF) || value > 0x10FFFF)
        return 0;
    return value;
}

void appendUtf8(QByteArray& out, char32_t cp)
{
    if (cp < 0x80) {
        out.append(char(cp));
    } else if (cp < 0x800) {
        out.append(char(0xC0 | (cp >> 6)));
        out.append(char(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.append(char(0xE0 | (cp >> 12)));
        out.append(char(0x80 | ((cp >> 6) & 0x3F)));
        out.append(char(0x80 | (cp & 0x3F)));
    } else {
        out.append(char(0xF0 | (cp >> 18)));
        out.append(char(0x80 | ((cp >> 12) & 0x3F)));
        out.append(char(0x80 | ((cp >> 6) & 0x3F)));
        out.append(char(0x80 | (cp & 0x3F)));
    }
}

// Percent-decoded bytes are the name as the program that wrote them stored it: UTF-8, or
// Windows-1252 where a Windows program encoded its own code page.
QByteArray percentDecodedName(QByteArrayView text)
{
    QByteArray bytes = PlaylistEntryResolver::percentDecode(text);
    if (QByteArrayView(bytes).isValidUtf8())
        return bytes;
    return PlaylistEntryResolver::fromWindows1252(bytes).toUtf8();
}

bool isSeparator(char c)
{
    return c == '/' || c == '\\';
}

// The path of a file: URI (scheme length `scheme`), percent-decoded: "file:///p",
// "file://localhost/p" and "file:/p" give "/p". A URI naming a file on another machine
// ("file://server/share/p") gives no path; `otherHost` is then the part after the host.
bool fileUriPath(QByteArrayView text, qsizetype scheme, QByteArray& path, QByteArray& otherHost)
{
    if (text.first(scheme).compare("file", Qt::CaseInsensitive) != 0)
        return false; // a stream or a web address: no local file
    QByteArrayView rest = text.sliced(scheme + 1);
    if (rest.startsWith("//")) {
        rest = rest.sliced(2);
        const qsizetype slash = rest.indexOf('/');
        if (slash < 0)
            return false;
        const QByteArrayView host = rest.first(slash);
        if (!host.isEmpty() && host.compare("localhost", Qt::CaseInsensitive) != 0) {
            otherHost = percentDecodedName(rest.sliced(slash + 1));
            return false;
        }
        rest = rest.sliced(slash);
    }
    if (!rest.startsWith('/'))
        return false;
    path = percentDecodedName(rest);
    return true;
}

bool isDrivePath(QByteArrayView name)
{
    return name.size() >= 3 && isAsciiLetter(name.at(0)) && name.at(1) == ':' &&
           isSeparator(name.at(2));
}

} // namespace

QByteArray PlaylistEntryResolver::windowsTail(QByteArrayView name)
{
    const qsizetype n = name.size();
    qsizetype start = -1;
    if (isDrivePath(name)) {
        start = 3; // C:\... or C:/...
    } else if (n >= 4 && name.at(0) == '/' && isAsciiLetter(name.at(1)) &&
               (name.at(2) == ':' || name.at(2) == '|') && isSeparator(name.at(3))) {
        start = 4; // the path of file:///C:/... (or the older file:///C|/...)
    } else if (n >= 2 && isSeparator(name.at(0)) && isSeparator(name.at(1))) {
        // \\server\share\...: the server is no folder here; the share may be one.
        qsizetype i = 2;
        while (i < n && !isSeparator(name.at(i)))
            ++i;
        start = i + 1;
    } else if (n >= 1 && name.at(0) == '\\') {
        start = 1; // \Music\... : the root of the current drive
    }
    QByteArray tail;
    if (start < 0 || start >= n || name.contains('\0'))
        return tail;
    tail.reserve(n - start);
    for (qsizetype i = start; i < n;) {
        qsizetype j = i;
        while (j < n && !isSeparator(name.at(j)))
            ++j;
        const QByteArrayView part = name.sliced(i, j - i);
        if (part == "..")
            return {}; // a tail must not lead out of the playlist's folder
        if (!part.isEmpty() && part != ".") {
            if (!tail.isEmpty())
                tail.append('/');
            tail.append(part);
        }
        i = j + 1;
    }
    return tail;
}

PlaylistEntryResolver::PlaylistEntryResolver(const QString& playlistPath)
    : m_folder(QFile::encodeName(QFileInfo(playlistPath).absolutePath()))
{
    if (!m_folder.endsWith('/'))
        m_folder.append('/');
}

QString PlaylistEntryResolver::fromWindows1252(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char b : bytes) {
        const auto u = static_cast<unsigned char>(b);
        *out++ = QChar(u >= 0x80 && u < 0xA0 ? k1252High[u - 0x80] : char16_t(u));
    }
    return text;
}

QByteArray PlaylistEntryResolver::decodeOwnLineBreaks(QByteArrayView text)
{
    QByteArray out = text.toByteArray();
    if (text.contains("&#1")) {
        out.replace("&#13;", "\r");
        out.replace("&#10;", "\n");
    }
    return out;
}

QByteArray PlaylistEntryResolver::decodeXmlReferences(QByteArrayView text)
{
    qsizetype amp = text.indexOf('&');
    if (amp < 0)
        return text.toByteArray();
    QByteArray out;
    out.reserve(text.size());
    qsizetype from = 0;
    while (amp >= 0) {
        out.append(text.sliced(from, amp - from));
        // A reference is short: the ';' is looked for only that far, so that a long run of
        // bare '&' stays linear.
        const QByteArrayView window =
            text.sliced(amp + 1, std::min<qsizetype>(kMaxReferenceChars, text.size() - amp - 1));
        const qsizetype length = window.indexOf(';');
        const char32_t c = length >= 0 ? referencedChar(window.first(length)) : 0;
        const qsizetype semicolon = amp + 1 + length;
        if (c != 0) {
            appendUtf8(out, c);
            from = semicolon + 1;
        } else {
            out.append('&');
            from = amp + 1;
        }
        amp = text.indexOf('&', from);
    }
    out.append(text.sliced(from));
    return out;
}

QByteArray PlaylistEntryResolver::percentDecode(QByteArrayView text)
{
    if (!text.contains('%'))
        return text.toByteArray();
    QByteArray out(text.size(), Qt::Uninitialized);
    char* o = out.data();
    const char* p = text.data();
    const char* const end = p + text.size();
    while (p < end) {
        const int high = *p == '%' && end - p > 2 ? hexValue(p[1]) : -1;
        const int low = high >= 0 ? hexValue(p[2]) : -1;
        if (low >= 0) {
            *o++ = char(high * 16 + low);
            p += 3;
        } else {
            *o++ = *p++;
        }
    }
    out.truncate(o - out.constData());
    return out;
}

bool PlaylistEntryResolver::utf8Text(const QByteArray& bytes, const PlaylistEntry& entry,
                                     QByteArray& text)
{
    const bool allow1252 = entry.charset == PlaylistEntryCharset::Utf8Else1252;
    if (!(allow1252 && m_is1252) && QByteArrayView(bytes).isValidUtf8()) {
        text = bytes;
    } else if (allow1252) {
        m_is1252 = true;
        text = fromWindows1252(bytes).toUtf8();
    } else {
        return false; // not text in its charset: names no file
    }
    switch (entry.escapes) {
    case PlaylistEntryEscapes::None:
        break;
    case PlaylistEntryEscapes::OwnLineBreaks:
        if (text.contains("&#1"))
            text = decodeOwnLineBreaks(text);
        break;
    case PlaylistEntryEscapes::Xml:
        if (text.contains('&'))
            text = decodeXmlReferences(text);
        break;
    }
    return true;
}

void PlaylistEntryResolver::addName(Candidates& c, QByteArray name, const QByteArray& folder) const
{
    if (name.isEmpty() || name.contains('\0'))
        return;
    qsizetype base = 1;
    if (!name.startsWith('/')) {
        // Below the playlist's folder, letter case is looked at from there; a base elsewhere
        // is followed from "/".
        base = folder.startsWith(m_folder) ? m_folder.size() : 1;
        QByteArrayView relative(name);
        while (relative.startsWith("./"))
            relative = relative.sliced(2);
        QByteArray full;
        full.reserve(folder.size() + relative.size());
        full.append(folder);
        full.append(relative);
        name = std::move(full);
    }
    if (c.count > 0 && c.names[0] == name)
        return;
    c.baseLengths[size_t(c.count)] = base;
    c.names[size_t(c.count++)] = std::move(name);
}

bool PlaylistEntryResolver::baseFolder(const PlaylistEntry& entry, QByteArray& folder)
{
    folder = m_folder;
    if (entry.bases == nullptr)
        return true;
    for (const QByteArray& raw : *entry.bases) {
        QByteArray text;
        if (!utf8Text(raw, entry, text))
            return false;
        QByteArray path;
        const qsizetype scheme = schemeLength(text);
        if (scheme > 0) {
            QByteArray otherHost;
            if (!fileUriPath(text, scheme, path, otherHost))
                return false; // relative names below it are no local files
        } else {
            path = percentDecodedName(text);
            if (!path.startsWith('/'))
                path.prepend(folder);
        }
        // A relative reference replaces the base's last segment: only its folder counts.
        folder = path.first(path.lastIndexOf('/') + 1);
    }
    return true;
}

PlaylistEntryResolver::Candidates PlaylistEntryResolver::localNames(const PlaylistEntry& entry)
{
    Candidates c;
    QByteArray text;
    if (!utf8Text(entry.bytes, entry, text))
        return c;
    QByteArray name;
    QByteArray folder;
    const qsizetype scheme = schemeLength(text);
    if (scheme > 0) {
        QByteArray otherHost;
        if (!fileUriPath(text, scheme, name, otherHost)) {
            // A file on a Windows server may have moved here with its playlist.
            if (!otherHost.isEmpty())
                c.windowsTail = windowsTail(QByteArray(QByteArray("//host/") + otherHost));
            return c;
        }
    } else if (!baseFolder(entry, folder)) {
        return c;
    } else if (entry.form == PlaylistEntryForm::Uri) {
        name = percentDecodedName(text);
    } else {
        name = std::move(text);
    }
    c.windowsTail = windowsTail(name);
    // A name on a Windows drive is never one relative to the playlist's folder.
    if (isDrivePath(name))
        return c;
    const bool backslashes = name.contains('\\');
    addName(c, name, folder);
    if (c.count > 0 && backslashes)
        addName(c, name.replace('\\', '/'), folder);
    return c;
}

} // namespace vantoro
