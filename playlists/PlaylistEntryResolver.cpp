#include "playlists/PlaylistEntryResolver.h"

#include <QFileInfo>

namespace vantoro {

namespace {

// Code points of Windows-1252 bytes 0x80..0x9F; the five bytes it leaves undefined stay the
// C1 control of the same value, as Latin-1 reads them.
constexpr char16_t k1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

int hexValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

bool isAsciiLetter(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

// The length of a URI scheme at the start of `text` ("http" in "http://..."), or 0. One
// letter is a drive (C:), not a scheme.
qsizetype schemeLength(const QString& text)
{
    if (text.isEmpty() || !isAsciiLetter(text.at(0)))
        return 0;
    qsizetype i = 1;
    while (i < text.size() && (isAsciiLetter(text.at(i)) || text.at(i).isDigit() ||
                               text.at(i) == u'+' || text.at(i) == u'-' || text.at(i) == u'.'))
        ++i;
    if (i < 2 || i == text.size() || text.at(i) != u':')
        return 0;
    return i;
}

// The character a reference such as "amp", "#233" or "#xE9" stands for; 0 when it stands
// for none.
char32_t referencedChar(QStringView name)
{
    if (name == u"amp")
        return '&';
    if (name == u"lt")
        return '<';
    if (name == u"gt")
        return '>';
    if (name == u"quot")
        return '"';
    if (name == u"apos")
        return '\'';
    if (name.size() < 2 || name.at(0) != u'#')
        return 0;
    const bool hex = name.at(1) == u'x' || name.at(1) == u'X';
    const QStringView digits = name.mid(hex ? 2 : 1);
    if (digits.isEmpty() || digits.size() > 8)
        return 0;
    char32_t value = 0;
    for (const QChar c : digits) {
        const int d =
            hex ? hexValue(c) : (c.isDigit() && c.unicode() < 128 ? c.unicode() - '0' : -1);
        if (d < 0)
            return 0;
        value = value * (hex ? 16 : 10) + char32_t(d);
    }
    // NUL, surrogates and values beyond Unicode are no characters.
    if (value == 0 || (value >= 0xD800 && value <= 0xDFFF) || value > 0x10FFFF)
        return 0;
    return value;
}

} // namespace

// The bytes a percent-encoded name stands for are the name as the file system stores it:
// UTF-8 here, or Windows-1252 where a Windows program encoded its own code page.
QString PlaylistEntryResolver::percentDecodedText(QStringView text)
{
    const QByteArray bytes = percentDecode(text);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString decoded = utf8.decode(bytes);
    return utf8.hasError() ? fromWindows1252(bytes) : decoded;
}

PlaylistEntryResolver::PlaylistEntryResolver(const QString& playlistPath)
    : m_folder(QFileInfo(playlistPath).absolutePath())
{
    if (!m_folder.endsWith(u'/'))
        m_folder.append(u'/');
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

QString PlaylistEntryResolver::fromBytes(QByteArrayView bytes, bool allow1252)
{
    if (!(allow1252 && m_is1252)) {
        QString text = m_utf8.decode(bytes);
        if (!m_utf8.hasError())
            return text;
        m_utf8.resetState();
        if (!allow1252)
            return QString(QChar(0)); // no text: names no file
        m_is1252 = true;
    }
    return fromWindows1252(bytes);
}

std::optional<QString> PlaylistEntryResolver::text(const PlaylistEntry& entry)
{
    QString text = fromBytes(entry.bytes, entry.charset == PlaylistEntryCharset::Utf8Else1252);
    if (text.contains(QChar(0)))
        return std::nullopt;
    switch (entry.escapes) {
    case PlaylistEntryEscapes::None:
        break;
    case PlaylistEntryEscapes::OwnLineBreaks:
        text = decodeOwnLineBreaks(text);
        break;
    case PlaylistEntryEscapes::Xml:
        text = decodeXmlReferences(text);
        break;
    }
    return text;
}

QString PlaylistEntryResolver::decodeOwnLineBreaks(const QString& text)
{
    if (!text.contains(u"&#1"))
        return text;
    QString out = text;
    out.replace(QStringLiteral("&#13;"), QStringLiteral("\r"));
    out.replace(QStringLiteral("&#10;"), QStringLiteral("\n"));
    return out;
}

QString PlaylistEntryResolver::decodeXmlReferences(const QString& text)
{
    qsizetype amp = text.indexOf(u'&');
    if (amp < 0)
        return text;
    QString out;
    out.reserve(text.size());
    qsizetype from = 0;
    while (amp >= 0) {
        out.append(QStringView(text).mid(from, amp - from));
        const qsizetype semicolon = text.indexOf(u';', amp + 1);
        const char32_t c = semicolon > amp && semicolon - amp <= 11
                               ? referencedChar(QStringView(text).mid(amp + 1, semicolon - amp - 1))
                               : 0;
        if (c != 0) {
            const char32_t one[] = {c};
            out.append(QString::fromUcs4(one, 1));
            from = semicolon + 1;
        } else {
            out.append(u'&');
            from = amp + 1;
        }
        amp = text.indexOf(u'&', from);
    }
    out.append(QStringView(text).mid(from));
    return out;
}

QByteArray PlaylistEntryResolver::percentDecode(QStringView text)
{
    const QByteArray bytes = text.toUtf8();
    QByteArray out;
    out.reserve(bytes.size());
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const int high = i + 2 < bytes.size() ? hexValue(QChar(bytes.at(i + 1))) : -1;
        const int low = high >= 0 ? hexValue(QChar(bytes.at(i + 2))) : -1;
        if (bytes.at(i) == '%' && low >= 0) {
            out.append(char(high * 16 + low));
            i += 2;
        } else {
            out.append(bytes.at(i));
        }
    }
    return out;
}

void PlaylistEntryResolver::addPath(Candidates& c, const QString& path) const
{
    if (path.isEmpty() || path.contains(QChar(0)))
        return;
    QString full;
    if (path.startsWith(u'/')) {
        full = path;
    } else {
        QStringView relative(path);
        while (relative.startsWith(u"./"))
            relative = relative.mid(2);
        full = m_folder + relative;
    }
    if (c.count > 0 && c.paths[0] == full)
        return;
    c.paths[size_t(c.count++)] = std::move(full);
}

PlaylistEntryResolver::Candidates PlaylistEntryResolver::localPaths(const QString& text,
                                                                    PlaylistEntryForm form) const
{
    Candidates c;
    QString path;
    const qsizetype scheme = schemeLength(text);
    if (scheme > 0) {
        if (QStringView(text).left(scheme).compare(u"file", Qt::CaseInsensitive) != 0)
            return c; // a stream or a web address: no local file
        QStringView rest = QStringView(text).mid(scheme + 1);
        if (rest.startsWith(u"//")) {
            rest = rest.mid(2);
            const qsizetype slash = rest.indexOf(u'/');
            if (slash < 0)
                return c;
            const QStringView host = rest.left(slash);
            if (!host.isEmpty() && host.compare(u"localhost", Qt::CaseInsensitive) != 0)
                return c; // a file on another machine
            rest = rest.mid(slash);
        }
        if (!rest.startsWith(u'/'))
            return c;
        path = percentDecodedText(rest);
    } else if (form == PlaylistEntryForm::Uri) {
        path = percentDecodedText(text);
    } else {
        path = text;
    }
    addPath(c, path);
    if (c.count > 0 && path.contains(u'\\'))
        addPath(c, QString(path).replace(u'\\', u'/'));
    return c;
}

} // namespace vantoro
